#include "edit/widgets/TFPlatnik.h"

#include "edit/Voivodeships.h"
#include "edit/widgets/FormFields.h"
#include "edit/widgets/MaskedText.h"
#include "edit/widgets/SaveTargetChoice.h"
#include "store/Cp1250.h"
#include "store/DataFileCommands.h"
#include "store/FileErrors.h"
#include "store/PayerRecord.h"
#include "store/PayerChangeRecording.h"
#include "store/Workspace.h"
#include "ui/ErrorMessage.h"
#include "ui/FocusControl.h"
#include "ui/UserInterface.h"
#include "ui/WindowOpening.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString kSaveTitle = QStringLiteral("Zapisywanie danych Płatnika składek...");
const QString kSaveFilter = QStringLiteral("Pliki tekstowe w formacie INI (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
const QString kOpenFilter = QStringLiteral("Pliki tekstowe w formacie INI|*.txt|Wszystkie pliki|*.*");
const QString kDefaultSuffix = QStringLiteral("*.txt");
const QString kPayerStep = QStringLiteral("Zmiana danych płatnika");

template <std::size_t N>
void ShowText(QLineEdit* edit, const FixedText<N>& field) {
    edit->setText(cp1250::toUnicode(field.view()));
    edit->setCursorPosition(0);  // a long name shows its beginning
}

template <std::size_t N>
void StoreText(const QLineEdit* edit, FixedText<N>& field) {
    field = cp1250::fromUnicode(MaskedFieldText(*edit));
}

}  // namespace

TFPlatnik::TFPlatnik(Workspace& workspace, UserInterface& ui, QWidget* parent)
    : QDialog(parent), workspace_(workspace), ui_(ui) {
    setObjectName(QStringLiteral("TFPlatnik"));
    setWindowTitle(QStringLiteral("Dane Płatnika Składek"));
    buildControls();
    // FormCreate: the voivodeship list is filled by buildControls.
    ShowPayer();
    modified_ = false;
}

QLineEdit* TFPlatnik::addText(const char* name, int maxLength) {
    auto* edit = NewTextField(this, name, maxLength, true);
    connect(edit, &QLineEdit::textChanged, this, &TFPlatnik::eChange);
    texts_[edit->objectName()] = edit;
    return edit;
}

void TFPlatnik::buildControls() {
    auto* group = new QGroupBox(QStringLiteral("Dane Płatnika składek"), this);

    rodzaj_ = new QButtonGroup(this);
    auto* RB1 = new QRadioButton(QStringLiteral("Płatnik niebędący osobą fizyczną"), group);
    RB1->setObjectName(QStringLiteral("RB1"));
    auto* RB2 = new QRadioButton(QStringLiteral("Osoba fizyczna"), group);
    RB2->setObjectName(QStringLiteral("RB2"));
    rodzaj_->addButton(RB1, 1);
    rodzaj_->addButton(RB2, 2);
    // A changed kind is a change of the payer's data like any text: unsaved until stored in a file.
    connect(rodzaj_, &QButtonGroup::idToggled, this, &TFPlatnik::eChange);

    auto* eNIP = addText("eNIP", 13);
    ApplyMask(*eNIP, masks::kNip);
    eNIP->setFixedWidth(130);
    auto* eNazwa = addText("eNazwa", 255);
    auto* eKraj = addText("eKraj", 50);
    eWoj_ = NewVoivodeshipBox(group);
    connect(eWoj_, &QComboBox::currentIndexChanged, this, &TFPlatnik::eChange);
    auto* ePowiat = addText("ePowiat", 50);
    auto* eGmina = addText("eGmina", 50);
    auto* eUlica = addText("eUlica", 50);
    auto* eNrDomu = addText("eNrDomu", 15);
    auto* eNrLokalu = addText("eNrLokalu", 15);
    auto* eMiejscowosc = addText("eMiejscowosc", 50);
    auto* eKodPocztowy = addText("eKodPocztowy", 10);
    ApplyMask(*eKodPocztowy, masks::kPostalCode);
    eKodPocztowy->setFixedWidth(80);
    auto* ePoczta = addText("ePoczta", 50);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    int row = 0;
    auto addField = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, group);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    };
    addField(QStringLiteral("NIP :"), eNIP);
    auto* nameLabel = new QLabel(QStringLiteral("Nazwa pełna / Nazwisko, pierwsze imię, data urodzenia"), group);
    nameLabel->setBuddy(eNazwa);
    grid->addWidget(nameLabel, row++, 0, 1, 2);
    grid->addWidget(eNazwa, row++, 0, 1, 2);
    addField(QStringLiteral("Kraj"), eKraj);
    addField(QStringLiteral("Województwo"), eWoj_);
    addField(QStringLiteral("Powiat"), ePowiat);
    addField(QStringLiteral("Gmina"), eGmina);
    addField(QStringLiteral("Ulica"), eUlica);
    auto* house = new QWidget(group);
    auto* houseLayout = new QHBoxLayout(house);
    houseLayout->setContentsMargins(0, 0, 0, 0);
    houseLayout->addWidget(eNrDomu);
    auto* flatLabel = new QLabel(QStringLiteral("m"), house);
    flatLabel->setBuddy(eNrLokalu);
    houseLayout->addWidget(flatLabel);
    houseLayout->addWidget(eNrLokalu);
    eNrDomu->setAccessibleName(QStringLiteral("Nr domu"));
    eNrLokalu->setAccessibleName(QStringLiteral("Nr mieszkania"));
    addField(QStringLiteral("Nr domu / nr mieszkania"), house);
    addField(QStringLiteral("Miejscowość"), eMiejscowosc);
    addField(QStringLiteral("Kod pocztowy"), eKodPocztowy);
    addField(QStringLiteral("Poczta"), ePoczta);
    grid->setColumnStretch(1, 1);

    auto* kinds = new QHBoxLayout;
    kinds->addWidget(RB1);
    kinds->addWidget(RB2);
    kinds->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addLayout(kinds);
    groupLayout->addLayout(grid);

    auto* btnZapisz = new QPushButton(QStringLiteral("Zapi&sz"), this);
    btnZapisz->setObjectName(QStringLiteral("btnZapisz"));
    auto* btnWczytaj = new QPushButton(QStringLiteral("&Wczytaj"), this);
    btnWczytaj->setObjectName(QStringLiteral("btnWczytaj"));
    auto* btnCancel = new QPushButton(QStringLiteral("&Anuluj"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* btnOK = new QPushButton(QStringLiteral("&Zatwierdź"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnZapisz, &QPushButton::clicked, this, [this] { btnZapiszClick(); });
    connect(btnWczytaj, &QPushButton::clicked, this, &TFPlatnik::btnWczytajClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFPlatnik::btnCancelClick);
    connect(btnOK, &QPushButton::clicked, this, &TFPlatnik::btnOKClick);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnZapisz);
    buttons->addWidget(btnWczytaj);
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    QWidget* order[] = {RB1,          RB2,     eNIP,   eNazwa,  eKraj,     eWoj_,
                        ePowiat,      eGmina,  eUlica, eNrDomu, eNrLokalu, eMiejscowosc,
                        eKodPocztowy, ePoczta, btnZapisz, btnWczytaj, btnCancel, btnOK};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    resize(640, sizeHint().height());
}

void TFPlatnik::eChange() { modified_ = true; }

void TFPlatnik::showEvent(QShowEvent* event) {
    if (IsWindowOpening(*event)) {  // a restored window keeps the typed edits
        FormShow();
        if (!focusTarget_.isEmpty()) FocusNamedControl(*this, focusTarget_);
        focusTarget_.clear();
    }
    QDialog::showEvent(event);
}

void TFPlatnik::FormShow() { ShowPayer(); }

void TFPlatnik::ShowPayer() {
    const PayerRecord& payer = workspace_.payer;
    if (QAbstractButton* button = rodzaj_->button(payer.rodzaj)) {
        button->setChecked(true);
    } else {
        rodzaj_->setExclusive(false);
        for (QAbstractButton* each : rodzaj_->buttons()) each->setChecked(false);
        rodzaj_->setExclusive(true);
    }
    ShowText(texts_.at(QStringLiteral("eNIP")), payer.NIP);
    ShowText(texts_.at(QStringLiteral("eNazwa")), payer.nazwa);
    ShowText(texts_.at(QStringLiteral("eKraj")), payer.kraj);
    eWoj_->setCurrentIndex(VoivodeshipIndex(cp1250::toUnicode(payer.wojewodztwo.view())));
    ShowText(texts_.at(QStringLiteral("ePowiat")), payer.powiat);
    ShowText(texts_.at(QStringLiteral("eGmina")), payer.gmina);
    ShowText(texts_.at(QStringLiteral("eUlica")), payer.ulica);
    ShowText(texts_.at(QStringLiteral("eNrDomu")), payer.nrDomu);
    ShowText(texts_.at(QStringLiteral("eNrLokalu")), payer.nrLok);
    ShowText(texts_.at(QStringLiteral("eMiejscowosc")), payer.miejscowosc);
    ShowText(texts_.at(QStringLiteral("eKodPocztowy")), payer.kodPoczt);
    ShowText(texts_.at(QStringLiteral("ePoczta")), payer.poczta);
}

void TFPlatnik::StorePayer() {
    PayerRecord& payer = workspace_.payer;
    const int kind = rodzaj_->checkedId();
    payer.rodzaj = static_cast<std::uint8_t>(kind == 1 || kind == 2 ? kind : 0);
    const QString nip = MaskedFieldText(*texts_.at(QStringLiteral("eNIP")));
    payer.NIP = MaskedFieldFilled(nip) ? cp1250::fromUnicode(nip) : std::string();
    StoreText(texts_.at(QStringLiteral("eNazwa")), payer.nazwa);
    StoreText(texts_.at(QStringLiteral("eKraj")), payer.kraj);
    payer.wojewodztwo = cp1250::fromUnicode(ChosenVoivodeship(*eWoj_));
    StoreText(texts_.at(QStringLiteral("ePowiat")), payer.powiat);
    StoreText(texts_.at(QStringLiteral("eGmina")), payer.gmina);
    StoreText(texts_.at(QStringLiteral("eUlica")), payer.ulica);
    StoreText(texts_.at(QStringLiteral("eNrDomu")), payer.nrDomu);
    StoreText(texts_.at(QStringLiteral("eNrLokalu")), payer.nrLok);
    StoreText(texts_.at(QStringLiteral("eMiejscowosc")), payer.miejscowosc);
    StoreText(texts_.at(QStringLiteral("eKodPocztowy")), payer.kodPoczt);  // hyphen and blanks included
    StoreText(texts_.at(QStringLiteral("ePoczta")), payer.poczta);
}

void TFPlatnik::btnOKClick() {
    PayerChangeRecording recording(workspace_, kPayerStep);
    StorePayer();
    recording.finish();
    // Unsaved data (an import not yet saved) stay unsaved when nothing was edited.
    if (modified_) workspace_.markPayerChanged();
    accept();
}

void TFPlatnik::btnCancelClick() { reject(); }

void TFPlatnik::reject() {
    ShowPayer();
    QDialog::reject();
}

bool TFPlatnik::btnZapiszClick() {
    // From the open dialog the controls hold the user's edits. Run by the main window at exit the
    // dialog is closed, and its controls may be older than the record (an import filled the payer
    // since): then the record as it stands is what gets saved.
    if (isVisible()) {
        PayerChangeRecording recording(workspace_, kPayerStep);
        StorePayer();
        recording.finish();
    }
    // The record takes the edits now, whatever becomes of the file: until they are in a file
    // they are unsaved, also if the user then cancels the dialog.
    if (modified_) workspace_.markPayerChanged();
    FileDialogRequest request;
    request.title = kSaveTitle;
    request.filter = kSaveFilter;
    request.defaultSuffix = kDefaultSuffix;
    request.initialPath = workspace_.payerFileName;  // the payer file read or written last
    // The payer file this Fiskon read or wrote may have been changed by another program since.
    const std::optional<QString> target = ChooseSaveTarget(
        ui_, request, [this](const QString& name) { return PayerFileChangeBeforeSave(workspace_, name); });
    if (!target) return false;
    try {
        // The record as it stands is in a file now.
        SavePayerFile(workspace_, *target);
    } catch (const FileError& error) {
        ShowErrorMessage(ui_, error);  // the dialog stays open, the edits stay in the controls
        return false;
    }
    modified_ = false;
    return true;
}

bool TFPlatnik::SaveToPayerFile() {
    const QString file = workspace_.payerFileName;
    if (file.isEmpty() || PayerFileChangeBeforeSave(workspace_, file) != ChangeSinceStamp::None) return btnZapiszClick();
    if (isVisible()) StorePayer();
    if (modified_) workspace_.markPayerChanged();
    try {
        SavePayerFile(workspace_, file);
    } catch (const FileError& error) {
        ShowErrorMessage(ui_, error);
        return false;
    }
    modified_ = false;
    return true;
}

void TFPlatnik::btnWczytajClick() {
    FileDialogRequest request;
    request.filter = kOpenFilter;
    request.defaultSuffix = kDefaultSuffix;
    const std::optional<QString> fileName = ui_.openFile(request);
    if (fileName) OpenPayer(*fileName);
}

bool TFPlatnik::OpenPayer(const QString& fileName, QString* failure) {
    PayerChangeRecording recording(workspace_, QStringLiteral("Wczytanie danych płatnika z pliku"));
    try {
        OpenPayerFile(workspace_, QFileInfo(fileName).absoluteFilePath());
        recording.finish();
    } catch (const std::exception& error) {  // FileError (also no payer data), or ConversionError for a bad "Rodzaj"
        // The record is unchanged.
        if (failure)
            *failure = QString::fromUtf8(error.what());
        else
            ShowErrorMessage(ui_, error);
        return false;
    }
    // Filling the controls with what was just read is not an edit: the data are in that file.
    ShowPayer();
    modified_ = false;
    return true;
}
