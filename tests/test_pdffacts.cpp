// Printed PDFs and tarvon-batch --verify, as an auditor meets them: every
// formula's PDF carries its sheets' facts in plain text where pdfinfo and
// qpdf read them, adds no mark to a page, and verifies against its table;
// a month corrected since is listed with the old and new index and the
// compensation it makes; a PDF whose printed K or embedded inputs were
// edited with an ordinary PDF tool fails, and so does one with a page cut
// out; a PDF of another program, or no PDF at all, is refused clearly.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "TableFiles.h"
#include "contract/Contract.h"
#include "contract/Installment.h"
#include "escalation/Formulas.h"
#include "escalation/ResultText.h"
#include "escalation/SheetFacts.h"
#include "print/PdfPrinter.h"

namespace {

struct Ran {
    int status = -1;
    QString out, err;
};

Ran runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
Ran verify(const QString& pdf, const QString& table) {
    return runTool(QStringLiteral(TARVON_BATCH),
                   {QStringLiteral("--verify"), pdf, QStringLiteral("--table"), table});
}


// Every formula, K inside, below and above the band: 39 rows, Thai names.
QByteArray everyFormula() {
    QByteArray csv =
        "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,item1,price1,item2,"
        "price2\n";
    for (int formula = 1; formula <= kFormulaCount; ++formula)
        for (int month : {2, 3, 4})
            csv += QStringLiteral(
                       "%1,15,1,2560,20,%2,2560,\"%1/%2 งานฐานราก \"\"ก\"\"\",1234567.89,"
                       "ปั๊มน้ำ,50000.5,เครนญี่ปุ่น,25000\n")
                       .arg(formula)
                       .arg(month)
                       .toUtf8();
    return csv;
}

struct Folder {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString table = path(QStringLiteral("KTABLE.DAT"));
    QString write(const QString& name, const QByteArray& bytes) const {
        writeFile(path(name), bytes);
        return path(name);
    }
    // The PDF of `csv`'s sheets, made by tarvon-batch on the table.
    QString sheets(const QString& name, const QByteArray& csv) const {
        const QString contract = write(name + QStringLiteral(".csv"), csv);
        const Ran r = runTool(
            QStringLiteral(TARVON_BATCH),
            {contract, QStringLiteral("--table"), table, QStringLiteral("--pdf"), path(name)});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        return path(name);
    }
};

bool have(const char* tool) {
    return !QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty();
}

}  // namespace

TEST(PdfFacts, EveryFormulasPdfCarriesItsFactsAndVerifies) {
    Folder f;
    f.write(QStringLiteral("KTABLE.DAT"), bandMonthsTable());
    const QString pdf = f.sheets(QStringLiteral("all.pdf"), everyFormula());
    // pdfinfo reads each page's facts as plain text: the line the sheet's
    // own computation gives.
    const QString info = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-custom"), pdf}).out;
    TableFile table;
    ASSERT_TRUE(table.open(f.table, nullptr, false));
    for (int page = 1; page <= 39; ++page) {
        Installment in;
        in.formula = Integer((page - 1) / 3 + 1);
        in.bidDay = 15, in.bidMonth = 1, in.bidYear = 2560, in.day = 20, in.year = 2560;
        in.month = 2 + (page - 1) % 3;
        in.designation = QStringLiteral("%1/%2 งานฐานราก \"ก\"").arg(in.formula).arg(in.month);
        in.amount = 1234567.89;
        in.items = {{QStringLiteral("ปั๊มน้ำ"), 50000.5}, {QStringLiteral("เครนญี่ปุ่น"), 25000}};
        CollectingPrinter sheet;
        ASSERT_TRUE(computeInstallment(in, table, 4, sheet).computed());
        const QRegularExpression line(QStringLiteral("^TarvonSheet%1:\\s+(.*)$").arg(page),
                                      QRegularExpression::MultilineOption);
        EXPECT_EQ(line.match(info).captured(1), sheet.facts) << page;
    }
    if (have("qpdf")) {
        const Ran check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        EXPECT_EQ(check.status, 0) << check.out.toStdString();
        const QString json =
            runTool(QStringLiteral("qpdf"),
                    {QStringLiteral("--json"), QStringLiteral("--json-key=qpdf"), pdf})
                .out;
        EXPECT_TRUE(json.contains(
            QStringLiteral("\"/TarvonSheet39\": \"u:{\\\"form\\\":\\\"tarvon-sheet 1\\\"")));
    }
    const Ran r = verify(pdf, f.table);
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("ตรวจ 39 หน้า: ถูกต้อง 39 หน้า ไม่ถูกต้อง 0 หน้า")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("พิมพ์ด้วย tarvon " TARVON_VERSION)));
    EXPECT_EQ(r.out.count(QStringLiteral("ตารางเดียวกับที่ใช้พิมพ์ ตรงกันทุกไบต์")), 39);
}

// The facts go into the document information alone: every page of a PDF
// with them reads and looks as the same page without them.
TEST(PdfFacts, TheFactsAddNoMarkToAPage) {
    Folder f;
    f.write(QStringLiteral("KTABLE.DAT"), bandMonthsTable());
    TableFile table;
    ASSERT_TRUE(table.open(f.table, nullptr, false));
    std::vector<CollectingPrinter> sheets(kFormulaCount);
    for (int n = 1; n <= kFormulaCount; ++n) {
        Installment in;
        in.formula = Integer(n);
        in.bidDay = 15, in.bidMonth = 1, in.bidYear = 2560, in.day = 20, in.month = 4,
        in.year = 2560;
        in.designation = QStringLiteral("งวดที่ ๓ (ส่งมอบงานฐานรากและเสาเข็ม)");
        in.amount = 1000000;
        in.items = {{QStringLiteral("ปั๊มน้ำพร้อมท่อดูดฝั่งซ้าย"), 50000}};
        ASSERT_TRUE(computeInstallment(in, table, 4, sheets[size_t(n - 1)]).computed());
    }
    const auto write = [&](const QString& name, bool facts) {
        PdfPrinter printer(f.path(name));
        for (const CollectingPrinter& s : sheets)
            printSheetAside(printer, s.doc, facts ? s.facts : QString());
        EXPECT_TRUE(printer.endDoc(nullptr));
        return f.path(name);
    };
    const QString with = write(QStringLiteral("with.pdf"), true),
                  without = write(QStringLiteral("without.pdf"), false);
    EXPECT_TRUE(runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-custom"), with})
                    .out.contains(QStringLiteral("TarvonSheet13:")));
    EXPECT_FALSE(runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-custom"), without})
                     .out.contains(QStringLiteral("TarvonSheet")));
    const auto bbox = [](const QString& pdf) {
        return runTool(QStringLiteral("pdftotext"),
                       {QStringLiteral("-bbox"), pdf, QStringLiteral("-")})
            .out;
    };
    EXPECT_EQ(bbox(with), bbox(without));
    for (int page : {1, 7, 13}) {
        const auto picture = [&](const QString& pdf) {
            QProcess p;
            p.start(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"),
                     QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                     QString::number(page), pdf});
            p.waitForFinished(60000);
            return p.readAllStandardOutput();
        };
        const QByteArray a = picture(with);
        EXPECT_GT(a.size(), 10000);
        EXPECT_TRUE(a == picture(without)) << page;
    }
}

// After the ministry corrected a month: a folder of PDFs lists the sheets
// of that month alone, with the old and new index and the difference in
// compensation the sheet computed on the corrected table makes.
TEST(PdfFacts, AFolderListsTheSheetsACorrectedMonthTouches) {
    Folder f;
    f.write(QStringLiteral("KTABLE.DAT"), bandMonthsTable());
    QDir(f.path(QString())).mkpath(QStringLiteral("payments/2560"));
    f.sheets(QStringLiteral("payments/2560/one.pdf"), everyFormula());
    f.sheets(QStringLiteral("payments/two.pdf"),
             "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount\n"
             "1,15,1,2560,20,2,2560,1,1000000\n1,15,1,2560,20,4,2560,2,1000000\n");
    const QString other = f.path(QStringLiteral("payments/other.pdf"));
    {
        QPdfWriter writer(other);
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("K = 1.065"));
    }
    EXPECT_EQ(verify(f.path(QStringLiteral("payments")), f.table).status, 0);

    // I of 4/2560 corrected from 157.5 to 145.5.
    QByteArray corrected = bandMonthsTable();
    corrected.replace(3 * 90 + 12 + 6 * int(IndexColumn::I), 6,
                      QByteArray("145.5").rightJustified(6));
    const QString now = f.write(QStringLiteral("now.dat"), corrected);
    const Ran r = verify(f.path(QStringLiteral("payments")), now);
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    // The month-4 page of each formula that reads I, and page 2 of two.pdf.
    int touched = 1;
    for (int n = 1; n <= kFormulaCount; ++n)
        for (const FormulaTerm& t : formulaDefinition(n)->terms)
            touched += t.column == IndexColumn::I;
    ASSERT_GT(touched, 2);
    EXPECT_EQ(
        r.out.count(QStringLiteral("ดัชนี I ของเดือน 4/2560 ในตารางเปลี่ยนไป: เดิม 157.5 ตอนนี้ 145.5")),
        touched)
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("แฟ้ม %1 (2 หน้า)\nหน้า 2:").arg(f.path(QStringLiteral("payments/two.pdf")))));
    EXPECT_FALSE(r.out.contains(QStringLiteral("\nหน้า 1:")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("ตรวจ 3 แฟ้ม 41 หน้า: ถูกต้อง %1 หน้า ไม่ถูกต้อง %2 หน้า")
                                   .arg(41 - touched)
                                   .arg(touched)))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("แฟ้มที่ไม่มีรายการคำนวณให้ตรวจ 1 แฟ้ม")));
    // The difference is the corrected table's sheet less the printed one.
    TableFile before, after;
    ASSERT_TRUE(before.open(f.table, nullptr, false));
    ASSERT_TRUE(after.open(now, nullptr, false));
    Installment in;
    in.formula = 1, in.bidDay = 15, in.bidMonth = 1, in.bidYear = 2560, in.day = 20, in.month = 4,
    in.year = 2560;
    in.designation = QStringLiteral("2");
    in.amount = 1000000;
    NullPrinter nowhere;
    const Double was = computeInstallment(in, before, 4, nowhere).result.compensation,
                 is = computeInstallment(in, after, 4, nowhere).result.compensation;
    ASSERT_NE(was, is);
    EXPECT_TRUE(r.out.contains(QStringLiteral("ต่างกัน %1 บาท)").arg(sheetNumber(is - was))))
        << r.out.toStdString();
}

// What is not a sheet of tarvon's is said to be none, not checked.
TEST(PdfFacts, WhatIsNoSheetIsRefusedClearly) {
    Folder f;
    f.write(QStringLiteral("KTABLE.DAT"), bandMonthsTable());
    const QString other = f.path(QStringLiteral("other.pdf"));
    {
        QPdfWriter writer(other);
        writer.setCreator(QStringLiteral("Spreadsheet 7"));
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("K = 1.065"));
    }
    Ran r = verify(other, f.table);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains(QStringLiteral("ไม่มีข้อมูลที่ใช้คำนวณฝังไว้"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Spreadsheet 7"))) << r.err.toStdString();

    r = verify(f.write(QStringLiteral("notes.pdf"), "K = 1.065\n"), f.table);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("ไม่ใช่แฟ้ม PDF"))) << r.err.toStdString();
    r = verify(f.path(QStringLiteral("missing.pdf")), f.table);
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("อ่านแฟ้มไม่ได้"))) << r.err.toStdString();
    r = verify(f.path(QString()), f.table);  // a folder of those alone
    EXPECT_EQ(r.status, 2);
}

// Edited with ordinary PDF tools: the printed K (the text a reader copies),
// an embedded input, a page cut out. Each fails and says what.
TEST(PdfFacts, AnEditedPdfFails) {
    if (!have("qpdf") || !have("fix-qdf")) GTEST_SKIP() << "qpdf is not installed";
    Folder f;
    f.write(QStringLiteral("KTABLE.DAT"), bandMonthsTable());
    const QString pdf =
        f.sheets(QStringLiteral("three.pdf"),
                 "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount\n"
                 "1,15,1,2560,20,2,2560,1,1000000\n1,15,1,2560,20,4,2560,2,1000000\n"
                 "1,15,1,2560,20,3,2560,3,1000000\n");
    ASSERT_EQ(verify(pdf, f.table).status, 0);

    // The K of page 2 printed with another last digit, in the text every
    // reader extracts, with qpdf's editable form.
    const QString info = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-custom"), pdf}).out;
    const QString k = QRegularExpression(QStringLiteral("TarvonSheet2:.*\"k\":\"([0-9.]+)\""))
                          .match(info)
                          .captured(1);
    ASSERT_FALSE(k.isEmpty()) << info.toStdString();
    const QString forged =
        k.chopped(1) + (k.endsWith(QLatin1Char('9')) ? QLatin1Char('8') : QLatin1Char('9'));
    const auto utf16 = [](const QString& text) {
        QByteArray h;
        for (QChar c : text) h += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        return h;
    };
    const QString qdf = f.path(QStringLiteral("qdf.pdf"));
    ASSERT_EQ(
        runTool(QStringLiteral("qpdf"),
                {QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), pdf, qdf})
            .status,
        0);
    QFile in(qdf);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    const QByteArray printedK = utf16(QStringLiteral("K =  ") + k + QLatin1Char(' '));
    ASSERT_EQ(bytes.count(printedK), 1);
    bytes.replace(printedK, utf16(QStringLiteral("K =  ") + forged + QLatin1Char(' ')));
    const QString edited = f.write(QStringLiteral("edited-qdf.pdf"), bytes);
    QProcess fix;
    fix.setStandardOutputFile(f.path(QStringLiteral("edited.pdf")));
    fix.start(QStringLiteral("fix-qdf"), {edited});
    ASSERT_TRUE(fix.waitForFinished(60000));
    Ran r = verify(f.path(QStringLiteral("edited.pdf")), f.table);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("คำนวณใหม่ได้ \"K = %1\" แต่หน้านี้พิมพ์ไว้ \"K = %2\"").arg(k, forged)))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("ตรวจ 3 หน้า: ถูกต้อง 2 หน้า ไม่ถูกต้อง 1 หน้า")));

    // The amount of page 3's facts changed, through qpdf's JSON.
    const QJsonObject json =
        QJsonDocument::fromJson(
            runTool(QStringLiteral("qpdf"),
                    {QStringLiteral("--json-output=2"), QStringLiteral("--json-key=qpdf"), pdf})
                .out.toUtf8())
            .object();
    const QJsonObject objects = json.value(QStringLiteral("qpdf")).toArray().at(1).toObject();
    QJsonObject update;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        QJsonObject dict = it.value().toObject().value(QStringLiteral("value")).toObject();
        const QString facts = dict.value(QStringLiteral("/TarvonSheet3")).toString();
        if (facts.isEmpty()) continue;
        ASSERT_TRUE(facts.contains(QStringLiteral("\"amount\":1000000")));
        dict.insert(QStringLiteral("/TarvonSheet3"),
                    QString(facts).replace(QStringLiteral("\"amount\":1000000"),
                                           QStringLiteral("\"amount\":900000")));
        update.insert(it.key(), QJsonObject{{QStringLiteral("value"), dict}});
    }
    ASSERT_EQ(update.size(), 1);
    const QString changes = f.write(
        QStringLiteral("update.json"),
        QJsonDocument(
            QJsonObject{{QStringLiteral("qpdf"),
                         QJsonArray{json.value(QStringLiteral("qpdf")).toArray().at(0), update}}})
            .toJson());
    ASSERT_EQ(runTool(QStringLiteral("qpdf"), {pdf, QStringLiteral("--update-from-json=") + changes,
                                               f.path(QStringLiteral("inputs.pdf"))})
                  .status,
              0);
    r = verify(f.path(QStringLiteral("inputs.pdf")), f.table);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("หน้า 3:")));
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("คำนวณใหม่ได้ \"เงินงวดนี้ = 900000 บาท\" แต่หน้านี้พิมพ์ไว้ "
                                      "\"เงินงวดนี้ = 1000000 บาท\"")))
        << r.out.toStdString();

    // The last page cut out: its facts stay behind in the document.
    ASSERT_EQ(
        runTool(QStringLiteral("qpdf"), {pdf, QStringLiteral("--pages"), pdf, QStringLiteral("1-2"),
                                         QStringLiteral("--"), f.path(QStringLiteral("cut.pdf"))})
            .status,
        0);
    r = verify(f.path(QStringLiteral("cut.pdf")), f.table);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("มีข้อมูลที่ใช้คำนวณของหน้า 3 แต่แฟ้มมีเพียง 2 หน้า")))
        << r.out.toStdString();
}
