#include "contract/InstallmentForm.h"

#include "base/MonthNames.h"
#include "entry/Entry.h"
#include "entry/Replies.h"
#include "escalation/Sheet.h"
#include "escalation/ResultText.h"

QString fieldLabel(FormField field, int item) {
    switch (field) {
        case FormField::Formula:
            return QStringLiteral("หมายเลขสูตร");
        case FormField::Day:
            return QStringLiteral("วันที่ที่ส่งงาน");
        case FormField::Month:
            return QStringLiteral("เดือนที่ส่งงาน");
        case FormField::Year:
            return QStringLiteral("ปี พ.ศ.ที่ส่งงาน");
        case FormField::Designation:
            return QStringLiteral("งวดที่ส่งนี้เป็นงวดใด");
        case FormField::Amount:
            return QStringLiteral("ค่างวดของงวดนี้กี่บาท");
        case FormField::ItemName:
            return equipNamePrompt(item);
        case FormField::ItemPrice:
            return equipPricePrompt(item);
    }
    return QString();
}

namespace {

// A number in the desktop's digits without the grouping a user would not
// type back; the shortest text that reads back as the same value.
QString numberText(double v, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(v, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

FormReading readInstallmentFields(const InstallmentFields& f, const Installment& bid,
                                  const QLocale& locale) {
    FormReading r;
    Installment& in = r.value;
    in.bidDay = bid.bidDay;
    in.bidMonth = bid.bidMonth;
    in.bidYear = bid.bidYear;
    const auto problem = [&](FormField field, int item, const QString& message) {
        r.problems.push_back({field, item, fieldLabel(field, item) + QStringLiteral(": ") + message});
    };
    const auto take = [&](FormField field, int item, const Conversion& c, auto& into) {
        if (!c.ok) {
            problem(field, item, c.error);
            return false;
        }
        into = static_cast<std::remove_reference_t<decltype(into)>>(c.value);
        return true;
    };

    if (take(FormField::Formula, 0, replyToInteger(f.formula, locale), in.formula))
        if (const QString why = formulaProblem(in.formula); !why.isEmpty()) problem(FormField::Formula, 0, why);
    const bool day = take(FormField::Day, 0, replyToLong(f.day, locale), in.day);
    bool month = take(FormField::Month, 0, replyToLong(f.month, locale), in.month);
    if (month && thaiMonthName(in.month).isEmpty()) {
        // It would wait for a month no table can hold.
        problem(FormField::Month, 0, QStringLiteral("เดือนมีหมายเลข 1 ถึง 12"));
        month = false;
    }
    bool year = take(FormField::Year, 0, replyToLong(f.year, locale), in.year);
    if (year && in.year < 2400) {
        problem(FormField::Year, 0, buddhistEraHint(in.year));
        year = false;
    }
    if (day && month && year) {
        if (const QString why = dayProblem(in.day, in.month, in.year); !why.isEmpty())
            problem(FormField::Day, 0, why);
    }
    in.designation = f.designation;
    take(FormField::Amount, 0, replyToDouble(f.amount, locale), in.amount);

    // The chain as the prompts take it: the first item is always asked, and
    // the chain ends at the first item priced 0 (or left without a price);
    // nothing may stand after that end, since the sheet would never take it
    // off.
    bool ended = false;
    for (int n = 1; n <= kEquipItems; ++n) {
        const QString& name = f.itemNames[size_t(n - 1)];
        const QString& price = f.itemPrices[size_t(n - 1)];
        if (ended) {
            if (!name.trimmed().isEmpty() || !price.trimmed().isEmpty())
                problem(price.trimmed().isEmpty() ? FormField::ItemName : FormField::ItemPrice, n,
                        QStringLiteral("รายการนี้อยู่ต่อจากรายการที่ไม่มีราคา จึงจะไม่ถูกหัก: "
                                       "ใส่ราคาของรายการก่อนหน้า หรือลบรายการนี้"));
            continue;
        }
        Double value = 0;
        if (!price.trimmed().isEmpty() &&
            !take(FormField::ItemPrice, n, replyToDouble(price, locale), value))
            continue;
        in.items.push_back({name, value});
        if (value == 0) ended = true;
    }
    return r;
}

InstallmentFields installmentFields(const Installment& in, const QLocale& locale) {
    InstallmentFields f;
    f.formula = QString::number(in.formula);
    f.day = QString::number(in.day);
    f.month = QString::number(in.month);
    f.year = QString::number(in.year);
    f.designation = in.designation;
    f.amount = numberText(in.amount, locale);
    for (size_t i = 0; i < in.items.size() && i < size_t(kEquipItems); ++i) {
        f.itemNames[i] = in.items[i].name;
        if (in.items[i].price != 0) f.itemPrices[i] = numberText(in.items[i].price, locale);
    }
    return f;
}

QString outcomeLine(const InstallmentOutcome& o) {
    switch (o.status) {
        case InstallmentOutcome::Status::Computed:
            return QStringLiteral("K = ") + resultLine(o.result);
        case InstallmentOutcome::Status::Waiting:
            return waitingFor(o.waitMonth, o.waitYear);
        case InstallmentOutcome::Status::Refused:
            break;
    }
    return QStringLiteral("คำนวณไม่ได้: ") + o.why;
}
