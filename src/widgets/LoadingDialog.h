#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LoadingDialog;
}

// A translucent "please wait" box with a spinner, shown modally while a query runs.
class LoadingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LoadingDialog(QWidget* parent = nullptr);
    ~LoadingDialog() override;

private:
    std::unique_ptr<Ui::LoadingDialog> ui;
};
