// The register in a database: a SQLite file (the default, needing no
// set-up) or an office's PostgreSQL server, with one schema and one set of
// queries over one SqlConnection; where the two databases differ (how a row
// id is made, how a writing transaction begins) their connections say.
//
// A register carries its schema's version. A register written by a newer
// program is refused and left untouched; an older one is upgraded in one
// transaction, a SQLite file after a copy of it is kept beside it. A file
// that is not a register is refused by name and left untouched. A new
// register file is made whole beside its place and linked into it, so a
// kill never leaves half a register. A file the user may not write (a
// read-only medium, a copy from a CD) opens read-only and says so.
#pragma once

#include <memory>

#include "contract/RegisterStore.h"
#include "contract/SqlConnection.h"

class SqlRegister : public RegisterStore {
  public:
    // The version of the schema this program writes.
    static constexpr int kSchemaVersion = 2;

    enum class Opened { Ready, Created, Upgraded };

    // Opens the register at `location` (a file path), creating a file that
    // does not exist when `create` is set. Nullptr with the Thai reason in
    // `error` (naming the location) when it cannot be used.
    static std::unique_ptr<SqlRegister> open(const QString& location, bool create,
                                             QString* error, Opened* how = nullptr);
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

    // The schema's version as stored (tests of upgrades).
    int schemaVersion();

  private:
    SqlRegister(QString location, std::unique_ptr<SqlConnection> db);
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
    StoreResult failed() const;

    QString location_;
    std::unique_ptr<SqlConnection> db_;
    bool readOnly_ = false;
    QString readOnlyWhy_;
    QString user_;
};
