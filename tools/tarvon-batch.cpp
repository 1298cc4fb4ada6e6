// tarvon-batch: every installment of a contract in one run, each computed
// as the window computes it; a summary on standard output, the sheets into
// a PDF or to the default printer. The same on the contract register, and
// its budget summary, are BatchRegister's: here they are only dispatched.
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QThread>
#include <memory>

#include "contract/Contract.h"
#include "contract/ContractSummary.h"
#include "contract/PostgresConnection.h"
#include "contract/SqlRegister.h"
#include "base/Cli.h"
#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "indexdata/UserFolder.h"
#include "print/PdfPrinter.h"
#include "tools/BatchRegister.h"
#include "verify/Verify.h"

namespace {

const char* const kName = "tarvon-batch";

const cli::Usage kUsage = {
    "usage: tarvon-batch CONTRACT.csv [--table FILE] [--pdf FILE | --print] [--csv]\n"
    "       tarvon-batch [--register FILE] --import CONTRACT.csv --contract NUMBER\n"
    "       tarvon-batch [--register FILE] --contract NUMBER [--table FILE] [--pdf FILE | --print] [--csv]\n"
    "       tarvon-batch [--register FILE] --contract NUMBER --export OUT.csv\n"
    "       tarvon-batch [--register FILE] --summary MONTHS [--table FILE] [--pdf FILE | --print] [--csv]\n"
    "       tarvon-batch --copy-register FROM TO\n"
    "       tarvon-batch --verify FILE.pdf|FOLDER [--table FILE]\n"
    "  --table FILE  the index table (default: KTABLE.DAT in the current folder, or\n"
    "                when there is none, the user's table ~/.local/share/tarvon/KTABLE.DAT\n"
    "                that the window opened from the menu uses)\n"
    "  --pdf FILE    write every computed sheet into FILE, one page each\n"
    "  --print       send every computed sheet to the default printer, as one job,\n"
    "                and wait until the print system has printed it\n"
    "  --wait SECS   with --print: wait at most SECS seconds (default 120)\n"
    "  --csv         the summary as CSV instead of a table\n"
    "  --verify PDF  recompute every sheet of a PDF that tarvon printed (or of every\n"
    "                PDF in a folder) and compare its indices with the table\n"
    "  --register FILE    the contract register, a file or a server's database\n"
    "                     postgresql://user@host/database (default: register.sqlite beside\n"
    "                     the user's table, ~/.local/share/tarvon/, made by the first --import)\n"
    "  --import CSV       add the rows of a contract CSV as installments of contract\n"
    "                     NUMBER (made when new): all of them, or none when a row is refused\n"
    "  --contract NUMBER  compute the contract's installments as a run of its CSV does\n"
    "  --export CSV       write the contract's installments as the CSV --import reads\n"
    "  --summary MONTHS   the budget summary of the installments delivered in 9/2569,\n"
    "                     or in 7/2569-9/2569\n"
    "  --copy-register FROM TO  copy the contract register FROM (a file, or a server's\n"
    "                database postgresql://user@host/database) into TO, which must hold\n"
    "                nothing yet: all or nothing (the password from PGPASSWORD or ~/.pgpass)\n"
    "Exit status: 0 every row computed (imported, exported), 1 some rows refused (an\n"
    "--import then adds nothing; a --summary lists installments that cannot be computed),\n"
    "2 usage error, or a file or register that cannot be read, 3 the sheets could not be\n"
    "written or printed, or the register or the exported CSV could not be written.\n"
    "With --verify: 0 every page holds, 1 one does not, 2 nothing to verify (not a PDF\n"
    "of tarvon's sheets), 3 a file or the table cannot be read.\n",
    "วิธีใช้: tarvon-batch สัญญา.csv [--table แฟ้ม] [--pdf แฟ้ม | --print] [--csv]\n"
    "       tarvon-batch [--register แฟ้ม] --import สัญญา.csv --contract เลขที่สัญญา\n"
    "       tarvon-batch [--register แฟ้ม] --contract เลขที่สัญญา [--table แฟ้ม] [--pdf แฟ้ม | --print] [--csv]\n"
    "       tarvon-batch [--register แฟ้ม] --contract เลขที่สัญญา --export แฟ้ม.csv\n"
    "       tarvon-batch [--register แฟ้ม] --summary เดือน [--table แฟ้ม] [--pdf แฟ้ม | --print] [--csv]\n"
    "       tarvon-batch --copy-register ต้นทาง ปลายทาง\n"
    "       tarvon-batch --verify แฟ้ม.pdf|โฟลเดอร์ [--table แฟ้ม]\n"
    "  --table แฟ้ม   ตารางดัชนีราคา (ถ้าไม่ระบุ: KTABLE.DAT ในโฟลเดอร์ปัจจุบัน หรือถ้าไม่มี\n"
    "                ใช้ตารางของผู้ใช้ ~/.local/share/tarvon/KTABLE.DAT ที่หน้าต่างโปรแกรมจากเมนูใช้)\n"
    "  --pdf แฟ้ม     เขียนรายการคำนวณทุกงวดที่คำนวณได้ลงแฟ้ม PDF นี้ งวดละหน้า\n"
    "  --print       ส่งรายการคำนวณทุกงวดไปที่เครื่องพิมพ์ค่าเริ่มต้นเป็นงานพิมพ์เดียว\n"
    "                แล้วรอจนระบบการพิมพ์พิมพ์เสร็จ\n"
    "  --wait วินาที  ใช้กับ --print: รอไม่เกินกี่วินาที (ถ้าไม่ระบุ 120)\n"
    "  --csv         สรุปผลเป็น CSV แทนตาราง\n"
    "  --verify PDF  คำนวณรายการคำนวณทุกหน้าในแฟ้ม PDF ที่ tarvon พิมพ์ (หรือทุกแฟ้มในโฟลเดอร์)\n"
    "                ใหม่ และตรวจดัชนีราคากับตาราง\n"
    "  --register แฟ้ม      ทะเบียนสัญญา เป็นแฟ้ม หรือฐานข้อมูลบนเซิร์ฟเวอร์ postgresql://ผู้ใช้@เครื่อง/ฐานข้อมูล\n"
    "                     (ถ้าไม่ระบุ: register.sqlite ข้างตารางของผู้ใช้\n"
    "                     ~/.local/share/tarvon/ ซึ่งสร้างเมื่อ --import ครั้งแรก)\n"
    "  --import แฟ้ม.csv    เพิ่มแถวของแฟ้มสัญญาเป็นงวดของสัญญาเลขที่ที่ระบุ (สร้างสัญญาถ้ายังไม่มี)\n"
    "                     เพิ่มทุกแถว หรือไม่เพิ่มเลยถ้ามีแถวที่อ่านไม่ได้\n"
    "  --contract เลขที่สัญญา  คำนวณงวดของสัญญาเหมือนคำนวณจากแฟ้ม CSV ของสัญญา\n"
    "  --export แฟ้ม.csv    เขียนงวดของสัญญาเป็นแฟ้ม CSV แบบที่ --import อ่าน\n"
    "  --summary เดือน      สรุปงวดงานที่ส่งในเดือน เช่น 9/2569 หรือช่วงเดือน 7/2569-9/2569\n"
    "  --copy-register ต้นทาง ปลายทาง  คัดลอกทะเบียนสัญญาจากต้นทาง (แฟ้ม หรือฐานข้อมูลบนเซิร์ฟเวอร์\n"
    "                postgresql://ผู้ใช้@เครื่อง/ฐานข้อมูล) ไปยังปลายทางที่ยังว่าง ได้ทั้งหมดหรือไม่คัดลอกเลย\n"
    "                (รหัสผ่านจาก PGPASSWORD หรือ ~/.pgpass)\n"
    "สถานะเมื่อจบ: 0 คำนวณได้ทุกแถว (นำเข้าหรือส่งออกแล้ว), 1 มีแถวที่ไม่ได้คำนวณ (--import จึงไม่เพิ่มงวดใดเลย;\n"
    "--summary มีงวดที่คำนวณไม่ได้), 2 สั่งงานผิดรูปแบบ หรืออ่านแฟ้มหรือทะเบียนไม่ได้,\n"
    "3 เขียนหรือพิมพ์รายการคำนวณไม่สำเร็จ หรือเขียนทะเบียนหรือแฟ้มที่ส่งออกไม่ได้\n"
    "เมื่อใช้ --verify: 0 ถูกต้องทุกหน้า, 1 มีหน้าที่ไม่ถูกต้อง, 2 ไม่มีอะไรให้ตรวจ, 3 อ่านแฟ้มหรือตารางไม่ได้\n"};

struct Options {
    QString contract, table, pdf;  // table: empty when not given
    QString verify;                // the PDF or folder to verify
    bool print = false, csv = false;
    int waitSeconds = 120;
    std::optional<batch::RegisterOptions> reg;  // a run on the contract register
};

// `args` without the program's name; nullopt for a usage error.
std::optional<Options> parse(const QStringList& args) {
    QCommandLineParser p;
    const QCommandLineOption table(QStringLiteral("table"), {}, QStringLiteral("FILE")),
        pdf(QStringLiteral("pdf"), {}, QStringLiteral("FILE")), print(QStringLiteral("print")),
        wait(QStringLiteral("wait"), {}, QStringLiteral("SECONDS")), csv(QStringLiteral("csv")),
        verify(QStringLiteral("verify"), {}, QStringLiteral("FILE"));
    p.addOptions({table, pdf, print, wait, csv, verify});
    batch::addRegisterOptions(p);
    if (!p.parse(QStringList{QString::fromLatin1(kName)} + args)) return std::nullopt;
    Options o;
    bool usageError = false;
    o.reg = batch::registerOptions(p, &usageError);
    if (p.isSet(verify)) {
        // Verifying reads a table and PDFs, and makes nothing.
        if (o.reg || usageError || !p.positionalArguments().isEmpty() ||
            p.values(verify).size() > 1 || p.value(verify).isEmpty() || p.isSet(pdf) ||
            p.isSet(print) || p.isSet(wait) || p.isSet(csv))
            return std::nullopt;
        o.verify = p.value(verify);
        if (p.isSet(table)) o.table = p.values(table).last();
        return o;
    }
    if (usageError || p.positionalArguments().size() != (o.reg ? 0 : 1) || p.values(pdf).size() > 1 ||
        (p.isSet(print) && p.isSet(pdf)))
        return std::nullopt;
    if (!o.reg) o.contract = p.positionalArguments().front();
    if (p.isSet(table)) o.table = p.values(table).last();
    o.pdf = p.value(pdf);
    o.print = p.isSet(print);
    o.csv = p.isSet(csv);
    bool ok = true;
    if (p.isSet(wait)) o.waitSeconds = p.values(wait).last().toInt(&ok);
    if (!ok || o.waitSeconds < 0) return std::nullopt;
    return o;
}

// Follows the job until the print system has printed it, or stopped,
// aborted or cancelled it, for at most `seconds`. False when it failed.
bool waitForJob(const cups::Job& job, int seconds) {
    if (job.queueStopped) {
        cli::fail(kName, job.note, 3);
        return false;
    }
    cli::say(kName,
             QStringLiteral("ส่งงานพิมพ์หมายเลข %1 ไปที่เครื่องพิมพ์ \"%2\" แล้ว "
                             "กำลังรอจนระบบการพิมพ์พิมพ์เสร็จ (ไม่เกิน %3 วินาที)")
                  .arg(job.id)
                  .arg(job.printer)
                  .arg(seconds));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QString why;
        switch (cups::jobOutcome(job, &why)) {
            case cups::Outcome::Printed:
                cli::say(kName, QStringLiteral("พิมพ์งานหมายเลข %1 เสร็จแล้ว").arg(job.id));
                return true;
            case cups::Outcome::Failed:
                cli::fail(kName, QStringLiteral("พิมพ์รายการคำนวณไม่สำเร็จ: ") + why, 3);
                return false;
            case cups::Outcome::Waiting:
                break;
        }
        if (waited.elapsed() >= qint64(seconds) * 1000) {
            cli::say(kName,
                     QStringLiteral("งานพิมพ์หมายเลข %1 ยังรออยู่ในคิวของเครื่องพิมพ์ \"%2\" "
                                     "(ไม่มีข้อผิดพลาด): ดูความคืบหน้าได้ด้วยคำสั่ง lpstat -o")
                          .arg(job.id)
                          .arg(job.printer));
            return true;
        }
        QThread::msleep(500);
    }
}

// The table a run without --table uses: KTABLE.DAT here when there is
// one (or anything by that name, which opening then judges), else the
// user's own in the data folder, as the window started from the menu uses
// it, said on standard error. Empty, after saying why, when there is none.
QString defaultTable() {
    const QFileInfo here(kTableName);
    if (here.exists() || here.isSymLink()) return kTableName;
    const QString folder = userFolder(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
    const QString users = folder + QLatin1Char('/') + kTableName;
    const QFileInfo there(users);
    if (there.exists() || there.isSymLink()) {
        cli::say(kName, QStringLiteral("ในโฟลเดอร์นี้ไม่มี %1 จึงใช้ตารางดัชนีราคาของผู้ใช้ %2")
                            .arg(kTableName, users));
        return users;
    }
    cli::say(kName,
             QStringLiteral("ไม่มีตารางดัชนีราคา %1 ในโฟลเดอร์นี้ (%2) และไม่มีตารางของผู้ใช้ที่ %3: "
                            "ระบุตารางด้วย --table แฟ้ม หรือสร้างตารางของผู้ใช้ด้วย "
                            "tarvon-table import แฟ้มดัชนี.csv %4")
                 .arg(kTableName, QDir::currentPath(), users, cli::shellWord(users)));
    return QString();
}

// --copy-register FROM TO: what was copied on standard output.
int copyRegister(const QStringList& args) {
    if (args.size() != 2) {
        std::fputs(cli::usageText(kUsage), stderr);
        return 2;
    }
    SqlRegister::Copied copied;
    const StoreResult r = SqlRegister::copy(args[0], args[1], &copied);
    if (!r.done()) return cli::fail(kName, QStringLiteral("ไม่ได้คัดลอกทะเบียน: ") + r.why, 2);
    // The locations last: a server's may hold % signs.
    cli::out(QStringLiteral("คัดลอกทะเบียนสัญญาจาก %5 ไปยัง %6 แล้ว: สัญญา %1 รายการ งวด %2 งวด "
                            "(พิมพ์แล้ว %3 งวด) ประวัติการแก้ไข %4 รายการ\n")
                 .arg(copied.contracts)
                 .arg(copied.installments)
                 .arg(copied.printed)
                 .arg(copied.history)
                 .arg(shownLocation(args[0]), shownLocation(args[1])));
    return 0;
}

// Opens the table for computing; false after saying why it cannot be used
// (it cannot be opened, or it is empty: every row would be refused as a
// month not found, said once instead).
bool openTable(const QString& tablePath, TableFile& table) {
    QString error;
    if (!table.open(tablePath, &error, /*create=*/false)) {
        cli::fail(kName, QStringLiteral("%1: เปิดแฟ้มดัชนีราคาไม่ได้ (%2)").arg(tablePath, error), 2);
        return false;
    }
    if (TableFile::length(tablePath) == 0) {
        cli::fail(kName,
                  QStringLiteral("ตารางดัชนีราคา %1 ว่างเปล่า ไม่มีข้อมูลดัชนีราคาของเดือนใดเลย "
                                 "จึงไม่ได้คำนวณ: เพิ่มเดือนด้วย tarvon-table merge แฟ้มดัชนี.csv %2")
                      .arg(table.path(), cli::shellWord(tablePath)),
                  2);
        return false;
    }
    return true;
}

// Each refused row of `source` on standard error, then the table the
// months not found were sought in; the number of refused rows.
int sayRefused(const QString& source, const std::vector<ContractRow>& rows, const QString& tablePath) {
    int refused = 0;
    bool monthMissing = false;
    for (const ContractRow& r : rows) {
        if (r.computed()) continue;
        ++refused;
        monthMissing |= r.monthMissing;
        cli::say(kName, QStringLiteral("%1 แถวที่ %2: %3").arg(source).arg(r.row).arg(r.error));
    }
    if (monthMissing)
        cli::say(kName, QStringLiteral("เดือนที่ไม่พบข้างต้นค้นในตารางดัชนีราคา %1").arg(tablePath));
    return refused;
}

// Ends the document of sheets and follows it on the printer; 0, or 3 when
// it failed. A document without a sheet is said and not sent.
int endSheets(PdfPrinter& printer, bool any, int waitSeconds) {
    QString error;
    if (!any) {
        cli::say(kName, QStringLiteral("ไม่มีรายการคำนวณให้พิมพ์"));
        return 0;
    }
    if (!printer.endDoc(&error))
        return cli::fail(kName, QStringLiteral("พิมพ์รายการคำนวณไม่สำเร็จ: ") + error, 3);
    if (!printer.toPdf() && !waitForJob(printer.job(), waitSeconds)) return 3;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = cli::helpOrVersion(argc, argv, kName, kUsage); status >= 0) return status;
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (args.value(0) == QLatin1String("--copy-register")) return copyRegister(args.mid(1));
    const std::optional<Options> o = parse(args);
    if (!o) {
        std::fputs(cli::usageText(kUsage), stderr);
        return 2;
    }
    cli::settleRuntimeFolder();
    if (!o->verify.isEmpty()) {
        const QCoreApplication app(argc, argv);
        const QString tablePath = o->table.isEmpty() ? defaultTable() : o->table;
        return tablePath.isEmpty() ? 2 : verifyPdfs(kName, o->verify, tablePath);
    }
    // Sheets are laid out with the fonts they have on paper (no window is
    // ever shown: no display is needed); a summary alone needs no fonts.
    std::unique_ptr<QCoreApplication> app;
    if (o->pdf.isEmpty() && !o->print) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    }

    if (o->reg) {
        batch::Common common;
        common.pdf = o->pdf;
        common.print = o->print;
        common.csv = o->csv;
        common.table = [&] {
            const QString path = o->table.isEmpty() ? defaultTable() : o->table;
            TableFile table;
            return !path.isEmpty() && openTable(path, table) ? path : QString();
        };
        common.sayRefused = sayRefused;
        common.endSheets = [&](PdfPrinter& printer, bool any) {
            return endSheets(printer, any, o->waitSeconds);
        };
        return batch::runRegister(*o->reg, common);
    }

    const QString tablePath = o->table.isEmpty() ? defaultTable() : o->table;
    if (tablePath.isEmpty()) return 2;
    if (const QString same = outputIsInput(o->pdf, {o->contract, tablePath}); !same.isEmpty())
        return cli::fail(kName, same, 2);
    QString error;
    const auto bytes = readRegularFile(o->contract, &error);
    if (!bytes) return cli::fail(kName, error, 2);
    TableFile table;
    if (!openTable(tablePath, table)) return 2;
    const CsvText text = decodeCsvBytes(*bytes);
    if (const QString note = csvEncodingNote(text); !note.isEmpty())
        cli::say(kName, o->contract + QStringLiteral(": ") + note);
    // Sheets go to the printer row by row; only their results are kept.
    std::optional<PdfPrinter> printer;
    if (!o->pdf.isEmpty() || o->print) {
        printer.emplace(o->pdf);
        printer->setFontName(QStringLiteral("Browallia New"));
        printer->setFontSize(16);
    }
    const Contract contract = runContract(
        text, table, recordCount(TableFile::length(tablePath)),
        [&](const ContractRow& r) {
            if (printer && r.computed()) printSheetAside(*printer, r.sheet, r.facts);
        });
    if (!contract.error.isEmpty())
        return cli::fail(kName, o->contract + QStringLiteral(": ") + contract.error, 2);

    const int refused = sayRefused(o->contract, contract.rows, table.path());
    if (o->csv)
        cli::outCsv(contractSummaryCsv(contract.rows));
    else
        cli::out(contractSummary(contract.rows));
    if (printer) {
        const int status = endSheets(*printer, contract.rows.size() != size_t(refused), o->waitSeconds);
        if (status != 0) return status;
    }
    return refused ? 1 : 0;
}
