// The register's installment form read as the window's prompts read their
// replies: the desktop's number format and Thai digits taken, every field
// that stops the installment named with the prompts' own messages (a day
// its month does not have, a Christian year, a formula without a formula,
// items after the chain's end), and what was read is what the prompts
// would have stored, down to the chain's last zero-priced item.
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>

#include "base/MonthNames.h"
#include "contract/InstallmentForm.h"
#include "entry/Replies.h"

namespace {

InstallmentFields filled() {
    InstallmentFields f;
    f.formula = QStringLiteral("3");
    f.day = QStringLiteral("20");
    f.month = QStringLiteral("10");
    f.year = QStringLiteral("2548");
    f.designation = QStringLiteral("3 ฐานราก");
    f.amount = QStringLiteral("1,134,983.012");
    return f;
}

Installment bid() {
    Installment b;
    b.bidDay = 15;
    b.bidMonth = 1;
    b.bidYear = 2548;
    return b;
}

}  // namespace

TEST(InstallmentForm, EachSlipIsNamedByItsFieldWithThePromptsMessage) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    struct Case {
        const char* what;
        std::function<void(InstallmentFields&)> change;
        FormField field;
        int item;
        QString message;  // empty: only the field is checked
    };
    const std::vector<Case> cases = {
        {"day 31 of November", [](auto& f) { f.day = "31"; f.month = "11"; f.year = "2562"; },
         FormField::Day, 0, QStringLiteral("วันที่ที่ส่งงาน: เดือนพฤศจิกายน พ.ศ. 2562 มี 30 วัน")},
        {"day 0", [](auto& f) { f.day = "0"; }, FormField::Day, 0, {}},
        {"29 February of a common year", [](auto& f) { f.day = "29"; f.month = "2"; f.year = "2562"; },
         FormField::Day, 0, {}},
        {"a Christian year", [](auto& f) { f.year = "2021"; }, FormField::Year, 0,
         QStringLiteral("ปี พ.ศ.ที่ส่งงาน: ") + buddhistEraHint(2021)},
        {"month 13", [](auto& f) { f.month = "13"; }, FormField::Month, 0, {}},
        {"a formula without a formula", [](auto& f) { f.formula = "14"; }, FormField::Formula, 0,
         QStringLiteral("หมายเลขสูตร: ไม่มีสูตรหมายเลข 14 (สูตรมีหมายเลข 1 ถึง 13)")},
        {"an amount that is not a number", [](auto& f) { f.amount = "หนึ่งล้าน"; }, FormField::Amount, 0,
         QStringLiteral("ค่างวดของงวดนี้กี่บาท: ") + replyToDouble(QStringLiteral("หนึ่งล้าน"), us).error},
        {"an empty amount", [](auto& f) { f.amount = ""; }, FormField::Amount, 0, {}},
        {"a price that is not a number", [](auto& f) { f.itemNames[0] = "เครน"; f.itemPrices[0] = "x"; },
         FormField::ItemPrice, 1, {}},
        {"an item after the chain's end",
         [](auto& f) { f.itemNames[0] = "เครน"; f.itemNames[2] = "ปั๊ม"; f.itemPrices[2] = "5"; },
         FormField::ItemPrice, 3, {}},
    };
    for (const Case& c : cases) {
        InstallmentFields f = filled();
        c.change(f);
        const FormReading r = readInstallmentFields(f, bid(), us);
        ASSERT_EQ(r.problems.size(), 1u) << c.what;
        EXPECT_EQ(r.problems[0].field, c.field) << c.what;
        EXPECT_EQ(r.problems[0].item, c.item) << c.what;
        EXPECT_TRUE(r.problems[0].message.startsWith(fieldLabel(c.field, c.item) + QStringLiteral(": ")))
            << c.what;
        if (!c.message.isEmpty()) EXPECT_EQ(r.problems[0].message, c.message) << c.what;
    }
}

// What the form reads is what the window's prompts store for the same
// replies: the desktop's format, Thai digits, and the equipment chain as
// the prompts stop it (the first item always asked, ended at its first
// zero price).
TEST(InstallmentForm, ReadsWhatThePromptsWouldStore) {
    const QLocale de(QLocale::German, QLocale::Germany);
    InstallmentFields f = filled();
    f.day = QStringLiteral("๒๐");
    f.amount = QStringLiteral("1.134.983,012");
    f.itemNames[0] = QStringLiteral("ปั๊มน้ำ");
    f.itemPrices[0] = QStringLiteral("20.000,5");
    f.itemNames[1] = QStringLiteral("ไม่หัก");
    FormReading r = readInstallmentFields(f, bid(), de);
    ASSERT_TRUE(r.ok()) << r.problems.front().message.toStdString();
    EXPECT_EQ(r.value.day, 20);
    EXPECT_EQ(r.value.amount, 1134983.012);
    const std::vector<Installment::Item> items = {{QStringLiteral("ปั๊มน้ำ"), 20000.5},
                                                  {QStringLiteral("ไม่หัก"), 0}};
    EXPECT_EQ(r.value.items, items);
    EXPECT_EQ(r.value.bidYear, 2548);

    // No item at all is the prompts' blank first item priced 0.
    r = readInstallmentFields(filled(), bid(), QLocale(QLocale::English, QLocale::UnitedStates));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value.items, (std::vector<Installment::Item>{{QString(), 0}}));

    // Shown back for correcting, in the desktop's format, it reads the same.
    for (const QLocale& locale : {de, QLocale(QLocale::Thai, QLocale::Thailand), QLocale::c()}) {
        FormReading again = readInstallmentFields(installmentFields(r.value, locale), bid(), locale);
        ASSERT_TRUE(again.ok()) << locale.name().toStdString();
        EXPECT_EQ(again.value, r.value) << locale.name().toStdString();
    }
}
