#include "formvel/FieldListText.h"

#include "store/Cp1250.h"

#include <QStringList>

namespace {

bool IsBoxName(const QByteArray& key) {
    QByteArray digits;
    if (key.startsWith("pSKR."))
        digits = key.mid(5);
    else if (key.startsWith('p'))
        digits = key.mid(1);
    else
        return false;
    if (digits.isEmpty() || digits.size() > 5) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::optional<FieldAssignments> ParseFieldList(const QByteArray& text) {
    FieldAssignments assignments;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0) return std::nullopt;
        const QByteArray key = line.left(equals);
        if (!IsBoxName(key)) return std::nullopt;
        const QByteArray value = line.mid(equals + 1);
        assignments.emplace_back(key, cp1250::toUnicode(std::string_view(value.constData(), static_cast<std::size_t>(value.size()))));
    }
    return assignments;
}

QByteArray ComposeFieldList(const FieldAssignments& assignments) {
    QByteArray text;
    for (const auto& [key, value] : assignments) {
        text += key;
        text += '=';
        text += QByteArray::fromStdString(cp1250::fromUnicode(value));
        text += "\r\n";
    }
    return text;
}

QByteArray ComposeLines(const QStringList& lines) {
    QByteArray text;
    for (const QString& line : lines) {
        text += QByteArray::fromStdString(cp1250::fromUnicode(line));
        text += "\r\n";
    }
    return text;
}
