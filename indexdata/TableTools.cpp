#include "indexdata/TableTools.h"

#include <QStringList>
#include <cmath>
#include <map>

#include "escalation/Formulas.h"
#include "escalation/PrintModel.h"
#include "indexdata/CsvImport.h"
#include "indexdata/CsvText.h"

namespace {

// A field as it stands: without its blanks and without the code-0
// characters that stand for bytes the file does not hold.
QString fieldText(const QString& field) {
    QString t = trimBlanks(field).toString();
    t.remove(QChar(0));
    return t;
}

QString valueText(Single v) { return print::formatNumber(v).trimmed(); }

// "10, 11, 12": the formulas that divide by this column's bid-opening value.
QString formulasUsing(IndexColumn column) {
    QStringList numbers;
    for (int n = 1; n <= kFormulaCount; ++n) {
        for (const FormulaTerm& t : formulaDefinition(n)->terms) {
            if (t.column == column) numbers << QString::number(n);
        }
    }
    return numbers.join(QStringLiteral(", "));
}

}  // namespace

std::vector<TableRecord> tableRecords(const QByteArray& table) {
    std::vector<TableRecord> out;
    const Long count = table.isEmpty() ? 0 : recordCount(table.size());
    for (qsizetype at = 0; at < table.size(); at += kRecordLength) {
        TableRecord r;
        r.number = Long(at / kRecordLength) + 1;
        r.bytes = int(std::min<qsizetype>(kRecordLength, table.size() - at));
        r.counted = r.number <= count;
        RecordBytes bytes{};
        std::copy(table.begin() + at, table.begin() + at + r.bytes, bytes.begin());
        r.raw = decodeRecord(bytes);
        r.values = convertRecord(r.raw);
        out.push_back(r);
    }
    return out;
}

QString listTable(const std::vector<TableRecord>& records) {
    QStringList heading = {QStringLiteral("ระเบียน"), QStringLiteral("ปี"), QStringLiteral("เดือน")};
    heading += kTableCsvHeader.mid(2);
    std::vector<QStringList> rows;
    for (const TableRecord& r : records) {
        QStringList row = {QString::number(r.number), QString::number(r.values.year),
                           QString::number(r.values.month)};
        for (Single v : r.values.col) row << valueText(v);
        if (r.bytes < kRecordLength) {
            row << (r.counted ? QStringLiteral("(ส่วนท้าย %1 ไบต์ นับเป็นระเบียน)")
                              : QStringLiteral("(ส่วนท้าย %1 ไบต์ ไม่นับ โปรแกรมไม่อ่าน)"))
                       .arg(r.bytes);
        }
        rows.push_back(row);
    }
    // Numbers right-aligned under their headings; widths in character cells.
    std::vector<int> width(heading.size(), 0);
    for (int c = 0; c < heading.size(); ++c) width[c] = print::cellWidth(heading[c]);
    for (const QStringList& row : rows)
        for (int c = 0; c < heading.size(); ++c)
            width[c] = std::max(width[c], print::cellWidth(row[c]));
    const auto line = [&](const QStringList& cells) {
        QString out;
        for (int c = 0; c < cells.size(); ++c) {
            if (c) out += QLatin1Char(' ');
            if (c < heading.size())
                out += QString(width[c] - print::cellWidth(cells[c]), QLatin1Char(' '));
            out += cells[c];
        }
        return out + QLatin1Char('\n');
    };
    QString out = line(heading);
    for (const QStringList& row : rows) out += line(row);
    return out;
}

QString exportTable(const std::vector<TableRecord>& records) {
    QString out = kTableCsvHeader.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const TableRecord& r : records) {
        QStringList cells;
        for (const QString& f : r.raw.fields) cells << csvCell(fieldText(f));
        out += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

std::vector<TableFinding> checkTable(const QByteArray& table) {
    std::vector<TableFinding> found;
    const auto say = [&](Long record, const QString& text) { found.push_back({record, text}); };

    const qsizetype lineBreak =
        std::min(table.indexOf('\n') < 0 ? table.size() : table.indexOf('\n'),
                 table.indexOf('\r') < 0 ? table.size() : table.indexOf('\r'));
    if (lineBreak < table.size()) {
        say(0, QStringLiteral(
                   "แฟ้มมีตัวขึ้นบรรทัดใหม่ (ไบต์ที่ %1 นับจาก 1): น่าจะบันทึกจากโปรแกรมแก้ไขข้อความ "
                   "ระเบียนทุกระเบียนหลังบรรทัดแรกจึงเลื่อนตำแหน่ง และอ่านปี เดือน และดัชนีผิดโดยไม่มีคำเตือน "
                   "วิธีแก้: ลบตัวขึ้นบรรทัดออกทั้งหมด เช่น tr -d '\\r\\n' < KTABLE.DAT > KTABLE.NEW "
                   "แล้วตรวจ KTABLE.NEW ด้วยคำสั่งนี้อีกครั้งก่อนนำไปใช้แทน")
                   .arg(lineBreak + 1));
    }
    for (qsizetype i = 0; i < table.size(); ++i) {
        const uchar b = uchar(table[i]);
        if (decodeTis620(b) == QChar(0xFFFD)) {
            say(Long(i / kRecordLength) + 1,
                QStringLiteral("ไบต์ 0x%1 (ตำแหน่ง %2 ในระเบียน) ไม่อยู่ในรหัสอักษรไทย TIS-620")
                    .arg(b, 2, 16, QLatin1Char('0'))
                    .arg(i % kRecordLength + 1));
        }
    }

    std::map<std::pair<Long, Long>, Long> firstOfMonth;
    for (const TableRecord& r : tableRecords(table)) {
        if (r.bytes < kRecordLength) {
            say(r.number,
                r.counted ? QStringLiteral("ส่วนท้ายของแฟ้มมีเพียง %1 ไบต์ (ไม่ครบ 90) แต่นับเป็นระเบียน: "
                                           "ไบต์ที่ขาดอ่านเป็นรหัส 0 ช่องที่ขาดจึงอ่านได้ 0")
                                .arg(r.bytes)
                          : QStringLiteral("ส่วนท้ายของแฟ้มมีเพียง %1 ไบต์ (ไม่ครบ 90) และไม่นับเป็นระเบียน: "
                                           "โปรแกรมไม่อ่านส่วนนี้เลย")
                                .arg(r.bytes));
            if (!r.counted) continue;
        }
        for (int f = 0; f < kFieldCount; ++f) {
            if (f * kFieldLength >= r.bytes) break;  // not in the file at all
            const QString text = trimBlanks(r.raw.fields[f]).toString();
            if (!text.isEmpty() && !isPlainNumber(text)) {
                const QString name = kTableCsvHeader[f];
                const double read = leadingNumber(trimBlanks(r.raw.fields[f]));
                say(r.number,
                    QStringLiteral("ช่อง %1 \"%2\" ไม่ใช่ตัวเลขล้วน โปรแกรมอ่านได้เป็น %3")
                        .arg(name, fieldText(r.raw.fields[f]),
                             f < 2 ? QString::number(f == 0 ? r.values.year : r.values.month)
                                   : valueText(Single(read))));
            }
        }
        if (r.values.year == 0)
            say(r.number, QStringLiteral("ปีอ่านได้ 0: การค้นหาเดือนไม่มีวันพบระเบียนนี้"));
        if (r.values.month < 1 || r.values.month > 12) {
            say(r.number,
                QStringLiteral("เดือนอ่านได้ %1 ซึ่งไม่อยู่ระหว่าง 1 ถึง 12: การค้นหาเดือนไม่มีวันพบระเบียนนี้")
                    .arg(r.values.month));
        }
        const auto key = std::make_pair(r.values.year, r.values.month);
        if (r.values.year != 0) {
            const auto [it, first] = firstOfMonth.emplace(key, r.number);
            if (!first) {
                say(r.number, QStringLiteral("เดือน %1/%2 ซ้ำกับระเบียนที่ %3: การค้นหาใช้ระเบียนแรกเสมอ "
                                             "ระเบียนนี้จึงไม่มีวันถูกใช้")
                                  .arg(r.values.month)
                                  .arg(r.values.year)
                                  .arg(it->second));
            }
        }
        for (int c = 0; c < kIndexColumns; ++c) {
            const Single v = r.values.col[size_t(c)];
            const QString formulas = formulasUsing(IndexColumn(c));
            if (formulas.isEmpty()) continue;
            const QString name = kTableCsvHeader[2 + c];
            if (!std::isfinite(v)) {
                say(r.number, QStringLiteral("ค่า %1 ใหญ่เกินกว่าจะเป็นตัวเลขได้: สูตร %2 คำนวณไม่ได้")
                                  .arg(name, formulas));
            } else if (v == 0) {
                say(r.number,
                    QStringLiteral(
                        "ค่า %1 เป็น 0%2: สูตร %3 หารด้วยค่านี้ เดือนนี้จึงใช้เป็นเดือนเปิดซองของสูตรเหล่านี้ไม่ได้")
                        .arg(name,
                             fieldText(r.raw.fields[size_t(2 + c)]).isEmpty()
                                 ? QStringLiteral(" (ช่องว่าง)")
                                 : QString(),
                             formulas));
            } else if (v < 0) {
                say(r.number, QStringLiteral("ค่า %1 ติดลบ (%2): สูตร %3 หารด้วยค่านี้ได้ค่า K ที่ผิด")
                                  .arg(name, valueText(v), formulas));
            }
        }
    }
    return found;
}
