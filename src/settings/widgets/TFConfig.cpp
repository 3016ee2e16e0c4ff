#include "settings/widgets/TFConfig.h"

#include "ui/WindowOpening.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFConfig::TFConfig(DatabasePathHolder& dataAccess, UserInterface& ui, QWidget* parent)
    : QDialog(parent),
      dataAccess_(dataAccess),
      ui_(ui),
      settings_(ProgramSettings::defaultFileName()),
      cbStartScreen_(new QCheckBox(QStringLiteral("Pokazuj ekran powitalny"))),
      cbDelete_(new QCheckBox(QStringLiteral("Pytaj przy usuwaniu"))),
      cbQuitQuery_(new QCheckBox(
          QStringLiteral("Informuj o niezapisanych danych przed wyjściem z programu"))),
      btnSaveConfig_(new QPushButton(QStringLiteral("Zachowaj"))),
      button2_(new QPushButton(QStringLiteral("Anuluj"))) {
    setObjectName(QStringLiteral("FConfig"));
    setWindowTitle(QStringLiteral("Konfiguracja programu"));
    cbStartScreen_->setObjectName(QStringLiteral("cbStartScreen"));
    cbDelete_->setObjectName(QStringLiteral("cbDelete"));
    cbQuitQuery_->setObjectName(QStringLiteral("cbQuitQuery"));
    btnSaveConfig_->setObjectName(QStringLiteral("btnSaveConfig"));
    button2_->setObjectName(QStringLiteral("Button2"));

    auto* group = new QGroupBox(QStringLiteral("Konfiguracja programu"));
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(cbStartScreen_);
    groupLayout->addWidget(cbDelete_);
    groupLayout->addWidget(cbQuitQuery_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSaveConfig_);
    buttons->addWidget(button2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    btnSaveConfig_->setDefault(true);
    connect(cbStartScreen_, &QCheckBox::clicked, this, &TFConfig::cbStartScreenClick);
    connect(cbDelete_, &QCheckBox::clicked, this, &TFConfig::cbDeleteClick);
    connect(cbQuitQuery_, &QCheckBox::clicked, this, &TFConfig::cbQuitQueryClick);
    connect(btnSaveConfig_, &QPushButton::clicked, this, &TFConfig::btnSaveConfigClick);
    connect(button2_, &QPushButton::clicked, this, &QDialog::reject);
}

void TFConfig::Wczytaj() {
    try {
        const SettingsValues values = settings_.Wczytaj();
        dataAccess_.SetDbPath(values.databasePath);
        showInitialScreen_ = values.showInitialScreen;
        askBeforeDelete_ = values.askBeforeDelete;
        quitQuery_ = values.quitQuery;
    } catch (const std::exception& error) {
        reportReadFailure(error);
    }
}

void TFConfig::Zapisz() {
    SettingsValues values;
    values.databasePath = dataAccess_.dbPath();
    values.showInitialScreen = cbStartScreen_->isChecked();
    values.askBeforeDelete = cbDelete_->isChecked();
    askBeforeDelete_ = values.askBeforeDelete;
    values.quitQuery = quitQuery_;
    try {
        settings_.Zapisz(values);
    } catch (const std::exception& error) {
        reportWriteFailure(error);
    }
}

bool TFConfig::SetParam(const QString& key, const QString& value) {
    try {
        settings_.SetParam(key, value);
        return true;
    } catch (const std::exception& error) {
        reportWriteFailure(error);
        return false;
    }
}

QString TFConfig::GetParam(const QString& key, const QString& defaultValue) {
    try {
        return settings_.GetParam(key, defaultValue);
    } catch (const std::exception& error) {
        reportReadFailure(error);
        return defaultValue;
    }
}

bool TFConfig::SetShowInitialScreenParam(bool show) {
    return SetParam(QStringLiteral("ShowInitialScreen"), ProgramSettings::flagText(show));
}

void TFConfig::showEvent(QShowEvent* event) {
    if (IsWindowOpening(*event)) FormShow();  // a restored window keeps the unsaved ticks
    QDialog::showEvent(event);
}

void TFConfig::FormShow() {
    Wczytaj();
    cbStartScreen_->setChecked(showInitialScreen_);
    cbDelete_->setChecked(askBeforeDelete_);
    cbQuitQuery_->setChecked(quitQuery_);
}

void TFConfig::cbStartScreenClick(bool checked) { SetShowInitialScreenParam(checked); }

void TFConfig::cbDeleteClick(bool checked) { askBeforeDelete_ = checked; }

void TFConfig::cbQuitQueryClick(bool checked) { quitQuery_ = checked; }

void TFConfig::btnSaveConfigClick() {
    Zapisz();
    accept();
}

void TFConfig::reportWriteFailure(const std::exception& error) {
    ui_.message(QStringLiteral("Błąd"),
                QStringLiteral("Nie udało się zapisać ustawień programu w pliku %1. Ustawienia "
                               "obowiązują do końca tej sesji programu.\n\n%2")
                    .arg(settings_.fileName(), QString::fromUtf8(error.what())),
                MessageIcon::Error);
}

void TFConfig::reportReadFailure(const std::exception& error) {
    ui_.message(QStringLiteral("Błąd"),
                QStringLiteral("Nie udało się odczytać ustawień programu z pliku %1. Program "
                               "działa z ustawieniami, które ma w pamięci.\n\n%2")
                    .arg(settings_.fileName(), QString::fromUtf8(error.what())),
                MessageIcon::Error);
}
