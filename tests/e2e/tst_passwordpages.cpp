// The three password pages of the settings panel against the demo gateway: the checks before
// anything is sent, what the gateway receives and then holds, the question lookup choosing between
// setting and resetting the refund password, refusals, failures, and what stays on this computer.

#include "net/GatewayReply.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "settings/ModifyPwdDialog.h"
#include "settings/ModifyRedundPwdDialog.h"
#include "settings/SetRefundPwdDialog.h"
#include "widgets/MessageBox.h"

#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {
const QString kEditPassword = QStringLiteral("Share.Ace.editPassword");
const QString kEditRefund1 = QStringLiteral("Share.Ace.editRefundPassword1");
const QString kGetQuestion = QStringLiteral("Share.Ace.getQuestion");
const QString kSetRefund = QStringLiteral("Share.Ace.setRefundPassword");
const QString kEditRefund = QStringLiteral("Share.Ace.editRefundPassword");
const QString kNoReply = QStringLiteral("网络异常，请检查网络后重试");

// Every debug line of the run, to prove that no password reaches one.
QStringList g_log;
void collectLog(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_log.append(message);
}
} // namespace

class TestPasswordPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    std::unique_ptr<DemoGateway> m_gateway; // a fresh one per test: the tests change passwords
    QPointer<QWidget> m_page;

    bool logIn(const QString& uname, const QString& password)
    {
        const GatewayCall login = callGateway(m_gateway->url(), gateway::loginBody(uname, password));
        if (gateway::jsonInt(login.content().value("code")) != 1)
            return false;
        SessionData::instance().setUserInfo(login.content());
        SessionData::instance().setLoginPassword(password);
        return true;
    }

    template <typename Page> void open()
    {
        delete m_page.data();
        m_page = new Page;
        m_page->show();
    }

    QLineEdit* edit(const char* name) const { return m_page->findChild<QLineEdit*>(name); }

    // Fills the page's fields, in the order the page shows them, and presses the button.
    void confirm(const QStringList& values)
    {
        const QList<const char*> order{"txtOldPwd", "txtQuestion", "txtAnswer", "txtPwd", "txtPwd1"};
        int next = 0;
        for (const char* name : order)
            if (QLineEdit* field = edit(name); field && field->isEnabled())
                field->setText(values.value(next++));
        QCOMPARE(next, values.size());
        m_page->findChild<QPushButton*>("btnOk")->click();
    }

    // The texts of the boxes shown since the last call, once `count` of them are there (or after 5 s),
    // each checked to be the critical "温馨提示".
    QStringList boxes(int count)
    {
        QStringList texts;
        const auto collect = [&texts, count] {
            for (const MessageBox::Shown& box : MessageBox::takeShown()) {
                const bool tip = box.icon == MessageBox::Critical && box.title == QStringLiteral("温馨提示");
                texts.append(tip ? box.text : "unexpected box: " + box.title);
            }
            return texts.size() >= count;
        };
        (void)QTest::qWaitFor(collect, 5000); // what came is compared by the caller
        return texts;
    }

    int sent(const QString& action) { return gatewayRequests(*m_gateway, action).size(); }
    QJsonObject fields(const QString& action, int index) { return gatewayRequestFields(*m_gateway, action, index); }

    // The gateway's answer to changing the refund password from `password` to itself: proves which
    // refund password it holds.
    QString refundPasswordCheck(const QString& password)
    {
        const QString uname = gateway::jsonText(SessionData::instance().userInfo().value("uname"));
        return callGateway(m_gateway->url(), gateway::editRefundPassword1Body(SessionData::instance().token(), uname,
                                                                              password, password, password))
            .content()
            .value("respType")
            .toString();
    }

    // Waits until the page's question lookup has been answered.
    void waitForLookup()
    {
        QTRY_COMPARE_WITH_TIMEOUT(sent(kGetQuestion), 1, 5000);
        QTest::qWait(150);
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY(m_dir->isValid());
        MessageBox::setRecording(true);
        // The gateway log is off unless asked for; a field that reached it would show here.
        QLoggingCategory::setFilterRules(QStringLiteral("cashier.gateway.debug=true"));
        qInstallMessageHandler(collectLog);
    }

    void init()
    {
        m_gateway = std::make_unique<DemoGateway>();
        QVERIFY2(m_gateway->start(), qPrintable(m_gateway->error()));
        QVERIFY(writeDataIni(*m_gateway));
        MessageBox::takeShown();
        g_log.clear();
    }

    void cleanup()
    {
        delete m_page.data();
        HttpFun::setTimeoutForTesting(0);
        // A request that has reported but is not deleted yet keeps its connection open, and a
        // stopping gateway waits seconds for such connections.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_gateway.reset();
    }

    // 密码设置: checked against the password typed at login, then the gateway takes the new one; the
    // session follows it, and data.ini only where the login remembers its password.
    void loginPassword_data()
    {
        QTest::addColumn<bool>("remembered");
        QTest::newRow("password remembered") << true;
        QTest::newRow("password not remembered") << false;
    }
    void loginPassword()
    {
        QFETCH(bool, remembered);
        QVERIFY(writeDataIni(*m_gateway, remembered ? "user=demo\npwd=demo123\nremPwdstatus=true\n"
                                                    : "user=demo\npwd=\nremPwdstatus=false\n"));
        QVERIFY(logIn("demo", "demo123"));
        open<ModifyPwdDialog>();
        QCOMPARE(m_page->findChild<QLabel*>("lblzh")->text(), QString("demo"));

        confirm({"", "", ""});
        confirm({"Demo123", "abc123", "abc123"});
        confirm({"demo123", "abc12", "abc12"});
        confirm({"demo123", "abc123", "abc124"});
        QCOMPARE(boxes(4),
                 QStringList({"请输入正确的原密码", "请输入正确的原密码", "请输入新密码，至少6位", "两次密码不一致"}));
        QTest::qWait(100);
        QCOMPARE(sent(kEditPassword), 0);

        // Refused: sent as typed, the gateway's reason shown, nothing kept.
        const QString refusedPassword = QStringLiteral(" pass 密码&=+% ");
        confirm({"demo123", refusedPassword, refusedPassword});
        QCOMPARE(boxes(1), QStringList({"密码只能由字母和数字组成"}));
        QCOMPARE(fields(kEditPassword, 0).value("pword").toString(), refusedPassword);
        QCOMPARE(fields(kEditPassword, 0).value("re_password").toString(), refusedPassword);
        QCOMPARE(SessionData::instance().loginPassword(), QString("demo123"));

        confirm({"demo123", "abc123", "abc123"});
        QCOMPARE(boxes(1), QStringList({"密码修改成功"}));
        const QJsonObject accepted = fields(kEditPassword, 1);
        QCOMPARE(accepted.value("uname").toString(), QString("demo"));
        QCOMPARE(accepted.value("pword").toString(), QString("abc123"));
        QCOMPARE(callGateway(m_gateway->url(), gateway::loginBody("demo", "abc123")).content().value("code").toInt(),
                 1);
        QCOMPARE(SessionData::instance().loginPassword(), QString("abc123"));
        if (remembered) {
            QCOMPARE(dataIniValue("pwd"), QString("abc123"));
            QCOMPARE(dataIniValue("remPwdstatus"), QString("true"));
        } else {
            QCOMPARE(dataIniValue("remPwdstatus"), QString("false"));
            QVERIFY(!readFileBytes("data.ini").contains("abc123"));
        }
        QCOMPARE(dataIniValue("user"), QString("demo"));

        // The gateway now holds the new password, so the next change starts from it.
        confirm({"demo123", "xyz789", "xyz789"});
        QCOMPARE(boxes(1), QStringList({"请输入正确的原密码"}));
        confirm({"abc123", "xyz789", "xyz789"});
        QCOMPARE(boxes(1), QStringList({"密码修改成功"}));
        QCOMPARE(sent(kEditPassword), 3);
        QVERIFY(!readFileBytes("data.ini").contains(remembered ? "abc123" : "xyz789"));
    }

    // 修改退款密码: its checks, the gateway judging the old password, a new password of any
    // characters arriving byte for byte, and one change however often the cashier presses.
    void refundPasswordChange_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("spaces") << QStringLiteral(" 12 34 ");
        QTest::newRow("Chinese") << QStringLiteral("退款密码六位");
        QString hundred;
        for (int i = 0; hundred.size() < 100; ++i)
            hundred += QStringLiteral("密&=+%a ").at(i % 7);
        QTest::newRow("100 characters") << hundred;
    }
    void refundPasswordChange()
    {
        QFETCH(QString, password);
        QVERIFY(logIn("demo", "demo123"));
        open<ModifyRedundPwdDialog>();
        confirm({"", "", ""});
        confirm({"12345", "654321", "654321"});
        confirm({"123456", "65432", "65432"});
        confirm({"123456", "654321", "65432"});
        QCOMPARE(boxes(4), QStringList({"请输入原密码,至少6位", "请输入原密码,至少6位", "请输入新密码，至少6位",
                                        "两次密码不一致"}));

        confirm({"000000", password, password});
        QCOMPARE(boxes(1), QStringList({"原退款密码错误"}));

        QVERIFY(!m_gateway->adminPost("delay?action=" + kEditRefund1 + "&ms=600").isNull());
        m_page->activateWindow();
        QTRY_VERIFY(m_page->isActiveWindow());
        confirm({"123456", password, password});
        m_page->findChild<QPushButton*>("btnOk")->click();
        QTest::keyClick(m_page->windowHandle(), Qt::Key_Return);
        QTest::keyClick(m_page->windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(boxes(1), QStringList({"操作成功"}));
        QTest::qWait(200);
        QCOMPARE(sent(kEditRefund1), 2);
        const QJsonObject change = fields(kEditRefund1, 1);
        QCOMPARE(change.value("oldpwd").toString(), QString("123456"));
        QCOMPARE(change.value("pword").toString(), password);
        QCOMPARE(change.value("re_password").toString(), password);
        QCOMPARE(refundPasswordCheck(password), QString("Success"));
        QCOMPARE(refundPasswordCheck("123456"), QString("原退款密码错误"));

        // Once answered, the button works again.
        QTest::keyClick(m_page->windowHandle(), Qt::Key_Return);
        QCOMPARE(boxes(1), QStringList({"原退款密码错误"}));

        const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(password));
        QVERIFY(g_log.filter(kEditRefund1).size() >= 3);
        for (const QString& line : qAsConst(g_log))
            QVERIFY2(!line.contains(password) && !line.contains(encoded) && !line.contains("123456"), qPrintable(line));
    }

    // 忘记退款密码: an account without a question sets one; a new page then finds it, keeps it as it
    // is and resets by its answer.
    void refundPasswordSetAndReset()
    {
        QVERIFY(logIn("demo2", "demo123"));
        open<SetRefundPwdDialog>();
        waitForLookup();
        QVERIFY(edit("txtQuestion")->isEnabled());
        confirm({"", "", "", ""});
        confirm({"宠物名字？", "旺财", "654321", "654321"});
        confirm({"您的宠物名字？", "旺", "654321", "654321"});
        confirm({"您的宠物名字？", "旺财", "65432", "65432"});
        confirm({"您的宠物名字？", "旺财", "654321", "654320"});
        QCOMPARE(boxes(5), QStringList({"请输入问题,至少6位", "请输入问题,至少6位", "请输入答案,至少2位",
                                        "请输入新密码，至少6位", "两次密码不一致"}));

        const QString question = QStringLiteral("您的宠物 名字&=？");
        confirm({question, "旺财", "654321", "654321"});
        QCOMPARE(boxes(1), QStringList({"操作成功"}));
        QCOMPARE(sent(kEditRefund), 0);
        QCOMPARE(fields(kSetRefund, 0).value("question").toString(), question);
        QCOMPARE(fields(kSetRefund, 0).value("answer").toString(), QString("旺财"));
        QCOMPARE(refundPasswordCheck("654321"), QString("Success"));

        open<SetRefundPwdDialog>();
        QTRY_VERIFY(!edit("txtQuestion")->isEnabled());
        QCOMPARE(edit("txtQuestion")->text(), question);
        confirm({"旺", "111111", "111111"});
        QCOMPARE(boxes(1), QStringList({"请输入答案,至少2位"}));
        confirm({"小白", "111111", "111111"});
        QCOMPARE(boxes(1), QStringList({"密保答案错误"}));
        confirm({"旺财", "111111", "111111"});
        QCOMPARE(boxes(1), QStringList({"操作成功"}));
        QCOMPARE(sent(kSetRefund), 1);
        QCOMPARE(fields(kEditRefund, 1).value("question").toString(), question);
        QCOMPARE(refundPasswordCheck("111111"), QString("Success"));

        // A lookup that fails is silent: the cashier may write a question, and the gateway says it
        // has one already.
        QVERIFY(
            !m_gateway
                 ->adminPost("respond?action=" + kGetQuestion + "&status=500", R"({"content":{"refundquestion":"x"}})")
                 .isNull());
        open<SetRefundPwdDialog>();
        QTest::qWait(300);
        QVERIFY(edit("txtQuestion")->isEnabled());
        QCOMPARE(edit("txtQuestion")->text(), QString());
        confirm({"另一个问题问题", "旺财", "222222", "222222"});
        QCOMPARE(boxes(1), QStringList({"已设置过密保问题，请回答问题重设退款密码"}));
    }

    // Failures and replies that say nothing are told; the next press goes through.
    void failuresAreTold_data()
    {
        QTest::addColumn<int>("page"); // 3, 4, 5 as the panel numbers them
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("text");
        const QByteArray nothing = R"({"content":{"code":0}})";
        const QString failed = QStringLiteral("操作失败，请重试");
        QTest::newRow("login password, HTTP 500") << 3 << "respond?status=500&type=text/html&action=" + kEditPassword
                                                  << QByteArray("<html>500</html>") << 0 << kNoReply;
        QTest::newRow("login password, refused without msg")
            << 3 << "respond?action=" + kEditPassword << nothing << 0 << failed;
        QTest::newRow("refund change, timeout")
            << 4 << "delay?ms=2000&action=" + kEditRefund1 << QByteArray() << 500 << kNoReply;
        QTest::newRow("refund change, no respType") << 4 << "respond?action=" + kEditRefund1 << nothing << 0 << failed;
        QTest::newRow("refund reset, HTTP 500")
            << 5 << "respond?status=502&action=" + kEditRefund << QByteArray() << 0 << kNoReply;
    }
    void failuresAreTold()
    {
        QFETCH(int, page);
        QFETCH(QString, control);
        QFETCH(QByteArray, reply);
        QFETCH(int, timeoutMs);
        QFETCH(QString, text);
        QVERIFY(logIn("demo", "demo123"));
        QVERIFY(!m_gateway->adminPost(control, reply).isNull());
        HttpFun::setTimeoutForTesting(timeoutMs);
        QStringList values{"123456", "654321", "654321"};
        if (page == 3) {
            open<ModifyPwdDialog>();
            values.first() = "demo123";
        } else if (page == 4) {
            open<ModifyRedundPwdDialog>();
        } else {
            open<SetRefundPwdDialog>();
            QTRY_VERIFY(!edit("txtQuestion")->isEnabled());
            values.first() = QStringLiteral("李秀英");
        }
        confirm(values);
        QCOMPARE(boxes(1), QStringList({text}));
        HttpFun::setTimeoutForTesting(0);
        confirm(values);
        QCOMPARE(boxes(1).size(), 1);
        QCOMPARE(sent(page == 3 ? kEditPassword : page == 4 ? kEditRefund1 : kEditRefund), 2);
    }

    // The panel deletes a page when another is chosen, whatever it still waits for.
    void replyForADeletedPage()
    {
        QVERIFY(logIn("demo", "demo123"));
        QVERIFY(!m_gateway->adminPost("delay?ms=300&count=2&action=*").isNull());
        open<SetRefundPwdDialog>();
        open<ModifyRedundPwdDialog>();
        confirm({"123456", "654321", "654321"});
        delete m_page.data();
        QTest::qWait(600);
        QCOMPARE(sent(kGetQuestion), 1);
        QCOMPARE(refundPasswordCheck("654321"), QString("Success"));
        QCOMPARE(boxes(0), QStringList());
    }
};

CASHIER_WIDGET_TEST_MAIN(TestPasswordPages)
#include "tst_passwordpages.moc"
