#include "contract/SqliteConnection.h"

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFile>

#include "base/LoadedLibrary.h"

#define TARVON_SQLITE_FUNCTIONS(X)                                                               \
    X(sqlite3_open_v2) X(sqlite3_close_v2) X(sqlite3_prepare_v2) X(sqlite3_finalize)            \
    X(sqlite3_reset) X(sqlite3_clear_bindings) X(sqlite3_bind_int64) X(sqlite3_bind_double)     \
    X(sqlite3_bind_text) X(sqlite3_bind_null) X(sqlite3_bind_parameter_index) X(sqlite3_step)   \
    X(sqlite3_column_type) X(sqlite3_column_int64) X(sqlite3_column_double)                     \
    X(sqlite3_column_text) X(sqlite3_column_bytes) X(sqlite3_changes) X(sqlite3_errmsg)         \
    X(sqlite3_extended_errcode) X(sqlite3_busy_timeout)

struct SqliteLibrary {
#define TARVON_SQLITE_POINTER(name) decltype(&::name) name = nullptr;
    TARVON_SQLITE_FUNCTIONS(TARVON_SQLITE_POINTER)
#undef TARVON_SQLITE_POINTER

    void takeFrom(LoadedLibrary& library) {
#define TARVON_TAKE(name) library.take(name, #name);
        TARVON_SQLITE_FUNCTIONS(TARVON_TAKE)
#undef TARVON_TAKE
    }
};

const SqlDialect SqliteConnection::kDialect = {
    "INTEGER PRIMARY KEY",
    // The write lock at once: two writers then wait for each other instead
    // of one failing when it first writes.
    "BEGIN IMMEDIATE",
    // A reader's snapshot lasts as long as its transaction.
    "BEGIN",
    "",
    "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = $1",
    "SELECT 1 FROM sqlite_master WHERE type = 'table'",
    nullptr,
    nullptr,
    nullptr};

namespace {

class Row : public SqlRow {
  public:
    Row(const SqliteLibrary& lib, sqlite3_stmt* st) : lib_(lib), st_(st) {}
    bool isNull(int c) const override { return lib_.sqlite3_column_type(st_, c) == SQLITE_NULL; }
    qint64 integer(int c) const override { return lib_.sqlite3_column_int64(st_, c); }
    double real(int c) const override { return lib_.sqlite3_column_double(st_, c); }
    QString text(int c) const override {
        const auto* t = reinterpret_cast<const char*>(lib_.sqlite3_column_text(st_, c));
        return t ? QString::fromUtf8(t, lib_.sqlite3_column_bytes(st_, c)) : QString();
    }

  private:
    const SqliteLibrary& lib_;
    sqlite3_stmt* st_;
};

}  // namespace

std::unique_ptr<SqliteConnection> SqliteConnection::open(const QString& path, bool readOnly,
                                                         QString* error) {
    const SqliteLibrary* lib = loadFunctions<SqliteLibrary>(
        "libsqlite3.so.0",
        QStringLiteral("ไม่พบไลบรารีฐานข้อมูล SQLite (libsqlite3) ที่ใช้ได้ (%1): ติดตั้งโปรแกรมใหม่"), error);
    if (!lib) return nullptr;
    sqlite3* db = nullptr;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int code = lib->sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (code != SQLITE_OK) {
        if (error) *error = db ? QString::fromUtf8(lib->sqlite3_errmsg(db)) : QString::number(code);
        lib->sqlite3_close_v2(db);
        return nullptr;
    }
    lib->sqlite3_busy_timeout(db, 10000);
    std::unique_ptr<SqliteConnection> c(new SqliteConnection(*lib, db));
    c->run(QStringLiteral("PRAGMA foreign_keys = ON"));
    return c;
}

SqliteConnection::~SqliteConnection() {
    for (sqlite3_stmt* st : std::as_const(statements_)) lib_.sqlite3_finalize(st);
    lib_.sqlite3_close_v2(db_);
}

bool SqliteConnection::fail(int code) {
    error_ = QString::fromUtf8(lib_.sqlite3_errmsg(db_));
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            failure_ = Failure::Busy;
            break;
        case SQLITE_READONLY:
            failure_ = Failure::ReadOnly;
            break;
        case SQLITE_PERM:
        case SQLITE_AUTH:
            failure_ = Failure::Denied;
            break;
        default:
            failure_ = Failure::Other;
    }
    return false;
}

bool SqliteConnection::run(const QString& sql, const std::vector<SqlValue>& params,
                           const std::function<void(const SqlRow&)>& row) {
    failure_ = Failure::None;
    error_.clear();
    changes_ = 0;
    // Taken out of the kept statements while it runs: a statement run again
    // from within a row of its own result gets one of its own.
    sqlite3_stmt* st = statements_.take(sql);
    if (!st) {
        const QByteArray text = sql.toUtf8();
        if (const int code = lib_.sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &st, nullptr);
            code != SQLITE_OK)
            return fail(code);
    }
    const auto keep = [&] {
        lib_.sqlite3_reset(st);  // no read lock kept between statements
        if (statements_.contains(sql))
            lib_.sqlite3_finalize(st);
        else
            statements_.insert(sql, st);
    };
    lib_.sqlite3_reset(st);
    lib_.sqlite3_clear_bindings(st);
    std::vector<QByteArray> texts;  // alive until the statement has run
    texts.reserve(params.size());
    for (size_t n = 0; n < params.size(); ++n) {
        const QByteArray name = "$" + QByteArray::number(qulonglong(n + 1));
        const int at = lib_.sqlite3_bind_parameter_index(st, name.constData());
        if (at == 0) continue;
        const SqlValue& v = params[n];
        if (const auto* i = std::get_if<qint64>(&v)) {
            lib_.sqlite3_bind_int64(st, at, *i);
        } else if (const auto* d = std::get_if<double>(&v)) {
            lib_.sqlite3_bind_double(st, at, *d);
        } else if (const auto* s = std::get_if<QString>(&v)) {
            texts.push_back(s->toUtf8());
            lib_.sqlite3_bind_text(st, at, texts.back().constData(), int(texts.back().size()),
                                   SQLITE_STATIC);
        } else {
            lib_.sqlite3_bind_null(st, at);
        }
    }
    const Row current(lib_, st);
    for (;;) {
        const int code = lib_.sqlite3_step(st);
        if (code == SQLITE_ROW) {
            if (row) row(current);
            continue;
        }
        if (code == SQLITE_DONE) break;
        const bool ok = fail(lib_.sqlite3_extended_errcode(db_));
        keep();
        return ok;
    }
    changes_ = lib_.sqlite3_changes(db_);
    keep();
    return true;
}

QString SqliteConnection::user() {
    if (const passwd* pw = ::getpwuid(::getuid())) return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}
