#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>

namespace Ui {
class SelectShopDialog;
}
class HttpFun;

// Right after login: which of the merchant's shops this run collects for. The list comes from the
// gateway; the shop chosen last time is preselected; confirming hands over to the main window.
// There is no way back from here, so the dialog cannot be closed or escaped, only confirmed.
class SelectShopDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SelectShopDialog(QWidget* parent = nullptr);
    ~SelectShopDialog() override;

signals:
    // "确认收款": the shop is in the session and remembered; the main window comes next.
    void shopChosen();

public slots:
    // Escape and the window manager's close would leave a program with no window: ignored.
    void reject() override;

private slots:
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);
    void on_comboBox_currentIndexChanged(int index);
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();

private:
    void requestShops();

    std::unique_ptr<Ui::SelectShopDialog> ui;
    // The request whose reply fills the list; replies to earlier ones are dropped.
    QPointer<HttpFun> m_latestRequest;
};
