#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class SelectShopDialog;
}

// Right after login: which of the merchant's shops this run collects for. The list comes from the
// gateway; the shop chosen last time is preselected; confirming opens the main window.
class SelectShopDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SelectShopDialog(QWidget* parent = nullptr);
    ~SelectShopDialog() override;

private slots:
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);
    void on_comboBox_currentIndexChanged(int index);
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();

private:
    void requestShops();

    std::unique_ptr<Ui::SelectShopDialog> ui;
};
