#pragma once

#include <QGroupBox>

class QLineEdit;
class QPlainTextEdit;
struct MailServerChoice;
struct MailSettings;

// "Wiadomość": the subject ("eTemat") and the text ("mTresc") of every taxpayer's message, with
// the placeholders they may hold explained beneath; empty fields show the program's default texts.
class MailTemplateBox : public QGroupBox {
    Q_OBJECT
public:
    explicit MailTemplateBox(QWidget* parent);

    // An empty subject or text is shown as the default one.
    void setTexts(const QString& subject, const QString& body);
    // Texts equal to the default ones are given back empty, so that a later default applies.
    void remember(MailServerChoice& choice) const;
    void fill(MailSettings& settings) const;
    void reset();

private:
    QLineEdit* eTemat_;
    QPlainTextEdit* mTresc_;
};
