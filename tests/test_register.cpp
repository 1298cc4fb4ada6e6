// The register on disk and on a server: what is stored reads back exactly;
// a change made over someone else's is refused; a file or database that is
// not a register, or one of a newer program, is left untouched; an older
// one is upgraded; a kill at any moment leaves every row old or new; two
// writers lose nothing. Each case runs on a SQLite file and, when the
// tests' PostgreSQL server is there, on a database of its own on it.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "RegisterPlaces.h"
#include "contract/SqlRegister.h"
#include "contract/SqliteConnection.h"

namespace {

// Statements run on a register from outside the program.
void runOn(const RegisterPlace& place, const QStringList& statements) {
    auto db = place.connect();
    ASSERT_TRUE(db);
    for (const QString& sql : statements) ASSERT_TRUE(db->run(sql)) << db->error().toStdString();
}
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

// A register's place, skipped when it is a server and none was given, but
// failing when the tests' setup was to start one and did not.
void skipWithoutServer(const RegisterPlace& place) {
    if (place.available()) return;
    QString why;
    TestServer::get(&why);
    if (qEnvironmentVariableIsSet("TARVON_TEST_POSTGRES_SETUP")) FAIL() << why.toStdString();
    GTEST_SKIP() << why.toStdString();
}

// A register of a test's own, and what the tests do with it.
class RegisterCase {
  protected:
    explicit RegisterCase(bool server) : place(server) {}
    QString path() const { return place.location(); }
    std::unique_ptr<SqlRegister> open(bool create = true, const QString& user = QString()) {
        QString error;
        auto r = SqlRegister::open(place.location(user), create, &error);
        EXPECT_TRUE(r) << error.toStdString();
        return r;
    }
    bool server() const { return place.server(); }
    // All a register is, to see that it was left untouched: a file's
    // bytes, a database's tables and what the register says of itself.
    QByteArray fingerprint() const {
        if (!server()) return fileBytes(path());
        QByteArray all;
        auto db = place.connect();
        for (const char* sql : {"SELECT table_name FROM information_schema.tables WHERE "
                                "table_schema = current_schema() ORDER BY 1",
                                "SELECT key || '=' || value FROM register_meta ORDER BY key",
                                "SELECT CAST(n AS TEXT) FROM register_changes",
                                "SELECT number || version FROM contracts ORDER BY id"})
            db->run(QString::fromLatin1(sql), {}, [&](const SqlRow& row) { all += row.text(0).toUtf8() + '\n'; });
        return all;
    }
    RegisterPlace place;
};

// The param: whether the register is on the server.
class RegisterTest : public ::testing::TestWithParam<bool>, public RegisterCase {
  protected:
    RegisterTest() : RegisterCase(GetParam()) {}
    void SetUp() override { skipWithoutServer(place); }
};

// What only a file has: a medium it cannot be written on.
class FileRegister : public ::testing::Test, public RegisterCase {
  protected:
    FileRegister() : RegisterCase(false) {}
};

// What only a server has: roles, a server that goes away, notices.
class PostgresRegister : public ::testing::Test, public RegisterCase {
  protected:
    PostgresRegister() : RegisterCase(true) {}
    void SetUp() override { skipWithoutServer(place); }
};

INSTANTIATE_TEST_SUITE_P(On, RegisterTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Postgres" : "Sqlite"; });

// Every kind of value an installment holds comes back bit for bit: amounts
// that are not decimal fractions in binary, the largest and a negative, Thai
// with its blanks, the chain's zero-priced last item, ten items.
TEST_P(RegisterTest, WhatIsStoredReadsBackExactly) {
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

TEST_P(RegisterTest, APrintedSheetKeepsWhatItWasPrintedFrom) {
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
TEST_P(RegisterTest, AChangeOverSomeoneElsesIsRefused) {
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

TEST_P(RegisterTest, AContractNumberIsTakenOnce) {
    auto r = open();
    ContractInfo a = contract(QStringLiteral("7/2550")), b = contract(QStringLiteral("7/2550"));
    ASSERT_TRUE(r->addContract(a).done());
    const StoreResult second = r->addContract(b);
    EXPECT_EQ(second.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(second.why.contains(QStringLiteral("7/2550")));
    EXPECT_EQ(r->contracts().size(), 1u);
}

TEST_P(RegisterTest, EveryChangeIsInTheHistoryWithWhoAndWhen) {
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
    // On a server, who the server knows the user as.
    if (server())
        EXPECT_EQ(h[1].user, PostgresLogin::fromLocation(path())->user);
    else
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

TEST_P(RegisterTest, ANewerProgramsRegisterIsRefusedUntouched) {
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("4"));
        ASSERT_TRUE(r->addContract(c).done());
    }
    runOn(place, {QStringLiteral("UPDATE register_meta SET value = '99' WHERE key = 'schema_version'")});
    const QByteArray before = fingerprint();
    QString error;
    EXPECT_FALSE(SqlRegister::open(path(), false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ใหม่กว่า"))) << error.toStdString();
    EXPECT_EQ(fingerprint(), before);
}

// A register of the first version (before the history) is upgraded in
// place, a file after a copy of it is kept, and keeps its contracts.
TEST_P(RegisterTest, AnOlderRegisterIsUpgraded) {
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("5"));
        ASSERT_TRUE(r->addContract(c).done());
    }
    // What version 1 was: the same without the history table.
    runOn(place, {QStringLiteral("DROP TABLE history"),
                  QStringLiteral("UPDATE register_meta SET value = '1' WHERE key = 'schema_version'")});
    const QByteArray v1 = fingerprint();
    QString error;
    SqlRegister::Opened how{};
    auto r = SqlRegister::open(path(), false, &error, &how);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(how, SqlRegister::Opened::Upgraded);
    EXPECT_EQ(r->schemaVersion(), SqlRegister::kSchemaVersion);
    if (!server()) {
        EXPECT_EQ(fileBytes(SqlRegister::upgradeCopy(path(), 1)), v1);
    }
    EXPECT_TRUE(r->contractByNumber(QStringLiteral("5")));
    InstallmentInfo i;
    i.contractId = r->contractByNumber(QStringLiteral("5"))->id;
    i.value = sample(QStringLiteral("ก"), 1);
    EXPECT_TRUE(r->addInstallment(i).done());
    EXPECT_EQ(r->history(i.id).size(), 1u);
}

// A register on a medium the user cannot write opens to be looked at, and
// every change is refused with the reason, never reported done.
TEST_F(FileRegister, ARegisterThatCannotBeWrittenOpensReadOnly) {
    {
        auto r = open();
        ContractInfo c = contract(QStringLiteral("6"));
        ASSERT_TRUE(r->addContract(c).done());
    }
    ::chmod(QFile::encodeName(path()).constData(), 0444);
    ::chmod(QFile::encodeName(place.folder().path()).constData(), 0555);
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
    ::chmod(QFile::encodeName(place.folder().path()).constData(), 0755);
    ::chmod(QFile::encodeName(path()).constData(), 0644);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A writer killed at any moment: the register stays whole (SQLite's own
// check), every installment is either as it was or as it became (its
// designation and amount changed together), and a batch of installments
// (an imported contract) is there whole or not at all.
TEST_P(RegisterTest, AKillAtAnyMomentLeavesEveryRowOldOrNew) {
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
        if (!server()) {
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
TEST_P(RegisterTest, TwoWritersLoseNothing) {
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

// Contracts are listed, and a month's installments summed, in one order
// whatever the database: by the bytes of their numbers, as a file sorts
// them (a server's database sorts Thai and Latin otherwise).
TEST_P(RegisterTest, ContractsComeInOneOrderOnEveryDatabase) {
    auto r = open();
    QStringList numbers = {QStringLiteral("เก"), QStringLiteral("ขา"), QStringLiteral("a"), QStringLiteral("B")};
    for (const QString& number : numbers) {
        ContractInfo c = contract(number);
        ASSERT_TRUE(r->addContract(c).done());
        InstallmentInfo i;
        i.contractId = c.id;
        i.value = sample(number, 1);
        ASSERT_TRUE(r->addInstallment(i).done());
    }
    std::sort(numbers.begin(), numbers.end());
    QStringList listed, delivered;
    for (const ContractInfo& c : r->contracts()) listed << c.number;
    r->forEachDelivered(2548 * 12 + 9, 2548 * 12 + 9,
                        [&](const ContractInfo& c, const InstallmentInfo&) { delivered << c.number; });
    EXPECT_EQ(listed, numbers);
    EXPECT_EQ(delivered, numbers);
}

// The sums' walk over the register: every installment once, in contract
// and position order, with its own contract and its printed figures.
TEST_P(RegisterTest, EveryInstallmentIsWalkedOnceWithItsContract) {
    auto r = open();
    std::vector<ContractInfo> made;
    for (const char* number : {"ข 2", "ก 1", "ค 3"}) {
        ContractInfo c = contract(QString::fromUtf8(number));
        c.bidYear = 2540 + int(made.size());
        ASSERT_TRUE(r->addContract(c).done());
        made.push_back(c);
    }
    // Added out of their contracts' order.
    for (int round = 0; round < 3; ++round) {
        for (const ContractInfo& c : {made[2], made[0], made[1]}) {
            InstallmentInfo i;
            i.contractId = c.id;
            i.value = sample(QStringLiteral("%1-%2").arg(c.number).arg(round), round + 0.5);
            ASSERT_TRUE(r->addInstallment(i).done());
            if (round == 1) {
                PrintedSheet s;
                s.at = QDateTime::currentDateTime();
                s.inputs = i.value;
                s.netAmount = i.value.amount;
                s.result = {1.05f, Band::Above, 0.01f, 12.5, 0};
                ASSERT_TRUE(r->setPrinted(i, s).done());
            }
        }
    }
    std::vector<std::pair<qint64, qint64>> walked;  // contract, installment
    r->forEachInstallment([&](const ContractInfo& c, const InstallmentInfo& i) {
        EXPECT_EQ(c.id, i.contractId);
        EXPECT_EQ(i.value.bidYear, c.bidYear);
        const std::optional<InstallmentInfo> alone = r->installment(i.id);
        ASSERT_TRUE(alone);
        EXPECT_EQ(alone->contractId, c.id);
        EXPECT_EQ(i.position, alone->position);
        // What the sums need (no texts).
        EXPECT_EQ(i.value.amount, alone->value.amount);
        EXPECT_EQ(i.value.formula, alone->value.formula);
        EXPECT_EQ(i.value.month, alone->value.month);
        EXPECT_EQ(i.value.year, alone->value.year);
        EXPECT_EQ(bool(i.printed), bool(alone->printed));
        if (i.printed) {
            EXPECT_EQ(i.printed->result.compensation, alone->printed->result.compensation);
        }
        walked.emplace_back(c.id, i.id);
    });
    ASSERT_EQ(walked.size(), 9u);
    EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
    EXPECT_TRUE(r->lastRead().done());
}

// ---- changes seen from elsewhere -------------------------------------------

// Another's change is seen, one's own is not; on a server its notice wakes
// a window watching the socket without asking.
TEST_P(RegisterTest, AnothersChangeIsSeenAndOnesOwnIsNot) {
    auto mine = open();
    auto theirs = open(false);
    EXPECT_FALSE(mine->changedElsewhere());
    ContractInfo c = contract(QStringLiteral("10"));
    ASSERT_TRUE(mine->addContract(c).done());
    EXPECT_FALSE(mine->changedElsewhere());
    EXPECT_TRUE(theirs->changedElsewhere());
    EXPECT_FALSE(theirs->changedElsewhere());
    // Theirs, then one's own before looking: theirs is still seen.
    ContractInfo e = contract(QStringLiteral("12"));
    ASSERT_TRUE(theirs->addContract(e).done());
    ASSERT_TRUE(mine->setOffice(QStringLiteral("กองช่าง")).done());
    EXPECT_TRUE(mine->changedElsewhere());
    EXPECT_TRUE(theirs->changedElsewhere());
    const int socket = mine->changeNotifier();
    if (!server()) {
        EXPECT_EQ(socket, -1);
        return;
    }
    ASSERT_GE(socket, 0);
    ContractInfo d = contract(QStringLiteral("11"));
    ASSERT_TRUE(theirs->addContract(d).done());
    pollfd watched{socket, POLLIN, 0};
    ASSERT_EQ(::poll(&watched, 1, 60000), 1) << "no notice of another's change";
    EXPECT_TRUE(mine->changedElsewhere());
    EXPECT_FALSE(theirs->changedElsewhere());
}

// ---- locations of a server -------------------------------------------------

struct LocationCase {
    const char* location;
    const char* host;
    int port;
    const char* database;
    const char* user;
    const char* password;
    const char* shown;  // as it is shown: without the password
};

class ServerLocation : public ::testing::TestWithParam<LocationCase> {};

TEST_P(ServerLocation, IsReadIntoItsFieldsAndShownWithoutItsPassword) {
    const LocationCase& c = GetParam();
    const QString location = QString::fromUtf8(c.location);
    ASSERT_TRUE(isServerLocation(location));
    const std::optional<PostgresLogin> login = PostgresLogin::fromLocation(location);
    ASSERT_TRUE(login);
    EXPECT_EQ(login->host, QString::fromUtf8(c.host));
    EXPECT_EQ(login->port, c.port);
    EXPECT_EQ(login->database, QString::fromUtf8(c.database));
    EXPECT_EQ(login->user, QString::fromUtf8(c.user));
    EXPECT_EQ(login->password, QString::fromUtf8(c.password));
    EXPECT_EQ(shownLocation(location), QString::fromUtf8(c.shown));
    // The dialog's fields make a location that reads back as the same
    // fields, never with the password.
    const QString made = login->location();
    EXPECT_FALSE(!login->password.isEmpty() && made.contains(login->password)) << made.toStdString();
    PostgresLogin again = *PostgresLogin::fromLocation(made);
    again.password = login->password;
    EXPECT_EQ(again.location(), made);
    EXPECT_EQ(again.host, login->host);
    EXPECT_EQ(again.database, login->database);
    EXPECT_EQ(again.user, login->user);
    EXPECT_EQ(again.port, login->port);
}

INSTANTIATE_TEST_SUITE_P(
    Locations, ServerLocation,
    ::testing::Values(
        LocationCase{"postgresql://clerk@db.office.local:5433/register", "db.office.local", 5433, "register",
                     "clerk", "", "postgresql://clerk@db.office.local:5433/register"},
        LocationCase{"postgresql://clerk:s3cret@db/register", "db", 0, "register", "clerk", "s3cret",
                     "postgresql://clerk@db/register"},
        LocationCase{"postgres:///register?host=/var/run/postgresql&user=clerk&password=x&sslmode=disable",
                     "/var/run/postgresql", 0, "register", "clerk", "x",
                     "postgres:///register?host=/var/run/postgresql&user=clerk&sslmode=disable"},
        LocationCase{"postgresql://%2Ftmp%2Fpg@/ทะเบียน", "", 0, "ทะเบียน", "/tmp/pg", "",
                     "postgresql://%2Ftmp%2Fpg@/ทะเบียน"},
        LocationCase{"postgresql://auditor@[::1]:5432/register", "::1", 5432, "register", "auditor", "",
                     "postgresql://auditor@[::1]:5432/register"},
        LocationCase{"postgresql://%2Fvar%2Frun%2Fpostgresql/%E0%B8%97%E0%B8%B0", "/var/run/postgresql", 0, "ทะ",
                     "", "", "postgresql://%2Fvar%2Frun%2Fpostgresql/%E0%B8%97%E0%B8%B0"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ServerLocation, AFileIsNotAServer) {
    for (const char* path : {"/home/clerk/register.sqlite", "register.sqlite", "postgresql.sqlite",
                             "./postgresql://x"})
        EXPECT_FALSE(isServerLocation(QString::fromUtf8(path))) << path;
}

// ---- what only a server has -----------------------------------------------

// The grants the README shows: one who may only read (an auditor), one who
// may enter installments, print them and nothing else.
const QStringList kAuditor = {QStringLiteral("SELECT ON ALL TABLES IN SCHEMA public")};
const QStringList kClerk = {QStringLiteral("SELECT ON ALL TABLES IN SCHEMA public"),
                            QStringLiteral("INSERT, UPDATE, DELETE ON installments, printed"),
                            QStringLiteral("INSERT ON history"), QStringLiteral("UPDATE ON register_changes")};

TEST_F(PostgresRegister, ARoleThatMayOnlyReadIsToldSoAndRefusedInThai) {
    auto owner = open();
    ContractInfo c = contract(QStringLiteral("20"));
    ASSERT_TRUE(owner->addContract(c).done());
    const QString auditor = place.role(QStringLiteral("auditor"), kAuditor);
    auto r = open(false, auditor);
    ASSERT_TRUE(r);
    QString why;
    EXPECT_TRUE(r->readOnly(&why));
    EXPECT_TRUE(why.contains(QStringLiteral("ดูได้อย่างเดียว")) && why.contains(auditor)) << why.toStdString();
    EXPECT_EQ(r->contracts().size(), 1u);
    ContractInfo more = contract(QStringLiteral("21"));
    const StoreResult added = r->addContract(more);
    EXPECT_EQ(added.outcome, StoreResult::Outcome::Refused);
    EXPECT_EQ(added.why, why);
    EXPECT_EQ(owner->contracts().size(), 1u);
}

// A role may enter installments but not contracts: what the server refuses
// is refused in Thai, and nothing of it is kept; so is a change after the
// role lost its right while it had the register open.
TEST_F(PostgresRegister, WhatTheServerRefusesIsRefusedInThaiNeverDone) {
    auto owner = open();
    ContractInfo c = contract(QStringLiteral("22"));
    ASSERT_TRUE(owner->addContract(c).done());
    const QString clerk = place.role(QStringLiteral("clerk"), kClerk);
    auto r = open(false, clerk);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->readOnly());
    InstallmentInfo i;
    i.contractId = c.id;
    i.value = sample(QStringLiteral("1"), 100);
    ASSERT_TRUE(r->addInstallment(i).done());
    EXPECT_EQ(r->history(i.id).front().user, clerk);
    const qint64 generation = owner->generation();
    ContractInfo other = contract(QStringLiteral("23"));
    const StoreResult refused = r->addContract(other);
    EXPECT_EQ(refused.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(refused.why.contains(QStringLiteral("ไม่มีสิทธิ์"))) << refused.why.toStdString();
    EXPECT_EQ(r->setOffice(QStringLiteral("สำนักงาน")).outcome, StoreResult::Outcome::Refused);
    EXPECT_EQ(owner->contracts().size(), 1u);
    EXPECT_EQ(owner->office(), QString());
    EXPECT_EQ(owner->generation(), generation);

    runOn(place, {QStringLiteral("REVOKE UPDATE ON installments FROM %1").arg(clerk)});
    InstallmentInfo edited = i;
    edited.value.amount = 200;
    const StoreResult denied = r->updateInstallment(edited);
    EXPECT_EQ(denied.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(denied.why.contains(QStringLiteral("ไม่มีสิทธิ์"))) << denied.why.toStdString();
    EXPECT_EQ(owner->installment(i.id)->value.amount, 100);
}

// A password is given for the connection (the dialog's), never kept in
// the location shown; without it, or a wrong one, the opening says the
// server could not be reached. tarvon-batch takes it from PGPASSWORD.
TEST_F(PostgresRegister, APasswordIsGivenForTheConnectionOnly) {
    open();
    runOn(place, {QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = "
                                 "'tarvon_passwords') THEN CREATE ROLE tarvon_passwords NOLOGIN; END IF; END $$")});
    const QString somchai = place.role(QStringLiteral("somchai"), kAuditor);
    const QString secret = QStringLiteral("ลับ s3cret");
    runOn(place, {QStringLiteral("ALTER ROLE %1 PASSWORD '%2'").arg(somchai, secret),
                  QStringLiteral("GRANT tarvon_passwords TO %1").arg(somchai)});
    QString error;
    for (const QString& password : {QString(), QStringLiteral("wrong")}) {
        EXPECT_FALSE(SqlRegister::open(place.location(somchai), false, &error, nullptr, password));
        EXPECT_TRUE(error.contains(QStringLiteral("ติดต่อเซิร์ฟเวอร์ฐานข้อมูลไม่ได้"))) << error.toStdString();
    }
    auto r = SqlRegister::open(place.location(somchai), false, &error, nullptr, secret);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_TRUE(r->readOnly());
    EXPECT_GE(r->changeNotifier(), 0);  // its own connection, with the same password
    EXPECT_FALSE(r->location().contains(QStringLiteral("s3cret")));
    // A password written into the location is used, and never shown.
    PostgresLogin login = *PostgresLogin::fromLocation(place.location(somchai));
    const QString withPassword = login.location().replace(
        somchai + QLatin1Char('@'), somchai + QLatin1Char(':') + QString::fromLatin1(QUrl::toPercentEncoding(secret)) +
                                        QLatin1Char('@'));
    auto again = SqlRegister::open(withPassword, false, &error);
    ASSERT_TRUE(again) << error.toStdString();
    EXPECT_FALSE(again->location().contains(QStringLiteral("s3cret"))) << again->location().toStdString();
    login.database = QStringLiteral("no_such_database");
    const QString missing = login.location().replace(
        somchai + QLatin1Char('@'), somchai + QStringLiteral(":s3cret@"));
    EXPECT_FALSE(SqlRegister::open(missing, false, &error));
    EXPECT_FALSE(error.contains(QStringLiteral("s3cret"))) << error.toStdString();

    const auto copy = [&](const QString& pgpassword) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("PGPASSWORD"));
        if (!pgpassword.isEmpty()) env.insert(QStringLiteral("PGPASSWORD"), pgpassword);
        p.setProcessEnvironment(env);
        const QString to = place.folder().filePath(QStringLiteral("copy-%1.sqlite").arg(pgpassword.size()));
        p.start(QStringLiteral(TARVON_BATCH), {QStringLiteral("--copy-register"), place.location(somchai), to});
        p.waitForFinished(120000);
        return p.exitCode();
    };
    EXPECT_EQ(copy(QString()), 2);
    EXPECT_EQ(copy(secret), 0);
}

// Who may not read, or not make the tables, is told so at opening.
TEST_F(PostgresRegister, ARoleWithoutRightsIsToldAtOpening) {
    const QString stranger = place.role(QStringLiteral("stranger"), {});
    QString error;
    EXPECT_FALSE(SqlRegister::open(place.location(stranger), true, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ไม่มีสิทธิ์สร้างตาราง"))) << error.toStdString();
    open();
    EXPECT_FALSE(SqlRegister::open(place.location(stranger), false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ไม่มีสิทธิ์อ่าน"))) << error.toStdString();
}

// A database that holds another program's tables, or none without
// `create`, is refused by name and left as it was.
TEST_F(PostgresRegister, ADatabaseThatIsNotARegisterIsRefusedUntouched) {
    QString error;
    EXPECT_FALSE(SqlRegister::open(path(), false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ยังไม่มีทะเบียน")) && error.contains(path()))
        << error.toStdString();
    runOn(place, {QStringLiteral("CREATE TABLE notes (text TEXT)")});
    const QByteArray before = fingerprint();
    EXPECT_FALSE(SqlRegister::open(path(), true, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ไม่ใช่ทะเบียนสัญญา"))) << error.toStdString();
    EXPECT_EQ(fingerprint(), before);
}

// Two programs opening an empty database at once both find one register.
TEST_F(PostgresRegister, TwoFirstOpeningsMakeOneSchema) {
    std::vector<pid_t> openers;
    for (int n = 0; n < 2; ++n) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            QString error;
            auto r = SqlRegister::open(path(), true, &error);
            ::_exit(r && r->schemaVersion() == SqlRegister::kSchemaVersion ? 0 : 1);
        }
        openers.push_back(pid);
    }
    for (pid_t pid : openers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

// The server stopped while the register is open: every read and change
// says so in Thai at once, nothing is reported done; once it is back the
// register goes on by itself (or when asked to), and nothing committed
// before is lost.
TEST_F(PostgresRegister, AServerThatGoesAwayIsToldAndReconnected) {
    QString why;
    if (!TestServer::get(&why)->controlled()) GTEST_SKIP() << "the server cannot be stopped from here";
    auto r = open();
    auto other = open(false);
    ContractInfo c = contract(QStringLiteral("30"));
    ASSERT_TRUE(r->addContract(c).done());
    InstallmentInfo i;
    i.contractId = c.id;
    i.value = sample(QStringLiteral("1"), 100);
    ASSERT_TRUE(r->addInstallment(i).done());
    const int socket = other->changeNotifier();
    ASSERT_GE(socket, 0);

    ASSERT_TRUE(TestServer::get(&why)->halt());
    // The watched socket wakes the window at once.
    pollfd watched{socket, POLLIN, 0};
    EXPECT_EQ(::poll(&watched, 1, 60000), 1);
    InstallmentInfo second;
    second.contractId = c.id;
    second.value = sample(QStringLiteral("2"), 200);
    const StoreResult lost = r->addInstallment(second);
    EXPECT_EQ(lost.outcome, StoreResult::Outcome::Failed);
    EXPECT_TRUE(lost.why.contains(QStringLiteral("ติดต่อฐานข้อมูลทะเบียนไม่ได้"))) << lost.why.toStdString();
    EXPECT_TRUE(r->contracts().empty());
    EXPECT_FALSE(r->lastRead().done());
    EXPECT_TRUE(r->lastRead().why.contains(QStringLiteral("ติดต่อฐานข้อมูลทะเบียนไม่ได้")));
    EXPECT_FALSE(other->reconnect().done());

    ASSERT_TRUE(TestServer::get(&why)->resume());
    EXPECT_EQ(r->contracts().size(), 1u);
    EXPECT_TRUE(r->lastRead().done());
    ASSERT_TRUE(r->addInstallment(second).done());
    EXPECT_TRUE(other->reconnect().done());
    EXPECT_GE(other->changeNotifier(), 0);
    const std::vector<InstallmentInfo> rows = other->installments(c.id);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].value == i.value);
    EXPECT_TRUE(rows[1].value == second.value);
}

// Every kind of column a statement may give comes back as the server sent
// it, in binary: integers of each width, doubles bit for bit, decimals,
// truth values, texts in Thai.
TEST_F(PostgresRegister, EveryKindOfColumnReadsBackAsSent) {
    struct Case {
        const char* expression;
        qint64 integer;
        double real;
        const char* text;
    };
    const Case cases[] = {
        {"CAST(-32768 AS SMALLINT)", -32768, -32768, "-32768"},
        {"CAST(2147483647 AS INTEGER)", 2147483647, 2147483647, "2147483647"},
        {"CAST(-9007199254740993 AS BIGINT)", -9007199254740993LL, -9007199254740992.0, "-9007199254740993"},
        {"CAST(0.1 AS DOUBLE PRECISION)", 0, 0.1, "0.10000000000000001"},
        {"CAST(1.5 AS REAL)", 1, 1.5, "1.5"},
        {"CAST(12345.678 AS NUMERIC)", 12345, 12345.678, "12345.678"},
        {"CAST(-0.00012 AS NUMERIC)", 0, -0.00012, "-0.00012"},
        {"CAST(100000000 AS NUMERIC)", 100000000, 1e8, "100000000"},
        {"CAST(123456789.0001 AS NUMERIC)", 123456789, 123456789.0001, "123456789.0001"},
        {"TRUE", 1, 1, "1"},
        {"'ค่า K งวดที่ 3'", 0, 0, "ค่า K งวดที่ 3"},
    };
    auto db = place.connect();
    for (const Case& c : cases) {
        bool read = false;
        ASSERT_TRUE(db->run(QStringLiteral("SELECT %1").arg(QString::fromUtf8(c.expression)), {},
                            [&](const SqlRow& row) {
                                read = true;
                                EXPECT_FALSE(row.isNull(0));
                                EXPECT_EQ(row.text(0), QString::fromUtf8(c.text)) << c.expression;
                                if (c.integer || c.real) {
                                    EXPECT_EQ(row.integer(0), c.integer) << c.expression;
                                    EXPECT_EQ(row.real(0), c.real) << c.expression;
                                }
                            }))
            << db->error().toStdString();
        EXPECT_TRUE(read) << c.expression;
    }
    db->run(QStringLiteral("SELECT CAST(NULL AS TEXT)"), {}, [&](const SqlRow& row) {
        EXPECT_TRUE(row.isNull(0));
        EXPECT_TRUE(row.text(0).isNull());
    });
}

// A transaction the connection was lost in is never finished on the new
// connection: its statements fail until it is rolled back, and nothing of
// it is kept.
TEST_F(PostgresRegister, ATransactionLostWithItsConnectionIsNotContinued) {
    QString why;
    if (!TestServer::get(&why)->controlled()) GTEST_SKIP() << "the server cannot be stopped from here";
    runOn(place, {QStringLiteral("CREATE TABLE t (n INTEGER)")});
    auto db = place.connect();
    ASSERT_TRUE(db->run(QStringLiteral("BEGIN")));
    ASSERT_TRUE(db->run(QStringLiteral("INSERT INTO t (n) VALUES (1)")));
    ASSERT_TRUE(TestServer::get(&why)->halt());
    EXPECT_FALSE(db->run(QStringLiteral("INSERT INTO t (n) VALUES (2)")));
    EXPECT_EQ(db->failure(), SqlConnection::Failure::Gone);
    ASSERT_TRUE(TestServer::get(&why)->resume());
    EXPECT_FALSE(db->run(QStringLiteral("INSERT INTO t (n) VALUES (3)")));
    EXPECT_EQ(db->failure(), SqlConnection::Failure::Gone);
    EXPECT_TRUE(db->run(QStringLiteral("ROLLBACK")));
    EXPECT_TRUE(db->run(QStringLiteral("INSERT INTO t (n) VALUES (4)"))) << db->error().toStdString();
    std::vector<qint64> kept;
    db->run(QStringLiteral("SELECT n FROM t ORDER BY n"), {}, [&](const SqlRow& row) { kept.push_back(row.integer(0)); });
    EXPECT_EQ(kept, std::vector<qint64>{4});
}

// ---- a register copied ------------------------------------------------------

// A register with a bit of everything: contracts, installments with items,
// a printed one, an edit and a removal in the history, the office.
void fill(SqlRegister& r) {
    ASSERT_TRUE(r.setOffice(QStringLiteral("กองช่าง เทศบาลตำบลบ้านนา")).done());
    for (int n = 1; n <= 3; ++n) {
        ContractInfo c = contract(QStringLiteral("สญ %1/2548").arg(n));
        ASSERT_TRUE(r.addContract(c).done());
        for (int k = 1; k <= 4; ++k) {
            InstallmentInfo i;
            i.contractId = c.id;
            i.value = sample(QStringLiteral("%1 งวดที่ %1").arg(k), k / 3.0 + n * 1e6);
            if (k % 2) i.value.items = {{QStringLiteral("ปั๊มน้ำ"), 0.1 * k}, {QString(), 0}};
            ASSERT_TRUE(r.addInstallment(i).done());
            if (k == 2) {
                i.value.amount = -0.29;
                ASSERT_TRUE(r.updateInstallment(i).done());
            }
            if (k == 3) {
                PrintedSheet s;
                s.at = QDateTime::fromString(QStringLiteral("2024-05-01T10:20:30.456"), Qt::ISODateWithMs);
                s.inputs = i.value;
                s.o.year = 2548;
                s.o.month = 1;
                s.t.year = 2548;
                s.t.month = 10;
                for (int col = 0; col < kIndexColumns; ++col) {
                    s.o.col[size_t(col)] = 171.1f + col;
                    s.t.col[size_t(col)] = 206.4f + col / 7.0f;
                }
                s.netAmount = i.value.amount - 0.3;
                s.result = {1.159f, Band::Above, 0.119f, 113050.25, 0};
                ASSERT_TRUE(r.setPrinted(i, s).done());
            }
        }
    }
    InstallmentInfo last = r.installments(r.contracts().back().id).back();
    ASSERT_TRUE(r.removeInstallment(last).done());
}

// Everything a register gives, in one text: every field of every row,
// doubles by their bits.
QString everything(SqlRegister& r) {
    QString all = r.office() + QLatin1Char('\n');
    const auto bits = [](double d) { return QString::number(std::bit_cast<quint64>(d), 16); };
    for (const ContractInfo& c : r.contracts()) {
        all += QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9\n")
                   .arg(c.id)
                   .arg(c.number, c.work, c.contractor)
                   .arg(c.bidDay)
                   .arg(c.bidMonth)
                   .arg(c.bidYear)
                   .arg(c.formula)
                   .arg(c.version);
        for (const InstallmentInfo& i : r.installments(c.id)) {
            all += QStringLiteral(" %1|%2|%3|%4|%5|%6|%7/%8/%9").arg(i.id).arg(i.position).arg(i.version)
                       .arg(i.value.designation).arg(i.value.formula).arg(bits(i.value.amount))
                       .arg(i.value.day).arg(i.value.month).arg(i.value.year);
            for (const Installment::Item& item : i.value.items) all += QStringLiteral("|%1=%2").arg(item.name, bits(item.price));
            if (i.printed) {
                const PrintedSheet& s = *i.printed;
                all += QStringLiteral("|printed %1 %2 %3 %4 %5 %6 %7 %8")
                           .arg(s.at.toString(Qt::ISODateWithMs), bits(s.netAmount), bits(s.result.k),
                                QString::number(int(s.result.band)), bits(s.result.excess),
                                bits(s.result.compensation), bits(s.result.refund), s.inputs.designation);
                for (int col = 0; col < kIndexColumns; ++col)
                    all += QLatin1Char(' ') + bits(s.o.col[size_t(col)]) + QLatin1Char('/') + bits(s.t.col[size_t(col)]);
            }
            all += QLatin1Char('\n');
            for (const HistoryEntry& h : r.history(i.id))
                all += QStringLiteral("  %1|%2|%3|%4\n").arg(h.at.toString(Qt::ISODateWithMs), h.user, h.action, h.what);
        }
    }
    return all;
}

int rowsOf(const RegisterPlace& place, const QString& table) {
    int n = -1;
    place.connect()->run(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), {},
                         [&](const SqlRow& row) { n = int(row.integer(0)); });
    return n;
}

// A file copied to the server and back gives the same rows, bit for bit,
// with their ids, versions and history; a copy onto a register that holds
// anything, or one the server stops halfway, leaves it as it was.
TEST_F(PostgresRegister, ACopyToTheServerAndBackGivesTheSameRows) {
    RegisterPlace file(false);
    std::unique_ptr<SqlRegister> original;
    {
        QString error;
        original = SqlRegister::open(file.location(), true, &error);
        ASSERT_TRUE(original) << error.toStdString();
        fill(*original);
        if (HasFatalFailure()) return;
    }
    SqlRegister::Copied there, back;
    const StoreResult up = SqlRegister::copy(file.location(), path(), &there);
    ASSERT_TRUE(up.done()) << up.why.toStdString();
    EXPECT_EQ(there.contracts, 3);
    EXPECT_EQ(there.installments, 11);
    EXPECT_EQ(there.printed, 3);
    EXPECT_EQ(there.history, rowsOf(file, QStringLiteral("history")));
    const QString copyBack = file.folder().filePath(QStringLiteral("back.sqlite"));
    const StoreResult down = SqlRegister::copy(path(), copyBack, &back);
    ASSERT_TRUE(down.done()) << down.why.toStdString();
    EXPECT_EQ(back.contracts, there.contracts);
    EXPECT_EQ(back.installments, there.installments);
    EXPECT_EQ(back.printed, there.printed);
    EXPECT_EQ(back.history, there.history);
    auto server = open(false);
    QString error;
    auto returned = SqlRegister::open(copyBack, false, &error);
    ASSERT_TRUE(returned) << error.toStdString();
    const QString before = everything(*original);
    EXPECT_EQ(everything(*server), before);
    EXPECT_EQ(everything(*returned), before);
    // Table by table, as SQLite compares them: nothing more, nothing less.
    auto db = file.connect();
    ASSERT_TRUE(db->run(QStringLiteral("ATTACH DATABASE $1 AS back"), {copyBack}));
    for (const char* table : {"contracts", "installments", "printed", "history", "register_meta"}) {
        int differ = -1;
        db->run(QStringLiteral("SELECT (SELECT COUNT(*) FROM (SELECT * FROM main.%1 EXCEPT SELECT * FROM back.%1)) + "
                               "(SELECT COUNT(*) FROM (SELECT * FROM back.%1 EXCEPT SELECT * FROM main.%1))")
                    .arg(QLatin1String(table)),
                {}, [&](const SqlRow& row) { differ = int(row.integer(0)); });
        EXPECT_EQ(differ, 0) << table;
    }
    // New rows go on from the copied ones' ids.
    ContractInfo more = contract(QStringLiteral("สญ 4/2548"));
    ASSERT_TRUE(server->addContract(more).done());
    EXPECT_GT(more.id, original->contracts().back().id);

    // Onto a register that holds anything, or onto itself: refused, left
    // as it was.
    const QString serverBefore = everything(*server);
    for (const QString& same : {file.location(), path()}) {
        const StoreResult itself = SqlRegister::copy(same, same, &there);
        EXPECT_EQ(itself.outcome, StoreResult::Outcome::Refused);
        EXPECT_TRUE(itself.why.contains(QStringLiteral("ทะเบียนเดียวกัน"))) << itself.why.toStdString();
    }
    EXPECT_EQ(everything(*original), before);
    const StoreResult onto = SqlRegister::copy(file.location(), path(), &there);
    EXPECT_EQ(onto.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(onto.why.contains(QStringLiteral("มีรายการอยู่แล้ว"))) << onto.why.toStdString();
    EXPECT_EQ(everything(*server), serverBefore);
}

// A copy the server refuses halfway (the role may add contracts and
// installments but not printed sheets) keeps nothing of it.
TEST_F(PostgresRegister, ACopyStoppedHalfwayKeepsNothing) {
    open();
    const QString loader = place.role(
        QStringLiteral("loader"),
        {QStringLiteral("SELECT ON ALL TABLES IN SCHEMA public"), QStringLiteral("INSERT ON contracts, installments, history"),
         QStringLiteral("UPDATE ON register_changes, register_meta"),
         QStringLiteral("USAGE ON ALL SEQUENCES IN SCHEMA public")});
    RegisterPlace file(false);
    {
        QString error;
        auto original = SqlRegister::open(file.location(), true, &error);
        ASSERT_TRUE(original) << error.toStdString();
        fill(*original);
        if (HasFatalFailure()) return;
    }
    SqlRegister::Copied copied;
    const StoreResult r = SqlRegister::copy(file.location(), place.location(loader), &copied);
    EXPECT_EQ(r.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(r.why.contains(QStringLiteral("ไม่มีสิทธิ์"))) << r.why.toStdString();
    for (const char* table : {"contracts", "installments", "printed", "history"})
        EXPECT_EQ(rowsOf(place, QString::fromLatin1(table)), 0) << table;
    // Read by a role that may not read the printed sheets: the file made
    // for the copy is not left behind.
    ASSERT_TRUE(SqlRegister::copy(file.location(), path(), &copied).done());
    const QString partial = place.role(
        QStringLiteral("partial"),
        {QStringLiteral("SELECT ON register_meta, register_changes, contracts, installments, history")});
    const QString made = file.folder().filePath(QStringLiteral("made.sqlite"));
    const StoreResult unread = SqlRegister::copy(place.location(partial), made, &copied);
    EXPECT_EQ(unread.outcome, StoreResult::Outcome::Refused);
    EXPECT_TRUE(unread.why.contains(QStringLiteral("ไม่มีสิทธิ์อ่าน"))) << unread.why.toStdString();
    EXPECT_FALSE(QFileInfo::exists(made));
}

// tarvon-batch --copy-register: the copy, and how many of each it copied;
// a copy refused says why in Thai, exits 2 and leaves both registers.
TEST_F(PostgresRegister, TheBatchToolCopiesAndSaysHowMany) {
    RegisterPlace file(false);
    {
        QString error;
        auto original = SqlRegister::open(file.location(), true, &error);
        ASSERT_TRUE(original) << error.toStdString();
        fill(*original);
        if (HasFatalFailure()) return;
    }
    const auto batch = [](const QStringList& args, QString* out, QString* err) {
        QProcess p;
        p.start(QStringLiteral(TARVON_BATCH), args);
        p.waitForFinished(120000);
        *out = QString::fromUtf8(p.readAllStandardOutput());
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QString out, err;
    ASSERT_EQ(batch({QStringLiteral("--copy-register"), file.location(), path()}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("สัญญา 3 รายการ งวด 11 งวด (พิมพ์แล้ว 3 งวด)"))) << out.toStdString();
    EXPECT_EQ(rowsOf(place, QStringLiteral("installments")), 11);
    const QString back = file.folder().filePath(QStringLiteral("back.sqlite"));
    ASSERT_EQ(batch({QStringLiteral("--copy-register"), path(), back}, &out, &err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("สัญญา 3 รายการ"))) << out.toStdString();
    EXPECT_EQ(batch({QStringLiteral("--copy-register"), file.location(), path()}, &out, &err), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("มีรายการอยู่แล้ว"))) << err.toStdString();
    EXPECT_EQ(rowsOf(place, QStringLiteral("installments")), 11);
    EXPECT_EQ(batch({QStringLiteral("--copy-register"), file.location()}, &out, &err), 2);

    // Every --register takes a server's location as it takes a file: a
    // contract imported into each exports as the same bytes.
    // The sample's road contract: its first five lines.
    const QString contractCsv = file.folder().filePath(QStringLiteral("road.csv"));
    {
        QFile sample(QStringLiteral(TARVON_CONTRACT_CSV)), road(contractCsv);
        ASSERT_TRUE(sample.open(QIODevice::ReadOnly) && road.open(QIODevice::WriteOnly));
        for (int line = 0; line < 5; ++line) road.write(sample.readLine());
    }
    QByteArray exported[2];
    const QString places[2] = {file.folder().filePath(QStringLiteral("imported.sqlite")), path()};
    for (int n = 0; n < 2; ++n) {
        const QString csv = file.folder().filePath(QStringLiteral("exported%1.csv").arg(n));
        ASSERT_EQ(batch({QStringLiteral("--register"), places[n], QStringLiteral("--import"), contractCsv,
                         QStringLiteral("--contract"), QStringLiteral("ถ 9/2569")},
                        &out, &err),
                  0)
            << err.toStdString();
        ASSERT_EQ(batch({QStringLiteral("--register"), places[n], QStringLiteral("--contract"),
                         QStringLiteral("ถ 9/2569"), QStringLiteral("--export"), csv},
                        &out, &err),
                  0)
            << err.toStdString();
        exported[n] = fileBytes(csv);
    }
    EXPECT_FALSE(exported[0].isEmpty());
    EXPECT_EQ(exported[1], exported[0]);
}

}  // namespace
