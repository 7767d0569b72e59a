#pragma once

#include <QWidget>

class QComboBox;

// The page "收款设置": how the fen of a collected amount are handled (centsMode of app.config).
// Saving changes the record in place, so the next collection uses the new mode even when the file
// cannot be written.
class SetShouKuan : public QWidget
{
    Q_OBJECT

public:
    explicit SetShouKuan(QWidget* parent = nullptr);

private slots:
    void on_btn2_clicked();

private:
    QComboBox* m_centsMode;
};
