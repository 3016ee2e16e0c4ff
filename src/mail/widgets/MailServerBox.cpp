#include "mail/widgets/MailServerBox.h"

#include "mail/MailSettings.h"
#include "settings/MailServerChoice.h"
#include "ui/UserInterface.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

QLineEdit* newEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

MailSecurity securityOf(const QComboBox& box) { return box.currentIndex() == 1 ? MailSecurity::Tls : MailSecurity::StartTls; }

}  // namespace

MailServerBox::MailServerBox(UserInterface& ui, QWidget* parent)
    : QGroupBox(QStringLiteral("Serwer poczty"), parent), ui_(ui), eSerwer_(newEdit(this, "eSerwer")),
      cbSzyfrowanie_(new QComboBox(this)), ePort_(newEdit(this, "ePort")), eUzytkownik_(newEdit(this, "eUzytkownik")),
      eNadawca_(newEdit(this, "eNadawca")), eNazwaNadawcy_(newEdit(this, "eNazwaNadawcy")),
      eCaFile_(newEdit(this, "eCaFile")),
      btnZapomnijHaslo_(new QPushButton(QStringLiteral("Zapomnij zapamiętane hasło"), this)) {
    setObjectName(QStringLiteral("GroupBoxSerwer"));
    cbSzyfrowanie_->setObjectName(QStringLiteral("cbSzyfrowanie"));
    cbSzyfrowanie_->addItems({QStringLiteral("STARTTLS"), QStringLiteral("SSL/TLS od początku połączenia (smtps)")});
    ePort_->setValidator(new QIntValidator(1, 65535, ePort_));
    ePort_->setMaximumWidth(70);
    eSerwer_->setPlaceholderText(QStringLiteral("np. poczta.firma.pl"));
    eCaFile_->setPlaceholderText(QStringLiteral("certyfikaty systemu"));
    eNadawca_->setPlaceholderText(QStringLiteral("np. kadry@firma.pl"));
    btnZapomnijHaslo_->setObjectName(QStringLiteral("btnZapomnijHaslo"));
    btnZapomnijHaslo_->setAutoDefault(false);
    auto* btnCaFile = new QToolButton(this);
    btnCaFile->setObjectName(QStringLiteral("btnCaFile"));
    btnCaFile->setText(QStringLiteral("…"));
    btnCaFile->setToolTip(QStringLiteral("Wybierz plik certyfikatu urzędu certyfikacji serwera"));
    connect(btnCaFile, &QToolButton::clicked, this, &MailServerBox::btnCaFileClick);
    connect(cbSzyfrowanie_, &QComboBox::currentIndexChanged, this, &MailServerBox::showUsualPort);

    auto* security = new QHBoxLayout;
    security->addWidget(cbSzyfrowanie_, 1);
    auto* portLabel = new QLabel(QStringLiteral("P&ort:"), this);
    portLabel->setBuddy(ePort_);
    security->addWidget(portLabel);
    security->addWidget(ePort_);
    auto* caFile = new QHBoxLayout;
    caFile->addWidget(eCaFile_, 1);
    caFile->addWidget(btnCaFile);
    // A label of a row that holds a layout gets its buddy here, so that its shortcut works.
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text, this);
        caption->setBuddy(buddy);
        return caption;
    };
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Serwer:"), eSerwer_);
    form->addRow(label(QStringLiteral("S&zyfrowanie:"), cbSzyfrowanie_), security);
    form->addRow(QStringLiteral("&Użytkownik:"), eUzytkownik_);
    form->addRow(QStringLiteral("&Adres nadawcy:"), eNadawca_);
    form->addRow(QStringLiteral("Nazwa &nadawcy:"), eNazwaNadawcy_);
    form->addRow(label(QStringLiteral("&Certyfikat CA:"), eCaFile_), caFile);
    form->addRow(QString(), btnZapomnijHaslo_);
    showUsualPort();
}

void MailServerBox::showUsualPort() {
    ePort_->setPlaceholderText(QString::number(DefaultMailPort(securityOf(*cbSzyfrowanie_))));
}

void MailServerBox::btnCaFileClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Certyfikat urzędu certyfikacji serwera poczty");
    request.filter = QStringLiteral("Certyfikaty PEM (*.pem;*.crt)|*.pem;*.crt|Wszystkie pliki (*.*)|*.*");
    request.initialPath = eCaFile_->text().isEmpty() ? QDir::homePath() : eCaFile_->text();
    if (const std::optional<QString> chosen = ui_.openFile(request)) eCaFile_->setText(QDir::toNativeSeparators(*chosen));
}

void MailServerBox::setChoice(const MailServerChoice& choice) {
    eSerwer_->setText(choice.server);
    cbSzyfrowanie_->setCurrentIndex(choice.startTls ? 0 : 1);
    ePort_->setText(choice.port > 0 ? QString::number(choice.port) : QString());
    eUzytkownik_->setText(choice.user);
    eNadawca_->setText(choice.senderAddress);
    eNazwaNadawcy_->setText(choice.senderName);
    eCaFile_->setText(QDir::toNativeSeparators(choice.caFile));
}

MailServerChoice MailServerBox::choice() const {
    MailServerChoice choice;
    choice.server = eSerwer_->text().trimmed();
    choice.startTls = securityOf(*cbSzyfrowanie_) == MailSecurity::StartTls;
    choice.port = ePort_->text().toInt();
    choice.user = eUzytkownik_->text().trimmed();
    choice.senderAddress = eNadawca_->text().trimmed();
    choice.senderName = eNazwaNadawcy_->text().trimmed();
    choice.caFile = QDir::fromNativeSeparators(eCaFile_->text().trimmed());
    return choice;
}

void MailServerBox::fill(MailSettings& settings) const {
    const MailServerChoice chosen = choice();
    settings.server = chosen.server;
    settings.port = chosen.port;
    settings.security = chosen.startTls ? MailSecurity::StartTls : MailSecurity::Tls;
    settings.user = chosen.user;
    settings.senderAddress = chosen.senderAddress;
    settings.senderName = chosen.senderName;
    settings.caFile = chosen.caFile;
}
