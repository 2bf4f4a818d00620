#include "ui/frmSplash.h"

#include "ui_frmSplash.h"

#include "ui/ScreenPictures.h"
#include "ui/Version.h"

#include <QScreen>

namespace kinora {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::frmSplash>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->Image1->setPixmap(ProgramPicture(QStringLiteral(":/splash.png"), devicePixelRatioF()));
    ui->Label1->setText(QStringLiteral("Version ") + ProgramVersionText());
}

frmSplash::~frmSplash() = default;

void frmSplash::showCentred()
{
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

} // namespace kinora
