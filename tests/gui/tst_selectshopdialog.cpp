// The shop-selection dialog against the demo gateway, logged in as the demo merchant: the list and
// its order, the shop remembered from last time, failures, fetching again, confirming, and the keys.

#include "collect/SelectShopDialog.h"
#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"
#include "net/HttpFun.h"
#include "net/SessionData.h"
#include "widgets/MessageBox.h"

#include "DemoGateway.h"
#include "GatewayCall.h"
#include "ScreenTestSupport.h"
#include "TestSupport.h"
#include "WidgetTestMain.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextCodec>
#include <QtTest>

#include <memory>

namespace {
const QString kListShop = QStringLiteral("Account.Shop.listShop");

struct Shop
{
    QString id;
    QString main;
    QString branch;
    QString entry() const { return main + QStringLiteral("  ") + branch; }
};

const QList<Shop> kDemoShops = {
    {"1001", QStringLiteral("青禾茶餐厅"), QStringLiteral("西湖文化广场店")},
    {"1002", QStringLiteral("青禾茶餐厅"), QStringLiteral("滨江龙湖天街店")},
    {"1003", QStringLiteral("青禾茶餐厅"), QStringLiteral("城西银泰店")},
};

QByteArray listReply(const QList<Shop>& shops)
{
    QJsonArray list;
    for (const Shop& shop : shops)
        list.append(QJsonObject{{"shopid", shop.id}, {"main_name", shop.main}, {"branch_name", shop.branch}});
    return QJsonDocument(QJsonObject{{"content", QJsonObject{{"code", 1}, {"listshop", list}}}}).toJson();
}

QStringList entries(const QList<Shop>& shops)
{
    QStringList texts;
    for (const Shop& shop : shops)
        texts.append(shop.entry());
    return texts;
}

QStringList ids(const QList<Shop>& shops)
{
    QStringList result;
    for (const Shop& shop : shops)
        result.append(shop.id);
    return result;
}

QByteArray shopNameLine(const QString& name)
{
    return "shopName=" + QTextCodec::codecForName("GB2312")->fromUnicode(name) + "\n";
}

QString currentShopId()
{
    return gateway::jsonText(SessionData::instance().currentShop().value("shopid"));
}

// The shop ids stored in the session under combo indexes 0 .. count-1.
QStringList storedShopIds(int count)
{
    const QHash<int, QJsonObject> shops = SessionData::instance().shops();
    QStringList result;
    for (int i = 0; i < count; ++i)
        result.append(gateway::jsonText(shops.value(i).value("shopid")));
    return result;
}
} // namespace

Q_DECLARE_METATYPE(QList<Shop>)

class TestSelectShopDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScopedWorkingDir> m_dir;
    DemoGateway m_gateway;
    QJsonObject m_userInfo;
    QList<MessageBox::Shown> m_boxes;

    QPointer<SelectShopDialog> m_dialog;
    QComboBox* m_combo = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_refetch = nullptr;

    // Builds and shows the dialog; false when its form lacks a control.
    bool openDialog()
    {
        m_dialog = new SelectShopDialog(nullptr);
        m_dialog->show();
        m_combo = m_dialog->findChild<QComboBox*>("comboBox");
        m_confirm = m_dialog->findChild<QPushButton*>("pushButton");
        m_refetch = m_dialog->findChild<QPushButton*>("pushButton_2");
        return m_combo && m_confirm && m_refetch;
    }

    QStringList comboTexts() const
    {
        QStringList texts;
        for (int i = 0; i < m_combo->count(); ++i)
            texts.append(m_combo->itemText(i));
        return texts;
    }

    int boxCount()
    {
        m_boxes += MessageBox::takeShown();
        return m_boxes.size();
    }

    void cannedListReply(const QByteArray& body)
    {
        QVERIFY(!m_gateway.adminPost("respond?action=" + kListShop, body).isNull());
    }

private slots:
    void initTestCase()
    {
        // data.ini is bound to the working directory on first use: one directory for every case.
        m_dir = std::make_unique<ScopedWorkingDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY2(m_gateway.start(), qPrintable(m_gateway.error()));
        const GatewayCall login = callGateway(m_gateway.url(), gateway::loginBody("demo", "demo123"));
        QVERIFY(login.success);
        m_userInfo = login.content();
        QVERIFY(!gateway::jsonText(m_userInfo.value("token")).isEmpty());
    }

    void init()
    {
        QVERIFY(!m_gateway.adminPost("reset").isNull());
        MessageBox::setRecording(true);
        m_boxes.clear();
        SessionData::instance().setUserInfo(m_userInfo);
        SessionData::instance().setCurrentShop(QJsonObject());
    }

    void cleanup()
    {
        deleteWindows<SelectShopDialog>();
        HttpFun::setTimeoutForTesting(0);
    }

    void listsTheShopsInReplyOrder_data()
    {
        QTest::addColumn<QByteArray>("canned");
        QTest::addColumn<QList<Shop>>("shops");
        QTest::newRow("the demo merchant's shops") << QByteArray() << kDemoShops;
        const QList<Shop> unsorted = {{"7", QStringLiteral("知味小馆"), QStringLiteral("鼓楼店")},
                                      {"3", QStringLiteral("安心超市"), QStringLiteral("二号店")},
                                      {"5", QStringLiteral("青禾茶餐厅"), QStringLiteral("总店")}};
        QTest::newRow("unsorted reply") << listReply(unsorted) << unsorted;
    }
    void listsTheShopsInReplyOrder()
    {
        QFETCH(QByteArray, canned);
        QFETCH(QList<Shop>, shops);
        if (!canned.isEmpty())
            cannedListReply(canned);
        QVERIFY(writeDataIni(m_gateway));
        QVERIFY(openDialog());

        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), shops.size(), 5000);
        QCOMPARE(comboTexts(), entries(shops));
        QCOMPARE(storedShopIds(shops.size()), ids(shops));
        QCOMPARE(m_combo->currentIndex(), 0);
        QCOMPARE(currentShopId(), shops.first().id);
        QCOMPARE(SessionData::instance().currentShop().value("main_name").toString(), shops.first().main);
        QVERIFY(m_refetch->isEnabled());
        QCOMPARE(boxCount(), 0);

        const QJsonArray sent = gatewayRequests(m_gateway, kListShop);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.at(0).toObject().value("fields").toObject().value("token").toString(),
                 gateway::jsonText(m_userInfo.value("token")));
    }

    void preselectsTheRememberedShop_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<int>("index");
        QTest::newRow("second shop") << kDemoShops.at(1).entry() << 1;
        QTest::newRow("third shop") << kDemoShops.at(2).entry() << 2;
        QTest::newRow("shop no longer listed") << QStringLiteral("青禾茶餐厅  武林银泰店") << 0;
        QTest::newRow("start of a listed name") << kDemoShops.at(2).entry().left(8) << 0;
        QTest::newRow("nothing remembered") << QString() << 0;
    }
    void preselectsTheRememberedShop()
    {
        QFETCH(QString, remembered);
        QFETCH(int, index);
        QVERIFY(writeDataIni(m_gateway, shopNameLine(remembered)));
        QVERIFY(openDialog());

        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), kDemoShops.size(), 5000);
        QCOMPARE(m_combo->currentIndex(), index);
        QCOMPARE(currentShopId(), kDemoShops.at(index).id);
        QCOMPARE(SessionData::instance().currentShop(), SessionData::instance().shops().value(index));
    }

    void identicalShopsAreBothListed()
    {
        const QList<Shop> shops = {{"2001", QStringLiteral("知味小馆"), QStringLiteral("鼓楼店")},
                                   {"2002", QStringLiteral("青禾茶餐厅"), QStringLiteral("滨江店")},
                                   {"2003", QStringLiteral("青禾茶餐厅"), QStringLiteral("滨江店")}};
        cannedListReply(listReply(shops));
        QVERIFY(writeDataIni(m_gateway, shopNameLine(shops.at(1).entry())));
        QVERIFY(openDialog());

        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), 3, 5000);
        QCOMPARE(comboTexts(), entries(shops));
        QCOMPARE(m_combo->currentIndex(), 1);
        QCOMPARE(currentShopId(), QString("2002"));
    }

    void failureIsReportedAndCanBeRetried_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("text");
        const QString respond = "respond?action=" + kListShop;
        const QString failed = QStringLiteral("获取门店失败");
        const QString none = QStringLiteral("你还没有门店!");
        QTest::newRow("HTTP 500") << respond + "&status=500&type=text/html" << QByteArray("<html>500</html>") << 0
                                  << failed;
        QTest::newRow("no reply within the timeout")
            << "delay?action=" + kListShop + "&ms=2000" << QByteArray() << 500 << failed;
        QTest::newRow("empty list") << respond << QByteArray(R"({"content":{"listshop":[]}})") << 0 << none;
        // Not a reply of the gateway at all: no list came, which is not "no shops".
        QTest::newRow("empty object") << respond << QByteArray("{}") << 0 << failed;
        QTest::newRow("reply not JSON") << respond << QByteArray("not json") << 0 << failed;
        QTest::newRow("no listshop") << respond << QByteArray(R"({"content":{"code":1}})") << 0 << none;
    }
    void failureIsReportedAndCanBeRetried()
    {
        QFETCH(QString, control);
        QFETCH(QByteArray, reply);
        QFETCH(int, timeoutMs);
        QFETCH(QString, text);
        // The first request and the first "重新获取" fail alike.
        QVERIFY(!m_gateway.adminPost(control + "&count=2", reply).isNull());
        HttpFun::setTimeoutForTesting(timeoutMs);
        QVERIFY(writeDataIni(m_gateway));
        QVERIFY(openDialog());

        QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 1, 5000);
        QCOMPARE(m_boxes.at(0).icon, MessageBox::Critical);
        QCOMPARE(m_boxes.at(0).title, QStringLiteral("错误提示"));
        QCOMPARE(m_boxes.at(0).text, text);
        QCOMPARE(m_boxes.at(0).buttons, QStringList{"OK"});
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(m_combo->count(), 0);
        QVERIFY(SessionData::instance().currentShop().isEmpty());

        // "重新获取" is there for exactly this, and stays usable after it failed too.
        QVERIFY(m_refetch->isEnabled());
        m_refetch->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 2, 5000);
        QCOMPARE(m_boxes.at(1).text, text);
        QVERIFY(m_refetch->isEnabled());
        m_refetch->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), kDemoShops.size(), 5000);
        QCOMPARE(comboTexts(), entries(kDemoShops));
        QCOMPARE(currentShopId(), kDemoShops.first().id);
        QCOMPARE(boxCount(), 2);
    }

    void fetchingAgainReplacesTheList()
    {
        // The first request, from the constructor, leaves "重新获取" usable while it is in flight.
        QVERIFY(!m_gateway.adminPost("delay?action=" + kListShop + "&ms=800").isNull());
        QVERIFY(writeDataIni(m_gateway, shopNameLine(kDemoShops.at(2).entry())));
        QVERIFY(openDialog());
        QVERIFY(m_refetch->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), 3, 5000);
        QCOMPARE(currentShopId(), QString("1003"));

        const QList<Shop> fewer = {kDemoShops.at(0), kDemoShops.at(2)};
        QVERIFY(!m_gateway.adminPost("delay?action=" + kListShop + "&ms=800").isNull());
        cannedListReply(listReply(fewer));
        m_refetch->click();
        QVERIFY(!m_refetch->isEnabled());
        QCOMPARE(m_combo->count(), 0);
        QVERIFY(SessionData::instance().currentShop().isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(m_refetch->isEnabled(), 5000);
        QCOMPARE(comboTexts(), entries(fewer));
        QCOMPARE(storedShopIds(2), ids(fewer));
        QCOMPARE(m_combo->currentIndex(), 1);
        QCOMPARE(currentShopId(), QString("1003"));
        QCOMPARE(gatewayRequests(m_gateway, kListShop).size(), 2);
        QCOMPARE(boxCount(), 0);
    }

    void overlappingListsFillTheBoxOnce()
    {
        // "重新获取" pressed while the first list is still on its way: the first answer comes last
        // and is dropped; every entry maps to its own shop.
        QVERIFY(!m_gateway.adminPost("delay?action=" + kListShop + "&ms=600").isNull());
        QVERIFY(writeDataIni(m_gateway));
        QVERIFY(openDialog());
        QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, kListShop).size(), 1, 5000);
        const QList<Shop> two = {kDemoShops.at(2), kDemoShops.at(1)};
        cannedListReply(listReply(two));
        m_refetch->click();
        QTRY_COMPARE_WITH_TIMEOUT(gatewayRequests(m_gateway, kListShop).size(), 2, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_refetch->isEnabled(), 5000);
        QTest::qWait(900); // the first reply has arrived by now
        QCOMPARE(comboTexts(), entries(two));
        QCOMPARE(storedShopIds(3), (QStringList{"1003", "1002", ""}));
        m_combo->setCurrentIndex(1);
        QCOMPARE(currentShopId(), QString("1002"));
        QCOMPARE(boxCount(), 0);
    }

    void confirmingHandsOverAndRemembersTheShop()
    {
        QVERIFY(writeDataIni(m_gateway, shopNameLine(kDemoShops.at(0).entry())));
        QVERIFY(openDialog());
        QSignalSpy chosen(m_dialog.data(), &SelectShopDialog::shopChosen);
        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), 3, 5000);
        m_combo->setCurrentIndex(1);
        QCOMPARE(currentShopId(), QString("1002"));

        m_confirm->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(dataIniValue("shopName"), kDemoShops.at(1).entry());
        QCOMPARE(currentShopId(), QString("1002"));

        // The next start offers the same shop.
        deleteWindows<SelectShopDialog>();
        QVERIFY(openDialog());
        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), 3, 5000);
        QCOMPARE(m_combo->currentIndex(), 1);
    }

    void confirmingWithoutShopsStillHandsOver()
    {
        QVERIFY(!m_gateway.adminPost("respond?action=" + kListShop + "&status=500").isNull());
        QVERIFY(writeDataIni(m_gateway));
        QVERIFY(openDialog());
        QSignalSpy chosen(m_dialog.data(), &SelectShopDialog::shopChosen);
        QTRY_COMPARE_WITH_TIMEOUT(boxCount(), 1, 5000);
        QCOMPARE(m_combo->count(), 0);

        m_confirm->click();
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(chosen.size(), 1);
        QVERIFY(SessionData::instance().currentShop().isEmpty());
    }

    void keys()
    {
        QVERIFY(writeDataIni(m_gateway));
        QVERIFY(openDialog());
        QSignalSpy chosen(m_dialog.data(), &SelectShopDialog::shopChosen);
        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), 3, 5000);
        m_dialog->activateWindow();
        QTRY_VERIFY(m_dialog->isActiveWindow());

        // There is no way back to the login window: Escape and a close leave the dialog where it is.
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Escape);
        QVERIFY(!m_dialog->close());
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(chosen.size(), 0);

        // The keypad's Enter confirms.
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_COMPARE(chosen.size(), 1);
        QVERIFY(!m_dialog->isVisible());

        // And so does Return.
        deleteWindows<SelectShopDialog>();
        QVERIFY(openDialog());
        QSignalSpy again(m_dialog.data(), &SelectShopDialog::shopChosen);
        QTRY_COMPARE_WITH_TIMEOUT(m_combo->count(), 3, 5000);
        m_dialog->activateWindow();
        QTRY_VERIFY(m_dialog->isActiveWindow());
        QTest::keyClick(m_dialog->windowHandle(), Qt::Key_Return);
        QTRY_COMPARE(again.size(), 1);
        QCOMPARE(gatewayRequests(m_gateway, kListShop).size(), 2);
    }
};

CASHIER_WIDGET_TEST_MAIN(TestSelectShopDialog)
#include "tst_selectshopdialog.moc"
