#include "import/JetHeader.h"

#include "PlatnikTestAccess.h"

#include <gtest/gtest.h>

namespace {

std::string HeaderOf(const char* fixture) {
    QFile file(Fixture(fixture));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.read(4096).toStdString();
}

TEST(JetHeader, StoredPasswordsOfTheFixturesDecode) {
    EXPECT_EQ(jet::StoredPassword(HeaderOf("basic.mdb")), u"Zaq12wsx");
    EXPECT_EQ(jet::StoredPassword(HeaderOf("polish_password.mdb")), u"Hasło;Źdź1");
    EXPECT_EQ(jet::StoredPassword(HeaderOf("nopass.mdb")), u"");
    // The header of a cut-off copy is whole, password included.
    EXPECT_EQ(jet::StoredPassword(HeaderOf("truncated.mdb")), u"Zaq12wsx");
}

TEST(JetHeader, PasswordComparisonIsExact) {
    const std::string basic = HeaderOf("basic.mdb");
    struct Case {
        const char* typed;
        bool opens;
    };
    for (const Case& c : {Case{"Zaq12wsx", true}, Case{"zaq12wsx", false}, Case{"Zaq12wsx ", false},
                          Case{"Zaq12ws", false}, Case{"", false}, Case{"Zaq12wsx\n", false},
                          Case{"\xff\xfe", false}})
        EXPECT_EQ(jet::PasswordMatches(basic, c.typed), c.opens) << c.typed;
    EXPECT_TRUE(jet::PasswordMatches(HeaderOf("polish_password.mdb"), "Hasło;Źdź1"));
    EXPECT_FALSE(jet::PasswordMatches(HeaderOf("polish_password.mdb"), "Haslo;Zdz1"));
    // A database without a password opens with any.
    EXPECT_TRUE(jet::PasswordMatches(HeaderOf("nopass.mdb"), ""));
    EXPECT_TRUE(jet::PasswordMatches(HeaderOf("nopass.mdb"), "cokolwiek"));
}

TEST(JetHeader, ClassifiesSignatures) {
    EXPECT_EQ(jet::ClassifyHeader(HeaderOf("basic.mdb")), jet::HeaderKind::Jet4);
    EXPECT_EQ(jet::ClassifyHeader(HeaderOf("not_a_database.mdb")), jet::HeaderKind::NotJet);
    EXPECT_EQ(jet::ClassifyHeader(""), jet::HeaderKind::NotJet);
    std::string jet3 = HeaderOf("basic.mdb");
    jet3[0x14] = 0;
    EXPECT_EQ(jet::ClassifyHeader(jet3), jet::HeaderKind::OtherVersion);
}

TEST(JetHeader, Utf8ToUtf16RefusesBrokenText) {
    EXPECT_EQ(jet::Utf8ToUtf16("Źdź"), std::u16string(u"Źdź"));
    EXPECT_EQ(jet::Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string(u"\U0001F600"));
    for (const char* broken : {"\xC5", "\xC0\x80", "\xED\xA0\x80", "\xE2\x82", "a\x80", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(jet::Utf8ToUtf16(broken).has_value()) << broken;
}

}  // namespace
