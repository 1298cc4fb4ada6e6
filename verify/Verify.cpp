#include "verify/Verify.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>

#include "base/Cli.h"
#include "base/MonthNames.h"
#include "escalation/ResultText.h"
#include "verify/PdfText.h"
#include "verify/SheetCheck.h"

namespace {

QString date(Long day, Long month, Long year) {
    return QStringLiteral("%1/%2").arg(day).arg(monthSlashYear(month, year));
}

QString money(const SheetResult& r) {
    switch (r.band) {
        case Band::Above:
            return QStringLiteral("ได้รับเงินชดเชย %1 บาท").arg(sheetNumber(r.compensation));
        case Band::Below:
            return QStringLiteral("ต้องคืนเงินให้ราชการ %1 บาท").arg(sheetNumber(r.refund));
        case Band::Inside:
            break;
    }
    return QStringLiteral("ไม่ได้เงินชดเชย");
}

QString signedBaht(Double v) {
    return (v > 0 ? QStringLiteral("+") : QString()) + sheetNumber(v);
}

QString title(const SheetFacts& f) {
    return QStringLiteral("งวดที่ %1 สูตรที่ %2 เปิดซอง %3 ส่งงาน %4 พิมพ์ด้วย %5")
        .arg(trimBlanks(f.installment).toString().remove(QChar(0)))
        .arg(f.formula)
        .arg(date(f.bidDay, f.bidMonth, f.bidYear), date(f.day, f.month, f.year), f.program);
}

struct Tally {
    int files = 0, pages = 0, holding = 0, changed = 0;
    int nothing = 0, unreadable = 0;  // files
    Double difference = 0;            // of the compensation the changed indices make
    int status() const {
        if (pages > holding) return 1;
        if (unreadable) return 3;
        return pages == 0 ? 2 : 0;
    }
};

// What is found of one page, each line indented under its heading.
QString pageReport(const PageCheck& p, Tally& tally) {
    QString out;
    const auto line = [&](const QString& text) {
        out += QStringLiteral("  ") + text + QLatin1Char('\n');
    };
    out += QStringLiteral("หน้า %1").arg(p.page);
    for (const SheetCheck& c : p.sheets) out += QStringLiteral(": ") + title(c.facts);
    out += QLatin1Char('\n');
    for (const QString& d : p.differs) line(QStringLiteral("ไม่ตรง: ") + d);
    for (const SheetCheck& c : p.sheets) {
        if (!c.computed) continue;
        if (p.differs.isEmpty())
            line(QStringLiteral("คำนวณใหม่ได้ตรงกับที่พิมพ์ไว้ทุกตัว: K = %1 %2")
                     .arg(sheetNumber(c.result.k), money(c.result)));
        for (const QString& month : c.notInTable)
            line(QStringLiteral("ตารางดัชนีราคาไม่มีเดือน %1 จึงยืนยันดัชนีของเดือนนี้ไม่ได้").arg(month));
        for (const IndexChange& i : c.changed)
            line(QStringLiteral("ดัชนี %1 ของเดือน %2 ในตารางเปลี่ยนไป: เดิม %3 ตอนนี้ %4")
                     .arg(i.symbol, monthSlashYear(i.month, i.year), sheetNumber(i.was),
                          sheetNumber(i.now)));
        if (!c.changed.empty() && c.notInTable.isEmpty()) {
            if (c.nowComputed) {
                const Double difference = paidAmount(c.now) - paidAmount(c.result);
                tally.difference += difference;
                line(QStringLiteral("คำนวณด้วยดัชนีในตารางตอนนี้: K = %1 %2 (ที่พิมพ์ไว้: K = %3 %4; "
                                    "ต่างกัน %5 บาท)")
                         .arg(sheetNumber(c.now.k), money(c.now), sheetNumber(c.result.k),
                              money(c.result), signedBaht(difference)));
            } else {
                line(QStringLiteral("คำนวณด้วยดัชนีในตารางตอนนี้ไม่ได้: ") + c.nowWhy);
            }
        }
        if (c.changed.empty() && c.notInTable.isEmpty()) {
            QString months = monthSlashYear(c.facts.bidMonth, c.facts.bidYear);
            if (c.facts.month != c.facts.bidMonth || c.facts.year != c.facts.bidYear)
                months += QStringLiteral(" และ ") + monthSlashYear(c.facts.month, c.facts.year);
            line(QStringLiteral("ดัชนีของเดือน %1 ในตารางยังเป็นค่าที่ใช้คำนวณ%2")
                     .arg(months, p.sameTable ? QStringLiteral(" (ตารางเดียวกับที่ใช้พิมพ์ ตรงกันทุกไบต์)")
                                              : QString()));
        }
    }
    line(p.holds() ? QStringLiteral("ผล: ถูกต้อง") : QStringLiteral("ผล: ไม่ถูกต้อง"));
    return out;
}

struct Checker {
    const char* command;
    TableFile table;
    Long records = 0;
    Tally tally;

    // Checks one file; its report, or empty when every page holds and
    // `inFolder` asks for the pages that do not hold alone. A file with
    // nothing to check is a line of a folder's report; alone, it is said
    // on standard error.
    QString file(const QString& path, bool inFolder) {
        const auto nothing = [&](const QString& why) {
            ++tally.nothing;
            const QString said = path + QStringLiteral(": ") + why;
            if (inFolder) return said + QLatin1Char('\n');
            cli::say(command, said);
            return QString();
        };
        ++tally.files;
        PdfText pdf;
        QString why;
        const PdfText::Opened opened = pdf.open(path, &why);
        if (opened == PdfText::Opened::Unreadable) {
            ++tally.unreadable;
            cli::say(command, QStringLiteral("%1: อ่านแฟ้มไม่ได้ (%2)").arg(path, why));
            return QString();
        }
        if (opened == PdfText::Opened::NotPdf)
            return nothing(why + QStringLiteral(" จึงไม่มีรายการคำนวณให้ตรวจ"));
        // Which pages carry facts (PdfPages keys them TarvonSheet<page>); a
        // key past the last page is a page cut out.
        std::map<int, QString> keyed;
        static const QRegularExpression key(QStringLiteral("^TarvonSheet([1-9][0-9]{0,8})$"));
        for (const QString& k : pdf.infoKeys())
            if (const auto m = key.match(k); m.hasMatch()) keyed.emplace(m.captured(1).toInt(), k);
        if (keyed.empty()) {
            QString made;
            for (const char* k : {"Creator", "Producer"})
                if (const QString v = pdf.info(QLatin1String(k)); !v.isEmpty())
                    made += (made.isEmpty() ? QString() : QStringLiteral(", ")) + v;
            return nothing(
                QStringLiteral("แฟ้มนี้ไม่มีข้อมูลที่ใช้คำนวณฝังไว้ ไม่ใช่รายการคำนวณที่ tarvon "
                               "บันทึกเป็น PDF จึงไม่มีอะไรให้ตรวจ%1")
                    .arg(made.isEmpty() ? QString() : QStringLiteral(" (แฟ้มนี้ทำด้วย %1)").arg(made)));
        }
        QString pages;
        for (int n = 1; n <= pdf.pages(); ++n) {
            const auto k = keyed.find(n);
            const PageCheck p = checkPage(n, k == keyed.end() ? QString() : pdf.info(k->second),
                                          pdf.pageText(n), table, records);
            ++tally.pages;
            if (p.holds()) ++tally.holding;
            if (p.indicesChanged()) ++tally.changed;
            if (!inFolder || !p.holds()) pages += pageReport(p, tally);
        }
        for (auto k = keyed.upper_bound(pdf.pages()); k != keyed.end(); ++k) {
            ++tally.pages;
            pages += QStringLiteral(
                         "หน้า %1\n  ไม่ตรง: มีข้อมูลที่ใช้คำนวณของหน้า %1 แต่แฟ้มมีเพียง %2 หน้า "
                         "(หน้าถูกตัดออกไป)\n  ผล: ไม่ถูกต้อง\n")
                         .arg(k->first)
                         .arg(pdf.pages());
        }
        if (pages.isEmpty()) return QString();
        return QStringLiteral("แฟ้ม %1 (%2 หน้า)\n").arg(path).arg(pdf.pages()) + pages;
    }
};

}  // namespace

int verifyPdfs(const char* command, const QString& path, const QString& tablePath) {
    Checker c{command, {}, 0, {}};
    QString error;
    if (!c.table.open(tablePath, &error, /*create=*/false)) {
        cli::say(command, QStringLiteral("%1: เปิดแฟ้มดัชนีราคาไม่ได้ (%2)").arg(tablePath, error));
        return 3;
    }
    c.records = recordCount(TableFile::length(tablePath));
    // Every page searches the same table: it is read once.
    c.table.buildMonthIndex(c.records);
    if (c.records == 0)
        cli::say(
            command,
            QStringLiteral("ตารางดัชนีราคา %1 ว่างเปล่า: ยืนยันดัชนีของเดือนใดไม่ได้เลย").arg(c.table.path()));
    const QFileInfo target(path);
    if (!target.isDir()) {
        const QString report = c.file(path, false);
        if (c.tally.pages == 0) return c.tally.status();  // nothing checked: said why
        cli::out(QStringLiteral("ตรวจกับตารางดัชนีราคา %1\n").arg(c.table.path()) + report);
    } else {
        cli::out(QStringLiteral("ตรวจกับตารางดัชนีราคา %1\n").arg(c.table.path()));
        QStringList files;
        QDirIterator it(path, {QStringLiteral("*.pdf")},
                        QDir::Files | QDir::Readable | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        files.sort();
        for (const QString& f : files) cli::out(c.file(f, true));
    }
    const Tally& t = c.tally;
    QString summary = QStringLiteral("ตรวจ%1 %2 หน้า: ถูกต้อง %3 หน้า ไม่ถูกต้อง %4 หน้า")
                          .arg(target.isDir() ? QStringLiteral(" %1 แฟ้ม").arg(t.files) : QString())
                          .arg(t.pages)
                          .arg(t.holding)
                          .arg(t.pages - t.holding);
    if (t.changed)
        summary += QStringLiteral(" (ดัชนีในตารางเปลี่ยนไป %1 หน้า เงินชดเชยรวมต่างกัน %2 บาท)")
                       .arg(t.changed)
                       .arg(signedBaht(t.difference));
    if (target.isDir() && t.nothing)
        summary += QStringLiteral(" แฟ้มที่ไม่มีรายการคำนวณให้ตรวจ %1 แฟ้ม").arg(t.nothing);
    if (t.unreadable) summary += QStringLiteral(" แฟ้มที่อ่านไม่ได้ %1 แฟ้ม").arg(t.unreadable);
    cli::out(summary + QLatin1Char('\n'));
    return t.status();
}
