#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <set>

// The command line of the import commands: positional files and "--name value" options (also
// "--name=value"), plus flags without a value. Throws UsageError for anything else.
struct ImportArguments {
    QStringList files;
    std::map<QString, QString> options;  // by name without the dashes
    std::set<QString> flags;

    static ImportArguments parse(const QStringList& arguments, const std::set<QString>& optionNames,
                                 const std::set<QString>& flagNames);
    bool has(const QString& name) const { return options.count(name) != 0; }
    QString value(const QString& name) const;
};

// A separator of delimited text: one character of code page 1250 or the word "tab"; throws
// UsageError for anything else.
char ParseSeparator(const QString& text);
