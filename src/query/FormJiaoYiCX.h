#pragma once

#include "core/Order.h"
#include "core/SettingsPage.h"

#include <QDateTime>
#include <QJsonObject>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <memory>

namespace Ui {
class FormJiaoYiCX;
}
class HttpFun;
class LoadingDialog;
class QPushButton;

// The main window's transaction query tab: the shop's payments page by page for a period, the
// per-channel counts and sums, and for every order a refund, an item (room/hand-card) and a reprint
// button. A fresh tab is made at every switch, so it starts on page 1 with today's dates and asks
// for nothing until the cashier queries.
class FormJiaoYiCX : public QWidget
{
    Q_OBJECT

public:
    explicit FormJiaoYiCX(QWidget* parent = nullptr);
    ~FormJiaoYiCX() override;

    // Asks for `page` and waits in the busy dialog until the reply has been shown.
    void listPay(int page);
    void fillRow(int row, const Order& order);

    int currentPage() const { return m_currentPage; }

signals:
    // The refund dialog asks for a settings page (the refund password pages).
    void settingsPageRequested(SettingsPage page);
    // The cashier summary's quit question was answered yes: the shift is over.
    void quitRequested();

private slots:
    void slot_requestFinished(bool bSuccess, const QByteArray& byteResult);
    void onBtnClicked();
    void onBtnPrinterClicked();
    void onBtnCardClicked();
    void on_query_btn_clicked();
    void on_up_page_btn_clicked();
    void on_next_page_btn_clicked();
    void on_query_page_btn_clicked();
    void on_btn_mytrade_clicked();

private:
    // The order of the row whose button sent the signal; empty when the sender is no row button.
    QJsonObject senderOrder() const;
    QPushButton* rowButton(const QString& text, const char* kind, void (FormJiaoYiCX::*slot)());

    std::unique_ptr<Ui::FormJiaoYiCX> ui;
    LoadingDialog* loadingDialog;
    int columnCount = 7;
    int m_currentPage = 1;
    int m_itemColumn = -1;
    // Orders of the page whose refund is still unknown.
    QSet<QString> m_refundsUnknown;
    QDateTime m_listAskedAt; // when the page on its way was asked for
    int m_refundColumn = -1;
    QPointer<HttpFun> m_request;
};
