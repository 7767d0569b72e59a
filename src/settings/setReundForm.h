#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class setReundForm;
}

// The page "退款设置": whether refunds are offered, whether the room / hand-card item is handled and
// what the item is called (app.config). Saving changes the record in place, so the query tab and
// the refund and registration dialogs use the new values even when the file cannot be written.
class setReundForm : public QWidget
{
    Q_OBJECT

public:
    explicit setReundForm(QWidget* parent = nullptr);
    ~setReundForm() override;

private slots:
    void on_btnOk_clicked();

private:
    std::unique_ptr<Ui::setReundForm> ui;
};
