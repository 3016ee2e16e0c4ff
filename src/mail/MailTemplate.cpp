#include "mail/MailTemplate.h"

#include <QRegularExpression>

QStringList MailTemplatePlaceholders() {
    return {QStringLiteral("{imie}"), QStringLiteral("{nazwisko}"), QStringLiteral("{formularz}"), QStringLiteral("{rok}")};
}

QString DefaultMailSubject() { return QStringLiteral("Formularz {formularz} za rok {rok}"); }

QString DefaultMailBody() {
    return QStringLiteral(
        "Szanowna Pani / Szanowny Panie {imie} {nazwisko},\n"
        "\n"
        "w załączniku przesyłamy formularz {formularz} za rok {rok}.\n"
        "Plik jest zabezpieczony hasłem, o którym informowaliśmy wcześniej.\n"
        "\n"
        "Z poważaniem\n");
}

QString FillMailTemplate(const QString& text, const MailTemplateValues& values) {
    // One pass, so that a value holding "{rok}" is not replaced again.
    static const QRegularExpression placeholder(QStringLiteral(R"(\{(imie|nazwisko|formularz|rok)\})"));
    QString filled;
    qsizetype from = 0;
    for (auto it = placeholder.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        filled += QStringView(text).mid(from, match.capturedStart() - from);
        const QStringView name = match.capturedView(1);
        if (name == u"imie") filled += values.firstName;
        else if (name == u"nazwisko") filled += values.surname;
        else if (name == u"formularz") filled += values.form;
        else filled += values.year;
        from = match.capturedEnd();
    }
    filled += QStringView(text).mid(from);
    return filled;
}

QString MailTemplateProblem(const QString& text, const QString& where) {
    static const QRegularExpression braces(QStringLiteral(R"(\{[^{}\s]*\})"));
    const QStringList known = MailTemplatePlaceholders();
    for (auto it = braces.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured();
        if (!known.contains(found))
            return QStringLiteral("Nieznane pole „%1” %2; można użyć: %3.").arg(found, where, known.join(QStringLiteral(", ")));
    }
    return {};
}
