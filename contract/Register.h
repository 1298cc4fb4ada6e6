// The contract register as its users see it: the stored contracts and
// installments (RegisterStore), each installment computed live on the index
// table as it is now, through the window's own steps (computeInstallment);
// a contract's line with its sums so far; the sheets of chosen installments
// printed and what each was printed from kept; a printed installment whose
// figures the table would now give otherwise is marked, its printed figures
// kept beside the new ones. It follows the table: a month merged or saved
// meanwhile is read at the next computation.
//
// It holds no installment beyond those asked for: the sums are computed
// row by row as the store hands them over.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "contract/Contract.h"
#include "contract/RegisterStore.h"

// One installment and what it comes to now.
struct RegisterRow {
    InstallmentInfo info;
    InstallmentOutcome now;
    enum class Printed {
        No,
        Same,    // printed, and the table gives the same figures now
        Differs  // printed, but the table (or the entry) now gives others
    };
    Printed printed = Printed::No;

    // The figures that count: as printed for a printed installment (they
    // went into a payment file), else as computed now.
    bool counts() const { return printed != Printed::No || now.computed(); }
    const SheetResult& result() const { return info.printed ? info.printed->result : now.result; }
    Double netAmount() const { return info.printed ? info.printed->netAmount : now.netAmount; }
};

// A contract with the sums of its installments so far.
struct ContractLine {
    ContractInfo info;
    int installments = 0, printed = 0, notPrinted = 0, waiting = 0, refused = 0, differ = 0;
    long long compensationSatang = 0;  // exact: each is whole satang
    Double refunds = 0;
    Double compensation() const { return Double(compensationSatang) / 100.0; }
};

class Register {
  public:
    // Works on `store` and the index table at `tablePath`.
    Register(RegisterStore& store, QString tablePath);

    // Opens the table (read-only, never created); false with the Thai
    // reason, and every installment then waits.
    bool openTable(QString* error);
    // Reads the table afresh when it was replaced or changed on disk since;
    // true when it was.
    bool followTable();
    const QString& tablePath() const { return tablePath_; }
    Long records() const { return records_; }
    RegisterStore& store() { return store_; }

    // The installment computed now; its sheet goes to `printer`.
    InstallmentOutcome compute(const Installment& in, Printer& printer);
    InstallmentOutcome compute(const Installment& in);
    RegisterRow row(const InstallmentInfo& info);
    std::vector<RegisterRow> rows(qint64 contractId);
    // Every contract, with its sums; those whose number or work's name
    // holds `search` (in any case) when it is not empty.
    std::vector<ContractLine> contractLines(const QString& search = QString());

    // Prints the sheets of `rows` that can be computed onto `printer`, one
    // page each, ending the document; on success what each was printed
    // from is kept in the store. The installments that could not be
    // printed, with why, in `skipped`; false with the Thai reason when the
    // document did not reach the printer (nothing is kept then).
    bool print(const std::vector<InstallmentInfo>& rows, Printer& printer, QString* error,
               std::vector<std::pair<InstallmentInfo, QString>>* skipped = nullptr);

    // The contract's installments as a contract CSV's run gives them (the
    // same summary, the same sheets), each row numbered as the exported
    // CSV numbers it; each row's sheet goes to `each` when one is given.
    std::vector<ContractRow> contractRows(qint64 contractId,
                                          const std::function<void(const ContractRow&)>& each = {});

    // A contract CSV (as tarvon-batch reads) added as installments of the
    // contract numbered `number`, which is made from the first row's
    // bid-opening date and formula when the register has none: all or
    // nothing. A row that cannot be read, or whose bid-opening date is not
    // the contract's, is refused with its reason and nothing is added; a
    // row whose month the table does not hold yet is taken, and waits.
    // A contract made meanwhile by another writer under the same number is
    // read and added to instead.
    struct Import {
        QString error;                    // Thai: nothing was added, and why
        // What stopped it: the file as a whole, some of its rows, or the
        // register (read-only, the database failed).
        enum class Stop { None, File, Rows, Store };
        Stop stop = Stop::None;
        std::vector<ContractRow> refused;  // the rows that stopped it
        ContractInfo contract;
        int added = 0;
        bool created = false;
        bool done() const { return error.isEmpty(); }
    };
    Import importCsv(const CsvText& csv, const QString& number);
    // The contract's installments as the CSV importCsv and tarvon-batch
    // read: the same rows back.
    QString exportCsv(qint64 contractId);

  private:
    // The rows read from a CSV, added to the contract `number` (made when
    // there is none) after `refused`, the rows the file refused.
    Import importRows(const std::vector<std::pair<int, Installment>>& rows,
                      std::vector<ContractRow> refused, const QString& number);

    RegisterStore& store_;
    QString tablePath_;
    TableFile table_;
    Long records_ = 0;
};
