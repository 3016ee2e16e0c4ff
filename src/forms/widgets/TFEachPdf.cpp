#include "forms/widgets/TFEachPdf.h"

#include "forms/widgets/BatchProgress.h"

#include "formvel/FormPdfBatch.h"
#include "formvel/TaxpayerPdfBatch.h"
#include "forms/widgets/FormEditions.h"
#include "forms/widgets/TFVEL.h"
#include "settings/SigningChoice.h"
#include "signing/TaxpayerPdfFiles.h"
#include "signing/SigningKey.h"
#include "signing/widgets/CertificateChoice.h"
#include "store/FolderCreation.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/Workspace.h"
#include "ui/MainView.h"
#include "ui/ErrorMessage.h"
#include "ui/UiCertificatePrompts.h"
#include "ui/UserInterface.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QThread>
#include <QToolButton>
#include <QUrl>

#include <stdexcept>
#include <utility>

namespace {

// "Przerwij" between two parts of the batch: the files named so far stay.
struct BatchStopped {};

// The taxpayers named in a message at most; the rest are counted.
constexpr int kNamedAtMost = 15;

QString filesText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(PolishPlural(count, QStringLiteral("plik"), QStringLiteral("pliki"),
                                                               QStringLiteral("plików")));
}

QString taxpayersText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(PolishPlural(count, QStringLiteral("podatnika"),
                                                               QStringLiteral("podatników"), QStringLiteral("podatników")));
}

QRadioButton* newRadio(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// The title of every question for a PIN or a password the dialog asks.
const QString kSecretTitle = QStringLiteral("Podpis plików PDF");

QLineEdit* newPasswordEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

}  // namespace

TFEachPdf::TFEachPdf(Workspace& workspace, MainView& mainView, TFVEL& showForm, ProgramSettings& settings,
                     UserInterface& ui, TFCalendar& calendar, QWidget* parent)
    : FormsDialog("FEachPdf", QStringLiteral("Zapisywanie PDF dla każdego podatnika"), ui, calendar, parent),
      workspace_(workspace), mainView_(mainView), FVEL_(showForm), settings_(settings),
      prompts_(ui, kSecretTitle) {
    auto* yearGroup = new QGroupBox(QStringLiteral("Rok podatkowy"), this);
    yearGroup->setObjectName(QStringLiteral("GroupBoxRok"));
    yearGroup_ = yearGroup;
    eRok_ = NewYearEdit(yearGroup);
    QToolButton* btnRok = NewPickerButton(yearGroup, "btnRok");
    auto* year = new QHBoxLayout(yearGroup);
    year->addWidget(eRok_);
    year->addWidget(btnRok);
    year->addStretch();
    connect(btnRok, &QToolButton::clicked, this, [this] { pickYear(*eRok_); });

    auto* who = new QGroupBox(QStringLiteral("Podatnicy"), this);
    who->setObjectName(QStringLiteral("GroupBoxPodatnicy"));
    rbWszyscy_ = newRadio(who, "rbWszyscy", QStringLiteral("wszyscy"));
    rbZaznaczeni_ = newRadio(who, "rbZaznaczeni", QStringLiteral("zaznaczeni w tabeli"));
    rbWszyscy_->setChecked(true);
    auto* whoLayout = new QHBoxLayout(who);
    whoLayout->addWidget(rbWszyscy_);
    whoLayout->addWidget(rbZaznaczeni_);
    whoLayout->addStretch();

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

    auto* protection = new QGroupBox(QStringLiteral("Zabezpiecz hasłem"), this);
    protection->setObjectName(QStringLiteral("GroupBoxHaslo"));
    rbPesel_ = newRadio(protection, "rbPesel", QStringLiteral("PESEL podatnika"));
    rbNip_ = newRadio(protection, "rbNip", QStringLiteral("NIP podatnika"));
    rbJednoHaslo_ = newRadio(protection, "rbJednoHaslo", QStringLiteral("jedno hasło (wpisz dwa razy)"));
    rbBezHasla_ = newRadio(protection, "rbBezHasla", QStringLiteral("bez hasła"));
    rbPesel_->setChecked(true);
    eHaslo1_ = newPasswordEdit(protection, "eHaslo1");
    eHaslo2_ = newPasswordEdit(protection, "eHaslo2");
    auto* password1 = new QLabel(QStringLiteral("&Hasło:"), protection);
    password1->setBuddy(eHaslo1_);
    auto* password2 = new QLabel(QStringLiteral("&Powtórz hasło:"), protection);
    password2->setBuddy(eHaslo2_);
    auto* protectionLayout = new QGridLayout(protection);
    protectionLayout->addWidget(rbPesel_, 0, 0);
    protectionLayout->addWidget(rbNip_, 0, 1);
    protectionLayout->addWidget(rbJednoHaslo_, 1, 0);
    protectionLayout->addWidget(rbBezHasla_, 1, 1);
    protectionLayout->addWidget(password1, 2, 0);
    protectionLayout->addWidget(eHaslo1_, 2, 1);
    protectionLayout->addWidget(password2, 3, 0);
    protectionLayout->addWidget(eHaslo2_, 3, 1);
    for (QRadioButton* button : {rbPesel_, rbNip_, rbJednoHaslo_, rbBezHasla_})
        connect(button, &QRadioButton::toggled, this, [this] { showPasswordFields(); });

    certificates_ = new CertificateChoice(prompts_, this);

    pnlPostep_ = new BatchProgress(this);
    connect(pnlPostep_->stopButton(), &QPushButton::clicked, this, &TFEachPdf::btnPrzerwijClick);

    buildControls("RadioGroup2", "Label2", "Label3", "btnSave", QStringLiteral("Zapisz"),
                  {yearGroup, who, folder, protection, certificates_, pnlPostep_}, [this] { btnSaveClick(); });
    showPasswordFields();
}

void TFEachPdf::FormShow() {
    const int all = static_cast<int>(workspace_.taxpayers.count());
    const int selected = static_cast<int>(mainView_.selectedRows().size());
    rbWszyscy_->setText(QStringLiteral("wszyscy (%1)").arg(all));
    rbZaznaczeni_->setText(QStringLiteral("zaznaczeni w tabeli (%1)").arg(selected));
    rbZaznaczeni_->setEnabled(selected > 0);
    if (selected > 1)
        rbZaznaczeni_->setChecked(true);
    else
        rbWszyscy_->setChecked(true);
    choosePit11();
    takeOverEmptyFields(FVEL_);
    listCertificates();
}

void TFEachPdf::listCertificates() {
    QString wanted;
    if (!certificates_->listed()) {
        try {
            wanted = RememberedSigningCertificate(settings_);
        } catch (const FileError&) {
            // The settings cannot be read: nothing is chosen for the user; saving says why.
        }
    }
    certificates_->listCertificates(wanted);
}

void TFEachPdf::rbPIT11Click() {
    yearGroup_->hide();
    rgSkreslenie_->show();
}

void TFEachPdf::rbPIT40Click() {
    yearGroup_->show();
    rgSkreslenie_->hide();
}

void TFEachPdf::btnClearClick() {
    eRok_->clear();
    eImie_->clear();
    eNazwisko_->clear();
    eKatalog_->clear();
    eHaslo1_->clear();
    eHaslo2_->clear();
    rbPesel_->setChecked(true);
    choice_.rbPIT11->setChecked(true);
}

void TFEachPdf::btnKatalogClick() {
    const QString start = eKatalog_->text().isEmpty() ? QDir::homePath() : eKatalog_->text();
    if (const std::optional<QString> chosen = ui_.chooseFolder(QStringLiteral("Katalog na pliki PDF"), start))
        eKatalog_->setText(QDir::toNativeSeparators(*chosen));
}

void TFEachPdf::showPasswordFields() {
    const bool one = rbJednoHaslo_->isChecked();
    eHaslo1_->setEnabled(one);
    eHaslo2_->setEnabled(one);
}

void TFEachPdf::btnSaveClick() {
    if (pnlPostep_->running()) return;
    pnlPostep_->setRunning(true);
    const auto done = qScopeGuard([this] {
        pnlPostep_->setRunning(false);
        // A typed password is not kept beyond the batch it locked.
        eHaslo1_->clear();
        eHaslo2_->clear();
    });
    saveAll();
}

void TFEachPdf::btnPrzerwijClick() { pnlPostep_->requestStop(); }

void TFEachPdf::reject() {
    if (pnlPostep_->running())
        btnPrzerwijClick();
    else
        FormsDialog::reject();
}

bool TFEachPdf::fillRequest(TaxpayerPdfRequest& request) {
    if (!fillerNamesUsable()) return false;
    request.taxpayers = &workspace_.taxpayers;
    request.payer = &workspace_.payer;
    if (rbZaznaczeni_->isChecked()) {
        for (const int row : mainView_.selectedRows()) request.positions.push_back(row + 1);
    } else {
        for (int position = 1; position <= static_cast<int>(workspace_.taxpayers.count()); ++position)
            request.positions.push_back(position);
    }
    if (request.positions.empty()) {
        ui_.message(QStringLiteral("Informacja"), QStringLiteral("Nie ma podatników, dla których można zapisać pliki PDF."),
                    MessageIcon::Information);
        return false;
    }
    request.choices = fieldListChoices(choice_.kind(), StrikePit11(*strike_));
    SetEditionSymbols(request.symbols, cbRok_->currentIndex());
    request.folder = QDir::fromNativeSeparators(eKatalog_->text().trimmed());
    if (request.folder.isEmpty()) {
        ui_.message(QStringLiteral("Błąd"), QStringLiteral("Wybierz katalog, do którego trafią pliki PDF."), MessageIcon::Error);
        return false;
    }
    if (rbPesel_->isChecked()) request.protection = PdfProtection::Pesel;
    if (rbNip_->isChecked()) request.protection = PdfProtection::Nip;
    if (rbJednoHaslo_->isChecked()) {
        if (eHaslo1_->text().isEmpty()) {
            ui_.message(QStringLiteral("Błąd"), QStringLiteral("Wpisz hasło, którym zostaną zabezpieczone pliki PDF."),
                        MessageIcon::Error);
            return false;
        }
        if (eHaslo1_->text() != eHaslo2_->text()) {
            ui_.message(QStringLiteral("Błąd"), QStringLiteral("Wpisane hasła się różnią. Wpisz hasło dwa razy tak samo."),
                        MessageIcon::Error);
            eHaslo2_->clear();
            return false;
        }
        request.protection = PdfProtection::OnePassword;
        request.onePassword = eHaslo1_->text().toUtf8();
    }
    request.yearIndex = cbRok_->currentIndex();
    request.jobs = std::max(1, QThread::idealThreadCount());

    if (const QStringList withoutSecret = TaxpayersWithoutSecret(request); !withoutSecret.isEmpty()) {
        const int count = static_cast<int>(withoutSecret.size());
        QString text = QStringLiteral("Nie można zabezpieczyć hasłem plików %1 – nie zapisano żadnego pliku PDF:\n")
                           .arg(taxpayersText(count));
        text += withoutSecret.mid(0, kNamedAtMost).join(u'\n');
        if (count > kNamedAtMost) text += QStringLiteral("\n… i %1 więcej.").arg(taxpayersText(count - kNamedAtMost));
        ui_.message(QStringLiteral("Błąd"), text, MessageIcon::Error);
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

void TFEachPdf::remember(const QString& nickname) {
    try {
        RememberSigningCertificate(settings_, nickname);
    } catch (const FileError& error) {
        ShowErrorMessage(ui_, error);
    }
}

void TFEachPdf::saveAll() {
    TaxpayerPdfRequest request;
    if (!fillRequest(request)) return;
    const QString nickname = certificates_->chosenCertificate();
    remember(nickname);
    if (nickname.isEmpty()) {
        runBatch(request, nullptr);
        return;
    }
    // The PIN after every check of the taxpayers, before anything is drawn: a wrong one writes nothing.
    const std::unique_ptr<SigningKey> key = certificates_->unlockChosenKey();
    if (key) runBatch(request, key.get());
}

void TFEachPdf::runBatch(const TaxpayerPdfRequest& request, const SigningKey* key) {
    const int total = static_cast<int>(request.positions.size());
    int written = 0;
    int withFindings = 0;
    TaxpayerPdfWriting writing;
    writing.key = key;
    writing.visibleSignature = certificates_->visibleSignature();
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
    if (withFindings > 0)
        text += (withFindings == 1 ? QStringLiteral("\nFormularz 1 podatnika ma uwagi")
                                   : QStringLiteral("\nFormularze %1 mają uwagi").arg(taxpayersText(withFindings))) +
                QStringLiteral(" – zobacz „Sprawdź dane do formularzy…”.");
    if (written > 0 && ui_.ask(QStringLiteral("Informacja"), text + QStringLiteral("\n\nOtworzyć katalog?"), MessageIcon::Information))
        ui_.openUrl(QUrl::fromLocalFile(request.folder));
    else if (written == 0)
        ui_.message(QStringLiteral("Informacja"), text, MessageIcon::Information);
}
