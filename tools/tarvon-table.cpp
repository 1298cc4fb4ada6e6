// tarvon-table: builds, lists, exports and checks the index table
// "KTABLE.DAT". Only import writes, and only its OUT.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include "indexdata/CsvImport.h"
#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "app/TableTools.h"
#include "base/Cli.h"

namespace {

const char* const kName = "tarvon-table";

const char* const kUsage =
    "usage: tarvon-table import CSV OUT   build the table OUT from a CSV of monthly indices\n"
    "       tarvon-table list TABLE       every record as the program reads it\n"
    "       tarvon-table export TABLE CSV the table as a CSV that import reads back\n"
    "       tarvon-table check TABLE      what would make a sheet wrong or fail\n"
    "       tarvon-table --help | --version\n"
    "Exit status: 0 done (check: nothing found), 1 refused or something found,\n"
    "2 usage error or a file that cannot be read.\n";

int import(const QString& csvPath, const QString& outPath) {
    if (const QString same = outputIsInput(outPath, {csvPath}); !same.isEmpty())
        return cli::fail(kName, same, 2);
    QString error;
    const auto bytes = cli::readFile(csvPath, &error);
    if (!bytes) return cli::fail(kName, error, 2);
    const CsvImport result = importIndexCsv(decodeCsvBytes(*bytes));
    if (!result.ok) return cli::fail(kName, csvPath + QStringLiteral(": ") + result.error, 1);
    // Written beside OUT and renamed into place only when complete; a
    // device, FIFO or folder at OUT is refused.
    if (!replaceFile(outPath, result.table, &error)) return cli::fail(kName, error, 1);
    cli::out(QStringLiteral("%1 records written to %2\n").arg(result.records).arg(outPath));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = cli::helpOrVersion(argc, argv, kName, kUsage); status >= 0) return status;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    const qsizetype wanted =
        command == QLatin1String("import") || command == QLatin1String("export") ? 3
        : command == QLatin1String("list") || command == QLatin1String("check")  ? 2
                                                                                 : -1;
    if (wanted < 0 || args.size() != wanted) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (command == QLatin1String("import")) return import(args[1], args[2]);
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
        if (!replaceFile(args[2], exportTable(tableRecords(*bytes)).toUtf8(), &error))
            return cli::fail(kName, error, 1);
        return 0;
    }
    bool any = false;
    if (!checkTable(
            table,
            [&](const TableFinding& f) {
                any = true;
                cli::out(f.record ? QStringLiteral("ระเบียนที่ %1: %2\n").arg(f.record).arg(f.text)
                                  : QStringLiteral("ทั้งแฟ้ม: %1\n").arg(f.text));
            },
            &error))
        return cli::fail(kName, args[1] + QStringLiteral(": ") + error, 2);
    if (!any)
        cli::out(QStringLiteral("%1: ไม่พบสิ่งที่จะทำให้รายการคำนวณผิดหรือคำนวณไม่ได้\n").arg(args[1]));
    return any ? 1 : 0;
}
