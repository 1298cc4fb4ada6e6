#include "contract/Register.h"

#include "base/MonthNames.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

Register::Register(RegisterStore& store, QString tablePath)
    : store_(store), tablePath_(std::move(tablePath)) {}

bool Register::openTable(QString* error) {
    records_ = 0;
    if (!table_.open(tablePath_, error, /*create=*/false)) return false;
    records_ = recordCount(TableFile::length(tablePath_));
    // Every installment searches the same table: it is read once.
    table_.buildMonthIndex(records_);
    return true;
}

bool Register::followTable() {
    if (!table_.isOpen()) return openTable(nullptr);
    if (!table_.changedOnDisk() || !table_.reopen(nullptr)) return false;
    records_ = recordCount(TableFile::length(tablePath_));
    table_.buildMonthIndex(records_);
    return true;
}

InstallmentOutcome Register::compute(const Installment& in, Printer& printer) {
    return computeInstallment(in, table_, records_, printer);
}

InstallmentOutcome Register::compute(const Installment& in) {
    NullPrinter nowhere;
    return compute(in, nowhere);
}

namespace {

bool sameFigures(const InstallmentOutcome& now, const PrintedSheet& printed) {
    const SheetResult &a = now.result, &b = printed.result;
    return now.computed() && a.k == b.k && a.band == b.band && a.excess == b.excess &&
           a.compensation == b.compensation && a.refund == b.refund &&
           now.netAmount == printed.netAmount;
}

RegisterRow::Printed printedState(const InstallmentInfo& info, const InstallmentOutcome& now) {
    if (!info.printed) return RegisterRow::Printed::No;
    return sameFigures(now, *info.printed) ? RegisterRow::Printed::Same : RegisterRow::Printed::Differs;
}

}  // namespace

RegisterRow Register::row(const InstallmentInfo& info) {
    RegisterRow r;
    r.info = info;
    r.now = compute(info.value);
    r.printed = printedState(info, r.now);
    return r;
}

std::vector<RegisterRow> Register::rows(qint64 contractId) {
    followTable();
    std::vector<RegisterRow> out;
    for (const InstallmentInfo& i : store_.installments(contractId)) out.push_back(row(i));
    return out;
}

std::vector<ContractLine> Register::contractLines(const QString& search) {
    followTable();
    std::vector<ContractLine> lines;
    std::unordered_map<qint64, size_t> at;
    for (const ContractInfo& c : store_.contracts()) {
        if (!search.isEmpty() && !c.number.contains(search, Qt::CaseInsensitive) &&
            !c.work.contains(search, Qt::CaseInsensitive))
            continue;
        at.emplace(c.id, lines.size());
        lines.push_back({c});
    }
    store_.forEachInstallment([&](const ContractInfo& c, const InstallmentInfo& i) {
        const auto it = at.find(c.id);
        if (it == at.end()) return;
        ContractLine& line = lines[it->second];
        // Only what the sums need: no row is built.
        const InstallmentOutcome now = compute(i.value);
        const RegisterRow::Printed printed = printedState(i, now);
        ++line.installments;
        if (printed == RegisterRow::Printed::No) ++line.notPrinted;
        else ++line.printed;
        if (printed == RegisterRow::Printed::Differs) ++line.differ;
        if (now.status == InstallmentOutcome::Status::Waiting) ++line.waiting;
        if (now.status == InstallmentOutcome::Status::Refused) ++line.refused;
        if (printed == RegisterRow::Printed::No && !now.computed()) return;
        const SheetResult& result = i.printed ? i.printed->result : now.result;
        if (result.band == Band::Above)
            line.compensationSatang += std::llround(result.compensation * 100);
        else if (result.band == Band::Below)
            line.refunds += result.refund;
    });
    return lines;
}

bool Register::print(const std::vector<InstallmentInfo>& rows, Printer& printer, QString* error,
                     std::vector<std::pair<InstallmentInfo, QString>>* skipped) {
    followTable();
    printer.setFontName(QStringLiteral("Browallia New"));
    printer.setFontSize(16);
    std::vector<std::pair<InstallmentInfo, PrintedSheet>> printed;
    const QDateTime now = QDateTime::currentDateTime();
    for (const InstallmentInfo& i : rows) {
        // Computed aside first: a sheet that fails part-way must not take
        // the sheets before it out of the document.
        CollectingPrinter sheet;
        const InstallmentOutcome o = compute(i.value, sheet);
        if (!o.computed()) {
            if (skipped) skipped->push_back({i, o.why});
            continue;
        }
        printSheetAside(printer, sheet.doc, sheet.facts);
        printed.push_back({i, PrintedSheet{now, i.value, o.o, o.t, o.netAmount, o.result}});
    }
    if (printed.empty()) {
        if (error) *error = QStringLiteral("ไม่มีงวดที่คำนวณได้ให้พิมพ์");
        printer.discardDoc();
        return false;
    }
    if (!printer.endDoc(error)) return false;
    for (const auto& [info, sheet] : printed) {
        // Kept once the sheets are on their way; a store that refuses now
        // (the server went away) is said, the sheets stand.
        if (const StoreResult r = store_.setPrinted(info, sheet); !r.done() && error)
            *error = r.why;
    }
    return true;
}

std::vector<ContractRow> Register::contractRows(qint64 contractId,
                                                const std::function<void(const ContractRow&)>& each) {
    followTable();
    std::vector<ContractRow> out;
    for (const InstallmentInfo& i : store_.installments(contractId)) {
        CollectingPrinter sheet;
        const InstallmentOutcome o = compute(i.value, sheet);
        // The header is the exported CSV's first row.
        ContractRow r =
            contractRow(i.position + 1, i.value, o, std::move(sheet.doc), std::move(sheet.facts));
        if (each) {
            each(r);
            r.sheet = {};
            r.facts.clear();
        }
        out.push_back(std::move(r));
    }
    return out;
}

Register::Import Register::importCsv(const CsvText& csv, const QString& number) {
    Import result;
    QString error;
    const std::vector<std::pair<int, Installment>> rows = readContractCsv(csv, &result.refused, &error);
    if (!error.isEmpty()) {
        result.error = error;
        result.stop = Import::Stop::File;
        return result;
    }
    if (rows.empty() && result.refused.empty()) {
        result.error = QStringLiteral("แฟ้มไม่มีแถวงวดงาน");
        result.stop = Import::Stop::File;
        return result;
    }
    result = importRows(rows, std::move(result.refused), number);
    // Another writer made the contract between the look-up and the
    // transaction: the rows go into that one, checked against its date.
    if (result.stop == Import::Stop::Store && result.created && store_.contractByNumber(number))
        result = importRows(rows, {}, number);
    return result;
}

Register::Import Register::importRows(const std::vector<std::pair<int, Installment>>& rows,
                                      std::vector<ContractRow> refused, const QString& number) {
    Import result;
    result.refused = std::move(refused);
    if (const std::optional<ContractInfo> there = store_.contractByNumber(number)) {
        result.contract = *there;
    } else if (!rows.empty()) {
        result.created = true;
        result.contract.number = number;
        const Installment& first = rows.front().second;
        result.contract.bidDay = first.bidDay;
        result.contract.bidMonth = first.bidMonth;
        result.contract.bidYear = first.bidYear;
        result.contract.formula = first.formula;
    }
    // A contract has one bid-opening date.
    std::vector<InstallmentInfo> adding;
    for (const auto& [row, in] : rows) {
        const ContractInfo& c = result.contract;
        if (in.bidDay != c.bidDay || in.bidMonth != c.bidMonth || in.bidYear != c.bidYear) {
            ContractRow r;
            r.row = row;
            r.installment = in.designation.trimmed();
            r.formula = QString::number(in.formula);
            r.error = QStringLiteral("วันเปิดซอง %1/%2 ไม่ตรงกับวันเปิดซองของสัญญา %3 (%4/%5)")
                          .arg(in.bidDay)
                          .arg(monthSlashYear(in.bidMonth, in.bidYear), c.number)
                          .arg(c.bidDay)
                          .arg(monthSlashYear(c.bidMonth, c.bidYear));
            result.refused.push_back(std::move(r));
            continue;
        }
        InstallmentInfo i;
        i.value = in;
        adding.push_back(std::move(i));
    }
    if (!result.refused.empty()) {
        std::sort(result.refused.begin(), result.refused.end(),
                  [](const ContractRow& a, const ContractRow& b) { return a.row < b.row; });
        result.error = QStringLiteral("มี %1 แถวที่อ่านไม่ได้ จึงไม่ได้นำเข้างวดใดเลย").arg(result.refused.size());
        result.stop = Import::Stop::Rows;
        return result;
    }
    if (const StoreResult r = store_.addInstallments(result.contract, adding); !r.done()) {
        result.error = r.why;
        result.stop = Import::Stop::Store;
        return result;
    }
    result.added = int(adding.size());
    return result;
}

QString Register::exportCsv(qint64 contractId) {
    QString out = contractCsvHeading() + QLatin1Char('\n');
    for (const InstallmentInfo& i : store_.installments(contractId)) out += contractCsvRow(i.value) + QLatin1Char('\n');
    return out;
}
