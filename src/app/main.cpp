// Fiskon: fills PIT-11/8B and PIT-40 for an employer's taxpayers.

#include "app/TFAbout.h"
#include "app/ProgramResources.h"
#include "app/TFMain.h"
#include "app/TFStart.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "edit/widgets/TFMultiEdit.h"
#include "edit/widgets/TFPlatnik.h"
#include "forms/lform.h"
#include "forms/widgets/TFCheck.h"
#include "forms/widgets/TFEachPdf.h"
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
#include "ui/QtUserInterface.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

// Qt's own texts (file and colour dialogs, context menus of text fields) in Polish, where the
// system has Qt's translations; the program's message boxes set their button texts themselves.
void installPolishTranslations(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fiskon"));
    QApplication::setApplicationVersion(QStringLiteral("1.2.10"));
    installPolishTranslations(app);
    ensureProgramResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/hicolor/256x256/apps/fiskon.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("fiskon"));

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
        AppWindows& windows = FMain.windows();
        TFDataAccess FDataAccess(ui, &FMain);
        // The import dialogs write the remembered database path into the settings file themselves.
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
        TFEachPdf FEachPdf(FMain.workspace(), FMain, FVEL, ui, FCalendar, &FMain);
        windows.eachPdf = &FEachPdf;

        // Fills the screen also where no window manager maximises it.
        FMain.resize(FMain.screen()->availableGeometry().size());
        FMain.showMaximized();
        result = QApplication::exec();
    }
    // The dialogs have destroyed their forms; the forms program is let go.
    lform::LinkShutdown();
    return result;
}
