// The register on an office's PostgreSQL server, through PostgreSQL's own
// client library (libpq), loaded when the first server register is opened:
// the program runs without it when nobody uses a server. A statement that
// runs a second time is prepared and kept for the connection; results come
// in binary, so a double is read back bit for bit. A connection that was lost (the server stopped,
// the network cut, the password changed) fails each statement as Gone, and
// is made again at the next statement outside a transaction, or at
// reconnect(); a transaction it was in is never continued on the new one.
// A writer waits up to ten seconds for another's lock.
//
// It connects and runs statements; what the register is, and who may change
// it, it leaves to the register and to the server's own privileges.
#pragma once

#include <QHash>
#include <QSet>
#include <memory>
#include <optional>

#include "contract/SqlConnection.h"

struct pg_conn;
struct PostgresLibrary;

// A server register as a user names it: a location
// postgresql://user@host:port/database (without a password, which is
// never kept in a file), or the fields of the connection dialog.
struct PostgresLogin {
    QString host;      // a name, an address, or a unix socket's folder; empty: this computer
    int port = 0;      // 0: the default (5432)
    QString database;
    QString user;      // empty: the system user's name
    QString password;  // for this connection only; empty: ~/.pgpass or PGPASSWORD, as libpq finds it

    // The location without the password.
    QString location() const;
    // The fields of a location; nullopt when it is not a postgresql:// one.
    static std::optional<PostgresLogin> fromLocation(const QString& location);
};

// Whether `location` names a server register (postgresql://...) rather
// than a file.
bool isServerLocation(const QString& location);
// `location` with any password in it left out, as it is shown.
QString shownLocation(const QString& location);

class PostgresConnection : public SqlConnection {
  public:
    // Connects to the server register at `location` (postgresql://...),
    // with `password` when it is not empty; nullptr with the Thai reason
    // in `error`, and in `failure` whether the server could not be reached
    // or refused the user (Gone) or something else.
    static std::unique_ptr<PostgresConnection> open(const QString& location, const QString& password,
                                                    QString* error, Failure* failure = nullptr);
    ~PostgresConnection() override;

    static const SqlDialect kDialect;
    const SqlDialect& dialect() const override { return kDialect; }
    bool run(const QString& sql, const std::vector<SqlValue>& params = {},
             const std::function<void(const SqlRow&)>& row = {}) override;
    qint64 changes() const override { return changes_; }
    Failure failure() const override { return failure_; }
    QString error() const override { return error_; }
    QString user() override;

    // Makes the connection again (the statements kept are the old one's);
    // false with the reason in error() when the server cannot be reached.
    bool reconnect();
    // The connection's socket, readable when the server sent something
    // unasked (a notification, its going away); -1 when it is lost.
    int socket() const;
    // The channels notified by other connections since the last call
    // (the server's notices read from the socket, none of this one's own).
    QStringList notifications();

  private:
    PostgresConnection(const PostgresLibrary& lib, pg_conn* conn, QByteArray conninfo, QByteArray password);
    bool lost(const QString& why);
    const PostgresLibrary& lib_;
    pg_conn* conn_;
    QByteArray conninfo_, password_;
    // The statements prepared on this connection, by their text.
    QHash<QString, QByteArray> statements_;
    QSet<QString> ranOnce_;  // not prepared yet
    int nextStatement_ = 0;
    // The connection was lost: made again at the next statement.
    bool broken_ = false;
    // ... while a transaction was open: statements fail until it is ended.
    bool lostTransaction_ = false;
    bool inTransaction_ = false;
    qint64 changes_ = 0;
    Failure failure_ = Failure::None;
    QString error_;
};
