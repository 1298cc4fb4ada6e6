// The register window offscreen, driven through its forms as a user fills
// them: a contract and its installments entered, each row computed live
// with the sheet's own figures; a row waiting for its month computes once
// the month is merged, without anything done; the sheets printed equal
// the main window's for the same answers; undo puts back what the last
// change took; a row someone else changed meanwhile is not overwritten
// unasked; a register that cannot be written opens read-only.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include "FakePlatform.h"
#include "RegisterPlaces.h"
#include "TableFiles.h"
#include "app/RegisterForms.h"
#include "app/Tarvon.h"
#include "app/frmRegister.h"
#include "base/ReplaceFile.h"
#include "escalation/ResultText.h"

namespace {

// Answers the next question box with `yes`.
void answerNextQuestion(bool yes) {
    QTimer::singleShot(0, [yes] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return answerNextQuestion(yes);
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
}

struct Typed {
    QString day, month, year, designation, amount;
    QString formula = QStringLiteral("3");
    QStringList items;  // name, price, name, price, ...
};

// Fills the next form opened by a command and saves it.
void fillInstallment(const Typed& t, QString* live = nullptr) {
    frmRegister::formHook = [t, live](QDialog& d) {
        auto& form = dynamic_cast<InstallmentDialog&>(d);
        form.field(FormField::Formula)->setText(t.formula);
        form.field(FormField::Day)->setText(t.day);
        form.field(FormField::Month)->setText(t.month);
        form.field(FormField::Year)->setText(t.year);
        form.field(FormField::Designation)->setText(t.designation);
        form.field(FormField::Amount)->setText(t.amount);
        for (qsizetype n = 0; n + 1 < t.items.size(); n += 2) {
            form.field(FormField::ItemName, int(n / 2 + 1))->setText(t.items[n]);
            form.field(FormField::ItemPrice, int(n / 2 + 1))->setText(t.items[n + 1]);
        }
        if (live) *live = form.result();
        QTimer::singleShot(0, &form, [&form] { form.accept(); });
    };
}

void fillContract(const QString& number) {
    frmRegister::formHook = [number](QDialog& d) {
        const auto set = [&](const char* name, const QString& text) {
            d.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
        };
        set("number", number);
        set("work", QStringLiteral("อาคารเรียน"));
        set("contractor", QStringLiteral("หจก. ทดสอบ"));
        set("bidDay", QStringLiteral("15"));
        set("bidMonth", QStringLiteral("1"));
        set("bidYear", QStringLiteral("2548"));
        set("formula", QStringLiteral("3"));
        QTimer::singleShot(0, &d, [&d] { d.accept(); });
    };
}

QString cell(QTableWidget* t, int row, int column) {
    auto* item = t->item(row, column);
    return item ? item->text() : QString();
}

class RegisterWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(sampleImport().table);
        QString error;
        ASSERT_TRUE(w.open(folder.path(QStringLiteral("register.sqlite")), true, &error)) << error.toStdString();
        fillContract(QStringLiteral("สญ 7/2548"));
        w.addContract();
        ASSERT_EQ(w.contractsView()->rowCount(), 1);
    }
    void TearDown() override { frmRegister::formHook = nullptr; }
    WorkingFolder folder;
    FakePlatform ui;
    frmRegister w{ui, QStringLiteral("KTABLE.DAT")};
};

}  // namespace

TEST_F(RegisterWindowTest, RowsComputeLiveAndPrintTheMainWindowsSheet) {
    QString live;
    fillInstallment({"20", "10", "2548", "1 ฐานราก", "1,000,000", "3", {"pump", "50,000", "b", "0"}}, &live);
    w.addInstallment();
    QTableWidget* rows = w.installmentsView();
    ASSERT_EQ(rows->rowCount(), 1) << w.news().toStdString();
    // The main window, given the same answers, computes and prints this sheet.
    Tarvon app{ui};
    ASSERT_TRUE(app.Form_Load(nullptr));
    ui.reply({"3"});
    app.cmdFormula_Click();
    ui.reply({"15", "1", "2548"});
    app.cmdO_Click();
    ui.reply({"20", "10", "2548", "1 ฐานราก", "1,000,000", "pump", "50,000", "b", "0"});
    app.cmdT_Click();
    app.cmdPrint_Click();
    ASSERT_EQ(ui.printerDevice.jobs.size(), 1u);
    const std::vector<print::Statement> mainSheet = ui.printerDevice.jobs[0];

    const InstallmentOutcome o = w.reg()->compute(w.reg()->rows(w.reg()->contractLines()[0].info.id)[0].info.value);
    ASSERT_TRUE(o.computed());
    EXPECT_EQ(live, QStringLiteral("ผลการคำนวณ: K = ") + resultLine(o.result));
    EXPECT_EQ(cell(rows, 0, 7), sheetNumber(o.result.k));
    EXPECT_EQ(cell(rows, 0, 10), QStringLiteral("ยังไม่พิมพ์"));

    rows->selectRow(0);
    w.printSelected();
    ASSERT_EQ(ui.printerDevice.jobs.size(), 2u) << ui.messages.join("\n").toStdString();
    EXPECT_EQ(FakePrinter::texts(ui.printerDevice.jobs[1]), FakePrinter::texts(mainSheet));
    EXPECT_TRUE(cell(rows, 0, 10).startsWith(QStringLiteral("พิมพ์แล้ว"))) << cell(rows, 0, 10).toStdString();
    EXPECT_EQ(cell(w.contractsView(), 0, 5), QStringLiteral("1"));  // printed
}

TEST_F(RegisterWindowTest, AWaitingRowComputesOnceItsMonthIsMerged) {
    fillInstallment({"3", "8", "2564", "9 หลังคา", "250000"});
    w.addInstallment();
    QTableWidget* rows = w.installmentsView();
    ASSERT_EQ(rows->rowCount(), 1);
    EXPECT_EQ(cell(rows, 0, 10), QStringLiteral("รอดัชนีเดือน 8/2564"));
    EXPECT_EQ(cell(w.contractsView(), 0, 7), QStringLiteral("1"));  // waiting
    const QByteArray august = record({"2564", "8", "300", "300", "300", "300", "300", "300", "300",
                                      "300", "300", "300", "300", "300", "300"});
    ASSERT_TRUE(replaceFile(QStringLiteral("KTABLE.DAT"), sampleImport().table + august, nullptr));
    w.follow();  // what the window's timer does every second
    EXPECT_EQ(cell(rows, 0, 10), QStringLiteral("ยังไม่พิมพ์"));
    EXPECT_NE(cell(rows, 0, 7), QStringLiteral("-"));
    EXPECT_EQ(cell(w.contractsView(), 0, 7), QStringLiteral("0"));
}

TEST_F(RegisterWindowTest, UndoPutsBackWhatTheLastChangeTook) {
    fillInstallment({"20", "10", "2548", "1", "100"});
    w.addInstallment();
    fillInstallment({"20", "11", "2548", "2", "200"});
    w.addInstallment();
    QTableWidget* rows = w.installmentsView();
    ASSERT_EQ(rows->rowCount(), 2);
    const QStringList before = {cell(rows, 0, 1), cell(rows, 1, 1)};
    // A correction undone.
    rows->selectRow(0);
    fillInstallment({"20", "10", "2548", "1 แก้", "150"});
    w.editInstallment();
    EXPECT_EQ(cell(rows, 0, 1), QStringLiteral("1 แก้"));
    w.undo();
    EXPECT_EQ(cell(rows, 0, 1), before[0]);
    EXPECT_EQ(cell(rows, 0, 4), QStringLiteral("100.00"));
    // A removal undone: back in its own place.
    rows->selectRow(0);
    answerNextQuestion(true);
    w.removeInstallment();
    ASSERT_EQ(rows->rowCount(), 1);
    w.undo();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ((QStringList{cell(rows, 0, 1), cell(rows, 1, 1)}), before);
    // An addition undone.
    w.undo();
    w.undo();
    EXPECT_EQ(rows->rowCount(), 0) << ui.messages.join("\n").toStdString();
}

TEST_F(RegisterWindowTest, ARowChangedElsewhereIsNotOverwrittenUnasked) {
    fillInstallment({"20", "10", "2548", "1", "100"});
    w.addInstallment();
    QString error;
    auto other = SqlRegister::open(folder.path(QStringLiteral("register.sqlite")), false, &error);
    ASSERT_TRUE(other) << error.toStdString();
    InstallmentInfo theirs = other->installments(other->contracts()[0].id)[0];
    theirs.value.amount = 999;
    ASSERT_TRUE(other->updateInstallment(theirs).done());

    QTableWidget* rows = w.installmentsView();
    for (const bool overwrite : {false, true}) {
        rows->selectRow(0);
        fillInstallment({"20", "10", "2548", "1", "555"});
        answerNextQuestion(overwrite);
        w.editInstallment();
        const Double stored = other->installments(other->contracts()[0].id)[0].value.amount;
        EXPECT_EQ(stored, overwrite ? 555 : 999) << overwrite;
        // The window shows what the register holds either way.
        EXPECT_EQ(cell(rows, 0, 4), overwrite ? QStringLiteral("555.00") : QStringLiteral("999.00"));
        if (!overwrite) {
            // Seen now: the next edit would go through, so make it stale again.
            theirs = other->installments(other->contracts()[0].id)[0];
            theirs.value.amount = 999;
            ASSERT_TRUE(other->updateInstallment(theirs).done());
        }
    }
}

// A save the register refuses (here: the contract was removed elsewhere
// while the form was open) is said, and the form stays with what was typed.
TEST_F(RegisterWindowTest, AFailedSaveKeepsTheFormAndWhatWasTyped) {
    QString error;
    auto other = SqlRegister::open(folder.path(QStringLiteral("register.sqlite")), false, &error);
    ASSERT_TRUE(other) << error.toStdString();
    bool stayed = false;
    QString kept;
    frmRegister::formHook = [&](QDialog& d) {
        auto& form = dynamic_cast<InstallmentDialog&>(d);
        form.field(FormField::Day)->setText(QStringLiteral("20"));
        form.field(FormField::Month)->setText(QStringLiteral("10"));
        form.field(FormField::Year)->setText(QStringLiteral("2548"));
        form.field(FormField::Amount)->setText(QStringLiteral("1234"));
        ASSERT_TRUE(other->removeContract(other->contracts().front()).done());
        QTimer::singleShot(0, &form, [&] {
            form.accept();
            stayed = form.isVisible();
            kept = form.field(FormField::Amount)->text();
            form.reject();
        });
    };
    w.addInstallment();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(kept, QStringLiteral("1234"));
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages.back(), QStringLiteral("สัญญานี้ถูกลบจากที่อื่นไปแล้ว"));
}

TEST(RegisterWindow, ARegisterThatCannotBeWrittenOpensReadOnly) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes anything";
    WorkingFolder folder;
    const QString path = folder.path(QStringLiteral("register.sqlite"));
    {
        QString error;
        ASSERT_TRUE(SqlRegister::open(path, true, &error)) << error.toStdString();
    }
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0444), 0);
    FakePlatform ui;
    frmRegister w(ui, QStringLiteral("KTABLE.DAT"));
    QString error;
    ASSERT_TRUE(w.open(path, false, &error)) << error.toStdString();
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("addContract"))->isEnabled());
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("printSelected"))->isEnabled());
}

// On an office's server: the server stopped while the window is open is
// said at once, the view keeps what it showed and changes are disabled;
// started again, the window connects by itself and nothing was lost.
TEST(RegisterWindowPostgres, AServerGoneIsSaidAndTheWindowConnectsAgain) {
    RegisterPlace place(/*server=*/true);
    if (!place.available()) GTEST_SKIP() << "no PostgreSQL server for the tests";
    QString why;
    const TestServer* server = TestServer::get(&why);
    ASSERT_TRUE(server && server->controlled());
    WorkingFolder folder;
    folder.table(sampleImport().table);
    FakePlatform ui;
    frmRegister w(ui, QStringLiteral("KTABLE.DAT"));
    QString error;
    ASSERT_TRUE(w.open(place.location(), true, &error)) << error.toStdString();
    fillContract(QStringLiteral("สญ 9/2548"));
    w.addContract();
    fillInstallment({"20", "10", "2548", "1", "100"});
    w.addInstallment();
    frmRegister::formHook = nullptr;
    ASSERT_EQ(w.installmentsView()->rowCount(), 1) << ui.messages.join("\n").toStdString();
    auto* add = w.findChild<QPushButton*>(QStringLiteral("addInstallment"));
    ASSERT_TRUE(add->isEnabled());

    ASSERT_TRUE(server->halt());
    w.follow();
    EXPECT_TRUE(w.news().startsWith(QStringLiteral("ขาดการเชื่อมต่อกับฐานข้อมูล"))) << w.news().toStdString();
    EXPECT_EQ(w.installmentsView()->rowCount(), 1);
    EXPECT_EQ(w.contractsView()->rowCount(), 1);
    EXPECT_FALSE(add->isEnabled());

    ASSERT_TRUE(server->resume());
    for (int tick = 0; tick < 10 && !add->isEnabled(); ++tick) w.follow();  // the window's timer
    EXPECT_EQ(w.news(), QStringLiteral("เชื่อมต่อกับฐานข้อมูลได้อีกครั้งแล้ว"));
    EXPECT_TRUE(add->isEnabled());
    EXPECT_EQ(w.installmentsView()->rowCount(), 1);
}

// The window opens the register it opened last, unless that file has gone
// since (it is not made anew where it was): then the user's own.
TEST(RegisterWindow, TheLastRegisterIsOpenedAgainWhileItIsThere) {
    WorkingFolder folder;
    QSettings settings;
    const QVariant kept = settings.value(QStringLiteral("register/location"));
    const QString there = folder.path(QStringLiteral("office.sqlite"));
    writeFile(there, QByteArray());
    const struct {
        QString remembered, opened;
    } cases[] = {
        {there, there},
        {folder.path(QStringLiteral("gone.sqlite")), frmRegister::defaultLocation()},
        {QStringLiteral("postgresql://clerk@server/tarvon"), QStringLiteral("postgresql://clerk@server/tarvon")},
        {QString(), frmRegister::defaultLocation()},
    };
    for (const auto& c : cases) {
        settings.setValue(QStringLiteral("register/location"), c.remembered);
        EXPECT_EQ(frmRegister::lastLocation(), c.opened) << c.remembered.toStdString();
    }
    if (kept.isValid())
        settings.setValue(QStringLiteral("register/location"), kept);
    else
        settings.remove(QStringLiteral("register/location"));
}
