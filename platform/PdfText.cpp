#include "platform/PdfText.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "platform/PdfObjects.h"

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

void appendHexUtf16(std::string& out, const QString& text) {
    out += "<FEFF";
    for (QChar c : text) appendHex4(out, c.unicode());
    out += '>';
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

// The line of `content` that starts at `at`, its newline included.
std::string_view lineAt(std::string_view content, size_t at) {
    const void* nl = std::memchr(content.data() + at, '\n', content.size() - at);
    const size_t end =
        nl ? size_t(static_cast<const char*>(nl) - content.data()) + 1 : content.size();
    return content.substr(at, end - at);
}

// Where a text object starts drawing: the "x y Td" of its first glyph,
// which Qt writes in the painter's own coordinates with y negated.
bool tdAt(std::string_view line, double* x, double* y) {
    if (line.find(" Td ") == std::string_view::npos) return false;
    // The line holds " Td ", so strtod stops inside it.
    char* end = nullptr;
    *x = std::strtod(line.data(), &end);
    *y = -std::strtod(end, nullptr);
    return true;
}

// Wraps the text objects of each run in one marked-content span whose
// ActualText is the run's text. Qt draws a run as one text object, or as
// several when it mixes scripts (Thai, then Latin): the span runs from the
// BT of the object that starts where the run was drawn to the ET of the
// last one before the next run, so that the run's text stands for all its
// glyphs. It closes right after that ET, while the text state that places
// it still holds. `next` is the run whose start is looked for; it carries
// over from page to page.
std::string tagRuns(std::string_view content, const std::vector<Run>& runs, size_t& next) {
    constexpr size_t none = std::string_view::npos;
    std::string out;
    out.reserve(content.size() + content.size() / 4);
    size_t copied = 0;  // content[0, copied) is in `out`
    const auto copyTo = [&](size_t to) {
        out.append(content, copied, to - copied);
        copied = to;
    };
    size_t spanEnd = none;        // where the open span closes, once its run is over
    size_t bt = none;             // the BT of the text object being read
    const Run* starts = nullptr;  // the run that object starts, if any
    bool started = false;         // that object's first Td was seen
    for (size_t at = 0; at < content.size();) {
        const std::string_view line = lineAt(content, at);
        const size_t after = at + line.size();
        if (bt == none) {
            if (line == "BT\n") {
                bt = at;
                starts = nullptr;
                started = false;
            }
        } else if (line == "ET\n") {
            if (starts) {
                if (spanEnd != none) {
                    copyTo(spanEnd);
                    out += "EMC\n";
                }
                copyTo(bt);
                out += "/Span <</ActualText ";
                appendHexUtf16(out, starts->text);
                out += ">> BDC\n";
                spanEnd = after;
            } else if (spanEnd != none) {
                spanEnd = after;  // the rest of the open span's run
            }
            bt = none;
        } else if (!started) {
            double x = 0, y = 0;
            if (tdAt(line, &x, &y)) {
                started = true;
                // A run that drew nothing (blanks only, say) has no text
                // object of its own: look a few runs ahead rather than lose
                // the rest.
                for (size_t j = next; j < runs.size() && j < next + 4; ++j) {
                    if (std::abs(x - runs[j].at.x()) < 0.01 &&
                        std::abs(y - runs[j].at.y()) < 0.01) {
                        starts = &runs[j];
                        next = j + 1;
                        break;
                    }
                }
            }
        }
        at = after;
    }
    if (spanEnd != none) {
        copyTo(spanEnd);
        out += "EMC\n";
    }
    copyTo(content.size());
    return out;
}

// The pages under page-tree node `node` in order, each with the resources
// it has or inherits.
void collectPages(const PdfObjects& doc, std::string_view node, std::string_view resources,
                  int depth, std::vector<std::pair<std::string_view, std::string_view>>& pages) {
    const auto dict = doc.resolve(node);
    if (!dict || depth > 32) return;  // a page tree that loops
    if (const auto own = doc.value(*dict, "/Resources"))
        resources = doc.resolve(*own).value_or(std::string_view());
    const auto kids = doc.value(*dict, "/Kids");
    const auto array = kids ? doc.resolve(*kids) : std::nullopt;
    if (!array) {
        pages.emplace_back(*dict, resources);
        return;
    }
    for (std::string_view kid : doc.items(*array))
        collectPages(doc, kid, resources, depth + 1, pages);
}

}  // namespace

char16_t standardThai(char16_t privateUse) {
    if (privateUse < 0xF700 || privateUse > 0xF71A) return 0;
    return kShapedForms[privateUse - 0xF700];
}

QByteArray mendText(const QByteArray& pdf, const std::vector<Run>& runs) {
    const PdfObjects doc(pdf);
    if (!doc.ok()) return pdf;
    const auto root = doc.resolve(*doc.value(doc.trailer(), "/Root"));
    const auto pageTree = root ? doc.value(*root, "/Pages") : std::nullopt;
    std::vector<std::pair<std::string_view, std::string_view>> pages;
    if (pageTree) collectPages(doc, *pageTree, {}, 0, pages);

    std::map<int, std::string> replaced;  // object number -> new stream data
    size_t next = 0;
    for (const auto& [page, resources] : pages) {
        const auto fonts = resources.empty() ? std::nullopt : doc.value(resources, "/Font");
        const auto fontDict = fonts ? doc.resolve(*fonts) : std::nullopt;
        for (const auto& [name, font] :
             fontDict ? doc.entries(*fontDict) : decltype(doc.entries({})){}) {
            const auto fontObject = doc.resolve(font);
            const auto map = fontObject ? doc.value(*fontObject, "/ToUnicode") : std::nullopt;
            const int id = map ? PdfObjects::reference(*map) : 0;
            if (id == 0 || replaced.count(id)) continue;
            if (const auto data = doc.streamData(id))
                replaced[id] = mendToUnicode(std::string(data->constData(), size_t(data->size())));
        }
        const auto contents = doc.value(page, "/Contents");
        const int id = contents ? PdfObjects::reference(*contents) : 0;
        if (id == 0 || replaced.count(id)) continue;
        if (const auto data = doc.streamData(id))
            replaced[id] =
                tagRuns(std::string_view(data->constData(), size_t(data->size())), runs, next);
    }
    if (replaced.empty()) return pdf;

    // The mended objects are appended as an incremental update (new versions
    // of the same objects, a cross-reference section for them, a trailer
    // pointing back to the old one): nothing Qt wrote is rewritten.
    QByteArray out;
    qsizetype size = pdf.size() + 1024;
    for (const auto& [id, data] : replaced) size += qsizetype(data.size()) + 64;
    out.reserve(size);
    out += pdf;
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
    for (const auto& [id, offset] : offsets)
        out += QByteArray::number(id) + " 1\n" +
               QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    const auto field = [&](std::string_view key) {
        const auto v = doc.value(doc.trailer(), key);
        return v ? QByteArray(v->data(), qsizetype(v->size())) : QByteArray();
    };
    out += "trailer\n<< /Size " + field("/Size") + " /Root " + field("/Root");
    if (const QByteArray info = field("/Info"); !info.isEmpty()) out += " /Info " + info;
    out += " /Prev " + QByteArray::number(doc.xrefOffset()) + " >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

}  // namespace pdftext
