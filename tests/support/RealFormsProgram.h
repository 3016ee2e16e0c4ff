#pragma once

// Helpers for the tests that run Fiskon against our real forms program.

#include "edit/widgets/TFCalendar.h"
#include "forms/widgets/TFPrint.h"
#include "forms/widgets/TFVEL.h"
#include "platform/LinuxWindowSystem.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class MainView;
class QPlainTextEdit;
class TSterFormVEL;
class TaxpayerRegister;

// Makes the link of this test program start the forms program in `formvelDir`: a window folder
// (`runtimeDir`) and a home (`homeDir`, which gets the "win.ini" profile naming that folder) of the
// test's own. False when the profile cannot be written.
bool UseFormsProgramIn(const QString& formvelDir, const QString& runtimeDir, const QString& homeDir);

// Fiskon's show-form and print dialogs over a workspace, linked to our real forms program through
// the Linux window system, with a window folder and a home of their own.
struct RealFormsProgramRig {
    QTemporaryDir runtime;
    QTemporaryDir home;
    std::unique_ptr<LinuxWindowSystem> system;
    Workspace workspace;
    ScriptedUserInterface ui;
    std::unique_ptr<TFCalendar> calendar;
    std::unique_ptr<TFVEL> vel;
    std::unique_ptr<TFPrint> print;

    // Points the link at the forms program in `formvelDir` and makes the dialogs; the print dialog
    // prints the rows `view` has selected. False when the profile cannot be written.
    bool start(const QString& formvelDir, MainView& view);
    // Closes the dialogs and releases the forms program, which ends.
    void stop();
};

// Prints the first `count` taxpayers one after another on a fresh form, as a batch does after its
// first document, silently; false as soon as one is not printed.
bool PrintSilently(TSterFormVEL& controller, TFVEL& showForm, QPlainTextEdit& memo, TaxpayerRegister& taxpayers, int count);

// The text of a PDF as pdftotext reads it (empty when it cannot).
QString PdfFileText(const QString& path);
