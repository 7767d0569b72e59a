#include "settings/PasswordPage.h"

#include "net/GatewayConnections.h"
#include "net/GatewayReply.h"
#include "net/SessionData.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"
#include "widgets/PlainText.h"

#include <QLabel>
#include <QPushButton>

namespace {
// No reply, an HTTP error or the 30 seconds passed: the cashier must not take silence for success.
const QString kNoReply = QStringLiteral("网络异常，请检查网络后重试");
} // namespace

PasswordPage::PasswordPage(QWidget* parent)
    : QWidget(parent), m_account(gateway::jsonText(SessionData::instance().userInfo().value(QStringLiteral("uname"))))
{}

void PasswordPage::setUpPage(QLabel* lblzh, QPushButton* btnOk)
{
    // The account name and whatever else of the gateway's the page shows are text.
    showLabelsAsPlainText(this);
    lblzh->setText(m_account);
    btnOk->setStyleSheet(imageButtonStyle(QStringLiteral("query_nor.png"), QStringLiteral("query_pre.png"),
                                          QStringLiteral("color:white;")));
    clickOnKey(btnOk, QKeySequence(Qt::Key_Return));
    clickOnKey(btnOk, keypadEnterKey());
}

bool PasswordPage::confirm(const QString& problem, const QByteArray& body)
{
    if (m_changing)
        return false;
    if (!problem.isEmpty()) {
        showTip(problem);
        return false;
    }
    m_changing = true;
    post(&PasswordPage::onModifyResult, body);
    return true;
}

bool PasswordPage::changeAnswered(bool bSuccess)
{
    m_changing = false;
    if (!bSuccess)
        showTip(kNoReply);
    return bSuccess;
}

void PasswordPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_ready)
        m_ready = new ReadyConnection(gateway::gatewayUrl(), this);
}

void PasswordPage::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    delete m_ready;
}

void PasswordPage::showTip(const QString& text)
{
    MessageBox::critical(this, QStringLiteral("温馨提示"), text);
}
