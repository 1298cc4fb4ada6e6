// One connection to the register's database, the embedded one (SQLite's
// own library) or an office's server (PostgreSQL's libpq), so that the
// register's queries are written once: parameters are $1, $2, ... in both,
// values are integers, doubles (bit for bit) and texts, and a result is
// read row by row without a copy of the whole. Where the two databases
// differ in their statements (how a row id is made, how a transaction that
// writes begins), SqlDialect says so.
//
// It runs statements; it knows nothing of contracts.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <variant>
#include <vector>

// A parameter of a statement.
using SqlValue = std::variant<std::monostate, qint64, double, QString>;

// The current row of a result.
class SqlRow {
  public:
    virtual ~SqlRow() = default;
    virtual bool isNull(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QString text(int column) const = 0;
};

struct SqlDialect {
    // The column that numbers a table's rows.
    const char* idColumn;
    // How a transaction that will write begins.
    const char* beginWrite;
    // How a transaction begins that reads the database as it is at one
    // moment, whatever is committed meanwhile.
    const char* beginSnapshot;
    // Follows a text in ORDER BY, so that texts sort by their bytes.
    const char* textOrder;
    // A row when the table named $1 is there; a row when any table is.
    const char* tableExists;
    const char* anyTable;
    // Within a writing transaction, holds off another program making or
    // upgrading the schema at the same time (null: beginWrite already does).
    const char* schemaLock;
    // The channel on which a committed change is announced to the other
    // connections (NOTIFY, LISTEN); null: none, they look at the generation.
    const char* changeChannel;
    // After rows were added with their ids given, makes the next id the
    // table %1 numbers follow the largest (null: it always does).
    const char* followIds;
};

class SqlConnection {
  public:
    // Why a statement failed, for the user.
    enum class Failure {
        None,
        Busy,        // another writer held the database too long
        Denied,      // the database user may not do this
        ReadOnly,    // the database cannot be written
        Gone,        // the connection is lost (a server stopped, a network cut)
        Other
    };

    virtual ~SqlConnection() = default;
    virtual const SqlDialect& dialect() const = 0;
    // Runs `sql` with `params` for $1, $2, ..., giving each row of its
    // result to `row`; false when it failed (failure(), error()).
    virtual bool run(const QString& sql, const std::vector<SqlValue>& params = {},
                     const std::function<void(const SqlRow&)>& row = {}) = 0;
    // Rows changed by the last statement that ran.
    virtual qint64 changes() const = 0;
    virtual Failure failure() const = 0;
    // The database's own words for the last failure.
    virtual QString error() const = 0;
    // Who the database knows the user as.
    virtual QString user() = 0;

    // A server's connection: made again after it was lost (false with
    // failure() and error() when it cannot be); a file's is never lost.
    virtual bool reconnect() { return true; }
    // A socket that becomes readable when the server notifies, or -1.
    virtual int socket() const { return -1; }
    // The channels other connections notified since the last call.
    virtual QStringList notifications() { return {}; }
};
