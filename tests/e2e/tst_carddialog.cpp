// Registering a room or hand-card number against a paid order from the transaction list, against
// the demo gateway: what the dialog shows, what the gateway stores, failures, and one registration
// however the cashier confirms.

#include "collect/CardDialog.h"
#include "config/AppConfigRecord.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "widgets/MessageBox.h"

#include "GatewayCall.h"
#include "ScreenTestSupport.h"
#include "WidgetTestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
const QString kDoCard = QStringLiteral("Account.Pay.docard");
} // namespace

class TestCardDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    QJsonObject m_paid; // a real payment made at the gateway, to register items against
    QList<MessageBox::Shown> m_boxes;
    QPointer<CardDialog> m_dialog;

    void openDialog()
    {
        m_dialog = new CardDialog(nullptr, gateway::jsonText(m_paid.value("out_trade_no")),
                                  gateway::jsonText(m_paid.value("trade_no")), gateway::jsonText(m_paid.value("money")),
                                  QStringLiteral("微信支付"));
        m_dialog->show();
    }

    QString label(const char* name) const { return m_dialog->findChild<QLabel*>(name)->text(); }
    QLineEdit* cardEdit() const { return m_dialog->findChild<QLineEdit*>("txtCardNo"); }
    QPushButton* button(const char* name) const { return m_dialog->findChild<QPushButton*>(name); }

    int boxCount()
    {
        m_boxes += MessageBox::takeShown();
        return m_boxes.size();
    }

    // The item numbers the gateway holds for the paid order.
    QStringList storedCards()
    {
        qint64 orderId = -1;
        const QJsonArray orders = QJsonDocument::fromJson(m_gateway.adminGet("rows?table=orders")).array();
        for (const QJsonValue& order : orders)
            if (order.toObject().value("out_trade_no") == m_paid.value("out_trade_no"))
                orderId = order.toObject().value("id").toVariant().toLongLong();
        QStringList cards;
        const QJsonArray rows = QJsonDocument::fromJson(m_gateway.adminGet("rows?table=cards")).array();
        for (const QJsonValue& row : rows)
            if (row.toObject().value("order_id").toVariant().toLongLong() == orderId)
                cards.append(row.toObject().value("cardno").toString());
        return cards;
    }

    void expectFailureBox(const QString& text)
    {
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(m_boxes.at(0).icon, MessageBox::Critical);
        QCOMPARE(m_boxes.at(0).title, QStringLiteral("错误提示"));
        QCOMPARE(m_boxes.at(0).text, text);
    }

private slots:
    void initTestCase()
    {
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        QVERIFY(writeDataIni(m_gateway));
        QVERIFY(logInAsDemo(m_gateway));
        m_paid = payAtCurrentShop(m_gateway, "134567890123400007", 2590);
        QCOMPARE(m_paid.value("msg").toString(), QStringLiteral("成功"));
        MessageBox::setRecording(true);
    }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        MessageBox::takeShown();
        m_boxes.clear();
        AppConfigRecord::instance().itemName = QStringLiteral("房间号");
    }

    void cleanup()
    {
        deleteWindows<CardDialog>();
        HttpFun::setTimeoutForTesting(0);
    }

    void showsTheOrderUnderTheMerchantsItemName_data()
    {
        QTest::addColumn<QString>("itemName");
        QTest::addColumn<QString>("moneyFen");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("amount");
        QTest::newRow("hand card, seven-figure amount")
            << QStringLiteral("手牌") << "123456789" << QStringLiteral("登记手牌") << "1234567.89";
        QTest::newRow("no item name, one fen") << QString() << "1" << QStringLiteral("登记") << "0.01";
        QTest::newRow("amount not in fen")
            << QStringLiteral("房间号") << "12.5" << QStringLiteral("登记房间号") << "0.00";
        QTest::newRow("amount not a number")
            << QStringLiteral("房间号") << "abc" << QStringLiteral("登记房间号") << "0.00";
    }
    void showsTheOrderUnderTheMerchantsItemName()
    {
        QFETCH(QString, itemName);
        QFETCH(QString, moneyFen);
        QFETCH(QString, title);
        QFETCH(QString, amount);
        AppConfigRecord::instance().itemName = itemName;
        m_dialog = new CardDialog(nullptr, "SYS-0042", "4200000042", moneyFen, QStringLiteral("支付宝"));
        QCOMPARE(label("lblTitle"), title);
        QCOMPARE(label("lblCard"), itemName);
        QCOMPARE(label("lblmoney"), amount);
        QCOMPARE(label("lblno"), QString("4200000042"));
        QCOMPARE(label("lbltype"), QStringLiteral("支付宝"));
    }

    void emptyNumberIsNotSentAndCancelEnds()
    {
        openDialog();
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        button("btnOk")->click();
        QCOMPARE(boxCount(), 1);
        // It names the room whatever the merchant calls the item.
        expectFailureBox(QStringLiteral("您没有填写任何房间号"));
        QVERIFY(m_dialog->isVisible());

        cardEdit()->setText("C-1");
        button("btnCancel")->click();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
        QTest::qWait(200);
        QCOMPARE(gatewayRequests(m_gateway, kDoCard).size(), 0);
    }

    void failureKeepsTheDialogForAnotherTry_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("number");
        const QString respond = "respond?action=" + kDoCard;
        QTest::newRow("HTTP 500") << respond + "&status=500&type=text/html" << QByteArray("<html>500</html>") << 0
                                  << "R-500";
        QTest::newRow("no reply within the timeout")
            << "delay?action=" + kDoCard + "&ms=2000" << QByteArray() << 500 << "R-TIMEOUT";
        QTest::newRow("{} with status 200") << respond << QByteArray("{}") << 0 << "R-EMPTY";
        QTest::newRow("not JSON with status 200") << respond << QByteArray("Service Unavailable") << 0 << "R-TEXT";
    }
    void failureKeepsTheDialogForAnotherTry()
    {
        QFETCH(QString, control);
        QFETCH(QByteArray, reply);
        QFETCH(int, timeoutMs);
        QFETCH(QString, number);
        QVERIFY(!m_gateway.adminPost(control, reply).isNull());
        HttpFun::setTimeoutForTesting(timeoutMs);
        openDialog();
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        cardEdit()->setText(number);
        button("btnOk")->click();

        QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 1, 5000);
        expectFailureBox(QStringLiteral("保存失败，请重试"));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(finished.size(), 0);
        QCOMPARE(cardEdit()->text(), number);

        // The same press again goes through.
        HttpFun::setTimeoutForTesting(0);
        button("btnOk")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QCOMPARE(gatewayRequests(m_gateway, kDoCard).size(), 2);
        QVERIFY(storedCards().contains(number));
        QCOMPARE(boxCount(), 1);
    }

    // A gateway that stored the number and says so in its own words (a code other than 1) is not
    // asked again: the number would be registered twice.
    void storedWhateverTheGatewaySays()
    {
        QVERIFY(
            !m_gateway
                 .adminPost("respond?action=" + kDoCard + "&execute=1", R"({"content":{"code":200,"msg":"登记成功"}})")
                 .isNull());
        openDialog();
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        cardEdit()->setText("R-200");
        button("btnOk")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QVERIFY(storedCards().contains("R-200"));
        QCOMPARE(boxCount(), 0);
    }

    // Return on btnOk and keypad Enter on btnOk1 each register the number, byte for byte as typed,
    // and a second press while it is on its way sends nothing.
    void eachConfirmationSendsOnce_data()
    {
        // "R" Return, "E" keypad Enter, "o" a click on btnOk, "1" on btnOk1.
        QTest::addColumn<QString>("presses");
        QTest::newRow("Return") << "R";
        QTest::newRow("keypad Enter") << "E";
        QTest::newRow("two clicks") << "oo";
        QTest::newRow("both buttons") << "o1";
        QTest::newRow("Return and keypad Enter together") << "RE";
    }
    void eachConfirmationSendsOnce()
    {
        QFETCH(QString, presses);
        // A slow gateway, so that every press lands while the registration is in flight.
        QVERIFY(!m_gateway.adminPost("delay?action=" + kDoCard + "&ms=600").isNull());
        // Characters that would split or cut a form field, or change meaning when decoded twice.
        const QString number = QStringLiteral("A&b=1%25+2 贵宾房 ") + QString::fromLatin1(QTest::currentDataTag());
        openDialog();
        m_dialog->activateWindow();
        QTRY_VERIFY(m_dialog->isActiveWindow());
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        cardEdit()->setText(number);
        for (const QChar press : presses) {
            switch (press.toLatin1()) {
            case 'R':
                QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Return);
                break;
            case 'E':
                QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
                break;
            case 'o':
                button("btnOk")->click();
                break;
            case '1':
                button("btnOk1")->click();
                break;
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Accepted));
        QTest::qWait(200); // a late shortcut click would have sent by now
        const QJsonArray sent = gatewayRequests(m_gateway, kDoCard);
        QCOMPARE(sent.size(), 1);
        const QJsonObject fields = sent.at(0).toObject().value("fields").toObject();
        QCOMPARE(fields.value("no").toString(), m_paid.value("out_trade_no").toString());
        QCOMPARE(fields.value("card").toString(), number);
        QCOMPARE(storedCards().count(number), 1);
        QCOMPARE(boxCount(), 0);
    }
};

CASHIER_WIDGET_TEST_MAIN(TestCardDialog)
#include "tst_carddialog.moc"
