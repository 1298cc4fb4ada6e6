// The lower bound of the window's start-up: a bare Qt window of the
// window's size, with the same five buttons in their places, the same Thai
// captions in the same font, the same menus, and beside the buttons the same
// panel texts in plain labels, given as TITLE VALUE pairs on the command
// line. Nothing else: no table, no stand-in font measured, no line breaking,
// no selectable text, no printing.
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* client = new QWidget(&window);
    client->setMinimumSize(900, 540);
    window.setCentralWidget(client);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* buttons = new QWidget(client);
    buttons->setFixedSize(319, 225);
    row->addWidget(buttons, 0, Qt::AlignTop);
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("ค่า &K ตามสูตร 1 ถึง 13"));
    QFont font(QStringLiteral("Browallia New"));
    font.setPointSizeF(15.75);
    int top = 16;
    for (const QString& caption :
         {QStringLiteral("ป้อนข้อมูลวันเปิดซองประกวด/สอบ ราคา"), QStringLiteral("ป้อนข้อมูลวันส่งงวดงาน"),
          QStringLiteral("กำหนดสูตรค่า K ระหว่าง 1 ถึง 13"), QStringLiteral("พิมพ์รายการคำนวณค่า K"),
          QStringLiteral("เลิกงาน")}) {
        auto* button = new QPushButton(caption, buttons);
        button->setFont(font);
        button->setGeometry(16, top, 289, 33);
        top += 40;
        menu->addAction(caption);
    }
    window.menuBar()->addMenu(QStringLiteral("บันทึก (&S)"))->addAction(QStringLiteral("บันทึกเป็น PDF…"));
    window.menuBar()
        ->addMenu(QStringLiteral("ตารางดัชนี (&T)"))
        ->addAction(QStringLiteral("แก้ไขตารางดัชนีราคา…"));
    window.menuBar()->addMenu(QStringLiteral("วิธีใช้ (&H)"))->addAction(QStringLiteral("คู่มือการใช้งาน"));
    auto* panel = new QWidget(client);
    panel->setFont(font);
    auto* grid = new QGridLayout(panel);
    for (int i = 1; i + 1 < argc; i += 2) {
        grid->addWidget(new QLabel(QString::fromUtf8(argv[i])), i / 2, 0, Qt::AlignTop);
        grid->addWidget(new QLabel(QString::fromUtf8(argv[i + 1])), i / 2, 1, Qt::AlignTop);
    }
    row->addWidget(panel, 1);
    window.setWindowTitle(QStringLiteral("สูตรหมายเลข  1"));
    window.show();
    return app.exec();
}
