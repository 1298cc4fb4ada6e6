#include "tablecare/TableUpdate.h"

#include <QFileInfo>
#include <functional>

#include "base/Cli.h"
#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "indexdata/CsvImport.h"
#include "tablecare/TableLock.h"
#include "tablecare/TableTools.h"

namespace {

using Status = TableUpdate::Status;

// `u` (what is known so far, such as the CSV's encoding) refused.
TableUpdate failed(Status status, const QString& error, TableUpdate u = {}) {
    u.status = status;
    u.error = error;
    return u;
}

// The CSV's records, checked row by row; nullopt with the refusal in `u`.
// An index written as 0 or below is let through with a warning naming its
// row (a blank, a value not published, is not warned of).
std::optional<CsvImport> readIndexCsv(const QString& csvPath, TableUpdate* u) {
    QString error;
    const auto bytes = readRegularFile(csvPath, &error);
    if (!bytes) {
        *u = failed(Status::Unreadable, error);
        return std::nullopt;
    }
    const CsvText text = decodeCsvBytes(*bytes);
    if (const QString note = csvEncodingNote(text); !note.isEmpty())
        u->note = csvPath + QStringLiteral(": ") + note;
    CsvImport result = importIndexCsv(text);
    if (!result.ok) {
        // A file saved as UTF-16 cannot be read at all.
        *u = failed(text.refusal.isEmpty() ? Status::Refused : Status::Unreadable,
                    csvPath + QStringLiteral(": ") + result.error, *u);
        return std::nullopt;
    }
    const std::vector<TableRecord> records = tableRecords(result.table);
    for (size_t r = 0; r < records.size(); ++r) {
        for (int c = 0; c < kIndexColumns; ++c) {
            const Single v = records[r].values.col[size_t(c)];
            if (v > 0 || trimBlanks(records[r].raw.fields[size_t(2 + c)]).isEmpty()) continue;
            if (const QString text = indexValueFinding(IndexColumn(c), v, false); !text.isEmpty())
                u->warnings << QStringLiteral("%1 แถวที่ %2: %3").arg(csvPath).arg(result.lines[r]).arg(text);
        }
    }
    return result;
}

// What a command does to the table, given the table as it is: the table
// it is to become, or nullopt with the refusal put into the update.
using Change = std::function<std::optional<QByteArray>(const QByteArray& table, TableUpdate* u)>;

// A command's change of the table at `tablePath`, as `holder`: under the
// table's lock, from reading it to putting the new one in place. Nothing
// is made beside a path that cannot be written (no lock file, no backup).
TableUpdate changeTable(const QString& tablePath, TableLock::Holder holder, TableUpdate u,
                        const Change& change) {
    if (const QString why = replaceRefusal(tablePath); !why.isEmpty())
        return failed(Status::Refused, QStringLiteral("เขียนแฟ้ม %1 ไม่ได้: %2").arg(tablePath, why), u);
    QString error;
    TableLock lock;
    switch (lock.take(tablePath, holder, TableLock::kCommandWaitMs, &error)) {
        case TableLock::Result::Taken:
            break;
        case TableLock::Result::Held:
            return failed(Status::Refused,
                          error + QStringLiteral(": รอแล้ว %1 วินาทีก็ยังไม่เสร็จ จึงไม่ได้เขียนอะไรเลย "
                                                 "ปิดหน้าต่างนั้นหรือรอให้คำสั่งนั้นเสร็จก่อน แล้วสั่งใหม่")
                                      .arg(TableLock::kCommandWaitMs / 1000),
                          u);
        case TableLock::Result::Unlockable:
            return failed(Status::Refused, error + QStringLiteral(" จึงไม่ได้เขียนอะไรเลย"), u);
    }
    const std::optional<TableRead> before = readTable(tablePath, &error);
    if (!before) return failed(Status::Unreadable, error, u);
    const std::optional<QByteArray> next = change(before->bytes, &u);
    if (!next) return u;
    const Saved saved = saveTable(tablePath, *before, *next, &error);
    if (saved == Saved::Failed) return failed(Status::Refused, error, u);
    u.written = saved == Saved::Written;
    u.backedUp = u.written && !before->bytes.isEmpty();
    return u;
}

}  // namespace

QString backupPath(const QString& table) { return tableRealPath(table) + QStringLiteral(".bak"); }

QString tableOverwritesInput(const QString& table, const QStringList& inputs) {
    if (const QString same = outputIsInput(table, inputs); !same.isEmpty()) return same;
    return outputIsInput(backupPath(table), inputs);
}

std::optional<TableRead> readTable(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) return TableRead{QByteArray(), identityAt(path)};
    TableRead read;
    std::optional<QByteArray> bytes = readRegularFile(path, error, &read.seen);
    if (!bytes) return std::nullopt;
    read.bytes = std::move(*bytes);
    return read;
}

Saved saveTable(const QString& path, const TableRead& before, const QByteArray& next,
                QString* error) {
    if (before.seen.exists && next == before.bytes) return Saved::Unchanged;
    FileReplacement table(path);
    if (!table.begin(error)) return Saved::Failed;  // not a regular file: no backup either
    table.expect(before.seen);
    // Checked before the backup too: the backup is the table that was read.
    if (!table.check(error)) return Saved::Failed;
    if (!before.bytes.isEmpty() && !replaceFile(backupPath(path), before.bytes, error)) {
        if (error) *error += QStringLiteral(" จึงไม่ได้แก้ ") + path;
        return Saved::Failed;
    }
    table.write(next.constData(), size_t(next.size()));
    return table.commit(error) ? Saved::Written : Saved::Failed;
}

TableUpdate importTable(const QString& csvPath, const QString& tablePath, bool replace) {
    if (const QString same = tableOverwritesInput(tablePath, {csvPath}); !same.isEmpty())
        return failed(Status::Unreadable, same);
    TableUpdate u;
    const std::optional<CsvImport> csv = readIndexCsv(csvPath, &u);
    if (!csv) return u;
    u.records = csv->records;
    return changeTable(tablePath, TableLock::Holder::Import, u,
                       [&](const QByteArray& old, TableUpdate* u) -> std::optional<QByteArray> {
        if (const QStringList lost = monthsLost(old, csv->table); !replace && !lost.isEmpty()) {
            const QString merge = QStringLiteral("tarvon-table merge %1 %2")
                                      .arg(cli::shellWord(csvPath), cli::shellWord(tablePath));
            *u = failed(
                Status::Refused,
                QStringLiteral("%1 มีข้อมูลดัชนีราคา %2 เดือนที่ไม่มีใน %3 (%4) ถ้านำเข้า เดือนเหล่านั้นจะหายไป "
                               "จึงไม่เขียนอะไรเลย: เพิ่มหรือแก้เดือนด้วย %5 "
                               "หรือถ้าต้องการแทนทั้งแฟ้มจริง ๆ ให้สั่ง import ซ้ำพร้อม --replace")
                    .arg(tablePath, QString::number(lost.size()), csvPath,
                         lost.mid(0, 6).join(QStringLiteral(", ")) +
                             (lost.size() > 6 ? QStringLiteral(", ...") : QString()),
                         merge),
                *u);
            return std::nullopt;
        }
        return csv->table;
    });
}

TableUpdate mergeIntoTable(const QString& csvPath, const QString& tablePath) {
    if (const QString same = tableOverwritesInput(tablePath, {csvPath}); !same.isEmpty())
        return failed(Status::Unreadable, same);
    TableUpdate u;
    const std::optional<CsvImport> csv = readIndexCsv(csvPath, &u);
    if (!csv) return u;
    return changeTable(tablePath, TableLock::Holder::Merge, u,
                       [&](const QByteArray& old, TableUpdate* u) -> std::optional<QByteArray> {
        TableMerge m = mergeTable(old, csv->table);
        if (!m.error.isEmpty()) {
            *u = failed(Status::Refused, tablePath + QStringLiteral(": ") + m.error, *u);
            return std::nullopt;
        }
        u->report = m.report;
        u->added = m.added;
        u->corrected = m.corrected;
        return std::move(m.table);
    });
}
