#pragma once

#include "RecordingMainView.h"
#include "import/widgets/TFDataAccess.h"
#include "import/widgets/TFImport.h"
#include "import/widgets/TFImport1.h"
#include "import/widgets/TFImport3.h"
#include "import/widgets/TFImporting.h"
#include "import/widgets/TFOpen.h"
#include "settings/ProgramSettings.h"
#include "store/Cp1250.h"
#include "store/Workspace.h"
#include "support/ScriptedUserInterface.h"

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

// The import windows wired together as the program wires them, over a settings file of their own.
struct ImportRig {
    ScriptedUserInterface ui;
    QTemporaryDir dir;
    ProgramSettings settings{dir.filePath(QStringLiteral("fiskon.ini"))};
    Workspace workspace;
    RecordingMainView view{workspace.taxpayers};
    int importStep = 0;
    TFDataAccess dataAccess{ui};
    TFImport step1{importStep, dataAccess, settings, ui};
    TFImport1 step2{importStep, dataAccess, ui};
    TFImporting importing{workspace, view, dataAccess, ui};
    TFOpen quick{workspace, dataAccess, importing, settings, ui};
    TFImport3 step3{importStep, workspace, importing};

    QString rememberedPath() const {
        return settings.GetParam(QStringLiteral("DatabasePath"), QStringLiteral("<none>"));
    }
    // Waits until the waiting window has read and closed.
    bool waitForImport() {
        return QTest::qWaitFor([this] { return !importing.isVisible() &&
                                               !importing.Timer1().isActive(); },
                               60'000);
    }
};

inline QString fixture(const char* name) {
    return QStringLiteral(FISKON_TEST_FIXTURES "/platnik/") + QString::fromUtf8(name);
}

inline const QString kPassword = QStringLiteral("Zaq12wsx");
inline const QString kLoginErrorStart =
    QStringLiteral("Podczas próby logowania do bazy wystąpił następujący błąd : \r\n");

// Names of the register's records as "SURNAME FIRSTNAME", in register order.
inline QStringList taxpayerNames(const Workspace& workspace) {
    QStringList names;
    for (int i = 0; i < workspace.taxpayers.count(); ++i) {
        const TaxpayerRecord& record = workspace.taxpayers.at(i);
        names << cp1250::toUnicode(record.nazwisko) + QLatin1Char(' ') +
                     cp1250::toUnicode(record.imie1);
    }
    return names;
}
