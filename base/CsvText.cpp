#include "base/CsvText.h"

#include <QStringDecoder>

#include "base/ThaiCodePage.h"

#include <algorithm>

namespace {

bool validUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);  // decoding happens on conversion
    return !utf8.hasError();
}

bool plainAscii(QByteArrayView bytes) {
    for (char b : bytes)
        if (uchar(b) >= 0x80) return false;
    return true;
}

bool isThai(QChar c) { return c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B; }

QString windows874(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) out += decodeWindows874(uchar(b));
    return out;
}

// Whether a line that is valid UTF-8 is still Windows-874: its UTF-8
// reading holds no Thai, and every byte beyond ASCII is a Thai character in
// Windows-874. Thai words such as รถ, หก, ลด, สด and ยก are valid UTF-8 in the
// code page, and a Thai user's UTF-8 line without any Thai but with Latin
// letters that read as Thai is far less likely.
bool thaiInDisguise(QByteArrayView line) {
    const QString utf8 = QString::fromUtf8(line);
    if (std::any_of(utf8.cbegin(), utf8.cend(), isThai)) return false;
    const QString thai = windows874(line);
    return std::all_of(thai.cbegin(), thai.cend(),
                       [](QChar c) { return c.unicode() < 0x80 || isThai(c); });
}

// Calls `each` with every line of `bytes`, its line break included.
template <typename Each>
void forEachLine(QByteArrayView bytes, Each each) {
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        end = end < 0 ? bytes.size() : end + 1;
        each(bytes.sliced(at, end - at));
        at = end;
    }
}

enum class LineKind : char { Ascii, Utf8, Windows874 };

}  // namespace

CsvText decodeCsvBytes(const QByteArray& bytes) {
    CsvText out;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        out.refusal = QStringLiteral(
            "แฟ้มนี้บันทึกเป็นข้อความ Unicode (UTF-16) ซึ่งโปรแกรมอ่านไม่ได้: "
            "เปิดแฟ้มในโปรแกรมตารางคำนวณแล้วบันทึกใหม่เป็น CSV UTF-8 หรือ CSV Windows-874");
        return out;
    }
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = QByteArrayView(bytes).sliced(mark ? 3 : 0);
    std::vector<LineKind> kinds;
    int utf8 = 0, other = 0;
    forEachLine(body, [&](QByteArrayView line) {
        LineKind kind = LineKind::Ascii;
        if (!plainAscii(line)) {
            // The mark says UTF-8: a line that is valid UTF-8 is taken as such.
            kind = validUtf8(line) && (mark || !thaiInDisguise(line)) ? LineKind::Utf8
                                                                       : LineKind::Windows874;
            ++(kind == LineKind::Utf8 ? utf8 : other);
        }
        kinds.push_back(kind);
    });
    const LineKind file = mark || (utf8 > 0 && utf8 >= other) || other == 0 ? LineKind::Utf8
                                                                             : LineKind::Windows874;
    out.encoding = file == LineKind::Utf8 ? CsvEncoding::Utf8 : CsvEncoding::Windows874;
    out.text.reserve(body.size());
    int line = 0;
    forEachLine(body, [&](QByteArrayView bytes) {
        const LineKind kind = kinds[size_t(line++)];
        if (kind == LineKind::Ascii)
            out.text += QLatin1String(bytes.data(), bytes.size());
        else
            out.text += kind == LineKind::Utf8 ? QString::fromUtf8(bytes) : windows874(bytes);
        if (kind != LineKind::Ascii && kind != file) out.otherEncodingLines.push_back(line);
    });
    return out;
}

QString csvEncodingNote(const CsvText& text) {
    if (text.encoding == CsvEncoding::Utf8) return QString();
    return QStringLiteral("อ่านแฟ้มเป็นรหัสอักษร Windows-874 (ภาษาไทยแบบ TIS-620) ไม่ใช่ UTF-8");
}

QString csvRowProblem(const CsvRow& row) {
    if (row.swallowed) {
        return QStringLiteral("ไม่ได้อ่าน: แถวนี้ถูกรวมเข้าไปในช่องที่มีเครื่องหมายคำพูด (\") เปิดไว้ในบรรทัดที่ %1 "
                              "แต่ไม่มีตัวปิด")
            .arg(row.unclosedQuote);
    }
    if (row.unclosedQuote) {
        return QStringLiteral("เครื่องหมายคำพูด (\") ที่เปิดในบรรทัดที่ %1 ไม่มีตัวปิด "
                              "ข้อความที่เหลือทั้งแฟ้มจึงถูกรวมเข้าไปในช่องเดียว: "
                              "ใส่เครื่องหมายคำพูดปิดท้ายช่องนั้น")
            .arg(row.unclosedQuote);
    }
    if (row.otherEncoding) {
        return QStringLiteral("แถวนี้บันทึกด้วยรหัสอักษรต่างจากแถวอื่นของแฟ้ม "
                              "(UTF-8 ปนกับ Windows-874) จึงไม่อ่าน แทนที่จะอ่านตัวอักษรผิด: "
                              "บันทึกแฟ้มใหม่ทั้งแฟ้มด้วยรหัสเดียว เช่น UTF-8");
    }
    for (const QString& cell : row.cells) {
        if (cell.contains(QChar(QChar::ReplacementCharacter))) {
            return QStringLiteral("แถวนี้มีไบต์ที่ไม่ใช่ตัวอักษรทั้งในรหัส UTF-8 และ Windows-874 "
                                  "จึงไม่อ่าน แทนที่จะอ่านตัวอักษรผิด: บันทึกแฟ้มใหม่ด้วยรหัส UTF-8");
        }
    }
    return QString();
}

CsvReader::CsvReader(CsvText text) : source_(std::move(text)) {}

bool CsvReader::otherEncoding(int first, int last) const {
    const std::vector<int>& lines = source_.otherEncodingLines;
    const auto at = std::lower_bound(lines.begin(), lines.end(), first);
    return at != lines.end() && *at <= last;
}

bool CsvReader::next(CsvRow* out) {
    while (at_ < text_.size()) {
        CsvRow row;
        if (readRow(&row)) {
            *out = std::move(row);
            return true;
        }
    }
    return false;
}

bool CsvReader::readRow(CsvRow* row) {
    row->line = line_;
    row->row = ++row_;
    row->unclosedQuote = swallowedBy_;
    row->swallowed = swallowedBy_ != 0;
    QString cell;
    bool quoted = false, any = false;
    int quoteLine = 0;
    qsizetype quoteAt = 0;
    const QString& text = text_;
    const auto endRow = [&](int lastLine) {
        row->cells << cell;
        row->otherEncoding = otherEncoding(row->line, lastLine);
        // A blank line is no row.
        return !(row->cells.size() == 1 && row->cells[0].trimmed().isEmpty() && !any);
    };
    for (qsizetype& i = at_; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += c;
                ++i;
            } else if (c == u'"') {
                // A quoted cell that ran over line breaks and "closes" just
                // before more text was never closed: that quote opens the
                // next cell that was meant to be quoted.
                const QChar after = i + 1 < text.size() ? text[i + 1] : QChar(u',');
                if (line_ > quoteLine && after != u',' && after != u'\n' && after != u'\r') break;
                quoted = false;
            } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                continue;  // a cell's line break is the same whatever the file's line ends
            } else {
                if (c == u'\n') ++line_;
                cell += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = any = true;
            quoteLine = line_;
            quoteAt = i;
        } else if (c == u',') {
            row->cells << cell;
            cell.clear();
            any = true;
        } else if (c == u'\n') {
            ++line_;
            ++i;
            return endRow(line_ - 1);
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;  // the \n that follows ends the row
        } else {
            cell += c;
        }
    }
    if (quoted) {
        // The rest of the file went into one cell: that row is refused, and
        // the lines after the quote's own are read only to be counted.
        row->unclosedQuote = quoteLine;
        row->swallowed = swallowedBy_ != 0;
        if (!row->swallowed) swallowedBy_ = quoteLine;
        const qsizetype lineEnd = text.indexOf(u'\n', quoteAt);
        at_ = lineEnd < 0 ? text.size() : lineEnd + 1;
        line_ = quoteLine + 1;
        endRow(quoteLine);
        return true;
    }
    at_ = text.size();
    return !cell.isEmpty() || !row->cells.isEmpty() || any ? endRow(line_) : false;
}

std::vector<CsvRow> parseCsv(const CsvText& text) {
    std::vector<CsvRow> rows;
    CsvReader reader(text);
    for (CsvRow row; reader.next(&row);) rows.push_back(row);
    return rows;
}

QString csvCell(const QString& value) {
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') &&
        !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
