#include "store/Cp1250.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Cp1250, PolishLettersDecodeToTheirCharacters) {
    // ą ć ę ł ń ó ś ź ż  Ą Ć Ę Ł Ń Ó Ś Ź Ż
    const std::string bytes = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
    EXPECT_EQ(cp1250::toUnicode(bytes), QString::fromUtf8("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ"));
    EXPECT_EQ(cp1250::fromUnicode(QString::fromUtf8("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ")), bytes);
}

TEST(Cp1250, AgreesWithTheSystemConverterOnEveryAssignedByte) {
    QStringDecoder decoder("windows-1250");
    if (!decoder.isValid()) GTEST_SKIP() << "no windows-1250 converter in this Qt";
    const std::string bytes = allBytes();
    const QString ours = cp1250::toUnicode(bytes);
    for (int b = 0; b < 256; ++b) {
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) continue;  // unassigned
        const char byte = static_cast<char>(b);
        const QString theirs = decoder.decode(QByteArrayView(&byte, 1));
        EXPECT_EQ(ours[b], theirs.at(0)) << "byte " << std::hex << b;
    }
}

TEST(Cp1250, EveryByteSurvivesDecodingAndEncoding) {
    const std::string bytes = allBytes();
    bool lossless = false;
    EXPECT_EQ(cp1250::fromUnicode(cp1250::toUnicode(bytes), '?', &lossless), bytes);
    EXPECT_TRUE(lossless);
}

TEST(Cp1250, CharactersOutsideTheCodePageBecomeTheReplacement) {
    bool lossless = true;
    // Cyrillic, the euro sign (present), a CJK character and an emoji (a surrogate pair).
    EXPECT_EQ(cp1250::fromUnicode(QString::fromUtf8("Ж€中😀a"), '?', &lossless), "?\x80??a");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(cp1250::fromUnicode(QString::fromUtf8("ß"), '_'), "\xDF");
    EXPECT_EQ(cp1250::fromUnicode(QString::fromUtf8("ñ"), '_'), "_");
}

TEST(Cp1250, CanEncodeTellsWhatTheCodePageHolds) {
    EXPECT_TRUE(cp1250::canEncode(QChar(u'Ż')));
    EXPECT_TRUE(cp1250::canEncode(QChar(u'a')));
    EXPECT_TRUE(cp1250::canEncode(QChar(u'\u20AC')));
    EXPECT_FALSE(cp1250::canEncode(QChar(u'Ж')));
    EXPECT_FALSE(cp1250::canEncode(QChar(u'ñ')));
    EXPECT_FALSE(cp1250::canEncode(QChar(char16_t(0xD83D))));
}

}  // namespace
