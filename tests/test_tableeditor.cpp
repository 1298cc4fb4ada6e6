// The table window's model: months in calendar order with check's findings,
// add, correct, remove a duplicate, undo, save with a backup, the lock and a
// table changed on disk.
#include <gtest/gtest.h>

#include <QFile>

#include "TableFiles.h"
#include "tablecare/TableEditor.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kThirteen = {"101", "102", "103", "", "105", "106", "107",
                               "108", "109", "110", "111", "",    ""};

class TableEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(record({"2548", "2", "200"}) + record({"2548", "1", "100"}) +
                     record({"2548", "1", "999"}));
        path = folder.path(QStringLiteral("KTABLE.DAT"));
        original = fileBytes(path);
        QString error;
        ASSERT_TRUE(editor.open(path, &error)) << error.toStdString();
    }
    WorkingFolder folder;
    QString path;
    QByteArray original;
    TableEditor editor;
};

}  // namespace

TEST_F(TableEditorTest, MonthsInCalendarOrderWithTheirFindings) {
    const std::vector<TableEditor::Row> rows = editor.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].record, 1);  // 1/2548, the record the search uses
    EXPECT_EQ(rows[1].record, 2);  // 1/2548 again
    EXPECT_EQ(rows[2].record, 0);  // 2/2548
    EXPECT_EQ(rows[0].fields[2], QStringLiteral("100"));
    EXPECT_TRUE(rows[1].findings.join(' ').contains(QStringLiteral("ซ้ำกับระเบียนที่ 2")))
        << rows[1].findings.join(' ').toStdString();
    EXPECT_EQ(editor.nextMonth(), std::make_pair(Long(2548), Long(3)));
}

TEST_F(TableEditorTest, EachChangeCheckedAsImportChecksAndUndoable) {
    QString error;
    struct Refused {
        QStringList values;
        const char* says;
    };
    for (const Refused& r : {Refused{QStringList(kThirteen).replaceInStrings("106", "1o6"), "ค่า F \"1o6\" ไม่ใช่ตัวเลข"},
                             Refused{QStringList(kThirteen).replaceInStrings("101", "1234567"), "ค่า M \"1234567\" ยาวเกิน 6"},
                             Refused{kThirteen.mid(1), "ต้องมีค่าดัชนี 13 ค่า"}}) {
        EXPECT_FALSE(editor.addMonth(2548, 3, r.values, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(r.says))) << error.toStdString();
    }
    EXPECT_FALSE(editor.addMonth(2548, 2, kThirteen, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("มีเดือน 2/2548 อยู่แล้ว"))) << error.toStdString();
    EXPECT_FALSE(editor.modified());

    ASSERT_TRUE(editor.addMonth(2548, 3, kThirteen, &error)) << error.toStdString();
    ASSERT_TRUE(editor.correct(1, QStringList(kThirteen).replaceInStrings("101", "100.5"), &error));
    EXPECT_FALSE(editor.removeDuplicate(1, &error));  // the record the search uses
    ASSERT_TRUE(editor.removeDuplicate(2, &error)) << error.toStdString();
    EXPECT_EQ(editor.records(), 3);
    std::vector<TableEditor::Row> rows = editor.rows();
    EXPECT_EQ(rows[0].fields[2], QStringLiteral("100.5"));
    EXPECT_EQ(rows[2].month, 3);
    EXPECT_EQ(rows[2].fields[5], QString());  // G left blank
    EXPECT_TRUE(editor.modified());
    ASSERT_TRUE(editor.undo());
    ASSERT_TRUE(editor.undo());
    ASSERT_TRUE(editor.undo());
    EXPECT_FALSE(editor.undo());
    EXPECT_FALSE(editor.modified());
}

TEST_F(TableEditorTest, SaveKeepsTheBackupAndHonoursTheLockAndTheDisk) {
    QString error;
    TableEditor second;
    EXPECT_FALSE(second.open(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("กำลังแก้ตาราง"))) << error.toStdString();

    ASSERT_TRUE(editor.addMonth(2548, 3, kThirteen, &error));
    ASSERT_TRUE(editor.save(&error)) << error.toStdString();
    EXPECT_EQ(fileBytes(path + QStringLiteral(".bak")), original);
    EXPECT_EQ(fileBytes(path).size(), 4 * kRecordLength);
    EXPECT_FALSE(editor.modified());

    // Another program writes the table: saving over it needs a yes.
    folder.table(original);
    EXPECT_TRUE(editor.changedOnDisk());
    ASSERT_TRUE(editor.addMonth(2548, 4, kThirteen, &error));
    EXPECT_FALSE(editor.save(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("ถูกเปลี่ยนจากที่อื่น"))) << error.toStdString();
    EXPECT_EQ(fileBytes(path), original);
    ASSERT_TRUE(editor.save(&error, /*overwrite=*/true));
    EXPECT_EQ(fileBytes(path).size(), 5 * kRecordLength);
}

TEST(TableEditorRow, PastedFromASpreadsheetOrAWebPage) {
    const QStringList values = {"101", "102", "103", "", "105", "106", "107",
                                "108", "109", "110", "111", "", ""};
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"101\t102\t103\t\t105\t106\t107\t108\t109\t110\t111\t\t", true},
        {"2548\t3\t101\t102\t103\t\t105\t106\t107\t108\t109\t110\t111\t\t", true},
        {"๑๐๑\t๑๐๒\t๑๐๓\t\t๑๐๕\t๑๐๖\t๑๐๗\t๑๐๘\t๑๐๙\t๑๑๐\t๑๑๑\t\t", true},
        {"101 102 103", false},
    };
    for (const auto& c : cases) {
        QString error;
        const auto cells = TableEditor::splitRow(QString::fromUtf8(c.text), 2548, 3, &error);
        EXPECT_EQ(cells.has_value(), c.ok) << c.text << error.toStdString();
        if (cells) {
            EXPECT_EQ(cells->join('|').toStdString(), values.join('|').toStdString()) << c.text;
        }
    }
    QString error;
    const auto spaced = TableEditor::splitRow(
        QStringLiteral("101, 102; 103 104 105 106 107 108 109 110 111 112 113"), 2548, 3, &error);
    ASSERT_TRUE(spaced.has_value()) << error.toStdString();
    EXPECT_EQ(spaced->back(), QStringLiteral("113"));
}
