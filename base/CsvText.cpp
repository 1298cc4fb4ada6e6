#include "base/CsvText.h"

#include <QStringDecoder>

#include "base/ThaiCodePage.h"

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

// Calls `each` with every line of `bytes`, its line break included.
template <typename Each>
void forEachLine(const QByteArray& bytes, Each each) {
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        end = end < 0 ? bytes.size() : end + 1;
        each(QByteArrayView(bytes.constData() + at, end - at));
        at = end;
    }
}

// Whether a file that is not valid UTF-8 as a whole is still mostly UTF-8:
// of its lines holding bytes beyond ASCII, at least as many are valid UTF-8
// as are not. Thai in the code page is almost never valid UTF-8.
bool mostlyUtf8(const QByteArray& bytes) {
    int utf8 = 0, other = 0;
    forEachLine(bytes, [&](QByteArrayView line) {
        if (!plainAscii(line)) ++(validUtf8(line) ? utf8 : other);
    });
    return utf8 > 0 && utf8 >= other;
}

}  // namespace

QString decodeCsvBytes(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    if (validUtf8(bytes) || mostlyUtf8(bytes)) return QString::fromUtf8(bytes);
    // A line that is UTF-8 among Windows-874 ones would read as garbage:
    // its letters become U+FFFD, so that its row is refused instead.
    QString out;
    out.reserve(bytes.size());
    forEachLine(bytes, [&](QByteArrayView line) {
        const bool foreign = !plainAscii(line) && validUtf8(line);
        for (char b : line)
            out += foreign && uchar(b) >= 0x80 ? QChar(QChar::ReplacementCharacter)
                                               : decodeWindows874(uchar(b));
    });
    return out;
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
    for (const QString& cell : row.cells) {
        if (cell.contains(QChar(QChar::ReplacementCharacter))) {
            return QStringLiteral("แถวนี้บันทึกด้วยรหัสอักษรต่างจากแถวอื่นของแฟ้ม "
                                  "(UTF-8 ปนกับ Windows-874) จึงไม่อ่าน แทนที่จะอ่านตัวอักษรผิด: "
                                  "บันทึกแฟ้มใหม่ทั้งแฟ้มด้วยรหัสเดียว เช่น UTF-8");
        }
    }
    return QString();
}

CsvReader::CsvReader(const QString& text) : text_(text) {}

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
    const auto endRow = [&] {
        row->cells << cell;
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
            return endRow();
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
        endRow();
        return true;
    }
    at_ = text.size();
    return !cell.isEmpty() || !row->cells.isEmpty() || any ? endRow() : false;
}

std::vector<CsvRow> parseCsv(const QString& text) {
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
