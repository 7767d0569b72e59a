// The login window against the demo gateway: the remembered login, what the fields accept, the
// refusals before anything is sent, the login and its failures, and the version check at start.

#include "app/FloatWidget.h"
#include "app/LoginWidget.h"
#include "collect/SelectShopDialog.h"
#include "widgets/MessageBox.h"
#include "net/GatewayReply.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"

#include "DemoGateway.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QtTest>

#include <memory>

namespace {
const QString kLogin = QStringLiteral("Share.Ace.login");
const QString kUpdate = QStringLiteral("Share.App.update");
// Most cases leave the version check out, so that its reply cannot add a box of its own.
const QByteArray kNoVersionCheck = "check_updata=1\n";
const QString kUpdateText = QStringLiteral("检测到新版本，是否更新到新版本?");

// A box in one line, so that a mismatch shows everything at once.
QString describe(const MessageBox::Shown& box)
{
    static const char* const icons[] = {"NoIcon", "Information", "Warning", "Critical", "Question"};
    return QStringList{icons[box.icon], box.title, box.text, box.buttons.join(',')}.join('|');
}

QString critical(const QString& title, const QString& text)
{
    return QStringList{"Critical", title, text, "OK"}.join('|');
}

const QString kUpdateQuestion =
    QStringList{"Warning", QStringLiteral("版本更新"), kUpdateText, QStringLiteral("更新,不更新")}.join('|');
} // namespace

class TestLoginWidget : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    QList<MessageBox::Shown> m_boxes;

    QPointer<LoginWidget> m_login;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_button = nullptr;
    QCheckBox* m_remember = nullptr;

    // Writes data.ini, then builds and shows the login window; false when its form lacks a control.
    bool openLogin(const QByteArray& dataIniLines)
    {
        if (!writeDataIni(m_gateway, dataIniLines))
            return false;
        m_login = new LoginWidget;
        m_login->show();
        m_user = m_login->findChild<QLineEdit*>("login_user");
        m_password = m_login->findChild<QLineEdit*>("login_password");
        m_button = m_login->findChild<QPushButton*>("login_btn");
        m_remember = m_login->findChild<QCheckBox*>("Rem_PassWord");
        return m_user && m_password && m_button && m_remember;
    }

    QWidget* loginWindow() const { return m_login.data(); }

    void typeLogin(const QString& account, const QString& password)
    {
        m_user->clear();
        m_password->clear();
        QTest::keyClicks(m_user, account);
        QTest::keyClicks(m_password, password);
    }

    // Collects the boxes shown so far; the count of all of them in this test.
    int boxCount()
    {
        m_boxes += MessageBox::takeShown();
        return m_boxes.size();
    }

    // Account, password, login button, remember box: which of them take input.
    QList<bool> formEnabled() const
    {
        return {m_user->isEnabled(), m_password->isEnabled(), m_button->isEnabled(), m_remember->isEnabled()};
    }

private slots:
    void initTestCase()
    {
        // data.ini is bound to the working directory on first use: one directory for every case.
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
    }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        MessageBox::setRecording(true);
        m_boxes.clear();
        SessionData::instance().setUserInfo(QJsonObject());
        SessionData::instance().setLoginPassword(QString());
    }

    void cleanup()
    {
        deleteWindows<SelectShopDialog>();
        deleteWindows<LoginWidget>();
        HttpFun::setTimeoutForTesting(0);
        QDir(m_dir->filePath("install")).removeRecursively();
        QFile::remove(m_dir->filePath("updated.marker"));
    }

    void rememberedLoginFillsTheForm_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("remembered") << QByteArray("remPwdstatus=true\n") << "abc123" << true;
        QTest::newRow("capitalised True") << QByteArray("remPwdstatus=True\n") << "" << false;
        QTest::newRow("not remembered") << QByteArray("remPwdstatus=false\n") << "" << false;
        QTest::newRow("status missing") << QByteArray() << "" << false;
    }
    void rememberedLoginFillsTheForm()
    {
        QFETCH(QByteArray, status);
        QFETCH(QString, password);
        QFETCH(bool, ticked);
        QVERIFY(openLogin(kNoVersionCheck + "user=shop01\npwd=abc123\n" + status));

        QCOMPARE(m_user->text(), QString("shop01"));
        QCOMPARE(m_password->text(), password);
        QCOMPARE(m_remember->isChecked(), ticked);
        QCOMPARE(m_password->echoMode(), QLineEdit::Password);
    }

    void fieldsAcceptOnlyLettersAndDigits_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::newRow("dash and space typed") << "ab-c d" << false << "abcd";
        QTest::newRow("punctuation typed") << "Demo_123!@." << false << "Demo123";
        QTest::newRow("Chinese pasted") << QStringLiteral("张三") << true << "";
        QTest::newRow("letters and digits pasted") << "Shop2024" << true << "Shop2024";
    }
    void fieldsAcceptOnlyLettersAndDigits()
    {
        QFETCH(QString, input);
        QFETCH(bool, pasted);
        QFETCH(QString, kept);
        QVERIFY(openLogin(kNoVersionCheck));

        for (QLineEdit* field : {m_user, m_password}) {
            field->clear();
            if (pasted)
                field->insert(input);
            else
                QTest::keyClicks(field, input);
            QCOMPARE(field->text(), kept);
        }
    }

    void emptyFieldsAreRefusedBeforeSending_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, const char* account, const char* password, const char* trigger,
                      const QString& text) {
            QTest::newRow(name) << QString(account) << QString(password) << QString(trigger) << text;
        };
        row("both empty", "", "", "click", QStringLiteral("账号和密码不能为空"));
        row("account empty", "", "demo123", "click", QStringLiteral("账号不能为空"));
        row("password empty", "demo", "", "click", QStringLiteral("密码不能为空"));
        row("Enter in password, account empty", "", "demo123", "enter-password", QStringLiteral("账号不能为空"));
        row("Enter in account, password empty", "demo", "", "enter-account", QStringLiteral("密码不能为空"));
        // Enter in a field that is itself empty still says what is missing.
        row("Enter in the empty password field", "demo", "", "enter-password", QStringLiteral("密码不能为空"));
        row("Enter with both fields empty", "", "", "enter-account", QStringLiteral("账号和密码不能为空"));
    }
    void emptyFieldsAreRefusedBeforeSending()
    {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(QString, trigger);
        QFETCH(QString, text);
        QVERIFY(openLogin(kNoVersionCheck));
        typeLogin(account, password);

        if (trigger == "click")
            m_button->click();
        else
            QTest::keyClick(trigger == "enter-password" ? m_password : m_user, Qt::Key_Return);

        // Exactly one box: Enter must not log in twice.
        QCOMPARE(boxCount(), 1);
        QCOMPARE(describe(m_boxes.at(0)), critical(QStringLiteral("温馨提示"), text));
        QCOMPARE(m_boxes.at(0).parent.data(), loginWindow());
        QCOMPARE(formEnabled(), QList<bool>({true, true, true, true}));
        QTest::qWait(300);
        QVERIFY(gatewayRequests(m_gateway, kLogin).isEmpty());
    }

    void successfulLoginHandsOverToShopSelection_data()
    {
        QTest::addColumn<QByteArray>("remembered");
        QTest::addColumn<bool>("clickRemember");
        QTest::addColumn<bool>("remember");
        const QByteArray before = "user=demo\npwd=demo123\nremPwdstatus=true\n";
        QTest::newRow("box ticked") << QByteArray() << true << true;
        QTest::newRow("box left clear") << QByteArray() << false << false;
        QTest::newRow("remembered, kept") << before << false << true;
        QTest::newRow("remembered, unticked") << before << true << false;
    }
    void successfulLoginHandsOverToShopSelection()
    {
        QFETCH(QByteArray, remembered);
        QFETCH(bool, clickRemember);
        QFETCH(bool, remember);
        QVERIFY(openLogin(kNoVersionCheck + remembered));
        QCOMPARE(m_login->findChildren<QSystemTrayIcon*>().size(), 1);
        QCOMPARE(m_login->findChildren<FloatWidget*>().size(), 1);
        typeLogin("demo", "demo123");
        if (clickRemember)
            m_remember->click();
        QCOMPARE(m_remember->isChecked(), remember);

        m_button->click();
        QTRY_COMPARE_WITH_TIMEOUT(topLevelWindows<SelectShopDialog>().size(), 1, 5000);

        QVERIFY(topLevelWindows<SelectShopDialog>().first()->isVisible());
        QVERIFY(!m_login->isVisible());
        QCOMPARE(boxCount(), 0);
        // The tray icon and floating widget of the login window go; the main window brings its own.
        QTRY_VERIFY(m_login->findChildren<QSystemTrayIcon*>().isEmpty());
        QTRY_VERIFY(m_login->findChildren<FloatWidget*>().isEmpty());

        const QJsonArray sent = gatewayRequests(m_gateway, kLogin);
        QCOMPARE(sent.size(), 1);
        const QJsonObject fields = sent.at(0).toObject().value("fields").toObject();
        QCOMPARE(fields.value("uname").toString(), QString("demo"));
        QCOMPARE(fields.value("pword").toString(), QString("demo123"));

        const QJsonObject user = SessionData::instance().userInfo();
        QCOMPARE(gateway::jsonText(user.value("uname")), QString("demo"));
        QCOMPARE(gateway::jsonText(user.value("id")), QString("10001"));
        QCOMPARE(gateway::jsonText(user.value("rname")), QStringLiteral("张晓梅"));
        const QString token = gateway::jsonText(user.value("token"));
        QVERIFY(!token.isEmpty());
        QVERIFY2(m_gateway.adminGet("rows?table=tokens").contains(token.toUtf8()), "a token the gateway issued");
        QCOMPARE(SessionData::instance().loginPassword(), QString("demo123"));
        QCOMPARE(m_password->text(), QString());

        QCOMPARE(dataIniValue("user"), QString("demo"));
        QCOMPARE(dataIniValue("pwd"), remember ? QString("demo123") : QString(""));
        QCOMPARE(dataIniValue("remPwdstatus"), remember ? QString("true") : QString("false"));
    }

    void failedLoginReturnsTheFormToIdle_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("box");
        const QString refused = critical(QStringLiteral("错误提示"), QStringLiteral("账号/密码错误"));
        const QString noNetwork = critical(QStringLiteral("温馨提示"), QStringLiteral("登录失败,请查看网络连接"));
        const QString respond = "respond?action=" + kLogin;
        QTest::newRow("wrong password") << QString() << QByteArray() << "wrong99" << 0 << refused;
        QTest::newRow("HTTP 500") << respond + "&status=500&type=text/html" << QByteArray("<html>500</html>")
                                  << "demo123" << 0 << noNetwork;
        QTest::newRow("no reply within the timeout")
            << "delay?action=" + kLogin + "&ms=2000" << QByteArray() << "demo123" << 500 << noNetwork;
        // Not a reply of the gateway's login: no verdict on the password.
        QTest::newRow("reply not JSON") << respond << QByteArray("not json") << "demo123" << 0 << noNetwork;
        QTest::newRow("empty object") << respond << QByteArray("{}") << "demo123" << 0 << noNetwork;
        QTest::newRow("token without code")
            << respond << QByteArray(R"({"content":{"token":"abc","id":"1"}})") << "demo123" << 0 << refused;
    }
    void failedLoginReturnsTheFormToIdle()
    {
        QFETCH(QString, control);
        QFETCH(QByteArray, reply);
        QFETCH(QString, password);
        QFETCH(int, timeoutMs);
        QFETCH(QString, box);
        if (!control.isEmpty())
            QVERIFY(!m_gateway.adminPost(control, reply).isNull());
        HttpFun::setTimeoutForTesting(timeoutMs);
        QVERIFY(openLogin(kNoVersionCheck));
        const QString idleStyle = m_button->styleSheet();
        typeLogin("demo", password);

        m_button->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 1, 5000);

        QCOMPARE(describe(m_boxes.at(0)), box);
        QCOMPARE(m_boxes.at(0).parent.data(), loginWindow());
        QVERIFY(m_login->isVisible());
        QCOMPARE(formEnabled(), QList<bool>({true, true, true, true}));
        QCOMPARE(m_button->styleSheet(), idleStyle);
        QVERIFY(SessionData::instance().userInfo().isEmpty());
        QVERIFY(SessionData::instance().loginPassword().isEmpty());
        QVERIFY(topLevelWindows<SelectShopDialog>().isEmpty());
        QVERIFY(dataIniValue("user").isNull());

        // The cashier can change the remember box and try again; the new choice counts.
        QVERIFY(!m_remember->isChecked());
        m_remember->click();
        QVERIFY(m_remember->isChecked());
        typeLogin("demo", "demo123");
        m_button->click();
        QTRY_COMPARE_WITH_TIMEOUT(topLevelWindows<SelectShopDialog>().size(), 1, 5000);
        QCOMPARE(dataIniValue("remPwdstatus"), QString("true"));
        QCOMPARE(dataIniValue("pwd"), QString("demo123"));
        QCOMPARE(boxCount(), 1);
    }

    void formIsBusyWhileTheLoginIsInFlight()
    {
        QVERIFY(!m_gateway.adminPost("delay?action=" + kLogin + "&ms=1500").isNull());
        QVERIFY(openLogin(kNoVersionCheck));
        QVERIFY(!m_button->styleSheet().contains("loading.png"));
        typeLogin("demo", "demo123");

        m_button->click();
        QCOMPARE(formEnabled(), QList<bool>({false, false, false, false}));
        QVERIFY(m_button->styleSheet().contains("loading.png"));
        // Neither a second click nor Enter starts another login meanwhile.
        m_button->click();
        QTest::keyClick(m_password, Qt::Key_Return);
        QTest::qWait(300);
        QCOMPARE(formEnabled(), QList<bool>({false, false, false, false}));

        QTRY_COMPARE_WITH_TIMEOUT(topLevelWindows<SelectShopDialog>().size(), 1, 5000);
        QCOMPARE(gatewayRequests(m_gateway, kLogin).size(), 1);
        QCOMPARE(boxCount(), 0);
    }

    void versionCheckFollowsTheSwitch_data()
    {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<bool>("sent");
        QTest::newRow("0") << QByteArray("check_updata=0\n") << true;
        QTest::newRow("missing") << QByteArray() << true;
        QTest::newRow("1") << QByteArray("check_updata=1\n") << false;
        QTest::newRow("2") << QByteArray("check_updata=2\n") << false;
    }
    void versionCheckFollowsTheSwitch()
    {
        QFETCH(QByteArray, setting);
        QFETCH(bool, sent);
        QVERIFY(openLogin(setting));

        if (sent) {
            QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, kUpdate).size(), 1, 5000);
            const QJsonObject fields = gatewayRequestFields(m_gateway, kUpdate);
            QCOMPARE(fields.value("system").toString(), QString("pc"));
            QVERIFY2(!fields.contains("token"), "the version check is sent before any login");
        } else {
            QTest::qWait(500);
            QVERIFY(gatewayRequests(m_gateway, kUpdate).isEmpty());
        }
    }

    void newerVersionIsOffered_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("asked");
        auto offer = [](const char* version) {
            const QJsonObject content{{"code", 1}, {"version_code", version}};
            return QJsonDocument(QJsonObject{{"content", content}}).toJson();
        };
        // Versions compare by their numbers.
        QTest::newRow("3.0.10") << offer("3.0.10") << true;
        QTest::newRow("3.0.2") << offer("3.0.2") << true;
        QTest::newRow("3.0.1 (this one)") << offer("3.0.1") << false;
        QTest::newRow("3.0.0") << offer("3.0.0") << false;
        QTest::newRow("2.9.9") << offer("2.9.9") << false;
        QTest::newRow("10.0.0") << offer("10.0.0") << true;
        QTest::newRow("code 0") << QByteArray(R"({"content":{"code":0,"version_code":"9.9.9"}})") << false;
        QTest::newRow("reply not JSON") << QByteArray("not json") << false;
    }
    void newerVersionIsOffered()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, asked);
        QVERIFY(!m_gateway.adminPost("respond?action=" + kUpdate, reply).isNull());
        QVERIFY(openLogin("check_updata=0\n"));
        QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, kUpdate).size(), 1, 5000);

        if (asked) {
            QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 1, 5000);
            QCOMPARE(describe(m_boxes.at(0)), kUpdateQuestion);
            QVERIFY2(m_boxes.at(0).parent.isNull(), "the update question has no parent");
        } else {
            QTest::qWait(500);
            QCOMPARE(boxCount(), 0);
        }
    }

    void failedVersionCheckIsReported_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("HTTP 500") << "respond?action=" + kUpdate + "&status=500" << 0;
        QTest::newRow("no reply within the timeout") << "delay?action=" + kUpdate + "&ms=2000" << 500;
    }
    void failedVersionCheckIsReported()
    {
        QFETCH(QString, control);
        QFETCH(int, timeoutMs);
        QVERIFY(!m_gateway.adminPost(control).isNull());
        HttpFun::setTimeoutForTesting(timeoutMs);
        QVERIFY(openLogin("check_updata=0\n"));

        QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 1, 5000);
        QCOMPARE(describe(m_boxes.at(0)),
                 critical(QStringLiteral("版本检测"), QStringLiteral("版本检测更新失败,请检查网络设置")));
        QCOMPARE(m_boxes.at(0).parent.data(), loginWindow());
    }

    void updateAnswerRunsTheInstaller_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("installerPresent");
        QTest::addColumn<bool>("ran");
        QTest::newRow("更新") << true << true << true;
        QTest::newRow("更新, no installer") << true << false << false;
        QTest::newRow("不更新") << false << true << false;
    }
    void updateAnswerRunsTheInstaller()
    {
        QFETCH(bool, update);
        QFETCH(bool, installerPresent);
        QFETCH(bool, ran);
        const QString marker = m_dir->filePath("updated.marker");
        if (installerPresent) {
            QVERIFY(QDir(m_dir->path()).mkpath("install"));
            const QString installer = m_dir->filePath("install/updata");
            QVERIFY(writeFileBytes(installer, "#!/bin/sh\necho ran > '" + marker.toUtf8() + "'\n"));
            QVERIFY(QFile::setPermissions(installer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        QVERIFY(!m_gateway.adminPost("version?code=3.0.10").isNull());
        MessageBox::setNextAnswer(update ? MessageBox::Accepted : MessageBox::Rejected);
        QVERIFY(openLogin("check_updata=0\n"));

        QTRY_VERIFY_WITH_TIMEOUT(boxCount() >= 1, 5000);
        QCOMPARE(m_boxes.at(0).text, kUpdateText);
        // The installer is waited for, so by now it has run.
        QCOMPARE(QFile::exists(marker), ran);
        const bool cannotStart = update && !installerPresent;
        QCOMPARE(boxCount(), cannotStart ? 2 : 1);
        if (cannotStart) {
            QCOMPARE(m_boxes.at(1).icon, MessageBox::Critical);
            QCOMPARE(m_boxes.at(1).title, QStringLiteral("版本更新"));
            QVERIFY(!m_boxes.at(1).text.isEmpty());
        }
        // The client goes on running either way.
        QVERIFY(m_login->isVisible());
        QCOMPARE(formEnabled(), QList<bool>({true, true, true, true}));
    }
};

CASHIER_WIDGET_TEST_MAIN(TestLoginWidget)
#include "tst_loginwidget.moc"
