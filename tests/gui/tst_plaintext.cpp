// Text from the gateway is shown as the text it is, on every screen that shows it: markup in a
// shop's name or a refusal's "msg" would otherwise load files (on Windows, from a network share)
// and open links.

#include "collect/CardDialog.h"
#include "collect/FormTradeInfo.h"
#include "core/Order.h"
#include "net/SessionData.h"
#include "query/RefundSureDialog.h"
#include "settings/FormShangJiaXinXi.h"
#include "widgets/MessageBox.h"

#include "WidgetTestMain.h"

#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QtTest>

#include <functional>
#include <memory>

using OpenWindow = std::function<QWidget*()>;
Q_DECLARE_METATYPE(OpenWindow)

namespace {
const QString kMarkup =
    QStringLiteral("<a href=\"file:///etc/passwd\"><img src=\"/usr/share/pixmaps/debian-logo.png\"></a>");

// Every label of `window` showing the markup, and whether each shows it literally.
QStringList labelsRenderingMarkup(QWidget* window, int* showing)
{
    QStringList rendering;
    *showing = 0;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().contains(kMarkup))
            continue;
        ++*showing;
        if (label->textFormat() != Qt::PlainText)
            rendering << label->objectName();
    }
    return rendering;
}
} // namespace

class TestPlainText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        MessageBox::setRecording(true);
        SessionData& session = SessionData::instance();
        session.setUserInfo(QJsonObject{{"uname", kMarkup}, {"company", kMarkup}, {"rname", kMarkup}});
        session.setCurrentShop(QJsonObject{{"main_name", kMarkup}, {"branch_name", kMarkup}, {"id", "1001"}});
    }

    void gatewayValuesAreShownAsText_data()
    {
        QTest::addColumn<OpenWindow>("open");
        QTest::newRow("merchant page") << OpenWindow([] { return new FormShangJiaXinXi; });
        QTest::newRow("item registration")
            << OpenWindow([] { return new CardDialog(nullptr, "P1", kMarkup, "100", kMarkup); });
        QTest::newRow("trade result") << OpenWindow([] {
            return new FormTradeInfo(QJsonObject{{"operator", kMarkup}, {"shopname", kMarkup}, {"money", "100"}});
        });
        QTest::newRow("refund") << OpenWindow([] {
            Order order;
            order.tradeNo = kMarkup;
            order.outTradeNo = "P1";
            order.payChannel = kMarkup;
            order.moneyFen = 100;
            return new RefundSureDialog(nullptr, order);
        });
    }
    void gatewayValuesAreShownAsText()
    {
        QFETCH(OpenWindow, open);
        const std::unique_ptr<QWidget> window(open());
        int showing = 0;
        const QStringList rendering = labelsRenderingMarkup(window.get(), &showing);
        QVERIFY(showing > 0);
        QVERIFY2(rendering.isEmpty(), qPrintable(rendering.join(", ")));
    }

    void messageBoxesShowTheGatewaysWordsAsText()
    {
        const bool loops = MessageBox::runsLoops();
        MessageBox::setRunLoops(true);
        Qt::TextFormat format = Qt::AutoText;
        MessageBox::setWhileOpen([&format](const MessageBox::Shown&) {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                format = box->textFormat();
        });
        MessageBox::critical(nullptr, QStringLiteral("温馨提示"), kMarkup);
        MessageBox::setRunLoops(loops);
        QCOMPARE(format, Qt::PlainText);
    }
};

CASHIER_WIDGET_TEST_MAIN(TestPlainText)
#include "tst_plaintext.moc"
