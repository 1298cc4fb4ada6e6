#include "contract/SqlRegister.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unordered_map>

#include <QFile>
#include <QFileInfo>

#include "base/MonthNames.h"
#include "base/SystemFiles.h"
#include "contract/SqliteConnection.h"
#include "escalation/PrintModel.h"

namespace {

const QString kApplication = QStringLiteral("tarvon-register");
constexpr int kItems = kEquipItems;

// ---- the columns, in one order for every statement -----------------------

// An installment as entered.
QStringList makeEnteredColumns(const QString& prefix) {
    QStringList c = {QStringLiteral("designation"), QStringLiteral("formula"), QStringLiteral("day"),
                     QStringLiteral("month"), QStringLiteral("year"), QStringLiteral("amount")};
    for (int n = 1; n <= kItems; ++n)
        c << QStringLiteral("item%1").arg(n) << QStringLiteral("price%1").arg(n);
    for (QString& s : c) s.prepend(prefix);
    return c;
}
// Made once: statements are written with them row after row.
const QStringList& enteredColumns(const QString& prefix = QString()) {
    static const QStringList plain = makeEnteredColumns(QString()),
                             printed = makeEnteredColumns(QStringLiteral("p_"));
    return prefix.isEmpty() ? plain : printed;
}
constexpr int kEntered = 6 + 2 * kItems;

QStringList indexColumns(const QString& p) {
    QStringList c = {p + QStringLiteral("year"), p + QStringLiteral("month")};
    for (int n = 1; n <= kIndexColumns; ++n) c << p + QString::number(n);
    return c;
}

// What a printed sheet said, and when.
const QStringList& printedFigures() {
    static const QStringList c = {QStringLiteral("printed_at"), QStringLiteral("net_amount"),
                                  QStringLiteral("k"),          QStringLiteral("band"),
                                  QStringLiteral("excess"),     QStringLiteral("compensation"),
                                  QStringLiteral("refund")};
    return c;
}
constexpr int kFigures = 7;

// What it was printed from: the entries and both months' index values.
const QStringList& printedSources() {
    static const QStringList c = QStringList{QStringLiteral("p_bid_day"), QStringLiteral("p_bid_month"),
                                             QStringLiteral("p_bid_year")} +
                                 enteredColumns(QStringLiteral("p_")) +
                                 indexColumns(QStringLiteral("o_")) + indexColumns(QStringLiteral("t_"));
    return c;
}

const QStringList& printedColumns() {
    static const QStringList c = printedFigures() + printedSources();
    return c;
}

const QStringList kContractFields = {QStringLiteral("number"),    QStringLiteral("work"),
                                     QStringLiteral("contractor"), QStringLiteral("bid_day"),
                                     QStringLiteral("bid_month"),  QStringLiteral("bid_year"),
                                     QStringLiteral("formula")};
constexpr int kContractColumns = 9;  // id, the fields, version

QString contractSelect(const QString& alias) {
    QStringList c = {alias + QStringLiteral("id")};
    for (const QString& f : kContractFields) c << alias + f;
    c << alias + QStringLiteral("version");
    return c.join(QStringLiteral(", "));
}

// ---- the schema ----------------------------------------------------------

QString typed(const QStringList& columns, const QString& type) {
    QString ddl;
    for (const QString& c : columns) ddl += QStringLiteral(", %1 %2").arg(c, type);
    return ddl;
}

QString enteredDdl(const QString& prefix) {
    QString ddl = QStringLiteral(", %1designation TEXT NOT NULL, %1formula INTEGER NOT NULL, "
                                 "%1day INTEGER NOT NULL, %1month INTEGER NOT NULL, "
                                 "%1year INTEGER NOT NULL, %1amount DOUBLE PRECISION NOT NULL")
                      .arg(prefix);
    for (int n = 1; n <= kItems; ++n)
        ddl += QStringLiteral(", %1item%2 TEXT, %1price%2 DOUBLE PRECISION").arg(prefix).arg(n);
    return ddl;
}

// One list of statements a version; %ID% is the database's row-id column.
// Singles (K, the excess, index values) are kept as doubles: every Single
// is one, exactly.
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
                        "REFERENCES contracts(id) ON DELETE CASCADE, position INTEGER NOT NULL") +
             enteredDdl(QString()) + QStringLiteral(", version BIGINT NOT NULL)"),
         QStringLiteral("CREATE INDEX installments_of_contract ON installments (contract_id, position)"),
         QStringLiteral("CREATE INDEX installments_of_month ON installments (year, month)"),
         QStringLiteral("CREATE TABLE printed (installment_id BIGINT PRIMARY KEY "
                        "REFERENCES installments(id) ON DELETE CASCADE, printed_at TEXT NOT NULL") +
             QStringLiteral(", net_amount DOUBLE PRECISION NOT NULL, k DOUBLE PRECISION NOT NULL, "
                            "band INTEGER NOT NULL, excess DOUBLE PRECISION NOT NULL, "
                            "compensation DOUBLE PRECISION NOT NULL, refund DOUBLE PRECISION NOT NULL") +
             typed(printedSources().mid(0, 3), QStringLiteral("INTEGER NOT NULL")) +
             enteredDdl(QStringLiteral("p_")) +
             typed(indexColumns(QStringLiteral("o_")) + indexColumns(QStringLiteral("t_")),
                   QStringLiteral("DOUBLE PRECISION NOT NULL")) +
             QStringLiteral(")"),
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

// Runs the migrations after version `from` in one transaction; false with
// the database's words in `error`.
bool migrate(SqlConnection& db, int from, QString* error) {
    if (!db.run(QString::fromLatin1(db.dialect().beginWrite))) {
        *error = db.error();
        return false;
    }
    const std::vector<QStringList> steps = migrations();
    for (size_t v = size_t(from); v < steps.size(); ++v) {
        for (QString sql : steps[v]) {
            sql.replace(QStringLiteral("%ID%"), QString::fromLatin1(db.dialect().idColumn));
            if (!db.run(sql)) {
                *error = db.error();
                db.run(QStringLiteral("ROLLBACK"));
                return false;
            }
        }
    }
    if (!db.run(QStringLiteral("COMMIT"))) {
        *error = db.error();
        db.run(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

// ---- statements ----------------------------------------------------------

// "$1, $2, ..." for `n` values from $`first`.
QString placeholders(qsizetype n, int first = 1) {
    QStringList p;
    for (qsizetype i = 0; i < n; ++i) p << QStringLiteral("$%1").arg(first + i);
    return p.join(QStringLiteral(", "));
}

// "a = $1, b = $2, ...".
QString assignments(const QStringList& columns) {
    QStringList a;
    for (qsizetype i = 0; i < columns.size(); ++i) a << QStringLiteral("%1 = $%2").arg(columns[i]).arg(i + 1);
    return a.join(QStringLiteral(", "));
}

// A text as stored: an empty one is a text, not a missing value.
SqlValue text(const QString& s) { return s.isNull() ? SqlValue(QStringLiteral("")) : SqlValue(s); }
SqlValue whole(qint64 v) { return SqlValue(v); }

std::vector<SqlValue> enteredValues(const Installment& in) {
    std::vector<SqlValue> v = {text(in.designation), whole(in.formula), whole(in.day),
                               whole(in.month),      whole(in.year),    in.amount};
    for (int n = 0; n < kItems; ++n) {
        if (size_t(n) < in.items.size()) {
            v.push_back(text(in.items[size_t(n)].name));
            v.push_back(in.items[size_t(n)].price);
        } else {
            v.push_back(SqlValue());
            v.push_back(SqlValue());
        }
    }
    return v;
}

// Without `texts`, the designation and the items' names are left empty.
void readEntered(const SqlRow& r, int at, Installment* in, bool texts = true) {
    if (texts) in->designation = r.text(at);
    in->formula = Integer(r.integer(at + 1));
    in->day = Long(r.integer(at + 2));
    in->month = Long(r.integer(at + 3));
    in->year = Long(r.integer(at + 4));
    in->amount = r.real(at + 5);
    in->items.clear();
    for (int n = 0; n < kItems; ++n) {
        const int name = at + 6 + 2 * n;
        if (r.isNull(name) && r.isNull(name + 1)) break;
        in->items.push_back({texts ? r.text(name) : QString(), r.real(name + 1)});
    }
}

std::vector<SqlValue> indexValues(const IndexValues& v) {
    std::vector<SqlValue> out = {whole(v.year), whole(v.month)};
    for (Single x : v.col) out.push_back(double(x));
    return out;
}

void readIndexValues(const SqlRow& r, int at, IndexValues* v) {
    v->year = Long(r.integer(at));
    v->month = Long(r.integer(at + 1));
    for (int c = 0; c < kIndexColumns; ++c) v->col[size_t(c)] = Single(r.real(at + 2 + c));
}

std::vector<SqlValue> contractValues(const ContractInfo& c) {
    return {text(c.number), text(c.work), text(c.contractor), whole(c.bidDay),
            whole(c.bidMonth), whole(c.bidYear), whole(c.formula)};
}

ContractInfo readContract(const SqlRow& r, int at = 0) {
    ContractInfo c;
    c.id = r.integer(at);
    c.number = r.text(at + 1);
    c.work = r.text(at + 2);
    c.contractor = r.text(at + 3);
    c.bidDay = Long(r.integer(at + 4));
    c.bidMonth = Long(r.integer(at + 5));
    c.bidYear = Long(r.integer(at + 6));
    c.formula = Integer(r.integer(at + 7));
    c.version = r.integer(at + 8);
    return c;
}

// The installment's columns with the printed ones beside (null when it
// was never printed), for "FROM installments i LEFT JOIN printed p": the
// printed figures always, what they were printed from when `sources` (a
// register's sums need the figures only, and every column read costs).
QString installmentSelect(bool sources) {
    QStringList cols = {QStringLiteral("i.id"), QStringLiteral("i.contract_id"),
                        QStringLiteral("i.position"), QStringLiteral("i.version")};
    for (const QString& c : enteredColumns()) cols << QStringLiteral("i.") + c;
    for (const QString& c : sources ? printedColumns() : printedFigures())
        cols << QStringLiteral("p.") + c;
    return cols.join(QStringLiteral(", "));
}
int installmentColumns(bool sources) {
    return 4 + kEntered + (sources ? int(printedColumns().size()) : kFigures);
}

InstallmentInfo readInstallment(const SqlRow& r, const ContractInfo& contract, bool sources,
                                bool texts = true) {
    InstallmentInfo i;
    i.id = r.integer(0);
    i.contractId = r.integer(1);
    i.position = int(r.integer(2));
    i.version = r.integer(3);
    readEntered(r, 4, &i.value, texts);
    i.value.bidDay = contract.bidDay;
    i.value.bidMonth = contract.bidMonth;
    i.value.bidYear = contract.bidYear;
    const int p = 4 + kEntered;
    if (r.isNull(p)) return i;
    PrintedSheet s;
    // The time is read where what was printed is: a sum needs the figures.
    if (sources) s.at = QDateTime::fromString(r.text(p), Qt::ISODateWithMs);
    s.netAmount = r.real(p + 1);
    s.result.k = Single(r.real(p + 2));
    s.result.band = Band(r.integer(p + 3));
    s.result.excess = Single(r.real(p + 4));
    s.result.compensation = r.real(p + 5);
    s.result.refund = r.real(p + 6);
    if (sources) {
        const int from = p + kFigures;
        s.inputs.bidDay = Long(r.integer(from));
        s.inputs.bidMonth = Long(r.integer(from + 1));
        s.inputs.bidYear = Long(r.integer(from + 2));
        readEntered(r, from + 3, &s.inputs);
        const int values = from + 3 + kEntered;
        readIndexValues(r, values, &s.o);
        readIndexValues(r, values + 2 + kIndexColumns, &s.t);
    }
    i.printed = s;
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

// ---- files ---------------------------------------------------------------

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
    bool ok = false;
    if (auto db = SqliteConnection::open(QFile::decodeName(temp), false, error))
        ok = migrate(*db, 0, error);
    // A hard link never replaces: whoever made the register first keeps it.
    if (ok && ::link(temp.constData(), QFile::encodeName(path).constData()) != 0 && errno != EEXIST) {
        *error = systemReason(errno);
        ok = false;
    }
    ::unlink(temp.constData());
    ::unlink((temp + "-journal").constData());
    return ok;
}

// A copy of `from` at `to`, made whole beside it; an earlier upgrade's copy
// already there is the older one and stays.
bool copyFile(const QString& from, const QString& to, QString* error) {
    if (QFileInfo::exists(to)) return true;
    const std::optional<QByteArray> bytes = readRegularFile(from, error);
    if (!bytes) return false;
    QByteArray temp = QFile::encodeName(to) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *error = systemReason(errno);
        return false;
    }
    bool ok = ::write(fd, bytes->constData(), size_t(bytes->size())) == bytes->size() &&
              ::fsync(fd) == 0;
    if (!ok) *error = systemReason(errno);
    ::close(fd);
    if (ok && ::link(temp.constData(), QFile::encodeName(to).constData()) != 0 && errno != EEXIST) {
        *error = systemReason(errno);
        ok = false;
    }
    ::unlink(temp.constData());
    return ok;
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

SqlRegister::SqlRegister(QString location, std::unique_ptr<SqlConnection> db)
    : location_(std::move(location)), db_(std::move(db)), user_(db_->user()) {}

SqlRegister::~SqlRegister() = default;

QString SqlRegister::upgradeCopy(const QString& location, int fromVersion) {
    return location + QStringLiteral(".v%1.bak").arg(fromVersion);
}

std::unique_ptr<SqlRegister> SqlRegister::open(const QString& location, bool create,
                                               QString* error, Opened* how) {
    const auto refuse = [&](const QString& why) -> std::unique_ptr<SqlRegister> {
        if (error) *error = QStringLiteral("ทะเบียนสัญญา %1: %2").arg(location, why);
        return nullptr;
    };
    const QString notARegister =
        QStringLiteral("แฟ้มนี้ไม่ใช่ทะเบียนสัญญาของโปรแกรมนี้ จึงไม่เปิดและไม่แก้ไขแฟ้มนี้");
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
    if (!isSqliteFile(location)) return refuse(notARegister);

    const bool readOnly = !writable(location);
    QString why;
    std::unique_ptr<SqlConnection> db = SqliteConnection::open(location, readOnly, &why);
    if (!db) return refuse(QStringLiteral("เปิดไม่ได้ (%1)").arg(why));
    std::unique_ptr<SqlRegister> r(new SqlRegister(location, std::move(db)));
    r->readOnly_ = readOnly;
    if (readOnly)
        r->readOnlyWhy_ = QStringLiteral("แฟ้ม %1 หรือโฟลเดอร์ของแฟ้มเขียนไม่ได้ (เช่น อยู่ในแผ่นซีดีหรือโฟลเดอร์ที่ไม่มีสิทธิ์เขียน) "
                                         "จึงเปิดให้ดูได้อย่างเดียว แก้ไขไม่ได้")
                              .arg(location);
    QString application;
    r->db_->run(QStringLiteral("SELECT value FROM register_meta WHERE key = 'application'"), {},
                [&](const SqlRow& row) { application = row.text(0); });
    if (application != kApplication) return refuse(notARegister);
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
        if (!copyFile(location, upgradeCopy(location, version), &why))
            return refuse(QStringLiteral("เก็บสำเนาก่อนปรับรูปแบบไม่ได้ (%1) จึงยังไม่ปรับ").arg(why));
        if (!migrate(*r->db_, version, &why))
            return refuse(QStringLiteral("ปรับรูปแบบไม่สำเร็จ (%1): แฟ้มยังเป็นแบบเดิม").arg(why));
        opened = Opened::Upgraded;
    }
    if (how) *how = opened;
    return r;
}

int SqlRegister::schemaVersion() {
    int version = 0;
    db_->run(QStringLiteral("SELECT value FROM register_meta WHERE key = 'schema_version'"), {},
             [&](const SqlRow& row) { version = row.text(0).toInt(); });
    return version;
}

bool SqlRegister::readOnly(QString* why) const {
    if (why) *why = readOnlyWhy_;
    return readOnly_;
}

StoreResult SqlRegister::failed() const {
    switch (db_->failure()) {
        case SqlConnection::Failure::Busy:
            return failure(StoreResult::Outcome::Failed,
                           QStringLiteral("ทะเบียนกำลังถูกแก้จากที่อื่นนานเกินไป: ลองใหม่อีกครั้ง (%1)").arg(db_->error()));
        case SqlConnection::Failure::Denied:
            return failure(StoreResult::Outcome::Refused,
                           QStringLiteral("ผู้ใช้ฐานข้อมูลนี้ไม่มีสิทธิ์แก้ทะเบียน (%1)").arg(db_->error()));
        case SqlConnection::Failure::ReadOnly:
            return failure(StoreResult::Outcome::Refused,
                           QStringLiteral("ทะเบียนนี้เขียนไม่ได้ (%1)").arg(db_->error()));
        case SqlConnection::Failure::Gone:
            return failure(StoreResult::Outcome::Failed,
                           QStringLiteral("ติดต่อฐานข้อมูลทะเบียนไม่ได้ (%1)").arg(db_->error()));
        default:
            return failure(StoreResult::Outcome::Failed,
                           QStringLiteral("ฐานข้อมูลทะเบียนทำรายการนี้ไม่สำเร็จ (%1)").arg(db_->error()));
    }
}

qint64 SqlRegister::generation() {
    qint64 n = -1;
    db_->run(QStringLiteral("SELECT n FROM register_changes"), {},
             [&](const SqlRow& row) { n = row.integer(0); });
    return n;
}

std::vector<ContractInfo> SqlRegister::contracts() {
    std::vector<ContractInfo> out;
    db_->run(QStringLiteral("SELECT %1 FROM contracts ORDER BY number").arg(contractSelect(QString())), {},
             [&](const SqlRow& row) { out.push_back(readContract(row)); });
    return out;
}

std::optional<ContractInfo> SqlRegister::contract(qint64 id) {
    std::optional<ContractInfo> c;
    db_->run(QStringLiteral("SELECT %1 FROM contracts WHERE id = $1").arg(contractSelect(QString())),
             {id}, [&](const SqlRow& row) { c = readContract(row); });
    return c;
}

std::optional<ContractInfo> SqlRegister::contractByNumber(const QString& number) {
    std::optional<ContractInfo> c;
    db_->run(QStringLiteral("SELECT %1 FROM contracts WHERE number = $1").arg(contractSelect(QString())),
             {text(number)}, [&](const SqlRow& row) { c = readContract(row); });
    return c;
}

std::vector<InstallmentInfo> SqlRegister::installments(qint64 contractId) {
    std::vector<InstallmentInfo> out;
    const std::optional<ContractInfo> c = contract(contractId);
    if (!c) return out;
    db_->run(QStringLiteral("SELECT %1 FROM installments i LEFT JOIN printed p ON p.installment_id = i.id "
                            "WHERE i.contract_id = $1 ORDER BY i.position")
                 .arg(installmentSelect(true)),
             {contractId}, [&](const SqlRow& row) { out.push_back(readInstallment(row, *c, true)); });
    return out;
}

std::optional<InstallmentInfo> SqlRegister::installment(qint64 id) {
    std::optional<InstallmentInfo> out;
    db_->run(QStringLiteral("SELECT %1, %2 FROM installments i LEFT JOIN printed p ON "
                            "p.installment_id = i.id JOIN contracts c ON c.id = i.contract_id "
                            "WHERE i.id = $1")
                 .arg(installmentSelect(true), contractSelect(QStringLiteral("c."))),
             {id}, [&](const SqlRow& row) {
                 out = readInstallment(row, readContract(row, installmentColumns(true)), true);
             });
    return out;
}

namespace {

// Each installment of the statement's rows with its contract, whose columns
// follow its own; the contract is read again only when it changes.
std::function<void(const SqlRow&)> withContract(
    const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) {
    return [&each, contract = ContractInfo()](const SqlRow& row) mutable {
        const int at = installmentColumns(false);
        if (row.integer(at) != contract.id) contract = readContract(row, at);
        each(contract, readInstallment(row, contract, false));
    };
}

}  // namespace

void SqlRegister::forEachInstallment(
    const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) {
    // The contracts are few: read once beside, rather than joined to every
    // installment. The sums read no texts.
    std::unordered_map<qint64, ContractInfo> contracts;
    for (ContractInfo& c : this->contracts()) contracts.emplace(c.id, std::move(c));
    const ContractInfo* contract = nullptr;
    db_->run(QStringLiteral("SELECT %1 FROM installments i LEFT JOIN printed p ON "
                            "p.installment_id = i.id ORDER BY i.contract_id, i.position")
                 .arg(installmentSelect(false)),
             {}, [&](const SqlRow& row) {
                 const qint64 id = row.integer(1);
                 if (!contract || contract->id != id) {
                     const auto it = contracts.find(id);
                     if (it == contracts.end()) return;  // added since the contracts were read
                     contract = &it->second;
                 }
                 each(*contract, readInstallment(row, *contract, false, /*texts=*/false));
             });
}

void SqlRegister::forEachDelivered(
    Long from, Long to, const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) {
    db_->run(QStringLiteral("SELECT %1, %2 FROM installments i LEFT JOIN printed p ON "
                            "p.installment_id = i.id JOIN contracts c ON c.id = i.contract_id "
                            "WHERE i.year * 12 + i.month - 1 BETWEEN $1 AND $2 "
                            "ORDER BY c.number, i.position")
                 .arg(installmentSelect(false), contractSelect(QStringLiteral("c."))),
             {whole(from), whole(to)}, withContract(each));
}

StoreResult SqlRegister::write(const std::function<StoreResult(Change&)>& change) {
    if (readOnly_) return failure(StoreResult::Outcome::Refused, readOnlyWhy_);
    if (!db_->run(QString::fromLatin1(db_->dialect().beginWrite))) return failed();
    Change entry;
    StoreResult r = change(entry);
    if (r.done() && !db_->run(QStringLiteral("UPDATE register_changes SET n = n + 1"))) r = failed();
    if (r.done() && !entry.action.isEmpty() &&
        !db_->run(QStringLiteral("INSERT INTO history (at, by_user, contract_id, installment_id, "
                                 "action, what) VALUES ($1, $2, $3, $4, $5, $6)"),
                  {QDateTime::currentDateTime().toString(Qt::ISODateWithMs), text(user_),
                   entry.contractId ? SqlValue(entry.contractId) : SqlValue(),
                   entry.installmentId ? SqlValue(entry.installmentId) : SqlValue(),
                   text(entry.action), text(entry.what)}))
        r = failed();
    if (r.done() && !db_->run(QStringLiteral("COMMIT"))) r = failed();
    if (!r.done()) db_->run(QStringLiteral("ROLLBACK"));
    return r;
}

namespace {

// A change to a row that is not as it was read: changed, or removed.
StoreResult changedElsewhere(SqlConnection& db, const QString& table, qint64 id, const QString& what) {
    bool there = false;
    db.run(QStringLiteral("SELECT 1 FROM %1 WHERE id = $1").arg(table), {id},
           [&](const SqlRow&) { there = true; });
    if (there)
        return failure(StoreResult::Outcome::Conflict,
                       QStringLiteral("%1นี้ถูกแก้จากที่อื่นหลังจากที่เปิดไว้ที่นี่").arg(what));
    return failure(StoreResult::Outcome::Gone, QStringLiteral("%1นี้ถูกลบจากที่อื่นไปแล้ว").arg(what));
}

StoreResult numberTaken(const ContractInfo& c) {
    return failure(StoreResult::Outcome::Refused,
                   QStringLiteral("ทะเบียนมีสัญญาเลขที่ %1 อยู่แล้ว").arg(c.number));
}

// `values` followed by more.
std::vector<SqlValue> operator+(std::vector<SqlValue> values, const std::vector<SqlValue>& more) {
    values.insert(values.end(), more.begin(), more.end());
    return values;
}

}  // namespace

StoreResult SqlRegister::insertContract(ContractInfo& c) {
    if (contractByNumber(c.number)) return numberTaken(c);
    c.id = 0;
    if (!db_->run(QStringLiteral("INSERT INTO contracts (%1, version) VALUES (%2, 1) RETURNING id")
                      .arg(kContractFields.join(QStringLiteral(", ")), placeholders(kContractFields.size())),
                  contractValues(c), [&](const SqlRow& row) { c.id = row.integer(0); }))
        return failed();
    c.version = 1;
    return {};
}

StoreResult SqlRegister::addContract(ContractInfo& c) {
    ContractInfo added = c;
    const StoreResult r = write([&](Change& entry) {
        const StoreResult inserted = insertContract(added);
        entry = {added.id, 0, QStringLiteral("เพิ่มสัญญา"), describe(added)};
        return inserted;
    });
    if (r.done()) c = added;
    return r;
}

StoreResult SqlRegister::updateContract(ContractInfo& c) {
    const StoreResult r = write([&](Change& entry) {
        if (const std::optional<ContractInfo> other = contractByNumber(c.number); other && other->id != c.id)
            return numberTaken(c);
        const qsizetype n = kContractFields.size();
        if (!db_->run(QStringLiteral("UPDATE contracts SET %1, version = version + 1 WHERE id = $%2 "
                                     "AND version = $%3")
                          .arg(assignments(kContractFields))
                          .arg(n + 1)
                          .arg(n + 2),
                      contractValues(c) + std::vector<SqlValue>{c.id, c.version}))
            return failed();
        if (db_->changes() != 1) return changedElsewhere(*db_, QStringLiteral("contracts"), c.id, QStringLiteral("สัญญา"));
        entry = {c.id, 0, QStringLiteral("แก้สัญญา"), describe(c)};
        return StoreResult{};
    });
    if (r.done()) ++c.version;
    return r;
}

StoreResult SqlRegister::removeContract(const ContractInfo& c) {
    return write([&](Change& entry) {
        // The installments go with it, and what they were printed from.
        if (!db_->run(QStringLiteral("DELETE FROM printed WHERE installment_id IN "
                                     "(SELECT id FROM installments WHERE contract_id = $1)"),
                      {c.id}) ||
            !db_->run(QStringLiteral("DELETE FROM installments WHERE contract_id = $1"), {c.id}) ||
            !db_->run(QStringLiteral("DELETE FROM contracts WHERE id = $1 AND version = $2"),
                      {c.id, c.version}))
            return failed();
        if (db_->changes() != 1) return changedElsewhere(*db_, QStringLiteral("contracts"), c.id, QStringLiteral("สัญญา"));
        entry = {c.id, 0, QStringLiteral("ลบสัญญา"), describe(c)};
        return StoreResult{};
    });
}

StoreResult SqlRegister::insertInstallment(InstallmentInfo& i) {
    // Touching the contract's row holds it until the end of the
    // transaction, so that two installments added at once on a server
    // never take the same place. Not its key: a key written, even with
    // itself, has SQLite look up every installment referring to it, and an
    // import of n rows would take n² steps while it holds the register.
    if (!db_->run(QStringLiteral("UPDATE contracts SET version = version WHERE id = $1"), {i.contractId}))
        return failed();
    if (db_->changes() != 1)
        return failure(StoreResult::Outcome::Gone, QStringLiteral("สัญญานี้ถูกลบจากที่อื่นไปแล้ว"));
    // Back in its own place when that is free (a removal undone), else last.
    bool taken = i.position <= 0;
    if (!taken && !db_->run(QStringLiteral("SELECT 1 FROM installments WHERE contract_id = $1 AND position = $2"),
                            {i.contractId, whole(i.position)}, [&](const SqlRow&) { taken = true; }))
        return failed();
    if (taken) {
        int last = 0;
        if (!db_->run(QStringLiteral("SELECT COALESCE(MAX(position), 0) FROM installments WHERE contract_id = $1"),
                      {i.contractId}, [&](const SqlRow& row) { last = int(row.integer(0)); }))
            return failed();
        i.position = last + 1;
    }
    const QStringList columns = enteredColumns();
    i.id = 0;
    if (!db_->run(QStringLiteral("INSERT INTO installments (contract_id, position, %1, version) "
                                 "VALUES ($1, $2, %2, 1) RETURNING id")
                      .arg(columns.join(QStringLiteral(", ")), placeholders(columns.size(), 3)),
                  std::vector<SqlValue>{i.contractId, whole(i.position)} + enteredValues(i.value),
                  [&](const SqlRow& row) { i.id = row.integer(0); }))
        return failed();
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

StoreResult SqlRegister::addInstallments(ContractInfo& contract, std::vector<InstallmentInfo>& is) {
    ContractInfo into = contract;
    std::vector<InstallmentInfo> added = is;
    const StoreResult r = write([&](Change& entry) {
        if (into.id == 0) {
            if (const StoreResult made = insertContract(into); !made.done()) return made;
        }
        for (InstallmentInfo& i : added) {
            i.contractId = into.id;
            if (const StoreResult one = insertInstallment(i); !one.done()) return one;
        }
        entry = {into.id, 0, QStringLiteral("นำเข้างวด"),
                 QStringLiteral("สัญญา %1: นำเข้า %2 งวด").arg(into.number).arg(added.size())};
        return StoreResult{};
    });
    if (r.done()) {
        contract = into;
        is = added;
    }
    return r;
}

StoreResult SqlRegister::updateInstallment(InstallmentInfo& i) {
    const StoreResult r = write([&](Change& entry) {
        const QStringList columns = enteredColumns();
        if (!db_->run(QStringLiteral("UPDATE installments SET %1, version = version + 1 WHERE id = $%2 "
                                     "AND version = $%3")
                          .arg(assignments(columns))
                          .arg(columns.size() + 1)
                          .arg(columns.size() + 2),
                      enteredValues(i.value) + std::vector<SqlValue>{i.id, i.version}))
            return failed();
        if (db_->changes() != 1)
            return changedElsewhere(*db_, QStringLiteral("installments"), i.id, QStringLiteral("งวด"));
        entry = {i.contractId, i.id, QStringLiteral("แก้งวด"), describe(i.value)};
        return StoreResult{};
    });
    if (r.done()) ++i.version;
    return r;
}

StoreResult SqlRegister::removeInstallment(const InstallmentInfo& i) {
    return write([&](Change& entry) {
        if (!db_->run(QStringLiteral("DELETE FROM printed WHERE installment_id = $1"), {i.id}) ||
            !db_->run(QStringLiteral("DELETE FROM installments WHERE id = $1 AND version = $2"),
                      {i.id, i.version}))
            return failed();
        if (db_->changes() != 1)
            return changedElsewhere(*db_, QStringLiteral("installments"), i.id, QStringLiteral("งวด"));
        entry = {i.contractId, i.id, QStringLiteral("ลบงวด"), describe(i.value)};
        return StoreResult{};
    });
}

StoreResult SqlRegister::setPrinted(const InstallmentInfo& i, const PrintedSheet& s) {
    return write([&](Change& entry) {
        bool there = false;
        if (!db_->run(QStringLiteral("SELECT 1 FROM installments WHERE id = $1"), {i.id},
                      [&](const SqlRow&) { there = true; }))
            return failed();
        if (!there) return failure(StoreResult::Outcome::Gone, QStringLiteral("งวดนี้ถูกลบจากที่อื่นไปแล้ว"));
        if (!db_->run(QStringLiteral("DELETE FROM printed WHERE installment_id = $1"), {i.id}))
            return failed();
        // In the order of printedColumns(): the figures, then the sources.
        std::vector<SqlValue> values = {i.id,
                                        s.at.toString(Qt::ISODateWithMs),
                                        s.netAmount,
                                        double(s.result.k),
                                        whole(int(s.result.band)),
                                        double(s.result.excess),
                                        s.result.compensation,
                                        s.result.refund,
                                        whole(s.inputs.bidDay),
                                        whole(s.inputs.bidMonth),
                                        whole(s.inputs.bidYear)};
        values = values + enteredValues(s.inputs) + indexValues(s.o) + indexValues(s.t);
        const QStringList columns = printedColumns();
        if (!db_->run(QStringLiteral("INSERT INTO printed (installment_id, %1) VALUES ($1, %2)")
                          .arg(columns.join(QStringLiteral(", ")), placeholders(columns.size(), 2)),
                      values))
            return failed();
        entry = {i.contractId, i.id, QStringLiteral("พิมพ์งวด"),
                 QStringLiteral("K %1").arg(print::formatNumber(s.result.k).trimmed())};
        return StoreResult{};
    });
}

QString SqlRegister::office() {
    QString office;
    db_->run(QStringLiteral("SELECT value FROM register_meta WHERE key = 'office'"), {},
             [&](const SqlRow& row) { office = row.text(0); });
    return office;
}

StoreResult SqlRegister::setOffice(const QString& office) {
    return write([&](Change& entry) {
        if (!db_->run(QStringLiteral("UPDATE register_meta SET value = $1 WHERE key = 'office'"), {text(office)}))
            return failed();
        entry = {0, 0, QStringLiteral("แก้หัวรายงาน"), office};
        return StoreResult{};
    });
}

std::vector<HistoryEntry> SqlRegister::history(qint64 installmentId) {
    std::vector<HistoryEntry> out;
    db_->run(QStringLiteral("SELECT at, by_user, action, what FROM history WHERE installment_id = $1 "
                            "ORDER BY id"),
             {installmentId}, [&](const SqlRow& row) {
                 out.push_back({QDateTime::fromString(row.text(0), Qt::ISODateWithMs), row.text(1),
                                row.text(2), row.text(3)});
             });
    return out;
}
