#include "import/widgets/TFImport.h"

#include "import/widgets/DatabaseFileDialog.h"
#include "import/widgets/ImportArtwork.h"
#include "import/widgets/ImportWizard.h"
#include "import/widgets/TFDataAccess.h"
#include "import/widgets/RememberDbPath.h"
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
    // A hint "short|long" shows its short part as the tool tip and its long part in the status bar.
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    widget->setToolTip(bar < 0 ? hint : hint.left(bar));
    widget->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

QLabel* centredText(const QString& name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TFImport::TFImport(int& importStep, TFDataAccess& dataAccess, ProgramSettings& settings,
                   UserInterface& ui, QWidget* parent)
    : QDialog(parent), importStep_(importStep), dataAccess_(dataAccess), settings_(settings),
      ui_(ui) {
    setObjectName(QStringLiteral("FImport"));
    setWindowTitle(ImportWizardTitle());

    txtInfo_ = centredText(
        QStringLiteral("txtInfo"),
        QStringLiteral("Witam w Kreatorze importu danych z Programu Płatnika firmy PROKOM. "
                       "Kreator ułatwi odczytanie danych i usprawni Twoją pracę.\n\n"
                       "W kolejnych krokach ustawisz parametry niezbędne do otwarcia bazy "
                       "i zaimportowania danych. Są to ścieżka dostępu do pliku bazy danych "
                       "oraz hasło jej otwarcia. Następnie będziesz mógł ustawić dalsze opcje "
                       "pracy ze świeżo odczytanymi danymi."));
    auto* infoGroup = new QGroupBox(QStringLiteral("Informacja ogólna"));
    auto* infoLayout = new QVBoxLayout(infoGroup);
    infoLayout->addWidget(txtInfo_);

    txtOpis_ = centredText(
        QStringLiteral("txtOpis"),
        QStringLiteral("Wskaż położenie pliku z bazą danych Programu Płatnika. "
                       "Domyślnie plik PŁATNIK.MDB znajduje się w katalogu:\n\n"
                       "C:\\Program Files\\PROKOM Software SA\\Płatnik 6\\Baza\\\n\n"
                       "Jeśli program został zainstalowany lub baza jest przechowywana "
                       "w innym miejscu, musisz wskazać plik samodzielnie."));
    ESciezka_ = new QLineEdit;
    ESciezka_->setObjectName(QStringLiteral("ESciezka"));
    setHint(ESciezka_, QStringLiteral("Tutaj wpisz pełną ścieżkę do pliku bazy, bądź użyj ikony "
                                      "\"Otwórz\" w celu wskazania pliku."));
    btnOpen_ = new QToolButton;
    btnOpen_->setObjectName(QStringLiteral("btnOpen"));
    btnOpen_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    setHint(btnOpen_, QStringLiteral("Wskaż plik|Aby nie wpisywać ścieżki ręcznie można ją "
                                     "wskazać w oknie \"Otwórz\""));
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(ESciezka_);
    pathRow->addWidget(btnOpen_);
    auto* fileGroup = new QGroupBox(QStringLiteral("Lokalizacja pliku bazy danych"));
    auto* fileLayout = new QVBoxLayout(fileGroup);
    fileLayout->addWidget(txtOpis_);
    fileLayout->addLayout(pathRow);

    btnHelp_ = new QToolButton;
    btnHelp_->setObjectName(QStringLiteral("btnHelp"));
    btnHelp_->setIcon(HelpIcon(*style()));
    setHint(btnHelp_, QStringLiteral("Wyświetla pomoc do programu"));
    cbPath_ = new QCheckBox(QStringLiteral("&Pamiętaj ścieżkę"));
    cbPath_->setObjectName(QStringLiteral("cbPath"));
    cbPath_->setChecked(true);
    setHint(cbPath_, QStringLiteral("Po zaznaczeniu program zapamięta wybraną ścieżkę by nie "
                                    "trzeba było powtarzać tej czynności."));
    btnDalej_ = new QPushButton(QStringLiteral("Dalej >>"));
    btnDalej_->setObjectName(QStringLiteral("btnDalej"));
    btnDalej_->setDefault(true);
    btnDalej_->setEnabled(false);
    setHint(btnDalej_, QStringLiteral("Przechodzi do następnego kroku kreatora"));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(btnHelp_);
    buttonRow->addWidget(cbPath_);
    buttonRow->addStretch();
    buttonRow->addWidget(btnDalej_);

    auto* column = new QVBoxLayout;
    column->addWidget(infoGroup);
    column->addWidget(fileGroup);
    column->addStretch();
    column->addLayout(buttonRow);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(new WizardPictureStrip(1, 3));
    layout->addLayout(column, 1);

    connect(ESciezka_, &QLineEdit::textChanged, this, &TFImport::ESciezkaChange);
    connect(btnOpen_, &QToolButton::clicked, this, &TFImport::btnOpenClick);
    connect(btnHelp_, &QToolButton::clicked, this, &TFImport::btnHelpClick);
    connect(btnDalej_, &QPushButton::clicked, this, &TFImport::btnDalejClick);
    connect(&dataAccess_, &TFDataAccess::dbPathChanged, this, &TFImport::ShowDbPath);

    ShowDbPath(dataAccess_.DbPath());
    setFixedSize(QSize(600, 430).expandedTo(sizeHint()));
}

void TFImport::ShowDbPath(const QString& path) {
    ESciezka_->setText(path);
    ESciezkaChange();  // also when the text was already the same
}

void TFImport::ESciezkaChange() {
    btnDalej_->setEnabled(PlatnikConnection::FileExists(ESciezka_->text()));
}

void TFImport::btnOpenClick() {
    if (const auto chosen = ChooseDatabaseFile(ui_, ESciezka_->text()))
        dataAccess_.SetDbPath(*chosen);
}

void TFImport::btnHelpClick() {
    ui_.showHelp(QStringLiteral("3"));
}

void TFImport::btnDalejClick() {
    const QString path = ESciezka_->text();
    dataAccess_.SetDbPath(path);
    if (cbPath_->isChecked())
        RememberDbPath(settings_, path, ui_);
    importStep_ = importstep::kLogin;
    accept();
}

void TFImport::showEvent(QShowEvent* event) {
    if (IsWindowOpening(*event)) ShowDbPath(dataAccess_.DbPath());
    QDialog::showEvent(event);
}

void TFImport::done(int result) {
    if (importStep_ == importstep::kDatabaseFile)
        importStep_ = importstep::kFinished;
    QDialog::done(result);
}
