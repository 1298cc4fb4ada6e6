#include "tablecare/TableTools.h"

#include <QBuffer>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

#include "base/Cli.h"
#include "base/MonthNames.h"
#include "escalation/Formulas.h"
#include "escalation/PrintModel.h"
#include "indexdata/CsvImport.h"
#include "base/CsvText.h"
#include "base/SystemFiles.h"
#include "base/TextColumns.h"
#include "indexdata/TableFile.h"

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

bool forEachRecord(QIODevice& table, qint64 size, const RecordVisitor& each, QString* error) {
    const Long count = size == 0 ? 0 : recordCount(size);
    constexpr qint64 kBlock = qint64(kRecordLength) * 4096;
    QByteArray block;
    Long number = 0;
    for (qint64 at = 0; at < size; at += kBlock) {
        block = table.read(std::min(kBlock, size - at));
        if (block.size() != std::min(kBlock, size - at)) {
            if (error) *error = QStringLiteral("อ่านแฟ้มไม่ครบ: %1").arg(lastSystemReason());
            return false;
        }
        for (qsizetype in = 0; in < block.size(); in += kRecordLength) {
            TableRecord r;
            r.number = ++number;
            r.bytes = int(std::min<qsizetype>(kRecordLength, block.size() - in));
            r.counted = r.number <= count;
            RecordBytes bytes{};
            std::copy(block.begin() + in, block.begin() + in + r.bytes, bytes.begin());
            r.raw = decodeRecord(bytes);
            r.values = convertRecord(r.raw);
            each(r, QByteArrayView(block.constData() + in, r.bytes));
        }
    }
    return true;
}

std::vector<TableRecord> tableRecords(const QByteArray& table) {
    std::vector<TableRecord> out;
    QBuffer buffer;
    buffer.setData(table);
    buffer.open(QIODevice::ReadOnly);
    forEachRecord(buffer, table.size(), [&](const TableRecord& r, QByteArrayView) { out.push_back(r); },
                  nullptr);
    return out;
}

namespace {

QStringList listHeading() {
    QStringList heading = {QStringLiteral("ระเบียน"), QStringLiteral("ปี"), QStringLiteral("เดือน")};
    return heading + kTableCsvHeader.mid(2);
}

QStringList listRow(const TableRecord& r) {
    QStringList row = {QString::number(r.number), QString::number(r.values.year),
                       QString::number(r.values.month)};
    for (Single v : r.values.col) row << valueText(v);
    if (r.bytes < kRecordLength) {
        row << (r.counted ? QStringLiteral("(ส่วนท้าย %1 ไบต์ นับเป็นระเบียน)")
                          : QStringLiteral("(ส่วนท้าย %1 ไบต์ ไม่นับ โปรแกรมไม่อ่าน)"))
                   .arg(r.bytes);
    }
    return row;
}

}  // namespace

bool listTable(QIODevice& table, const std::function<void(const QString&)>& out,
               QString* error) {
    const QStringList heading = listHeading();
    // Numbers right-aligned under their headings; a part record's note runs on.
    TextColumns columns(heading, [](int) { return true; }, QStringLiteral(" "));
    const qint64 size = table.size();
    if (!forEachRecord(
            table, size, [&](const TableRecord& r, QByteArrayView) { columns.measure(listRow(r)); },
            error))
        return false;
    const auto line = [&](const QStringList& cells) { out(columns.line(cells) + QLatin1Char('\n')); };
    line(heading);
    if (!table.seek(0)) {
        if (error) *error = lastSystemReason();
        return false;
    }
    return forEachRecord(table, size, [&](const TableRecord& r, QByteArrayView) { line(listRow(r)); },
                         error);
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

QString indexValueFinding(IndexColumn column, Single v, bool blank) {
    const QString formulas = formulasUsing(column);
    if (formulas.isEmpty()) return QString();
    const QString name = kTableCsvHeader[2 + int(column)];
    if (!std::isfinite(v))
        return QStringLiteral("ค่า %1 ใหญ่เกินกว่าจะเป็นตัวเลขได้: สูตร %2 คำนวณไม่ได้").arg(name, formulas);
    if (v == 0) {
        return QStringLiteral(
                   "ค่า %1 เป็น 0%2: สูตร %3 หารด้วยค่านี้ เดือนนี้จึงใช้เป็นเดือนเปิดซองของสูตรเหล่านี้ไม่ได้")
            .arg(name, blank ? QStringLiteral(" (ช่องว่าง)") : QString(), formulas);
    }
    if (v < 0)
        return QStringLiteral("ค่า %1 ติดลบ (%2): สูตร %3 หารด้วยค่านี้ได้ค่า K ที่ผิด")
            .arg(name, valueText(v), formulas);
    return QString();
}

bool checkTable(QIODevice& table, const std::function<void(const TableFinding&)>& found,
                QString* error, const QString& name) {
    const auto say = [&](Long record, const QString& text) { found({record, QString(), text}); };

    // The first line break, for the file as a whole: said before the rest.
    const qint64 size = table.size();
    qint64 lineBreak = -1;
    if (!forEachRecord(
            table, size,
            [&](const TableRecord& r, QByteArrayView bytes) {
                if (lineBreak >= 0) return;
                for (qsizetype i = 0; i < bytes.size(); ++i) {
                    if (bytes[i] == '\n' || bytes[i] == '\r') {
                        lineBreak = qint64(r.number - 1) * kRecordLength + i;
                        return;
                    }
                }
            },
            error) ||
        !table.seek(0)) {
        if (error && error->isEmpty()) *error = lastSystemReason();
        return false;
    }
    if (lineBreak >= 0) {
        // The repair names the file checked, as a shell must read it.
        const QString path = name.isEmpty() ? kTableName : name;
        const QString repaired = path + QStringLiteral(".new");
        say(0, QStringLiteral(
                   "แฟ้มมีตัวขึ้นบรรทัดใหม่ (ไบต์ที่ %1 นับจาก 1): น่าจะบันทึกจากโปรแกรมแก้ไขข้อความ "
                   "ระเบียนทุกระเบียนหลังบรรทัดแรกจึงเลื่อนตำแหน่ง และอ่านปี เดือน และดัชนีผิดโดยไม่มีคำเตือน "
                   "วิธีแก้: ลบตัวขึ้นบรรทัดออกทั้งหมด เช่น tr -d '\\r\\n' < %2 > %3 "
                   "แล้วตรวจ %3 ด้วยคำสั่งนี้อีกครั้งก่อนนำไปใช้แทน")
                   .arg(QString::number(lineBreak + 1), cli::shellWord(path),
                        cli::shellWord(repaired)));
    }
    std::map<std::pair<Long, Long>, Long> firstOfMonth;
    // A record's findings name its month as the program reads it.
    const auto sayAbout = [&](const TableRecord& r, const QString& text) {
        found({r.number, monthSlashYear(r.values.month, r.values.year), text});
    };
    const auto checkRecord = [&](const TableRecord& r, QByteArrayView bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar b = uchar(bytes[i]);
            if (decodeTis620(b) == QChar(0xFFFD)) {
                sayAbout(r, QStringLiteral("ไบต์ 0x%1 (ตำแหน่ง %2 ในระเบียน) ไม่อยู่ในรหัสอักษรไทย TIS-620")
                                  .arg(b, 2, 16, QLatin1Char('0'))
                                  .arg(i + 1));
            }
        }
        if (r.bytes < kRecordLength) {
            sayAbout(r,
                r.counted ? QStringLiteral("ส่วนท้ายของแฟ้มมีเพียง %1 ไบต์ (ไม่ครบ 90) แต่นับเป็นระเบียน: "
                                           "ไบต์ที่ขาดอ่านเป็นรหัส 0 ช่องที่ขาดจึงอ่านได้ 0")
                                .arg(r.bytes)
                          : QStringLiteral("ส่วนท้ายของแฟ้มมีเพียง %1 ไบต์ (ไม่ครบ 90) และไม่นับเป็นระเบียน: "
                                           "โปรแกรมไม่อ่านส่วนนี้เลย")
                                .arg(r.bytes));
            if (!r.counted) return;
        }
        for (int f = 0; f < kFieldCount; ++f) {
            if (f * kFieldLength >= r.bytes) break;  // not in the file at all
            const QString text = trimBlanks(r.raw.fields[f]).toString();
            if (!text.isEmpty() && !isPlainNumber(text)) {
                const QString name = kTableCsvHeader[f];
                const double read = leadingNumber(trimBlanks(r.raw.fields[f]));
                sayAbout(r,
                    QStringLiteral("ช่อง %1 \"%2\" ไม่ใช่ตัวเลขล้วน โปรแกรมอ่านได้เป็น %3")
                        .arg(name, fieldText(r.raw.fields[f]),
                             f < 2 ? QString::number(f == 0 ? r.values.year : r.values.month)
                                   : valueText(Single(read))));
            }
        }
        if (r.values.year == 0)
            sayAbout(r, QStringLiteral("ปีอ่านได้ 0: การค้นหาเดือนไม่มีวันพบระเบียนนี้"));
        if (r.values.month < 1 || r.values.month > 12) {
            sayAbout(r,
                QStringLiteral("เดือนอ่านได้ %1 ซึ่งไม่อยู่ระหว่าง 1 ถึง 12: การค้นหาเดือนไม่มีวันพบระเบียนนี้")
                    .arg(r.values.month));
        }
        const auto key = std::make_pair(r.values.year, r.values.month);
        if (r.values.year != 0) {
            const auto [it, first] = firstOfMonth.emplace(key, r.number);
            if (!first) {
                sayAbout(r, QStringLiteral("เดือน %1/%2 ซ้ำกับระเบียนที่ %3: การค้นหาใช้ระเบียนแรกเสมอ "
                                             "ระเบียนนี้จึงไม่มีวันถูกใช้")
                                  .arg(r.values.month)
                                  .arg(r.values.year)
                                  .arg(it->second));
            }
        }
        for (int c = 0; c < kIndexColumns; ++c) {
            const QString text = indexValueFinding(IndexColumn(c), r.values.col[size_t(c)],
                                                   fieldText(r.raw.fields[size_t(2 + c)]).isEmpty());
            if (!text.isEmpty()) sayAbout(r, text);
        }
    };
    return forEachRecord(table, size, checkRecord, error);
}

std::vector<TableFinding> checkTable(const QByteArray& table) {
    std::vector<TableFinding> found;
    QBuffer buffer;
    buffer.setData(table);
    buffer.open(QIODevice::ReadOnly);
    checkTable(buffer, [&](const TableFinding& f) { found.push_back(f); }, nullptr);
    return found;
}

namespace {

QString monthText(const RecordKey& k) { return monthSlashYear(k.month, k.year); }

RecordKey keyAt(const QByteArray& table, qsizetype record) {
    return recordKey(reinterpret_cast<const unsigned char*>(table.constData()) + record * kRecordLength);
}

// The months of whole records, as the search matches them: year and month.
std::vector<RecordKey> recordKeys(const QByteArray& table) {
    std::vector<RecordKey> keys;
    for (qsizetype r = 0; (r + 1) * kRecordLength <= table.size(); ++r) keys.push_back(keyAt(table, r));
    return keys;
}

bool sameMonth(const RecordKey& a, const RecordKey& b) {
    return a.year == b.year && a.month == b.month;
}

// A whole record's fields as the table's code page gives them, and its values.
TableRecord wholeRecord(QByteArrayView bytes) {
    RecordBytes raw{};
    std::copy(bytes.begin(), bytes.begin() + kRecordLength, raw.begin());
    TableRecord r;
    r.bytes = kRecordLength;
    r.raw = decodeRecord(raw);
    r.values = convertRecord(r.raw);
    return r;
}

// How the index fields of a record written anew differ from the record as
// it was, in field order: "M 228.4 → 229.0, S (ว่าง) → 226.3" where a value
// reads differently (a blank, a value not published, differs from 0),
// "M 228.4 → 228.40 (ค่าเท่าเดิม)" where it is only written differently.
struct FieldChanges {
    bool changed = false;  // whether any value reads differently
    QStringList parts, written;  // written: the parts without their note
};
FieldChanges changes(QByteArrayView before, QByteArrayView after) {
    const TableRecord old = wholeRecord(before), next = wholeRecord(after);
    FieldChanges out;
    for (int c = 0; c < kIndexColumns; ++c) {
        const QString was = fieldText(old.raw.fields[size_t(2 + c)]),
                      now = fieldText(next.raw.fields[size_t(2 + c)]);
        if (was == now) continue;
        const auto shown = [](const QString& t) { return t.isEmpty() ? QStringLiteral("(ว่าง)") : t; };
        const bool same = !was.isEmpty() && !now.isEmpty() &&
                          old.values.col[size_t(c)] == next.values.col[size_t(c)];
        out.changed = out.changed || !same;
        out.written << QStringLiteral("%1 %2 → %3").arg(kTableCsvHeader[2 + c], shown(was), shown(now));
        out.parts << out.written.back() + (same ? QStringLiteral(" (ค่าเท่าเดิม)") : QString());
    }
    return out;
}

}  // namespace

QStringList monthsLost(const QByteArray& table, const QByteArray& replacement) {
    const std::vector<RecordKey> kept = recordKeys(replacement);
    QStringList lost;
    for (const RecordKey& k : recordKeys(table)) {
        const auto keeps = [&](const RecordKey& o) { return sameMonth(o, k); };
        if (k.year != 0 && std::none_of(kept.begin(), kept.end(), keeps) &&
            !lost.contains(monthText(k)))
            lost << monthText(k);
    }
    return lost;
}

TableMerge mergeTable(const QByteArray& table, const QByteArray& records) {
    TableMerge m;
    if (table.size() % kRecordLength != 0) {
        m.error = QStringLiteral("แฟ้มมีส่วนท้าย %1 ไบต์ที่ไม่ครบระเบียน (ระเบียนละ 90 ไบต์) "
                                 "ระเบียนที่เพิ่มต่อท้ายจะเลื่อนตำแหน่งจนอ่านผิด จึงไม่รวมอะไรเลย: "
                                 "ตรวจแฟ้มด้วย tarvon-table check ก่อน")
                      .arg(table.size() % kRecordLength);
        return m;
    }
    m.table = table;
    const std::vector<RecordKey> keys = recordKeys(table);
    std::vector<RecordKey> merged;
    for (qsizetype r = 0; (r + 1) * kRecordLength <= records.size(); ++r) {
        const RecordKey key = keyAt(records, r);
        const QByteArray record = records.mid(r * kRecordLength, kRecordLength);
        const auto same = [&](const RecordKey& k) { return sameMonth(k, key); };
        if (std::any_of(merged.begin(), merged.end(), same)) {
            m.error = QStringLiteral("เดือน %1 มีมากกว่าหนึ่งแถวใน CSV: ไม่รู้ว่าจะใช้แถวใด จึงไม่รวมอะไรเลย")
                          .arg(monthText(key));
            return m;
        }
        merged.push_back(key);
        const auto first = std::find_if(keys.begin(), keys.end(), same);
        if (first == keys.end()) {
            m.table += record;
            ++m.added;
            m.report << QStringLiteral("เพิ่มเดือน %1 เป็นระเบียนที่ %2")
                            .arg(monthText(key))
                            .arg(m.table.size() / kRecordLength);
            continue;
        }
        const qsizetype at = first - keys.begin();
        const QByteArray old = m.table.mid(at * kRecordLength, kRecordLength);
        const FieldChanges change = changes(old, record);
        if (!change.changed) {
            // Read as before, the table keeps its bytes: only what the
            // program reads differently is a correction.
            m.report << QStringLiteral("เดือน %1 (ระเบียนที่ %2): ค่าเหมือนเดิม ไม่ได้แก้%3")
                            .arg(monthText(key))
                            .arg(at + 1)
                            .arg(change.written.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" (เขียนต่างกันแต่อ่านได้ค่าเดียวกัน: %1)")
                                           .arg(change.written.join(QStringLiteral(", "))));
        } else {
            // The year and month stay as they stand: the month is the same.
            const qsizetype values = at * kRecordLength + 2 * kFieldLength;
            m.table.replace(values, kRecordLength - 2 * kFieldLength, record.mid(2 * kFieldLength));
            ++m.corrected;
            m.report << QStringLiteral("แก้เดือน %1 (ระเบียนที่ %2): %3")
                            .arg(monthText(key))
                            .arg(at + 1)
                            .arg(change.parts.join(QStringLiteral(", ")));
        }
        for (auto later = std::find_if(first + 1, keys.end(), same); later != keys.end();
             later = std::find_if(later + 1, keys.end(), same)) {
            m.report << QStringLiteral("ระเบียนที่ %1 ก็เป็นเดือน %2 แต่การค้นหาใช้ระเบียนแรกเสมอ "
                                       "ระเบียนนี้จึงไม่เคยถูกใช้และไม่ได้แก้")
                            .arg(later - keys.begin() + 1)
                            .arg(monthText(key));
        }
    }
    return m;
}
