#include "app/RegisterForms.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/QtPlatform.h"
#include "app/ScreenFit.h"
#include "base/MonthNames.h"
#include "entry/Replies.h"
#include "escalation/Sheet.h"

namespace {

QLineEdit* lineEdit(const QString& text, const QString& label, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setAccessibleName(label);
    return edit;
}

QDialogButtonBox* saveOrCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("บันทึก"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ยกเลิก"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void sayProblem(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QtPlatform::kTitle, text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QtPlatform::kOk);
    box.exec();
}

QString number(Long v) { return v == 0 ? QString() : QString::number(v); }

}  // namespace

// ---- a contract -----------------------------------------------------------

ContractDialog::ContractDialog(const ContractInfo& shown,
                               std::function<bool(const ContractInfo&)> save, QWidget* parent)
    : QDialog(parent), save_(std::move(save)), contract_(shown) {
    setObjectName(QStringLiteral("contractForm"));
    setWindowTitle(shown.id ? QStringLiteral("แก้สัญญา %1").arg(shown.number) : QStringLiteral("เพิ่มสัญญา"));
    auto* form = new QFormLayout;
    const auto add = [&](const char* name, const QString& label, const QString& text) {
        QLineEdit* edit = lineEdit(text, label, this);
        edit->setObjectName(QString::fromLatin1(name));
        form->addRow(label, edit);
        return edit;
    };
    number_ = add("number", QStringLiteral("เลขที่สัญญา"), shown.number);
    work_ = add("work", QStringLiteral("ชื่องาน"), shown.work);
    contractor_ = add("contractor", QStringLiteral("ผู้รับจ้าง"), shown.contractor);
    day_ = add("bidDay", QStringLiteral("เปิดซองวันที่เท่าใด"), number(shown.bidDay));
    month_ = add("bidMonth", QStringLiteral("เดือนเปิดซอง (1 ถึง 12)"), number(shown.bidMonth));
    year_ = add("bidYear", QStringLiteral("ปี พ.ศ.ที่เปิดซอง"), number(shown.bidYear));
    formula_ = add("formula", QStringLiteral("สูตรของงวด (1 ถึง 13)"), QString::number(shown.formula));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(saveOrCancel(this));
    fitToScreen(this, sizeHint());
}

bool ContractDialog::read(QString* problem) {
    ContractInfo c = contract_;
    const auto slip = [&](QLineEdit* field, const QString& label, const QString& why) {
        *problem = label + QStringLiteral(": ") + why;
        field->setFocus();
        field->selectAll();
        return false;
    };
    c.number = number_->text().trimmed();
    if (c.number.isEmpty()) return slip(number_, QStringLiteral("เลขที่สัญญา"), QStringLiteral("ยังไม่ได้ป้อน"));
    c.work = work_->text().trimmed();
    c.contractor = contractor_->text().trimmed();
    const struct {
        QLineEdit* field;
        QString label;
        Long* into;
    } dates[] = {{day_, QStringLiteral("เปิดซองวันที่เท่าใด"), &c.bidDay},
                 {month_, QStringLiteral("เดือนเปิดซอง"), &c.bidMonth},
                 {year_, QStringLiteral("ปี พ.ศ.ที่เปิดซอง"), &c.bidYear}};
    for (const auto& d : dates) {
        const Conversion v = replyToLong(d.field->text());
        if (!v.ok) return slip(d.field, d.label, v.error);
        *d.into = Long(v.value);
    }
    if (thaiMonthName(c.bidMonth).isEmpty())
        return slip(month_, dates[1].label, QStringLiteral("เดือนมีหมายเลข 1 ถึง 12"));
    if (c.bidYear < 2400) return slip(year_, dates[2].label, buddhistEraHint(c.bidYear));
    if (const QString why = dayProblem(c.bidDay, c.bidMonth, c.bidYear); !why.isEmpty())
        return slip(day_, dates[0].label, why);
    const Conversion f = replyToInteger(formula_->text());
    if (!f.ok) return slip(formula_, QStringLiteral("สูตรของงวด"), f.error);
    c.formula = Integer(f.value);
    if (const QString why = formulaProblem(c.formula); !why.isEmpty())
        return slip(formula_, QStringLiteral("สูตรของงวด"), why);
    contract_ = c;
    return true;
}

void ContractDialog::done(int result) {
    QString problem;
    if (result == QDialog::Accepted) {
        if (!read(&problem)) {
            sayProblem(this, problem);
            return;  // the form stays, with what was typed
        }
        if (save_ && !save_(contract_)) return;
    }
    QDialog::done(result);
}

// ---- an installment -------------------------------------------------------

InstallmentDialog::InstallmentDialog(const QString& title, const Installment& shown,
                                     std::function<InstallmentOutcome(const Installment&)> compute,
                                     std::function<bool(const Installment&)> save, QWidget* parent)
    : QDialog(parent), compute_(std::move(compute)), save_(std::move(save)), bid_(shown) {
    setObjectName(QStringLiteral("installmentForm"));
    setWindowTitle(title);
    const InstallmentFields f = installmentFields(shown);
    auto* form = new QFormLayout;
    const auto add = [&](FormField field, const QString& text) {
        QLineEdit* edit = lineEdit(text, fieldLabel(field), this);
        form->addRow(fieldLabel(field), edit);
        connect(edit, &QLineEdit::textChanged, this, [this] { reread(); });
        return edit;
    };
    formula_ = add(FormField::Formula, f.formula);
    day_ = add(FormField::Day, shown.day ? f.day : QString());
    month_ = add(FormField::Month, shown.month ? f.month : QString());
    year_ = add(FormField::Year, shown.year ? f.year : QString());
    designation_ = add(FormField::Designation, f.designation);
    amount_ = add(FormField::Amount, shown.amount != 0 || shown.year ? f.amount : QString());

    // The equipment items, a line each: the name, then the price.
    auto* items = new QGridLayout;
    items->addWidget(new QLabel(QStringLiteral("ครุภัณฑ์ที่หัก (ว่างไว้ได้)"), this), 0, 0, 1, 3);
    for (int n = 1; n <= kEquipItems; ++n) {
        const size_t i = size_t(n - 1);
        items->addWidget(new QLabel(QString::number(n), this), n, 0);
        names_[i] = lineEdit(f.itemNames[i], fieldLabel(FormField::ItemName, n), this);
        prices_[i] = lineEdit(f.itemPrices[i], fieldLabel(FormField::ItemPrice, n), this);
        prices_[i]->setPlaceholderText(QStringLiteral("ราคา"));
        items->addWidget(names_[i], n, 1);
        items->addWidget(prices_[i], n, 2);
        connect(names_[i], &QLineEdit::textChanged, this, [this] { reread(); });
        connect(prices_[i], &QLineEdit::textChanged, this, [this] { reread(); });
    }
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("result"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    result_->setFocusPolicy(Qt::TabFocus);  // a screen reader reaches it by Tab
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(items);
    layout->addWidget(result_);
    layout->addWidget(saveOrCancel(this));
    reread();
    fitToScreen(this, sizeHint().expandedTo(QSize(560, 0)));
    if (shown.year == 0) day_->setFocus();
}

QLineEdit* InstallmentDialog::field(FormField f, int item) const {
    switch (f) {
        case FormField::Formula: return formula_;
        case FormField::Day: return day_;
        case FormField::Month: return month_;
        case FormField::Year: return year_;
        case FormField::Designation: return designation_;
        case FormField::Amount: return amount_;
        case FormField::ItemName: return names_[size_t(item - 1)];
        case FormField::ItemPrice: return prices_[size_t(item - 1)];
    }
    return nullptr;
}

void InstallmentDialog::reread() {
    if (!result_) return;  // still being built
    InstallmentFields f;
    f.formula = formula_->text();
    f.day = day_->text();
    f.month = month_->text();
    f.year = year_->text();
    f.designation = designation_->text();
    f.amount = amount_->text();
    for (size_t i = 0; i < size_t(kEquipItems); ++i) {
        f.itemNames[i] = names_[i]->text();
        f.itemPrices[i] = prices_[i]->text();
    }
    reading_ = readInstallmentFields(f, bid_);
    const QString text = reading_.ok() ? outcomeLine(compute_(reading_.value))
                                       : reading_.problems.front().message;
    result_->setText(QStringLiteral("ผลการคำนวณ: ") + text);
    result_->setAccessibleName(result_->text());
}

void InstallmentDialog::done(int result) {
    if (result == QDialog::Accepted && !reading_.ok()) {
        const FieldProblem& first = reading_.problems.front();
        QStringList all;
        for (const FieldProblem& p : reading_.problems) all << p.message;
        sayProblem(this, all.join(QLatin1Char('\n')));
        if (QLineEdit* edit = field(first.field, first.item)) {
            edit->setFocus();
            edit->selectAll();
        }
        return;  // the form stays, with what was typed
    }
    if (result == QDialog::Accepted && save_ && !save_(reading_.value)) return;
    QDialog::done(result);
}
