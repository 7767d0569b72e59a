#include "collect/FormSaoMaShouKuan.h"

#include "collect/FormCS.h"
#include "ui_FormSaoMaShouKuan.h"
#include "widgets/ButtonStyles.h"
#include "widgets/Keys.h"
#include "widgets/MessageBox.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

FormSaoMaShouKuan::FormSaoMaShouKuan(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::FormSaoMaShouKuan>())
{
    ui->setupUi(this);
    ui->input_Edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^\\d+(\\.\\d+)?\\r?$")), ui->input_Edit));

    const QString calculator = imageButtonStyle(QStringLiteral("calculator.png"), QStringLiteral("calculator_pre.png"));
    for (QPushButton* key : {ui->equal_btn, ui->back_btn, ui->clean_btn})
        key->setStyleSheet(calculator);
    const QString number = imageButtonStyle(QStringLiteral("num_nor.png"), QStringLiteral("num_pre.png"));
    for (QPushButton* key : {ui->zer_btn, ui->one_btn, ui->two_btn, ui->thr_btn, ui->fou_btn, ui->fiv_btn, ui->six_btn,
                             ui->sev_btn, ui->eig_btn, ui->nine_btn, ui->dot_btn, ui->add_btn})
        key->setStyleSheet(number);
    ui->sk_btn->setStyleSheet(
        imageButtonStyle(QStringLiteral("sk_nor.png"), QStringLiteral("sk_pre.png"), QStringLiteral("color:#EAEAEA;")));

    clickOnKey(ui->sk_btn, QKeySequence(Qt::Key_Return));
    clickOnKey(ui->clean_btn, QKeySequence(Qt::Key_Delete));
    clickOnKey(ui->rt_btn, keypadEnterKey());
    ui->rt_btn->lower();

    m_keyTimer.setSingleShot(true);
    m_keyTimer.setInterval(50);
    connect(&m_keyTimer, &QTimer::timeout, this, &FormSaoMaShouKuan::keyBoardInput);
}

FormSaoMaShouKuan::~FormSaoMaShouKuan() = default;

QString FormSaoMaShouKuan::amountText() const
{
    return ui->input_Edit->text();
}

void FormSaoMaShouKuan::showModel()
{
    if (ui->input_Edit->text() != m_model.displayText())
        ui->input_Edit->setText(m_model.displayText());
}

void FormSaoMaShouKuan::restartFilter()
{
    m_keyTimer.start();
}

void FormSaoMaShouKuan::pressDigit(int digit)
{
    m_model.pressDigit(digit);
    restartFilter();
}

void FormSaoMaShouKuan::pressPoint()
{
    if (m_model.pressPoint())
        restartFilter();
}

void FormSaoMaShouKuan::pressBackspace()
{
    m_model.pressBackspace();
    showModel();
}

void FormSaoMaShouKuan::keyBoardInput()
{
    if (m_model.timerExpired())
        showModel();
}

void FormSaoMaShouKuan::on_clean_btn_clicked()
{
    m_model.clear();
    showModel();
}

void FormSaoMaShouKuan::on_add_btn_clicked()
{
    m_model.plus();
    showModel();
}

void FormSaoMaShouKuan::on_equal_btn_clicked()
{
    m_model.equals();
    showModel();
}

void FormSaoMaShouKuan::on_input_Edit_textChanged(const QString& arg1)
{
    // Cleared from outside (the scan-pay window after a payment): the keypad starts afresh.
    if (arg1 != m_model.displayText())
        m_model.setAmountText(arg1);
    ui->input_Edit->clearFocus();
}

void FormSaoMaShouKuan::setAmountText(const QString& text)
{
    m_model.setAmountText(text);
    showModel();
}

void FormSaoMaShouKuan::keyPressEvent(QKeyEvent* event)
{
    // Keys that reach the page itself are never typed: they only spoil a keypad character still
    // waiting in the filter, so a scanner burst into a focused keypad button is dropped whole.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    m_model.pageKey(event->text(), isReturn);
    restartFilter();
    event->accept();
}

void FormSaoMaShouKuan::on_sk_btn_clicked()
{
    startCollection();
}

FormCS* FormSaoMaShouKuan::scanPayWindow() const
{
    // A closed window lingers until its deferred deletion; it no longer counts.
    return m_scanPay && m_scanPay->isVisible() ? m_scanPay.data() : nullptr;
}

void FormSaoMaShouKuan::startCollection()
{
    // One sale, one window: calling it up again brings the open one to the front.
    if (FormCS* open = scanPayWindow()) {
        open->raise();
        open->activateWindow();
        return;
    }
    switch (m_model.checkCollect()) {
    case KeypadModel::CollectCheck::Ignore:
        return;
    case KeypadModel::CollectCheck::Empty:
        MessageBox::warning(this, QStringLiteral("提示信息"), QStringLiteral("请输入收款金额"));
        return;
    case KeypadModel::CollectCheck::Zero:
        MessageBox::warning(this, QStringLiteral("提示信息"), QStringLiteral("收款金额不能为0"));
        return;
    case KeypadModel::CollectCheck::Invalid:
        MessageBox::warning(this, QStringLiteral("提示信息"), QStringLiteral("收款金额格式不正确，请重新输入"));
        return;
    case KeypadModel::CollectCheck::TooLarge:
        MessageBox::warning(this, QStringLiteral("提示信息"), QStringLiteral("收款金额过大，请重新输入"));
        return;
    case KeypadModel::CollectCheck::Ok:
        break;
    }
    m_scanPay = new FormCS(this, ui->input_Edit->text());
    m_scanPay->setAmountEdit(ui->input_Edit);
    m_scanPay->show();
}
