#pragma once

#include <QString>
#include <QStringList>

// The subject and the text of each taxpayer's message are made from templates the user may change;
// the placeholders are replaced by the taxpayer's data and the form's. No placeholder gives a PESEL,
// a NIP or a password: they never travel in a message's subject or text.
struct MailTemplateValues {
    QString firstName;  // {imie}
    QString surname;    // {nazwisko}
    QString form;       // {formularz}: "PIT-11/8B", "PIT-40"
    QString year;       // {rok}: the tax year
};

// "{imie}", "{nazwisko}", "{formularz}", "{rok}", in the order the settings window lists them.
QStringList MailTemplatePlaceholders();

// The default texts (Polish).
QString DefaultMailSubject();
QString DefaultMailBody();

// The template with every placeholder replaced; other text, also braces, stays as it is.
QString FillMailTemplate(const QString& text, const MailTemplateValues& values);

// "Nieznane pole „{pesel}” w temacie wiadomości." for a "{…}" that is no placeholder; empty when
// the template is usable. `where` names it: "w temacie wiadomości", "w treści wiadomości".
QString MailTemplateProblem(const QString& text, const QString& where);
