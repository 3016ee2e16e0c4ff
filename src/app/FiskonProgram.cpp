#include "app/FiskonProgram.h"

#include "app/TFAbout.h"
#include "app/TFMain.h"
#include "app/TFStart.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "edit/widgets/TFMultiEdit.h"
#include "edit/widgets/TFPlatnik.h"
#include "forms/lform.h"
#include "forms/widgets/TFCheck.h"
#include "forms/widgets/TFEachPdf.h"
#include "mail/widgets/TFMail.h"
#include "forms/widgets/TFPrint.h"
#include "forms/widgets/TFSummary.h"
#include "forms/widgets/TFVEL.h"
#include "import/widgets/TFDataAccess.h"
#include "import/widgets/TFExportSep.h"
#include "import/widgets/TFImport.h"
#include "import/widgets/TFImport1.h"
#include "import/widgets/TFImport3.h"
#include "import/widgets/TFImportSep.h"
#include "import/widgets/TFImporting.h"
#include "import/widgets/TFOpen.h"
#include "platform/LinuxWindowSystem.h"
#include "settings/ProgramSettings.h"
#include "settings/widgets/TFConfig.h"
#include "settings/widgets/TFWTabela.h"
#include "store/FileErrors.h"
#include "store/RecoveryKeeper.h"
#include "ui/QtUserInterface.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace {

// This Fiskon's recovery copy. Without one (a state folder that cannot be made) the program
// still runs, and says on its status bar that typing is not protected.
void startRecovery(TFMain& main) {
    const QString folder = RecoveryFolderPath();
    try {
        main.setRecovery(std::make_unique<RecoveryKeeper>(main.workspace(), std::make_unique<OwnRecoveryCopy>(folder)),
                         folder);
    } catch (const FileError& error) {
        main.setRecovery(nullptr, folder);
        main.statusBar()->showMessage(
            QStringLiteral("Niezapisane dane nie będą chronione kopią na wypadek awarii: %1").arg(error.message()));
    }
}

}  // namespace

int RunFiskon(const ProgramStart& start) {
    QtUserInterface ui;
    // The forms program is reached through the window system; it outlives every form dialog.
    LinuxWindowSystem windowSystem;
    lform::setWindowSystem(&windowSystem);
    lform::setBusyCursorHook([](bool busy) {
        if (busy) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else QGuiApplication::restoreOverrideCursor();
    });

    int result = 0;
    {
        // Every window is made once, in this order, and lives until the program ends.
        TFMain FMain(ui);
        ui.setParentWindow(&FMain);
        FMain.setStartupFile(start.dataFile);
        startRecovery(FMain);
        AppWindows& windows = FMain.windows();
        TFDataAccess FDataAccess(ui, &FMain);
        // The import dialogs write the remembered database path into the settings file themselves,
        // the PDF dialog the certificate the files were signed with.
        ProgramSettings importSettings(ProgramSettings::defaultFileName());
        TFImport FImport(FMain.importStep, FDataAccess, importSettings, ui, &FMain);
        windows.import = &FImport;
        TFImport1 FImport1(FMain.importStep, FDataAccess, ui, &FMain);
        windows.import1 = &FImport1;
        TFWTabela FWTabela(FMain, FMain, ui, &FMain);
        windows.wtabela = &FWTabela;
        TFImporting FImporting(FMain.workspace(), FMain, FDataAccess, ui, &FMain);
        TFStart FStart(FMain, &FMain);
        windows.start = &FStart;
        // The date picker is made ahead of its place so the edit forms and the form dialogs can hold
        // it from the start.
        TFCalendar FCalendar(&FMain);
        TFVEL FVEL(FMain.workspace(), ui, FCalendar, &FMain);
        windows.vel = &FVEL;
        TFEdit FEdit(FMain.workspace(), FMain, ui, FCalendar,
                     TaxOfficeList::defaultCandidates(QCoreApplication::applicationDirPath()), &FMain);
        windows.edit = &FEdit;
        TFPlatnik FPlatnik(FMain.workspace(), ui, &FMain);
        windows.platnik = &FPlatnik;
        windows.savePayer = [&FPlatnik] { FPlatnik.btnZapiszClick(); };
        windows.savePayerToItsFile = [&FPlatnik] { FPlatnik.SaveToPayerFile(); };
        windows.openPayer = [&FPlatnik](const QString& fileName) { return FPlatnik.OpenPayer(fileName); };
        windows.loadPayer = [&FPlatnik](const QString& fileName, QString* failure) {
            return FPlatnik.OpenPayer(fileName, failure);
        };
        TFOpen FOpen(FMain.workspace(), FDataAccess, FImporting, importSettings, ui, &FMain);
        windows.open = &FOpen;
        TFPrint FPrint(FMain.workspace(), FMain, FVEL, ui, FCalendar, &FMain);
        windows.print = &FPrint;
        TFAbout FAbout(ui, &FMain);
        windows.about = &FAbout;
        TFConfig FConfig(FDataAccess, ui, &FMain);
        windows.config = &FConfig;
        FConfig.Wczytaj();
        FMain.Timer1()->start();
        TFImport3 FImport3(FMain.importStep, FMain.workspace(), FImporting, &FMain);
        windows.import3 = &FImport3;
        TFMultiEdit FMultiEdit(FMain.workspace(), FMain, FCalendar, FEdit, &FMain);
        windows.multiEdit = &FMultiEdit;
        TFImportSep FImportSep(FMain.workspace(), FMain, ui, &FMain);
        windows.importSep = &FImportSep;
        TFCheck FCheck(FMain.workspace(), FMain, ui, FEdit, FPlatnik, &FVEL, &FMain);
        windows.check = &FCheck;
        TFExportSep FExportSep(FMain.workspace(), ui, &FMain);
        windows.exportSep = &FExportSep;
        TFSummary FSummary(FMain.workspace(), FMain, ui, &FVEL, &FMain);
        windows.summary = &FSummary;
        TFEachPdf FEachPdf(FMain.workspace(), FMain, FVEL, importSettings, ui, FCalendar, &FMain);
        windows.eachPdf = &FEachPdf;
        TFMail FMail(FMain.workspace(), FMain, FVEL, importSettings, ui, FCalendar, MailPasswordStore(), &FMain);
        windows.mail = &FMail;

        // Fills the screen also where no window manager maximises it.
        FMain.resize(FMain.screen()->availableGeometry().size());
        FMain.showMaximized();
        if (start.started) start.started(FMain);
        result = QApplication::exec();
    }
    // The dialogs have destroyed their forms; the forms program is let go.
    lform::LinkShutdown();
    return result;
}
