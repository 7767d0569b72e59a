#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutDialog;
}

// The version box: logo, product name and version, rights line.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    std::unique_ptr<Ui::AboutDialog> ui;
};
