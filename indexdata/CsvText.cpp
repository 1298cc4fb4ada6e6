#include "indexdata/CsvText.h"

#include <QStringDecoder>

#include "indexdata/IndexRecord.h"

QChar decodeWindows874(unsigned char b) {
    switch (b) {
        case 0x80:
            return QChar(0x20AC);
        case 0x85:
            return QChar(0x2026);
        case 0x91:
            return QChar(0x2018);
        case 0x92:
            return QChar(0x2019);
        case 0x93:
            return QChar(0x201C);
        case 0x94:
            return QChar(0x201D);
        case 0x95:
            return QChar(0x2022);
        case 0x96:
            return QChar(0x2013);
        case 0x97:
            return QChar(0x2014);
        case 0xA0:
            return QChar(0x00A0);
        default:
            return decodeTis620(b);
    }
}

QString decodeCsvBytes(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    // Thai text in the single-byte code page is almost never valid UTF-8.
    QString out(bytes.size(), QChar());
    for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = decodeWindows874(uchar(bytes[i]));
    return out;
}

std::vector<CsvRow> parseCsv(const QString& text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    QString cell;
    bool quoted = false, any = false;
    int line = 1;
    row.line = 1;
    const auto endRow = [&] {
        row.cells << cell;
        cell.clear();
        const bool blank = row.cells.size() == 1 && row.cells[0].trimmed().isEmpty() && !any;
        if (!blank) rows.push_back(row);
        row = CsvRow{};
        row.line = line;
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                if (c == u'\n') ++line;
                cell += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = any = true;
        } else if (c == u',') {
            row.cells << cell;
            cell.clear();
            any = true;
        } else if (c == u'\n') {
            ++line;
            endRow();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;  // the \n that follows ends the row
        } else {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !row.cells.isEmpty() || any) endRow();
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
