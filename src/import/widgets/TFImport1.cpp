#include "import/widgets/TFImport1.h"

#include "import/widgets/ImportArtwork.h"
#include "import/widgets/ImportWizard.h"
#include "import/widgets/TFDataAccess.h"
#include "ui/UserInterface.h"
#include "ui/WindowOpening.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void setHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}

QLabel* wrappedText(const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TFImport1::TFImport1(int& importStep, TFDataAccess& dataAccess, UserInterface& ui,
                     QWidget* parent)
    : QDialog(parent), importStep_(importStep), dataAccess_(dataAccess), ui_(ui) {
    setObjectName(QStringLiteral("FImport1"));
    setWindowTitle(ImportWizardTitle());

    auto* infoGroup = new QGroupBox(QStringLiteral("Informacja"));
    auto* infoLayout = new QVBoxLayout(infoGroup);
    infoLayout->addWidget(wrappedText(
        QStringLiteral("txtInfo"),
        QStringLiteral("\nW celu otworzenia bazy danych Programu Płatnika niezbędne jest "
                       "zalogowanie się do niej. Do tego potrzebne jest hasło otwarcia bazy. "
                       "Program nie zapamiętuje hasła na stałe: wpisaną ścieżkę i hasło "
                       "przechowuje tylko do chwili zamknięcia programu, po ponownym "
                       "uruchomieniu trzeba je wpisać jeszcze raz. Zapamiętane hasło jest "
                       "przechowywane w postaci zakodowanej.")));

    auto* passwordGroup = new QGroupBox(QStringLiteral("Hasło"));
    auto* passwordLayout = new QVBoxLayout(passwordGroup);
    passwordLayout->addWidget(wrappedText(
        QStringLiteral("txtOpis"),
        QStringLiteral("W poniższe pole wpisz hasło otwarcia bazy. Odznaczenie pola "
                       "\"Ukryj hasło\" spowoduje wyświetlanie wpisywanych liter.\n\n"
                       "Poprawność hasła sprawdzisz przyciskiem z kłódką po prawej stronie. "
                       "Jeśli hasło jest poprawne, otworzy się droga do ostatniego kroku "
                       "kreatora.")));
    auto* passwordLabel = new QLabel(QStringLiteral("Hasło :"));
    EHaslo_ = new QLineEdit;
    EHaslo_->setObjectName(QStringLiteral("EHaslo"));
    EHaslo_->setEchoMode(QLineEdit::Password);
    setHint(EHaslo_, QStringLiteral("Tutaj wpisz hasło"));
    passwordLabel->setBuddy(EHaslo_);
    auto* passwordRow = new QHBoxLayout;
    passwordRow->addWidget(passwordLabel);
    passwordRow->addWidget(EHaslo_, 1);
    passwordLayout->addLayout(passwordRow);
    cbShowPassword_ = new QCheckBox(QStringLiteral("Ukryj &hasło"));
    cbShowPassword_->setObjectName(QStringLiteral("cbShowPassword"));
    cbShowPassword_->setChecked(true);
    setHint(cbShowPassword_, QStringLiteral("Zamiast liter wyświetlane są gwiazdki"));
    passwordLayout->addWidget(cbShowPassword_);

    btnHelp_ = new QToolButton;
    btnHelp_->setObjectName(QStringLiteral("btnHelp"));
    btnHelp_->setIcon(HelpIcon(*style()));
    setHint(btnHelp_, QStringLiteral("Wyświetla pomoc do programu"));
    BitBtn1_ = new QPushButton(PadlockIcon(), QStringLiteral("Dalej >>"));
    BitBtn1_->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1_->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(btnHelp_);
    buttonRow->addStretch();
    buttonRow->addWidget(BitBtn1_);

    auto* column = new QVBoxLayout;
    column->addWidget(infoGroup);
    column->addWidget(passwordGroup);
    column->addStretch();
    column->addLayout(buttonRow);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(new WizardPictureStrip(2, 3));
    layout->addLayout(column, 1);

    connect(cbShowPassword_, &QCheckBox::toggled, this, &TFImport1::cbShowPasswordClick);
    connect(btnHelp_, &QToolButton::clicked, this, &TFImport1::btnHelpClick);
    connect(BitBtn1_, &QPushButton::clicked, this, &TFImport1::BitBtn1Click);
    setFixedSize(QSize(600, 430).expandedTo(sizeHint()));
}

void TFImport1::showEvent(QShowEvent* event) {
    if (IsWindowOpening(*event)) {
        cbShowPassword_->setChecked(true);
        EHaslo_->clear();
        EHaslo_->setEchoMode(QLineEdit::Password);
        EHaslo_->setFocus();
    }
    QDialog::showEvent(event);
}

void TFImport1::cbShowPasswordClick() {
    EHaslo_->setEchoMode(cbShowPassword_->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

void TFImport1::btnHelpClick() {
    ui_.showHelp(QStringLiteral("3"));
}

void TFImport1::BitBtn1Click() {
    dataAccess_.SetDbPassword(EHaslo_->text());
    if (!dataAccess_.TestLogin())
        return;  // the access layer has told the user why; the password may be typed again
    importStep_ = importstep::kOptions;
    accept();
}

void TFImport1::done(int result) {
    if (importStep_ == importstep::kLogin)
        importStep_ = importstep::kFinished;
    EHaslo_->clear();  // the password stays with the access layer only
    QDialog::done(result);
}
