#include "forms/widgets/TaxpayerFilesDialog.h"

#include "forms/widgets/BatchProgress.h"
#include "forms/widgets/FormEditions.h"
#include "forms/widgets/TFVEL.h"
#include "formvel/TaxpayerPdfBatch.h"
#include "settings/SigningChoice.h"
#include "signing/SigningKey.h"
#include "signing/widgets/CertificateChoice.h"
#include "store/FileErrors.h"
#include "store/PolishPlural.h"
#include "store/Workspace.h"
#include "ui/ErrorMessage.h"
#include "ui/MainView.h"
#include "ui/UserInterface.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QToolButton>

#include <algorithm>

namespace {

// The taxpayers named in a message at most; the rest are counted.
constexpr int kNamedAtMost = 15;

QRadioButton* newRadio(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLineEdit* newPasswordEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

}  // namespace

TaxpayerFilesDialog::TaxpayerFilesDialog(const char* objectName, const QString& title, const QString& secretTitle,
                                         Workspace& workspace, MainView& mainView, TFVEL& showForm,
                                         ProgramSettings& settings, UserInterface& ui, TFCalendar& calendar,
                                         QWidget* parent)
    : FormsDialog(objectName, title, ui, calendar, parent), workspace_(workspace), mainView_(mainView),
      FVEL_(showForm), settings_(settings), prompts_(ui, secretTitle) {
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
    who_ = who;
    rbWszyscy_ = newRadio(who, "rbWszyscy", QStringLiteral("wszyscy"));
    rbZaznaczeni_ = newRadio(who, "rbZaznaczeni", QStringLiteral("zaznaczeni w tabeli"));
    rbWszyscy_->setChecked(true);
    auto* whoLayout = new QHBoxLayout(who);
    whoLayout->addWidget(rbWszyscy_);
    whoLayout->addWidget(rbZaznaczeni_);
    whoLayout->addStretch();

    auto* protection = new QGroupBox(QStringLiteral("Zabezpiecz hasłem"), this);
    protection->setObjectName(QStringLiteral("GroupBoxHaslo"));
    protection_ = protection;
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
    connect(pnlPostep_->stopButton(), &QPushButton::clicked, this, &TaxpayerFilesDialog::btnPrzerwijClick);
}

void TaxpayerFilesDialog::buildFilesControls(const char* actionName, const QString& actionCaption,
                                             const std::vector<QWidget*>& own, const std::vector<QWidget*>& side,
                                             std::function<void()> action) {
    std::vector<QWidget*> middle{yearGroup_, who_};
    middle.insert(middle.end(), own.begin(), own.end());
    middle.insert(middle.end(), {protection_, certificates_, pnlPostep_});
    buildControls("RadioGroup2", "Label2", "Label3", actionName, actionCaption, middle, std::move(action), side);
    showPasswordFields();
}

void TaxpayerFilesDialog::FormShow() {
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

void TaxpayerFilesDialog::listCertificates() {
    QString wanted;
    if (!certificates_->listed()) {
        try {
            wanted = RememberedSigningCertificate(settings_);
        } catch (const FileError&) {
            // The settings cannot be read: nothing is chosen for the user; the batch says why.
        }
    }
    certificates_->listCertificates(wanted);
}

void TaxpayerFilesDialog::rbPIT11Click() {
    yearGroup_->hide();
    rgSkreslenie_->show();
}

void TaxpayerFilesDialog::rbPIT40Click() {
    yearGroup_->show();
    rgSkreslenie_->hide();
}

void TaxpayerFilesDialog::btnClearClick() {
    eRok_->clear();
    eImie_->clear();
    eNazwisko_->clear();
    forgetTypedPassword();
    rbPesel_->setChecked(true);
    choice_.rbPIT11->setChecked(true);
}

void TaxpayerFilesDialog::forgetTypedPassword() {
    eHaslo1_->clear();
    eHaslo2_->clear();
}

void TaxpayerFilesDialog::showPasswordFields() {
    const bool one = rbJednoHaslo_->isChecked();
    eHaslo1_->setEnabled(one);
    eHaslo2_->setEnabled(one);
}

void TaxpayerFilesDialog::btnPrzerwijClick() { pnlPostep_->requestStop(); }

void TaxpayerFilesDialog::reject() {
    if (pnlPostep_->running())
        btnPrzerwijClick();
    else
        FormsDialog::reject();
}

QString TaxpayerFilesDialog::taxpayersText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(PolishPlural(count, QStringLiteral("podatnika"),
                                                               QStringLiteral("podatników"), QStringLiteral("podatników")));
}

QString TaxpayerFilesDialog::namedAtMost(const QStringList& names) {
    QString text = names.mid(0, kNamedAtMost).join(u'\n');
    if (names.size() > kNamedAtMost)
        text += QStringLiteral("\n… i %1 więcej.").arg(taxpayersText(static_cast<int>(names.size()) - kNamedAtMost));
    return text;
}

QString TaxpayerFilesDialog::findingsNote(int taxpayers) {
    if (taxpayers == 0) return QString();
    return (taxpayers == 1 ? QStringLiteral("\nFormularz 1 podatnika ma uwagi")
                           : QStringLiteral("\nFormularze %1 mają uwagi").arg(taxpayersText(taxpayers))) +
           QStringLiteral(" – zobacz „Sprawdź dane do formularzy…”.");
}

bool TaxpayerFilesDialog::visibleSignature() const { return certificates_->visibleSignature(); }

bool TaxpayerFilesDialog::fillRequest(TaxpayerPdfRequest& request, const QString& noneText, const QString& nothingDone) {
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
        ui_.message(QStringLiteral("Informacja"), noneText, MessageIcon::Information);
        return false;
    }
    request.choices = fieldListChoices(choice_.kind(), StrikePit11(*strike_));
    SetEditionSymbols(request.symbols, cbRok_->currentIndex());
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
        const QString text = QStringLiteral("Nie można zabezpieczyć hasłem plików %1 – %2:\n")
                                 .arg(taxpayersText(count), nothingDone) +
                             namedAtMost(withoutSecret);
        ui_.message(QStringLiteral("Błąd"), text, MessageIcon::Error);
        return false;
    }
    return true;
}

bool TaxpayerFilesDialog::unlockSigningKey(std::unique_ptr<SigningKey>& key) {
    const QString nickname = certificates_->chosenCertificate();
    try {
        RememberSigningCertificate(settings_, nickname);
    } catch (const FileError& error) {
        ShowErrorMessage(ui_, error);
    }
    if (nickname.isEmpty()) return true;
    key = certificates_->unlockChosenKey();
    return key != nullptr;
}
