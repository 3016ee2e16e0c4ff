#include "FormSamples.h"

#include "store/Cp1250.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

namespace {

QByteArray Encode(const QStringList& lines) {
    QByteArray text;
    for (const QString& line : lines) text += QByteArray::fromStdString(cp1250::fromUnicode(line)) + "\r\n";
    return text;
}

}  // namespace

QByteArray FullPit11Fields() {
    QStringList lines = {
        "p1=526-025-09-95", "pSKR.01=00", "pSKR.02=01", "p7=010", "p8=ZAKŁAD USŁUG ŻEGLUGOWYCH SPÓŁKA Z O.O.",
        "p9=POLSKA", "p10=POMORSKIE", "p11=GDAŃSK", "p12=GDAŃSK", "p13=DŁUGIE POBRZEŻE", "p14=12", "p15=3",
        "p16=GDAŃSK", "p17=80-888", "p18=GDAŃSK", "p4=01-01-2006", "p5=31-12-2006",
        "p6=Pierwszy Urząd Skarbowy w Gdańsku", "p19=123-456-32-18", "p20=ŹDZIEBŁOWSKA-GĘŚ", "p21=JÓZEFINA",
        "p22=31-01 1970", "p23=POLSKA", "p24=POMORSKIE", "p25=SOPOT", "p26=SOPOT", "p27=MONTE CASSINO",
        "p28=7", "p29=15", "p30=SOPOT", "p31=81-767", "p32=SOPOT", "p33=00100", "p79=001",
    };
    // Every amount box, each with its own value.
    for (int box = 34; box <= 78; ++box) lines << QStringLiteral("p%1=%2,%3").arg(box).arg(1000 + box * 37).arg(box % 90 + 10);
    lines << "p80=ANNA" << "p81=KSIĘGOWA";
    return Encode(lines);
}

QByteArray FullPit40Fields() {
    QStringList lines = {
        "p1=526-025-09-95", "p6=001", "p7=JAN KOWALSKI", "p8=POLSKA", "p9=MAZOWIECKIE", "p10=WARSZAWA",
        "p11=WARSZAWA", "p12=ŚWIĘTOKRZYSKA", "p13=14", "p14=", "p15=WARSZAWA", "p16=00-116", "p17=WARSZAWA",
        "p4=2006", "p5=Urząd Skarbowy Warszawa-Śródmieście", "p18=123-456-32-18", "p19=NOWAK", "p20=ŁUCJA",
        "p21=12-05 1980", "p22=POLSKA", "p23=MAZOWIECKIE", "p24=PIASECZNO", "p25=PIASECZNO", "p26=PUŁAWSKA",
        "p27=45", "p28=2", "p29=PIASECZNO", "p30=05-500", "p31=PIASECZNO", "p32=01", "p33=01", "p34=000100",
    };
    for (int box = 35; box <= 76; ++box) lines << QStringLiteral("p%1=%2,%3").arg(box).arg(500 + box * 41).arg(box % 90 + 10);
    lines << "p77=ANNA" << "p78=KSIĘGOWA";
    return Encode(lines);
}

QString PdfText(const QString& path, int firstPage, int lastPage, const QString& mode) {
    QStringList arguments = {mode};
    if (firstPage > 0) arguments << QStringLiteral("-f") << QString::number(firstPage);
    if (lastPage > 0) arguments << QStringLiteral("-l") << QString::number(lastPage);
    arguments << path << QStringLiteral("-");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PdfPageCount(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return 0;
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(process.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}
