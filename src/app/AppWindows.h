#pragma once

#include <QDialog>

#include <functional>

class TFConfig;

// The windows the main window opens, created once by main in the program's order and living as
// long as the main window. A window that main has not made (yet) stays null, and the command that
// would show it does nothing.
struct AppWindows {
    QDialog* import = nullptr;     // TFImport: import wizard, step 0 (database file)
    QDialog* import1 = nullptr;    // TFImport1: import wizard, step 1 (login)
    QDialog* wtabela = nullptr;    // TFWTabela: table appearance
    QDialog* start = nullptr;      // TFStart: start screen
    QDialog* vel = nullptr;        // TFVEL: show form
    QDialog* edit = nullptr;       // TFEdit: taxpayer edit form
    QDialog* platnik = nullptr;    // TFPlatnik: payer form
    QDialog* open = nullptr;       // TFOpen: quick import
    QDialog* print = nullptr;      // TFPrint: print dialog
    QDialog* about = nullptr;      // TFAbout: About box
    TFConfig* config = nullptr;    // TFConfig: settings in force and their dialog
    QDialog* import3 = nullptr;    // TFImport3: import wizard, step 2 (what to import)
    QDialog* multiEdit = nullptr;  // TFMultiEdit: multi-record edit
    QDialog* importSep = nullptr;  // TFImportSep: delimited import
    QDialog* check = nullptr;      // TFCheck: the check of the data before printing
    QDialog* exportSep = nullptr;  // TFExportSep: delimited export
    QDialog* summary = nullptr;    // TFSummary: the payer's totals
    QDialog* eachPdf = nullptr;    // TFEachPdf: a PDF file for each taxpayer
    QDialog* mail = nullptr;       // TFMail: each taxpayer's PIT by mail

    // The payer form's save (asks for a file and writes the payer file); run by the close
    // procedure when the payer data were not saved.
    std::function<void()> savePayer;
    // The payer form's save to the payer file in use, when there is one (else as savePayer); run
    // after a save of the register when the payer data were changed too.
    std::function<void()> savePayerToItsFile;
    // The payer form's load of a given payer file (a payer file given to `fiskon` at start); true
    // when it was loaded.
    std::function<bool(const QString&)> openPayer;
    // The same load of the payer file that goes with a data file just opened: a file that cannot
    // be read puts its reason in the text given instead of a message of its own.
    std::function<bool(const QString&, QString*)> loadPayer;
};
