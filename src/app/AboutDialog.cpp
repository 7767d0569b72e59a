#include "app/AboutDialog.h"

#include "core/Product.h"
#include "ui_AboutDialog.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::AboutDialog>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(350, 155);
    ui->label->setText(product::name() + QStringLiteral("PC端 V") + product::version());
    ui->label_2->setText(product::rightsLine());
}

AboutDialog::~AboutDialog() = default;
