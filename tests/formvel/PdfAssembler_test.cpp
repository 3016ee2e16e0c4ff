// The joiner of a batch's parts: a part of the shape Qt writes joins, and every shape it would not
// join faithfully is refused with its error instead of being copied wrongly.

#include "formvel/PdfAssembler.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

// A part as Qt writes it, objects 1.., with `change` applied to its text before the
// cross-reference table is made (so the offsets stay right whatever the change).
struct PartText {
    QByteArray catalog = "<<\n/Type /Catalog\n/Pages 2 0 R\n>>";
    QByteArray tree = "<<\n/Type /Pages\n/Kids \n[\n4 0 R\n]\n/Count 1\n/ProcSet [/PDF /Text /ImageB /ImageC]\n>>";
    QByteArray info = "<<\n/Title (czesc)\n/CreationDate (D:20260101000000Z)\n>>";
    QByteArray page = "<<\n/Type /Page\n/Parent 2 0 R\n/Contents 5 0 R\n/MediaBox [0 0 595 842]\n>>";
    QByteArray contents = "<<\n/Length 6 0 R\n>>\nstream\nBT (5 0 R) Tj ET\nendstream";
    QByteArray length = "17";
    QByteArray pageHeader = "4 0 obj";
    QByteArray pageGeneration = "00000";
    QByteArray trailerExtra;

    QByteArray build() const {
        const std::vector<QByteArray> bodies = {catalog, tree, info, page, contents, length};
        QByteArray pdf("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
        std::vector<qsizetype> offsets;
        for (std::size_t i = 0; i < bodies.size(); ++i) {
            offsets.push_back(pdf.size());
            pdf += (i == 3 ? pageHeader : QByteArray::number(static_cast<int>(i + 1)) + " 0 obj") + "\n" + bodies[i] +
                   "\nendobj\n";
        }
        const qsizetype xref = pdf.size();
        pdf += "xref\n0 7\n0000000000 65535 f \n";
        for (std::size_t i = 0; i < offsets.size(); ++i)
            pdf += QByteArray::number(offsets[i]).rightJustified(10, '0') + ' ' +
                   (i == 3 ? pageGeneration : QByteArray("00000")) + " n \n";
        pdf += "trailer\n<<\n/Size 7\n/Info 3 0 R\n/Root 1 0 R\n" + trailerExtra + ">>\nstartxref\n" +
               QByteArray::number(xref) + "\n%%EOF\n";
        return pdf;
    }
};

QByteArray join(const QByteArray& part) {
    PdfAssembler assembler;
    QByteArray out = assembler.begin();
    out += assembler.append(part);
    out += assembler.append(part);
    return out + assembler.finish(QStringLiteral("Tytuł"), QStringLiteral("Fiskon"));
}

}  // namespace

TEST(PdfAssembler, JoinsPartsOfQtsShapeRenumberingOnlyReferences) {
    const QByteArray joined = join(PartText().build());
    // The second part's page and contents past the first's; the stream data, which holds text like a
    // reference, is copied as it is.
    EXPECT_TRUE(joined.contains("/Kids \n[\n4 0 R\n7 0 R\n]\n/Count 2"));
    EXPECT_TRUE(joined.contains("7 0 obj\n<<\n/Type /Page\n/Parent 2 0 R\n/Contents 8 0 R"));
    EXPECT_TRUE(joined.contains("8 0 obj\n<<\n/Length 9 0 R\n>>\nstream\nBT (5 0 R) Tj ET\nendstream"));
}

TEST(PdfAssembler, RefusesEveryShapeItWouldNotJoinFaithfully) {
    struct Case {
        const char* what;
        void (*change)(PartText&);
    };
    const Case cases[] = {
        {"a reference inside a string", [](PartText& p) { p.page.replace("/MediaBox", "/Note (zob. 5 0 R)\n/MediaBox"); }},
        {"a string holding a parenthesis pair", [](PartText& p) { p.page.replace("/MediaBox", "/T (a (6 0 R) b)\n/MediaBox"); }},
        {"a reference of generation 1", [](PartText& p) { p.page.replace("/Contents 5 0 R", "/Contents 5 1 R"); }},
        {"an object of generation 1", [](PartText& p) {
             p.pageHeader = "4 1 obj";
             p.pageGeneration = "00001";
         }},
        {"a catalogue key it drops", [](PartText& p) { p.catalog.replace(">>", "/Outlines 3 0 R\n>>"); }},
        {"a page-tree key it drops", [](PartText& p) { p.tree.replace("/Count", "/Resources << >>\n/Count"); }},
        {"inherited page size it drops", [](PartText& p) { p.tree.replace("/Count", "/MediaBox [0 0 595 842]\n/Count"); }},
        {"other procedure sets", [](PartText& p) { p.tree.replace("/ImageB /ImageC", "/ImageB"); }},
        {"an inner page-tree node", [](PartText& p) { p.page.replace("/Type /Page\n", "/Type /Pages\n"); }},
        {"a trailer key it drops", [](PartText& p) { p.trailerExtra = "/ID [<00><00>]\n"; }},
        {"an encrypted part", [](PartText& p) { p.trailerExtra = "/Encrypt 6 0 R\n"; }},
        {"a comment in a dictionary", [](PartText& p) { p.page.replace("/MediaBox", "% uwaga\n/MediaBox"); }},
        {"a reference to no object", [](PartText& p) { p.page.replace("/Contents 5 0 R", "/Contents 9 0 R"); }},
        {"an unclosed string", [](PartText& p) { p.page.replace("/MediaBox", "/T (bez końca\n/MediaBox"); }},
    };
    for (const Case& c : cases) {
        PartText part;
        c.change(part);
        PdfAssembler assembler;
        assembler.begin();
        EXPECT_THROW(assembler.append(part.build()), std::runtime_error) << c.what;
    }
}
