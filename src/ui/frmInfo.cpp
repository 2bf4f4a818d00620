#include "ui/frmInfo.h"

#include "ui_frmInfo.h"

#include "ui/ScreenPictures.h"
#include "ui/Version.h"

namespace kinora {

frmInfo::frmInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::frmInfo>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->Image1->setPixmap(ProgramPicture(QStringLiteral(":/info.png"), devicePixelRatioF()));
    ui->Label2->setText(QStringLiteral("Kinora"));
    ui->Label4->setText(ProgramVersionText());
    // "&OK" is the default button (Enter); Esc closes a dialog as well.
    connect(ui->Command1, &QPushButton::clicked, this, &QDialog::accept);
}

frmInfo::~frmInfo() = default;

} // namespace kinora
