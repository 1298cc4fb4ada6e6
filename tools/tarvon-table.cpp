// tarvon-table: builds, merges into, lists, exports and checks the index
// table "KTABLE.DAT". Only import and merge write, and only the table they
// name (with its backup, TABLE.bak, and its lock, TABLE.lock), each as
// TableUpdate writes every table.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "tablecare/TableTools.h"
#include "tablecare/TableUpdate.h"
#include "base/Cli.h"

namespace {

const char* const kName = "tarvon-table";

const cli::Usage kUsage = {
    "usage: tarvon-table import CSV OUT [--replace]\n"
    "                                     build the table OUT from a CSV of monthly indices;\n"
    "                                     an OUT holding months the CSV lacks is replaced\n"
    "                                     only with --replace (the old one kept as OUT.bak)\n"
    "       tarvon-table merge CSV TABLE  add the CSV's months to TABLE, correcting those it\n"
    "                                     holds; the old table is kept as TABLE.bak\n"
    "       tarvon-table list TABLE       every record as the program reads it\n"
    "       tarvon-table export TABLE CSV the table as a CSV that import reads back\n"
    "       tarvon-table check TABLE      what would make a sheet wrong or fail\n"
    "       tarvon-table --help | --version\n"
    "While a table window or another command changes the table, import and merge\n"
    "wait a few seconds, then refuse and write nothing.\n"
    "Exit status: 0 done (check: nothing found), 1 refused or something found,\n"
    "2 usage error or a file that cannot be read.\n",
    "วิธีใช้: tarvon-table import CSV แฟ้มตาราง [--replace]\n"
    "                                     สร้างตารางดัชนีราคาจาก CSV ดัชนีรายเดือน;\n"
    "                                     ถ้าแฟ้มตารางมีเดือนที่ CSV ไม่มี จะแทนที่ให้\n"
    "                                     ก็ต่อเมื่อระบุ --replace (แฟ้มเดิมเก็บไว้เป็น แฟ้มตาราง.bak)\n"
    "       tarvon-table merge CSV แฟ้มตาราง  เพิ่มหรือแก้เดือนจาก CSV ลงในตาราง\n"
    "                                     แฟ้มเดิมเก็บไว้เป็น แฟ้มตาราง.bak\n"
    "       tarvon-table list แฟ้มตาราง       แสดงทุกระเบียนตามที่โปรแกรมอ่านได้\n"
    "       tarvon-table export แฟ้มตาราง CSV เขียนตารางเป็น CSV ที่ import อ่านกลับได้\n"
    "       tarvon-table check แฟ้มตาราง      ตรวจสิ่งที่จะทำให้รายการคำนวณผิดหรือคำนวณไม่ได้\n"
    "       tarvon-table --help | --version\n"
    "ถ้าหน้าต่างตารางดัชนีหรือคำสั่งอื่นกำลังแก้ตารางอยู่ import และ merge จะรอสักครู่\n"
    "แล้วไม่ยอมทำ โดยไม่เขียนอะไรเลย\n"
    "สถานะเมื่อจบ: 0 เสร็จ (check: ไม่พบอะไร), 1 ไม่ยอมทำหรือพบสิ่งผิดปกติ,\n"
    "2 สั่งงานผิดรูปแบบหรืออ่านแฟ้มไม่ได้\n"};

// The exit status of an update that was not done, after saying why; the
// warnings of one that was.
int refusal(const TableUpdate& u) {
    return cli::fail(kName, u.error, u.status == TableUpdate::Status::Unreadable ? 2 : 1);
}
void warn(const TableUpdate& u) {
    for (const QString& w : u.warnings) cli::say(kName, QStringLiteral("คำเตือน: ") + w);
}

// " (แฟ้มเดิมเก็บไว้ที่ TABLE.bak)" when the update kept the table as it was.
QString backupNote(const TableUpdate& u, const QString& tablePath) {
    return u.backedUp ? QStringLiteral(" (แฟ้มเดิมเก็บไว้ที่ %1)").arg(backupPath(tablePath)) : QString();
}

int import(const QString& csvPath, const QString& outPath, bool replace) {
    const TableUpdate u = importTable(csvPath, outPath, replace);
    if (!u.note.isEmpty()) cli::say(kName, u.note);
    if (u.status != TableUpdate::Status::Done) return refusal(u);
    warn(u);
    if (!u.written) {
        cli::out(QStringLiteral("%1 มีข้อมูลดัชนีราคา %2 เดือนตรงกับ %3 อยู่แล้ว จึงไม่ได้เขียนอะไร\n")
                     .arg(outPath)
                     .arg(u.records)
                     .arg(csvPath));
        return 0;
    }
    cli::out(QStringLiteral("เขียนข้อมูลดัชนีราคา %1 เดือนลงแฟ้ม %2 แล้ว").arg(u.records).arg(outPath) +
             backupNote(u, outPath) + QLatin1Char('\n'));
    return 0;
}

int merge(const QString& csvPath, const QString& tablePath) {
    const TableUpdate u = mergeIntoTable(csvPath, tablePath);
    if (!u.note.isEmpty()) cli::say(kName, u.note);
    if (u.status != TableUpdate::Status::Done) return refusal(u);
    warn(u);
    for (const QString& line : u.report) cli::out(line + QLatin1Char('\n'));
    if (!u.written) {
        cli::out(QStringLiteral("ไม่มีเดือนใดต้องเพิ่มหรือแก้: %1 เหมือนเดิม จึงไม่ได้เขียนอะไร\n").arg(tablePath));
        return 0;
    }
    cli::out(QStringLiteral("เพิ่ม %1 เดือน แก้ %2 เดือนในแฟ้ม %3 แล้ว").arg(u.added).arg(u.corrected).arg(tablePath) +
             backupNote(u, tablePath) + QLatin1Char('\n'));
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
    if (!openRegular(table, args[1], &error)) return cli::fail(kName, error, 2);
    if (command == QLatin1String("list")) {
        if (!listTable(table, [](const QString& line) { cli::out(line); }, &error))
            return cli::fail(kName, args[1] + QStringLiteral(": ") + error, 2);
        return 0;
    }
    if (command == QLatin1String("export")) {
        // The CSV is made whole before it replaces OUT: a table far beyond
        // any real one (a century of months is 108 KB) is refused first.
        if (table.size() > kLargestFile)
            return cli::fail(kName, tooLarge(args[1]), 2);
        const auto bytes = readRegularFile(args[1], &error);
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
            &error, args[1]))
        return cli::fail(kName, args[1] + QStringLiteral(": ") + error, 2);
    if (!any)
        cli::out(QStringLiteral("%1: ไม่พบสิ่งที่จะทำให้รายการคำนวณผิดหรือคำนวณไม่ได้\n").arg(args[1]));
    return any ? 1 : 0;
}
