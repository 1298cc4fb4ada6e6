// The index-table window offscreen: the month form (what was typed kept
// when a value is refused, a blank taken, a pasted row spread over the
// fields, a row of another month refused), the new row shown, a table
// that is not whole records refused, one window per table whatever its
// name, and a table in a read-only place opened read-only.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <functional>

#include "TableFiles.h"
#include "app/frmIndexTable.h"

namespace {

// Runs `work` on the month form once it is open (modal, inside the
// command that opened it).
void onForm(std::function<void(QDialog*)> work) {
    QTimer::singleShot(0, [work] {
        auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!form || form->objectName() != QLatin1String("monthForm")) return onForm(work);
        work(form);
    });
}

QLineEdit* field(QDialog* form, const char* name) {
    return form->findChild<QLineEdit*>(QString::fromLatin1(name));
}

// The problem shown beside a field, empty when none is shown.
QString problem(QDialog* form, const char* name) {
    auto* label = form->findChild<QLabel*>(QString::fromLatin1(name) + QStringLiteral("Problem"));
    return label && label->isVisibleTo(form) ? label->text() : QString();
}

void paste(QLineEdit* into, const QString& text) {
    QApplication::clipboard()->setText(text);
    into->selectAll();
    into->paste();
}

int selectedRecord(frmIndexTable& w) {
    const QModelIndexList rows =
        w.findChild<QTableView*>(QStringLiteral("indexTable"))->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().data(Qt::UserRole).toInt();
}

const char* const kNames[] = {"value_M",   "value_S",  "value_C",  "value_G",   "value_I",
                              "value_F",   "value_A",  "value_E",  "value_GIP", "value_AC",
                              "value_PVC", "value_W",  "value_PE"};

QByteArray january() {
    return record({"2548", "1", "100", "100", "100", "100", "100", "100", "100", "100", "100", "100",
                   "100", "100", "100"});
}

class TableWindowTest : public ::testing::Test {
  protected:
    WorkingFolder folder;
};

}  // namespace

// A refused month or value keeps the form open with all that was typed and
// the problem beside its field; a blank is an index not yet published; a
// six-character value fits; the month added is shown, selected.
TEST_F(TableWindowTest, TheMonthFormKeepsWhatWasTypedAndShowsTheNewRow) {
    folder.table(january());
    frmIndexTable w;
    QString error;
    ASSERT_TRUE(w.open(QStringLiteral("KTABLE.DAT"), &error)) << error.toStdString();
    QString offered, monthProblem, valueProblem, kept;
    bool openAfterRefusal = false;
    onForm([&](QDialog* form) {
        offered = field(form, "monthYear")->text();
        for (const char* name : kNames) field(form, name)->setText(QStringLiteral("101"));
        field(form, "value_M")->setText(QStringLiteral("228.45"));
        field(form, "value_G")->clear();
        field(form, "monthYear")->setText(QStringLiteral("2/2022"));
        form->accept();
        monthProblem = problem(form, "monthYear");
        field(form, "monthYear")->setText(QStringLiteral("2/2548"));
        field(form, "value_S")->setText(QStringLiteral("1o6"));
        form->accept();
        valueProblem = problem(form, "value_S");
        openAfterRefusal = form->isVisible();
        kept = field(form, "value_M")->text() + '|' + field(form, "value_G")->text();
        field(form, "value_S")->setText(QStringLiteral("๑๐๖"));
        form->accept();
    });
    w.addMonth();
    EXPECT_EQ(offered, QStringLiteral("2/2548"));
    EXPECT_TRUE(monthProblem.contains(QStringLiteral("ค.ศ. 2022 คือ พ.ศ. 2565"))) << monthProblem.toStdString();
    EXPECT_TRUE(valueProblem.contains(QStringLiteral("\"1o6\" ไม่ใช่ตัวเลข"))) << valueProblem.toStdString();
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(kept, QStringLiteral("228.45|"));
    EXPECT_EQ(selectedRecord(w), 1);
    ASSERT_TRUE(w.save());
    QFile table(QStringLiteral("KTABLE.DAT"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(table.readAll().mid(90),
              record({"2548", "2", "228.45", "106", "101", "", "101", "101", "101", "101", "101",
                      "101", "101", "101", "101"}));
}

// A row pasted into any field fills every field; a row of another month is
// refused naming both months, and nothing is stored under the wrong one,
// in adding as in correcting.
TEST_F(TableWindowTest, APastedRowFillsTheFieldsAndOneOfAnotherMonthIsRefused) {
    folder.table(january());
    frmIndexTable w;
    QString error;
    ASSERT_TRUE(w.open(QStringLiteral("KTABLE.DAT"), &error)) << error.toStdString();
    QString filled, refused, keptS;
    bool stillOpen = false;
    onForm([&](QDialog* form) {
        paste(field(form, "value_C"), QStringLiteral("2548\t2\t110\t111\t112\t\t114\t115\t116\t117\t118\t119\t120\t\t"));
        for (const char* name : kNames) filled += field(form, name)->text() + ' ';
        paste(field(form, "value_M"), QStringLiteral("2564\t10\t300\t301\t302\t303\t304\t305\t306\t307\t308\t309\t310\t311\t312"));
        refused = problem(form, "value_M");
        keptS = field(form, "value_S")->text();
        form->accept();
        stillOpen = form->isVisible();
        form->reject();
    });
    w.addMonth();
    EXPECT_EQ(filled, QStringLiteral("110 111 112  114 115 116 117 118 119 120   "));
    EXPECT_TRUE(refused.contains(QStringLiteral("10/2564")) && refused.contains(QStringLiteral("2/2548")))
        << refused.toStdString();
    EXPECT_EQ(keptS, QStringLiteral("111"));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(w.windowTitle().contains(QStringLiteral("ยังไม่ได้บันทึก")));

    // Correcting 1/2548: a row of March is refused, one of January is taken.
    w.findChild<QTableView*>(QStringLiteral("indexTable"))->selectRow(0);
    QString correctRefused;
    onForm([&](QDialog* form) {
        EXPECT_TRUE(field(form, "monthYear")->isReadOnly());
        paste(field(form, "value_M"), QStringLiteral("2548 3 1 2 3 4 5 6 7 8 9 10 11 12 13"));
        correctRefused = problem(form, "value_M");
        paste(field(form, "value_M"), QStringLiteral("2548 1 1 2 3 4 5 6 7 8 9 10 11 12 13"));
        form->accept();
    });
    w.correctMonth();
    EXPECT_TRUE(correctRefused.contains(QStringLiteral("3/2548")) && correctRefused.contains(QStringLiteral("1/2548")))
        << correctRefused.toStdString();
    EXPECT_EQ(selectedRecord(w), 0);
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("ยังไม่ได้บันทึก")));
    ASSERT_TRUE(w.save());
    QFile table(QStringLiteral("KTABLE.DAT"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    EXPECT_EQ(table.readAll(), record({"2548", "1", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
                                      "11", "12", "13"}));
}

// A table that is not whole records is not opened; the same table through
// a link from another folder cannot be opened a second time for editing,
// and the message names the window that has it.
TEST_F(TableWindowTest, APartRecordIsRefusedAndOneWindowHasATableWhateverItsName) {
    folder.table(january() + "x");
    QString error;
    {
        frmIndexTable w;
        EXPECT_FALSE(w.open(QStringLiteral("KTABLE.DAT"), &error));
        EXPECT_TRUE(error.contains(QStringLiteral("ส่วนท้าย 1 ไบต์"))) << error.toStdString();
    }
    folder.table(january());
    const QString table = folder.path(QStringLiteral("KTABLE.DAT"));
    frmIndexTable first;
    ASSERT_TRUE(first.open(table, &error)) << error.toStdString();
    WorkingFolder other;
    ASSERT_TRUE(QFile::link(table, other.path(QStringLiteral("KTABLE.DAT"))));
    frmIndexTable second;
    EXPECT_FALSE(second.open(other.path(QStringLiteral("KTABLE.DAT")), &error));
    EXPECT_TRUE(error.contains(
        QStringLiteral("หน้าต่างตารางดัชนีราคาของโปรแกรม Tarvon (กระบวนการหมายเลข %1) กำลังแก้ตาราง")
            .arg(::getpid())))
        << error.toStdString();
}

// Root ignores permission bits: the window runs in a child that has given
// up root, as an ordinary user, on a table in a folder it cannot write.
TEST_F(TableWindowTest, ATableInAReadOnlyPlaceOpensReadOnlySayingWhy) {
    folder.table(january());
    const QString dir = folder.path(QString());
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                   QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        frmIndexTable w;
        QString error;
        if (!w.open(QStringLiteral("KTABLE.DAT"), &error)) _exit(11);
        for (const char* name : {"addMonth", "correctMonth", "removeDuplicate", "undo", "save"})
            if (w.findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled()) _exit(12);
        if (!w.findChild<QPushButton*>(QStringLiteral("close"))->isEnabled()) _exit(13);
        const QString news = w.findChild<QLabel*>(QStringLiteral("tableNews"))->text();
        if (!news.contains(QStringLiteral("แบบอ่านอย่างเดียว")) || !news.contains(dir)) _exit(14);
        if (!w.windowTitle().contains(QStringLiteral("(1 ระเบียน) อ่านอย่างเดียว"))) _exit(15);
        w.addMonth();  // does nothing, asks nothing
        _exit(w.windowTitle().contains(QStringLiteral("ยังไม่ได้บันทึก")) ? 16 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(QFile::exists(folder.path(QStringLiteral("KTABLE.DAT.lock"))));
}
