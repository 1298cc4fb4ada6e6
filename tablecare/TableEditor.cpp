#include "tablecare/TableEditor.h"

#include <unistd.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <map>

#include "base/MonthNames.h"
#include "base/SystemFiles.h"
#include "base/ThaiCodePage.h"
#include "indexdata/CsvImport.h"
#include "tablecare/TableTools.h"
#include "tablecare/TableUpdate.h"

namespace {

// The 13 index fields of a record from the values, checked as import
// checks a row's values; empty with the reason when import would refuse
// one of them.
QByteArray indexFields(const QStringList& values, QString* error) {
    if (values.size() != kIndexColumns) {
        *error = QStringLiteral("ต้องมีค่าดัชนี %1 ค่า แต่พบ %2 ค่า").arg(kIndexColumns).arg(values.size());
        return {};
    }
    QByteArray fields;
    for (int c = 0; c < kIndexColumns; ++c) {
        const QString v = values[c].trimmed();
        // The rule import applies to a row, said by the value's own name.
        if (const QString problem = indexValueProblem(v); !problem.isEmpty()) {
            *error = QStringLiteral("ค่า %1 %2").arg(kTableCsvHeader[2 + c], problem);
            return {};
        }
        fields += v.rightJustified(kFieldLength, QLatin1Char(' ')).toLatin1();
    }
    return fields;
}

QByteArray monthFields(Long year, Long month) {
    return QByteArray::number(year).rightJustified(kFieldLength, ' ') +
           QByteArray::number(month).rightJustified(kFieldLength, ' ');
}

}  // namespace

bool TableEditor::open(const QString& path, QString* error) {
    TableLock lock;
    QString why;
    QString readOnly;
    // A place that cannot be written can still be looked at.
    const QString folder = QFileInfo(tableRealPath(path)).absolutePath();
    if (::access(QFile::encodeName(folder).constData(), W_OK) != 0) {
        readOnly = QStringLiteral("เขียนโฟลเดอร์ %1 ไม่ได้ (%2)").arg(folder, lastSystemReason());
    } else {
        switch (lock.take(path, TableLock::Holder::Window, 0, &why)) {
            case TableLock::Result::Taken:
                break;
            case TableLock::Result::Held:
                *error = why + QStringLiteral(": ปิดหน้าต่างนั้นหรือรอให้คำสั่งนั้นเสร็จก่อน แล้วจึงเปิดที่นี่");
                return false;
            case TableLock::Result::Unlockable:
                readOnly = why;
                break;
        }
    }
    const std::optional<TableRead> read = readTable(path, error);
    if (!read) return false;
    if (read->bytes.size() % kRecordLength != 0) {
        *error = QStringLiteral("แฟ้ม %1 มีส่วนท้าย %2 ไบต์ที่ไม่ครบระเบียน: ตรวจด้วย tarvon-table check ก่อน")
                     .arg(path)
                     .arg(read->bytes.size() % kRecordLength);
        return false;
    }
    lock_ = std::move(lock);
    readOnly_ = readOnly.isEmpty() ? QString()
                                   : QStringLiteral("เปิดตาราง %1 แบบอ่านอย่างเดียว: %2 "
                                                    "จึงเพิ่ม แก้ หรือบันทึกตารางนี้ไม่ได้")
                                         .arg(path, readOnly);
    path_ = path;
    onDisk_ = read->bytes;
    records_.clear();
    for (qsizetype at = 0; at < onDisk_.size(); at += kRecordLength)
        records_.push_back(onDisk_.mid(at, kRecordLength));
    saved_ = records_;
    undo_.clear();
    return true;
}

bool TableEditor::changeable(QString* error) const {
    if (readOnly_.isEmpty()) return true;
    *error = readOnly_;
    return false;
}

std::vector<TableEditor::Row> TableEditor::rows() const {
    const QByteArray table = bytes();
    std::map<Long, QStringList> findings;
    for (const TableFinding& f : checkTable(table))
        if (f.record) findings[f.record - 1] << f.text;
    std::vector<Row> rows;
    for (const TableRecord& r : tableRecords(table)) {
        Row row;
        row.record = int(r.number - 1);
        row.year = r.values.year;
        row.month = r.values.month;
        row.values = r.values;
        for (const QString& f : r.raw.fields) row.fields << f.trimmed();
        row.findings = findings[row.record];
        rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return std::pair(a.year, a.month) < std::pair(b.year, b.month);
    });
    return rows;
}

std::pair<Long, Long> TableEditor::nextMonth() const {
    // The latest real month, by year and month read as the search reads them.
    Long year = 0, month = 0;
    for (const QByteArray& record : records_) {
        const RecordKey k = recordKey(reinterpret_cast<const unsigned char*>(record.constData()));
        if (k.month >= 1 && k.month <= 12 && k.year > 0 && std::pair(k.year, k.month) > std::pair(year, month))
            std::tie(year, month) = std::pair(k.year, k.month);
    }
    if (year == 0) return {2548, 1};
    return month == 12 ? std::pair(year + 1, Long(1)) : std::pair(year, month + 1);
}

namespace {
QStringList rowCells(const QString& text) {
    const QString t = withArabicDigits(text);
    // A cell left empty between two tabs is a value not published.
    const bool tabs = t.contains(QLatin1Char('\t'));
    QStringList cells = tabs ? t.split(QLatin1Char('\t'))
                             : t.split(QRegularExpression(QStringLiteral("[,;\\s]+")),
                                       Qt::SkipEmptyParts);
    for (QString& c : cells) c = c.trimmed();
    // A row copied with a cell too many at its end (a trailing tab).
    while (tabs && cells.size() > kIndexColumns && cells.size() != kFieldCount &&
           cells.back().isEmpty())
        cells.removeLast();
    return cells;
}
}  // namespace

bool TableEditor::isRow(const QString& text) { return rowCells(text).size() > 1; }

std::optional<QStringList> TableEditor::splitRow(const QString& text, Long year, Long month,
                                                 QString* error) {
    QStringList cells = rowCells(text);
    if (cells.size() == kFieldCount) {
        // A row that says its month says which month it is for.
        const QString problem = monthYearProblem(cells[0], cells[1]);
        const Long y = Long(leadingNumber(cells[0])), m = Long(leadingNumber(cells[1]));
        if (!problem.isEmpty() || y != year || m != month) {
            *error = QStringLiteral("แถวที่วางขึ้นต้นด้วยเดือน %1/%2 ไม่ใช่เดือน %3 ที่กำลังป้อน "
                                    "จึงไม่ได้ใช้แถวนี้: คัดลอกแถวของเดือน %3 มาแทน")
                         .arg(cells[1], cells[0], monthSlashYear(month, year));
            return std::nullopt;
        }
        cells = cells.mid(2);
    }
    if (cells.size() != kIndexColumns) {
        *error = QStringLiteral("ต้องมีค่าดัชนี %1 ค่า (M S C G I F A E GIP AC PVC W PE) "
                                "หรือปี เดือน แล้วตามด้วย 13 ค่า แต่พบ %2 ค่า")
                     .arg(kIndexColumns)
                     .arg(cells.size());
        return std::nullopt;
    }
    return cells;
}

bool TableEditor::replaceRecords(std::vector<QByteArray> records) {
    undo_.push_back(records_);
    records_ = std::move(records);
    return true;
}

bool TableEditor::addMonth(Long year, Long month, const QStringList& values, QString* error) {
    if (!changeable(error)) return false;
    if (const QString problem = monthYearProblem(QString::number(year), QString::number(month));
        !problem.isEmpty()) {
        *error = problem;
        return false;
    }
    for (const Row& r : rows()) {
        if (r.year == year && r.month == month) {
            *error = QStringLiteral("ตารางมีเดือน %1 อยู่แล้ว (ระเบียนที่ %2): แก้เดือนนั้นแทนการเพิ่ม")
                         .arg(monthSlashYear(month, year))
                         .arg(r.record + 1);
            return false;
        }
    }
    const QByteArray fields = indexFields(values, error);
    if (fields.isEmpty()) return false;
    std::vector<QByteArray> next = records_;
    next.push_back(monthFields(year, month) + fields);
    return replaceRecords(std::move(next));
}

bool TableEditor::correct(int record, const QStringList& values, QString* error) {
    if (record < 0 || record >= records() || !changeable(error)) return false;
    const QByteArray fields = indexFields(values, error);
    if (fields.isEmpty()) return false;
    std::vector<QByteArray> next = records_;
    // The year and month stay as they stand in the record.
    next[size_t(record)] = records_[size_t(record)].left(2 * kFieldLength) + fields;
    return replaceRecords(std::move(next));
}

bool TableEditor::removeDuplicate(int record, QString* error) {
    if (!changeable(error)) return false;
    const std::vector<Row> all = rows();
    const auto it = std::find_if(all.begin(), all.end(), [&](const Row& r) { return r.record == record; });
    if (it == all.end()) return false;
    const bool earlier = std::any_of(all.begin(), all.end(), [&](const Row& r) {
        return r.record < record && r.year == it->year && r.month == it->month;
    });
    if (!earlier) {
        *error = QStringLiteral("ระเบียนที่ %1 เป็นระเบียนที่การค้นหาใช้สำหรับเดือน %2: ลบได้เฉพาะระเบียนซ้ำที่ไม่เคยถูกใช้")
                     .arg(record + 1)
                     .arg(monthSlashYear(it->month, it->year));
        return false;
    }
    std::vector<QByteArray> next = records_;
    next.erase(next.begin() + record);
    return replaceRecords(std::move(next));
}

bool TableEditor::undo() {
    if (undo_.empty()) return false;
    records_ = std::move(undo_.back());
    undo_.pop_back();
    return true;
}

QByteArray TableEditor::bytes() const {
    QByteArray all;
    all.reserve(qsizetype(records_.size()) * kRecordLength);
    for (const QByteArray& r : records_) all += r;
    return all;
}

bool TableEditor::changedOnDisk() const {
    QString ignored;
    const std::optional<TableRead> now = readTable(path_, &ignored);
    return !now || now->bytes != onDisk_;
}

bool TableEditor::save(QString* error, bool overwrite) {
    if (!changeable(error)) return false;
    QString why;
    const std::optional<TableRead> now = readTable(path_, &why);
    if (!overwrite && (!now || now->bytes != onDisk_)) {
        *error = QStringLiteral("แฟ้ม %1 ถูกเปลี่ยนจากที่อื่นหลังจากเปิดตารางนี้: ถ้าบันทึก สิ่งที่เปลี่ยนที่นั่นจะหายไป")
                     .arg(path_);
        return false;
    }
    if (!now) {
        *error = why;
        return false;
    }
    const QByteArray table = bytes();
    const Saved saved = saveTable(path_, *now, table, error);
    if (saved == Saved::Failed) return false;
    wrote_ = saved == Saved::Written;
    onDisk_ = table;
    saved_ = records_;
    return true;
}
