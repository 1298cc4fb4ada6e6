#include "app/frmIndexTable.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "app/QtPlatform.h"
#include "app/ScreenFit.h"
#include "base/MonthNames.h"
#include "base/ThaiCodePage.h"
#include "indexdata/CsvImport.h"
#include "print/Fonts.h"
#include "tablecare/TableUpdate.h"

namespace {

// What each index column holds, in Thai, under its symbol.
const char* const kColumnNames[kIndexColumns] = {
    "วัสดุก่อสร้าง", "เหล็ก",         "ซีเมนต์",      "(ไม่ใช้)", "ผู้บริโภค", "น้ำมัน", "แอสฟัลต์",
    "เครื่องจักร",  "ท่อเหล็กอาบสังกะสี", "ท่อซีเมนต์ใยหิน", "ท่อ PVC",  "(ไม่ใช้)", "(ไม่ใช้)"};

// An index column's heading: its symbol over what it holds.
QString columnHeading(int c) {
    return kTableCsvHeader[2 + c] + QLatin1Char('\n') + QString::fromUtf8(kColumnNames[c]);
}

// "8/2564" as typed (Thai digits are digits): year and month, or nullopt
// with the Thai reason, checked as import checks a row's year and month.
std::optional<std::pair<Long, Long>> parseMonthYear(const QString& text, QString* error) {
    const QStringList parts = withArabicDigits(text).trimmed().split(QLatin1Char('/'));
    const QString month = parts.value(0).trimmed(), year = parts.value(1).trimmed();
    QString problem = parts.size() == 2 ? monthYearProblem(year, month) : QString();
    if (parts.size() != 2 || !problem.isEmpty()) {
        *error = QStringLiteral("\"%1\" ไม่ใช่เดือน/ปี พ.ศ. เช่น 8/2564").arg(text.trimmed()) +
                 (problem.isEmpty() ? QString() : QStringLiteral(": ") + problem);
        return std::nullopt;
    }
    return std::pair(Long(leadingNumber(year)), Long(leadingNumber(month)));
}

// The form of one month: its month and year, and one field per index
// headed as the table's columns are, each refusal shown beside its field.
// A row pasted into any field (or typed whole into one) is spread over the
// fields. OK keeps the form open, with what was typed, until `take` takes
// the values; a blank field is an index not yet published.
class MonthForm : public QDialog {
  public:
    struct Entry {
        Long year = 0, month = 0;
        QStringList values;
    };
    // `take` returns false after showing why (showProblem) when refused.
    // `month` (year, month) is offered, or fixed when correcting.
    MonthForm(QWidget* parent, const QString& heading, std::pair<Long, Long> month, bool monthFixed,
              const QStringList& values, std::function<bool(MonthForm&, const Entry&)> take)
        : QDialog(parent), take_(std::move(take)) {
        setWindowTitle(QtPlatform::kTitle);
        setObjectName(QStringLiteral("monthForm"));
        auto* column = new QVBoxLayout(this);
        auto* title = new QLabel(heading, this);
        title->setObjectName(QStringLiteral("formHeading"));
        column->addWidget(title);
        // The form grows to show the problems that come beside the fields.
        column->setSizeConstraint(QLayout::SetMinimumSize);
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(12);
        column->addLayout(grid);
        month_ = field(grid, 0, 0, QStringLiteral("เดือน/ปี พ.ศ."), QStringLiteral("monthYear"));
        month_->setText(monthSlashYear(month.second, month.first));
        month_->setReadOnly(monthFixed);
        if (monthFixed) fixed_ = month;
        constexpr int kRows = (kIndexColumns + 1) / 2;
        for (int c = 0; c < kIndexColumns; ++c) {
            QLineEdit* edit = field(grid, 2 + 2 * (c % kRows), 2 * (c / kRows), columnHeading(c),
                                    QStringLiteral("value_") + kTableCsvHeader[2 + c]);
            edit->setText(values.value(c));
            values_.push_back(edit);
        }
        auto* hint = new QLabel(
            QStringLiteral("ช่องที่เว้นว่างคือดัชนีที่ยังไม่ประกาศ: วางแถวที่คัดลอกจากตารางคำนวณหรือหน้าเว็บ"
                           "ลงช่องใดก็ได้ ค่าจะกระจายลงทุกช่อง"),
            this);
        hint->setWordWrap(true);
        column->addWidget(hint);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        auto* ok = new QPushButton(QStringLiteral("ตกลง"), this);
        ok->setObjectName(QStringLiteral("formOk"));
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        auto* cancel = new QPushButton(QStringLiteral("ยกเลิก"), this);
        cancel->setObjectName(QStringLiteral("formCancel"));
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        column->addLayout(buttons);
        values_.front()->setFocus();  // the month is offered: the values come next
    }

    // Shows `text` beside the month field (`field` -1) or index `field`,
    // and puts the cursor into the first field that has a problem.
    void showProblem(int field, const QString& text) {
        QLabel* label = problems_[size_t(field + 1)];
        label->setText(text);
        label->setVisible(!text.isEmpty());
        adjustSize();  // a problem of several lines is shown whole
        for (size_t f = 0; f < problems_.size(); ++f) {
            if (problems_[f]->isHidden()) continue;
            (f == 0 ? month_ : values_[f - 1])->setFocus();
            break;
        }
    }

    // Every field is checked, each problem shown beside its field.
    void accept() override {
        for (int f = -1; f < kIndexColumns; ++f) showProblem(f, QString());
        std::vector<bool> said(kIndexColumns, false);
        // A row typed whole into one field is spread as a pasted one is.
        for (int c = 0; c < kIndexColumns; ++c)
            said[size_t(c)] = TableEditor::isRow(values_[size_t(c)]->text()) && !spread(c);
        const auto month = typedMonth();
        bool refused = !month || std::find(said.begin(), said.end(), true) != said.end();
        Entry entry{month ? month->first : 0, month ? month->second : 0, {}};
        for (int c = 0; c < kIndexColumns; ++c) {
            entry.values << withArabicDigits(values_[size_t(c)]->text().trimmed());
            if (said[size_t(c)]) continue;
            const QString problem = indexValueProblem(entry.values.back());
            if (!problem.isEmpty()) showProblem(c, problem);
            refused = refused || !problem.isEmpty();
        }
        if (!refused && take_(*this, entry)) QDialog::accept();
    }

  private:
    // A label and a field at `row`, `col`, the place of its problem under
    // them (taking no room while there is none).
    QLineEdit* field(QGridLayout* grid, int row, int col, const QString& heading, const QString& name) {
        auto* label = new QLabel(heading, this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("88/88888")) + 16);
        edit->setAccessibleName(QString(heading).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        label->setBuddy(edit);
        auto* problem = new QLabel(this);
        problem->setObjectName(name + QStringLiteral("Problem"));
        problem->setStyleSheet(QStringLiteral("color: #b00000"));
        problem->setWordWrap(true);
        problem->hide();
        grid->addWidget(label, row, col);
        grid->addWidget(edit, row, col + 1);
        grid->addWidget(problem, row + 1, col, 1, 2);
        problems_.push_back(problem);
        if (name != QLatin1String("monthYear")) {
            // A paste puts more than one character in at once.
            connect(edit, &QLineEdit::textEdited, this, [this, edit, before = QString()](
                                                              const QString& text) mutable {
                const bool pasted = text.size() > before.size() + 1;
                before = text;
                if (!pasted || !TableEditor::isRow(text)) return;
                const auto at = std::find(values_.begin(), values_.end(), edit);
                if (at != values_.end()) spread(int(at - values_.begin()));
            });
        }
        return edit;
    }

    // The row in value field `c` spread over the value fields; false, with
    // the row left where it is and the reason beside it, when refused.
    bool spread(int c) {
        const auto month = typedMonth();
        if (!month) return false;
        QString why;
        const auto cells = TableEditor::splitRow(values_[size_t(c)]->text(), month->first,
                                                 month->second, &why);
        if (!cells) {
            showProblem(c, why);
            return false;
        }
        for (int i = 0; i < kIndexColumns; ++i) values_[size_t(i)]->setText(cells->value(i));
        showProblem(c, QString());
        return true;
    }

    // The month being corrected, or the one typed; nullopt with the reason
    // beside the field when what is typed is no month.
    std::optional<std::pair<Long, Long>> typedMonth() {
        if (fixed_) return fixed_;
        QString why;
        const auto month = parseMonthYear(month_->text(), &why);
        if (!month) showProblem(-1, why);
        return month;
    }

    std::function<bool(MonthForm&, const Entry&)> take_;
    std::optional<std::pair<Long, Long>> fixed_;
    QLineEdit* month_ = nullptr;
    std::vector<QLineEdit*> values_;
    std::vector<QLabel*> problems_;  // the month's, then each index's
};

}  // namespace

// The rows as the table view asks for them: only the rows in sight are
// ever turned into texts, so a table of many years opens at once.
class IndexRowsModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;
    std::vector<TableEditor::Row> rows;
    QStringList headings;

    void reset(std::vector<TableEditor::Row> next) {
        beginResetModel();
        rows = std::move(next);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : int(headings.size());
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole) return headings.value(section);
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const TableEditor::Row& r = rows[size_t(index.row())];
        const int c = index.column();
        switch (role) {
            case Qt::DisplayRole:
                if (c == 0) return r.record + 1;
                if (c == 1) return r.year;
                if (c == 2) return r.month;
                if (c < 3 + kIndexColumns) return r.fields.value(c - 1);
                return r.findings.join(QStringLiteral(" / "));
            case Qt::TextAlignmentRole:
                return c < 3 + kIndexColumns ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
            case Qt::BackgroundRole:
                return r.findings.isEmpty() ? QVariant() : QVariant(QColor(255, 230, 230));
            case Qt::ToolTipRole:
                return r.findings.isEmpty() ? QVariant() : QVariant(r.findings.join(QLatin1Char('\n')));
            case Qt::UserRole:
                return r.record;
            default:
                return {};
        }
    }
};

frmIndexTable::frmIndexTable(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIndexTable"));
    setFont(thaiFont(QStringLiteral("Browallia New"), 15.75));
    fitToScreen(this, QSize(1000, 600));
    auto* column = new QVBoxLayout(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("indexTable"));
    model_ = new IndexRowsModel(this);
    model_->headings = {QStringLiteral("ระเบียน"), QStringLiteral("ปี พ.ศ."), QStringLiteral("เดือน")};
    for (int c = 0; c < kIndexColumns; ++c) model_->headings << columnHeading(c);
    model_->headings << QStringLiteral("สิ่งที่ตรวจพบ");
    table_->setModel(model_);
    // Column widths from the rows in sight, not from every row.
    table_->horizontalHeader()->setResizeContentsPrecision(50);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(table_, 1);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("tableNews"));
    status_->setWordWrap(true);
    column->addWidget(status_);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& caption, const char* name, auto slot) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button(QStringLiteral("เพิ่มเดือน… (&A)"), "addMonth", [this] { addMonth(); });
    button(QStringLiteral("แก้เดือนที่เลือก… (&E)"), "correctMonth", [this] { correctMonth(); });
    button(QStringLiteral("ลบระเบียนซ้ำที่เลือก (&D)"), "removeDuplicate", [this] { removeDuplicate(); });
    button(QStringLiteral("เลิกทำ (&U)"), "undo", [this] { undo(); });
    button(QStringLiteral("บันทึก (&S)"), "save", [this] { save(); });
    button(QStringLiteral("ปิด (&C)"), "close", [this] { reject(); });
    column->addLayout(buttons);
}

bool frmIndexTable::open(const QString& path, QString* error) {
    if (!editor_.open(path, error)) return false;
    path_ = path;
    refresh();
    // A table that cannot be changed here is still shown, saying why.
    const bool readOnly = !editor_.readOnly().isEmpty();
    for (const char* name : {"addMonth", "correctMonth", "removeDuplicate", "undo", "save"})
        findChild<QPushButton*>(QString::fromLatin1(name))->setEnabled(!readOnly);
    if (readOnly) say(editor_.readOnly());
    return true;
}

void frmIndexTable::say(const QString& text) {
    status_->setText(text);
    status_->setAccessibleName(QStringLiteral("ล่าสุด: ") + text);
}

void frmIndexTable::refresh() {
    const bool first = model_->rows.empty();
    model_->reset(editor_.rows());
    if (first) table_->resizeColumnsToContents();
    showTitle();
}

void frmIndexTable::showTitle() {
    setWindowTitle(QStringLiteral("ตารางดัชนีราคา %1 (%2 ระเบียน)%3")
                       .arg(path_)
                       .arg(editor_.records())
                       .arg(editor_.modified()            ? QStringLiteral(" *ยังไม่ได้บันทึก")
                            : !editor_.readOnly().isEmpty() ? QStringLiteral(" อ่านอย่างเดียว")
                                                            : QString()));
}

int frmIndexTable::selectedRecord() const {
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().data(Qt::UserRole).toInt();
}

void frmIndexTable::addMonth() {
    if (!editor_.readOnly().isEmpty()) return say(editor_.readOnly());
    const auto [year, month] = editor_.nextMonth();
    QString added;
    MonthForm form(this, QStringLiteral("เพิ่มเดือนในตารางดัชนีราคา: เดือน/ปี พ.ศ. และค่าดัชนี 13 ค่า"),
                   {year, month}, false, {},
                   [this, &added](MonthForm& f, const MonthForm::Entry& e) {
                       QString error;
                       if (!editor_.addMonth(e.year, e.month, e.values, &error)) {
                           f.showProblem(-1, error);
                           return false;
                       }
                       added = monthSlashYear(e.month, e.year);
                       return true;
                   });
    if (form.exec() != QDialog::Accepted) return;
    refresh();
    showRecord(editor_.records() - 1);  // the record added is the last
    say(QStringLiteral("เพิ่มเดือน %1 แล้ว (ยังไม่ได้บันทึก)").arg(added));
}

void frmIndexTable::correctMonth() {
    if (!editor_.readOnly().isEmpty()) return say(editor_.readOnly());
    const int record = selectedRecord();
    if (record < 0) {
        say(QStringLiteral("เลือกเดือนที่จะแก้ในตารางก่อน"));
        return;
    }
    const std::vector<TableEditor::Row> rows = editor_.rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const TableEditor::Row& r) { return r.record == record; });
    const QString month = monthSlashYear(row->month, row->year);
    MonthForm form(this, QStringLiteral("แก้ค่าดัชนีของเดือน %1 (ระเบียนที่ %2)").arg(month).arg(record + 1),
                   {row->year, row->month}, true, row->fields.mid(2),
                   [this, record](MonthForm& f, const MonthForm::Entry& e) {
                       QString error;
                       if (editor_.correct(record, e.values, &error)) return true;
                       f.showProblem(-1, error);
                       return false;
                   });
    if (form.exec() != QDialog::Accepted) return;
    refresh();
    showRecord(record);
    say(QStringLiteral("แก้เดือน %1 แล้ว (ยังไม่ได้บันทึก)").arg(month));
}

void frmIndexTable::showRecord(int record) {
    for (int r = 0; r < model_->rowCount(QModelIndex()); ++r) {
        if (model_->rows[size_t(r)].record != record) continue;
        table_->selectRow(r);
        table_->scrollTo(model_->index(r, 0));
        return;
    }
}

void frmIndexTable::removeDuplicate() {
    QString error;
    const int record = selectedRecord();
    if (record < 0 || !editor_.removeDuplicate(record, &error)) {
        say(record < 0 ? QStringLiteral("เลือกระเบียนซ้ำที่จะลบในตารางก่อน") : error);
        return;
    }
    refresh();
    say(QStringLiteral("ลบระเบียนที่ %1 แล้ว (ยังไม่ได้บันทึก)").arg(record + 1));
}

void frmIndexTable::undo() {
    say(editor_.undo() ? QStringLiteral("เลิกทำแล้ว") : QStringLiteral("ไม่มีอะไรให้เลิกทำ"));
    refresh();
}

bool frmIndexTable::save() {
    QString error;
    bool saved = editor_.save(&error);
    if (!saved && editor_.changedOnDisk()) {
        const auto answer = QMessageBox::question(
            this, QtPlatform::kTitle, error + QStringLiteral("\nบันทึกทับหรือไม่?"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes) saved = editor_.save(&error, /*overwrite=*/true);
        else error = QStringLiteral("ยังไม่ได้บันทึก");
    }
    if (!saved) {
        QMessageBox::warning(this, QtPlatform::kTitle, error);
        return false;
    }
    showTitle();  // saving changes no row
    say(editor_.wrote() ? QStringLiteral("บันทึกตารางลงแฟ้ม %1 แล้ว (แฟ้มเดิมเก็บไว้ที่ %2)")
                              .arg(path_, backupPath(path_))
                        : QStringLiteral("แฟ้ม %1 เป็นตารางนี้อยู่แล้ว จึงไม่ได้เขียนอะไร").arg(path_));
    return true;
}

void frmIndexTable::done(int result) {
    if (editor_.modified()) {
        QMessageBox box(QMessageBox::Question, QtPlatform::kTitle,
                        QStringLiteral("ตารางดัชนีราคามีการแก้ไขที่ยังไม่ได้บันทึก บันทึกก่อนปิดหรือไม่?"),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        // In the program's own words whatever the desktop's theme would say
        // ("Discard" loses the month just typed). Enter saves: nothing typed
        // is lost; Esc goes back to the table.
        box.button(QMessageBox::Save)->setText(QStringLiteral("บันทึก (&S)"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("ไม่บันทึก (&D)"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("ยกเลิก"));
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel) return;
        if (answer == QMessageBox::Save && !save()) return;
    }
    QDialog::done(result);
}
