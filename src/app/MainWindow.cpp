#include "app/MainWindow.h"

#include "app/WindowDragger.h"
#include "net/SessionData.h"

#include <QJsonObject>
#include <QLabel>
#include <QVBoxLayout>

MainWindow::MainWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    setFixedSize(800, 600);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#MainWindow{border-image: url(:/images/main_bg.png);}"));
    auto* layout = new QVBoxLayout(this);
    const QJsonObject shop = SessionData::instance().currentShop();
    auto* label = new QLabel(shop.value(QStringLiteral("main_name")).toString() + QStringLiteral("  ") +
                                 shop.value(QStringLiteral("branch_name")).toString(),
                             this);
    label->setObjectName(QStringLiteral("shopLabel"));
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    setUpFramelessWindow(this);
}
