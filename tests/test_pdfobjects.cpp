// The reader of the PDFs QPdfWriter writes, and the text repair on top of
// it, on PDFs built by hand: what it must find, and what it must refuse.
#include <gtest/gtest.h>

#include <QPointF>
#include <map>

#include "platform/PdfObjects.h"
#include "platform/PdfText.h"

namespace {

// A PDF of `objects` (number -> value, a stream's dictionary and data
// included) with a cross-reference table and `trailer`.
QByteArray buildPdf(const std::map<int, QByteArray>& objects,
                    const QByteArray& trailer = "<< /Size 9 /Root 1 0 R >>") {
    QByteArray pdf = "%PDF-1.4\n";
    std::map<int, qsizetype> offsets;
    for (const auto& [id, value] : objects) {
        offsets[id] = pdf.size();
        pdf += QByteArray::number(id) + " 0 obj\n" + value + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    const int size = offsets.empty() ? 1 : offsets.rbegin()->first + 1;
    pdf += "xref\n0 " + QByteArray::number(size) + "\n";
    for (int id = 0; id < size; ++id) {
        const auto it = offsets.find(id);
        pdf += it == offsets.end()
                   ? QByteArray("0000000000 65535 f \n")
                   : QByteArray::number(it->second).rightJustified(10, '0') + " 00000 n \n";
    }
    return pdf + "trailer\n" + trailer + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

QByteArray stream(const QByteArray& dict, const QByteArray& data) {
    return "<< " + dict + " >>\nstream\n" + data + "\nendstream";
}

// Flate data as a PDF holds it: qCompress less its four-byte size.
QByteArray flate(const QByteArray& data) { return qCompress(data).mid(4); }

std::string text(std::optional<std::string_view> v) {
    return v ? std::string(*v) : std::string("(none)");
}

}  // namespace

TEST(PdfObjects, DictionaryValuesWhateverTheyHoldBeforeThem) {
    const PdfObjects doc(buildPdf({{1, "<< /Type /Catalog >>"}}));
    ASSERT_TRUE(doc.ok());
    struct Case {
        const char* dict;
        const char* key;
        const char* value;
    };
    for (const Case& c : {
             Case{"<< /A 1 /B 2 >>", "/B", "2"},
             Case{"<</A/Name/B 7 0 R>>", "/B", "7 0 R"},
             Case{"<< /A 7 0 R /B 8 >>", "/A", "7 0 R"},
             Case{"<< /T (a >> b \\) /B 1) /B 3 >>", "/B", "3"},
             Case{"<< /T <FEFF0E2A> /B [1 [2] << /C 4 >>] >>", "/B", "[1 [2] << /C 4 >>]"},
             Case{"<< /Font <<\n/F7 7 0 R\n>>\n/X 1 >>", "/Font", "<<\n/F7 7 0 R\n>>"},
             Case{"<< /AB 1 >>", "/A", "(none)"},
             Case{"<< /A (unterminated >>", "/A", "(none)"},
             Case{"[ /A 1 ]", "/A", "(none)"},
         }) {
        EXPECT_EQ(text(doc.value(c.dict, c.key)), c.value) << c.dict;
    }
    EXPECT_EQ(PdfObjects::reference("12 0 R"), 12);
    EXPECT_EQ(PdfObjects::reference("12"), 0);
    EXPECT_EQ(doc.items("[ 6 0 R 7 0 R /N (s) ]").size(), 4u);
}

TEST(PdfObjects, StreamDataPlainOrFlateOnly) {
    const QByteArray content = "BT\n/F7 12 Tf\n1 2 Td <0001> Tj\nET\n";
    const QByteArray packed = flate(content);
    const PdfObjects doc(buildPdf({
        {1, "<< /Type /Catalog >>"},
        {2, stream("/Length " + QByteArray::number(content.size()), content)},
        {3, stream("/Length 4 0 R /Filter /FlateDecode", packed)},
        {4, QByteArray::number(packed.size())},
        {5, stream("/Length " + QByteArray::number(packed.size()) + " /Filter [/FlateDecode]",
                   packed)},
        {6, stream("/Length 5 /Filter /ASCIIHexDecode", "41 42")},
        {7, stream("/Length 9999", content)},
        {8, "<< /Length 3 >>"},
    }));
    ASSERT_TRUE(doc.ok());
    EXPECT_EQ(doc.streamData(2), content);
    EXPECT_EQ(doc.streamData(3), content);
    EXPECT_EQ(doc.streamData(5), content);
    EXPECT_FALSE(doc.streamData(6)) << "a filter it does not undo";
    EXPECT_FALSE(doc.streamData(7)) << "a length past the end";
    EXPECT_FALSE(doc.streamData(8)) << "no stream";
    EXPECT_FALSE(doc.streamData(9)) << "no object";
    EXPECT_FALSE(doc.object(0));
}

TEST(PdfObjects, RefusesWhatQtDoesNotWrite) {
    const QByteArray good = buildPdf({{1, "<< /Type /Catalog >>"}});
    QByteArray badOffset = good;
    badOffset.replace(badOffset.lastIndexOf("startxref\n") + 10, 2, "99999999");
    for (const QByteArray& pdf : {
             QByteArray("not a PDF"),
             QByteArray(good).left(good.size() / 2),
             badOffset,
             buildPdf({{1, "<< /Type /Catalog >>"}}, "<< /Size 2 /Root 1 0 R /Prev 9 >>"),
             buildPdf({{1, "<< /Type /Catalog >>"}}, "<< /Size 2 >>"),
         }) {
        EXPECT_FALSE(PdfObjects(pdf).ok()) << pdf.toStdString();
    }
    EXPECT_TRUE(PdfObjects(good).ok());
}

// A page under a nested page tree, with resources it inherits, and a run
// drawn as two text objects (Thai, then Latin) followed by a run of its
// own: one span covers both objects of the first run, closed after the
// second object's ET; the ToUnicode map gets the standard character.
TEST(PdfText, OneSpanARunAcrossItsTextObjects) {
    const QByteArray content =
        "q\nBT\n/F1 12 Tf\n10 -20 Td <0001> Tj\nET\nQ\n"
        "q\nBT\n/F1 12 Tf\n15 -20 Td <0002> Tj\nET\nQ\n"
        "q\nBT\n/F1 12 Tf\n40 -20 Td <0003> Tj\nET\nQ\n";
    const QByteArray cmap = "beginbfchar\n<0001> <F70A>\n<0002> <0009>\nendbfchar\n";
    const QByteArray pdf = buildPdf({
        {1, "<< /Type /Catalog /Pages 2 0 R >>"},
        {2, "<< /Type /Pages /Kids [3 0 R] /Resources << /Font << /F1 6 0 R >> >> >>"},
        {3, "<< /Type /Pages /Kids [4 0 R] >>"},
        {4, "<< /Type /Page /Contents 5 0 R >>"},
        {5, stream("/Length " + QByteArray::number(flate(content).size()) + " /Filter /FlateDecode",
                   flate(content))},
        {6, "<< /Type /Font /ToUnicode 7 0 R >>"},
        {7, stream("/Length " + QByteArray::number(cmap.size()), cmap)},
    });
    const std::vector<pdftext::Run> runs = {{QStringLiteral("ส่ง x"), QPointF(10, 20)},
                                            {QStringLiteral("="), QPointF(40, 20)}};
    const QByteArray mended = pdftext::mendText(pdf, runs);
    ASSERT_TRUE(mended.startsWith(pdf));
    const QByteArray update = mended.mid(pdf.size());
    const QByteArray first = "/Span <</ActualText <FEFF0E2A0E480E0700200078>>> BDC\nBT\n";
    const QByteArray second = "/Span <</ActualText <FEFF003D>>> BDC\nBT\n";
    const qsizetype a = update.indexOf(first), b = update.indexOf(second);
    ASSERT_GE(a, 0) << update.toStdString();
    ASSERT_GT(b, a) << update.toStdString();
    const QByteArray between = update.mid(a, b - a);
    EXPECT_EQ(between.count("EMC\n"), 1);
    EXPECT_TRUE(between.contains("<0002> Tj\nET\nEMC\nQ\n")) << between.toStdString();
    EXPECT_TRUE(update.contains("<0003> Tj\nET\nEMC\nQ\n"));
    EXPECT_TRUE(update.contains("<0001> <0E48>\n<0002> <0020>")) << update.toStdString();
    EXPECT_TRUE(update.contains("/Prev " + QByteArray::number(pdf.lastIndexOf("\nxref\n") + 1)));
}

TEST(PdfText, UnreadablePdfComesBackUnchanged) {
    const QByteArray notPdf("this is not a PDF");
    EXPECT_EQ(pdftext::mendText(notPdf, {{QStringLiteral("x"), QPointF(0, 0)}}), notPdf);
}
