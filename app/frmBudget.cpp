#include "app/frmBudget.h"

#include <QDate>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/QtPlatform.h"
#include "app/ScreenFit.h"
#include "base/Cli.h"
#include "base/ReplaceFile.h"

frmBudget::frmBudget(Platform& platform, Register& reg, QWidget* parent)
    : QDialog(parent), platform_(platform), register_(reg) {
    setObjectName(QStringLiteral("frmBudget"));
    setWindowTitle(QStringLiteral("สรุปงบประมาณ"));
    auto* layout = new QVBoxLayout(this);
    auto* ask = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("เ&ดือน/ปี พ.ศ. หรือช่วงเดือน (เช่น 9/2569 หรือ 7/2569-9/2569)"), this);
    const QDate today = QDate::currentDate();
    months_ = new QLineEdit(QStringLiteral("%1/%2").arg(today.month()).arg(today.year() + 543), this);
    months_->setObjectName(QStringLiteral("months"));
    months_->setAccessibleName(QStringLiteral("เดือน/ปี พ.ศ. หรือช่วงเดือน"));
    label->setBuddy(months_);
    ask->addWidget(label);
    ask->addWidget(months_, 1);
    auto* showButton = new QPushButton(QStringLiteral("แสดง (&V)"), this);
    showButton->setObjectName(QStringLiteral("showBudget"));
    showButton->setDefault(true);
    ask->addWidget(showButton);
    layout->addLayout(ask);
    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("budgetText"));
    view_->setAccessibleName(QStringLiteral("สรุปงบประมาณ"));
    view_->setReadOnly(true);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(view_, 1);
    news_ = new QLabel(this);
    news_->setObjectName(QStringLiteral("budgetNews"));
    news_->setWordWrap(true);
    layout->addWidget(news_);
    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const QString& caption, void (frmBudget::*command)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, command] { (this->*command)(); });
        buttons->addWidget(b);
    };
    button("printBudget", QStringLiteral("พิมพ์ (&P)"), &frmBudget::print);
    button("budgetPdf", QStringLiteral("บันทึกเป็น PDF… (&S)"), &frmBudget::savePdf);
    button("budgetCsv", QStringLiteral("บันทึกเป็น CSV… (&C)"), &frmBudget::saveCsv);
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("ปิด"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(showButton, &QPushButton::clicked, this, [this] { show(months_->text()); });
    fitToScreen(this, QSize(900, 600));
}

bool frmBudget::show(const QString& months) {
    months_->setText(months);
    QString error;
    const std::optional<MonthRange> range = parseMonthRange(months, &error);
    if (!range) {
        platform_.msgBox(error);
        months_->setFocus();
        months_->selectAll();
        return false;
    }
    register_.followTable();
    summary_ = budgetSummary(register_, *range);
    view_->setPlainText(budgetText(*summary_));
    news_->clear();
    return true;
}

void frmBudget::toPrinter(Printer* printer, const QString& where) {
    if (!summary_ && !show(months_->text())) return;
    if (!printer) return;
    printBudget(*summary_, *printer);
    QString error;
    if (!printer->endDoc(&error)) {
        platform_.msgBox(QStringLiteral("พิมพ์สรุปงบประมาณไม่สำเร็จ: ") + error);
        return;
    }
    news_->setText(QStringLiteral("พิมพ์สรุปงบประมาณ %1%2").arg(monthRangeText(summary_->range), where));
}

void frmBudget::print() {
    if (Printer* printer = printerOrSay(platform_, QStringLiteral("จึงไม่ได้พิมพ์สรุปงบประมาณ")))
        toPrinter(printer, QStringLiteral(" ไปที่เครื่องพิมพ์แล้ว"));
}

void frmBudget::savePdf() {
    if (!summary_ && !show(months_->text())) return;
    QString name = QStringLiteral("สรุปงบประมาณ %1.pdf").arg(monthRangeText(summary_->range));
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    const std::optional<QString> path = platform_.askPdfPath(name);
    if (!path) return;
    toPrinter(platform_.pdfPrinter(*path), QStringLiteral(" ลงแฟ้ม %1 แล้ว").arg(*path));
}

void frmBudget::saveCsv() {
    if (!summary_ && !show(months_->text())) return;
    QString name = QStringLiteral("สรุปงบประมาณ %1.csv").arg(monthRangeText(summary_->range));
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    const std::optional<QString> path = chooseFile(this, QStringLiteral("บันทึกสรุปงบประมาณเป็น CSV"),
                                                   QStringLiteral("CSV (*.csv)"), FileChoice::Write, name);
    if (!path) return;
    QString error;
    if (!replaceFile(*path, cli::kUtf8Mark + budgetCsv(*summary_).toUtf8(), &error)) {
        platform_.msgBox(error);
        return;
    }
    news_->setText(QStringLiteral("บันทึกสรุปงบประมาณลงแฟ้ม %1 แล้ว").arg(*path));
}
