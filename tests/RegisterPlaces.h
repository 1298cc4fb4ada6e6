// Where the register's tests keep a register: a SQLite file in a temporary
// folder, or a database of the test's own on the PostgreSQL server that
// the tests' setup started (tests/postgres/server.sh, its state file named
// by TARVON_TEST_POSTGRES_SETUP) or that a developer names with
// TARVON_TEST_POSTGRES (a postgresql:// location whose user may create
// databases and roles). Each place is removed after its test, with the
// roles it made.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>
#include <memory>

#include "contract/PostgresConnection.h"
#include "contract/SqliteConnection.h"

class TestServer {
  public:
    // The server, or nullptr with why in `why` when none was given.
    static const TestServer* get(QString* why) {
        static const TestServer server;
        if (!server.error_.isEmpty()) *why = server.error_;
        return server.error_.isEmpty() ? &server : nullptr;
    }
    // The location of `database` on it as `user` (its superuser when empty).
    QString location(const QString& database, const QString& user = QString()) const {
        PostgresLogin login = *PostgresLogin::fromLocation(uri_);
        login.database = database;
        if (!user.isEmpty()) login.user = user;
        return login.location();
    }
    // A connection as its superuser, to make and remove databases and roles.
    std::unique_ptr<PostgresConnection> admin(const QString& database = QStringLiteral("postgres")) const {
        QString error;
        auto db = PostgresConnection::open(location(database), QString(), &error);
        EXPECT_TRUE(db) << error.toStdString();
        return db;
    }
    // Whether the server can be stopped and started again by the test.
    bool controlled() const { return !state_.isEmpty(); }
    // Stops it, keeping its data; starts it again.
    bool halt() const { return control("halt"); }
    bool resume() const { return control("resume"); }

  private:
    TestServer() {
        const QString state = qEnvironmentVariable("TARVON_TEST_POSTGRES_SETUP");
        uri_ = qEnvironmentVariable("TARVON_TEST_POSTGRES");
        if (!state.isEmpty()) {
            QFile f(state);
            if (!f.open(QIODevice::ReadOnly)) {
                error_ = QStringLiteral("the server's state file %1 is missing: its setup failed").arg(state);
                return;
            }
            for (const QByteArray& line : f.readAll().split('\n'))
                if (line.startsWith("uri=")) uri_ = QString::fromUtf8(line.mid(4));
            state_ = state;
        }
        if (uri_.isEmpty()) error_ = QStringLiteral("no PostgreSQL server given (TARVON_TEST_POSTGRES)");
    }
    bool control(const char* command) const {
        const QByteArray line = QByteArray("bash ") + TARVON_POSTGRES_SERVER + " " + command + " '" +
                                QFile::encodeName(state_) + "'";
        return controlled() && std::system(line.constData()) == 0;
    }
    QString uri_, state_, error_;
};

// One register's place for one test.
class RegisterPlace {
  public:
    explicit RegisterPlace(bool server) : server_(server) {
        if (!server) return;
        QString why;
        const TestServer* s = TestServer::get(&why);
        if (!s) return;
        static std::atomic<int> made{0};
        database_ = QStringLiteral("tarvon_test_%1_%2").arg(::getpid()).arg(++made);
        auto admin = s->admin();
        if (admin) {
            // In Thai, as an office's server would sort its texts.
            EXPECT_TRUE(admin->run(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 "
                                                  "LOCALE_PROVIDER icu ICU_LOCALE 'th-TH'")
                                       .arg(database_)))
                << admin->error().toStdString();
        }
    }
    ~RegisterPlace() {
        if (database_.isEmpty()) return;
        QString why;
        auto admin = TestServer::get(&why)->admin();
        if (!admin) return;
        admin->run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database_));
        for (const QString& role : roles_) admin->run(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role));
    }
    bool server() const { return server_; }
    // Null when the test has no server to run on: it is skipped.
    bool available() const { return !server_ || !database_.isEmpty(); }

    // The register's location, as `user` (a role made by role()) on a server.
    QString location(const QString& user = QString()) const {
        if (!server_) return dir_.filePath(QStringLiteral("register.sqlite"));
        QString why;
        return TestServer::get(&why)->location(database_, user);
    }
    // A connection to the register's database from outside the program
    // (as the server's superuser).
    std::unique_ptr<SqlConnection> connect() const {
        QString error;
        std::unique_ptr<SqlConnection> db;
        if (server_) {
            QString why;
            db = TestServer::get(&why)->admin(database_);
        } else {
            db = SqliteConnection::open(location(), false, &error);
        }
        EXPECT_TRUE(db) << error.toStdString();
        return db;
    }
    // A role that may log in, given `grants` on this database's tables
    // ("SELECT ON ALL TABLES IN SCHEMA public", ...); its name.
    QString role(const QString& name, const QStringList& grants) {
        const QString role = QStringLiteral("%1_%2").arg(name, database_);
        roles_ << role;
        QString why;
        auto admin = TestServer::get(&why)->admin();
        EXPECT_TRUE(admin->run(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role))) << admin->error().toStdString();
        auto here = connect();
        for (const QString& grant : grants)
            EXPECT_TRUE(here->run(QStringLiteral("GRANT %1 TO %2").arg(grant, role))) << here->error().toStdString();
        return role;
    }
    const QTemporaryDir& folder() const { return dir_; }

  private:
    bool server_;
    QTemporaryDir dir_;
    QString database_;
    QStringList roles_;
};
