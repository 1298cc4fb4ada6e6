// The lower bound of the window's start-up: a bare Qt window with the same
// five buttons in their places, the same Thai captions in the same font, and
// the same menu. Nothing else: no table, no panel, no printing.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* client = new QWidget(&window);
    client->setFixedSize(319, 225);
    window.setCentralWidget(client);
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("ค่า &K ตามสูตร 1 ถึง 13"));
    QFont font(QStringLiteral("Browallia New"));
    font.setPointSizeF(15.75);
    int top = 16;
    for (const QString& caption :
         {QStringLiteral("ป้อนข้อมูลวันเปิดซองประกวด/สอบ ราคา"), QStringLiteral("ป้อนข้อมูลวันส่งงวดงาน"),
          QStringLiteral("กำหนดสูตรค่า K ระหว่าง 1 ถึง 13"), QStringLiteral("พิมพ์รายการคำนวณค่า K"),
          QStringLiteral("เลิกงาน")}) {
        auto* button = new QPushButton(caption, client);
        button->setFont(font);
        button->setGeometry(16, top, 289, 33);
        top += 40;
        menu->addAction(caption);
    }
    window.setWindowTitle(QStringLiteral("สูตรหมายเลข  1"));
    window.show();
    return app.exec();
}
