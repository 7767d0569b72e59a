// The least a Qt Widgets program does for a sale: Return, one payment at the gateway by a raw
// single-write POST, and a new window the size of the trade result. The baseline for the cashier's
// scanner Return to its trade result (bench_cashier_x11 drives both, side by side).
//
//   bench_sale_window PORT
//
// Its own window is titled "bench till"; each result window "bench result", or "bench refused"
// when the gateway did not take the payment.

#include "net/GatewayReply.h"
#include "net/GatewayRequests.h"

#include "RawPost.h"

#include <QApplication>
#include <QJsonObject>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <cstdlib>

namespace {
class TillWindow : public QWidget
{
public:
    explicit TillWindow(quint16 port) : m_port(port) { setWindowTitle(QStringLiteral("bench till")); }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() != Qt::Key_Return) {
            QWidget::keyPressEvent(event);
            return;
        }
        // WeChat codes of their own ("14..."), never ending in 0000, so the gateway takes each once.
        const QString code = QStringLiteral("14%1").arg(++m_sales, 15, 10, QLatin1Char('0')) + QLatin1Char('1');
        const QByteArray reply =
            rawPost(m_port, gateway::scanPayBody(code, 1234, QStringLiteral("10001"), QStringLiteral("1001")));
        const bool paid =
            gateway::jsonText(gateway::replyContent(reply).value(QStringLiteral("msg"))) == QStringLiteral("成功");
        delete m_result;
        m_result = new QWidget;
        m_result->setAttribute(Qt::WA_DeleteOnClose);
        m_result->resize(260, 480);
        m_result->setWindowTitle(paid ? QStringLiteral("bench result") : QStringLiteral("bench refused"));
        m_result->show();
    }

private:
    quint16 m_port;
    int m_sales = 0;
    QPointer<QWidget> m_result;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    TillWindow till(quint16(std::atoi(argv[1])));
    till.resize(320, 200);
    till.show();
    return app.exec();
}
