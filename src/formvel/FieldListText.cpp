#include "formvel/FieldListText.h"

#include "store/Cp1250.h"
#include "store/LegacyTextEncoding.h"

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

std::optional<FieldAssignments> ParseFieldList(const QByteArray& text, int* badLine) {
    FieldAssignments assignments;
    int number = 0;
    const auto refuse = [&] {
        if (badLine) *badLine = number;
        return std::nullopt;
    };
    for (QByteArray line : text.split('\n')) {
        ++number;
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0) return refuse();
        const QByteArray key = line.left(equals);
        if (!IsBoxName(key)) return refuse();
        const QByteArray value = line.mid(equals + 1);
        assignments.emplace_back(key, cp1250::toUnicode(std::string_view(value.constData(), static_cast<std::size_t>(value.size()))));
    }
    return assignments;
}

QByteArray FieldListFileText(const QByteArray& bytes) {
    return QByteArray::fromStdString(ToCp1250FromFileText(bytes.toStdString()));
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
