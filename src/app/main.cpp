// Fiskon: fills PIT-11/8B and PIT-40 for an employer's taxpayers.

#include "app/TFMain.h"
#include "edit/widgets/TFCalendar.h"
#include "edit/widgets/TFEdit.h"
#include "edit/widgets/TFMultiEdit.h"
#include "edit/widgets/TFPlatnik.h"
#include "import/widgets/TFDataAccess.h"
#include "settings/widgets/TFConfig.h"
#include "settings/widgets/TFWTabela.h"
#include "ui/QtUserInterface.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

namespace {

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
    QApplication::setApplicationDisplayName(QStringLiteral("Fiskon"));
    QApplication::setApplicationVersion(QStringLiteral("1.2.10"));
    installPolishTranslations(app);

    QtUserInterface ui;

    // Every window is made once, in this order, and lives until the program ends.
    TFMain FMain(ui);
    ui.setParentWindow(&FMain);
    AppWindows& windows = FMain.windows();
    TFDataAccess FDataAccess(ui, &FMain);
    // TFImport, TFImport1: windows.import, windows.import1
    TFWTabela FWTabela(FMain, FMain, ui, &FMain);
    windows.wtabela = &FWTabela;
    // TFImporting, TFStart (windows.start), TFVEL (windows.vel)
    // The date picker is made ahead of its place so the edit forms can hold it from the start.
    TFCalendar FCalendar(&FMain);
    TFEdit FEdit(FMain.workspace(), FMain, ui, FCalendar,
                 TaxOfficeList::defaultCandidates(QCoreApplication::applicationDirPath()), &FMain);
    windows.edit = &FEdit;
    TFPlatnik FPlatnik(FMain.workspace(), ui, &FMain);
    windows.platnik = &FPlatnik;
    windows.savePayer = [&FPlatnik] { FPlatnik.btnZapiszClick(); };
    // TFOpen (windows.open), TFPrint (windows.print),
    // TFAbout (windows.about)
    TFConfig FConfig(FDataAccess, ui, &FMain);
    windows.config = &FConfig;
    FConfig.Wczytaj();
    FMain.Timer1()->start();
    // TFImport3 (windows.import3)
    TFMultiEdit FMultiEdit(FMain.workspace(), FMain, FCalendar, FEdit, &FMain);
    windows.multiEdit = &FMultiEdit;
    // TFImportSep (windows.importSep)

    FMain.showMaximized();
    return QApplication::exec();
}
