#include "cli/ImportArguments.h"

#include "cli/Commands.h"
#include "store/Cp1250.h"

ImportArguments ImportArguments::parse(const QStringList& arguments, const std::set<QString>& optionNames,
                                       const std::set<QString>& flagNames) {
    ImportArguments parsed;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(QLatin1String("--"))) {
            parsed.files << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = argument.mid(2);
        QString value;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const bool inlineValue = equals >= 0;
        if (inlineValue) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (flagNames.count(name) && !inlineValue) {
            parsed.flags.insert(name);
        } else if (optionNames.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= arguments.size())
                    throw UsageError(QStringLiteral("Po --%1 brakuje wartości.").arg(name));
                value = arguments[++i];
            }
            if (parsed.options.count(name))
                throw UsageError(QStringLiteral("Opcja --%1 podana więcej niż raz.").arg(name));
            parsed.options[name] = value;
        } else {
            throw UsageError(QStringLiteral("Nieznana opcja „%1”.").arg(argument));
        }
    }
    return parsed;
}

QString ImportArguments::value(const QString& name) const {
    const auto found = options.find(name);
    return found == options.end() ? QString() : found->second;
}

char ParseSeparator(const QString& text) {
    if (text == QLatin1String("tab")) return '\t';
    if (text.size() != 1 || !cp1250::canEncode(text[0]) || text[0] == u'\r' || text[0] == u'\n')
        throw UsageError(QStringLiteral("Separator to jeden znak albo słowo „tab”, a nie „%1”.").arg(text));
    return cp1250::fromUnicode(text).front();
}
