#include "app/frmIndexTable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/QtPlatform.h"
#include "app/ScreenFit.h"
#include "base/MonthNames.h"
#include "indexdata/CsvImport.h"
#include "print/Fonts.h"

namespace {

// What each index column holds, in Thai, under its symbol.
const char* const kColumnNames[kIndexColumns] = {
    "วัสดุก่อสร้าง", "เหล็ก",         "ซีเมนต์",      "(ไม่ใช้)", "ผู้บริโภค", "น้ำมัน", "แอสฟัลต์",
    "เครื่องจักร",  "ท่อเหล็กอาบสังกะสี", "ท่อซีเมนต์ใยหิน", "ท่อ PVC",  "(ไม่ใช้)", "(ไม่ใช้)"};

QString valuesText(const TableEditor::Row& r) { return r.fields.mid(2).join(QLatin1Char('\t')); }

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
    for (int c = 0; c < kIndexColumns; ++c)
        model_->headings << kTableCsvHeader[2 + c] + QLatin1Char('\n') + QString::fromUtf8(kColumnNames[c]);
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
                       .arg(editor_.modified() ? QStringLiteral(" *ยังไม่ได้บันทึก") : QString()));
}

int frmIndexTable::selectedRecord() const {
    const QModelIndexList selected = table_->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().data(Qt::UserRole).toInt();
}

void frmIndexTable::addMonth() {
    const auto [year, month] = editor_.nextMonth();
    bool ok = false;
    const QString when = QInputDialog::getText(
        this, QtPlatform::kTitle, QStringLiteral("เดือน/ปี พ.ศ. ของเดือนที่จะเพิ่ม เช่น 8/2564"),
        QLineEdit::Normal, monthSlashYear(month, year), &ok);
    if (!ok) return;
    const QStringList parts = when.trimmed().split(QLatin1Char('/'));
    bool monthOk = false, yearOk = false;
    const Long m = parts.value(0).toInt(&monthOk), y = parts.value(1).toInt(&yearOk);
    if (parts.size() != 2 || !monthOk || !yearOk || m < 1 || m > 12 || y < 2400) {
        QMessageBox::warning(this, QtPlatform::kTitle,
                             QStringLiteral("\"%1\" ไม่ใช่เดือน/ปี พ.ศ. เช่น 8/2564").arg(when));
        return;
    }
    const QString values = QInputDialog::getText(
        this, QtPlatform::kTitle,
        QStringLiteral("ค่าดัชนี 13 ค่าของเดือน %1/%2 เรียงตาม M S C G I F A E GIP AC PVC W PE "
                       "(วางแถวที่คัดลอกจากตารางคำนวณหรือหน้าเว็บได้)")
            .arg(m)
            .arg(y),
        QLineEdit::Normal, QString(), &ok);
    if (!ok) return;
    QString error;
    const std::optional<QStringList> cells = TableEditor::splitRow(values, &error);
    if (!cells || !editor_.addMonth(y, m, *cells, &error)) {
        QMessageBox::warning(this, QtPlatform::kTitle, error + QStringLiteral("\nจึงไม่ได้เพิ่มเดือน"));
        return;
    }
    refresh();
    say(QStringLiteral("เพิ่มเดือน %1/%2 แล้ว (ยังไม่ได้บันทึก)").arg(m).arg(y));
}

void frmIndexTable::correctMonth() {
    const int record = selectedRecord();
    if (record < 0) {
        say(QStringLiteral("เลือกเดือนที่จะแก้ในตารางก่อน"));
        return;
    }
    const std::vector<TableEditor::Row> rows = editor_.rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const TableEditor::Row& r) { return r.record == record; });
    bool ok = false;
    const QString values = QInputDialog::getText(
        this, QtPlatform::kTitle,
        QStringLiteral("ค่าดัชนี 13 ค่าของเดือน %1/%2 (ระเบียนที่ %3)").arg(row->month).arg(row->year).arg(record + 1),
        QLineEdit::Normal, valuesText(*row), &ok);
    if (!ok) return;
    QString error;
    const std::optional<QStringList> cells = TableEditor::splitRow(values, &error);
    if (!cells || !editor_.correct(record, *cells, &error)) {
        QMessageBox::warning(this, QtPlatform::kTitle, error + QStringLiteral("\nจึงไม่ได้แก้"));
        return;
    }
    refresh();
    say(QStringLiteral("แก้เดือน %1/%2 แล้ว (ยังไม่ได้บันทึก)").arg(row->month).arg(row->year));
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
    say(QStringLiteral("บันทึกตารางลงแฟ้ม %1 แล้ว (แฟ้มเดิมเก็บไว้ที่ %1.bak)").arg(path_));
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
