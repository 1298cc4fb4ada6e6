#include "RegisterBench.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>

#include "Timing.h"
#include "base/CsvText.h"
#include "contract/BudgetSummary.h"
#include "contract/PostgresConnection.h"
#include "contract/Register.h"
#include "contract/SqlRegister.h"
#include "escalation/Arithmetic.h"
#include "escalation/Formulas.h"
#include "indexdata/CsvImport.h"

namespace {

constexpr int kContracts = 300, kEach = 20;

// The months of the sample table the installments are delivered in.
const std::pair<int, int> kMonths[] = {{2548, 2}, {2548, 3}, {2548, 4},  {2548, 5},  {2548, 6},
                                       {2548, 7}, {2548, 8}, {2548, 9},  {2548, 10}, {2548, 11},
                                       {2548, 12}, {2561, 1}, {2561, 2}, {2561, 9},  {2562, 1},
                                       {2562, 2}, {2562, 3}, {2562, 4},  {2562, 5},  {2562, 6}};

struct Fixture {
    QTemporaryDir dir;
    QString table, path;
};

// The sample table and a register of 300 contracts of 20 installments,
// every fifth printed.
const Fixture& fixture(const char* sampleCsv) {
    static Fixture* f = [&] {
        auto* made = new Fixture;
        made->table = made->dir.filePath(QStringLiteral("KTABLE.DAT"));
        made->path = made->dir.filePath(QStringLiteral("register.sqlite"));
        QFile csv(QString::fromLocal8Bit(sampleCsv));
        csv.open(QIODevice::ReadOnly);
        QFile t(made->table);
        t.open(QIODevice::WriteOnly);
        t.write(importIndexCsv(decodeCsvBytes(csv.readAll())).table);
        t.close();
        QString error;
        auto store = SqlRegister::open(made->path, true, &error);
        Register reg(*store, made->table);
        reg.openTable(&error);
        for (int c = 0; c < kContracts; ++c) {
            ContractInfo info;
            info.number = QStringLiteral("สญ %1/2548").arg(c + 1);
            info.work = QStringLiteral("งานก่อสร้างที่ %1").arg(c + 1);
            info.contractor = QStringLiteral("หจก. ผู้รับจ้าง %1").arg(c % 17);
            info.bidDay = 15;
            info.bidMonth = 1;
            info.bidYear = 2548;
            info.formula = Integer(c % 13 + 1);
            std::vector<InstallmentInfo> rows(kEach);
            for (int n = 0; n < kEach; ++n) {
                Installment& in = rows[size_t(n)].value;
                in.formula = Integer((c + n) % 13 + 1);
                in.day = 20;
                in.year = kMonths[n].first;
                in.month = kMonths[n].second;
                in.designation = QStringLiteral("%1 งานส่วนที่ %1").arg(n + 1);
                in.amount = 100000.0 * (n + 1) + c * 0.25;
                if (n % 3 == 0) in.items = {{QStringLiteral("ปั๊มน้ำ"), 25000.5}, {QString(), 0}};
            }
            store->addInstallments(info, rows);
            std::vector<InstallmentInfo> printed;
            for (size_t n = 0; n < rows.size(); n += 5) printed.push_back(*store->installment(rows[n].id));
            NullPrinter nowhere;
            reg.print(printed, nowhere, &error);
        }
        return made;
    }();
    return *f;
}

// ---- the bound: SQLite's own API into plain structs -----------------------

struct Month {
    IndexValues v;
};

struct PlainInstallment {
    long long id, contract;
    int position, formula, day, month, year;
    double amount;
    std::string designation;
    int items = 0;
    std::string names[10];
    double prices[10];
    bool printed;
    double net, k, excess, compensation, refund;
    int band;
};

struct PlainContract {
    long long id;
    std::string number, work, contractor;
    int bidDay, bidMonth, bidYear, formula;
    long long compensationSatang = 0;
    double refunds = 0;
    int installments = 0;
};

// The table's months, each record converted by the core's functions.
std::map<std::pair<Long, Long>, IndexValues> tableMonths(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    std::map<std::pair<Long, Long>, IndexValues> months;
    for (qsizetype at = 0; at + kRecordLength <= bytes.size(); at += kRecordLength) {
        RecordBytes r;
        std::memcpy(r.data(), bytes.constData() + at, kRecordLength);
        const IndexValues v = convertRecord(decodeRecord(r));
        months.emplace(std::pair(v.year, v.month), v);  // the first of a month stays
    }
    return months;
}

std::string text(sqlite3_stmt* st, int c) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    return t ? std::string(t, size_t(sqlite3_column_bytes(st, c))) : std::string();
}

const char* const kInstallmentColumns =
    "i.id, i.contract_id, i.position, i.formula, i.day, i.month, i.year, i.amount, i.designation, "
    "i.item1, i.price1, i.item2, i.price2, i.item3, i.price3, i.item4, i.price4, i.item5, i.price5, "
    "i.item6, i.price6, i.item7, i.price7, i.item8, i.price8, i.item9, i.price9, i.item10, i.price10, "
    "p.printed_at, p.net_amount, p.k, p.band, p.excess, p.compensation, p.refund";

PlainInstallment readPlain(sqlite3_stmt* st) {
    PlainInstallment p;
    p.id = sqlite3_column_int64(st, 0);
    p.contract = sqlite3_column_int64(st, 1);
    p.position = sqlite3_column_int(st, 2);
    p.formula = sqlite3_column_int(st, 3);
    p.day = sqlite3_column_int(st, 4);
    p.month = sqlite3_column_int(st, 5);
    p.year = sqlite3_column_int(st, 6);
    p.amount = sqlite3_column_double(st, 7);
    p.designation = text(st, 8);
    for (int i = 0; i < 10 && sqlite3_column_type(st, 9 + 2 * i) != SQLITE_NULL; ++i, ++p.items) {
        p.names[i] = text(st, 9 + 2 * i);
        p.prices[i] = sqlite3_column_double(st, 10 + 2 * i);
    }
    p.printed = sqlite3_column_type(st, 29) != SQLITE_NULL;
    p.net = sqlite3_column_double(st, 30);
    p.k = sqlite3_column_double(st, 31);
    p.band = sqlite3_column_int(st, 32);
    p.excess = sqlite3_column_double(st, 33);
    p.compensation = sqlite3_column_double(st, 34);
    p.refund = sqlite3_column_double(st, 35);
    return p;
}

// K and the compensation or refund, with the core's functions; false when
// a month is missing or a step fails.
bool figures(const PlainInstallment& p, const IndexValues& o, const IndexValues& t, SheetResult* r) {
    const FormulaDef* def = formulaDefinition(p.formula);
    if (!def) return false;
    double net = p.amount;
    for (int i = 0; i < p.items && p.prices[i] != 0; ++i) net = net - p.prices[i];
    try {
        std::array<Single, kMaxTerms> terms{};
        for (size_t i = 0; i < def->terms.size(); ++i) {
            const FormulaTerm& term = def->terms[i];
            terms[i] = weightedTerm(indexRatio(t[term.column], o[term.column], term.symbol), term.c);
        }
        double sum = double(terms[0]) + def->a0;
        for (size_t i = 1; i < def->terms.size(); ++i) sum = sum + double(terms[i]);
        r->k = Single(sum);
        r->band = bandOf(r->k);
        if (r->band == Band::Inside) return true;
        const Integer excess = excessOf(r->k, r->band);
        if (r->band == Band::Above)
            r->compensation = double(compensationSatang(excess, net)) / 100.0;
        else
            r->refund = refundOf(excess, net);
    } catch (const CalcError&) {
        return false;
    }
    return true;
}

// The contracts with their sums, and the first contract's installments
// with what they were printed from.
size_t boundOpen(const Fixture& f) {
    const auto months = tableMonths(f.table);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(f.path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<PlainContract> contracts;
    std::unordered_map<long long, size_t> at;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT id, number, work, contractor, bid_day, bid_month, bid_year, formula "
                       "FROM contracts ORDER BY number",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        PlainContract c;
        c.id = sqlite3_column_int64(st, 0);
        c.number = text(st, 1);
        c.work = text(st, 2);
        c.contractor = text(st, 3);
        c.bidDay = sqlite3_column_int(st, 4);
        c.bidMonth = sqlite3_column_int(st, 5);
        c.bidYear = sqlite3_column_int(st, 6);
        c.formula = sqlite3_column_int(st, 7);
        at.emplace(c.id, contracts.size());
        contracts.push_back(std::move(c));
    }
    sqlite3_finalize(st);
    const std::string all = std::string("SELECT ") + kInstallmentColumns +
                            " FROM installments i LEFT JOIN printed p ON p.installment_id = i.id "
                            "ORDER BY i.contract_id, i.position";
    sqlite3_prepare_v2(db, all.c_str(), -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const PlainInstallment p = readPlain(st);
        PlainContract& c = contracts[at.at(p.contract)];
        ++c.installments;
        // Every row computed (a printed one to be compared); a printed one
        // counts with its printed figures.
        SheetResult r;
        const auto o = months.find({c.bidYear, c.bidMonth}), t = months.find({p.year, p.month});
        const bool computed =
            o != months.end() && t != months.end() && figures(p, o->second, t->second, &r);
        if (p.printed) {
            c.compensationSatang += std::llround(p.compensation * 100);
            c.refunds += p.refund;
        } else if (computed) {
            c.compensationSatang += std::llround(r.compensation * 100);
            c.refunds += r.refund;
        }
    }
    sqlite3_finalize(st);
    // The first contract shown: its rows with what they were printed from.
    const std::string first = std::string("SELECT ") + kInstallmentColumns +
                              ", p.o_1, p.o_2, p.o_3, p.o_4, p.o_5, p.o_6, p.o_7, p.o_8, p.o_9, p.o_10, "
                              "p.o_11, p.o_12, p.o_13, p.t_1, p.t_2, p.t_3, p.t_4, p.t_5, p.t_6, p.t_7, "
                              "p.t_8, p.t_9, p.t_10, p.t_11, p.t_12, p.t_13 FROM installments i "
                              "LEFT JOIN printed p ON p.installment_id = i.id WHERE i.contract_id = ? "
                              "ORDER BY i.position";
    sqlite3_prepare_v2(db, first.c_str(), -1, &st, nullptr);
    sqlite3_bind_int64(st, 1, contracts.front().id);
    std::vector<PlainInstallment> shown;
    while (sqlite3_step(st) == SQLITE_ROW) shown.push_back(readPlain(st));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return contracts.size() + shown.size();
}

// The installments delivered in one month, with their contracts, computed.
size_t boundMonth(const Fixture& f, Long year, Long month) {
    const auto months = tableMonths(f.table);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(f.path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::string sql = std::string("SELECT ") + kInstallmentColumns +
                            ", c.number, c.bid_day, c.bid_month, c.bid_year FROM installments i "
                            "LEFT JOIN printed p ON p.installment_id = i.id JOIN contracts c ON "
                            "c.id = i.contract_id WHERE i.year * 12 + i.month - 1 BETWEEN ? AND ? "
                            "ORDER BY c.number, i.position";
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    sqlite3_bind_int64(st, 1, year * 12 + month - 1);
    sqlite3_bind_int64(st, 2, year * 12 + month - 1);
    long long satang = 0;
    size_t n = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const PlainInstallment p = readPlain(st);
        const std::string number = text(st, 36);
        const auto o = months.find({sqlite3_column_int(st, 39), sqlite3_column_int(st, 38)});
        const auto t = months.find({p.year, p.month});
        SheetResult r;
        if (o != months.end() && t != months.end() && figures(p, o->second, t->second, &r))
            satang += std::llround(r.compensation * 100);
        n += number.size() > 0;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n + size_t(satang % 2);
}

// ---- the bound on a server: libpq's own API into plain structs ----------

// A column of a binary result, as the schema types it.
struct PgRow {
    const PGresult* res;
    int row;
    bool null(int c) const { return PQgetisnull(res, row, c); }
    long long int8(int c) const { return qFromBigEndian<qint64>(PQgetvalue(res, row, c)); }
    int int4(int c) const { return qFromBigEndian<qint32>(PQgetvalue(res, row, c)); }
    double float8(int c) const {
        const quint64 bits = qFromBigEndian<quint64>(PQgetvalue(res, row, c));
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    std::string text(int c) const {
        return std::string(PQgetvalue(res, row, c), size_t(PQgetlength(res, row, c)));
    }
};

PlainInstallment readPlain(const PgRow& r) {
    PlainInstallment p;
    p.id = r.int8(0);
    p.contract = r.int8(1);
    p.position = r.int4(2);
    p.formula = r.int4(3);
    p.day = r.int4(4);
    p.month = r.int4(5);
    p.year = r.int4(6);
    p.amount = r.float8(7);
    p.designation = r.text(8);
    for (int i = 0; i < 10 && !r.null(9 + 2 * i); ++i, ++p.items) {
        p.names[i] = r.text(9 + 2 * i);
        p.prices[i] = r.float8(10 + 2 * i);
    }
    p.printed = !r.null(29);
    if (p.printed) {
        p.net = r.float8(30);
        p.k = r.float8(31);
        p.band = r.int4(32);
        p.excess = r.float8(33);
        p.compensation = r.float8(34);
        p.refund = r.float8(35);
    }
    return p;
}

PGresult* query(PGconn* db, const std::string& sql, std::vector<std::string> params = {}) {
    std::vector<const char*> values;
    for (const std::string& p : params) values.push_back(p.c_str());
    return PQexecParams(db, sql.c_str(), int(values.size()), nullptr, values.data(), nullptr, nullptr, 1);
}

size_t boundOpenServer(const Fixture& f, const std::string& conninfo) {
    const auto months = tableMonths(f.table);
    PGconn* db = PQconnectdb(conninfo.c_str());
    std::vector<PlainContract> contracts;
    std::unordered_map<long long, size_t> at;
    PGresult* res = query(db,
                          "SELECT id, number, work, contractor, bid_day, bid_month, bid_year, formula "
                          "FROM contracts ORDER BY number COLLATE \"C\"");
    for (int n = 0; n < PQntuples(res); ++n) {
        const PgRow r{res, n};
        PlainContract c;
        c.id = r.int8(0);
        c.number = r.text(1);
        c.work = r.text(2);
        c.contractor = r.text(3);
        c.bidDay = r.int4(4);
        c.bidMonth = r.int4(5);
        c.bidYear = r.int4(6);
        c.formula = r.int4(7);
        at.emplace(c.id, contracts.size());
        contracts.push_back(std::move(c));
    }
    PQclear(res);
    res = query(db, std::string("SELECT ") + kInstallmentColumns +
                        " FROM installments i LEFT JOIN printed p ON p.installment_id = i.id "
                        "ORDER BY i.contract_id, i.position");
    for (int n = 0; n < PQntuples(res); ++n) {
        const PlainInstallment p = readPlain(PgRow{res, n});
        PlainContract& c = contracts[at.at(p.contract)];
        ++c.installments;
        SheetResult r;
        const auto o = months.find({c.bidYear, c.bidMonth}), t = months.find({p.year, p.month});
        const bool computed =
            o != months.end() && t != months.end() && figures(p, o->second, t->second, &r);
        if (p.printed) {
            c.compensationSatang += std::llround(p.compensation * 100);
            c.refunds += p.refund;
        } else if (computed) {
            c.compensationSatang += std::llround(r.compensation * 100);
            c.refunds += r.refund;
        }
    }
    PQclear(res);
    res = query(db,
                std::string("SELECT ") + kInstallmentColumns +
                    ", p.o_1, p.o_2, p.o_3, p.o_4, p.o_5, p.o_6, p.o_7, p.o_8, p.o_9, p.o_10, "
                    "p.o_11, p.o_12, p.o_13, p.t_1, p.t_2, p.t_3, p.t_4, p.t_5, p.t_6, p.t_7, "
                    "p.t_8, p.t_9, p.t_10, p.t_11, p.t_12, p.t_13 FROM installments i "
                    "LEFT JOIN printed p ON p.installment_id = i.id WHERE i.contract_id = $1 "
                    "ORDER BY i.position",
                {std::to_string(contracts.front().id)});
    std::vector<PlainInstallment> shown;
    for (int n = 0; n < PQntuples(res); ++n) shown.push_back(readPlain(PgRow{res, n}));
    PQclear(res);
    PQfinish(db);
    return contracts.size() + shown.size();
}

size_t boundMonthServer(const Fixture& f, const std::string& conninfo, Long year, Long month) {
    const auto months = tableMonths(f.table);
    PGconn* db = PQconnectdb(conninfo.c_str());
    const std::string at = std::to_string(year * 12 + month - 1);
    PGresult* res = query(db,
                          std::string("SELECT ") + kInstallmentColumns +
                              ", c.number, c.bid_day, c.bid_month, c.bid_year FROM installments i "
                              "LEFT JOIN printed p ON p.installment_id = i.id JOIN contracts c ON "
                              "c.id = i.contract_id WHERE i.year * 12 + i.month - 1 BETWEEN $1 AND $2 "
                              "ORDER BY c.number COLLATE \"C\", i.position",
                          {at, at});
    long long satang = 0;
    size_t n = 0;
    for (int row = 0; row < PQntuples(res); ++row) {
        const PgRow r{res, row};
        const PlainInstallment p = readPlain(r);
        const std::string number = r.text(36);
        const auto o = months.find({r.int4(39), r.int4(38)});
        const auto t = months.find({p.year, p.month});
        SheetResult s;
        if (o != months.end() && t != months.end() && figures(p, o->second, t->second, &s))
            satang += std::llround(s.compensation * 100);
        n += number.size() > 0;
    }
    PQclear(res);
    PQfinish(db);
    return n + size_t(satang % 2);
}

// A server of the benchmark's own, as the tests start theirs; stopped and
// removed with it.
struct Server {
    QTemporaryDir dir;
    QString state, location;
    std::string conninfo;
    bool started = false;
    Server() {
        state = dir.filePath(QStringLiteral("server.state"));
        const QByteArray start = QByteArray("bash ") + TARVON_POSTGRES_SERVER + " start '" +
                                 QFile::encodeName(state) + "'";
        started = std::system(start.constData()) == 0;
        if (!started) return;
        QFile f(state);
        f.open(QIODevice::ReadOnly);
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("uri=")) location = QString::fromUtf8(line.mid(4));
        PostgresLogin login = *PostgresLogin::fromLocation(location);
        QString error;
        auto admin = PostgresConnection::open(location, QString(), &error);
        started = admin && admin->run(QStringLiteral("CREATE DATABASE tarvon_bench"));
        login.database = QStringLiteral("tarvon_bench");
        location = login.location();
        conninfo = location.toStdString();
    }
    ~Server() {
        const QByteArray stop = QByteArray("bash ") + TARVON_POSTGRES_SERVER + " stop '" +
                                QFile::encodeName(state) + "'";
        if (std::system(stop.constData()) != 0) std::fprintf(stderr, "the benchmark's server did not stop\n");
    }
};

// ---- the program's own --------------------------------------------------

size_t programOpen(const Fixture& f, const QString& location) {
    QString error;
    auto store = SqlRegister::open(location, false, &error);
    Register reg(*store, f.table);
    reg.openTable(&error);
    const std::vector<ContractLine> lines = reg.contractLines();
    return lines.size() + reg.rows(lines.front().info.id).size();
}

size_t programMonth(const Fixture& f, const QString& location, Long year, Long month) {
    QString error;
    auto store = SqlRegister::open(location, false, &error);
    Register reg(*store, f.table);
    reg.openTable(&error);
    return budgetSummary(reg, {year * 12 + month - 1, year * 12 + month - 1}).lines.size();
}

}  // namespace

void printRegisterRatios(const char* sampleCsv) {
    const Fixture& f = fixture(sampleCsv);
    const Pair open = interleaved(15, [&](int) { programOpen(f, f.path); }, [&](int) { boundOpen(f); });
    std::printf("  register of 6,000 installments, open and show the first contract: %7.3f ms / %7.3f ms, "
                "pair by pair %.2f (goal <= 2)\n",
                open.f * 1e3, open.g * 1e3, open.ratio);
    const Pair month =
        interleaved(15, [&](int) { programMonth(f, f.path, 2548, 10); }, [&](int) { boundMonth(f, 2548, 10); });
    std::printf("  register, summary of one month:   %7.3f ms / %7.3f ms, pair by pair %.2f (goal <= 2)\n",
                month.f * 1e3, month.g * 1e3, month.ratio);
    {
        // The same register on a server on this computer (its unix socket),
        // beside the same reads with libpq's own API.
        const Server server;
        SqlRegister::Copied copied;
        if (!server.started || !SqlRegister::copy(f.path, server.location, &copied).done()) {
            std::printf("  register on PostgreSQL: no server could be started (package postgresql)\n");
        } else {
            QString error;
            PostgresConnection::open(server.location, QString(), &error)->run(QStringLiteral("VACUUM ANALYZE"));
            const Pair open = interleaved(15, [&](int) { programOpen(f, server.location); },
                                          [&](int) { boundOpenServer(f, server.conninfo); });
            std::printf("  register on PostgreSQL, open and show the first contract: %7.3f ms / %7.3f ms, "
                        "pair by pair %.2f (goal <= 2)\n",
                        open.f * 1e3, open.g * 1e3, open.ratio);
            const Pair month = interleaved(15, [&](int) { programMonth(f, server.location, 2548, 10); },
                                           [&](int) { boundMonthServer(f, server.conninfo, 2548, 10); });
            std::printf("  register on PostgreSQL, summary of one month: %7.3f ms / %7.3f ms, "
                        "pair by pair %.2f (goal <= 2)\n",
                        month.f * 1e3, month.g * 1e3, month.ratio);
        }
    }
    // A row recomputed after each of a hundred edits: the slowest of them.
    QString error;
    auto store = SqlRegister::open(f.path, false, &error);
    Register reg(*store, f.table);
    reg.openTable(&error);
    InstallmentInfo row = reg.rows(store->contracts().front().id).front().info;
    double slowest = 0;
    for (int edit = 0; edit < 100; ++edit) {
        row.value.amount += 1.25;
        const double start = cpuSeconds();
        reg.row(row);
        slowest = std::max(slowest, cpuSeconds() - start);
    }
    std::printf("  register, a row recomputed after an edit, slowest of 100: %7.3f ms (goal < 16 ms)\n",
                slowest * 1e3);
}
