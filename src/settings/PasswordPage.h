#pragma once

#include "net/GatewayRequests.h"
#include "net/HttpFun.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class ReadyConnection;
class QPushButton;

// What the three password pages of the settings panel share: the account name, the confirm button,
// the one change request they send per press and the critical "温馨提示" box they answer with.
class PasswordPage : public QWidget
{
    Q_OBJECT

protected:
    explicit PasswordPage(QWidget* parent);

    // After the form is set up: its labels plain text, the logged-in account into `lblzh`; the
    // button's look, and Return and the keypad's Enter as its keys.
    void setUpPage(QLabel* lblzh, QPushButton* btnOk);

    // The account the page changes ("uname" of the login reply).
    QString account() const { return m_account; }

    // The confirm press. While a change is on its way nothing happens (a second press or a burst of
    // Return sends nothing); otherwise `problem`, the first failing local check, is shown, or, when
    // there is none, `body` is sent and its reply comes to onModifyResult. True when it was sent.
    bool confirm(const QString& problem, const QByteArray& body);

    // The first step of onModifyResult: the button works again, and a request that failed or timed
    // out is told to the cashier (the password may or may not have changed). False when there is no
    // reply to read.
    bool changeAnswered(bool bSuccess);

    void showTip(const QString& text);

    // While the page is on screen, a connection waits ready for its change.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // One request; its report goes to `slot` of this page, and is dropped when the panel has deleted
    // the page meanwhile.
    template <typename Page>
    void post(void (Page::*slot)(bool, const QByteArray&), const QByteArray& body,
              HttpFun::Effect effect = HttpFun::Effect::Changes)
    {
        auto* request = new HttpFun;
        connect(request, &HttpFun::signal_requestFinished, static_cast<Page*>(this), slot);
        request->post(gateway::gatewayUrl(), body, effect);
    }

protected slots:
    // The reply of the page's change request.
    virtual void onModifyResult(bool bSuccess, const QByteArray& byteResult) = 0;

private:
    QString m_account;
    bool m_changing = false;
    QPointer<ReadyConnection> m_ready;
};
