#include "app/frmTarvon.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "app/StateSummary.h"
#include "app/HelpWindow.h"
#include "app/PanelLine.h"
#include "app/ScreenFit.h"
#include "app/frmIndexTable.h"
#include "app/frmRegister.h"
#include "print/Fonts.h"

namespace {
// Twips to pixels at 96 dots per inch.
constexpr int px(int twips) { return twips / 15; }
}  // namespace

frmTarvon::frmTarvon(const QString& pdfPath, QWidget* parent)
    : QMainWindow(parent), platform_(this, pdfPath), commands_(platform_) {
    setObjectName(QStringLiteral("frmTarvon"));
    auto* client = new QWidget(this);
    setCentralWidget(client);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The buttons keep the form's own place and size, top left.
    auto* buttons = new QWidget(client);
    buttons->setObjectName(QStringLiteral("buttons"));
    // The form's own font; the menu keeps the desktop's menu font.
    buttons->setFont(thaiFont(QStringLiteral("Browallia New"), 8.25));
    buttons->setFixedSize(px(4785), px(3375));
    row->addWidget(buttons, 0, Qt::AlignTop);

    struct Command {
        const char* button;
        const char* menuItem;
        QString buttonCaption;
        QString menuCaption;
        void (Tarvon::*run)();
    };
    const Command commands[] = {
        {"cmdO", "mnuO", QStringLiteral("ป้อนข้อมูลวันเปิดซองประกวด/สอบ ราคา"),
         QStringLiteral("ป้อนข้อมูลเดือนเปิดซอง"), &Tarvon::cmdO_Click},
        {"cmdT", "mnuT", QStringLiteral("ป้อนข้อมูลวันส่งงวดงาน"), QStringLiteral("ป้อนข้อมูลเดือนส่งงวดงาน"),
         &Tarvon::cmdT_Click},
        {"cmdFormula", "mnuFormula", QStringLiteral("กำหนดสูตรค่า K ระหว่าง 1 ถึง 13"),
         QStringLiteral("ป้อนหมายเลขสูตร 1 ถึง 13"), &Tarvon::cmdFormula_Click},
        {"cmdPrint", "mnuPrint", QStringLiteral("พิมพ์รายการคำนวณค่า K"),
         QStringLiteral("พิมพ์รายการคำนวณค่า K"), &Tarvon::cmdPrint_Click},
        {"cmdExit", "mnuExit", QStringLiteral("เลิกงาน"), QStringLiteral("เลิกงาน"),
         &Tarvon::cmdExit_Click},
    };
    const QFont buttonFont = thaiFont(QStringLiteral("Browallia New"), 15.75);
    QMenu* mnuK = menuBar()->addMenu(QStringLiteral("ค่า &K ตามสูตร 1 ถึง 13"));
    mnuK->setObjectName(QStringLiteral("mnuK"));
    int top = 240;
    for (const Command& c : commands) {
        auto* button = new QPushButton(c.buttonCaption, buttons);
        button->setObjectName(QString::fromLatin1(c.button));
        button->setFont(buttonFont);
        button->setGeometry(px(240), px(top), px(4335), px(495));
        // Enter presses the button that has the focus, as Space does.
        button->setAutoDefault(true);
        top += 600;
        QAction* item = mnuK->addAction(c.menuCaption);
        item->setObjectName(QString::fromLatin1(c.menuItem));
        // A button and its menu item run one implementation.
        const auto command = c.run;
        connect(button, &QPushButton::clicked, this, [this, command] { run(command); });
        connect(item, &QAction::triggered, this, [this, command] { run(command); });
    }
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("บันทึก (&S)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    QAction* savePdf = mnuFile->addAction(QStringLiteral("บันทึกเป็น PDF…"));
    savePdf->setObjectName(QStringLiteral("mnuSavePdf"));
    connect(savePdf, &QAction::triggered, this, [this] { run(&Tarvon::mnuSavePdf_Click); });
    QMenu* mnuTable = menuBar()->addMenu(QStringLiteral("ตารางดัชนี (&T)"));
    mnuTable->setObjectName(QStringLiteral("mnuTable"));
    QAction* editTable = mnuTable->addAction(QStringLiteral("แก้ไขตารางดัชนีราคา…"));
    editTable->setObjectName(QStringLiteral("mnuIndexTable"));
    connect(editTable, &QAction::triggered, this, [this] { editIndexTable(); });
    QMenu* mnuContract = menuBar()->addMenu(QStringLiteral("สัญญา (&C)"));
    mnuContract->setObjectName(QStringLiteral("mnuContract"));
    QAction* openRegister = mnuContract->addAction(QStringLiteral("ทะเบียนสัญญา…"));
    openRegister->setObjectName(QStringLiteral("mnuContracts"));
    connect(openRegister, &QAction::triggered, this, [this] { showRegister(); });
    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("วิธีใช้ (&H)"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    QAction* guide = mnuHelp->addAction(QStringLiteral("คู่มือการใช้งาน"));
    guide->setObjectName(QStringLiteral("mnuGuide"));
    guide->setShortcut(QKeySequence::HelpContents);
    connect(guide, &QAction::triggered, this, [this] { showGuide(); });

    // The panel: the latest news, then one titled line a part of the state,
    // each line one label that a screen reader reads with its title
    // ("วันเปิดซอง: 15 มกราคม ..."), the values standing in one column.
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("statePanel"));
    panel->setFont(buttonFont);
    auto* lines = new QVBoxLayout(panel);
    news_ = new PanelLine(QStringLiteral("ล่าสุด"), /*news=*/true);
    news_->setObjectName(QStringLiteral("news"));
    lines->addWidget(news_);
    for (const SummaryLine& line : stateSummary(commands_.state(), commands_.table())) {
        auto* value = new PanelLine(line.title, /*news=*/false);
        value->setObjectName(QStringLiteral("summary"));
        lines->addWidget(value);
        values_.push_back(value);
    }
    lines->addStretch(1);
    int titles = news_->titleWidth();
    for (PanelLine* value : values_) titles = std::max(titles, value->titleWidth());
    // The spacing a layout puts between two labels side by side.
    int spacing = panel->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, panel);
    if (spacing < 0)
        spacing = panel->style()->combinedLayoutSpacing(QSizePolicy::Label, QSizePolicy::Label,
                                                        Qt::Horizontal, nullptr, panel);
    const int column = titles + std::max(0, spacing);
    news_->setTitleColumn(column);
    for (PanelLine* value : values_) value->setTitleColumn(column);
    auto* scroll = new QScrollArea(client);
    scroll->setObjectName(QStringLiteral("panelScroll"));
    // A keyboard stop where the panel is larger than its room: it scrolls.
    scroll->setAccessibleName(QStringLiteral("ข้อมูลที่จะใช้คำนวณ"));
    scroll->setWidget(panel);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    row->addWidget(scroll, 1);
    platform_.onNotice = [this](const QString& text) { news_->setValue(text); };
    panel_ = panel;
    panel_->installEventFilter(this);

    if (auto* first = buttons->findChild<QPushButton*>(QStringLiteral("cmdO"))) first->setFocus();

    // The client area's size, where the screen has room for it; on a
    // smaller screen (or a larger text scale) it gives way and the panel
    // scrolls, the buttons keeping their size and place.
    const QSize room = roomOnScreen(this) - QSize(0, menuBar()->sizeHint().height());
    client->setMinimumSize(std::min(kClientWidth, room.width()), std::min(kClientHeight, room.height()));
    fitToScreen(this, sizeHint());
}

bool frmTarvon::eventFilter(QObject* watched, QEvent* event) {
    // The values can be selected (and copied) with the mouse once it comes
    // over the panel: a selectable label lays its text out as a document,
    // which would cost the window's start-up a tenth, and looks the same.
    if (watched == panel_ && event->type() == QEvent::Enter) {
        panel_->removeEventFilter(this);
        news_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        for (PanelLine* value : values_) value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmTarvon::showGuide() {
    const QString guide = guidePath(QCoreApplication::applicationDirPath());
    if (guide.isEmpty()) {
        platform_.msgBox(QStringLiteral("ไม่พบคู่มือการใช้งาน (guide.md): ติดตั้งโปรแกรมใหม่ หรือดูที่ /usr/share/doc/tarvon/"));
        return;
    }
    auto* help = new HelpWindow(guide, this);
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->show();  // beside the window, not in its way
}

frmRegister* frmTarvon::showRegister() {
    if (!register_) {
        auto* window = new frmRegister(platform_, QFileInfo(commands_.table().path()).absoluteFilePath(), this);
        window->setWindowFlag(Qt::Window);
        QString error;
        if (!window->open(frmRegister::defaultLocation(), /*create=*/true, &error)) {
            delete window;
            platform_.msgBox(error);
            return nullptr;
        }
        register_ = window;
    }
    register_->show();
    register_->raise();
    register_->activateWindow();
    return register_;
}

void frmTarvon::editIndexTable() {
    frmIndexTable dialog(this);
    QString error;
    if (!dialog.open(commands_.table().path(), &error)) {
        platform_.msgBox(error);
        return;
    }
    dialog.exec();
    refresh();  // the next search reads the table as it was saved
}

bool frmTarvon::Form_Load(QString* error) {
    const bool loaded = commands_.Form_Load(error);
    refresh();
    return loaded;
}

void frmTarvon::run(void (Tarvon::*command)()) {
    news_->setValue(QString());
    (commands_.*command)();
    refresh();
}

void frmTarvon::refresh() {
    commands_.followTable();  // the panel shows the table as it is now
    const std::vector<SummaryLine> lines = stateSummary(commands_.state(), commands_.table());
    for (size_t i = 0; i < lines.size() && i < values_.size(); ++i) values_[i]->setValue(lines[i].text);
}
