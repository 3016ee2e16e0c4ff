#include "formvel/TaxpayerPdfFileNames.h"

#include "store/Cp1250.h"
#include "store/TaxpayerTextWriter.h"

#include <QHash>
#include <QSet>
#include <QRegularExpression>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Enough of a name for the folder's limit of 255 bytes with the birth date, the PESEL, a number
// and ".pdf" after it.
constexpr qsizetype kNameBytes = 200;

QString Safe(std::string_view bytes) {
    static const QRegularExpression unsafe(QStringLiteral(R"([/\\:*?"<>|\s\p{Cc}]+)"));
    QString text = cp1250::toUnicode(bytes);
    text.replace(unsafe, QStringLiteral("_"));
    return text;
}

// Cuts `name` to at most kNameBytes of UTF-8, never inside a character.
QString Shortened(QString name) {
    while (name.toUtf8().size() > kNameBytes) name.chop(name.size() >= 2 && name.at(name.size() - 1).isLowSurrogate() ? 2 : 1);
    return name;
}

std::string Contents(const TaxpayerRecord& record) {
    std::string text;
    TaxpayerTextWriter(text).record(record, 0);
    return text;
}

// The records (by index) whose names are alike, letter case aside, in groups of two or more.
std::vector<std::vector<int>> Alike(const QStringList& names) {
    QHash<QString, std::vector<int>> byName;
    for (int i = 0; i < names.size(); ++i) byName[names[i].toCaseFolded()].push_back(i);
    std::vector<std::vector<int>> groups;
    for (auto& members : byName)
        if (members.size() > 1) groups.push_back(std::move(members));
    return groups;
}

void Append(QString& name, const QString& piece) {
    if (!piece.isEmpty()) name += u'_' + piece;
}

}  // namespace

QStringList TaxpayerPdfFileNames(const TaxpayerRegister& taxpayers) {
    QStringList names;
    names.reserve(taxpayers.count());
    for (int i = 0; i < taxpayers.count(); ++i) {
        const TaxpayerRecord& r = taxpayers.at(i);
        names << Shortened(Safe(r.nazwisko.view()) + u'_' + Safe(r.imie1.view()));
    }
    for (const auto& group : Alike(names))
        for (const int i : group) Append(names[i], Safe(taxpayers.at(i).dataUr.view()));
    for (const auto& group : Alike(names))
        for (const int i : group) Append(names[i], Safe(taxpayers.at(i).pesel.view()));
    // Records alike so far are numbered in the order of their contents (records with the same
    // contents are the same to the user whichever number each gets), each with the first number
    // that makes a name no other record has ("KOT_ALA_1" may be a first name "ALA 1").
    std::vector<std::vector<int>> groups = Alike(names);
    QSet<QString> taken;
    for (const QString& name : names) taken.insert(name.toCaseFolded());
    std::sort(groups.begin(), groups.end(), [&](const std::vector<int>& a, const std::vector<int>& b) {
        return names[a.front()].toCaseFolded() < names[b.front()].toCaseFolded();
    });
    for (const std::vector<int>& group : groups) {
        std::vector<std::pair<std::string, int>> ordered;
        for (const int i : group) ordered.emplace_back(Contents(taxpayers.at(i)), i);
        std::sort(ordered.begin(), ordered.end());
        const QString base = names[group.front()];
        int number = 0;
        for (const auto& [contents, i] : ordered) {
            QString numbered;
            do numbered = base + u'_' + QString::number(++number);
            while (taken.contains(numbered.toCaseFolded()));
            taken.insert(numbered.toCaseFolded());
            names[i] = numbered;
        }
    }
    for (QString& name : names) name += QStringLiteral(".pdf");
    return names;
}
