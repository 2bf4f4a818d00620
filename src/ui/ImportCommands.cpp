#include "ui/ImportCommands.h"

#include "ui/frmDataReloader.h"
#include "ui/frmMain.h"
#include "ui/frmWizard.h"

namespace kinora {

void InstallImportCommands(frmMain& window)
{
    window.setWizardCommand([&window] {
        frmWizard wizard(window.collection(), &window);
        QObject::connect(&wizard, &frmWizard::collectionReloaded, &window, &frmMain::Text1_Change);
        wizard.exec();
    });
    window.setReloadAllDataCommand([&window] {
        frmDataReloader reloader(window.collection(), &window);
        reloader.exec();
    });
}

} // namespace kinora
