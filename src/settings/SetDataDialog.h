#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class SetDataDialog;
}

// The page "其他设置": the main shop collected for, the receipt printer (or none), autostart and the
// update check at start. "确定" applies all four at once to the session, to data.ini and to the
// autostart entry. The page can be dragged about the panel with the left mouse button.
class SetDataDialog : public QWidget
{
    Q_OBJECT

public:
    explicit SetDataDialog(QWidget* parent = nullptr);
    ~SetDataDialog() override;

private slots:
    void on_pushButton_sure_clicked();

private:
    std::unique_ptr<Ui::SetDataDialog> ui;
};
