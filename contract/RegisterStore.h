// The contract register's one storage interface: contracts, their
// installments as entered, what each printed installment was printed from,
// the office's heading and who changed what when. Behind it stands either
// the embedded database (a SQLite file) or an office's server (PostgreSQL),
// with one schema and one set of queries (SqlRegister). Every change is one
// transaction; a change to a contract or an installment that someone else
// changed since it was read is refused as a conflict, never made over it.
//
// It stores and fetches; it computes nothing (the Register does, through
// the window's own steps) and knows nothing of windows.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "contract/Installment.h"

struct ContractInfo {
    qint64 id = 0;
    QString number;      // the contract's number, unique in the register
    QString work;        // the work's name
    QString contractor;
    Long bidDay = 0, bidMonth = 0, bidYear = 0;
    Integer formula = 1;  // the formula new installments take
    qint64 version = 0;   // changes with every change to the contract
};

// What a printed installment was printed from and what its sheet said.
struct PrintedSheet {
    QDateTime at;
    Installment inputs;  // as printed, the bid date included
    IndexValues o, t;    // the index values of both months as read
    Double netAmount = 0;
    SheetResult result;
    bool operator==(const PrintedSheet&) const;
};

struct InstallmentInfo {
    qint64 id = 0, contractId = 0;
    int position = 0;     // its place in the contract, from 1
    Installment value;    // the bid date is the contract's
    qint64 version = 0;
    std::optional<PrintedSheet> printed;
};

// One change, as the history shows it.
struct HistoryEntry {
    QDateTime at;
    QString user;    // the database user (the system user for a file)
    QString action;  // Thai: "เพิ่มงวด", "แก้งวด", "ลบงวด", "พิมพ์งวด", ...
    QString what;    // Thai: the values after the change
};

// The result of a change: Done, or why not in Thai.
struct StoreResult {
    enum class Outcome {
        Done,
        Conflict,  // changed by someone else since it was read
        Gone,      // removed by someone else since it was read
        Refused,   // not allowed (read-only, a role without the right, a number taken)
        Failed     // the database could not do it (gone away, disk full)
    };
    Outcome outcome = Outcome::Done;
    QString why;
    bool done() const { return outcome == Outcome::Done; }
};

class RegisterStore {
  public:
    virtual ~RegisterStore() = default;

    // Where it is, as the user names it: a file's path or a server's address.
    virtual QString location() const = 0;
    // Whether changes are refused, and why in Thai (a read-only medium, a
    // role that may only read).
    virtual bool readOnly(QString* why = nullptr) const = 0;
    // A number that changes whenever anyone commits a change: a view that
    // saw another number refreshes.
    virtual qint64 generation() = 0;

    virtual std::vector<ContractInfo> contracts() = 0;
    virtual std::optional<ContractInfo> contract(qint64 id) = 0;
    virtual std::optional<ContractInfo> contractByNumber(const QString& number) = 0;
    // The installments of a contract in their order.
    virtual std::vector<InstallmentInfo> installments(qint64 contractId) = 0;
    virtual std::optional<InstallmentInfo> installment(qint64 id) = 0;
    // Every installment of every contract, contract by contract, one at a
    // time: what the totals need without holding the register in memory.
    // Here and in forEachDelivered, `printed` holds the printed figures
    // only, not when or from what they were printed; here the designation
    // and the items' names are left empty too (no sum depends on them).
    virtual void forEachInstallment(
        const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) = 0;
    // The installments delivered in the months from..to (year × 12 + month
    // - 1, both included), in contract and position order.
    virtual void forEachDelivered(
        Long from, Long to,
        const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) = 0;

    // `c.id` and `c.version` are set on success.
    virtual StoreResult addContract(ContractInfo& c) = 0;
    // Refused as a Conflict when the contract changed since `c.version`.
    virtual StoreResult updateContract(ContractInfo& c) = 0;
    // With all its installments.
    virtual StoreResult removeContract(const ContractInfo& c) = 0;

    // Appended at the end of its contract, or put back at `i.position` when
    // no installment holds that place (a removal undone); `i.id`,
    // `i.position`, `i.version` set.
    virtual StoreResult addInstallment(InstallmentInfo& i) = 0;
    // All of them or none, appended in order to `contract`, which is added
    // with them when its id is 0 (an imported contract).
    virtual StoreResult addInstallments(ContractInfo& contract, std::vector<InstallmentInfo>& is) = 0;
    virtual StoreResult updateInstallment(InstallmentInfo& i) = 0;
    virtual StoreResult removeInstallment(const InstallmentInfo& i) = 0;
    // Keeps what the installment was printed from (replacing an earlier
    // print's); `i.printed` is what is kept.
    virtual StoreResult setPrinted(const InstallmentInfo& i, const PrintedSheet& printed) = 0;

    // The heading of printed summaries (the office's name).
    virtual QString office() = 0;
    virtual StoreResult setOffice(const QString& office) = 0;

    virtual std::vector<HistoryEntry> history(qint64 installmentId) = 0;
};
