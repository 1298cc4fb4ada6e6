#include "tablecare/TableUpdate.h"

#include <QFileInfo>
#include <optional>

#include "base/Cli.h"
#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "indexdata/CsvImport.h"
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
    return result;
}

// The table as it stands: empty when there is none yet (or when what is
// there is no file, which writing it then refuses).
std::optional<QByteArray> currentTable(const QString& path, TableUpdate* u) {
    if (!QFileInfo(path).isFile()) return QByteArray();
    QString error;
    auto bytes = readRegularFile(path, &error);
    if (!bytes) *u = failed(Status::Unreadable, error, *u);
    return bytes;
}

}  // namespace

QString backupPath(const QString& table) { return table + QStringLiteral(".bak"); }

bool saveTable(const QString& path, const QByteArray& before, const QByteArray& next,
               QString* error) {
    if (!before.isEmpty() && !replaceFile(backupPath(path), before, error)) {
        if (error) *error += QStringLiteral(" จึงไม่ได้แก้ ") + path;
        return false;
    }
    return replaceFile(path, next, error);
}

TableUpdate importTable(const QString& csvPath, const QString& tablePath, bool replace) {
    if (const QString same = outputIsInput(tablePath, {csvPath}); !same.isEmpty())
        return failed(Status::Unreadable, same);
    TableUpdate u;
    const std::optional<CsvImport> csv = readIndexCsv(csvPath, &u);
    if (!csv) return u;
    if (!replace) {
        const std::optional<QByteArray> old = currentTable(tablePath, &u);
        if (!old) return u;
        if (const QStringList lost = monthsLost(*old, csv->table); !lost.isEmpty()) {
            const QString merge = QStringLiteral("tarvon-table merge %1 %2")
                                      .arg(cli::shellWord(csvPath), cli::shellWord(tablePath));
            return failed(
                Status::Refused,
                QStringLiteral("%1 มีข้อมูลดัชนีราคา %2 เดือนที่ไม่มีใน %3 (%4) ถ้านำเข้า เดือนเหล่านั้นจะหายไป "
                               "จึงไม่เขียนอะไรเลย: เพิ่มหรือแก้เดือนด้วย %5 "
                               "หรือถ้าต้องการแทนทั้งแฟ้มจริง ๆ ให้สั่ง import ซ้ำพร้อม --replace")
                    .arg(tablePath, QString::number(lost.size()), csvPath,
                         lost.mid(0, 6).join(QStringLiteral(", ")) +
                             (lost.size() > 6 ? QStringLiteral(", ...") : QString()),
                         merge),
                u);
        }
    }
    // Written beside the table and renamed into place only when complete; a
    // device, FIFO or folder there is refused.
    QString error;
    if (!replaceFile(tablePath, csv->table, &error)) return failed(Status::Refused, error, u);
    u.records = csv->records;
    return u;
}

TableUpdate mergeIntoTable(const QString& csvPath, const QString& tablePath) {
    if (const QString same = outputIsInput(tablePath, {csvPath}); !same.isEmpty())
        return failed(Status::Unreadable, same);
    TableUpdate u;
    const std::optional<CsvImport> csv = readIndexCsv(csvPath, &u);
    if (!csv) return u;
    const std::optional<QByteArray> old = currentTable(tablePath, &u);
    if (!old) return u;
    const TableMerge m = mergeTable(*old, csv->table);
    if (!m.error.isEmpty())
        return failed(Status::Refused, tablePath + QStringLiteral(": ") + m.error, u);
    QString error;
    if (!saveTable(tablePath, *old, m.table, &error)) return failed(Status::Refused, error, u);
    u.report = m.report;
    u.added = m.added;
    u.corrected = m.corrected;
    u.backedUp = !old->isEmpty();
    return u;
}
