// A contract CSV into the register and back: a row the register could
// never compute is refused with its cell and why, and nothing of the file
// is added; a row waiting for its month is taken; a contract another
// writer makes between the look-up and the transaction is added to, not
// refused; what is exported imports and exports again byte for byte.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "contract/Register.h"
#include "contract/SqlRegister.h"

namespace {

const QByteArray kHeader = "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount,item1,price1\n";

CsvText csv(const QByteArray& rows) { return decodeCsvBytes(kHeader + rows); }

class RegisterImport : public ::testing::Test {
  protected:
    void SetUp() override {
        QString error;
        store = SqlRegister::open(dir.filePath(QStringLiteral("register.sqlite")), true, &error);
        ASSERT_TRUE(store) << error.toStdString();
        // No table: an import reads no index.
        reg = std::make_unique<Register>(*store, dir.filePath(QStringLiteral("KTABLE.DAT")));
    }
    size_t installments(const QString& number) {
        const std::optional<ContractInfo> c = store->contractByNumber(number);
        return c ? store->installments(c->id).size() : 0;
    }
    QTemporaryDir dir;
    std::unique_ptr<SqlRegister> store;
    std::unique_ptr<Register> reg;
};

struct Refusal {
    const char* row;   // the third line of the file, after a good one
    const char* says;  // in the reason
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.row; }

class ImportRefusals : public RegisterImport, public ::testing::WithParamInterface<Refusal> {};

// Into a new contract and into one that has installments: the row is
// named, and neither the contract nor any installment is added.
TEST_P(ImportRefusals, NameTheirCellAndAddNothing) {
    ASSERT_TRUE(reg->importCsv(csv("3,15,1,2548,28,2,2548,1,500000,,\n"), QStringLiteral("เดิม")).done());
    const QByteArray rows = QByteArray("3,15,1,2548,30,4,2548,2,1200000,,\n") + GetParam().row + '\n';
    for (const QString& number : {QStringLiteral("ใหม่"), QStringLiteral("เดิม")}) {
        const qint64 before = store->generation();
        const Register::Import r = reg->importCsv(csv(rows), number);
        EXPECT_FALSE(r.done());
        EXPECT_EQ(r.stop, Register::Import::Stop::Rows);
        ASSERT_EQ(r.refused.size(), 1u) << GetParam().row;
        EXPECT_EQ(r.refused[0].row, 3);
        EXPECT_TRUE(r.refused[0].error.contains(QString::fromUtf8(GetParam().says)))
            << GetParam().row << ": " << r.refused[0].error.toStdString();
        EXPECT_EQ(store->generation(), before);
    }
    EXPECT_FALSE(store->contractByNumber(QStringLiteral("ใหม่")));
    EXPECT_EQ(installments(QStringLiteral("เดิม")), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImportRefusals,
    ::testing::Values(
        Refusal{"3,15,1,2548,20,10,2548,3,หนึ่งล้าน,,", "ช่อง amount"},
        Refusal{"3,15,1,2548,20,10,2548,3,1000000,ปั๊ม,ห้าหมื่น", "ช่อง price1"},
        Refusal{"14,15,1,2548,20,10,2548,3,1000000,,", "ช่อง formula: ไม่มีสูตรหมายเลข 14 (สูตรมีหมายเลข 1 ถึง 13)"},
        Refusal{"0,15,1,2548,20,10,2548,3,1000000,,", "ช่อง formula: ไม่มีสูตรหมายเลข 0"},
        Refusal{"3,15,1,2548,31,11,2562,3,1000000,,", "ช่อง day: เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน"},
        Refusal{"3,15,1,2548,29,2,2562,3,1000000,,", "ช่อง day: เดือนกุมภาพันธ์ พ.ศ. 2562 มี 28 วัน"},
        Refusal{"3,15,1,2548,5,13,2548,3,1000000,,", "ช่อง month: เดือน \"13\" ไม่ใช่จำนวนเต็ม 1 ถึง 12"},
        Refusal{"3,15,1,2548,5,0,2548,3,1000000,,", "ช่อง month: เดือน \"0\""},
        Refusal{"3,15,1,2548,5,10,2005,3,1000000,,", "ช่อง year: ปี 2005 ต่ำกว่า 2400"},
        Refusal{"3,15,13,2548,5,10,2548,3,1000000,,", "ช่อง bid_month: เดือน \"13\""},
        Refusal{"3,15,1,2005,5,10,2548,3,1000000,,", "ช่อง bid_year: ปี 2005"},
        Refusal{"3,1,1,2562,5,10,2562,3,1000000,,", "ไม่ตรงกับวันเปิดซองของสัญญา"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::to_string(info.index); });

// A row whose month no table holds yet is taken, as in the window: it
// waits for the month.
TEST_F(RegisterImport, ARowOfAMonthToComeIsTaken) {
    const Register::Import r = reg->importCsv(csv("3,15,1,2548,28,2,2548,1,500000,,\n"
                                                  "3,15,1,2548,1,9,2569,9,800000,,\n"),
                                              QStringLiteral("สญ 1"));
    ASSERT_TRUE(r.done()) << r.error.toStdString();
    EXPECT_TRUE(r.created);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(installments(QStringLiteral("สญ 1")), 2u);
}

// The register as another writer leaves it: the contract looked up is not
// there yet, and is there once the import's transaction begins.
class MadeMeanwhile : public RegisterStore {
  public:
    MadeMeanwhile(SqlRegister& store, SqlRegister& other, ContractInfo made)
        : s_(store), other_(other), made_(std::move(made)) {}
    QString location() const override { return s_.location(); }
    bool readOnly(QString* why) const override { return s_.readOnly(why); }
    qint64 generation() override { return s_.generation(); }
    std::vector<ContractInfo> contracts() override { return s_.contracts(); }
    std::optional<ContractInfo> contract(qint64 id) override { return s_.contract(id); }
    std::optional<ContractInfo> contractByNumber(const QString& number) override {
        std::optional<ContractInfo> c = s_.contractByNumber(number);
        if (!c && !made_.number.isEmpty()) {
            EXPECT_TRUE(other_.addContract(made_).done());
            made_.number.clear();
        }
        return c;
    }
    std::vector<InstallmentInfo> installments(qint64 id) override { return s_.installments(id); }
    std::optional<InstallmentInfo> installment(qint64 id) override { return s_.installment(id); }
    void forEachInstallment(
        const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) override {
        s_.forEachInstallment(each);
    }
    void forEachDelivered(
        Long from, Long to,
        const std::function<void(const ContractInfo&, const InstallmentInfo&)>& each) override {
        s_.forEachDelivered(from, to, each);
    }
    StoreResult addContract(ContractInfo& c) override { return s_.addContract(c); }
    StoreResult updateContract(ContractInfo& c) override { return s_.updateContract(c); }
    StoreResult removeContract(const ContractInfo& c) override { return s_.removeContract(c); }
    StoreResult addInstallment(InstallmentInfo& i) override { return s_.addInstallment(i); }
    StoreResult addInstallments(ContractInfo& c, std::vector<InstallmentInfo>& is) override {
        return s_.addInstallments(c, is);
    }
    StoreResult updateInstallment(InstallmentInfo& i) override { return s_.updateInstallment(i); }
    StoreResult removeInstallment(const InstallmentInfo& i) override { return s_.removeInstallment(i); }
    StoreResult setPrinted(const InstallmentInfo& i, const PrintedSheet& p) override {
        return s_.setPrinted(i, p);
    }
    QString office() override { return s_.office(); }
    StoreResult setOffice(const QString& office) override { return s_.setOffice(office); }
    std::vector<HistoryEntry> history(qint64 id) override { return s_.history(id); }

  private:
    SqlRegister& s_;
    SqlRegister& other_;
    ContractInfo made_;
};

// Two imports into one new contract at once: the later one adds its rows
// to the contract the earlier made, after the earlier's, checked against
// that contract's bid-opening date.
TEST_F(RegisterImport, AContractMadeMeanwhileIsAddedTo) {
    QString error;
    const std::unique_ptr<SqlRegister> other = SqlRegister::open(store->location(), false, &error);
    ASSERT_TRUE(other) << error.toStdString();
    ContractInfo made;
    made.number = QStringLiteral("สญ 2");
    made.bidDay = 15;
    made.bidMonth = 1;
    made.bidYear = 2548;
    made.formula = 3;
    MadeMeanwhile racing(*store, *other, made);
    Register late(racing, QString());
    const Register::Import r = late.importCsv(csv("3,15,1,2548,28,2,2548,1,500000,,\n"
                                                  "3,15,1,2548,30,4,2548,2,1200000,,\n"),
                                              made.number);
    ASSERT_TRUE(r.done()) << r.error.toStdString();
    EXPECT_FALSE(r.created);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(installments(made.number), 2u);

    // Made meanwhile with another bid-opening date: the rows are refused
    // for it, and nothing is added.
    made.number = QStringLiteral("สญ 3");
    made.bidYear = 2562;
    MadeMeanwhile otherDate(*store, *other, made);
    Register late2(otherDate, QString());
    const Register::Import refused =
        late2.importCsv(csv("3,15,1,2548,28,2,2548,1,500000,,\n"), made.number);
    EXPECT_EQ(refused.stop, Register::Import::Stop::Rows);
    ASSERT_EQ(refused.refused.size(), 1u);
    EXPECT_TRUE(refused.refused[0].error.contains(QStringLiteral("ไม่ตรงกับวันเปิดซองของสัญญา")));
    EXPECT_EQ(installments(made.number), 0u);
}

// What the register exports reads back as the same installments, and
// exports again as the same bytes: amounts that are no decimal fraction in
// binary, Thai with blanks, commas and quotes, ten items, a chain ended
// by a price 0.
TEST_F(RegisterImport, AnExportImportsAndExportsAgainUnchanged) {
    QByteArray rows = "3,15,1,2548,31,7,2548,\"  3 งานผิวทาง, ช่วง \"\"ก\"\"  \",1134983.012,ปั๊ม,0.1\n"
                      "3,15,1,2548,20,10,2548,4,\"1,000,000\",ปั๊มน้ำ P-1,0\n"
                      "3,15,1,2548,1,9,2569,9 รอ,800000.29,,\n";
    QByteArray ten = "3,15,1,2548,30,4,2548,สิบรายการ,2000000";
    for (int n = 1; n <= 10; ++n) ten += QStringLiteral(",รายการ %1,%2").arg(n).arg(n / 3.0, 0, 'g', 17).toUtf8();
    QByteArray tenHeader = "formula,bid_day,bid_month,bid_year,day,month,year,installment,amount";
    for (int n = 1; n <= 10; ++n) tenHeader += QStringLiteral(",item%1,price%1").arg(n).toUtf8();
    tenHeader += '\n';
    Register::Import first = reg->importCsv(decodeCsvBytes(kHeader + rows), QStringLiteral("ก"));
    ASSERT_TRUE(first.done()) << first.error.toStdString();
    first = reg->importCsv(decodeCsvBytes(tenHeader + ten + '\n'), QStringLiteral("ก"));
    ASSERT_TRUE(first.done()) << first.error.toStdString();

    const QString exported = reg->exportCsv(first.contract.id);
    const Register::Import again = reg->importCsv(decodeCsvBytes(exported.toUtf8()), QStringLiteral("ข"));
    ASSERT_TRUE(again.done()) << again.error.toStdString();
    EXPECT_EQ(reg->exportCsv(again.contract.id), exported);
    const std::vector<InstallmentInfo> a = store->installments(first.contract.id),
                                       b = store->installments(again.contract.id);
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), a.size());
    for (size_t n = 0; n < a.size(); ++n) EXPECT_TRUE(a[n].value == b[n].value) << n;
    EXPECT_EQ(a[0].value.designation, QStringLiteral("  3 งานผิวทาง, ช่วง \"ก\"  "));
    EXPECT_EQ(a[0].value.amount, 1134983.012);
    EXPECT_EQ(a[3].value.items.size(), 10u);
    EXPECT_EQ(a[3].value.items[9].price, 10 / 3.0);
}

}  // namespace
