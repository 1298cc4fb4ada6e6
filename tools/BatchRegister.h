// tarvon-batch on the contract register: a contract CSV imported into a
// contract of the register (all or nothing), a contract's installments
// computed as its CSV's run computes them (the same summary, the same
// sheets), exported back as that CSV, and the budget summary of a month or
// a range of months. Its own options are read here; the table, the end of
// a document of sheets and the words on refused rows are the tool's, the
// same as for a contract CSV, and handed in.
//
// It computes and stores nothing itself: the register (contract/Register,
// BudgetSummary) does.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "contract/Contract.h"

class PdfPrinter;

namespace batch {

struct RegisterOptions {
    enum class Action { Import, Export, Compute, Summary };
    Action action = Action::Compute;
    QString location;  // --register; empty: the user's, in the data folder
    QString contract;  // --contract NUMBER
    QString importCsv, exportCsv, summary;
};

// Adds --register, --contract, --import, --export and --summary.
void addRegisterOptions(QCommandLineParser& parser);
// The register's options once parsed; nullopt when none was given (a
// contract CSV's run). `usageError` is set when they do not go together.
std::optional<RegisterOptions> registerOptions(const QCommandLineParser& parser, bool* usageError);

// What a register run shares with a contract CSV's run.
struct Common {
    QString pdf;  // --pdf, empty when not given
    bool print = false, csv = false;
    // The index table found, opened and checked as for a contract CSV
    // (said why not, and empty, when there is none to use).
    std::function<QString()> table;
    // Says each refused row, named `source` and its number, and the table
    // of the months not found; the number of refused rows.
    std::function<int(const QString& source, const std::vector<ContractRow>& rows,
                      const QString& tablePath)>
        sayRefused;
    // Ends the document of sheets (`any`: it holds at least one), sends it
    // and follows it on the printer; 0, or the exit status of a failure.
    std::function<int(PdfPrinter& printer, bool any)> endSheets;
};

// Runs the register command; the exit status.
int runRegister(const RegisterOptions& options, const Common& common);

}  // namespace batch
