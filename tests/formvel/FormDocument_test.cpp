#include "FormSamples.h"

#include "edit/AmountCalculations.h"
#include "formvel/FieldListText.h"
#include "formvel/FormDocument.h"
#include "formvel/FormPdf.h"
#include "formvel/FormPrinting.h"
#include "formvel/FormRenderer.h"
#include "store/Cp1250.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString Text(const QByteArray& bytes) { return cp1250::toUnicode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))); }
QByteArray Bytes(const QString& text) { return QByteArray::fromStdString(cp1250::fromUnicode(text)); }

std::unique_ptr<FormDocument> Filled(const QByteArray& symbol, const QString& lines, int options) {
    auto document = FormDocument::create(symbol);
    EXPECT_TRUE(document->setFields(Bytes(lines), options));
    return document;
}

QString Collapse(QString text) { return text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" ")); }

}  // namespace

TEST(FormDocument, KnowsTheFourEditionsOnly) {
    for (const char* symbol : {"PIT118B_C", "PIT118B_14", "PIT40_13", "PIT40_14"}) {
        auto document = FormDocument::create(symbol);
        ASSERT_TRUE(document) << symbol;
        EXPECT_EQ(document->symbol(), QByteArray(symbol));
    }
    for (const char* symbol : {"", "PIT11", "pit40_14", "PIT40_14 ", "PIT-40"}) EXPECT_FALSE(FormDocument::create(symbol)) << symbol;
}

// A field list in, formatted, calculated and back out with and without Fiskon's formats.
TEST(FormDocument, FormatsCalculatesAndConvertsBack) {
    auto document = Filled("PIT40_14",
                           "p1=526-025-09-95\r\np35=40000,00\r\np36=1335,00\r\np38=5000,00\r\np66=5000,00\r\n"
                           "p73=2500,00\r\np99=5\r\np19=NOWAK\r\n",
                           FormDocument::AutoFormat | FormDocument::Calculate);
    EXPECT_EQ(document->value("p35"), "40 000,00");
    // The edit form's whole PIT-40 pass gives these; the form shows them unchanged.
    const QByteArray converted = document->fields(true);
    for (const char* line : {"p37=38665,00\r\n", "p62=40000,00\r\n", "p63=1335,00\r\n", "p64=38665,00\r\n",
                             "p65=5000,00\r\n", "p68=33665,00\r\n", "p69=5866,27\r\n", "p71=5866,27\r\n",
                             "p74=3366\r\n", "p75=0,00\r\n", "p76=1634,00\r\n", "p19=NOWAK\r\n"})
        EXPECT_TRUE(converted.contains(line)) << line << "\n" << converted.constData();
    EXPECT_FALSE(converted.contains("p99"));
    EXPECT_TRUE(converted.startsWith("p1=526-025-09-95\r\n"));
    EXPECT_TRUE(document->fields(false).contains("p74=3 366\r\np75=0,00\r\np76=1 634,00\r\n"));
    EXPECT_TRUE(document->changedSinceReceived());

    // Sent back as shown without options, the form holds exactly what it got.
    ASSERT_TRUE(document->setFields(document->fields(false), 0));
    EXPECT_FALSE(document->changedSinceReceived());
    EXPECT_EQ(document->value("p64"), "38 665,00");
    // A list describes the whole form: what it leaves out is emptied.
    ASSERT_TRUE(document->setFields("p19=KOWALSKI\r\n", FormDocument::AutoFormat));
    EXPECT_EQ(document->value("p35"), "");
    EXPECT_EQ(document->fields(true), "p19=KOWALSKI\r\n");
}

TEST(FormDocument, MalformedFieldListChangesNothing) {
    auto document = Filled("PIT118B_14", "p20=KOWALSKI\r\n", 0);
    for (const char* bad : {"p20KOWALSKI\r\n", "x20=A\r\n", "=A\r\n", "p2a=A\r\n", "p20=A\r\nSKR=1\r\n", "pSKR.=1\r\n"})
        EXPECT_FALSE(document->setFields(bad, 0)) << bad;
    EXPECT_EQ(document->value("p20"), "KOWALSKI");
    EXPECT_TRUE(document->setFields("", 0));  // an empty list is a list: it empties the form
    EXPECT_EQ(document->value("p20"), "");
}

// A field list file in UTF-8 (as an editor elsewhere writes it) reads as the same letters as one
// in code page 1250; a line that is not an assignment is named by its number.
TEST(FieldListText, FilesInEitherEncodingReadAlikeAndABadLineIsNamed) {
    const QByteArray cp1250Text = Bytes(QStringLiteral("p19=ŻÓŁTOWSKA\r\np20=ELŻBIETA\r\n"));
    struct Case {
        QByteArray file;
        int badLine;  // 0: the list is good
    };
    const Case cases[] = {
        {cp1250Text, 0},
        {QStringLiteral("p19=ŻÓŁTOWSKA\r\np20=ELŻBIETA\r\n").toUtf8(), 0},
        {"\xEF\xBB\xBF" + QStringLiteral("p19=ŻÓŁTOWSKA\np20=ELŻBIETA\n").toUtf8(), 0},  // with a byte order mark
        {"p19=NOWAK\r\n\r\nx20=ANNA\r\n", 3},
        {"p19=NOWAK\nANNA\n", 2},
    };
    for (const Case& c : cases) {
        int badLine = 0;
        const auto assignments = ParseFieldList(FieldListFileText(c.file), &badLine);
        EXPECT_EQ(badLine, c.badLine) << c.file.constData();
        if (c.badLine != 0) {
            EXPECT_FALSE(assignments);
            continue;
        }
        ASSERT_TRUE(assignments);
        EXPECT_EQ(ComposeFieldList(*assignments), "p19=" + Bytes(QStringLiteral("ŻÓŁTOWSKA")) + "\r\np20=" +
                                                      Bytes(QStringLiteral("ELŻBIETA")) + "\r\n");
    }
}

TEST(FormDocument, OwnTaxScaleReplacesTheBuiltInOne) {
    const QString lines = "p35=40000,00\r\np36=1335,00\r\np38=5000,00\r\np66=5000,00\r\np73=2500,00\r\n";
    auto document = Filled("PIT40_13", lines, FormDocument::AutoFormat | FormDocument::Calculate);
    // The built-in scale written as text gives the same tax to the grosz over many bases.
    ASSERT_TRUE(document->setTaxScale("0;19;-530,08\r\n37024;30;6504,48\r\n74048;40;17611,68\r\n"));
    EXPECT_EQ(document->value("p69"), "5 866,27");
    const auto scale = FormTaxScale::Parse("0;19;-530,08\n37024;30;6504,48\n74048;40;17611,68", nullptr);
    ASSERT_TRUE(scale);
    for (const char* base : {"0,00", "2000,00", "30000,00", "37023,00", "37024,00", "37100,00", "50000,00",
                             "74048,00", "100000,00", "-500,00", "123456,78"})
        EXPECT_EQ(scale->Tax(base), ComputeTax(base)) << base;
    // A flat 10% replaces it.
    ASSERT_TRUE(document->setTaxScale("0;10;0,00\r\n"));
    EXPECT_EQ(document->value("p69"), "3 366,50");
    // 3366,50 less 2500,00 paid: 866,50 of tax due, raised to 867 as the law rounds.
    EXPECT_EQ(document->fields(true).contains("p74=867\r\n"), true) << document->fields(true).constData();
    for (const char* bad : {"0;19\r\n", "0;x;1\r\n", "0;120;0\r\n", "100;10;0\r\n50;20;0\r\n"})
        EXPECT_FALSE(document->setTaxScale(bad)) << bad;
    EXPECT_EQ(document->value("p69"), "3 366,50");
    ASSERT_TRUE(document->setTaxScale(""));
    EXPECT_EQ(document->value("p69"), "5 866,27");
}

// The form rounds and refuses as the edit form does: halves of a złoty go up (also in choosing
// the bracket of an own scale), a tax base is never negative, and a total beyond the program's
// range is a finding naming the box, not an empty box.
TEST(FormDocument, CalculatesAsTheEditFormWithItsRoundingAndItsRefusals) {
    const int calculate = FormDocument::AutoFormat | FormDocument::Calculate;
    auto document = Filled("PIT40_14", "p35=40000,75\r\np66=3000,25\r\np73=100,00\r\n", calculate);
    EXPECT_EQ(document->value("p68"), "37 001,00");
    ASSERT_TRUE(document->setTaxScale("0;10;0,00\r\n37001;20;5000,00\r\n"));
    EXPECT_EQ(document->value("p69"), "5 000,00");  // 37001 chooses the second bracket
    EXPECT_EQ(document->value("p74"), "4 900");
    const auto scale = FormTaxScale::Parse("0;10;0,00\n37001;20;5000,00", nullptr);
    ASSERT_TRUE(scale);
    EXPECT_EQ(scale->Tax("37000,50"), "4999,90");
    EXPECT_EQ(scale->Tax("37000,49"), "3700,05");

    document = Filled("PIT40_14", "p35=5000,00\r\np66=5500,00\r\n", calculate);
    EXPECT_EQ(document->value("p68"), "0,00");
    EXPECT_FALSE(Text(document->errors()).contains("Poz. 68")) << Text(document->errors()).toStdString();

    document = Filled("PIT40_14", "p35=9000000000000,00\r\np39=9000000000000,00\r\np62=1,00\r\n", calculate);
    ASSERT_TRUE(document->calculationError());
    EXPECT_TRUE(Text(document->errors()).contains("Poz. 37: nie można wyliczyć kwoty – Kwota 18000000000000,00 jest zbyt duża"))
        << Text(document->errors()).toStdString();
    EXPECT_EQ(document->value("p62"), "1,00");  // not reached: keeps what it had
    ASSERT_TRUE(document->setFields("p35=10,00\r\n", calculate));
    EXPECT_FALSE(document->calculationError());
    EXPECT_FALSE(Text(document->errors()).contains("nie można wyliczyć"));
}

struct ValidationCase {
    const char* symbol;
    const char* lines;
    int options;
    const char* expected;  // a finding that must be listed; "" = no finding at all
};

class FormValidationTest : public ::testing::TestWithParam<ValidationCase> {};

// Enough to keep the required boxes quiet.
const char* kPit11Required = "p1=526-025-09-95\r\np6=US\r\np8=FIRMA\r\np19=1234563218\r\np20=A\r\np21=B\r\n";
const char* kPit40Required = "p1=5260250995\r\np4=2006\r\np5=US\r\np7=FIRMA\r\np18=1234563218\r\np19=A\r\np20=B\r\n";

TEST_P(FormValidationTest, ListsTheFinding) {
    const ValidationCase& c = GetParam();
    const QByteArray base = QByteArray(c.symbol).startsWith("PIT40") ? kPit40Required : kPit11Required;
    auto document = FormDocument::create(c.symbol);
    ASSERT_TRUE(document->setFields(base + Bytes(QString::fromUtf8(c.lines)), c.options));
    const QString errors = Text(document->errors());
    if (*c.expected == 0)
        EXPECT_EQ(errors, "") << c.lines;
    else
        EXPECT_TRUE(errors.contains(QString::fromUtf8(c.expected))) << c.lines << "\n" << errors.toStdString();
    if (!errors.isEmpty()) {
        EXPECT_TRUE(errors.endsWith("\r\n"));
        for (const QString& line : errors.split("\r\n", Qt::SkipEmptyParts)) EXPECT_TRUE(line.startsWith("Poz. ") || line.startsWith("Tytuł"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FormValidationTest,
    ::testing::Values(
        ValidationCase{"PIT118B_14", "", 0, ""},
        ValidationCase{"PIT40_14", "", 0, ""},
        // NIP check digits, payer and taxpayer
        ValidationCase{"PIT118B_14", "p1=526-025-09-96\r\n", 0, "Poz. 1: nieprawidłowy NIP"},
        ValidationCase{"PIT118B_14", "p19=123-456-32-19\r\n", 0, "Poz. 19: nieprawidłowy NIP"},
        ValidationCase{"PIT118B_14", "p19=12345\r\n", 0, "Poz. 19: NIP musi składać się z 10 cyfr"},
        ValidationCase{"PIT40_14", "p18=1234563217\r\n", 0, "Poz. 18: nieprawidłowy NIP"},
        ValidationCase{"PIT40_14", "p1=0000000000\r\n", 0, "Poz. 1: NIP nie może składać się z samych zer"},
        ValidationCase{"PIT40_14", "p18=   -   -  -  \r\n", 0, "Poz. 18: nie wypełniono"},
        // postal codes
        ValidationCase{"PIT118B_14", "p17=80-888\r\np31=  -   \r\n", 0, ""},
        ValidationCase{"PIT118B_14", "p17=80888\r\n", 0, "Poz. 17: kod pocztowy"},
        ValidationCase{"PIT40_14", "p30=05-5OO\r\n", 0, "Poz. 30: kod pocztowy"},
        // birth date and period
        ValidationCase{"PIT118B_14", "p22=29-02 2004\r\n", 0, ""},
        ValidationCase{"PIT118B_14", "p22=29-02 2005\r\n", 0, "Poz. 22: nieprawidłowa data urodzenia"},
        ValidationCase{"PIT40_14", "p21=1980-05-12\r\n", 0, "Poz. 21: nieprawidłowa data urodzenia"},
        ValidationCase{"PIT118B_14", "p4=01-01-2006\r\np5=31-12-2006\r\n", 0, ""},
        ValidationCase{"PIT118B_14", "p4=31-13-2006\r\n", 0, "Poz. 4: nieprawidłowa data"},
        ValidationCase{"PIT118B_14", "p4=01-07-2006\r\np5=30-06-2006\r\n", 0, "Poz. 5: koniec okresu jest wcześniejszy"},
        ValidationCase{"PIT118B_14", "p4=01-07-2005\r\np5=30-06-2006\r\n", 0, "Poz. 5: okres musi mieścić się w jednym roku"},
        // tax year
        ValidationCase{"PIT40_13", "p4=    \r\n", 0, "Poz. 4: nie wypełniono"},
        ValidationCase{"PIT40_13", "p4=06\r\n", 0, "Poz. 4: rok podatkowy musi składać się z czterech cyfr"},
        // required boxes
        ValidationCase{"PIT118B_C", "p20=\r\n", 0, "Poz. 20: nie wypełniono wymaganego pola („Nazwisko”)"},
        ValidationCase{"PIT40_13", "p5=\r\n", 0, "Poz. 5: nie wypełniono"},
        // amounts
        ValidationCase{"PIT118B_14", "p45=-100,00\r\n", 1, "Poz. 45: kwota nie może być ujemna"},
        ValidationCase{"PIT118B_14", "p45=12 x\r\n", 1, "Poz. 45: wpisana wartość nie jest kwotą"},
        // coded choices
        ValidationCase{"PIT118B_14", "p33=0100\r\n", 0, "Poz. 33: nieprawidłowe oznaczenie wyboru"},
        ValidationCase{"PIT118B_14", "pSKR.01=01\r\npSKR.02=01\r\n", 0, "skreślono oba tytuły"},
        ValidationCase{"PIT118B_14", "pSKR.01=00\r\npSKR.02=00\r\n", 0, "nie skreślono żadnego tytułu"},
        // ErrorLevel 1: arithmetic checks, off without it and quiet when calculated
        ValidationCase{"PIT118B_14", "p34=5000,00\r\np35=1000,00\r\np36=3000,00\r\n", 0, ""},
        ValidationCase{"PIT118B_14", "p34=5000,00\r\np35=1000,00\r\np36=3000,00\r\n", 5,
                       "Poz. 36: kwota niezgodna z wyliczeniem – powinno być 4 000,00"},
        ValidationCase{"PIT118B_14", "p34=5000,00\r\np35=1000,00\r\np36=3000,00\r\n", 7, ""},
        ValidationCase{"PIT40_14", "p35=40000,00\r\np69=1,00\r\np74=3366\r\n", 5, "Poz. 69: kwota niezgodna"}));

// The whole of both forms on paper: every value is in the PDF's text, in the order of its pages.
TEST(FormPdf, EveryValueOfBothFormsIsInTheText) {
    QTemporaryDir dir;
    auto pit11 = FormDocument::create("PIT118B_14");
    auto pit40 = FormDocument::create("PIT40_14");
    ASSERT_TRUE(pit11->setFields(FullPit11Fields(), FormDocument::AutoFormat));
    ASSERT_TRUE(pit40->setFields(FullPit40Fields(), FormDocument::AutoFormat));
    const QString path = qEnvironmentVariableIsSet("FORMVEL_KEEP_PDF") ? qEnvironmentVariable("FORMVEL_KEEP_PDF")
                                                                         : dir.filePath("formularze.pdf");
    QString error;
    ASSERT_TRUE(writeFormsPdf(path, {pit11.get(), pit40.get()}, &error)) << error.toStdString();
    EXPECT_EQ(PdfPageCount(path), pit11->pageCount() + pit40->pageCount());
    const QString pit11Text = Collapse(PdfText(path, 1, pit11->pageCount()));
    const QString pit40Text = Collapse(PdfText(path, pit11->pageCount() + 1, 0));
    ASSERT_FALSE(pit11Text.isEmpty());
    for (auto [document, text] : {std::pair{pit11.get(), pit11Text}, std::pair{pit40.get(), pit40Text}}) {
        int checked = 0;
        for (const QString& line : Text(document->fields(false)).split("\r\n", Qt::SkipEmptyParts)) {
            const QString key = line.section(u'=', 0, 0);
            const QString value = line.section(u'=', 1).trimmed();
            const FormBox* box = document->layout().box(key.toLatin1());
            if (value.isEmpty() || box->isCoded()) continue;
            EXPECT_TRUE(text.contains(Collapse(value))) << key.toStdString() << "=" << value.toStdString();
            ++checked;
        }
        EXPECT_GT(checked, 70);
    }
    EXPECT_TRUE(pit11Text.contains("ŹDZIEBŁOWSKA-GĘŚ"));
    EXPECT_TRUE(pit11Text.contains("2 258,44"));  // box 34: grouped, two decimals
    EXPECT_TRUE(pit40Text.contains("ROCZNE OBLICZENIE PODATKU"));
    EXPECT_TRUE(pit40Text.contains("Numer Identyfikacji Podatkowej płatnika"));  // no "ﬁ" ligature in the text

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString second = dir.filePath("strona2.pdf");
    printer.setOutputFileName(second);
    EXPECT_EQ(PrintFormPages(printer, *pit11, 2, 2), 1);
    EXPECT_EQ(PdfPageCount(second), 1);
    EXPECT_TRUE(PdfText(second).simplified().contains("PIT-11/8B(14) 2/2"));
    EXPECT_FALSE(writeFormsPdf(dir.filePath("brak/x.pdf"), {pit11.get()}, &error));
    EXPECT_TRUE(error.contains("nie istnieje")) << error.toStdString();
}

// The coded boxes tick their squares and strike their title: drawn where the layout puts them.
TEST(FormRenderer, CodedBoxesTickTheirChoiceAndStrikeTheTitle) {
    auto document = FormDocument::create("PIT118B_14");
    ASSERT_TRUE(document->setFields("pSKR.01=01\r\npSKR.02=00\r\np7=001\r\np33=00100\r\n", 0));
    const FormLayout& layout = document->layout();
    const ValueSlot* strike = SlotOf(layout, layout.indexOf("pSKR.01"));
    ASSERT_TRUE(strike);
    EXPECT_GE(strike->strikes.size(), 2u);  // the short name and each line of the long title
    int choice = 0;
    const ValueSlot* kind = SlotOf(layout, layout.indexOf("p7"));
    ASSERT_EQ(kind->squares.size(), 2u);
    EXPECT_EQ(BoxAt(layout, kind->page, kind->squares[1].center(), &choice), layout.indexOf("p7"));
    EXPECT_EQ(choice, 2);  // "001" is the second choice: "osoba fizyczna"
    EXPECT_EQ(layout.box("p7")->choices.value(1), "osoba fizyczna");

    // On the page: the PIT-11 title is crossed through, PIT-8B is not; the second square of box 7
    // holds its cross, the first is empty.
    QImage image(1050, 1485, QImage::Format_RGB32);  // half a page unit a pixel
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        BeginFormPage(painter, QRectF(0, 0, image.width(), image.height()));
        DrawFormPage(painter, *document, 0);
    }
    auto dark = [&](QPointF unit) {
        const QPoint pixel = (unit / 2).toPoint();
        for (int dy = -1; dy <= 1; ++dy)
            if (qGray(image.pixel(pixel + QPoint(0, dy))) < 100) return true;
        return false;
    };
    // Just past the end of the short name only a strike line is drawn.
    const ValueSlot* standing = SlotOf(layout, layout.indexOf("pSKR.02"));
    EXPECT_TRUE(dark(strike->strikes.front().p2() - QPointF(2, 0)));
    EXPECT_FALSE(dark(standing->strikes.front().p2() - QPointF(2, 0)));
    EXPECT_TRUE(dark(kind->squares[1].center()));
    EXPECT_FALSE(dark(kind->squares[0].center()));
    EXPECT_EQ(layout.box("p33")->choices.value(1), "od więcej niż jednego zakładu pracy");
}

// A long place name in a narrow box: lines end between words or after a hyphen, never inside a
// word, on the gmina boxes of every edition, and nothing of the text is lost.
TEST(FormRenderer, LongValuesBreakBetweenWordsOrAfterHyphens) {
    const QString values[] = {
        QStringLiteral("ŁĄCZNA-ŚWIĘTOKRZYSKA-ŻELAZNA-WOLA-PODGÓRNA-KOLONIA"),
        QStringLiteral("GMINA ŁĄCZNA-ŚWIĘTOKRZYSKA-ŻELAZNA-WOLA KOLONIA PIERWSZA"),
        QStringLiteral("KONSTANTYNÓW ŁÓDZKI WIEŚ KOŚCIELNA GÓRNA DOLNA ŚRODKOWA ZACHODNIA"),
    };
    for (const QByteArray& symbol : KnownFormSymbols()) {
        const FormLayout& layout = *FindFormLayout(symbol);
        const QByteArray gmina = symbol.startsWith("PIT40") ? "p25" : "p26";
        const int box = layout.indexOf(gmina);
        ASSERT_GE(box, 0) << symbol.constData();
        for (const QString& value : values) {
            const QStringList lines = ValueLines(layout, box, value);
            ASSERT_FALSE(lines.isEmpty()) << symbol.constData();
            if (&value == &values[0]) EXPECT_TRUE(ValueFitsBox(layout, box, value)) << symbol.constData();
            QString joined;
            for (int k = 0; k < lines.size(); ++k) {
                if (k > 0 && !joined.endsWith(u'-')) joined += u' ';
                joined += lines[k];
                if (k + 1 < lines.size())
                    EXPECT_TRUE(lines[k].endsWith(u'-') || value.contains(lines[k] + u' ' + lines[k + 1].section(u' ', 0, 0)))
                        << symbol.constData() << " " << qPrintable(lines[k]) << " | " << qPrintable(lines[k + 1]);
            }
            EXPECT_EQ(joined, value) << symbol.constData();
        }
    }
}
