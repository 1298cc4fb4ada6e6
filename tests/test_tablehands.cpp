// An index table in several hands at once: the one lock every writer
// takes, the file checked before it is replaced, the backup rule, rows the
// search could never find as themselves, temporary files a kill leaves,
// and the open table's identity taken from the file open. Merge's report
// and check of a table ending in a part of a record.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <atomic>
#include <chrono>
#include <thread>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/Tarvon.h"
#include "base/ReplaceFile.h"
#include "indexdata/CsvImport.h"
#include "tablecare/TableLock.h"
#include "tablecare/TableTools.h"
#include "tablecare/TableUpdate.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesIn(const WorkingFolder& folder) {
    return QDir(folder.path(QString())).entryList(QDir::Files | QDir::System | QDir::Hidden);
}

const char* const kHeading = "year_be,month,M,S,C,G,I,F,A,E,GIP,AC,PVC,W,PE\n";

// A CSV of one month with every index at `value`.
QByteArray csvMonth(const char* year, const char* month, const char* value = "100") {
    QByteArray row = QByteArray(year) + ',' + month;
    for (int c = 0; c < kIndexColumns; ++c) row += QByteArray(",") + value;
    return row + '\n';
}

}  // namespace

// ---- the lock -------------------------------------------------------------------

// Whoever holds a table's lock is named to whoever is kept out, by what it
// is and its process; a link from another folder is the same table; a
// writer that waits gets the lock once the holder lets go, and no lock
// file stays once nobody holds it.
TEST(TableLock, OneLockPerTableWhateverItsNameAndItsHolderNamed) {
    WorkingFolder folder, other;
    const QString table = folder.path(QStringLiteral("KTABLE.DAT"));
    folder.table(record({"2548", "1", "100"}));
    const QString link = other.path(QStringLiteral("KTABLE.DAT"));
    ASSERT_TRUE(QFile::link(table, link));
    const QString pid = QString::number(::getpid());

    TableLock merge;
    QString error;
    ASSERT_EQ(merge.take(table, TableLock::Holder::Merge, 0, &error), TableLock::Result::Taken);
    struct Attempt {
        QString path;
        TableLock::Holder as;
    };
    for (const Attempt& a : {Attempt{table, TableLock::Holder::Window},
                             Attempt{link, TableLock::Holder::Import}}) {
        TableLock second;
        EXPECT_EQ(second.take(a.path, a.as, 0, &error), TableLock::Result::Held) << a.path.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("คำสั่ง tarvon-table merge (กระบวนการหมายเลข %1)").arg(pid)))
            << error.toStdString();
    }
    merge.release();

    TableLock window;
    ASSERT_EQ(window.take(link, TableLock::Holder::Window, 0, &error), TableLock::Result::Taken);
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        window.release();
    });
    TableLock waiting;
    TableLock::Result got = waiting.take(table, TableLock::Holder::Merge, 30000, &error);
    letGo.join();
    EXPECT_EQ(got, TableLock::Result::Taken) << error.toStdString();
    // The file it waited on was removed as the window let go: the lock it
    // holds is still the one at the path.
    TableLock third;
    EXPECT_EQ(third.take(table, TableLock::Holder::Import, 0, &error), TableLock::Result::Held);
    waiting.release();
    EXPECT_EQ(filesIn(folder), QStringList{"KTABLE.DAT"});  // no lock file stays
    EXPECT_EQ(filesIn(other), QStringList{"KTABLE.DAT"});
}

// ---- import and merge: the rows they refuse ------------------------------------

// A row whose year and month the search could never find, or would find as
// another month, is refused naming its row; so is a month written twice,
// in import as in merge.
TEST(IndexCsv, RowsTheSearchCannotFindAsThemselvesAreRefusedByRow) {
    struct Case {
        QByteArray row;
        const char* says;
    };
    const Case cases[] = {
        {csvMonth("2565", "13"), "แถวที่ 2: เดือน \"13\" ไม่ใช่จำนวนเต็ม 1 ถึง 12"},
        {csvMonth("2565", "0"), "แถวที่ 2: เดือน \"0\" ไม่ใช่จำนวนเต็ม 1 ถึง 12"},
        {csvMonth("2565", "2.5"), "แถวที่ 2: เดือน \"2.5\" ไม่ใช่จำนวนเต็ม 1 ถึง 12"},
        {csvMonth("0", "1"), "แถวที่ 2: ปี \"0\" ไม่ใช่จำนวนเต็มที่มากกว่า 0"},
        {csvMonth("-2565", "1"), "แถวที่ 2: ปี \"-2565\" ไม่ใช่จำนวนเต็มที่มากกว่า 0"},
        {csvMonth("2022", "1"), "แถวที่ 2: ปี 2022 ต่ำกว่า 2400: ปีต้องเป็นปีพุทธศักราช (พ.ศ. = ค.ศ. + 543) เช่น ค.ศ. 2022 คือ พ.ศ. 2565"},
        {csvMonth("2565", "1") + csvMonth("2565.0", "1.0", "200"), "แถวที่ 3: เดือน 1/2565 ซ้ำกับแถวที่ 2"},
    };
    for (const Case& c : cases) {
        const CsvImport r = importIndexCsv(QString::fromUtf8(kHeading + c.row));
        EXPECT_FALSE(r.ok) << c.row.toStdString();
        EXPECT_TRUE(r.error.contains(QString::fromUtf8(c.says))) << r.error.toStdString();
    }
    const CsvImport good = importIndexCsv(QString::fromUtf8(kHeading + csvMonth("2548.0", "12")));
    EXPECT_TRUE(good.ok) << good.error.toStdString();
    EXPECT_EQ(good.lines, std::vector<int>{2});
}

// An index written as 0 or below is taken with a warning naming its row; a
// blank (not yet published) is not warned of.
TEST(IndexCsv, AZeroOrNegativeIndexIsWarnedOfByRow) {
    WorkingFolder folder;
    writeFile(folder.path(QStringLiteral("new.csv")),
              QByteArray(kHeading) + csvMonth("2565", "1") +
                  "2565,2,-1,0,100,100,100,100,100,100,100,100,,,\n");
    const TableUpdate u = mergeIntoTable(QStringLiteral("new.csv"), QStringLiteral("KTABLE.DAT"));
    ASSERT_EQ(u.status, TableUpdate::Status::Done) << u.error.toStdString();
    ASSERT_EQ(u.warnings.size(), 2) << u.warnings.join('\n').toStdString();
    EXPECT_TRUE(u.warnings[0].startsWith(QStringLiteral("new.csv แถวที่ 3: ค่า M ติดลบ (-1)")));
    EXPECT_TRUE(u.warnings[1].startsWith(QStringLiteral("new.csv แถวที่ 3: ค่า S เป็น 0:")));
    EXPECT_EQ(u.added, 2);
}

// ---- the backup and the file read ---------------------------------------------

// The backup is the table as it was before the last change that changed
// something: a merge or import that changes nothing writes nothing; a
// backup that would land on the CSV, or one beside what is not a regular
// file, is never written.
TEST(TableBackup, OnlyAChangeWritesAndNeverOverAnInputOrBesideANonFile) {
    WorkingFolder folder;
    const QString table = folder.path(QStringLiteral("KTABLE.DAT")), bak = table + ".bak";
    const QByteArray jan = importIndexCsv(QString::fromUtf8(kHeading + csvMonth("2548", "1"))).table;
    folder.table(jan);
    writeFile(folder.path(QStringLiteral("feb.csv")), QByteArray(kHeading) + csvMonth("2548", "2"));
    writeFile(folder.path(QStringLiteral("both.csv")),
              QByteArray(kHeading) + csvMonth("2548", "1") + csvMonth("2548", "2"));
    writeFile(folder.path(QStringLiteral("heading.csv")), kHeading);
    writeFile(folder.path(QStringLiteral("empty.csv")), "");

    const TableUpdate first = mergeIntoTable(QStringLiteral("feb.csv"), table);
    ASSERT_TRUE(first.written && first.backedUp) << first.error.toStdString();
    ASSERT_EQ(fileBytes(bak), jan);
    const QByteArray merged = fileBytes(table);
    const FileIdentity tableSeen = identityAt(table), bakSeen = identityAt(bak);
    for (const char* csv : {"feb.csv", "both.csv", "heading.csv", "empty.csv"}) {
        const TableUpdate u = mergeIntoTable(QString::fromLatin1(csv), table);
        EXPECT_EQ(u.status, TableUpdate::Status::Done) << csv << u.error.toStdString();
        EXPECT_FALSE(u.written) << csv;
    }
    const TableUpdate same = importTable(QStringLiteral("both.csv"), table, false);
    EXPECT_EQ(same.status, TableUpdate::Status::Done) << same.error.toStdString();
    EXPECT_FALSE(same.written);
    EXPECT_EQ(identityAt(table), tableSeen);
    EXPECT_EQ(identityAt(bak), bakSeen);

    // A CSV named like the backup is an input: nothing is written.
    writeFile(bak, QByteArray(kHeading) + csvMonth("2548", "3"));
    const QByteArray csvBytes = fileBytes(bak);
    const TableUpdate onBackup = mergeIntoTable(bak, table);
    EXPECT_EQ(onBackup.status, TableUpdate::Status::Unreadable);
    EXPECT_TRUE(onBackup.error.contains(QStringLiteral("เป็นแฟ้มเดียวกับ"))) << onBackup.error.toStdString();
    EXPECT_EQ(fileBytes(bak), csvBytes);
    EXPECT_EQ(fileBytes(table), merged);

    // A folder or a FIFO where the table should be: refused, nothing beside.
    ASSERT_TRUE(QDir(folder.path(QString())).mkdir(QStringLiteral("folder.dat")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.path(QStringLiteral("fifo.dat"))).constData(), 0644), 0);
    for (const char* target : {"folder.dat", "fifo.dat"}) {
        const TableUpdate u = mergeIntoTable(QStringLiteral("feb.csv"), QString::fromLatin1(target));
        EXPECT_EQ(u.status, TableUpdate::Status::Refused) << target;
        EXPECT_EQ(filesIn(folder).filter(QString::fromLatin1(target) + '.'), QStringList()) << target;
    }
}

// The file is checked before it is replaced: one written by another
// program since it was read is left as that program wrote it, and so is
// the backup.
TEST(TableBackup, AFileChangedSinceItWasReadIsNotWrittenOver) {
    WorkingFolder folder;
    const QString table = folder.path(QStringLiteral("KTABLE.DAT"));
    const QByteArray jan = record({"2548", "1", "100"}), feb = record({"2548", "2", "110"});
    folder.table(jan);
    QString error;
    const std::optional<TableRead> read = readTable(table, &error);
    ASSERT_TRUE(read) << error.toStdString();
    ASSERT_TRUE(replaceFile(table, jan + feb, nullptr));  // another program
    EXPECT_EQ(saveTable(table, *read, jan + record({"2548", "3"}), &error), Saved::Failed);
    EXPECT_TRUE(error.contains(QStringLiteral("ถูกเปลี่ยนจากที่อื่น"))) << error.toStdString();
    EXPECT_EQ(fileBytes(table), jan + feb);
    EXPECT_FALSE(QFile::exists(table + ".bak"));
    EXPECT_EQ(filesIn(folder), QStringList{"KTABLE.DAT"});
}

// ---- temporary files -----------------------------------------------------------

// While a replacement is written it has no name a kill could leave behind;
// one that a killed writer left beside the same file goes with the next
// replacement, and nothing else does.
TEST(FileReplacement, AKillLeavesNothingTheNextWriteCannotClear) {
    WorkingFolder folder;
    const QString path = folder.path(QStringLiteral("out.pdf"));
    FileReplacement file(path);
    ASSERT_TRUE(file.begin(nullptr));
    ASSERT_TRUE(file.write("%PDF", 4));
    EXPECT_EQ(filesIn(folder), QStringList());

    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const QString left = QStringLiteral("out.pdf.tmp-%1-AbC123").arg(gone),
                  living = QStringLiteral("out.pdf.tmp-1-AbC123");
    for (const QString& name : {left, living, QStringLiteral("out.pdf.backup"),
                                QStringLiteral("other.pdf.tmp-%1-AbC123").arg(gone)})
        writeFile(folder.path(name), "x");
    ASSERT_TRUE(file.commit(nullptr));
    QStringList expected = {QStringLiteral("other.pdf.tmp-%1-AbC123").arg(gone), QStringLiteral("out.pdf"),
                            QStringLiteral("out.pdf.backup"), living};
    expected.sort();
    EXPECT_EQ(filesIn(folder), expected);
}

// ---- the open table -------------------------------------------------------------

// A table replaced while the window opens it afresh: whatever the timing,
// a window that believes its table current reads, and counts, what the path
// holds. Thousands of bursts, the replacement racing the reopening.
TEST(TableFile, AReplacementLandingWhileItOpensIsAlwaysNoticed) {
    WorkingFolder folder;
    FakePlatform ui;
    const auto tableOf = [](int burst) {
        QByteArray t = record({QByteArray::number(2400 + burst).constData(), "1", "100"});
        return burst % 2 ? t + record({"2399", "1"}) : t;  // the size changes too
    };
    folder.table(tableOf(0));
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    const QByteArray path = QFile::encodeName(folder.path(QStringLiteral("KTABLE.DAT")));
    const QByteArray next = path + ".next";
    int stale = 0, current = 0, miscounted = 0;
    for (int burst = 1; burst <= 3000; ++burst) {
        writeFile(QFile::decodeName(next), tableOf(burst));
        std::atomic<bool> go{false};
        std::thread replace([&] {
            while (!go.load()) {
            }
            ::rename(next.constData(), path.constData());
        });
        go = true;
        app.followTable();
        replace.join();
        // Every record counted is one of the file read (the search reads them).
        for (Long r = 1; r <= app.state().lngRecCount; ++r)
            if (convertRecord(decodeRecord(app.table().readRecord(r))).year == 0) ++miscounted;
        if (app.table().changedOnDisk()) continue;  // noticed: the next search reopens
        ++current;
        const IndexValues v = convertRecord(decodeRecord(app.table().readRecord(1)));
        if (v.year != 2400 + burst || app.state().lngRecCount != (burst % 2 ? 2 : 1)) ++stale;
    }
    EXPECT_EQ(stale, 0) << "of " << current << " believed current";
    EXPECT_EQ(miscounted, 0);
}

// A correction of the same length put in place of the open table (the
// bytes differ, the size does not): the next search reads the new value.
TEST(TableFile, ASameSizeCorrectionIsReadByTheNextSearch) {
    WorkingFolder folder;
    FakePlatform ui;
    const QByteArray feb = record({"2548", "2", "110"});
    folder.table(record({"2548", "1", "228.4"}) + feb);
    Tarvon app(ui);
    ASSERT_TRUE(app.Form_Load(nullptr));
    ui.reply({"15", "1", "2548"});
    app.cmdO_Click();
    EXPECT_EQ(app.state().OData[IndexColumn::M], 228.4f);
    ASSERT_TRUE(replaceFile(QStringLiteral("KTABLE.DAT"), record({"2548", "1", "229.9"}) + feb, nullptr));
    ui.reply({"15", "1", "2548"});
    app.cmdO_Click();
    EXPECT_EQ(app.state().OData[IndexColumn::M], 229.9f);
}

// ---- merge's report and check --------------------------------------------------

// Merge corrects only what the program reads differently, says each value
// in the table's own code page, and keeps the year and month as written.
TEST(TableMerge, ReportsWhatReadsDifferentlyInTheTablesCodePage) {
    const QByteArray jan = record({"2548", "1", "228.4", "226.3", "173.7", ""});
    struct Case {
        QByteArray csvRecord;
        bool corrected;
        const char* says;
    };
    const Case cases[] = {
        {record({"2548.0", "1", "228.40", "226.3", "173.7", ""}), false,
         "เดือน 1/2548 (ระเบียนที่ 1): ค่าเหมือนเดิม ไม่ได้แก้ (เขียนต่างกันแต่อ่านได้ค่าเดียวกัน: M 228.4 → 228.40)"},
        {record({"2548.0", "1", "228.4", "226.3", "173.7", ""}), false,
         "เดือน 1/2548 (ระเบียนที่ 1): ค่าเหมือนเดิม ไม่ได้แก้"},
        {record({"2548", "1", "229", "226.30", "173.7", "0"}), true,
         "แก้เดือน 1/2548 (ระเบียนที่ 1): M 228.4 → 229, S 226.3 → 226.30 (ค่าเท่าเดิม), G (ว่าง) → 0"},
    };
    for (const Case& c : cases) {
        const TableMerge m = mergeTable(jan, c.csvRecord);
        ASSERT_TRUE(m.error.isEmpty()) << m.error.toStdString();
        EXPECT_EQ(m.report, QStringList{QString::fromUtf8(c.says)});
        EXPECT_EQ(m.corrected, c.corrected ? 1 : 0);
        EXPECT_EQ(m.table.left(12), jan.left(12));  // the year as it stood
        EXPECT_EQ(m.table == jan, !c.corrected);
    }
    // TIS-620 bytes in the table's field: ๑๐๐100, as the table's code page has it.
    QByteArray thai = jan;
    thai.replace(12, 6, "\xF1\xF0\xF0" "100");
    const TableMerge m = mergeTable(thai, record({"2548", "1", "100", "226.3", "173.7", ""}));
    EXPECT_EQ(m.report, QStringList{QStringLiteral("แก้เดือน 1/2548 (ระเบียนที่ 1): M ๑๐๐100 → 100")});
}

// A table ending in a part of a record: the part is said, and what lies past
// its end is not read as fields written wrongly.
TEST(TableCheck, APartRecordAtTheEndIsSaidAndNothingPastItsEnd) {
    QByteArray full;
    for (int c = 0; c < kIndexColumns; ++c) full += "   100";
    const QByteArray jan = record({"2548", "1"}).left(12) + full;
    const QByteArray part = (record({"2548", "2"}).left(12) + full).left(60);
    const std::vector<TableFinding> found = checkTable(jan + part);
    QStringList texts;
    for (const TableFinding& f : found) {
        EXPECT_EQ(f.record, 2) << f.text.toStdString();
        texts << f.text;
    }
    EXPECT_EQ(texts.filter(QStringLiteral("ส่วนท้ายของแฟ้มมีเพียง 60 ไบต์")).size(), 1) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts.filter(QStringLiteral("ไม่ใช่ตัวเลขล้วน")).isEmpty()) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts.filter(QStringLiteral("TIS-620")).isEmpty()) << texts.join('\n').toStdString();
}
