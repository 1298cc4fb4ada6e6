// The register as its users see it: each installment computed as the
// window computes it; one waiting for its month computes once the month is
// in the table; a printed one keeps its figures when the ministry corrects
// a month, and says so; a contract's sums and a month's budget are the sums
// of the same sheets a contract CSV's run gives.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>

#include "FakePlatform.h"
#include "TableFiles.h"
#include "app/Tarvon.h"
#include "contract/BudgetSummary.h"
#include "contract/ContractSummary.h"
#include "contract/Register.h"
#include "contract/SqlRegister.h"

namespace {

Installment entered(Integer formula, Long day, Long month, Long year, const QString& designation,
                    Double amount, std::vector<Installment::Item> items = {}) {
    Installment in;
    in.formula = formula;
    in.bidDay = 15;
    in.bidMonth = 1;
    in.bidYear = 2548;
    in.day = day;
    in.month = month;
    in.year = year;
    in.designation = designation;
    in.amount = amount;
    in.items = std::move(items);
    return in;
}

class RegisterModel : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(sampleImport().table);
        QString error;
        store = SqlRegister::open(folder.path(QStringLiteral("register.sqlite")), true, &error);
        ASSERT_TRUE(store) << error.toStdString();
        reg = std::make_unique<Register>(*store, folder.path(QStringLiteral("KTABLE.DAT")));
        ASSERT_TRUE(reg->openTable(&error)) << error.toStdString();
        contract.number = QStringLiteral("สญ 12/2548");
        contract.work = QStringLiteral("ถนนสายบ้านนา");
        contract.contractor = QStringLiteral("หจก. ทาง");
        contract.bidDay = 15;
        contract.bidMonth = 1;
        contract.bidYear = 2548;
        contract.formula = 3;
        ASSERT_TRUE(store->addContract(contract).done());
    }
    InstallmentInfo add(const Installment& in) {
        InstallmentInfo i;
        i.contractId = contract.id;
        i.value = in;
        EXPECT_TRUE(store->addInstallment(i).done());
        return i;
    }
    // The sheet the window prints for the same answers.
    static QStringList windowSheet(const Installment& in) {
        FakePlatform ui;
        Tarvon app(ui);
        EXPECT_TRUE(app.Form_Load(nullptr));
        ui.reply({QString::number(in.formula)});
        app.cmdFormula_Click();
        ui.reply({QString::number(in.bidDay), QString::number(in.bidMonth), QString::number(in.bidYear)});
        app.cmdO_Click();
        ui.reply({QString::number(in.day), QString::number(in.month), QString::number(in.year),
                  in.designation, QLocale::c().toString(in.amount, 'f', 2)});
        for (const Installment::Item& item : in.items)
            ui.reply({item.name, QLocale::c().toString(item.price, 'f', 2)});
        if (in.items.empty() || in.items.back().price != 0) ui.reply({QString(), QStringLiteral("0")});
        app.cmdT_Click();
        ui.messages.clear();
        app.cmdPrint_Click();
        return ui.printerDevice.jobs.empty() ? QStringList()
                                             : FakePrinter::texts(ui.printerDevice.jobs.back());
    }
    // The table replaced as merge replaces it: a new file renamed over it.
    void replaceTable(const QByteArray& bytes) {
        writeFile(folder.path(QStringLiteral("KTABLE.new")), bytes);
        ASSERT_EQ(std::rename(QFile::encodeName(folder.path(QStringLiteral("KTABLE.new"))).constData(),
                              QFile::encodeName(folder.path(QStringLiteral("KTABLE.DAT"))).constData()),
                  0);
    }
    WorkingFolder folder;
    std::unique_ptr<SqlRegister> store;
    std::unique_ptr<Register> reg;
    ContractInfo contract;
};

// Twelve installments under two formulas, with equipment: each row's sheet
// is the window's sheet for the same answers, statement for statement.
TEST_F(RegisterModel, EachInstallmentsSheetIsTheWindows) {
    std::vector<Installment> entries;
    for (Long month = 1; month <= 12; ++month) {
        std::vector<Installment::Item> items;
        if (month % 3 == 0) items = {{QStringLiteral("ปั๊มน้ำ"), 25000.5}, {QStringLiteral("เครน"), 0}};
        entries.push_back(entered(month % 2 ? 3 : 5, 20, month, 2548,
                                  QStringLiteral("%1 งานผิวทาง").arg(month), 100000.0 * month + 0.25,
                                  items));
        add(entries.back());
    }
    const std::vector<ContractRow> rows = reg->contractRows(contract.id);
    ASSERT_EQ(rows.size(), entries.size());
    for (size_t n = 0; n < rows.size(); ++n) {
        EXPECT_TRUE(rows[n].computed()) << n << rows[n].error.toStdString();
        EXPECT_EQ(FakePrinter::texts(rows[n].sheet), windowSheet(entries[n])) << "row " << n;
        EXPECT_EQ(rows[n].row, int(n) + 2);
    }
}

// A month the table does not hold yet: the row waits for it by name, and
// computes by itself once the month is merged into the table.
TEST_F(RegisterModel, ARowWaitsForItsMonthAndComputesOnceItIsThere) {
    const InstallmentInfo i = add(entered(3, 5, 9, 2569, QStringLiteral("9"), 1000000));
    RegisterRow row = reg->rows(contract.id).front();
    ASSERT_EQ(row.now.status, InstallmentOutcome::Status::Waiting);
    EXPECT_EQ(waitingFor(row.now.waitMonth, row.now.waitYear), QStringLiteral("รอดัชนีเดือน 9/2569"));
    const QByteArray later = sampleImport().table +
                             record({"2569", "9", "300", "301", "302", "303", "304", "305", "306", "307"});
    replaceTable(later);
    row = reg->rows(contract.id).front();
    EXPECT_TRUE(row.now.computed()) << row.now.why.toStdString();
    EXPECT_EQ(row.info.id, i.id);
}

// A printed installment keeps the figures that went into the payment
// file; when a month's index is corrected afterwards it is marked and the
// new figures stand beside the printed ones.
TEST_F(RegisterModel, APrintedRowKeepsItsFiguresWhenAMonthIsCorrected) {
    add(entered(3, 20, 10, 2548, QStringLiteral("4 งานผิวทาง"), 1000000,
                {{QStringLiteral("ปั๊มน้ำ P-1"), 50000}}));
    FakePrinter printer;
    QString error;
    ASSERT_TRUE(reg->print(store->installments(contract.id), printer, &error)) << error.toStdString();
    ASSERT_EQ(printer.jobs.size(), 1u);
    // Each sheet goes with what it was computed from, as the window's does.
    ASSERT_EQ(printer.facts.size(), 1);
    EXPECT_TRUE(printer.facts[0].contains(QStringLiteral("\"installment\":\"4 งานผิวทาง\"")));
    RegisterRow row = reg->rows(contract.id).front();
    ASSERT_TRUE(row.info.printed);
    EXPECT_EQ(row.printed, RegisterRow::Printed::Same);
    EXPECT_EQ(row.info.printed->result.compensation, 113050);
    EXPECT_EQ(row.info.printed->t.month, 10);
    EXPECT_EQ(row.info.printed->t[IndexColumn::A], 206.4f);

    // The ministry corrects A of 10/2548.
    QByteArray table = sampleImport().table;
    const qsizetype at = 9 * kRecordLength + 8 * kFieldLength;  // record 10, column A
    ASSERT_EQ(table.mid(at, kFieldLength), QByteArray(" 206.4"));
    table.replace(at, kFieldLength, " 216.4");
    replaceTable(table);
    row = reg->rows(contract.id).front();
    EXPECT_EQ(row.printed, RegisterRow::Printed::Differs);
    EXPECT_EQ(row.result().compensation, 113050);  // as printed
    EXPECT_NE(row.now.result.compensation, 113050);
    EXPECT_EQ(row.info.printed->t[IndexColumn::A], 206.4f);
}

// The contracts list's sums are the sums of the contract's sheets: the
// totals of a CSV run of the same rows.
TEST_F(RegisterModel, AContractsSumsAreItsSheetsTotals) {
    add(entered(3, 28, 2, 2548, QStringLiteral("1"), 500000));
    add(entered(3, 20, 10, 2548, QStringLiteral("4"), 1000000, {{QStringLiteral("ปั๊ม"), 50000}}));
    add(entered(3, 20, 10, 2548, QStringLiteral("5"), 2.45));
    add(entered(3, 15, 1, 2549, QStringLiteral("6"), 7));  // a month the table lacks
    ContractInfo other = contract;
    other.number = QStringLiteral("สญ 13/2548");
    ASSERT_TRUE(store->addContract(other).done());
    const std::vector<ContractLine> lines = reg->contractLines();
    ASSERT_EQ(lines.size(), 2u);
    const ContractLine& line = lines[0].info.id == contract.id ? lines[0] : lines[1];
    const ContractTotals totals = contractTotals(reg->contractRows(contract.id));
    EXPECT_EQ(line.installments, 4);
    EXPECT_EQ(line.waiting, 1);
    EXPECT_EQ(line.notPrinted, 4);
    EXPECT_EQ(line.compensationSatang, totals.compensationSatang);
    EXPECT_EQ(line.compensationSatang, 11305000 + 29);
    EXPECT_EQ(line.refunds, totals.refunds);
    EXPECT_EQ(reg->contractLines(QStringLiteral("13/25")).size(), 1u);
    EXPECT_EQ(reg->contractLines(QStringLiteral("บ้านนา")).size(), 2u);
}

// A month's budget: the installments delivered in it, their totals, and
// the ones still waiting apart with their amounts.
TEST_F(RegisterModel, AMonthsBudgetListsItsInstallmentsAndTheWaitingApart) {
    add(entered(3, 20, 10, 2548, QStringLiteral("4"), 1000000, {{QStringLiteral("ปั๊ม"), 50000}}));
    add(entered(3, 28, 2, 2548, QStringLiteral("1"), 500000));
    add(entered(3, 1, 9, 2569, QStringLiteral("9"), 800000));
    QString error;
    const std::optional<MonthRange> october = parseMonthRange(QStringLiteral("10/2548"), &error);
    ASSERT_TRUE(october) << error.toStdString();
    BudgetSummary s = budgetSummary(*reg, *october);
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(s.compensationSatang, 11305000);
    EXPECT_TRUE(budgetText(s).contains(QStringLiteral("รวมเงินชดเชย 113050 บาท"))) << budgetText(s).toStdString();

    s = budgetSummary(*reg, *parseMonthRange(QStringLiteral("๒/๒๕๔๘-๙/๒๕๖๙"), &error));
    EXPECT_EQ(s.lines.size(), 2u);
    ASSERT_EQ(s.waiting.size(), 1u);
    EXPECT_EQ(s.waitingAmount, 800000);
    EXPECT_TRUE(budgetText(s).contains(QStringLiteral("รอดัชนีเดือน 9/2569")));
    EXPECT_TRUE(budgetCsv(s).contains(QStringLiteral(",รอดัชนีเดือน 9/2569\n")));
}

struct RangeCase {
    const char* text;
    Long from, to;  // 0 for a refusal
};

class MonthRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(MonthRanges, ReadAsTyped) {
    QString error;
    const std::optional<MonthRange> r = parseMonthRange(QString::fromUtf8(GetParam().text), &error);
    if (GetParam().from == 0) {
        EXPECT_FALSE(r) << GetParam().text;
        EXPECT_TRUE(error.contains(QString::fromUtf8(GetParam().text)));
        return;
    }
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->from, GetParam().from);
    EXPECT_EQ(r->to, GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MonthRanges,
    ::testing::Values(RangeCase{"9/2569", 2569 * 12 + 8, 2569 * 12 + 8},
                      RangeCase{" 7/2569 - 9/2569 ", 2569 * 12 + 6, 2569 * 12 + 8},
                      RangeCase{"12/2568-1/2569", 2568 * 12 + 11, 2569 * 12},
                      RangeCase{"๙/๒๕๖๙", 2569 * 12 + 8, 2569 * 12 + 8}, RangeCase{"13/2569", 0, 0},
                      RangeCase{"9/2026", 0, 0}, RangeCase{"9/2569-7/2569", 0, 0},
                      RangeCase{"กันยายน", 0, 0}, RangeCase{"9/2569-", 0, 0}));

}  // namespace
