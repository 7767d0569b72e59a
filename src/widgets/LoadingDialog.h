#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LoadingDialog;
}

// A translucent "please wait" box with a spinner, shown modally while a query runs. The reply ends
// it (accept()); the cashier cannot: with the box gone and the request still out, the screen would
// take new queries it cannot send yet.
class LoadingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LoadingDialog(QWidget* parent = nullptr);
    ~LoadingDialog() override;

    // Escape and a close of the window land here; they are ignored.
    void reject() override;

private:
    std::unique_ptr<Ui::LoadingDialog> ui;
};
