#include "tools/BatchRegister.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

#include "base/Cli.h"
#include "base/CsvText.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "contract/BudgetSummary.h"
#include "contract/ContractSummary.h"
#include "contract/Register.h"
#include "contract/SqlRegister.h"
#include "contract/UserRegister.h"
#include "print/PdfPrinter.h"

namespace batch {

namespace {

const char* const kName = "tarvon-batch";

const QString kRegister = QStringLiteral("register"), kContract = QStringLiteral("contract"),
              kImport = QStringLiteral("import"), kExport = QStringLiteral("export"),
              kSummary = QStringLiteral("summary");

QString given(const QCommandLineParser& p, const QString& name) {
    return p.isSet(name) ? p.values(name).last() : QString();
}

// The register named, or the user's in the data folder.
QString location(const RegisterOptions& o) {
    if (!o.location.isEmpty()) return o.location;
    return userRegister(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

// The register at `where`, made there when `create` (the data folder with
// it, for the user's); nullptr after saying why not. A register that can
// only be read says so.
std::unique_ptr<SqlRegister> openRegister(const RegisterOptions& o, bool create) {
    const QString where = location(o);
    if (create && o.location.isEmpty()) QDir().mkpath(QFileInfo(where).absolutePath());
    QString error;
    std::unique_ptr<SqlRegister> store = SqlRegister::open(where, create, &error);
    if (!store) {
        cli::say(kName, error);
        return nullptr;
    }
    return store;
}

void sayIfReadOnly(const SqlRegister& store) {
    if (QString why; store.readOnly(&why)) cli::say(kName, why);
}

// The contract of that number; nullopt after saying that there is none.
std::optional<ContractInfo> contractOf(SqlRegister& store, const QString& number) {
    std::optional<ContractInfo> c = store.contractByNumber(number);
    if (!c)
        cli::say(kName, QStringLiteral("ทะเบียนสัญญา %1: ไม่มีสัญญาเลขที่ %2").arg(store.location(), number));
    return c;
}

int importContract(const RegisterOptions& o, const Common& common) {
    QString error;
    const std::optional<QByteArray> bytes = readRegularFile(o.importCsv, &error);
    if (!bytes) return cli::fail(kName, error, 2);
    const CsvText text = decodeCsvBytes(*bytes);
    if (const QString note = csvEncodingNote(text); !note.isEmpty())
        cli::say(kName, o.importCsv + QStringLiteral(": ") + note);
    const std::unique_ptr<SqlRegister> store = openRegister(o, /*create=*/true);
    if (!store) return 2;
    const QString nothing = QStringLiteral("ไม่ได้นำเข้างวดใดเลย: ");
    // Refused before the file is looked at: nothing of it could be kept.
    if (QString why; store->readOnly(&why)) return cli::fail(kName, nothing + why, 3);

    Register reg(*store, QString());
    const Register::Import result = reg.importCsv(text, o.contract);
    switch (result.stop) {
        case Register::Import::Stop::None:
            break;
        case Register::Import::Stop::File:
            return cli::fail(kName, o.importCsv + QStringLiteral(": ") + result.error, 2);
        case Register::Import::Stop::Rows:
            common.sayRefused(o.importCsv, result.refused, QString());
            return cli::fail(kName, o.importCsv + QStringLiteral(": ") + result.error, 1);
        case Register::Import::Stop::Store:
            return cli::fail(kName, nothing + result.error, 3);
    }
    cli::out(QStringLiteral("นำเข้า %1 งวดเข้าสัญญาเลขที่ %2%3 ในทะเบียนสัญญา %4 แล้ว\n")
                 .arg(result.added)
                 .arg(result.contract.number,
                      result.created ? QStringLiteral(" (สัญญาใหม่)") : QString(), store->location()));
    return 0;
}

int exportContract(const RegisterOptions& o) {
    if (const QString same = outputIsInput(o.exportCsv, {location(o)}); !same.isEmpty())
        return cli::fail(kName, same, 2);
    const std::unique_ptr<SqlRegister> store = openRegister(o, /*create=*/false);
    if (!store) return 2;
    sayIfReadOnly(*store);
    const std::optional<ContractInfo> c = contractOf(*store, o.contract);
    if (!c) return 2;
    Register reg(*store, QString());
    QString error;
    if (!replaceFile(o.exportCsv, cli::kUtf8Mark + reg.exportCsv(c->id).toUtf8(), &error))
        return cli::fail(kName, error, 3);
    return 0;
}

// The table and the register a run reads, its sheets going elsewhere;
// nullptr after saying why (exit 2).
std::unique_ptr<SqlRegister> openToRead(const RegisterOptions& o, const Common& common, QString* tablePath) {
    *tablePath = common.table();
    if (tablePath->isEmpty()) return nullptr;
    if (const QString same = outputIsInput(common.pdf, {location(o), *tablePath}); !same.isEmpty()) {
        cli::fail(kName, same, 2);
        return nullptr;
    }
    std::unique_ptr<SqlRegister> store = openRegister(o, /*create=*/false);
    if (store) sayIfReadOnly(*store);
    return store;
}

// A contract's installments, as a run of its exported CSV gives them.
int computeContract(const RegisterOptions& o, const Common& common) {
    QString tablePath;
    const std::unique_ptr<SqlRegister> store = openToRead(o, common, &tablePath);
    if (!store) return 2;
    const std::optional<ContractInfo> c = contractOf(*store, o.contract);
    if (!c) return 2;
    Register reg(*store, tablePath);
    QString error;
    if (!reg.openTable(&error)) return cli::fail(kName, error, 2);

    std::optional<PdfPrinter> printer;
    if (!common.pdf.isEmpty() || common.print) {
        printer.emplace(common.pdf);
        printer->setFontName(QStringLiteral("Browallia New"));
        printer->setFontSize(16);
    }
    const std::vector<ContractRow> rows = reg.contractRows(c->id, [&](const ContractRow& r) {
        if (printer && r.computed()) printSheetAside(*printer, r.sheet, r.facts);
    });
    const int refused =
        common.sayRefused(QStringLiteral("สัญญาเลขที่ %1").arg(c->number), rows, tablePath);
    if (common.csv)
        cli::outCsv(contractSummaryCsv(rows));
    else
        cli::out(contractSummary(rows));
    if (printer) {
        const bool any = rows.size() != size_t(refused);
        if (const int status = common.endSheets(*printer, any); status != 0) return status;
    }
    return refused ? 1 : 0;
}

int budget(const RegisterOptions& o, const Common& common) {
    QString error;
    const std::optional<MonthRange> range = parseMonthRange(o.summary, &error);
    if (!range) return cli::fail(kName, error, 2);
    QString tablePath;
    const std::unique_ptr<SqlRegister> store = openToRead(o, common, &tablePath);
    if (!store) return 2;
    Register reg(*store, tablePath);
    if (!reg.openTable(&error)) return cli::fail(kName, error, 2);

    const BudgetSummary s = budgetSummary(reg, *range);
    if (common.csv)
        cli::outCsv(budgetCsv(s));
    else
        cli::out(budgetText(s));
    if (!common.pdf.isEmpty() || common.print) {
        PdfPrinter printer(common.pdf);
        printBudget(s, printer);
        if (const int status = common.endSheets(printer, true); status != 0) return status;
    }
    return s.refused.empty() ? 0 : 1;
}

}  // namespace

void addRegisterOptions(QCommandLineParser& p) {
    p.addOptions({{kRegister, {}, QStringLiteral("FILE")},
                  {kContract, {}, QStringLiteral("NUMBER")},
                  {kImport, {}, QStringLiteral("CSV")},
                  {kExport, {}, QStringLiteral("CSV")},
                  {kSummary, {}, QStringLiteral("MONTHS")}});
}

std::optional<RegisterOptions> registerOptions(const QCommandLineParser& p, bool* usageError) {
    *usageError = false;
    if (!p.isSet(kRegister) && !p.isSet(kContract) && !p.isSet(kImport) && !p.isSet(kExport) &&
        !p.isSet(kSummary))
        return std::nullopt;
    using Action = RegisterOptions::Action;
    RegisterOptions o;
    o.action = p.isSet(kImport)    ? Action::Import
               : p.isSet(kExport)  ? Action::Export
               : p.isSet(kSummary) ? Action::Summary
                                   : Action::Compute;
    o.location = given(p, kRegister);
    o.contract = given(p, kContract);
    o.importCsv = given(p, kImport);
    o.exportCsv = given(p, kExport);
    o.summary = given(p, kSummary);
    const bool sheets = p.isSet(QStringLiteral("pdf")) || p.isSet(QStringLiteral("print")) ||
                        p.isSet(QStringLiteral("csv"));
    const int actions = int(p.isSet(kImport)) + int(p.isSet(kExport)) + int(p.isSet(kSummary));
    // One thing at a time: an import, an export, a contract's run or a
    // summary; an import or an export makes no summary and no sheets.
    if (actions > 1 || (p.isSet(kSummary) ? p.isSet(kContract) : !p.isSet(kContract)) ||
        ((p.isSet(kImport) || p.isSet(kExport)) && sheets) ||
        (p.isSet(kContract) && o.contract.trimmed().isEmpty()))
        *usageError = true;
    return o;
}

int runRegister(const RegisterOptions& o, const Common& common) {
    switch (o.action) {
        case RegisterOptions::Action::Import:
            return importContract(o, common);
        case RegisterOptions::Action::Export:
            return exportContract(o);
        case RegisterOptions::Action::Summary:
            return budget(o, common);
        case RegisterOptions::Action::Compute:
            break;
    }
    return computeContract(o, common);
}

}  // namespace batch
