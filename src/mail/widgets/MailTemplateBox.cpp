#include "mail/widgets/MailTemplateBox.h"

#include "mail/MailSettings.h"
#include "mail/MailTemplate.h"
#include "settings/MailServerChoice.h"

#include <QFormLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// What each placeholder of the templates gives.
QString placeholderHelp() {
    const QHash<QString, QString> meanings{{QStringLiteral("{imie}"), QStringLiteral("imię podatnika")},
                                           {QStringLiteral("{nazwisko}"), QStringLiteral("nazwisko podatnika")},
                                           {QStringLiteral("{formularz}"), QStringLiteral("PIT-11/8B albo PIT-40")},
                                           {QStringLiteral("{rok}"), QStringLiteral("rok podatkowy")}};
    QStringList lines;
    for (const QString& placeholder : MailTemplatePlaceholders())
        lines << (meanings.contains(placeholder) ? QStringLiteral("%1 – %2").arg(placeholder, meanings[placeholder])
                                                 : placeholder);
    return QStringLiteral("W temacie i treści można użyć pól: %1. PESEL, NIP ani hasło pliku nigdy nie trafiają do "
                          "wiadomości.")
        .arg(lines.join(QStringLiteral(", ")));
}

}  // namespace

MailTemplateBox::MailTemplateBox(QWidget* parent)
    : QGroupBox(QStringLiteral("Wiadomość"), parent), eTemat_(new QLineEdit(this)), mTresc_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("GroupBoxWiadomosc"));
    eTemat_->setObjectName(QStringLiteral("eTemat"));
    mTresc_->setObjectName(QStringLiteral("mTresc"));
    mTresc_->setTabChangesFocus(true);
    mTresc_->setMinimumHeight(mTresc_->fontMetrics().lineSpacing() * 8);
    auto* help = new QLabel(placeholderHelp(), this);
    help->setObjectName(QStringLiteral("lblPola"));
    help->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Temat:"), eTemat_);
    form->addRow(QStringLiteral("T&reść:"), mTresc_);
    form->addRow(help);
    reset();
}

void MailTemplateBox::setTexts(const QString& subject, const QString& body) {
    eTemat_->setText(subject.isEmpty() ? DefaultMailSubject() : subject);
    mTresc_->setPlainText(body.isEmpty() ? DefaultMailBody() : body);
}

void MailTemplateBox::reset() { setTexts(QString(), QString()); }

void MailTemplateBox::remember(MailServerChoice& choice) const {
    choice.subject = eTemat_->text() == DefaultMailSubject() ? QString() : eTemat_->text();
    choice.body = mTresc_->toPlainText() == DefaultMailBody() ? QString() : mTresc_->toPlainText();
}

void MailTemplateBox::fill(MailSettings& settings) const {
    settings.subjectTemplate = eTemat_->text();
    settings.bodyTemplate = mTresc_->toPlainText();
}
