// The tax office list shipped with the program: code page 1250 lines with CRLF ends, one office
// per line, every one a tax office, none twice.
#include "store/Cp1250.h"

#include <QFile>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QByteArray ShippedList() {
    QFile file(QStringLiteral(FISKON_TEST_FIXTURES "/../../resources/us.lst"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(TaxOfficeListFile, HoldsEveryOfficeOnceInCodePage1250) {
    const QByteArray bytes = ShippedList();
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_FALSE(bytes.contains("\xC5")) << "UTF-8 lead bytes: the file must be code page 1250";
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();  // after the final line end
    EXPECT_GE(lines.size(), 390);
    QSet<QString> seen;
    for (QByteArray line : lines) {
        ASSERT_TRUE(line.endsWith('\r'));
        line.chop(1);
        ASSERT_LE(line.size(), 100) << "longer than the record's tax office field";
        const QString office = cp1250::toUnicode(std::string_view(line.constData(), std::size_t(line.size())));
        EXPECT_TRUE(office.contains(QStringLiteral("Urząd Skarbowy "))) << office.toStdString();
        EXPECT_FALSE(seen.contains(office)) << office.toStdString();
        seen.insert(office);
    }
    for (const char* office : {"Pierwszy Urząd Skarbowy w Krakowie", "Urząd Skarbowy Warszawa-Mokotów",
                               "Małopolski Urząd Skarbowy w Krakowie", "Urząd Skarbowy w Zakopanem",
                               "Drugi Śląski Urząd Skarbowy w Bielsku-Białej", "Urząd Skarbowy w Żywcu"})
        EXPECT_TRUE(seen.contains(QString::fromUtf8(office))) << office;
}

}  // namespace
