#include "import/EmailList.h"

#include "store/Cp1250.h"
#include "store/LegacyTextEncoding.h"

#include <QList>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::vector<EmailListLine> ReadEmailList(std::string_view bytes) {
    const bool utf8 = IsCertainlyUtf8(bytes);
    if (bytes.starts_with(kUtf8Bom))
        bytes.remove_prefix(kUtf8Bom.size());
    // Decoded whole, a character the code page lacks stays what it is, for the address check to
    // name; a byte that is no UTF-8 after the mark becomes U+FFFD, which it refuses too.
    const QString text = utf8 ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                              : cp1250::toUnicode(bytes);

    std::vector<EmailListLine> lines;
    int number = 0;
    for (const QStringView raw : QStringView(text).split(u'\n')) {
        ++number;
        const QStringView line = raw.endsWith(u'\r') ? raw.chopped(1) : raw;
        if (line.trimmed().isEmpty())
            continue;
        EmailListLine entry;
        entry.number = number;
        const qsizetype separator = line.indexOf(u';');
        entry.hasSeparator = separator >= 0;
        entry.pesel = (entry.hasSeparator ? line.left(separator) : line).trimmed().toString();
        if (entry.hasSeparator)
            entry.address = line.mid(separator + 1).trimmed().toString();
        lines.push_back(std::move(entry));
    }
    return lines;
}
