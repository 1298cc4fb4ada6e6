#include "platform/PdfText.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <string>

namespace pdftext {
namespace {

// The TLWG private-use shaped forms, U+F700 to U+F71A, in order.
constexpr std::array<char16_t, 27> kShapedForms = {
    0x0E10, 0x0E34, 0x0E35, 0x0E36, 0x0E37, 0x0E48, 0x0E49, 0x0E4A, 0x0E4B,
    0x0E4C, 0x0E48, 0x0E49, 0x0E4A, 0x0E4B, 0x0E4C, 0x0E0D, 0x0E31, 0x0E4D,
    0x0E47, 0x0E48, 0x0E49, 0x0E4A, 0x0E4B, 0x0E4C, 0x0E38, 0x0E39, 0x0E3A,
};

void appendHex4(std::string& out, char16_t u) {
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(u >> shift) & 0xF];
}

std::string hexUtf16(const QString& text) {
    std::string out = "<FEFF";
    out.reserve(6 + 4 * size_t(text.size()));
    for (QChar c : text) appendHex4(out, c.unicode());
    return out + ">";
}

// ToUnicode entries are four hex digits each: swapping a private-use form
// for its standard character keeps every byte where it was.
std::string mendToUnicode(std::string cmap) {
    for (size_t at = cmap.find("<F7"); at != std::string::npos; at = cmap.find("<F7", at + 1)) {
        if (at + 6 > cmap.size() || cmap[at + 5] != '>') continue;
        const char16_t pua = char16_t(std::stoul(cmap.substr(at + 1, 4), nullptr, 16));
        if (const char16_t thai = standardThai(pua)) {
            std::string hex;
            appendHex4(hex, thai);
            cmap.replace(at + 1, 4, hex);
        }
    }
    // Garuda maps the tab and the space to one glyph; the tab wins.
    for (size_t at = cmap.find("<0009>"); at != std::string::npos; at = cmap.find("<0009>", at))
        cmap.replace(at + 1, 4, "0020");
    return cmap;
}

// Where a text object starts drawing: the first "x y Td" after its BT,
// which Qt writes in the painter's own coordinates with y negated.
bool firstTd(const std::string& content, size_t from, double* x, double* y) {
    const size_t td = content.find(" Td", from);
    const size_t et = content.find("\nET", from);
    if (td == std::string::npos || td > et) return false;
    const size_t line = content.rfind('\n', td) + 1;
    char* end = nullptr;
    *x = std::strtod(content.c_str() + line, &end);
    *y = -std::strtod(end, nullptr);
    return true;
}

// Wraps each text object (BT ... ET) of a page in a marked-content span
// whose ActualText is the text of the run it belongs to: the whole run on
// the object that starts where the run was drawn, nothing on the others (Qt
// draws a run in two scripts as several objects, in order). `next` is the
// run whose start is looked for; it carries over from page to page.
std::string tagRuns(const std::string& content, const std::vector<Run>& runs, size_t& next) {
    std::string out;
    out.reserve(content.size() * 2);
    bool inRun = false;
    size_t pos = 0;
    while (pos < content.size()) {
        const size_t bt = content.find("BT\n", pos);
        const bool atLine = bt != std::string::npos && (bt == 0 || content[bt - 1] == '\n');
        if (bt == std::string::npos) break;
        if (!atLine) {
            out.append(content, pos, bt + 3 - pos);
            pos = bt + 3;
            continue;
        }
        size_t et = content.find("\nET\n", bt);
        if (et == std::string::npos) break;
        et += 4;
        out.append(content, pos, bt - pos);
        double x = 0, y = 0;
        std::string actual = "<FEFF>";
        // A run that drew nothing (blanks only, say) has no text object of
        // its own: look a few runs ahead rather than lose the rest.
        if (firstTd(content, bt, &x, &y)) {
            for (size_t j = next; j < runs.size() && j < next + 4; ++j) {
                if (std::abs(x - runs[j].at.x()) < 0.01 && std::abs(y - runs[j].at.y()) < 0.01) {
                    actual = hexUtf16(runs[j].text);
                    next = j + 1;
                    inRun = true;
                    break;
                }
            }
        }
        if (inRun) out += "/Span <</ActualText " + actual + ">> BDC\n";
        out.append(content, bt, et - bt);
        if (inRun) out += "EMC\n";
        pos = et;
    }
    out.append(content, pos, std::string::npos);
    return out;
}

}  // namespace

char16_t standardThai(char16_t privateUse) {
    if (privateUse < 0xF700 || privateUse > 0xF71A) return 0;
    return kShapedForms[privateUse - 0xF700];
}

QByteArray mendText(const QByteArray& pdf, const std::vector<Run>& runs) {
    try {
        QPDF doc;
        doc.setSuppressWarnings(true);
        doc.processMemoryFile("sheet.pdf", pdf.constData(), size_t(pdf.size()));
        // The mended objects are appended as an incremental update (new
        // versions of the same objects, a cross-reference section for them,
        // a trailer pointing back to the old one): nothing Qt wrote is
        // rewritten, so this costs a fraction of the layout.
        std::map<int, std::string> replaced;  // object number -> new stream data
        size_t next = 0;
        const auto streamText = [](QPDFObjectHandle stream) {
            const auto data = stream.getStreamData(qpdf_dl_generalized);
            return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        };
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(doc).getAllPages()) {
            QPDFObjectHandle fonts = page.getAttribute("/Resources", false).getKey("/Font");
            if (fonts.isDictionary()) {
                for (auto& [name, font] : fonts.ditems()) {
                    QPDFObjectHandle map = font.getKey("/ToUnicode");
                    if (map.isStream() && map.isIndirect())
                        replaced[map.getObjectID()] = mendToUnicode(streamText(map));
                }
            }
            QPDFObjectHandle contents = page.getObjectHandle().getKey("/Contents");
            if (contents.isStream() && contents.isIndirect())
                replaced[contents.getObjectID()] = tagRuns(streamText(contents), runs, next);
        }
        if (replaced.empty()) return pdf;

        QByteArray out = pdf;
        if (!out.endsWith('\n')) out += '\n';
        std::map<int, qsizetype> offsets;
        for (const auto& [id, data] : replaced) {
            offsets[id] = out.size();
            out += QByteArray::number(id) + " 0 obj\n<< /Length " +
                   QByteArray::number(qsizetype(data.size())) + " >>\nstream\n";
            out.append(data.data(), qsizetype(data.size()));
            out += "\nendstream\nendobj\n";
        }
        const qsizetype xref = out.size();
        out += "xref\n";
        char entry[24];
        for (const auto& [id, offset] : offsets) {
            std::snprintf(entry, sizeof entry, "%010lld 00000 n \n",
                          static_cast<long long>(offset));
            out += QByteArray::number(id) + " 1\n" + entry;
        }
        QPDFObjectHandle trailer = doc.getTrailer();
        const qsizetype previous = pdf.lastIndexOf("startxref");
        if (previous < 0) return pdf;
        out += "trailer\n<< /Size " + QByteArray::number(trailer.getKey("/Size").getIntValue()) +
               " /Root " + QByteArray::fromStdString(trailer.getKey("/Root").unparse());
        if (trailer.hasKey("/Info"))
            out += " /Info " + QByteArray::fromStdString(trailer.getKey("/Info").unparse());
        out += " /Prev " +
               QByteArray::number(std::strtoll(pdf.constData() + previous + 9, nullptr, 10)) +
               " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return out;
    } catch (const std::exception&) {
        return pdf;
    }
}

}  // namespace pdftext
