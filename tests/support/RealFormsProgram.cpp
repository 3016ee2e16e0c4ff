#include "support/RealFormsProgram.h"

#include "forms/TSterFormVEL.h"
#include "forms/lform.h"
#include "forms/widgets/FormChoiceControls.h"
#include "forms/widgets/TFVEL.h"
#include "store/TaxpayerRegister.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>

bool UseFormsProgramIn(const QString& formvelDir, const QString& runtimeDir, const QString& homeDir) {
    qputenv("FISKON_WINDOWS_DIR", QFile::encodeName(runtimeDir));
    const QString profile = QDir(homeDir).filePath(QStringLiteral("win.ini"));
    QFile file(profile);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write("[formularze]\r\nkatalog=" + QFile::encodeName(formvelDir) + "\r\n");
    file.close();
    qputenv("FISKON_WININI", QFile::encodeName(profile));
    qputenv("HOME", QFile::encodeName(homeDir));
    qunsetenv("XDG_DOCUMENTS_DIR");
    qunsetenv("XDG_CONFIG_HOME");
    return true;
}

bool RealFormsProgramRig::start(const QString& formvelDir, MainView& view) {
    if (!UseFormsProgramIn(formvelDir, runtime.path(), home.path())) return false;
    system = std::make_unique<LinuxWindowSystem>();
    lform::setWindowSystem(system.get());
    calendar = std::make_unique<TFCalendar>();
    vel = std::make_unique<TFVEL>(workspace, ui, *calendar);
    print = std::make_unique<TFPrint>(workspace, view, *vel, ui, *calendar);
    return true;
}

void RealFormsProgramRig::stop() {
    print.reset();
    vel.reset();
    if (!system) return;
    lform::LinkShutdown();
    lform::setWindowSystem(nullptr);
    system.reset();
}

bool PrintSilently(TSterFormVEL& controller, TFVEL& showForm, QPlainTextEdit& memo, TaxpayerRegister& taxpayers, int count) {
    controller.SetActive(false);
    controller.SilentPrint = true;
    for (int row = 0; row < count; ++row) {
        taxpayers.SelectByIndex(row);
        QByteArrayList lines;
        const QByteArray symbol = showForm.BuildFieldList(lines, memo, FormKind::Pit11, true).value_or(QByteArray());
        controller.SetSymbol(symbol);
        controller.SetFields(lines);
        controller.SetActive(true);
        if (!controller.Print()) return false;
        controller.FinishDocument();
    }
    return true;
}

QString PdfFileText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
