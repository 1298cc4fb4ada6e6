#include "contract/SqlRegister.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <cstring>

#include "base/MonthNames.h"
#include "base/SystemFiles.h"

// Where the two databases differ.
struct SqlRegister::Dialect {
    const char* driver;
    // The column that numbers a table's rows.
    const char* idColumn;
    // How a transaction that will write begins: SQLite takes the write lock
    // at once (two writers then wait for each other instead of failing).
    const char* beginWrite;
};

namespace {

const SqlRegister::Dialect kSqlite = {"QSQLITE", "INTEGER PRIMARY KEY", "BEGIN IMMEDIATE"};

const QString kApplication = QStringLiteral("tarvon-register");
constexpr int kItems = kEquipItems;

// The columns of an installment as entered, in one order for every query.
QStringList enteredColumns(const QString& prefix = QString()) {
    QStringList c = {QStringLiteral("designation"), QStringLiteral("formula"), QStringLiteral("day"),
                     QStringLiteral("month"), QStringLiteral("year"), QStringLiteral("amount")};
    for (int n = 1; n <= kItems; ++n)
        c << QStringLiteral("item%1").arg(n) << QStringLiteral("price%1").arg(n);
    for (QString& s : c) s.prepend(prefix);
    return c;
}

QString itemColumnsDdl() {
    QString ddl;
    for (int n = 1; n <= kItems; ++n)
        ddl += QStringLiteral(", item%1 TEXT, price%1 DOUBLE PRECISION").arg(n);
    return ddl;
}

QString indexColumnsDdl(const QString& p) {
    QString ddl = QStringLiteral(", %1year INTEGER NOT NULL, %1month INTEGER NOT NULL").arg(p);
    for (int c = 1; c <= kIndexColumns; ++c) ddl += QStringLiteral(", %1%2 REAL NOT NULL").arg(p).arg(c);
    return ddl;
}

QStringList indexColumns(const QString& p) {
    QStringList c = {p + QStringLiteral("year"), p + QStringLiteral("month")};
    for (int n = 1; n <= kIndexColumns; ++n) c << p + QString::number(n);
    return c;
}

QStringList printedColumns() {
    return QStringList{QStringLiteral("printed_at"), QStringLiteral("p_bid_day"),
                       QStringLiteral("p_bid_month"), QStringLiteral("p_bid_year")} +
           enteredColumns(QStringLiteral("p_")) + indexColumns(QStringLiteral("o_")) +
           indexColumns(QStringLiteral("t_")) +
           QStringList{QStringLiteral("net_amount"), QStringLiteral("k"), QStringLiteral("band"),
                       QStringLiteral("excess"), QStringLiteral("compensation"),
                       QStringLiteral("refund")};
}

// The schema, one list of statements a version; %ID% is the dialect's
// id column.
std::vector<QStringList> migrations() {
    return {
        // 1: contracts, installments, what printed ones were printed from.
        {QStringLiteral("CREATE TABLE register_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
         QStringLiteral("CREATE TABLE register_changes (n BIGINT NOT NULL)"),
         QStringLiteral("INSERT INTO register_changes (n) VALUES (0)"),
         QStringLiteral("CREATE TABLE contracts (id %ID%, number TEXT NOT NULL UNIQUE, "
                        "work TEXT NOT NULL, contractor TEXT NOT NULL, bid_day INTEGER NOT NULL, "
                        "bid_month INTEGER NOT NULL, bid_year INTEGER NOT NULL, "
                        "formula INTEGER NOT NULL, version BIGINT NOT NULL)"),
         QStringLiteral("CREATE TABLE installments (id %ID%, contract_id BIGINT NOT NULL "
                        "REFERENCES contracts(id) ON DELETE CASCADE, position INTEGER NOT NULL, "
                        "designation TEXT NOT NULL, formula INTEGER NOT NULL, day INTEGER NOT NULL, "
                        "month INTEGER NOT NULL, year INTEGER NOT NULL, "
                        "amount DOUBLE PRECISION NOT NULL") +
             itemColumnsDdl() + QStringLiteral(", version BIGINT NOT NULL)"),
         QStringLiteral("CREATE INDEX installments_of_contract ON installments (contract_id, position)"),
         QStringLiteral("CREATE INDEX installments_of_month ON installments (year, month)"),
         QStringLiteral("CREATE TABLE printed (installment_id BIGINT PRIMARY KEY "
                        "REFERENCES installments(id) ON DELETE CASCADE, printed_at TEXT NOT NULL, "
                        "p_bid_day INTEGER NOT NULL, p_bid_month INTEGER NOT NULL, "
                        "p_bid_year INTEGER NOT NULL, p_designation TEXT NOT NULL, "
                        "p_formula INTEGER NOT NULL, p_day INTEGER NOT NULL, "
                        "p_month INTEGER NOT NULL, p_year INTEGER NOT NULL, "
                        "p_amount DOUBLE PRECISION NOT NULL") +
             itemColumnsDdl().replace(QStringLiteral(", item"), QStringLiteral(", p_item"))
                 .replace(QStringLiteral(", price"), QStringLiteral(", p_price")) +
             indexColumnsDdl(QStringLiteral("o_")) + indexColumnsDdl(QStringLiteral("t_")) +
             QStringLiteral(", net_amount DOUBLE PRECISION NOT NULL, k REAL NOT NULL, "
                            "band INTEGER NOT NULL, excess REAL NOT NULL, "
                            "compensation DOUBLE PRECISION NOT NULL, "
                            "refund DOUBLE PRECISION NOT NULL)"),
         QStringLiteral("INSERT INTO register_meta (key, value) VALUES ('application', '%1'), "
                        "('schema_version', '1'), ('office', '')")
             .arg(kApplication)},
        // 2: who changed what when.
        {QStringLiteral("CREATE TABLE history (id %ID%, at TEXT NOT NULL, by_user TEXT NOT NULL, "
                        "contract_id BIGINT, installment_id BIGINT, action TEXT NOT NULL, "
                        "what TEXT NOT NULL)"),
         QStringLiteral("CREATE INDEX history_of_installment ON history (installment_id)"),
         QStringLiteral("UPDATE register_meta SET value = '2' WHERE key = 'schema_version'")},
    };
}

QString systemUser() {
    if (const passwd* pw = ::getpwuid(::getuid())) return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString connectionName() {
    static QAtomicInteger<int> next = 0;
    return QStringLiteral("tarvon-register-%1").arg(next.fetchAndAddRelaxed(1));
}

// A query on `db`, prepared and bound; exec() is the caller's.
QSqlQuery prepared(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : values) q.addBindValue(v);
    return q;
}

QString placeholders(qsizetype n) {
    QStringList p;
    for (qsizetype i = 0; i < n; ++i) p << QStringLiteral("?");
    return p.join(QStringLiteral(", "));
}

QString assignments(const QStringList& columns) {
    QStringList a;
    for (const QString& c : columns) a << c + QStringLiteral(" = ?");
    return a.join(QStringLiteral(", "));
}

// A text as stored: an empty one is a text, not a missing value.
QVariant text(const QString& s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

QVariantList enteredValues(const Installment& in) {
    QVariantList v = {text(in.designation), int(in.formula), in.day, in.month, in.year, in.amount};
    for (int n = 0; n < kItems; ++n) {
        if (size_t(n) < in.items.size())
            v << text(in.items[size_t(n)].name) << in.items[size_t(n)].price;
        else
            v << QVariant() << QVariant();
    }
    return v;
}

// Reads the entered columns starting at column `at` of the current row.
void readEntered(const QSqlQuery& q, int at, Installment* in) {
    in->designation = q.value(at).toString();
    in->formula = Integer(q.value(at + 1).toInt());
    in->day = q.value(at + 2).toInt();
    in->month = q.value(at + 3).toInt();
    in->year = q.value(at + 4).toInt();
    in->amount = q.value(at + 5).toDouble();
    in->items.clear();
    for (int n = 0; n < kItems; ++n) {
        const QVariant name = q.value(at + 6 + 2 * n), price = q.value(at + 7 + 2 * n);
        if (name.isNull() && price.isNull()) break;
        in->items.push_back({name.toString(), price.toDouble()});
    }
}

QVariantList indexValues(const IndexValues& v) {
    QVariantList out = {v.year, v.month};
    for (Single x : v.col) out << double(x);
    return out;
}

void readIndexValues(const QSqlQuery& q, int at, IndexValues* v) {
    v->year = q.value(at).toInt();
    v->month = q.value(at + 1).toInt();
    for (int c = 0; c < kIndexColumns; ++c) v->col[size_t(c)] = Single(q.value(at + 2 + c).toDouble());
}

const QString kContractColumns = QStringLiteral(
    "id, number, work, contractor, bid_day, bid_month, bid_year, formula, version");

ContractInfo readContract(const QSqlQuery& q, int at = 0) {
    ContractInfo c;
    c.id = q.value(at).toLongLong();
    c.number = q.value(at + 1).toString();
    c.work = q.value(at + 2).toString();
    c.contractor = q.value(at + 3).toString();
    c.bidDay = q.value(at + 4).toInt();
    c.bidMonth = q.value(at + 5).toInt();
    c.bidYear = q.value(at + 6).toInt();
    c.formula = Integer(q.value(at + 7).toInt());
    c.version = q.value(at + 8).toLongLong();
    return c;
}

// The installment's columns with the printed ones beside (null when it
// was never printed), for "FROM installments i LEFT JOIN printed p".
QString installmentSelect() {
    QStringList cols = {QStringLiteral("i.id"), QStringLiteral("i.contract_id"),
                        QStringLiteral("i.position"), QStringLiteral("i.version")};
    for (const QString& c : enteredColumns()) cols << QStringLiteral("i.") + c;
    for (const QString& c : printedColumns()) cols << QStringLiteral("p.") + c;
    return cols.join(QStringLiteral(", "));
}
constexpr int kInstallmentColumns = 4 + 6 + 2 * kItems;

InstallmentInfo readInstallment(const QSqlQuery& q, const ContractInfo& contract, int at = 0) {
    InstallmentInfo i;
    i.id = q.value(at).toLongLong();
    i.contractId = q.value(at + 1).toLongLong();
    i.position = q.value(at + 2).toInt();
    i.version = q.value(at + 3).toLongLong();
    readEntered(q, at + 4, &i.value);
    i.value.bidDay = contract.bidDay;
    i.value.bidMonth = contract.bidMonth;
    i.value.bidYear = contract.bidYear;
    const int p = at + kInstallmentColumns;
    if (!q.value(p).isNull()) {
        PrintedSheet s;
        s.at = QDateTime::fromString(q.value(p).toString(), Qt::ISODateWithMs);
        s.inputs.bidDay = q.value(p + 1).toInt();
        s.inputs.bidMonth = q.value(p + 2).toInt();
        s.inputs.bidYear = q.value(p + 3).toInt();
        readEntered(q, p + 4, &s.inputs);
        const int values = p + 4 + 6 + 2 * kItems;
        readIndexValues(q, values, &s.o);
        readIndexValues(q, values + 2 + kIndexColumns, &s.t);
        const int r = values + 2 * (2 + kIndexColumns);
        s.netAmount = q.value(r).toDouble();
        s.result.k = Single(q.value(r + 1).toDouble());
        s.result.band = Band(q.value(r + 2).toInt());
        s.result.excess = Single(q.value(r + 3).toDouble());
        s.result.compensation = q.value(r + 4).toDouble();
        s.result.refund = q.value(r + 5).toDouble();
        i.printed = s;
    }
    return i;
}

QString describe(const Installment& in) {
    return QStringLiteral("งวด %1, สูตร %2, ส่งงาน %3/%4, ค่างวด %5 บาท, ครุภัณฑ์ %6 รายการ")
        .arg(in.designation.trimmed())
        .arg(in.formula)
        .arg(in.day)
        .arg(monthSlashYear(in.month, in.year))
        .arg(print::formatNumber(in.amount).trimmed())
        .arg(in.items.size());
}

QString describe(const ContractInfo& c) {
    return QStringLiteral("สัญญา %1 %2, ผู้รับจ้าง %3, เปิดซอง %4/%5, สูตร %6")
        .arg(c.number, c.work, c.contractor)
        .arg(c.bidDay)
        .arg(monthSlashYear(c.bidMonth, c.bidYear))
        .arg(c.formula);
}

StoreResult failure(StoreResult::Outcome outcome, const QString& why) { return {outcome, why}; }

// The database's own words for a failed query, in a Thai sentence.
StoreResult failed(const QSqlQuery& q) {
    return failure(StoreResult::Outcome::Failed,
                   QStringLiteral("ฐานข้อมูลทะเบียนทำรายการนี้ไม่สำเร็จ (%1)").arg(q.lastError().text()));
}

bool isSqliteFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

// Whether the register at `path` can be written: the file and its folder
// (where SQLite keeps its journal while it writes).
bool writable(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(file.constData(), W_OK) == 0 && ::access(folder.constData(), W_OK) == 0;
}

}  // namespace

bool PrintedSheet::operator==(const PrintedSheet& o) const {
    return at == o.at && inputs == o.inputs && this->o.year == o.o.year &&
           this->o.month == o.o.month && this->o.col == o.o.col && t.year == o.t.year &&
           t.month == o.t.month && t.col == o.t.col && netAmount == o.netAmount &&
           result.k == o.result.k && result.band == o.result.band &&
           result.excess == o.result.excess && result.compensation == o.result.compensation &&
           result.refund == o.result.refund;
}

SqlRegister::SqlRegister(const QString& location, const QString& connection, const Dialect& dialect)
    : location_(location), connection_(connection), dialect_(dialect), user_(systemUser()) {}

SqlRegister::~SqlRegister() {
    {
        QSqlDatabase d = QSqlDatabase::database(connection_, false);
        if (d.isOpen()) d.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

QSqlDatabase SqlRegister::db() const { return QSqlDatabase::database(connection_, false); }

QString SqlRegister::upgradeCopy(const QString& location, int fromVersion) {
    return location + QStringLiteral(".v%1.bak").arg(fromVersion);
}

namespace {

// Runs the migrations after `from` up to the current version, in one
// transaction; false with the database's words in `error`.
bool migrate(QSqlDatabase& db, const SqlRegister::Dialect& dialect, int from, QString* error) {
    QSqlQuery q(db);
    if (!q.exec(QString::fromLatin1(dialect.beginWrite))) {
        *error = q.lastError().text();
        return false;
    }
    const std::vector<QStringList> steps = migrations();
    for (size_t v = size_t(from); v < steps.size(); ++v) {
        for (QString sql : steps[v]) {
            sql.replace(QStringLiteral("%ID%"), QString::fromLatin1(dialect.idColumn));
            if (!q.exec(sql)) {
                *error = q.lastError().text();
                q.exec(QStringLiteral("ROLLBACK"));
                return false;
            }
        }
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        *error = q.lastError().text();
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

QSqlDatabase openSqlite(const QString& path, const QString& connection, bool readOnly) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(kSqlite.driver), connection);
    db.setDatabaseName(path);
    // Two windows, or a window and tarvon-batch, wait for each other's
    // write instead of failing at once.
    db.setConnectOptions(readOnly ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000;QSQLITE_OPEN_READONLY")
                                  : QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (db.open()) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    }
    return db;
}

// Makes a new register file at `path`: written whole beside it and linked
// into place, so that a kill leaves either no register or a whole one.
bool createSqlite(const QString& path, QString* error) {
    QByteArray temp = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *error = systemReason(errno);
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    const QString connection = connectionName();
    bool ok = false;
    {
        QSqlDatabase db = openSqlite(QFile::decodeName(temp), connection, false);
        ok = db.isOpen() && migrate(db, kSqlite, 0, error);
        if (!db.isOpen()) *error = db.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    // A hard link never replaces: whoever made the register first keeps it.
    if (ok && ::link(temp.constData(), QFile::encodeName(path).constData()) != 0 && errno != EEXIST) {
        *error = systemReason(errno);
        ok = false;
    }
    ::unlink(temp.constData());
    ::unlink((temp + "-journal").constData());
    return ok;
}

bool copyFile(const QString& from, const QString& to, QString* error) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    QFile out(to);
    if (out.exists()) return true;  // an earlier upgrade's copy is the older one
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        *error = out.errorString();
        out.remove();
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<SqlRegister> SqlRegister::open(const QString& location, bool create,
                                               QString* error, Opened* how) {
    const auto refuse = [&](const QString& why) -> std::unique_ptr<SqlRegister> {
        if (error) *error = QStringLiteral("ทะเบียนสัญญา %1: %2").arg(location, why);
        return nullptr;
    };
    Opened opened = Opened::Ready;
    QFileInfo info(location);
    if (!info.exists()) {
        if (!create) return refuse(QStringLiteral("ไม่มีแฟ้มนี้"));
        QString why;
        if (!createSqlite(location, &why)) return refuse(QStringLiteral("สร้างแฟ้มไม่ได้: ") + why);
        opened = Opened::Created;
        info.refresh();
    }
    if (!info.isFile())
        return refuse(notRegularReason(info.isDir() ? S_IFDIR : S_IFIFO) + QStringLiteral(" จึงไม่เปิด"));
    if (!isSqliteFile(location))
        return refuse(QStringLiteral("แฟ้มนี้ไม่ใช่ทะเบียนสัญญาของโปรแกรมนี้ จึงไม่เปิดและไม่แก้ไขแฟ้มนี้"));

    const bool readOnly = !writable(location);
    std::unique_ptr<SqlRegister> r(new SqlRegister(location, connectionName(), kSqlite));
    r->readOnly_ = readOnly;
    if (readOnly)
        r->readOnlyWhy_ = QStringLiteral("แฟ้ม %1 หรือโฟลเดอร์ของแฟ้มเขียนไม่ได้ (เช่น อยู่ในแผ่นซีดีหรือโฟลเดอร์ที่ไม่มีสิทธิ์เขียน) "
                                         "จึงเปิดให้ดูได้อย่างเดียว แก้ไขไม่ได้")
                              .arg(location);
    QSqlDatabase db = openSqlite(location, r->connection_, readOnly);
    if (!db.isOpen()) return refuse(QStringLiteral("เปิดไม่ได้ (%1)").arg(db.lastError().text()));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT value FROM register_meta WHERE key = 'application'")) ||
        !q.next() || q.value(0).toString() != kApplication)
        return refuse(QStringLiteral("แฟ้มนี้ไม่ใช่ทะเบียนสัญญาของโปรแกรมนี้ จึงไม่เปิดและไม่แก้ไขแฟ้มนี้"));
    q.finish();
    const int version = r->schemaVersion();
    if (version > kSchemaVersion) {
        return refuse(QStringLiteral("บันทึกด้วยโปรแกรมรุ่นที่ใหม่กว่านี้ (รูปแบบที่ %1 แต่โปรแกรมนี้รู้จักถึงรูปแบบที่ %2) "
                                     "จึงไม่เปิดและไม่แก้ไขแฟ้มนี้: ติดตั้งโปรแกรมรุ่นใหม่ก่อน")
                          .arg(version)
                          .arg(kSchemaVersion));
    }
    if (version < kSchemaVersion) {
        if (readOnly) {
            return refuse(QStringLiteral("บันทึกด้วยโปรแกรมรุ่นเก่า ต้องปรับรูปแบบก่อนใช้ แต่แฟ้มเขียนไม่ได้: "
                                         "คัดลอกแฟ้มไปไว้ในที่ที่เขียนได้ก่อน"));
        }
        QString why;
        if (!copyFile(location, upgradeCopy(location, version), &why))
            return refuse(QStringLiteral("เก็บสำเนาก่อนปรับรูปแบบไม่ได้ (%1) จึงยังไม่ปรับ").arg(why));
        if (!migrate(db, kSqlite, version, &why))
            return refuse(QStringLiteral("ปรับรูปแบบไม่สำเร็จ (%1): แฟ้มยังเป็นแบบเดิม").arg(why));
        opened = Opened::Upgraded;
    }
    if (how) *how = opened;
    return r;
}

int SqlRegister::schemaVersion() {
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT value FROM register_meta WHERE key = 'schema_version'"));
    return q.exec() && q.next() ? q.value(0).toInt() : 0;
}

bool SqlRegister::readOnly(QString* why) const {
    if (why) *why = readOnlyWhy_;
    return readOnly_;
}

qint64 SqlRegister::generation() {
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT n FROM register_changes"));
    return q.exec() && q.next() ? q.value(0).toLongLong() : -1;
}

std::vector<ContractInfo> SqlRegister::contracts() {
    std::vector<ContractInfo> out;
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT %1 FROM contracts ORDER BY number").arg(kContractColumns));
    if (q.exec())
        while (q.next()) out.push_back(readContract(q));
    return out;
}

std::optional<ContractInfo> SqlRegister::contract(qint64 id) {
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT %1 FROM contracts WHERE id = ?").arg(kContractColumns), {id});
    if (q.exec() && q.next()) return readContract(q);
    return std::nullopt;
}

std::optional<ContractInfo> SqlRegister::contractByNumber(const QString& number) {
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT %1 FROM contracts WHERE number = ?").arg(kContractColumns),
                           {number});
    if (q.exec() && q.next()) return readContract(q);
    return std::nullopt;
}

std::vector<InstallmentInfo> SqlRegister::installments(qint64 contractId) {
    std::vector<InstallmentInfo> out;
    const std::optional<ContractInfo> c = contract(contractId);
    if (!c) return out;
    QSqlQuery q = prepared(db(),
                           QStringLiteral("SELECT %1 FROM installments i LEFT JOIN printed p ON "
                                          "p.installment_id = i.id WHERE i.contract_id = ? ORDER BY i.position")
                               .arg(installmentSelect()),
                           {contractId});
    if (q.exec())
        while (q.next()) out.push_back(readInstallment(q, *c));
    return out;
}

std::optional<InstallmentInfo> SqlRegister::installment(qint64 id) {
    QSqlQuery q = prepared(db(),
                           QStringLiteral("SELECT %1, %2 FROM installments i LEFT JOIN printed p ON "
                                          "p.installment_id = i.id JOIN contracts c ON c.id = i.contract_id "
                                          "WHERE i.id = ?")
                               .arg(installmentSelect(), QStringLiteral("c.") + kContractColumns.split(
                                   QStringLiteral(", ")).join(QStringLiteral(", c."))),
                           {id});
    if (!q.exec() || !q.next()) return std::nullopt;
    const ContractInfo c = readContract(q, kInstallmentColumns + int(printedColumns().size()));
    return readInstallment(q, c);
}

namespace {

// Every installment of the query's rows, each with its contract's columns
// after its own.
void eachWithContract(QSqlQuery& q,
                      const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) {
    if (!q.exec()) return;
    const int at = kInstallmentColumns + int(printedColumns().size());
    while (q.next()) {
        const ContractInfo c = readContract(q, at);
        each(c, readInstallment(q, c));
    }
}

QString withContract() {
    return QStringLiteral("c.") + kContractColumns.split(QStringLiteral(", ")).join(QStringLiteral(", c."));
}

}  // namespace

void SqlRegister::forEachInstallment(
    const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) {
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT %1, %2 FROM installments i LEFT JOIN printed p ON "
                                                "p.installment_id = i.id JOIN contracts c ON c.id = i.contract_id "
                                                "ORDER BY c.number, i.position")
                                     .arg(installmentSelect(), withContract()));
    eachWithContract(q, each);
}

void SqlRegister::forEachDelivered(
    Long from, Long to, const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) {
    QSqlQuery q = prepared(db(),
                           QStringLiteral("SELECT %1, %2 FROM installments i LEFT JOIN printed p ON "
                                          "p.installment_id = i.id JOIN contracts c ON c.id = i.contract_id "
                                          "WHERE i.year * 12 + i.month - 1 BETWEEN ? AND ? "
                                          "ORDER BY c.number, i.position")
                               .arg(installmentSelect(), withContract()),
                           {from, to});
    eachWithContract(q, each);
}

StoreResult SqlRegister::write(const std::function<StoreResult(Change&)>& change) {
    if (readOnly_) return failure(StoreResult::Outcome::Refused, readOnlyWhy_);
    QSqlDatabase d = db();
    QSqlQuery q(d);
    if (!q.exec(QString::fromLatin1(dialect_.beginWrite))) return failed(q);
    Change entry;
    StoreResult r = change(entry);
    if (r.done()) {
        QSqlQuery bump = prepared(d, QStringLiteral("UPDATE register_changes SET n = n + 1"));
        if (!bump.exec()) r = failed(bump);
    }
    if (r.done() && !entry.action.isEmpty()) {
        QSqlQuery h = prepared(d,
                               QStringLiteral("INSERT INTO history (at, by_user, contract_id, installment_id, "
                                              "action, what) VALUES (?, ?, ?, ?, ?, ?)"),
                               {QDateTime::currentDateTime().toString(Qt::ISODateWithMs), user_,
                                entry.contractId ? QVariant(entry.contractId) : QVariant(),
                                entry.installmentId ? QVariant(entry.installmentId) : QVariant(),
                                entry.action, entry.what});
        if (!h.exec()) r = failed(h);
    }
    if (!r.done()) {
        q.exec(QStringLiteral("ROLLBACK"));
        return r;
    }
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const StoreResult f = failed(q);
        q.exec(QStringLiteral("ROLLBACK"));
        return f;
    }
    return r;
}

namespace {

// Whether the row `id` of `table` is still there (a conflict then, not a
// removal).
bool exists(const QSqlDatabase& db, const QString& table, qint64 id) {
    QSqlQuery q = prepared(db, QStringLiteral("SELECT 1 FROM %1 WHERE id = ?").arg(table), {id});
    return q.exec() && q.next();
}

StoreResult changedElsewhere(const QSqlDatabase& db, const QString& table, qint64 id,
                             const QString& what) {
    if (exists(db, table, id))
        return failure(StoreResult::Outcome::Conflict,
                       QStringLiteral("%1นี้ถูกแก้จากที่อื่นหลังจากที่เปิดไว้ที่นี่").arg(what));
    return failure(StoreResult::Outcome::Gone, QStringLiteral("%1นี้ถูกลบจากที่อื่นไปแล้ว").arg(what));
}

const QStringList kContractFields = {QStringLiteral("number"),    QStringLiteral("work"),
                                     QStringLiteral("contractor"), QStringLiteral("bid_day"),
                                     QStringLiteral("bid_month"),  QStringLiteral("bid_year"),
                                     QStringLiteral("formula")};

QVariantList contractValues(const ContractInfo& c) {
    return {text(c.number), text(c.work), text(c.contractor), c.bidDay, c.bidMonth, c.bidYear,
            int(c.formula)};
}

StoreResult numberTaken(const ContractInfo& c) {
    return failure(StoreResult::Outcome::Refused,
                   QStringLiteral("ทะเบียนมีสัญญาเลขที่ %1 อยู่แล้ว").arg(c.number));
}

}  // namespace

StoreResult SqlRegister::addContract(ContractInfo& c) {
    ContractInfo added = c;
    const StoreResult r = write([&](Change& entry) {
        if (contractByNumber(added.number)) return numberTaken(added);
        QSqlQuery q = prepared(db(),
                               QStringLiteral("INSERT INTO contracts (%1, version) VALUES (%2, 1) RETURNING id")
                                   .arg(kContractFields.join(QStringLiteral(", ")),
                                        placeholders(kContractFields.size())),
                               contractValues(added));
        if (!q.exec() || !q.next()) return failed(q);
        added.id = q.value(0).toLongLong();
        added.version = 1;
        entry = {added.id, 0, QStringLiteral("เพิ่มสัญญา"), describe(added)};
        return StoreResult{};
    });
    if (r.done()) c = added;
    return r;
}

StoreResult SqlRegister::updateContract(ContractInfo& c) {
    const StoreResult r = write([&](Change& entry) {
        if (const std::optional<ContractInfo> other = contractByNumber(c.number); other && other->id != c.id)
            return numberTaken(c);
        QSqlQuery q = prepared(db(),
                               QStringLiteral("UPDATE contracts SET %1, version = version + 1 "
                                              "WHERE id = ? AND version = ?")
                                   .arg(assignments(kContractFields)),
                               contractValues(c) + QVariantList{c.id, c.version});
        if (!q.exec()) return failed(q);
        if (q.numRowsAffected() != 1)
            return changedElsewhere(db(), QStringLiteral("contracts"), c.id, QStringLiteral("สัญญา"));
        entry = {c.id, 0, QStringLiteral("แก้สัญญา"), describe(c)};
        return StoreResult{};
    });
    if (r.done()) ++c.version;
    return r;
}

StoreResult SqlRegister::removeContract(const ContractInfo& c) {
    return write([&](Change& entry) {
        // The installments go with it, and what they were printed from.
        for (const QString& sql :
             {QStringLiteral("DELETE FROM printed WHERE installment_id IN "
                             "(SELECT id FROM installments WHERE contract_id = ?)"),
              QStringLiteral("DELETE FROM installments WHERE contract_id = ?")}) {
            QSqlQuery q = prepared(db(), sql, {c.id});
            if (!q.exec()) return failed(q);
        }
        QSqlQuery q = prepared(db(), QStringLiteral("DELETE FROM contracts WHERE id = ? AND version = ?"),
                               {c.id, c.version});
        if (!q.exec()) return failed(q);
        if (q.numRowsAffected() != 1)
            return changedElsewhere(db(), QStringLiteral("contracts"), c.id, QStringLiteral("สัญญา"));
        entry = {c.id, 0, QStringLiteral("ลบสัญญา"), describe(c)};
        return StoreResult{};
    });
}

StoreResult SqlRegister::insertInstallment(InstallmentInfo& i) {
    // Touching the contract's row holds it until the end of the
    // transaction, so that two installments added at once on a server
    // never take the same place.
    QSqlQuery hold = prepared(db(), QStringLiteral("UPDATE contracts SET id = id WHERE id = ?"), {i.contractId});
    if (!hold.exec()) return failed(hold);
    if (hold.numRowsAffected() != 1)
        return failure(StoreResult::Outcome::Gone, QStringLiteral("สัญญานี้ถูกลบจากที่อื่นไปแล้ว"));
    QSqlQuery last = prepared(db(), QStringLiteral("SELECT COALESCE(MAX(position), 0) FROM installments "
                                                   "WHERE contract_id = ?"),
                              {i.contractId});
    if (!last.exec() || !last.next()) return failed(last);
    i.position = last.value(0).toInt() + 1;
    const QStringList columns = enteredColumns();
    QSqlQuery q = prepared(db(),
                           QStringLiteral("INSERT INTO installments (contract_id, position, %1, version) "
                                          "VALUES (?, ?, %2, 1) RETURNING id")
                               .arg(columns.join(QStringLiteral(", ")), placeholders(columns.size())),
                           QVariantList{i.contractId, i.position} + enteredValues(i.value));
    if (!q.exec() || !q.next()) return failed(q);
    i.id = q.value(0).toLongLong();
    i.version = 1;
    i.printed.reset();
    return {};
}

StoreResult SqlRegister::addInstallment(InstallmentInfo& i) {
    InstallmentInfo added = i;
    const StoreResult r = write([&](Change& entry) {
        const StoreResult inserted = insertInstallment(added);
        entry = {added.contractId, added.id, QStringLiteral("เพิ่มงวด"), describe(added.value)};
        return inserted;
    });
    if (r.done()) i = added;
    return r;
}

StoreResult SqlRegister::addInstallments(qint64 contractId, std::vector<InstallmentInfo>& is) {
    std::vector<InstallmentInfo> added = is;
    const StoreResult r = write([&](Change& entry) {
        for (InstallmentInfo& i : added) {
            i.contractId = contractId;
            if (const StoreResult one = insertInstallment(i); !one.done()) return one;
        }
        entry = {contractId, 0, QStringLiteral("นำเข้างวด"),
                 QStringLiteral("นำเข้า %1 งวด").arg(added.size())};
        return StoreResult{};
    });
    if (r.done()) is = added;
    return r;
}

StoreResult SqlRegister::updateInstallment(InstallmentInfo& i) {
    const StoreResult r = write([&](Change& entry) {
        const QStringList columns = enteredColumns();
        QSqlQuery q = prepared(db(),
                               QStringLiteral("UPDATE installments SET %1, version = version + 1 "
                                              "WHERE id = ? AND version = ?")
                                   .arg(assignments(columns)),
                               enteredValues(i.value) + QVariantList{i.id, i.version});
        if (!q.exec()) return failed(q);
        if (q.numRowsAffected() != 1)
            return changedElsewhere(db(), QStringLiteral("installments"), i.id, QStringLiteral("งวด"));
        entry = {i.contractId, i.id, QStringLiteral("แก้งวด"), describe(i.value)};
        return StoreResult{};
    });
    if (r.done()) ++i.version;
    return r;
}

StoreResult SqlRegister::removeInstallment(const InstallmentInfo& i) {
    return write([&](Change& entry) {
        QSqlQuery printed = prepared(db(), QStringLiteral("DELETE FROM printed WHERE installment_id = ?"), {i.id});
        if (!printed.exec()) return failed(printed);
        QSqlQuery q = prepared(db(), QStringLiteral("DELETE FROM installments WHERE id = ? AND version = ?"),
                               {i.id, i.version});
        if (!q.exec()) return failed(q);
        if (q.numRowsAffected() != 1)
            return changedElsewhere(db(), QStringLiteral("installments"), i.id, QStringLiteral("งวด"));
        entry = {i.contractId, i.id, QStringLiteral("ลบงวด"), describe(i.value)};
        return StoreResult{};
    });
}

StoreResult SqlRegister::setPrinted(const InstallmentInfo& i, const PrintedSheet& s) {
    return write([&](Change& entry) {
        if (!exists(db(), QStringLiteral("installments"), i.id))
            return failure(StoreResult::Outcome::Gone, QStringLiteral("งวดนี้ถูกลบจากที่อื่นไปแล้ว"));
        QSqlQuery old = prepared(db(), QStringLiteral("DELETE FROM printed WHERE installment_id = ?"), {i.id});
        if (!old.exec()) return failed(old);
        const QStringList columns = printedColumns();
        QVariantList values = {s.at.toString(Qt::ISODateWithMs), s.inputs.bidDay, s.inputs.bidMonth,
                               s.inputs.bidYear};
        values += enteredValues(s.inputs);
        values += indexValues(s.o);
        values += indexValues(s.t);
        values += QVariantList{s.netAmount, double(s.result.k), int(s.result.band),
                               double(s.result.excess), s.result.compensation, s.result.refund};
        QSqlQuery q = prepared(db(),
                               QStringLiteral("INSERT INTO printed (installment_id, %1) VALUES (?, %2)")
                                   .arg(columns.join(QStringLiteral(", ")), placeholders(columns.size())),
                               QVariantList{i.id} + values);
        if (!q.exec()) return failed(q);
        entry = {i.contractId, i.id, QStringLiteral("พิมพ์งวด"),
                 QStringLiteral("K %1").arg(print::formatNumber(s.result.k).trimmed())};
        return StoreResult{};
    });
}

QString SqlRegister::office() {
    QSqlQuery q = prepared(db(), QStringLiteral("SELECT value FROM register_meta WHERE key = 'office'"));
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

StoreResult SqlRegister::setOffice(const QString& office) {
    return write([&](Change& entry) {
        QSqlQuery q = prepared(db(), QStringLiteral("UPDATE register_meta SET value = ? WHERE key = 'office'"),
                               {text(office)});
        if (!q.exec()) return failed(q);
        entry = {0, 0, QStringLiteral("แก้หัวรายงาน"), office};
        return StoreResult{};
    });
}

std::vector<HistoryEntry> SqlRegister::history(qint64 installmentId) {
    std::vector<HistoryEntry> out;
    QSqlQuery q = prepared(db(),
                           QStringLiteral("SELECT at, by_user, action, what FROM history "
                                          "WHERE installment_id = ? ORDER BY id"),
                           {installmentId});
    if (q.exec()) {
        while (q.next())
            out.push_back({QDateTime::fromString(q.value(0).toString(), Qt::ISODateWithMs),
                           q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    }
    return out;
}
