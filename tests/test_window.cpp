// The main window's panel as the eye and a screen reader meet it, and the
// windows' places on screens of any size; on the offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <functional>

#include "TableFiles.h"
#include "app/ScreenFit.h"
#include "app/frmTarvon.h"

namespace {

class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.table(record({"2548", "1", "100", "100", "100", "100", "100"}));
        ASSERT_TRUE(window.Form_Load(nullptr));
        window.show();
        QApplication::processEvents();
    }
    QList<PanelLine*> lines() const { return window.findChildren<PanelLine*>(); }
    // The formula prompt cancelled: news, "ยกเลิกการกำหนดสูตรแล้ว: ...".
    void cancelFormula() {
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        window.findChild<QAction*>(QStringLiteral("mnuFormula"))->trigger();
    }
    WorkingFolder folder;
    frmTarvon window;
};

// One label a line, the title drawn beside its value: the panel looks as the
// two columns of plain labels it was, title and value, at every width.
TEST_F(PanelTest, LooksAsAColumnOfTitlesBesideAColumnOfValues) {
    QWidget* panel = window.findChild<QWidget*>(QStringLiteral("statePanel"));
    ASSERT_TRUE(panel);
    cancelFormula();
    for (const int wider : {0, 200}) {
        window.resize(window.width() + wider, window.height());
        QApplication::processEvents();
        QWidget frame;  // margins of a widget inside a window, as the panel's
        auto& columns = *new QWidget(&frame);
        columns.setFont(panel->font());
        auto* grid = new QGridLayout(&columns);
        grid->setColumnStretch(1, 1);
        for (const PanelLine* line : lines()) {
            const int at = grid->rowCount();
            auto* value = new QLabel(line->text());
            value->setWordWrap(line->wordWrap());
            grid->addWidget(new QLabel(line->title() + QLatin1Char(':')), at, 0, Qt::AlignTop);
            grid->addWidget(value, at, 1, Qt::AlignTop);
        }
        grid->setRowStretch(grid->rowCount(), 1);
        frame.resize(panel->size());
        columns.resize(panel->size());
        frame.show();
        QApplication::processEvents();
        // Pixel for pixel, but for what the value label's left edge cut off
        // of a leading vowel's overhang (ไ of "ไม่มี"), which is now drawn.
        const QImage now = panel->grab().toImage(), was = columns.grab().toImage();
        ASSERT_EQ(now.size(), was.size());
        int differ = 0;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x) differ += now.pixel(x, y) != was.pixel(x, y);
        EXPECT_LE(differ, 8) << wider;
    }
}

// Every accessible object of `root` and below, depth first.
void eachAccessible(QAccessibleInterface* root, const std::function<void(QAccessibleInterface*)>& visit) {
    if (!root) return;
    visit(root);
    for (int i = 0; i < root->childCount(); ++i) eachAccessible(root->child(i), visit);
}

// A screen reader meets each line once, its title read with its value, and
// no object a keyboard can reach without a name to call it by.
TEST_F(PanelTest, OneAccessibleObjectALineAndNoNamelessStop) {
    // The values become selectable, and so focusable, under the pointer.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(window.findChild<QWidget*>(QStringLiteral("statePanel")), &enter);
    QStringList names, unnamedStops;
    eachAccessible(QAccessible::queryAccessibleInterface(&window), [&](QAccessibleInterface* a) {
        const QString name = a->text(QAccessible::Name);
        names << name;
        if (a->state().focusable && !a->state().invisible && name.isEmpty())
            unnamedStops << a->object()->metaObject()->className();
    });
    ASSERT_EQ(lines().size(), 12);
    for (const PanelLine* line : lines()) {
        const int readings = int(std::count_if(names.begin(), names.end(), [&](const QString& n) {
            return n == line->title() || n.startsWith(line->title() + QStringLiteral(":"));
        }));
        EXPECT_EQ(readings, 1) << line->title().toStdString();
        const QString said = line->text().isEmpty() ? line->title() : line->title() + QStringLiteral(": ") + line->text();
        EXPECT_TRUE(names.contains(said)) << said.toStdString();
    }
    EXPECT_TRUE(unnamedStops.isEmpty()) << unnamedStops.join(QLatin1Char(' ')).toStdString();
}

// The news is a notification that shows afresh, its text in its name, each
// time a command brings news: what a screen reader announces (Qt tells the
// accessibility bus of each show; tests/e2e/panel.sh hears it there).
class ShowCounter : public QObject {
  public:
    QStringList shownAs;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) shownAs << static_cast<QWidget*>(watched)->accessibleName();
        return false;
    }
};

TEST_F(PanelTest, TheNewsIsAnnouncedWhenItComes) {
    PanelLine* news = window.findChild<PanelLine*>(QStringLiteral("news"));
    ASSERT_TRUE(news);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(news)->role(), QAccessible::Notification);
    ShowCounter shows;
    news->installEventFilter(&shows);
    // The formula prompt cancelled, twice: the same news each time.
    cancelFormula();
    cancelFormula();
    const QString said = QStringLiteral("ล่าสุด: ยกเลิกการกำหนดสูตรแล้ว: ยังใช้สูตรหมายเลข 1");
    EXPECT_EQ(shows.shownAs, QStringList({said, said}));
    EXPECT_EQ(news->accessibleName(), said);
    EXPECT_TRUE(news->isVisible());
}

// The one rule of where a window opens: the size it wants where the room
// allows, centred on its parent, within the room left by the frame.
TEST(ScreenFit, TheWantedSizeWithinTheRoomCentredOnTheParent) {
    const struct {
        QSize wanted;
        QRect available, over;
        QMargins frame;
        QRect placed;
    } cases[] = {
        // Room enough: centred on the parent.
        {{400, 300}, {0, 0, 1366, 768}, {100, 100, 800, 600}, {}, {300, 250, 400, 300}},
        // Too large: cut to the room below a desktop's panel, centred.
        {{1000, 600}, {0, 32, 1024, 568}, {0, 32, 1024, 568}, {}, {12, 32, 1000, 568}},
        {{1500, 900}, {0, 0, 910, 512}, {0, 0, 900, 512}, {}, {0, 0, 910, 512}},
        // Centred on a parent near an edge: moved inside.
        {{900, 700}, {0, 0, 1024, 768}, {0, 0, 400, 300}, {}, {0, 0, 900, 700}},
        {{300, 200}, {0, 0, 1024, 768}, {900, 700, 124, 68}, {}, {724, 568, 300, 200}},
        // The frame the desktop draws is room taken.
        {{1000, 600}, {0, 0, 1024, 600}, {0, 0, 1024, 600}, {4, 30, 4, 4}, {12, 30, 1000, 566}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fittedGeometry(c.wanted, c.available, c.over, c.frame), c.placed)
            << c.wanted.width() << "x" << c.wanted.height();
    }
}

}  // namespace
