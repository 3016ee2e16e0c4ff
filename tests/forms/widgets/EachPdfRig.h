#pragma once

// The "Zapisz PDF dla każdego podatnika…" dialog of one test, over three taxpayers of its own,
// with a settings file in the test's folder.

#include "edit/widgets/EditRig.h"
#include "forms/widgets/TFEachPdf.h"
#include "forms/widgets/TFVEL.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QtTest>

struct EachPdfRig : EditRig {
    EachPdfRig() {
        workspace.taxpayers.Add(Person(QStringLiteral("ŻAK"), QStringLiteral("EWA"), "85031212367"));
        workspace.taxpayers.Add(Person(QStringLiteral("NOWAK"), QStringLiteral("ANNA"), "8503121236"));  // ten digits
        workspace.taxpayers.Add(Person(QStringLiteral("ADAMCZYK"), QStringLiteral("JAN"), ""));
        ui.onUnexpected = [](const QString& message) { QFAIL(qPrintable(message)); };
    }
    template <typename T>
    T* control(const char* name) {
        T* widget = dialog.findChild<T*>(QString::fromLatin1(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

    ProgramSettings settings{dir.filePath(QStringLiteral("fiskon.ini"))};
    TFVEL showForm{workspace, ui, calendar};
    TFEachPdf dialog{workspace, view, showForm, settings, ui, calendar};
    QString folder = dir.filePath(QStringLiteral("pity"));
};
