#include "app/PayerFollowsRegister.h"

#include "settings/RegisterPayerFiles.h"
#include "store/FileErrors.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

PayerFollowsRegister::PayerFollowsRegister(Workspace& workspace, AppWindows& windows, UserInterface& ui,
                                           std::function<QString()> settingsFile,
                                           std::function<void(const QString&)> note)
    : workspace_(workspace), windows_(windows), ui_(ui), settingsFile_(std::move(settingsFile)), note_(std::move(note)) {}

void PayerFollowsRegister::remember() {
    if (workspace_.dataFileName.isEmpty() || workspace_.payerFileName.isEmpty()) return;
    try {
        RegisterPayerFiles(settingsFile_()).remember(workspace_.dataFileName, workspace_.payerFileName);
    } catch (const FileError& error) {
        note_(error.message());  // a convenience, as the list of recent files; the data are safe
    }
}

void PayerFollowsRegister::workspaceChanged() {
    const FileStamp& stamp = workspace_.payerFileStamp;
    if (workspace_.payerFileName == seenPayerFile_ && stamp.known == seenPayerStamp_.known &&
        stamp.size == seenPayerStamp_.size && stamp.sha256 == seenPayerStamp_.sha256)
        return;
    seenPayerFile_ = workspace_.payerFileName;
    seenPayerStamp_ = stamp;
    remember();
}

void PayerFollowsRegister::dataFileOpened(bool askToSave) {
    if (!windows_.loadPayer || workspace_.dataFileName.isEmpty()) return;
    const QString payerFile = RegisterPayerFiles(settingsFile_()).payerFileOf(workspace_.dataFileName);
    if (payerFile.isEmpty()) return;  // none remembered: the payer in force stays
    if (!workspace_.payerSaved) {
        if (payerFile == workspace_.payerFileName) return;  // the unsaved edits are of this very payer
        if (askToSave &&
            ui_.ask(QStringLiteral("Uwaga!"), QStringLiteral("Dane Płatnika nie zostały zapisane. Czy chcesz je zapisać?"),
                    MessageIcon::Warning)) {
            if (windows_.savePayer) windows_.savePayer();
            if (!workspace_.payerSaved) return;  // not saved after all: they are not thrown away
        }
    }
    QString failure;
    if (windows_.loadPayer(payerFile, &failure)) return;
    ui_.message(QStringLiteral("Uwaga!"),
                QStringLiteral("Nie wczytano danych płatnika używanych ostatnio z plikiem „%1”. %2\n\n"
                               "Pozostają dotychczasowe dane płatnika%3.")
                    .arg(QFileInfo(workspace_.dataFileName).fileName(), failure,
                         workspace_.payerFileName.isEmpty()
                             ? QString()
                             : QStringLiteral(" (z pliku „%1”)").arg(QDir::toNativeSeparators(workspace_.payerFileName))),
                MessageIcon::Warning);
}

void PayerFollowsRegister::dataFileSaved() {
    remember();
    if (workspace_.payerSaved) return;
    if (ui_.ask(QStringLiteral("Pytanie"), QStringLiteral("Dane płatnika również zostały zmienione. Czy zapisać je teraz?"),
                MessageIcon::Question) &&
        windows_.savePayerToItsFile)
        windows_.savePayerToItsFile();
}
