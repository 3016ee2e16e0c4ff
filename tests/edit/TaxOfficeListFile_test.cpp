// The tax office list shipped with the program: code page 1250 lines with CRLF ends, one office
// per line, none twice, each an office of the Ministry of Finance's code list of tax offices
// (tests/fixtures/urzedy-skarbowe.tsv, 2018 edition) or one of the few offices of 2005-2006 that
// the 2018 list no longer names. The sample files name offices of the list only.
#include "store/Cp1250.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QString kSourceDir = QStringLiteral(FISKON_TEST_FIXTURES "/../..");

// Offices of the 2005/2006 forms that the 2018 list lacks.
const char* const k2006OnlyOffices[] = {
    "URZĄD SKARBOWY POZNAŃ-ŚRÓDMIEŚCIE",       // code 3024, merged into other Poznań offices later
    "WIELKOPOLSKI URZĄD SKARBOWY W POZNANIU",  // split in two (Pierwszy in Poznań, Drugi in Kalisz) later
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Decode(const QByteArray& line) {
    return cp1250::toUnicode(std::string_view(line.constData(), std::size_t(line.size())));
}

// Upper-case names of the reference, without the two offices the 2006 list names otherwise.
QSet<QString> KnownOffices() {
    QSet<QString> known;
    const QStringList lines = QString::fromUtf8(ReadAll(QStringLiteral(FISKON_TEST_FIXTURES "/urzedy-skarbowe.tsv")))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.trimmed().split(QLatin1Char('\t'));
        if (fields.size() == 2 && fields[0] != QLatin1String("3071") && fields[0] != QLatin1String("3072"))
            known.insert(fields[1]);
    }
    for (const char* office : k2006OnlyOffices) known.insert(QString::fromUtf8(office));
    return known;
}

QStringList ShippedOffices() {
    const QByteArray bytes = ReadAll(kSourceDir + QStringLiteral("/resources/us.lst"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();  // after the final line end
    QStringList offices;
    for (QByteArray line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
        EXPECT_LE(line.size(), 100) << "longer than the record's tax office field";
        offices << Decode(line);
    }
    return offices;
}

TEST(TaxOfficeListFile, NamesEveryOfficeOfTheReferenceOnceInCodePage1250) {
    const QSet<QString> known = KnownOffices();
    ASSERT_EQ(known.size(), 400);
    const QStringList offices = ShippedOffices();
    QSet<QString> seen;
    for (const QString& office : offices) {
        const QString upper = office.toUpper();
        EXPECT_TRUE(known.contains(upper)) << "not an office of 2005-2006: " << office.toStdString();
        EXPECT_FALSE(seen.contains(upper)) << "twice: " << office.toStdString();
        seen.insert(upper);
        // The program's spelling: "Urząd Skarbowy w Gdańsku", "Pierwszy Urząd Skarbowy Łódź-Bałuty".
        EXPECT_TRUE(office.contains(QStringLiteral("Urząd Skarbowy "))) << office.toStdString();
    }
    EXPECT_EQ(seen, known) << "the list misses offices of the reference";
}

TEST(TaxOfficeListFile, SampleFilesNameOfficesOfTheList) {
    const QStringList list = ShippedOffices();
    const QSet<QString> offices(list.begin(), list.end());
    const QRegularExpression usKey(QStringLiteral("^us=(.+)$"), QRegularExpression::MultilineOption);
    const QString ini = Decode(ReadAll(kSourceDir + QStringLiteral("/examples/podatnicy.txt"))).remove(QLatin1Char('\r'));
    int named = 0;
    for (auto it = usKey.globalMatch(ini); it.hasNext(); ++named) {
        const QString office = it.next().captured(1);
        EXPECT_TRUE(offices.contains(office)) << office.toStdString();
    }
    EXPECT_GE(named, 3);
    const QString delimited = Decode(ReadAll(kSourceDir + QStringLiteral("/examples/podatnicy-srednik.txt")));
    for (const QString& line : delimited.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const QString office = line.section(QLatin1Char(';'), 5, 5);
        EXPECT_TRUE(office.isEmpty() || offices.contains(office)) << office.toStdString();
    }
}

}  // namespace
