// The register in a database: a SQLite file (the default, needing no
// set-up) or an office's PostgreSQL server, with one schema and one set of
// queries over one SqlConnection; where the two databases differ (how a row
// id is made, how a writing transaction begins, how texts sort) their
// dialects say.
//
// A register carries its schema's version. A register written by a newer
// program is refused and left untouched; an older one is upgraded in one
// transaction, a SQLite file after a copy of it is kept beside it. A file
// (or a server's database) that is not a register is refused by name and
// left untouched. A new register file is made whole beside its place and
// linked into it, so a kill never leaves half a register; a server's empty
// database gets the schema at its first opening, by a user who may make
// tables. A file the user may not write (a read-only medium, a copy from a
// CD), or a server whose role may only read, opens read-only and says so;
// who may do what on a server is the server's own (GRANT).
//
// Every change is one transaction, and changes are made one after another
// (the first statement of each takes the register's generation), so two
// writers never interleave.
#pragma once

#include <memory>

#include "contract/RegisterStore.h"
#include "contract/SqlConnection.h"

class SqlRegister : public RegisterStore {
  public:
    // The version of the schema this program writes.
    static constexpr int kSchemaVersion = 2;

    enum class Opened { Ready, Created, Upgraded };

    // Opens the register at `location`: a file path, or a server's
    // database as postgresql://user@host:port/database (PostgresLogin),
    // with `password` when one is given (else libpq's own: ~/.pgpass,
    // PGPASSWORD). With `create`, a file that does not exist is made, and a
    // server's database without any table gets the schema. Nullptr with
    // the Thai reason in `error` (naming the location, never a password)
    // when it cannot be used.
    static std::unique_ptr<SqlRegister> open(const QString& location, bool create,
                                             QString* error, Opened* how = nullptr,
                                             const QString& password = QString());
    // The file a register at `location` was copied to before its upgrade.
    static QString upgradeCopy(const QString& location, int fromVersion);

    ~SqlRegister() override;

    QString location() const override { return location_; }
    bool readOnly(QString* why = nullptr) const override;
    qint64 generation() override;

    std::vector<ContractInfo> contracts() override;
    std::optional<ContractInfo> contract(qint64 id) override;
    std::optional<ContractInfo> contractByNumber(const QString& number) override;
    std::vector<InstallmentInfo> installments(qint64 contractId) override;
    std::optional<InstallmentInfo> installment(qint64 id) override;
    void forEachInstallment(
        const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) override;
    void forEachDelivered(
        Long from, Long to,
        const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) override;

    StoreResult addContract(ContractInfo& c) override;
    StoreResult updateContract(ContractInfo& c) override;
    StoreResult removeContract(const ContractInfo& c) override;
    StoreResult addInstallment(InstallmentInfo& i) override;
    StoreResult addInstallments(ContractInfo& contract, std::vector<InstallmentInfo>& is) override;
    StoreResult updateInstallment(InstallmentInfo& i) override;
    StoreResult removeInstallment(const InstallmentInfo& i) override;
    StoreResult setPrinted(const InstallmentInfo& i, const PrintedSheet& printed) override;
    QString office() override;
    StoreResult setOffice(const QString& office) override;
    std::vector<HistoryEntry> history(qint64 installmentId) override;
    StoreResult lastRead() const override { return lastRead_; }
    StoreResult reconnect() override;
    bool changedElsewhere() override;
    int changeNotifier() override;

    // Every contract, installment, printed sheet and history entry of this
    // register, and its office, put into `to`, which must hold no contract:
    // all or nothing, each row as it is (its id, version, time and user).
    struct Copied {
        int contracts = 0, installments = 0, printed = 0, history = 0;
    };
    StoreResult copyInto(SqlRegister& to, Copied* copied);
    // The register at `from` copied into the one at `to` (a file made when
    // there is none, a server's database given the schema when it has no
    // table), as copyInto; a file made for it is removed when it fails.
    static StoreResult copy(const QString& from, const QString& to, Copied* copied);

    // The schema's version as stored (tests of upgrades).
    int schemaVersion();

  private:
    SqlRegister(QString location, std::unique_ptr<SqlConnection> db);
    // The server's opening: the schema made in an empty database.
    static std::unique_ptr<SqlConnection> openServer(const QString& location, const QString& password,
                                                     bool create, QString* error, Opened* opened);
    // Whether the server lets this role change the register, and why not.
    void checkServerRights();
    // Runs a read, keeping how it went for lastRead().
    bool read(const QString& sql, const std::vector<SqlValue>& params,
              const std::function<void(const SqlRow&)>& row);
    // What a change says of itself for the history.
    struct Change {
        qint64 contractId = 0, installmentId = 0;
        QString action, what;
    };
    // Runs `change` in one writing transaction with the history entry it
    // fills in; the outcome of `change`, or Failed when the database
    // refused a step or the commit (nothing of it is kept then).
    StoreResult write(const std::function<StoreResult(Change&)>& change);
    // Adds a contract, inside a transaction.
    StoreResult insertContract(ContractInfo& c);
    // Appends one installment to its contract, inside a transaction.
    StoreResult insertInstallment(InstallmentInfo& i);

    // The failure of the last statement, in Thai.
    StoreResult failed(bool reading = false) const;

    QString location_;  // as shown: without a password
    std::unique_ptr<SqlConnection> db_;
    bool server_ = false;
    // A second connection to the server, only listening for others' changes.
    std::unique_ptr<SqlConnection> listener_;
    QString address_, password_;  // as given, to connect the listener
    // The generation this store last saw, its own changes included.
    qint64 seen_ = -1;
    StoreResult lastRead_;
    bool readOnly_ = false;
    QString readOnlyWhy_;
    QString user_;
};
