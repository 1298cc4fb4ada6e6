// The register's embedded database: a SQLite file through SQLite's own
// library, loaded when the first register is opened (the window starts
// without it). Each statement is prepared once a connection and kept; a
// writer waits up to ten seconds for another's write to end.
#pragma once

#include <QHash>
#include <memory>

#include "contract/SqlConnection.h"

struct sqlite3;
struct sqlite3_stmt;
struct SqliteLibrary;

class SqliteConnection : public SqlConnection {
  public:
    // Opens the database file at `path` (which must exist); nullptr with
    // the Thai reason in `error`.
    static std::unique_ptr<SqliteConnection> open(const QString& path, bool readOnly,
                                                  QString* error);
    ~SqliteConnection() override;

    static const SqlDialect kDialect;
    const SqlDialect& dialect() const override { return kDialect; }
    bool run(const QString& sql, const std::vector<SqlValue>& params = {},
             const std::function<void(const SqlRow&)>& row = {}) override;
    qint64 changes() const override { return changes_; }
    Failure failure() const override { return failure_; }
    QString error() const override { return error_; }
    QString user() override;

  private:
    SqliteConnection(const SqliteLibrary& lib, sqlite3* db) : lib_(lib), db_(db) {}
    bool fail(int code);
    const SqliteLibrary& lib_;
    sqlite3* db_;
    QHash<QString, sqlite3_stmt*> statements_;
    qint64 changes_ = 0;
    Failure failure_ = Failure::None;
    QString error_;
};
