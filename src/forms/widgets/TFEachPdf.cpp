#include "forms/widgets/TFEachPdf.h"

#include "forms/widgets/BatchProgress.h"

#include "formvel/FormPdfBatch.h"
#include "formvel/TaxpayerPdfBatch.h"
#include "signing/TaxpayerPdfFiles.h"
#include "signing/SigningKey.h"
#include "store/FolderCreation.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/Workspace.h"
#include "ui/UserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QUrl>

#include <stdexcept>

namespace {

// "Przerwij" between two parts of the batch: the files named so far stay.
struct BatchStopped {};

QString filesText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(PolishPlural(count, QStringLiteral("plik"), QStringLiteral("pliki"),
                                                               QStringLiteral("plików")));
}

// The title of every question for a PIN or a password the dialog asks.
const QString kSecretTitle = QStringLiteral("Podpis plików PDF");

}  // namespace

TFEachPdf::TFEachPdf(Workspace& workspace, MainView& mainView, TFVEL& showForm, ProgramSettings& settings,
                     UserInterface& ui, TFCalendar& calendar, QWidget* parent)
    : TaxpayerFilesDialog("FEachPdf", QStringLiteral("Zapisywanie PDF dla każdego podatnika"), kSecretTitle, workspace,
                          mainView, showForm, settings, ui, calendar, parent) {
    auto* folder = new QGroupBox(QStringLiteral("Katalog na pliki PDF"), this);
    folder->setObjectName(QStringLiteral("GroupBoxKatalog"));
    eKatalog_ = new QLineEdit(folder);
    eKatalog_->setObjectName(QStringLiteral("eKatalog"));
    eKatalog_->setMinimumWidth(320);
    auto* btnKatalog = new QToolButton(folder);
    btnKatalog->setObjectName(QStringLiteral("btnKatalog"));
    btnKatalog->setText(QStringLiteral("…"));
    btnKatalog->setToolTip(QStringLiteral("Wybierz katalog"));
    auto* folderLayout = new QHBoxLayout(folder);
    folderLayout->addWidget(eKatalog_, 1);
    folderLayout->addWidget(btnKatalog);
    connect(btnKatalog, &QToolButton::clicked, this, &TFEachPdf::btnKatalogClick);

    buildFilesControls("btnSave", QStringLiteral("Zapisz"), {folder}, {}, [this] { btnSaveClick(); });
}

void TFEachPdf::btnClearClick() {
    TaxpayerFilesDialog::btnClearClick();
    eKatalog_->clear();
}

void TFEachPdf::btnKatalogClick() {
    const QString start = eKatalog_->text().isEmpty() ? QDir::homePath() : eKatalog_->text();
    if (const std::optional<QString> chosen = ui_.chooseFolder(QStringLiteral("Katalog na pliki PDF"), start))
        eKatalog_->setText(QDir::toNativeSeparators(*chosen));
}

void TFEachPdf::btnSaveClick() {
    if (pnlPostep_->running()) return;
    pnlPostep_->setRunning(true);
    const auto done = qScopeGuard([this] {
        pnlPostep_->setRunning(false);
        // A typed password is not kept beyond the batch it locked.
        forgetTypedPassword();
    });
    saveAll();
}

bool TFEachPdf::fillFolderRequest(TaxpayerPdfRequest& request) {
    if (!fillRequest(request, QStringLiteral("Nie ma podatników, dla których można zapisać pliki PDF."),
                     QStringLiteral("nie zapisano żadnego pliku PDF")))
        return false;
    request.folder = QDir::fromNativeSeparators(eKatalog_->text().trimmed());
    if (request.folder.isEmpty()) {
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Wybierz katalog, do którego trafią pliki PDF."), MessageIcon::Error);
        return false;
    }
    if (const QString why = CreateFolderPath(request.folder); !why.isEmpty()) {
        ui_.message(QStringLiteral("Błąd"),
                    QStringLiteral("Nie można utworzyć katalogu „%1”: %2.").arg(eKatalog_->text(), why),
                    MessageIcon::Error);
        return false;
    }
    return true;
}

void TFEachPdf::saveAll() {
    TaxpayerPdfRequest request;
    if (!fillFolderRequest(request)) return;
    std::unique_ptr<SigningKey> key;
    if (unlockSigningKey(key)) runBatch(request, key.get());
}

void TFEachPdf::runBatch(const TaxpayerPdfRequest& request, const SigningKey* key) {
    const int total = static_cast<int>(request.positions.size());
    int written = 0;
    int withFindings = 0;
    TaxpayerPdfWriting writing;
    writing.key = key;
    writing.visibleSignature = visibleSignature();
    writing.findings = [&](int, const QByteArray&) { ++withFindings; };
    writing.progress = [&](int done) {
        written = done;
        pnlPostep_->showProgress(QStringLiteral("Zapisano %1 z %2").arg(done).arg(total));
        QCoreApplication::processEvents();
        if (pnlPostep_->stopRequested() && done < total) throw BatchStopped();
    };
    pnlPostep_->showProgress(QStringLiteral("Sprawdzanie danych %1…").arg(taxpayersText(total)));
    QCoreApplication::processEvents();
    const QString where = QDir::toNativeSeparators(request.folder);
    QString text;
    try {
        written = WriteTaxpayerPdfs(request, writing);
        if (key)
            text = QStringLiteral("Zapisano %1 PDF %2 certyfikatem „%3” w katalogu „%4”.")
                       .arg(filesText(written),
                            PolishPlural(written, QStringLiteral("podpisany"), QStringLiteral("podpisane"),
                                         QStringLiteral("podpisanych")),
                            key->certificate().subject, where);
        else
            text = QStringLiteral("Zapisano %1 PDF w katalogu „%2”.").arg(filesText(written), where);
    } catch (const BatchStopped&) {
        text = QStringLiteral("Przerwano. Zapisano %1 z %2 %3 PDF w katalogu „%4”.")
                   .arg(written)
                   .arg(total)
                   .arg(PolishPlural(total, QStringLiteral("pliku"), QStringLiteral("plików"), QStringLiteral("plików")), where);
    } catch (const FileError& failure) {
        ui_.message(QStringLiteral("Błąd"), failure.message(), MessageIcon::Error);
        return;
    } catch (const std::exception& failure) {
        ui_.message(QStringLiteral("Błąd"), QString::fromUtf8(failure.what()), MessageIcon::Error);
        return;
    }
    text += findingsNote(withFindings);
    if (written > 0 && ui_.ask(QStringLiteral("Informacja"), text + QStringLiteral("\n\nOtworzyć katalog?"), MessageIcon::Information))
        ui_.openUrl(QUrl::fromLocalFile(request.folder));
    else if (written == 0)
        ui_.message(QStringLiteral("Informacja"), text, MessageIcon::Information);
}
