#include "tablecare/TableEditor.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <map>

#include "tablecare/TableTools.h"
#include "tablecare/TableUpdate.h"
#include "base/MonthNames.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "base/ThaiCodePage.h"
#include "indexdata/CsvImport.h"

namespace {

// The file's bytes; nullopt with the reason when it cannot be read.
std::optional<QByteArray> readAll(const QString& path, QString* error) {
    QFile f;
    if (!QFile::exists(path)) return QByteArray();
    if (!openRegularFile(f, path, error)) return std::nullopt;
    return f.readAll();
}

// One record from year, month and the 13 values, checked as import checks
// a row; empty with the reason when import would refuse it.
QByteArray buildRecord(Long year, Long month, const QStringList& values, QString* error) {
    if (values.size() != kIndexColumns) {
        *error = QStringLiteral("ต้องมีค่าดัชนี %1 ค่า แต่พบ %2 ค่า").arg(kIndexColumns).arg(values.size());
        return {};
    }
    // The rule import applies to a row, said by the value's own name.
    for (int c = 0; c < kIndexColumns; ++c) {
        if (const QString problem = indexValueProblem(values[c].trimmed()); !problem.isEmpty()) {
            *error = QStringLiteral("ค่า %1 %2").arg(kTableCsvHeader[2 + c], problem);
            return {};
        }
    }
    const CsvImport r = importIndexCsv(
        (QStringList{QString::number(year), QString::number(month)} + values).join(QLatin1Char(',')));
    if (!r.ok) {
        *error = r.error;
        return {};
    }
    return r.table;
}

}  // namespace

TableEditor::~TableEditor() {
    if (lock_ >= 0) ::close(lock_);  // closing the lock file releases the lock
}

bool TableEditor::open(const QString& path, QString* error) {
    const QByteArray lockName = QFile::encodeName(path + QStringLiteral(".lock"));
    const int lock = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock < 0) {
        *error = QStringLiteral("ล็อกแฟ้ม %1 ไม่ได้: %2").arg(path, lastSystemReason());
        return false;
    }
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        *error = QStringLiteral("หน้าต่างหรือโปรแกรมอื่นกำลังแก้ตาราง %1 อยู่: ปิดที่นั่นก่อนแล้วจึงเปิดที่นี่")
                     .arg(path);
        return false;
    }
    const std::optional<QByteArray> bytes = readAll(path, error);
    if (bytes && bytes->size() % kRecordLength != 0) {
        *error = QStringLiteral("แฟ้ม %1 มีส่วนท้าย %2 ไบต์ที่ไม่ครบระเบียน: ตรวจด้วย tarvon-table check ก่อน")
                     .arg(path)
                     .arg(bytes->size() % kRecordLength);
    }
    if (!bytes || bytes->size() % kRecordLength != 0) {
        ::close(lock);
        return false;
    }
    if (lock_ >= 0) ::close(lock_);
    lock_ = lock;
    path_ = path;
    onDisk_ = *bytes;
    records_.clear();
    for (qsizetype at = 0; at < bytes->size(); at += kRecordLength)
        records_.push_back(bytes->mid(at, kRecordLength));
    saved_ = records_;
    undo_.clear();
    return true;
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

std::optional<QStringList> TableEditor::splitRow(const QString& text, QString* error) {
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
    if (cells.size() == kFieldCount) cells = cells.mid(2);
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
    for (const Row& r : rows()) {
        if (r.year == year && r.month == month) {
            *error = QStringLiteral("ตารางมีเดือน %1 อยู่แล้ว (ระเบียนที่ %2): แก้เดือนนั้นแทนการเพิ่ม")
                         .arg(monthSlashYear(month, year))
                         .arg(r.record + 1);
            return false;
        }
    }
    const QByteArray record = buildRecord(year, month, values, error);
    if (record.isEmpty()) return false;
    std::vector<QByteArray> next = records_;
    next.push_back(record);
    return replaceRecords(std::move(next));
}

bool TableEditor::correct(int record, const QStringList& values, QString* error) {
    if (record < 0 || record >= records()) return false;
    const RecordKey key =
        recordKey(reinterpret_cast<const unsigned char*>(records_[size_t(record)].constData()));
    const QByteArray rebuilt = buildRecord(key.year, key.month, values, error);
    if (rebuilt.isEmpty()) return false;
    std::vector<QByteArray> next = records_;
    // The year and month stay as they stand in the record.
    next[size_t(record)] = records_[size_t(record)].left(2 * kFieldLength) + rebuilt.mid(2 * kFieldLength);
    return replaceRecords(std::move(next));
}

bool TableEditor::removeDuplicate(int record, QString* error) {
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
    const std::optional<QByteArray> now = readAll(path_, &ignored);
    return !now || *now != onDisk_;
}

bool TableEditor::save(QString* error, bool overwrite) {
    QString why;
    const std::optional<QByteArray> now = readAll(path_, &why);
    if (!overwrite && (!now || *now != onDisk_)) {
        *error = QStringLiteral("แฟ้ม %1 ถูกเปลี่ยนจากที่อื่นหลังจากเปิดตารางนี้: ถ้าบันทึก สิ่งที่เปลี่ยนที่นั่นจะหายไป")
                     .arg(path_);
        return false;
    }
    const QByteArray table = bytes();
    if (!saveTable(path_, now.value_or(QByteArray()), table, error)) return false;
    onDisk_ = table;
    saved_ = records_;
    return true;
}
