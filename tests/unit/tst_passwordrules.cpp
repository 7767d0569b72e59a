// The password pages' local checks, the choice of the question action and the reading of their
// replies.

#include "core/PasswordRules.h"
#include "net/GatewayRequests.h"
#include "net/PasswordActions.h"

#include <QtTest>

using passwords::QuestionAction;

namespace {
enum Page {
    LoginChange,  // fields: old, new, repeated
    RefundChange, // fields: old, new, repeated
    FirstSet,     // fields: question, answer, new, repeated
    Reset,        // the same, the question being the gateway's
};
} // namespace

class TestPasswordRules : public QObject
{
    Q_OBJECT

private slots:
    void firstFailingCheck_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("problem"); // "" when the page may send
        const QString wrongOld = "请输入正确的原密码", shortNew = "请输入新密码，至少6位", differ = "两次密码不一致";
        const QString shortOld = "请输入原密码,至少6位", shortQuestion = "请输入问题,至少6位";
        const QString shortAnswer = "请输入答案,至少2位";
        // Five characters outside the BMP: ten UTF-16 units, still five characters.
        const QString fiveWide = QString::fromUcs4(U"\U0001F600\U0001F600\U00020BB7\U00020BB7\U00020BB7");

        // The login password typed at login is "demo123" in every LoginChange row.
        QTest::newRow("login: empty form") << int(LoginChange) << QStringList{"", "", ""} << wrongOld;
        QTest::newRow("login: old differs by case")
            << int(LoginChange) << QStringList{"DEMO123", "abcdef", "abcdef"} << wrongOld;
        QTest::newRow("login: new 5") << int(LoginChange) << QStringList{"demo123", "abcde", "abcdx"} << shortNew;
        QTest::newRow("login: new 6, repeated differs")
            << int(LoginChange) << QStringList{"demo123", "abcdef", "abcdeF"} << differ;
        QTest::newRow("login: all pass") << int(LoginChange) << QStringList{"demo123", "abcdef", "abcdef"} << "";

        QTest::newRow("refund change: old 5, new empty")
            << int(RefundChange) << QStringList{"12345", "", ""} << shortOld;
        QTest::newRow("refund change: old 5 wide characters")
            << int(RefundChange) << QStringList{fiveWide, "654321", "654321"} << shortOld;
        QTest::newRow("refund change: new 5")
            << int(RefundChange) << QStringList{"123456", "65432", "65432"} << shortNew;
        QTest::newRow("refund change: differ")
            << int(RefundChange) << QStringList{"123456", "654321", "654322"} << differ;
        QTest::newRow("refund change: spaces count")
            << int(RefundChange) << QStringList{"12 45 ", "  退款  ", "  退款  "} << "";

        QTest::newRow("set: empty form") << int(FirstSet) << QStringList{"", "", "", ""} << shortQuestion;
        QTest::newRow("set: question 5") << int(FirstSet) << QStringList{"宠物名字？", "旺财", "654321", "654321"}
                                         << shortQuestion;
        QTest::newRow("set: answer 1") << int(FirstSet) << QStringList{"您的宠物名字？", "旺", "", ""} << shortAnswer;
        QTest::newRow("set: answer 2, new 5 wide")
            << int(FirstSet) << QStringList{"您的宠物名字？", "旺财", fiveWide, fiveWide} << shortNew;
        QTest::newRow("set: differ") << int(FirstSet) << QStringList{"您的宠物名字？", "旺财", "654321", "65432"}
                                     << differ;
        QTest::newRow("set: all pass") << int(FirstSet) << QStringList{"您的宠物名字？", "旺财", "654321", "654321"}
                                       << "";
        // A stored question is not the cashier's to check: a short one still lets them reset.
        QTest::newRow("reset: short stored question")
            << int(Reset) << QStringList{"宠物名字？", "旺财", "654321", "654321"} << "";
        QTest::newRow("reset: answer 1") << int(Reset) << QStringList{"宠物名字？", "旺", "654321", "654321"}
                                         << shortAnswer;
    }
    void firstFailingCheck()
    {
        QFETCH(int, page);
        QFETCH(QStringList, fields);
        QFETCH(QString, problem);
        const auto f = [&](int i) { return fields.value(i); };
        switch (Page(page)) {
        case LoginChange:
            QCOMPARE(passwords::checkLoginPasswordChange(f(0), "demo123", f(1), f(2)), problem);
            break;
        case RefundChange:
            QCOMPARE(passwords::checkRefundPasswordChange(f(0), f(1), f(2)), problem);
            break;
        case FirstSet:
        case Reset:
            const QuestionAction action = passwords::questionAction(page == Reset);
            QCOMPARE(passwords::checkRefundPasswordSet(action, f(0), f(1), f(2), f(3)), problem);
            break;
        }
    }

    // Before any login there is no password typed at this computer: nothing matches it, not even
    // an empty field.
    void noLoginNoOldPassword()
    {
        QCOMPARE(passwords::checkLoginPasswordChange("", "", "abcdef", "abcdef"), QString("请输入正确的原密码"));
    }

    void questionFromTheGatewayMeansReset()
    {
        const auto body = [](bool fromGateway) {
            return passwords::questionPasswordBody(passwords::questionAction(fromGateway), "tk", "demo", "p w&1",
                                                   "p w&1", "李秀英", "您母亲的名字是什么？");
        };
        QCOMPARE(body(true),
                 gateway::editRefundPasswordBody("tk", "demo", "p w&1", "p w&1", "李秀英", "您母亲的名字是什么？"));
        QCOMPARE(body(false),
                 gateway::setRefundPasswordBody("tk", "demo", "p w&1", "p w&1", "李秀英", "您母亲的名字是什么？"));
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("accepted");      // login password taken
        QTest::addColumn<QString>("loginText");  // shown after editPassword
        QTest::addColumn<QString>("refundText"); // shown after the refund-password actions
        QTest::addColumn<QString>("question");   // read from getQuestion
        const QString done = "操作成功", failed = "操作失败，请重试";
        QTest::newRow("accepted") << QByteArray(R"({"content":{"code":1,"msg":"密码修改成功","respType":"Success"}})")
                                  << true << "密码修改成功" << done << "";
        QTest::newRow("code as text, no msg")
            << QByteArray(R"({"content":{"code":"1"}})") << true << done << failed << "";
        QTest::newRow("refused") << QByteArray(R"({"content":{"code":0,"msg":"账号不符","respType":"原退款密码错误"}})")
                                 << false << "账号不符"
                                 << "原退款密码错误"
                                 << "";
        QTest::newRow("respType in another case")
            << QByteArray(R"({"content":{"respType":"success"}})") << false << failed << "success"
            << "";
        QTest::newRow("respType at the top level")
            << QByteArray(R"({"respType":"Success","content":{}})") << false << failed << failed << "";
        QTest::newRow("not JSON") << QByteArray("<html>502</html>") << false << failed << failed << "";
        QTest::newRow("question") << QByteArray(R"({"content":{"code":1,"refundquestion":"您母亲的名字是什么？"}})")
                                  << true << done << failed << "您母亲的名字是什么？";
        QTest::newRow("question not text")
            << QByteArray(R"({"content":{"refundquestion":123456}})") << false << failed << failed << "";
    }
    void replies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, accepted);
        QFETCH(QString, loginText);
        QFETCH(QString, refundText);
        QFETCH(QString, question);
        QCOMPARE(passwords::loginPasswordAccepted(reply), accepted);
        QCOMPARE(passwords::loginPasswordReplyText(reply), loginText);
        QCOMPARE(passwords::refundPasswordReplyText(reply), refundText);
        QCOMPARE(passwords::storedQuestion(true, reply), question);
        QCOMPARE(passwords::storedQuestion(false, reply), QString()); // a failed lookup finds nothing
    }
};

QTEST_MAIN(TestPasswordRules)
#include "tst_passwordrules.moc"
