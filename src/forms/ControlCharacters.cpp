#include "forms/ControlCharacters.h"

#include <algorithm>

namespace {

bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

bool HasControlCharacters(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

QString EscapeControlCharacters(const QString& text, bool keepLineBreaks) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (!isControl(code) || (keepLineBreaks && (code == u'\n' || code == u'\r'))) {
            escaped += c;
        } else if (code == u'\n') {
            escaped += QLatin1String("\\n");
        } else if (code == u'\r') {
            escaped += QLatin1String("\\r");
        } else if (code == u'\t') {
            escaped += QLatin1String("\\t");
        } else {
            escaped += QLatin1String("\\x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
        }
    }
    return escaped;
}
