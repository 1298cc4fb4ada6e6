// tarvon-table: builds, merges into, lists, exports and checks the index
// table "KTABLE.DAT". Only import and merge write, and only the table they
// name (merge also its backup, TABLE.bak).
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <QStringList>

#include "indexdata/CsvImport.h"
#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "tablecare/TableTools.h"
#include "base/Cli.h"

namespace {

const char* const kName = "tarvon-table";

const cli::Usage kUsage = {
    "usage: tarvon-table import CSV OUT [--replace]\n"
    "                                     build the table OUT from a CSV of monthly indices;\n"
    "                                     an OUT holding months the CSV lacks is replaced\n"
    "                                     only with --replace\n"
    "       tarvon-table merge CSV TABLE  add the CSV's months to TABLE, correcting those it\n"
    "                                     holds; the old table is kept as TABLE.bak\n"
    "       tarvon-table list TABLE       every record as the program reads it\n"
    "       tarvon-table export TABLE CSV the table as a CSV that import reads back\n"
    "       tarvon-table check TABLE      what would make a sheet wrong or fail\n"
    "       tarvon-table --help | --version\n"
    "Exit status: 0 done (check: nothing found), 1 refused or something found,\n"
    "2 usage error or a file that cannot be read.\n",
    "วิธีใช้: tarvon-table import CSV แฟ้มตาราง [--replace]\n"
    "                                     สร้างตารางดัชนีราคาจาก CSV ดัชนีรายเดือน;\n"
    "                                     ถ้าแฟ้มตารางมีเดือนที่ CSV ไม่มี จะแทนที่ให้\n"
    "                                     ก็ต่อเมื่อระบุ --replace\n"
    "       tarvon-table merge CSV แฟ้มตาราง  เพิ่มหรือแก้เดือนจาก CSV ลงในตาราง\n"
    "                                     แฟ้มเดิมเก็บไว้เป็น แฟ้มตาราง.bak\n"
    "       tarvon-table list แฟ้มตาราง       แสดงทุกระเบียนตามที่โปรแกรมอ่านได้\n"
    "       tarvon-table export แฟ้มตาราง CSV เขียนตารางเป็น CSV ที่ import อ่านกลับได้\n"
    "       tarvon-table check แฟ้มตาราง      ตรวจสิ่งที่จะทำให้รายการคำนวณผิดหรือคำนวณไม่ได้\n"
    "       tarvon-table --help | --version\n"
    "สถานะเมื่อจบ: 0 เสร็จ (check: ไม่พบอะไร), 1 ไม่ยอมทำหรือพบสิ่งผิดปกติ,\n"
    "2 สั่งงานผิดรูปแบบหรืออ่านแฟ้มไม่ได้\n"};

// The records of the CSV at `csvPath`, checked row by row as import
// checks them; nullopt after saying why (the exit status in `status`).
std::optional<CsvImport> readIndexCsv(const QString& csvPath, int* status) {
    QString error;
    const auto bytes = cli::readFile(csvPath, &error);
    if (!bytes) {
        *status = cli::fail(kName, error, 2);
        return std::nullopt;
    }
    CsvImport result = importIndexCsv(decodeCsvBytes(*bytes));
    if (!result.ok) {
        *status = cli::fail(kName, csvPath + QStringLiteral(": ") + result.error, 1);
        return std::nullopt;
    }
    return result;
}

// The table at `path` as it stands: empty when there is none yet (or when
// what is there is no file, which writing it then refuses).
std::optional<QByteArray> currentTable(const QString& path, int* status) {
    if (!QFileInfo(path).isFile()) return QByteArray();
    QString error;
    auto bytes = cli::readFile(path, &error);
    if (!bytes) *status = cli::fail(kName, error, 2);
    return bytes;
}

int import(const QString& csvPath, const QString& outPath, bool replace) {
    if (const QString same = outputIsInput(outPath, {csvPath}); !same.isEmpty())
        return cli::fail(kName, same, 2);
    int status = 0;
    const std::optional<CsvImport> result = readIndexCsv(csvPath, &status);
    if (!result) return status;
    if (!replace) {
        const std::optional<QByteArray> old = currentTable(outPath, &status);
        if (!old) return status;
        if (const QStringList lost = monthsLost(*old, result->table); !lost.isEmpty()) {
            return cli::fail(
                kName,
                QStringLiteral("%1 มีข้อมูลดัชนีราคา %2 เดือนที่ไม่มีใน %3 (%4) ถ้านำเข้า เดือนเหล่านั้นจะหายไป "
                               "จึงไม่เขียนอะไรเลย: เพิ่มหรือแก้เดือนด้วย tarvon-table merge %3 %1 "
                               "หรือถ้าต้องการแทนทั้งแฟ้มจริง ๆ ให้สั่ง import ซ้ำพร้อม --replace")
                    .arg(outPath)
                    .arg(lost.size())
                    .arg(csvPath, lost.mid(0, 6).join(QStringLiteral(", ")) +
                                      (lost.size() > 6 ? QStringLiteral(", ...") : QString())),
                1);
        }
    }
    QString error;
    // Written beside OUT and renamed into place only when complete; a
    // device, FIFO or folder at OUT is refused.
    if (!replaceFile(outPath, result->table, &error)) return cli::fail(kName, error, 1);
    cli::out(QStringLiteral("เขียนข้อมูลดัชนีราคา %1 เดือนลงแฟ้ม %2 แล้ว\n").arg(result->records).arg(outPath));
    return 0;
}

int merge(const QString& csvPath, const QString& tablePath) {
    if (const QString same = outputIsInput(tablePath, {csvPath}); !same.isEmpty())
        return cli::fail(kName, same, 2);
    int status = 0;
    const std::optional<CsvImport> csv = readIndexCsv(csvPath, &status);
    if (!csv) return status;
    const std::optional<QByteArray> old = currentTable(tablePath, &status);
    if (!old) return status;
    const TableMerge m = mergeTable(*old, csv->table);
    if (!m.error.isEmpty()) return cli::fail(kName, tablePath + QStringLiteral(": ") + m.error, 1);
    QString error;
    const QString backup = tablePath + QStringLiteral(".bak");
    if (QFileInfo::exists(tablePath) && !replaceFile(backup, *old, &error))
        return cli::fail(kName, error + QStringLiteral(" จึงไม่ได้แก้ ") + tablePath, 1);
    if (!replaceFile(tablePath, m.table, &error)) return cli::fail(kName, error, 1);
    for (const QString& line : m.report) cli::out(line + QLatin1Char('\n'));
    cli::out(QStringLiteral("เพิ่ม %1 เดือน แก้ %2 เดือนในแฟ้ม %3 แล้ว").arg(m.added).arg(m.corrected).arg(tablePath) +
             (QFileInfo::exists(tablePath) && !old->isEmpty()
                  ? QStringLiteral(" (แฟ้มเดิมเก็บไว้ที่ %1)\n").arg(backup)
                  : QStringLiteral("\n")));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = cli::helpOrVersion(argc, argv, kName, kUsage); status >= 0) return status;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    const bool replace = args.size() == 4 && command == QLatin1String("import") &&
                         args[3] == QLatin1String("--replace");
    const qsizetype wanted = command == QLatin1String("import")   ? (replace ? 4 : 3)
                             : command == QLatin1String("merge")  ? 3
                             : command == QLatin1String("export") ? 3
                             : command == QLatin1String("list") || command == QLatin1String("check")
                                 ? 2
                                 : -1;
    if (wanted < 0 || args.size() != wanted) {
        std::fputs(cli::usageText(kUsage), stderr);
        return 2;
    }
    if (command == QLatin1String("import")) return import(args[1], args[2], replace);
    if (command == QLatin1String("merge")) return merge(args[1], args[2]);
    if (command == QLatin1String("export")) {
        if (const QString same = outputIsInput(args[2], {args[1]}); !same.isEmpty())
            return cli::fail(kName, same, 2);
    }

    QString error;
    QFile table;
    if (!cli::openRegular(table, args[1], &error)) return cli::fail(kName, error, 2);
    if (command == QLatin1String("list")) {
        if (!listTable(table, [](const QString& line) { cli::out(line); }, &error))
            return cli::fail(kName, args[1] + QStringLiteral(": ") + error, 2);
        return 0;
    }
    if (command == QLatin1String("export")) {
        // The CSV is made whole before it replaces OUT: a table far beyond
        // any real one (a century of months is 108 KB) is refused first.
        if (table.size() > cli::kLargestFile)
            return cli::fail(kName, cli::tooLarge(args[1]), 2);
        const auto bytes = cli::readFile(args[1], &error);
        if (!bytes) return cli::fail(kName, error, 2);
        if (!replaceFile(args[2], cli::kUtf8Mark + exportTable(tableRecords(*bytes)).toUtf8(), &error))
            return cli::fail(kName, error, 1);
        return 0;
    }
    bool any = false;
    if (!checkTable(
            table,
            [&](const TableFinding& f) {
                any = true;
                cli::out(f.record ? QStringLiteral("ระเบียนที่ %1 (เดือน %2): %3\n")
                                        .arg(f.record)
                                        .arg(f.month, f.text)
                                  : QStringLiteral("ทั้งแฟ้ม: %1\n").arg(f.text));
            },
            &error))
        return cli::fail(kName, args[1] + QStringLiteral(": ") + error, 2);
    if (!any)
        cli::out(QStringLiteral("%1: ไม่พบสิ่งที่จะทำให้รายการคำนวณผิดหรือคำนวณไม่ได้\n").arg(args[1]));
    return any ? 1 : 0;
}
