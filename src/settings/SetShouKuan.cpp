#include "settings/SetShouKuan.h"

#include "config/AppConfigRecord.h"
#include "config/SettingsChoices.h"
#include "widgets/ButtonStyles.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kTitle = QStringLiteral("提示信息");
} // namespace

SetShouKuan::SetShouKuan(QWidget* parent) : QWidget(parent)
{
    // Laid out like the serial-port page: captions on the left, the choice at x 90, the button below.
    resize(400, 260);
    setFont(QFont(QStringLiteral("微软雅黑"), 10));

    auto* label = new QLabel(QStringLiteral("分钱处理方式"), this);
    label->setObjectName(QStringLiteral("label"));
    // Six characters: a point smaller than the other captions, so they fit before the box.
    label->setFont(QFont(QStringLiteral("微软雅黑"), 9));
    label->setGeometry(10, 14, 78, 24);

    m_centsMode = new QComboBox(this);
    m_centsMode->setObjectName(QStringLiteral("comboBox"));
    m_centsMode->setGeometry(90, 16, 100, 20);
    m_centsMode->addItems(settingschoices::centsModes());
    m_centsMode->setCurrentIndex(settingschoices::centsModeIndex(AppConfigRecord::instance().centsMode));

    auto* save = new QPushButton(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("btn2"));
    save->setGeometry(90, 60, 75, 31);
    save->setStyleSheet(
        imageButtonStyle(QStringLiteral("btn_nor.jpg"), QStringLiteral("btn_pre.png"), QStringLiteral("color:white;")));

    QMetaObject::connectSlotsByName(this);
}

void SetShouKuan::on_btn2_clicked()
{
    AppConfigRecord& record = AppConfigRecord::instance();
    record.centsMode = m_centsMode->currentIndex();
    if (record.save())
        MessageBox::information(this, kTitle, QStringLiteral("设置成功"));
    else
        MessageBox::critical(this, kTitle, QStringLiteral("系统错误，请重试"));
}
