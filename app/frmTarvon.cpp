#include "app/frmTarvon.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>

#include "print/Fonts.h"

namespace {
// Twips to pixels at 96 dots per inch.
constexpr int px(int twips) { return twips / 15; }
}  // namespace

frmTarvon::frmTarvon(const QString& pdfPath, QWidget* parent)
    : QMainWindow(parent), platform_(this, pdfPath), commands_(platform_) {
    setObjectName(QStringLiteral("frmTarvon"));
    auto* client = new QWidget(this);
    // The form's own font; the menu keeps the desktop's menu font.
    client->setFont(thaiFont(QStringLiteral("Browallia New"), 8.25));
    client->setFixedSize(px(4785), px(3375));
    setCentralWidget(client);

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
        auto* button = new QPushButton(c.buttonCaption, client);
        button->setObjectName(QString::fromLatin1(c.button));
        button->setFont(buttonFont);
        button->setGeometry(px(240), px(top), px(4335), px(495));
        top += 600;
        QAction* item = mnuK->addAction(c.menuCaption);
        item->setObjectName(QString::fromLatin1(c.menuItem));
        // A button and its menu item run one implementation.
        const auto run = c.run;
        connect(button, &QPushButton::clicked, this, [this, run] { (commands_.*run)(); });
        connect(item, &QAction::triggered, this, [this, run] { (commands_.*run)(); });
    }
    if (auto* first = client->findChild<QPushButton*>(QStringLiteral("cmdO"))) first->setFocus();
}
