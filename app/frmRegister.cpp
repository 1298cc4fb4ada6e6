#include "app/frmRegister.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/QtPlatform.h"
#include "app/RegisterForms.h"
#include "app/ScreenFit.h"
#include "app/KeyStore.h"
#include "app/OfficeDialog.h"
#include "app/frmBudget.h"
#include "base/Cli.h"
#include "base/CsvText.h"
#include "base/MonthNames.h"
#include "base/ReplaceFile.h"
#include "base/SystemFiles.h"
#include "contract/InstallmentForm.h"
#include "contract/PostgresConnection.h"
#include "escalation/ResultText.h"
#include "contract/UserRegister.h"

std::function<void(QDialog&)> frmRegister::formHook;

namespace {

const QStringList kContractHeadings = {
    QStringLiteral("เลขที่สัญญา"), QStringLiteral("ชื่องาน"),     QStringLiteral("ผู้รับจ้าง"),
    QStringLiteral("วันเปิดซอง"),  QStringLiteral("งวด"),        QStringLiteral("พิมพ์แล้ว"),
    QStringLiteral("ยังไม่พิมพ์"),  QStringLiteral("รอดัชนี"),     QStringLiteral("เงินชดเชย (บาท)"),
    QStringLiteral("เงินคืน (บาท)")};

const QStringList kInstallmentHeadings = {
    QStringLiteral("ลำดับ"),     QStringLiteral("งวด"),      QStringLiteral("สูตร"),
    QStringLiteral("วันส่งงาน"),  QStringLiteral("ค่างวด"),    QStringLiteral("หักครุภัณฑ์"),
    QStringLiteral("คงเหลือ"),   QStringLiteral("K"),        QStringLiteral("ช่วง 0.96 ถึง 1.04"),
    QStringLiteral("ชดเชย / คืน (บาท)"), QStringLiteral("สถานะ")};

QString dateText(Long day, Long month, Long year) {
    return QStringLiteral("%1/%2").arg(day).arg(monthSlashYear(month, year));
}

// What a row's status column says.
QString statusText(const RegisterRow& r) {
    const QString now = r.now.computed() ? QStringLiteral("K = ") + resultLine(r.now.result) : outcomeLine(r.now);
    switch (r.printed) {
        case RegisterRow::Printed::Same:
            return QStringLiteral("พิมพ์แล้ว %1").arg(thaiDateTime(r.info.printed->at));
        case RegisterRow::Printed::Differs:
            return QStringLiteral("พิมพ์แล้ว %1 แต่ตารางดัชนีตอนนี้ให้ผลต่างไป: %2")
                .arg(thaiDateTime(r.info.printed->at), now);
        case RegisterRow::Printed::No:
            break;
    }
    if (r.now.computed()) return QStringLiteral("ยังไม่พิมพ์");
    return outcomeLine(r.now);
}

QString moneyText(const RegisterRow& r) {
    if (!r.counts()) return QStringLiteral("-");
    const SheetResult& s = r.result();
    if (s.band == Band::Above) return QStringLiteral("ชดเชย ") + groupedBaht(s.compensation);
    if (s.band == Band::Below) return QStringLiteral("คืน ") + groupedBaht(s.refund);
    return QStringLiteral("0");
}

QTableWidget* table(const QStringList& headings, const QString& name, QWidget* parent) {
    auto* t = new QTableWidget(0, int(headings.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headings);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setTabKeyNavigation(false);  // Tab goes on to the buttons
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void setRow(QTableWidget* t, int row, const QStringList& cells) {
    for (int c = 0; c < cells.size(); ++c) {
        auto* item = t->item(row, c);
        if (!item) t->setItem(row, c, item = new QTableWidgetItem);
        item->setText(cells[c]);
    }
}

QString installmentWhat(const Installment& in) {
    return QStringLiteral("%1 ส่งงาน %2 ค่างวด %3 บาท")
        .arg(in.designation.trimmed(), dateText(in.day, in.month, in.year), groupedBaht(in.amount));
}

}  // namespace

frmRegister::frmRegister(Platform& platform, QString tablePath, QWidget* parent)
    : QMainWindow(parent), platform_(platform), tablePath_(std::move(tablePath)) {
    setObjectName(QStringLiteral("frmRegister"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* layout = new QVBoxLayout(client);
    location_ = new QLabel(client);
    location_->setObjectName(QStringLiteral("location"));
    location_->setWordWrap(true);
    layout->addWidget(location_);

    auto* searchRow = new QHBoxLayout;
    auto* searchLabel = new QLabel(QStringLiteral("ค้นหาเลขที่หรือชื่องาน (&F)"), client);
    search_ = new QLineEdit(client);
    search_->setObjectName(QStringLiteral("search"));
    search_->setAccessibleName(QStringLiteral("ค้นหาเลขที่หรือชื่องาน"));
    searchLabel->setBuddy(search_);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);
    layout->addLayout(searchRow);
    connect(search_, &QLineEdit::textChanged, this, [this] { showContracts(); });

    auto* split = new QSplitter(Qt::Vertical, client);
    auto* top = new QWidget(split);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    contracts_ = table(kContractHeadings, QStringLiteral("contracts"), top);
    contracts_->setAccessibleName(QStringLiteral("สัญญา"));
    contracts_->setSelectionMode(QAbstractItemView::SingleSelection);
    topLayout->addWidget(contracts_);
    auto* bottom = new QWidget(split);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    installments_ = table(kInstallmentHeadings, QStringLiteral("installments"), bottom);
    installments_->setAccessibleName(QStringLiteral("งวดงานของสัญญาที่เลือก"));
    installments_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    bottomLayout->addWidget(installments_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);  // the installments have the room
    layout->addWidget(split, 1);
    connect(contracts_, &QTableWidget::itemSelectionChanged, this, [this] { showInstallments(); });
    connect(installments_, &QTableWidget::itemDoubleClicked, this, [this] { editInstallment(); });
    connect(contracts_, &QTableWidget::itemDoubleClicked, this, [this] { editContract(); });

    const auto buttonRow = [&](QBoxLayout* into,
                               std::initializer_list<std::tuple<const char*, QString, void (frmRegister::*)(), bool>>
                                   buttons) {
        auto* row = new QHBoxLayout;
        for (const auto& [name, caption, command, changes] : buttons) {
            auto* b = new QPushButton(caption, this);
            b->setObjectName(QString::fromLatin1(name));
            b->setAutoDefault(true);
            const auto run = command;
            connect(b, &QPushButton::clicked, this, [this, run] { (this->*run)(); });
            row->addWidget(b);
            if (changes) changers_.push_back(b);
        }
        row->addStretch(1);
        into->addLayout(row);
    };
    buttonRow(topLayout, {{"addContract", QStringLiteral("เพิ่มสัญญา… (&N)"), &frmRegister::addContract, true},
                          {"editContract", QStringLiteral("แก้สัญญา… (&E)"), &frmRegister::editContract, true},
                          {"removeContract", QStringLiteral("ลบสัญญา…"), &frmRegister::removeContract, true},
                          {"importCsv", QStringLiteral("นำเข้า CSV… (&I)"), &frmRegister::importCsv, true},
                          {"exportCsv", QStringLiteral("ส่งออก CSV… (&X)"), &frmRegister::exportCsv, false},
                          {"budget", QStringLiteral("สรุปงบประมาณ… (&B)"), &frmRegister::showBudget, false}});
    buttonRow(bottomLayout,
              {{"addInstallment", QStringLiteral("เพิ่มงวด… (&A)"), &frmRegister::addInstallment, true},
               {"editInstallment", QStringLiteral("แก้งวด… (&C)"), &frmRegister::editInstallment, true},
               {"removeInstallment", QStringLiteral("ลบงวด… (&D)"), &frmRegister::removeInstallment, true},
               {"undo", QStringLiteral("ย้อนกลับ (&U)"), &frmRegister::undo, true},
               {"printSelected", QStringLiteral("พิมพ์งวดที่เลือก (&P)"), &frmRegister::printSelected, false},
               {"printContract", QStringLiteral("พิมพ์ทั้งสัญญา (&L)"), &frmRegister::printContract, false},
               {"savePdf", QStringLiteral("บันทึกเป็น PDF… (&S)"), &frmRegister::savePdf, false},
               {"history", QStringLiteral("ประวัติงวด… (&H)"), &frmRegister::showHistory, false}});

    news_ = new QLabel(client);
    news_->setObjectName(QStringLiteral("registerNews"));
    news_->setWordWrap(true);
    news_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(news_);
    buildMenus();

    // Another window, tarvon-batch or a merge may change the register or
    // the table at any time: a cheap look every second.
    follow_.setInterval(1000);
    connect(&follow_, &QTimer::timeout, this, [this] { follow(); });
    fitToScreen(this, QSize(1100, 700));
}

frmRegister::~frmRegister() = default;

QString frmRegister::lastLocation() {
    const QString last = QSettings().value(QStringLiteral("register/location")).toString();
    // A register file since moved or removed is not made anew where it was.
    if (last.isEmpty() || (!isServerLocation(last) && !QFileInfo::exists(last))) return defaultLocation();
    return last;
}

QString frmRegister::defaultLocation() {
    return userRegister(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

void frmRegister::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ทะเบียน (&R)"));
    file->setObjectName(QStringLiteral("mnuRegister"));
    const auto item = [&](QMenu* menu, const char* name, const QString& caption, auto slot) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    item(file, "mnuOpenRegister", QStringLiteral("เปิดหรือสร้างทะเบียนอื่น…"), [this] { openOther(); });
    item(file, "mnuOffice", QStringLiteral("เชื่อมต่อฐานข้อมูลสำนักงาน…"), [this] { connectOffice(); });
    item(file, "mnuHeading", QStringLiteral("หัวรายงาน (ชื่อหน่วยงาน)…"), [this] { setOffice(); });
    item(file, "mnuBudget", QStringLiteral("สรุปงบประมาณ…"), [this] { showBudget(); });
    item(file, "mnuCloseRegister", QStringLiteral("ปิดหน้าต่างทะเบียน"), [this] { close(); });
}

bool frmRegister::open(const QString& location, bool create, QString* error, const QString& password) {
    const bool server = isServerLocation(location);
    // The folder of the user's own register is made on first use.
    if (create && !server) QDir().mkpath(QFileInfo(location).absolutePath());
    QString secret = password;
    if (server && secret.isEmpty()) secret = keystore::lookup(location).value_or(QString());
    SqlRegister::Opened how = SqlRegister::Opened::Ready;
    std::unique_ptr<SqlRegister> store = SqlRegister::open(location, create, error, &how, secret);
    if (!store) return false;
    QSettings().setValue(QStringLiteral("register/location"), location);
    auto reg = std::make_unique<Register>(*store, tablePath_);
    QString tableError;
    if (!reg->openTable(&tableError))
        say(QStringLiteral("เปิดตารางดัชนีราคา %1 ไม่ได้ (%2): ทุกงวดจึงรอดัชนี").arg(tablePath_, tableError));
    register_ = std::move(reg);
    store_ = std::move(store);
    undo_.clear();
    seen_ = -1;
    lost_ = false;
    shownContract_ = 0;
    QString why;
    QString where = QStringLiteral("ทะเบียนสัญญา: %1\nตารางดัชนีราคา: %2").arg(shownLocation(store_->location()), tablePath_);
    if (store_->readOnly(&why)) where += QStringLiteral("\nเปิดแบบอ่านอย่างเดียว: ") + why;
    location_->setText(where);
    setWindowTitle(QStringLiteral("ทะเบียนสัญญา - %1")
                       .arg(server ? shownLocation(store_->location()) : QFileInfo(store_->location()).fileName()));
    if (how == SqlRegister::Opened::Created) say(QStringLiteral("สร้างทะเบียนใหม่แล้ว"));
    if (how == SqlRegister::Opened::Upgraded)
        say(QStringLiteral("ปรับทะเบียนเป็นรูปแบบใหม่แล้ว (เก็บสำเนาเดิมไว้ข้างแฟ้ม)"));
    enableCommands();
    follow();
    follow_.start();
    return true;
}

void frmRegister::enableCommands() {
    QString why;
    bool writable = store_ && !store_->readOnly(&why);
    if (lost_) {
        writable = false;
        why = QStringLiteral("ขาดการเชื่อมต่อกับฐานข้อมูล");
    }
    for (QWidget* w : changers_) {
        w->setEnabled(writable);
        w->setToolTip(writable ? QString() : why);
    }
}

void frmRegister::say(const QString& text) {
    news_->setText(text);
    news_->setAccessibleName(QStringLiteral("ล่าสุด: ") + text);
}

bool frmRegister::lostTouch() {
    const StoreResult r = store_->lastRead();
    if (r.done()) return false;
    if (!lost_) {
        lost_ = true;
        retry_ = 0;
        enableCommands();
        say(QStringLiteral("ขาดการเชื่อมต่อกับฐานข้อมูล: %1 (ข้อมูลที่แสดงอยู่เป็นของก่อนขาดการเชื่อมต่อ "
                           "โปรแกรมจะเชื่อมต่อใหม่เองเมื่อเซิร์ฟเวอร์กลับมา)")
                .arg(r.why));
    }
    return true;
}

void frmRegister::follow() {
    if (!register_) return;
    if (lost_) {
        // A server that went away is tried again every few seconds: a
        // connection that cannot be made may take its time to say so.
        if (retry_-- > 0) return;
        retry_ = 4;
        if (!store_->reconnect().done()) return;
        lost_ = false;
        enableCommands();
        say(QStringLiteral("เชื่อมต่อกับฐานข้อมูลได้อีกครั้งแล้ว"));
        seen_ = -1;
    }
    const bool table = register_->followTable();
    const qint64 now = store_->generation();
    if (lostTouch()) return;
    if (!table && now == seen_) return;
    seen_ = now;
    showContracts();
}

void frmRegister::showContracts() {
    if (!register_) return;
    const qint64 keep = shownContract_;
    std::vector<ContractLine> lines = register_->contractLines(search_->text().trimmed());
    if (lostTouch()) return;  // what is shown stays
    lines_ = std::move(lines);
    const QSignalBlocker quiet(contracts_);
    contracts_->setRowCount(int(lines_.size()));
    int selected = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const ContractLine& l = lines_[i];
        setRow(contracts_, int(i),
               {l.info.number, l.info.work, l.info.contractor,
                dateText(l.info.bidDay, l.info.bidMonth, l.info.bidYear), QString::number(l.installments),
                QString::number(l.printed), QString::number(l.notPrinted), QString::number(l.waiting),
                groupedBaht(l.compensation()), groupedBaht(l.refunds)});
        if (l.info.id == keep) selected = int(i);
    }
    if (selected < 0 && !lines_.empty()) selected = 0;
    if (selected >= 0) contracts_->selectRow(selected);
    showInstallments();
}

const ContractLine* frmRegister::selectedContract(bool sayWhy) {
    const int row = contracts_->currentRow();
    const auto rows = contracts_->selectionModel()->selectedRows();
    const int at = rows.isEmpty() ? row : rows.front().row();
    if (at < 0 || size_t(at) >= lines_.size()) {
        if (sayWhy) say(QStringLiteral("ยังไม่ได้เลือกสัญญา"));
        return nullptr;
    }
    return &lines_[size_t(at)];
}

void frmRegister::showInstallments() {
    const ContractLine* c = selectedContract(false);
    // The rows of the contract shown, and no more: the window holds what
    // is on screen, whatever the register's size.
    std::vector<qint64> kept;
    for (const auto& index : installments_->selectionModel()->selectedRows())
        if (size_t(index.row()) < rows_.size()) kept.push_back(rows_[size_t(index.row())].info.id);
    std::vector<RegisterRow> rows = c ? register_->rows(c->info.id) : std::vector<RegisterRow>{};
    if (lostTouch()) return;  // what is shown stays
    rows_ = std::move(rows);
    if (!c || c->info.id != shownContract_) kept.clear();
    shownContract_ = c ? c->info.id : 0;
    const QSignalBlocker quiet(installments_);
    installments_->clearSelection();
    installments_->setRowCount(int(rows_.size()));
    for (size_t i = 0; i < rows_.size(); ++i) {
        const RegisterRow& r = rows_[i];
        const Installment& in = r.info.value;
        Double items = 0;
        for (const Installment::Item& item : in.items) items += item.price;
        const bool counts = r.counts();
        setRow(installments_, int(i),
               {QString::number(i + 1), in.designation.trimmed(), QString::number(in.formula),
                dateText(in.day, in.month, in.year), groupedBaht(in.amount),
                items != 0 ? groupedBaht(items) : QStringLiteral("-"),
                counts ? groupedBaht(r.netAmount()) : QStringLiteral("-"),
                counts ? sheetNumber(r.result().k) : QStringLiteral("-"),
                counts ? bandWord(r.result().band) : QStringLiteral("-"), moneyText(r), statusText(r)});
        if (std::find(kept.begin(), kept.end(), r.info.id) != kept.end())
            installments_->selectionModel()->select(installments_->model()->index(int(i), 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    installments_->resizeColumnsToContents();
}

std::vector<InstallmentInfo> frmRegister::selectedInstallments(bool sayWhy) {
    std::vector<InstallmentInfo> out;
    std::vector<int> at;
    for (const auto& index : installments_->selectionModel()->selectedRows()) at.push_back(index.row());
    if (at.empty() && installments_->currentRow() >= 0) at.push_back(installments_->currentRow());
    std::sort(at.begin(), at.end());
    for (int row : at)
        if (size_t(row) < rows_.size()) out.push_back(rows_[size_t(row)].info);
    if (out.empty() && sayWhy) say(QStringLiteral("ยังไม่ได้เลือกงวด"));
    return out;
}

bool frmRegister::ask(const QString& question) {
    QMessageBox box(QMessageBox::Question, QtPlatform::kTitle, question, QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setObjectName(QStringLiteral("askBox"));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("ใช่"));
    box.button(QMessageBox::No)->setText(QStringLiteral("ไม่"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool frmRegister::maySay(const StoreResult& r) {
    if (r.done()) return true;
    platform_.msgBox(r.why);
    follow();
    return false;
}

// ---- contracts --------------------------------------------------------------

void frmRegister::addContract() {
    if (!register_) return;
    ContractInfo c;
    ContractDialog form(
        c, [&](const ContractInfo& typed) { return maySay(store_->addContract(c = typed)); }, this);
    if (formHook) formHook(form);
    if (form.exec() != QDialog::Accepted) return;
    shownContract_ = c.id;
    search_->clear();
    say(QStringLiteral("เพิ่มสัญญาเลขที่ %1 แล้ว").arg(c.number));
    follow();
}

void frmRegister::editContract() {
    const ContractLine* line = selectedContract();
    if (!line) return;
    ContractInfo c = line->info;
    ContractDialog form(
        c, [&](const ContractInfo& typed) { return maySay(store_->updateContract(c = typed)); }, this);
    if (formHook) formHook(form);
    if (form.exec() != QDialog::Accepted) return;
    say(QStringLiteral("แก้สัญญาเลขที่ %1 แล้ว").arg(c.number));
    follow();
}

void frmRegister::removeContract() {
    const ContractLine* line = selectedContract();
    if (!line) return;
    const ContractLine c = *line;
    QString question = QStringLiteral("ลบสัญญาเลขที่ %1 (%2) ออกจากทะเบียนหรือไม่?").arg(c.info.number, c.info.work);
    if (c.installments > 0)
        question += QStringLiteral("\nงวดงานทั้ง %1 งวดของสัญญานี้จะถูกลบไปด้วย").arg(c.installments);
    if (c.printed > 0)
        question += QStringLiteral(" รวมทั้งตัวเลขที่พิมพ์ไปแล้ว %1 งวด").arg(c.printed);
    if (!ask(question)) return;
    if (!maySay(store_->removeContract(c.info))) return;
    undo_.clear();  // its installments' changes cannot be undone any more
    say(QStringLiteral("ลบสัญญาเลขที่ %1 แล้ว").arg(c.info.number));
    follow();
}

// ---- installments -----------------------------------------------------------

void frmRegister::addInstallment() {
    const ContractLine* line = selectedContract();
    if (!line) return;
    const ContractInfo contract = line->info;
    Installment shown;
    shown.formula = contract.formula;
    shown.bidDay = contract.bidDay;
    shown.bidMonth = contract.bidMonth;
    shown.bidYear = contract.bidYear;
    InstallmentInfo i;
    i.contractId = contract.id;
    InstallmentDialog form(
        QStringLiteral("เพิ่มงวด: สัญญาเลขที่ %1").arg(contract.number), shown,
        [this](const Installment& in) { return register_->compute(in); },
        [&](const Installment& typed) {
            i.value = typed;
            return maySay(store_->addInstallment(i));
        },
        this);
    if (formHook) formHook(form);
    if (form.exec() != QDialog::Accepted) return;
    undo_.push_back({Change::Kind::Added, {}, i});
    say(QStringLiteral("เพิ่มงวดแล้ว: ") + installmentWhat(i.value));
    follow();
}

void frmRegister::editInstallment() {
    const std::vector<InstallmentInfo> chosen = selectedInstallments(/*sayWhy=*/true);
    if (chosen.empty()) return;
    InstallmentInfo i = chosen.front();
    const InstallmentInfo before = i;
    bool saved = false;
    InstallmentDialog form(
        QStringLiteral("แก้งวด: %1").arg(i.value.designation.trimmed()), i.value,
        [this](const Installment& in) { return register_->compute(in); },
        [&](const Installment& typed) {
            i.value = typed;
            StoreResult r = store_->updateInstallment(i);
            if (r.outcome == StoreResult::Outcome::Conflict) {
                // Someone changed it meanwhile: their values are shown, and
                // the user decides; nothing is written over them unasked.
                const std::optional<InstallmentInfo> theirs = store_->installment(i.id);
                if (!theirs ||
                    !ask(QStringLiteral("%1\nค่าที่บันทึกไว้ตอนนี้: %2\nค่าที่คุณแก้: %3\nบันทึกค่าที่คุณแก้ทับหรือไม่?")
                             .arg(r.why, theirs ? installmentWhat(theirs->value) : QString(),
                                  installmentWhat(i.value)))) {
                    follow();
                    return true;  // theirs stays; the form has nothing left to do
                }
                i.version = theirs->version;
                r = store_->updateInstallment(i);
            }
            if (r.outcome == StoreResult::Outcome::Gone) {
                platform_.msgBox(r.why);
                follow();
                return true;
            }
            // Anything else that failed keeps the form and what was typed.
            return saved = maySay(r);
        },
        this);
    if (formHook) formHook(form);
    if (form.exec() != QDialog::Accepted || !saved) return;
    undo_.push_back({Change::Kind::Edited, before, i});
    say(QStringLiteral("แก้งวดแล้ว: ") + installmentWhat(i.value));
    follow();
}

void frmRegister::removeInstallment() {
    const std::vector<InstallmentInfo> chosen = selectedInstallments(/*sayWhy=*/true);
    if (chosen.empty()) return;
    const InstallmentInfo i = chosen.front();
    QString question = QStringLiteral("ลบงวด %1 หรือไม่?").arg(installmentWhat(i.value));
    if (i.printed) question += QStringLiteral("\nงวดนี้พิมพ์ไปแล้ว: ตัวเลขที่พิมพ์ไว้จะถูกลบไปด้วย");
    if (!ask(question)) return;
    if (!maySay(store_->removeInstallment(i))) return;
    undo_.push_back({Change::Kind::Removed, i, {}});
    say(QStringLiteral("ลบงวดแล้ว: %1 (ย้อนกลับได้)").arg(installmentWhat(i.value)));
    follow();
}

void frmRegister::undo() {
    if (undo_.empty()) {
        say(QStringLiteral("ไม่มีการเปลี่ยนแปลงให้ย้อนกลับ"));
        return;
    }
    Change c = undo_.back();
    undo_.pop_back();
    if (c.kind != Change::Kind::Removed) {
        // Undone only as this window left it: a change made since, here
        // (the row's version moved on) or elsewhere, is not taken back.
        const std::optional<InstallmentInfo> now = store_->installment(c.after.id);
        if (!now) {
            platform_.msgBox(QStringLiteral("ย้อนกลับไม่ได้: งวดนี้ถูกลบจากที่อื่นไปแล้ว"));
            follow();
            return;
        }
        if (now->value != c.after.value) {
            platform_.msgBox(QStringLiteral("ย้อนกลับไม่ได้: งวดนี้ถูกแก้จากที่อื่นหลังจากที่แก้ไว้ที่นี่"));
            follow();
            return;
        }
        c.after.version = now->version;
    }
    StoreResult r;
    QString done;
    switch (c.kind) {
        case Change::Kind::Added:
            r = store_->removeInstallment(c.after);
            done = QStringLiteral("ย้อนกลับแล้ว: เอางวดที่เพิ่มออก (%1)").arg(installmentWhat(c.after.value));
            break;
        case Change::Kind::Edited: {
            InstallmentInfo back = c.after;
            back.value = c.before.value;
            r = store_->updateInstallment(back);
            done = QStringLiteral("ย้อนกลับแล้ว: งวดกลับเป็น %1").arg(installmentWhat(back.value));
            break;
        }
        case Change::Kind::Removed: {
            InstallmentInfo back = c.before;
            r = store_->addInstallment(back);
            // Back under a new id: the changes before its removal follow it.
            for (Change& earlier : undo_) {
                if (earlier.before.id == c.before.id) earlier.before.id = back.id;
                if (earlier.after.id == c.before.id) earlier.after.id = back.id;
            }
            done = QStringLiteral("ย้อนกลับแล้ว: นำงวดที่ลบกลับมา (%1)").arg(installmentWhat(back.value));
            break;
        }
    }
    if (!maySay(r)) return;
    say(done);
    follow();
}

void frmRegister::showHistory() {
    const std::vector<InstallmentInfo> chosen = selectedInstallments(/*sayWhy=*/true);
    if (chosen.empty()) return;
    QStringList lines;
    for (const HistoryEntry& h : store_->history(chosen.front().id))
        lines << QStringLiteral("%1  %2  %3: %4")
                     .arg(thaiDateTime(h.at), h.user, h.action, h.what);
    platform_.msgBox(QStringLiteral("ประวัติของงวด %1\n").arg(chosen.front().value.designation.trimmed()) +
                     (lines.isEmpty() ? QStringLiteral("ยังไม่มี") : lines.join(QLatin1Char('\n'))));
}

// ---- sheets -----------------------------------------------------------------

void frmRegister::printRows(const std::vector<InstallmentInfo>& rows, Printer* printer,
                            const QString& where) {
    if (rows.empty()) {
        say(QStringLiteral("ยังไม่ได้เลือกงวด"));
        return;
    }
    QString error;
    std::vector<std::pair<InstallmentInfo, QString>> skipped;
    const bool printed = register_->print(rows, *printer, &error, &skipped);
    QStringList notes;
    for (const auto& [info, why] : skipped)
        notes << QStringLiteral("%1: %2").arg(info.value.designation.trimmed(), why);
    if (!printed) {
        platform_.msgBox(error + (notes.isEmpty() ? QString() : QLatin1Char('\n') + notes.join('\n')));
        return;
    }
    QString text = QStringLiteral("พิมพ์รายการคำนวณ %1 งวด%2").arg(rows.size() - skipped.size()).arg(where);
    if (!notes.isEmpty()) text += QStringLiteral(" (ไม่ได้พิมพ์ %1 งวด: %2)").arg(skipped.size()).arg(notes.join(QStringLiteral("; ")));
    if (!error.isEmpty()) text += QStringLiteral(" แต่บันทึกว่าพิมพ์แล้วไม่ได้: ") + error;
    say(text);
    follow();
}

void frmRegister::printSelected() {
    if (Printer* printer = printerOrSay(platform_, QStringLiteral("จึงไม่ได้พิมพ์รายการคำนวณ")))
        printRows(selectedInstallments(), printer, QStringLiteral(" ไปที่เครื่องพิมพ์แล้ว"));
}

void frmRegister::printContract() {
    Printer* printer = printerOrSay(platform_, QStringLiteral("จึงไม่ได้พิมพ์รายการคำนวณ"));
    if (!printer) return;
    std::vector<InstallmentInfo> all;
    for (const RegisterRow& r : rows_) all.push_back(r.info);
    printRows(all, printer, QStringLiteral(" ไปที่เครื่องพิมพ์แล้ว"));
}

void frmRegister::savePdf() {
    std::vector<InstallmentInfo> rows = selectedInstallments();
    if (installments_->selectionModel()->selectedRows().size() <= 1) {
        rows.clear();  // one row only in focus: the whole contract
        for (const RegisterRow& r : rows_) rows.push_back(r.info);
    }
    const ContractLine* c = selectedContract();
    if (!c) return;
    static const QRegularExpression unfit(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]+"));
    QString name = QStringLiteral("ค่า K สัญญา %1.pdf").arg(c->info.number);
    name.replace(unfit, QStringLiteral("-"));
    const std::optional<QString> path = platform_.askPdfPath(name);
    if (!path) return;
    Printer* printer = platform_.pdfPrinter(*path);
    if (!printer) return;
    printRows(rows, printer, QStringLiteral(" ลงแฟ้ม %1 แล้ว").arg(*path));
}

// ---- files ------------------------------------------------------------------

void frmRegister::importCsv() {
    if (!register_) return;
    const std::optional<QString> path = chooseFile(this, QStringLiteral("นำเข้าสัญญาจากแฟ้ม CSV"),
                                                   QStringLiteral("CSV (*.csv)"), FileChoice::Existing);
    if (!path) return;
    QString error;
    const std::optional<QByteArray> bytes = readRegularFile(*path, &error);
    if (!bytes) {
        platform_.msgBox(error);
        return;
    }
    const ContractLine* c = selectedContract(false);
    bool ok = false;
    const QString number =
        QInputDialog::getText(this, QtPlatform::kTitle,
                              QStringLiteral("นำงวดในแฟ้มเข้าเป็นงวดของสัญญาเลขที่ (ถ้ายังไม่มีจะสร้างใหม่)"),
                              QLineEdit::Normal, c ? c->info.number : QFileInfo(*path).completeBaseName(), &ok)
            .trimmed();
    if (!ok || number.isEmpty()) return;
    const CsvText text = decodeCsvBytes(*bytes);
    const Register::Import result = register_->importCsv(text, number);
    if (!result.done()) {
        QStringList lines{result.error};
        for (const ContractRow& r : result.refused)
            lines << QStringLiteral("แถวที่ %1: %2").arg(r.row).arg(r.error);
        platform_.msgBox(lines.join(QLatin1Char('\n')));
        return;
    }
    shownContract_ = result.contract.id;
    search_->clear();
    say(QStringLiteral("นำเข้า %1 งวดเป็นงวดของสัญญาเลขที่ %2%3 แล้ว")
            .arg(result.added)
            .arg(result.contract.number, result.created ? QStringLiteral(" (สัญญาใหม่)") : QString()));
    follow();
}

void frmRegister::exportCsv() {
    const ContractLine* c = selectedContract();
    if (!c) return;
    static const QRegularExpression unfit(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]+"));
    QString name = QStringLiteral("สัญญา %1.csv").arg(c->info.number);
    name.replace(unfit, QStringLiteral("-"));
    const std::optional<QString> path = chooseFile(this, QStringLiteral("ส่งออกสัญญาเป็นแฟ้ม CSV"),
                                                   QStringLiteral("CSV (*.csv)"), FileChoice::Write, name);
    if (!path) return;
    QString error;
    if (!replaceFile(*path, cli::kUtf8Mark + register_->exportCsv(c->info.id).toUtf8(), &error)) {
        platform_.msgBox(error);
        return;
    }
    say(QStringLiteral("ส่งออกสัญญาเลขที่ %1 ลงแฟ้ม %2 แล้ว").arg(c->info.number, *path));
}

void frmRegister::openOther() {
    const std::optional<QString> path =
        chooseFile(this, QStringLiteral("เปิดหรือสร้างทะเบียนสัญญา"), QStringLiteral("ทะเบียนสัญญา (*.sqlite)"),
                   FileChoice::OpenOrCreate, kRegisterName);
    if (!path) return;
    QString error;
    if (!open(*path, /*create=*/true, &error)) platform_.msgBox(error);
}

void frmRegister::setOffice() {
    if (!register_) return;
    bool ok = false;
    const QString office = QInputDialog::getText(this, QtPlatform::kTitle,
                                                 QStringLiteral("หัวรายงานสรุปงบประมาณ (ชื่อหน่วยงาน)"),
                                                 QLineEdit::Normal, store_->office(), &ok);
    if (!ok) return;
    if (maySay(store_->setOffice(office.trimmed()))) say(QStringLiteral("บันทึกหัวรายงานแล้ว"));
}

void frmRegister::showBudget() {
    if (!register_) return;
    auto* budget = new frmBudget(platform_, *register_, this);
    budget->setAttribute(Qt::WA_DeleteOnClose);
    budget->show();
}

void frmRegister::connectOffice() {
    PostgresLogin shown;
    if (store_ && isServerLocation(store_->location()))
        shown = PostgresLogin::fromLocation(store_->location()).value_or(PostgresLogin());
    OfficeDialog dialog(shown, this);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted) return;
        const PostgresLogin login = dialog.login();
        QString error;
        if (!open(login.location(), /*create=*/true, &error, login.password)) {
            platform_.msgBox(error);
            continue;  // the dialog again, with what was typed
        }
        QString why;
        if (dialog.keepPassword() && !login.password.isEmpty() &&
            !keystore::store(login.location(), login.password, &why))
            say(why + QStringLiteral(": ครั้งหน้าต้องใส่รหัสผ่านอีกครั้ง"));
        return;
    }
}
