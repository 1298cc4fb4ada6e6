// The register on disk: what is stored reads back exactly; a change made
// over someone else's is refused; a file that is not a register, or one of
// a newer program, is left untouched; an older one is upgraded after a copy;
// a kill at any moment leaves every row old or new; two writers lose
// nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "contract/SqlRegister.h"
#include "contract/SqliteConnection.h"

namespace {

// Statements run on the register's file from outside the program.
void runOn(const QString& path, const QStringList& statements) {
    QString error;
    auto db = SqliteConnection::open(path, false, &error);
    ASSERT_TRUE(db) << error.toStdString();
    for (const QString& sql : statements) ASSERT_TRUE(db->run(sql)) << db->error().toStdString();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

Installment sample(const QString& designation, Double amount) {
    Installment in;
    in.formula = 3;
    in.bidDay = 15;
    in.bidMonth = 1;
    in.bidYear = 2548;
    in.day = 20;
    in.month = 10;
    in.year = 2548;
    in.designation = designation;
    in.amount = amount;
    return in;
}

ContractInfo contract(const QString& number) {
    ContractInfo c;
    c.number = number;
    c.work = QStringLiteral("ถนนคอนกรีตเสริมเหล็ก หมู่ 3");
    c.contractor = QStringLiteral("หจก. ทดสอบ");
    c.bidDay = 15;
    c.bidMonth = 1;
    c.bidYear = 2548;
    c.formula = 3;
    return c;
}

class RegisterTest : public ::testing::Test {
  protected:
    QString path() const { return dir.filePath(QStringLiteral("register.sqlite")); }
    std::unique_ptr<SqlRegister> open(bool create = true) {
        QString error;
        auto r = SqlRegister::open(path(), create, &error);
        EXPECT_TRUE(r) << error.toStdString();
        return r;
    }
    QTemporaryDir dir;
};

// Every kind of value an installment holds comes back bit for bit: amounts
// that are not decimal fractions in binary, the largest and a negative, Thai
// with its blanks, the chain's zero-priced last item, ten items.
TEST_F(RegisterTest, WhatIsStoredReadsBackExactly) {
    auto r = open();
    ContractInfo c = contract(QStringLiteral("สญ 1/2548"));
    ASSERT_TRUE(r->addContract(c).done());
    Installment a = sample(QStringLiteral("  3 ฐานราก  "), 1134983.012);
    a.items = {{QStringLiteral("ปั๊มน้ำ P-1"), 0.1}, {QStringLiteral("เครน"), -20000.5},
               {QStringLiteral("ไม่หัก"), 0}};
    Installment b = sample(QStringLiteral("12 งวดสุดท้าย"), std::numeric_limits<Double>::max());
    for (int n = 1; n <= 10; ++n) b.items.push_back({QStringLiteral("รายการ %1").arg(n), n / 3.0});
    Installment c3 = sample(QString(), -0.29);
    std::vector<Installment> entered = {a, b, c3};
    for (const Installment& in : entered) {
        InstallmentInfo i;
        i.contractId = c.id;
        i.value = in;
        const StoreResult added = r->addInstallment(i);
        ASSERT_TRUE(added.done()) << added.why.toStdString();
    }
    r.reset();
    r = open(false);
    const std::vector<InstallmentInfo> back = r->installments(c.id);
    ASSERT_EQ(back.size(), entered.size());
    for (size_t n = 0; n < back.size(); ++n) {
        EXPECT_EQ(back[n].position, int(n) + 1);
        EXPECT_TRUE(back[n].value == entered[n]) << n;
        EXPECT_EQ(back[n].value.amount, entered[n].amount) << n;
    }
    const std::optional<ContractInfo> again = r->contractByNumber(c.number);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->work, c.work);
    EXPECT_EQ(again->contractor, c.contractor);
}

TEST_F(RegisterTest, APrintedSheetKeepsWhatItWasPrintedFrom) {
    auto r = open();
    ContractInfo c = contract(QStringLiteral("1"));
    ASSERT_TRUE(r->addContract(c).done());
    InstallmentInfo i;
    i.contractId = c.id;
    i.value = sample(QStringLiteral("1"), 950000);
    ASSERT_TRUE(r->addInstallment(i).done());
    PrintedSheet s;
    s.at = QDateTime::currentDateTime();
    s.at = s.at.addMSecs(-s.at.time().msec());
    s.inputs = i.value;
    s.o.year = 2548;
    s.o.month = 1;
    s.t.year = 2548;
    s.t.month = 10;
    for (int k = 0; k < kIndexColumns; ++k) {
        s.o.col[size_t(k)] = 171.1f + k;
        s.t.col[size_t(k)] = 206.4f + k / 7.0f;
    }
    s.netAmount = 950000;
    s.result = {1.159f, Band::Above, 0.119f, 113050, 0};
    ASSERT_TRUE(r->setPrinted(i, s).done());
    const std::optional<InstallmentInfo> back = r->installment(i.id);
    ASSERT_TRUE(back && back->printed);
    EXPECT_TRUE(*back->printed == s);
    // Editing the installment afterwards keeps what it was printed from.
    InstallmentInfo edited = *back;
    edited.value.amount = 1;
    ASSERT_TRUE(r->updateInstallment(edited).done());
    EXPECT_TRUE(*r->installment(i.id)->printed == s);
}

// Two people on one register: the second change to the same installment
// (or contract) is refused as a conflict, a change to a removed one says
// it is gone; the first change stands.
TEST_F(RegisterTest, AChangeOverSomeoneElsesIsRefused) {
    auto mine = open();
    auto theirs = open(false);
    ContractInfo c = contract(QStringLiteral("2"));
    ASSERT_TRUE(mine->addContract(c).done());
    InstallmentInfo i;
    i.contractId = c.id;
    i.value = sample(QStringLiteral("ก"), 100);
    ASSERT_TRUE(mine->addInstallment(i).done());

    InstallmentInfo theirCopy = *theirs->installment(i.id);
    theirCopy.value.amount = 200;
    ASSERT_TRUE(theirs->updateInstallment(theirCopy).done());
    InstallmentInfo stale = i;
    stale.value.amount = 300;
    EXPECT_EQ(mine->updateInstallment(stale).outcome, StoreResult::Outcome::Conflict);
    EXPECT_EQ(mine->removeInstallment(stale).outcome, StoreResult::Outcome::Conflict);
    EXPECT_EQ(mine->installment(i.id)->value.amount, 200);

    ContractInfo theirContract = *theirs->contract(c.id);
    theirContract.work = QStringLiteral("แก้ที่อื่น");
    ASSERT_TRUE(theirs->updateContract(theirContract).done());
    ContractInfo staleContract = c;
    staleContract.work = QStringLiteral("แก้ที่นี่");
    EXPECT_EQ(mine->updateContract(staleContract).outcome, StoreResult::Outcome::Conflict);

    ASSERT_TRUE(theirs->removeInstallment(*theirs->installment(i.id)).done());
    InstallmentInfo gone = theirCopy;
    ++gone.version;
    EXPECT_EQ(mine->updateInstallment(gone).outcome, StoreResult::Outcome::Gone);
    ASSERT_TRUE(theirs->removeContract(*theirs->contract(c.id)).done());
    InstallmentInfo orphan;
    orphan.contractId = c.id;
    orphan.value = sample(QStringLiteral("ข"), 1);
    EXPECT_EQ(mine->addInstallment(orphan).outcome, StoreResult::Outcome::Gone);
}

TEST_F(RegisterTest, AContractNumberIsTakenOnce) {
    auto r = open();
    ContractInfo a = contract(QStringLiteral("7/2550")), b = contract(QStringLiteral("7/2550"));
    ASSERT_TRUE(r->addContract(a).done());
    const StoreResult second = r->addContract(b);
    EXPECT_EQ(second.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(second.why.contains(QStringLiteral("7/2550")));
    EXPECT_EQ(r->contracts().size(), 1u);
}

TEST_F(RegisterTest, EveryChangeIsInTheHistoryWithWhoAndWhen) {
    auto r = open();
    ContractInfo c = contract(QStringLiteral("3"));
    ASSERT_TRUE(r->addContract(c).done());
    InstallmentInfo i;
    i.contractId = c.id;
    i.value = sample(QStringLiteral("ก"), 100);
    const qint64 before = r->generation();
    ASSERT_TRUE(r->addInstallment(i).done());
    i.value.amount = 250;
    ASSERT_TRUE(r->updateInstallment(i).done());
    EXPECT_EQ(r->generation(), before + 2);
    const std::vector<HistoryEntry> h = r->history(i.id);
    ASSERT_EQ(h.size(), 2u);
    EXPECT_EQ(h[0].action, QStringLiteral("เพิ่มงวด"));
    EXPECT_EQ(h[1].action, QStringLiteral("แก้งวด"));
    EXPECT_TRUE(h[1].what.contains(QStringLiteral("250"))) << h[1].what.toStdString();
    EXPECT_FALSE(h[1].user.isEmpty());
    EXPECT_LE(std::abs(h[1].at.secsTo(QDateTime::currentDateTime())), 60);
}

// ---- files that are not this program's register -------------------------

struct ForeignCase {
    const char* name;
    QByteArray (*make)(const QString& path);  // writes the file, returns nothing special
    const char* says;
};

QByteArray writeText(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("formula,bid_day\n3,15\n");
    return {};
}

QByteArray writeEmpty(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    return {};
}

// Another program's SQLite database.
QByteArray writeOtherDatabase(const QString& path) {
    writeEmpty(path);
    runOn(path, {QStringLiteral("CREATE TABLE notes (text TEXT)"),
                 QStringLiteral("INSERT INTO notes VALUES ('keep me')")});
    return {};
}

void PrintTo(const ForeignCase& c, std::ostream* os) { *os << c.name; }

class ForeignFile : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignFile, IsRefusedByNameAndLeftUntouched) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("not-a-register"));
    GetParam().make(path);
    const QByteArray before = fileBytes(path);
    QString error;
    EXPECT_FALSE(SqlRegister::open(path, true, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().says))) << error.toStdString();
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignFile,
    ::testing::Values(ForeignCase{"text", writeText, "ไม่ใช่ทะเบียนสัญญา"},
                      ForeignCase{"empty", writeEmpty, "ไม่ใช่ทะเบียนสัญญา"},
                      ForeignCase{"other_database", writeOtherDatabase, "ไม่ใช่ทะเบียนสัญญา"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegisterTest, ANewerProgramsRegisterIsRefusedUntouched) {
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("4"));
        ASSERT_TRUE(r->addContract(c).done());
    }
    runOn(path(), {QStringLiteral("UPDATE register_meta SET value = '99' WHERE key = 'schema_version'")});
    const QByteArray before = fileBytes(path());
    QString error;
    EXPECT_FALSE(SqlRegister::open(path(), false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ใหม่กว่า"))) << error.toStdString();
    EXPECT_EQ(fileBytes(path()), before);
}

// A register of the first version (before the history) is upgraded in
// place after a copy of it is kept, and keeps its contracts.
TEST_F(RegisterTest, AnOlderRegisterIsUpgradedAfterACopy) {
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("5"));
        ASSERT_TRUE(r->addContract(c).done());
    }
    // What version 1 was: the same without the history table.
    runOn(path(), {QStringLiteral("DROP TABLE history"),
                   QStringLiteral("UPDATE register_meta SET value = '1' WHERE key = 'schema_version'")});
    const QByteArray v1 = fileBytes(path());
    QString error;
    SqlRegister::Opened how{};
    auto r = SqlRegister::open(path(), false, &error, &how);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(how, SqlRegister::Opened::Upgraded);
    EXPECT_EQ(r->schemaVersion(), SqlRegister::kSchemaVersion);
    EXPECT_EQ(fileBytes(SqlRegister::upgradeCopy(path(), 1)), v1);
    EXPECT_TRUE(r->contractByNumber(QStringLiteral("5")));
    InstallmentInfo i;
    i.contractId = r->contractByNumber(QStringLiteral("5"))->id;
    i.value = sample(QStringLiteral("ก"), 1);
    EXPECT_TRUE(r->addInstallment(i).done());
    EXPECT_EQ(r->history(i.id).size(), 1u);
}

// A register on a medium the user cannot write opens to be looked at, and
// every change is refused with the reason, never reported done.
TEST_F(RegisterTest, ARegisterThatCannotBeWrittenOpensReadOnly) {
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("6"));
        ASSERT_TRUE(r->addContract(c).done());
    }
    ::chmod(QFile::encodeName(path()).constData(), 0444);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
    // As root every file is writable: the check runs as a user who is not.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        QString error;
        auto r = SqlRegister::open(path(), false, &error);
        if (!r) ::_exit(4);
        QString why;
        if (!r->readOnly(&why) || !why.contains(QStringLiteral("ดูได้อย่างเดียว"))) ::_exit(5);
        if (r->contracts().size() != 1) ::_exit(6);
        ContractInfo c = contract(QStringLiteral("7"));
        const StoreResult added = r->addContract(c);
        if (added.outcome != StoreResult::Outcome::Refused || added.why != why) ::_exit(7);
        r.reset();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(path()).constData(), 0644);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A writer killed at any moment: the register stays whole (SQLite's own
// check), every installment is either as it was or as it became (its
// designation and amount changed together), and a batch of installments
// (an imported contract) is there whole or not at all.
TEST_F(RegisterTest, AKillAtAnyMomentLeavesEveryRowOldOrNew) {
    constexpr size_t kFirst = 20, kBatch = 5;
    qint64 contractId = 0;
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("8"));
        ASSERT_TRUE(r->addContract(c).done());
        contractId = c.id;
        for (size_t n = 0; n < kFirst; ++n) {
            InstallmentInfo i;
            i.contractId = c.id;
            i.value = sample(QStringLiteral("0"), 0);
            ASSERT_TRUE(r->addInstallment(i).done());
        }
    }
    for (int round = 0; round < 16; ++round) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            QString error;
            auto r = SqlRegister::open(path(), false, &error);
            for (int k = 1;; ++k) {
                std::vector<InstallmentInfo> rows = r->installments(contractId);
                for (size_t n = k % 4 ? kFirst : 0; n < kFirst; ++n) {
                    rows[n].value.designation = QString::number(k);
                    rows[n].value.amount = k;
                    r->updateInstallment(rows[n]);
                }
                std::vector<InstallmentInfo> batch(kBatch);
                for (InstallmentInfo& i : batch) i.value = sample(QStringLiteral("ชุด"), k);
                ContractInfo into = *r->contract(contractId);
                r->addInstallments(into, batch);
            }
        }
        ::usleep(useconds_t(20000 + round * 7919 % 60000));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        {
            QString error;
            auto db = SqliteConnection::open(path(), false, &error);
            ASSERT_TRUE(db) << error.toStdString();
            QString check;
            ASSERT_TRUE(db->run(QStringLiteral("PRAGMA integrity_check"), {},
                                [&](const SqlRow& row) { check = row.text(0); }));
            EXPECT_EQ(check, QStringLiteral("ok"));
        }
        auto r = open(false);
        const std::vector<InstallmentInfo> rows = r->installments(contractId);
        ASSERT_GE(rows.size(), kFirst);
        EXPECT_EQ((rows.size() - kFirst) % kBatch, 0u) << "round " << round << ": " << rows.size();
        for (size_t n = 0; n < kFirst; ++n)
            EXPECT_EQ(rows[n].value.designation, QString::number(rows[n].value.amount)) << round;
    }
}

// Two programs adding installments to one contract at once: every one is
// kept, each in a place of its own.
TEST_F(RegisterTest, TwoWritersLoseNothing) {
    qint64 contractId = 0;
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("9"));
        ASSERT_TRUE(r->addContract(c).done());
        contractId = c.id;
    }
    constexpr int kEach = 40;
    std::vector<pid_t> writers;
    for (int w = 0; w < 2; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            QString error;
            auto r = SqlRegister::open(path(), false, &error);
            int failures = 0;
            for (int n = 0; n < kEach; ++n) {
                InstallmentInfo i;
                i.contractId = contractId;
                i.value = sample(QStringLiteral("%1-%2").arg(w).arg(n), n);
                if (!r->addInstallment(i).done()) ++failures;
            }
            r.reset();
            ::_exit(failures);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto r = open(false);
    const std::vector<InstallmentInfo> rows = r->installments(contractId);
    ASSERT_EQ(rows.size(), size_t(2 * kEach));
    for (size_t n = 0; n < rows.size(); ++n) EXPECT_EQ(rows[n].position, int(n) + 1);
}

}  // namespace
