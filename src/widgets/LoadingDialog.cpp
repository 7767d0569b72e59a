#include "widgets/LoadingDialog.h"

#include "ui_LoadingDialog.h"

#include <QMovie>

LoadingDialog::LoadingDialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::LoadingDialog>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog);
    setWindowOpacity(0.8);
    auto* spinner = new QMovie(QStringLiteral(":/images/loading.gif"), QByteArray(), this);
    ui->lblgif->setMovie(spinner);
    spinner->start();
}

LoadingDialog::~LoadingDialog() = default;

void LoadingDialog::reject() {}
