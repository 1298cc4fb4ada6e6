// The real window and the Qt side of the seam, on the offscreen platform.
#include <cups/ipp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QTextBrowser>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <functional>

#include "SheetRun.h"
#include "TableFiles.h"
#include "app/HelpWindow.h"
#include "app/frmIndexTable.h"
#include "app/frmTarvon.h"
#include "escalation/Formulas.h"
#include "print/CupsJob.h"
#include "print/Fonts.h"
#include "base/LoadedLibrary.h"

namespace {

// Answers the next modal prompt boxes with `replies`, in order, as a user
// typing them and pressing OK would; records each prompt text.
void answerPrompts(QStringList replies, QStringList* prompts) {
    QTimer::singleShot(0, [replies, prompts]() mutable {
        auto* dlg = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dlg) {  // not shown yet
            answerPrompts(replies, prompts);
            return;
        }
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tarvon"));
        prompts->append(dlg->labelText());
        dlg->setTextValue(replies.takeFirst());
        dlg->accept();
        if (!replies.isEmpty()) answerPrompts(replies, prompts);
    });
}

QByteArray runBytes(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

QString run(const QString& program, const QStringList& args) {
    return QString::fromUtf8(runBytes(program, args));
}

// A text extractor lays spaces out by where the words stand: texts are
// compared with every blank left out.
QString squeeze(QString text) {
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    return text.remove(blanks);
}

}  // namespace

class WindowTest : public ::testing::Test {
  protected:
    WorkingFolder folder;
};

TEST_F(WindowTest, FiveButtonsInOneColumnWithTheirCaptionsInFull) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("สูตรหมายเลข  1"));
    const QStringList names = {"cmdO", "cmdT", "cmdFormula", "cmdPrint", "cmdExit"};
    int top = 16;
    for (const QString& name : names) {
        auto* b = w.findChild<QPushButton*>(name);
        ASSERT_TRUE(b) << name.toStdString();
        EXPECT_EQ(b->geometry(), QRect(16, top, 289, 33));
        top += 40;
        const QFontMetricsF fm(b->font());
        EXPECT_LT(fm.horizontalAdvance(b->text()), b->width() - 8) << name.toStdString();
        EXPECT_LE(fm.height(), b->height()) << name.toStdString();
    }
    auto* menu = w.menuBar()->findChild<QMenu*>(QStringLiteral("mnuK"));
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->title(), QStringLiteral("ค่า &K ตามสูตร 1 ถึง 13"));
    QStringList items;
    for (QAction* a : menu->actions()) items << a->objectName();
    EXPECT_EQ(items, QStringList({"mnuO", "mnuT", "mnuFormula", "mnuPrint", "mnuExit"}));
}

TEST_F(WindowTest, MenuItemAndButtonAskTheFormulaAndTheCaptionFollows) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    QStringList prompts;
    answerPrompts({"12"}, &prompts);
    w.findChild<QAction*>(QStringLiteral("mnuFormula"))->trigger();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("สูตรหมายเลข  12"));
    answerPrompts({"-3"}, &prompts);
    w.findChild<QPushButton*>(QStringLiteral("cmdFormula"))->click();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("สูตรหมายเลข -3"));
    EXPECT_EQ(prompts, QStringList({Tarvon::kFormulaPrompt, Tarvon::kFormulaPrompt}));
}

// Both boxes speak Thai on their buttons too, and a number typed in Thai
// digits is the same number. Answers "abc" (refused with a message box),
// then "๑๒".
TEST_F(WindowTest, ThaiButtonsOnBothBoxesAndThaiDigitsInReplies) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    QStringList buttons;
    int step = 0;
    std::function<void()> answer = [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            QTimer::singleShot(0, answer);
            return;
        }
        QStringList texts;
        for (QAbstractButton* b : modal->findChildren<QAbstractButton*>()) texts << b->text();
        texts.sort();
        buttons << modal->metaObject()->className() + QStringLiteral(": ") +
                       texts.join(QLatin1Char(' '));
        if (auto* dlg = qobject_cast<QInputDialog*>(modal)) {
            dlg->setTextValue(step++ == 0 ? QStringLiteral("abc") : QStringLiteral("๑๒"));
            dlg->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->accept();
        }
        if (step < 2 || buttons.size() < 3) QTimer::singleShot(0, answer);
    };
    QTimer::singleShot(0, answer);
    w.findChild<QAction*>(QStringLiteral("mnuFormula"))->trigger();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("สูตรหมายเลข  12"));
    EXPECT_EQ(buttons, QStringList({QStringLiteral("QInputDialog: ตกลง ยกเลิก"),
                                    QStringLiteral("QMessageBox: ตกลง"),
                                    QStringLiteral("QInputDialog: ตกลง ยกเลิก")}));
}

// Enter on the focused button runs its command, as Space and a click do.
TEST_F(WindowTest, EnterPressesTheFocusedButton) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    QStringList prompts;
    answerPrompts({"7"}, &prompts);
    auto* button = w.findChild<QPushButton*>(QStringLiteral("cmdFormula"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(prompts, QStringList{Tarvon::kFormulaPrompt});
    EXPECT_EQ(w.windowTitle(), QStringLiteral("สูตรหมายเลข  7"));
}

// The panel beside the buttons shows the state after every command, each
// value a label a screen reader reads with its title; a larger window
// gives the panel the room and leaves the buttons where they were.
TEST_F(WindowTest, ThePanelFollowsEveryCommandAndTakesTheRoom) {
    folder.table(record({"2548", "1", "100", "100", "100", "100"}));
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    w.show();
    const auto value = [&](const QString& title) {
        for (QLabel* l : w.findChildren<QLabel*>())
            if (l->accessibleName() == title + QStringLiteral(": ") + l->text()) return l->text();
        return QStringLiteral("(no label %1)").arg(title);
    };
    EXPECT_TRUE(value(QStringLiteral("แฟ้มดัชนีราคา")).contains(QStringLiteral("1 เดือน (ระเบียนแรก 1/2548")))
        << value(QStringLiteral("แฟ้มดัชนีราคา")).toStdString();
    EXPECT_EQ(value(QStringLiteral("วันเปิดซอง")), QStringLiteral("ยังไม่ได้ป้อน"));
    QStringList prompts;
    answerPrompts({"15", "1", "2548"}, &prompts);
    w.findChild<QPushButton*>(QStringLiteral("cmdO"))->click();
    EXPECT_TRUE(value(QStringLiteral("วันเปิดซอง")).startsWith(QStringLiteral("15 มกราคม พ.ศ. 2548")))
        << value(QStringLiteral("วันเปิดซอง")).toStdString();
    answerPrompts({"9"}, &prompts);
    w.findChild<QAction*>(QStringLiteral("mnuFormula"))->trigger();
    EXPECT_TRUE(value(QStringLiteral("สูตร")).startsWith(QStringLiteral("สูตรที่ 9")));

    auto* scroll = w.findChild<QScrollArea*>();
    ASSERT_TRUE(scroll);
    const int panelWidth = scroll->width();
    const QRect cmdO = w.findChild<QPushButton*>(QStringLiteral("cmdO"))->geometry();
    w.resize(w.width() + 300, w.height() + 200);
    QApplication::processEvents();
    EXPECT_EQ(scroll->width(), panelWidth + 300);
    EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("cmdO"))->geometry(), cmdO);
}

// Every value of the panel, the news too, can be selected with the mouse
// once the pointer is over the panel, wherever it comes in.
TEST_F(WindowTest, PanelValuesAreSelectableUnderThePointer) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    w.show();
    auto* panel = w.findChild<QWidget*>(QStringLiteral("statePanel"));
    ASSERT_TRUE(panel);
    const auto values = [&] {
        QList<QLabel*> found;
        for (QLabel* l : panel->findChildren<QLabel*>())
            if (!l->property("title").toString().isEmpty()) found << l;
        return found;
    };
    ASSERT_EQ(values().size(), 12);
    QLabel* inner = values().last();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(panel, &enter);
    for (QLabel* l : values())
        EXPECT_EQ(l->textInteractionFlags(), Qt::TextSelectableByMouse) << l->text().toStdString();
    // Text laid out for selection looks as it did.
    const QImage before = inner->grab().toImage();
    inner->setTextInteractionFlags(Qt::NoTextInteraction);
    EXPECT_EQ(inner->grab().toImage(), before);
}

// A value short enough to be left unbroken fits the panel's value column at
// the window's smallest, in the widest letters there are.
TEST_F(WindowTest, AnUnbrokenValueFitsTheSmallestWindow) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    w.show();
    w.resize(w.minimumSize());
    QApplication::processEvents();
    QLabel* value = w.findChild<QLabel*>(QStringLiteral("news"));
    ASSERT_TRUE(value);
    const QFontMetrics fm(value->font());
    for (const char* letter : {"W", "M", "@", "ฒ", "ฌ", "ญ", "ฎ", "ฟ"}) {
        const QString text = QString::fromUtf8(letter).repeated(frmTarvon::kUnbrokenValue);
        EXPECT_LE(fm.horizontalAdvance(text), value->width()) << letter;
    }
}

// The month and formula lists stand on one line where the screen has room,
// else on lines that break at their blanks only; the prompt is still the
// dialog's label text word for word.
TEST_F(WindowTest, LongPromptsBreakOnlyAtTheirBlanks) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    QStringList shown;
    std::function<void()> look = [&] {
        auto* dlg = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            QTimer::singleShot(0, look);
            return;
        }
        for (QLabel* l : dlg->findChildren<QLabel*>()) {
            if (l->isHidden()) continue;
            EXPECT_FALSE(l->wordWrap());
            for (const QString& line : l->text().split('\n'))
                EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(line),
                          dlg->screen()->availableGeometry().width());
            shown << l->text();
        }
        EXPECT_TRUE(dlg->labelText() == Tarvon::kFormulaPrompt ||
                    dlg->labelText().startsWith(QStringLiteral("เดือนเปิดซอง")));
        dlg->reject();
    };
    QTimer::singleShot(0, look);
    w.findChild<QPushButton*>(QStringLiteral("cmdFormula"))->click();
    QStringList prompts;
    answerPrompts({"15"}, &prompts);
    QTimer::singleShot(0, [&] { QTimer::singleShot(50, look); });
    w.findChild<QPushButton*>(QStringLiteral("cmdO"))->click();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(QString(shown[0]).replace('\n', ' '), Tarvon::kFormulaPrompt);
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("เดือนเปิดซอง")));
    // Every line ends where an item ends: never inside a month's name.
    for (const QString& line : shown[1].split('\n'))
        EXPECT_TRUE(line.endsWith(QStringLiteral("คม")) || line.endsWith(QStringLiteral("ยน")) ||
                    line.endsWith(QStringLiteral("ธ์")) || line.endsWith(QStringLiteral("เปิดซอง")))
            << line.toStdString();
}

// The index-table window from the menu "ตารางดัชนี": a month added there
// (the next month offered, the values pasted as a spreadsheet row) is asked
// about when the window closes unsaved, and once saved it is found by the
// main window's next search; the table as it was is kept beside it.
TEST_F(WindowTest, AMonthAddedInTheTableWindowIsFoundByTheNextSearch) {
    const QByteArray january = record({"2548", "1", "100", "100", "100", "100", "100"});
    folder.table(january);
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    QString offered, asked;
    std::function<void()> work = [&] {
        auto* table = qobject_cast<frmIndexTable*>(QApplication::activeModalWidget());
        if (!table) {
            QTimer::singleShot(0, work);
            return;
        }
        // The month form: the month offered, a spreadsheet row in one field.
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(form);
            offered = form->findChild<QLineEdit*>(QStringLiteral("monthYear"))->text();
            form->findChild<QLineEdit*>(QStringLiteral("value_M"))
                ->setText(QStringLiteral("110\t111\t112\t\t114\t115\t116\t117\t118\t119\t120\t\t"));
            form->accept();
        });
        table->addMonth();
        // Closing unsaved asks; Cancel keeps the window and its change.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            asked = box->text();
            box->button(QMessageBox::Cancel)->click();
        });
        table->reject();
        EXPECT_TRUE(table->isVisible());
        EXPECT_TRUE(table->save());
        table->reject();
    };
    QTimer::singleShot(0, work);
    w.findChild<QAction*>(QStringLiteral("mnuIndexTable"))->trigger();
    EXPECT_EQ(offered, QStringLiteral("2/2548"));
    EXPECT_TRUE(asked.contains(QStringLiteral("ยังไม่ได้บันทึก"))) << asked.toStdString();
    QFile backup(QStringLiteral("KTABLE.DAT.bak"));
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), january);

    QStringList entry;
    answerPrompts({"1", "2", "2548"}, &entry);
    w.findChild<QPushButton*>(QStringLiteral("cmdO"))->click();
    EXPECT_EQ(w.commands().state().OData[IndexColumn::I], 114.0f);
    EXPECT_EQ(w.commands().state().lngRecCount, 2);
}

// The menu "วิธีใช้" opens the user's guide beside the window, in Thai, its
// pictures with it; an installed guide is found beside the program.
TEST_F(WindowTest, TheHelpMenuOpensTheGuide) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    w.findChild<QAction*>(QStringLiteral("mnuGuide"))->trigger();
    auto* help = w.findChild<HelpWindow*>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    auto* browser = help->findChild<QTextBrowser*>();
    ASSERT_TRUE(browser);
    const QString text = browser->toPlainText();
    for (const char* says : {"คู่มือการใช้งานโปรแกรมคำนวณค่า K", "คำนวณงวดงานหนึ่งงวดทีละขั้น",
                             "เพิ่มดัชนีราคาของเดือนใหม่", "ข้อความที่อาจพบและวิธีแก้"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(says))) << says;
    const QVariant picture = browser->document()->resource(
        QTextDocument::ImageResource, browser->source().resolved(QUrl(QStringLiteral("window.png"))));
    EXPECT_TRUE(picture.isValid());

    const QString installed = folder.path(QStringLiteral("usr/share/doc/tarvon/guide.md"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(installed).path()) && QDir().mkpath(folder.path(QStringLiteral("usr/bin"))));
    writeFile(installed, "# guide");
    EXPECT_EQ(guidePath(folder.path(QStringLiteral("usr/bin"))), QDir::cleanPath(installed));
}

TEST_F(WindowTest, QuitClosesTheTable) {
    frmTarvon w;
    ASSERT_TRUE(w.Form_Load(nullptr));
    w.show();
    w.findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
    EXPECT_FALSE(w.commands().table().isOpen());
    EXPECT_FALSE(w.isVisible());
}

TEST(StandInFont, AverageWidthMatchesTheFontAskedFor) {
    const QFont f = thaiFont(QStringLiteral("Browallia New"), 16);
    QFont px(f);
    px.setPixelSize(1000);
    const double em = QFontMetricsF(px).averageCharWidth() / 1000.0;
    if (QFontInfo(f).family() != QStringLiteral("Browallia New")) {
        EXPECT_NEAR(em * f.pointSizeF() / 16, kBrowalliaAverageEm, 0.005);
        EXPECT_LT(f.pointSizeF(), 16);
    }
}

// The longest sheet: ten items with 50-character names, millions at col 75.
// Wide Latin names push the "=" of items 2 to 10 onto lines of their own
// (39 printed lines); Thai names do not (30 lines). Both must fit.
class LongestSheet : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Names, LongestSheet, ::testing::Values(false, true));
TEST_P(LongestSheet, FitsOneA4PageWithItsText) {
    WorkingFolder folder;
    SheetRun r;
    r.values({{IndexColumn::I, {120, 126}},
              {IndexColumn::C, {100, 108}},
              {IndexColumn::M, {110, 121}},
              {IndexColumn::S, {105, 115.5f}}});
    r.st.lngODay = r.st.lngTDay = 28;
    r.st.strOMonth = r.st.strTMonth = QStringLiteral("พฤศจิกายน");
    r.st.lngOYear = r.st.lngTYear = 2562;
    r.st.strInstallment = fixedText(QStringLiteral("12 (งวดสุดท้าย)"), 50);
    r.st.dblAmount = 9876543.21;
    r.st.dblNetAmount = 9876543.21 - 10 * 123456.78;
    const bool wide = GetParam();
    for (int i = 0; i < 10; ++i) {
        r.st.strEquipName[i] =
            wide ? QString(50, QLatin1Char('W'))
                 : fixedText(
                       QStringLiteral("เครื่องกำเนิดไฟฟ้าขนาดใหญ่พิเศษสำหรับงานก่อสร้างลำดับที่ %1").arg(i + 1),
                       50);
        r.st.dblEquipPrice[i] = 123456.78;
    }
    r.run(1);
    ASSERT_EQ(r.lines().size(), 30);
    const QString pdf = folder.path(QStringLiteral("sheet.pdf"));
    PdfPrinter printer(pdf);
    for (const auto& s : r.printer.pending) printer.print(s);
    QString error;
    ASSERT_TRUE(printer.endDoc(&error)) << error.toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(squeeze(text).contains(QStringLiteral("K=1.065"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("9876543.21")));
    // Nothing of the sheet falls off the right edge: the bbox of every
    // word lies inside the page.
    const QString bbox =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    QRegularExpression word(QStringLiteral("xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\""));
    int words = 0;
    for (auto m = word.globalMatch(bbox); m.hasNext(); ++words) {
        const auto w = m.next();
        EXPECT_LT(w.captured(1).toDouble(), 595.0);
        EXPECT_LT(w.captured(2).toDouble(), 842.0);
    }
    EXPECT_GT(words, 60);  // every run of the sheet's 30 lines
}

TEST(PdfPrinter, DiscardedOrEmptyDocumentWritesNothing) {
    WorkingFolder folder;
    const QString pdf = folder.path(QStringLiteral("none.pdf"));
    PdfPrinter printer(pdf);
    EXPECT_TRUE(printer.endDoc(nullptr));
    printer.print({print::Col{15}, QStringLiteral("half a sheet")});
    printer.discardDoc();
    EXPECT_TRUE(printer.endDoc(nullptr));
    EXPECT_FALSE(QFile::exists(pdf));
}

// Texts that print as nothing (the code-0 padding of a name never entered,
// a tab) leave the page as it is and the columns where they are.
TEST(PdfPrinter, ControlCharactersPrintAsNothing) {
    WorkingFolder folder;
    const QString pdf = folder.path(QStringLiteral("blank.pdf"));
    PdfPrinter printer(pdf);
    printer.print({print::Col{15}, QString(3, QChar(0)), print::Col{20},
                   QStringLiteral("งวด") + QString(3, QChar(0)) + QStringLiteral("ที่ x\ty")});
    printer.print({QString(1, QChar(0))});
    ASSERT_TRUE(printer.endDoc(nullptr));
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")});
    EXPECT_EQ(text.trimmed(), QStringLiteral("งวดที่ x y"));
}

TEST(PdfPrinter, FailureSaysWhyAndKeepsTheOldFile) {
    WorkingFolder folder;
    PdfPrinter nowhere(folder.path(QStringLiteral("missing/sheet.pdf")));
    nowhere.print({print::Col{15}, QStringLiteral("x")});
    QString error;
    EXPECT_FALSE(nowhere.endDoc(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing/sheet.pdf"))) << error.toStdString();

    const QString fifo = folder.path(QStringLiteral("fifo.pdf"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    PdfPrinter device(fifo);
    device.print({print::Col{15}, QStringLiteral("x")});
    EXPECT_FALSE(device.endDoc(&error));
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}

// The PDF's text is the sheet's text: every run of every sheet of a formula
// (K inside, below and above the band, with Thai designation and equipment
// names as typed) comes back from pdftotext -raw in order, marks and SARA AM
// included and no private-use code point anywhere. Spaces are left out of
// the comparison: the extractor lays them out itself.
namespace {

// The sheet of formula n with every index at 100 on bid opening and at `t`
// on delivery, Thai designation and equipment names as typed.
std::vector<print::Statement> formulaSheet(int n, Single t) {
    SheetRun r;
    for (const FormulaTerm& term : formulaDefinition(n)->terms) {
        r.st.OData[term.column] = 100;
        r.st.TData[term.column] = t;
    }
    r.st.lngODay = 15;
    r.st.strOMonth = QStringLiteral("กุมภาพันธ์");
    r.st.lngOYear = 2548;
    r.st.lngTDay = 31;
    r.st.strTMonth = QStringLiteral("พฤษภาคม");
    r.st.lngTYear = 2549;
    r.st.strInstallment = fixedText(QStringLiteral("๓ (ส่งมอบงานฐานรากและเสาเข็ม)"), 50);
    r.st.dblAmount = 1000000;
    r.st.strEquipName[0] = fixedText(QStringLiteral("ปั๊มน้ำพร้อมท่อดูดฝั่งซ้าย"), 50);
    r.st.dblEquipPrice[0] = 50000;
    r.st.strEquipName[1] = fixedText(QStringLiteral("เครื่องกำเนิดไฟฟ้า ญี่ปุ่น"), 50);
    r.st.dblEquipPrice[1] = 25000.5;
    r.st.dblNetAmount = 1000000 - 50000.0 - 25000.5;
    r.run(n);
    EXPECT_FALSE(r.failed) << r.error.toStdString();
    return r.printer.pending;
}

// A word as pdftotext -bbox finds it: page, left, top, right, bottom.
struct WordBox {
    int page;
    double x0, y0, x1, y1;
};

std::vector<WordBox> wordBoxes(const QString& pdf) {
    const QString xml =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<WordBox> words;
    int page = 0;
    static const QRegularExpression box(QStringLiteral(
        "<page |xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\""));
    for (auto m = box.globalMatch(xml); m.hasNext();) {
        const auto w = m.next();
        if (w.captured(1).isEmpty()) {
            ++page;
            continue;
        }
        words.push_back({page, w.captured(1).toDouble(), w.captured(2).toDouble(),
                         w.captured(3).toDouble(), w.captured(4).toDouble()});
    }
    return words;
}

// Every word of `a` has a word of `b` on its page whose four edges are each
// within half a point of its own: empty when so; else the first that has not.
QString unmatched(const std::vector<WordBox>& a, const std::vector<WordBox>& b) {
    for (const WordBox& w : a) {
        const bool placed = std::any_of(b.begin(), b.end(), [&](const WordBox& o) {
            return o.page == w.page && std::abs(o.x0 - w.x0) <= 0.5 &&
                   std::abs(o.y0 - w.y0) <= 0.5 && std::abs(o.x1 - w.x1) <= 0.5 &&
                   std::abs(o.y1 - w.y1) <= 0.5;
        });
        if (!placed)
            return QStringLiteral("page %1, word at (%2, %3) to (%4, %5)")
                .arg(w.page)
                .arg(w.x0)
                .arg(w.y0)
                .arg(w.x1)
                .arg(w.y1);
    }
    return QString();
}

}  // namespace

// The words of all 13 sheets stand where the sheet has always put them:
// the reference holds the boxes of the same sheets' texts as first laid out
// (with Qt's own PDF writer), one sheet a page. Each run of text is one
// word to the extractor, its spaces included.
TEST(PdfPrinter, WordsStandWhereTheSheetPutsThem) {
    WorkingFolder folder;
    const QString pdf = folder.path(QStringLiteral("sheets.pdf"));
    PdfPrinter printer(pdf);
    for (int n = 1; n <= kFormulaCount; ++n) {
        printer.pageBreak();
        for (const auto& s : formulaSheet(n, 112.5f)) printer.print(s);
    }
    ASSERT_TRUE(printer.endDoc(nullptr));
    QFile file(QStringLiteral(TARVON_SHEET_WORDS));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    std::vector<WordBox> reference;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 5 && !line.startsWith('#'))
            reference.push_back({int(f[0].toDouble()), f[1].toDouble(), f[2].toDouble(),
                                 f[3].toDouble(), f[4].toDouble()});
    }
    ASSERT_GT(reference.size(), 300u);
    const std::vector<WordBox> words = wordBoxes(pdf);
    EXPECT_EQ(words.back().page, kFormulaCount);
    EXPECT_EQ(unmatched(words, reference).toStdString(), "");
    EXPECT_EQ(unmatched(reference, words).toStdString(), "");
}

// The PDF's text is the sheet's text: every run of every sheet of a formula
// (K inside, below and above the band, with Thai designation and equipment
// names as typed) comes back from pdftotext -raw in order, marks and SARA AM
// included and no private-use code point anywhere. Spaces are left out of
// the comparison: the extractor lays them out itself.
class PdfTextIsTheSheet : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Formulas, PdfTextIsTheSheet, ::testing::Range(1, 14));
TEST_P(PdfTextIsTheSheet, ForEveryLiteralAndTypedName) {
    WorkingFolder folder;
    const QString pdf = folder.path(QStringLiteral("sheets.pdf"));
    PdfPrinter printer(pdf);
    QString expected;
    for (Single t : {100.0f, 90.0f, 112.5f}) {  // inside, below, above the band
        for (const auto& statement : formulaSheet(GetParam(), t)) {
            printer.print(statement);
            expected += print::plainText(statement);
        }
    }
    QString error;
    ASSERT_TRUE(printer.endDoc(&error)) << error.toStdString();
    const QString want = squeeze(expected);
    for (const char* mode : {"-raw", "-layout"}) {
        const QString text =
            run(QStringLiteral("pdftotext"), {QString::fromLatin1(mode), pdf, QStringLiteral("-")});
        for (QChar c : text)
            EXPECT_FALSE(c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF) << int(c.unicode());
        const QString got = squeeze(text);
        qsizetype at = 0;
        while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
        EXPECT_EQ(got, want) << mode << " from character " << at << ": got \""
                             << got.mid(at, 40).toStdString() << "\", want \""
                             << want.mid(at, 40).toStdString() << '"';
    }
}

// A contract's sheets, one a page: every page is laid out from its top.
namespace {
// A sheet with Thai names, K above the band so that the items are listed.
std::vector<print::Statement> thaiSheet() {
    SheetRun r;
    r.values({{IndexColumn::I, {100, 112.5f}},
              {IndexColumn::C, {100, 112.5f}},
              {IndexColumn::M, {100, 112.5f}},
              {IndexColumn::S, {100, 112.5f}}});
    r.st.strInstallment = fixedText(QStringLiteral("๓ (ส่งมอบงานฐานรากและเสาเข็ม)"), 50);
    r.st.strEquipName[0] = fixedText(QStringLiteral("ปั๊มน้ำพร้อมท่อดูดฝั่งซ้าย"), 50);
    r.st.dblEquipPrice[0] = 50000;
    r.net(1000000 - 50000.0);
    r.st.dblAmount = 1000000;
    r.run(1);
    EXPECT_FALSE(r.failed) << r.error.toStdString();
    return r.printer.pending;
}

// Page `n` of `pdf` as a grey picture.
QByteArray picture(const QString& pdf, int n) {
    const QString page = QString::number(n);
    return runBytes(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("200"), QStringLiteral("-gray"),
                     QStringLiteral("-f"), page, QStringLiteral("-l"), page, pdf});
}

}  // namespace

TEST(PdfPrinter, EverySheetOfAContractLooksTheSame) {
    WorkingFolder folder;
    const std::vector<print::Statement> sheet = thaiSheet();
    const QString pdf = folder.path(QStringLiteral("contract.pdf"));
    PdfPrinter printer(pdf);
    for (int page = 0; page < 2; ++page) {
        printer.pageBreak();
        for (const auto& s : sheet) printer.print(s);
    }
    ASSERT_TRUE(printer.endDoc(nullptr));
    const QByteArray first = picture(pdf, 1);
    ASSERT_GT(first.size(), 100000);
    EXPECT_TRUE(picture(pdf, 2) == first);
}

// A contract's PDF is written page by page, yet the PDF already there stays
// whole until the last page is written: a document discarded half-way (a
// sheet that failed) leaves it as it was, one that ends replaces it.
TEST(PdfPrinter, TheOldPdfStaysUntilTheDocumentEnds) {
    WorkingFolder folder;
    const QString pdf = folder.path(QStringLiteral("contract.pdf"));
    writeFile(pdf, "the old PDF");
    const std::vector<print::Statement> sheet = thaiSheet();
    const auto contents = [&] {
        QFile f(pdf);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    PdfPrinter printer(pdf);
    for (int page = 0; page < 40; ++page) {
        printer.pageBreak();
        for (const auto& s : sheet) printer.print(s);
    }
    EXPECT_EQ(contents(), QByteArray("the old PDF"));
    printer.discardDoc();
    EXPECT_EQ(contents(), QByteArray("the old PDF"));
    EXPECT_EQ(QDir(folder.path(QString())).entryList(QDir::Files), QStringList{"contract.pdf"});
    for (int page = 0; page < 3; ++page) {
        printer.pageBreak();
        for (const auto& s : sheet) printer.print(s);
    }
    ASSERT_TRUE(printer.endDoc(nullptr));
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n")))) << info.toStdString();
}


// What the print system answers, in the words the user reads.
TEST(CupsReason, NamesTheCauseAndThePrinter) {
    struct Case {
        ipp_status_t status;
        const char* printer;
        const char* says;
    };
    for (const Case& c : {
             Case{IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS, "Office", "เครื่องพิมพ์ \"Office\" ไม่รับงานพิมพ์"},
             Case{IPP_STATUS_ERROR_NOT_FOUND, "", "ไม่พบเครื่องพิมพ์ที่ตั้งไว้เป็นค่าเริ่มต้น"},
             Case{IPP_STATUS_ERROR_NOT_FOUND, "Office", "ไม่พบเครื่องพิมพ์ \"Office\""},
             Case{IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, "", "ติดต่อระบบการพิมพ์ไม่ได้ (detail)"},
             Case{IPP_STATUS_ERROR_SERVICE_UNAVAILABLE, "Office", "ติดต่อเครื่องพิมพ์ \"Office\" ไม่ได้"},
             Case{IPP_STATUS_ERROR_TEMPORARY, "Office", "ติดต่อเครื่องพิมพ์ \"Office\" ไม่ได้ (detail)"},
             Case{IPP_STATUS_ERROR_DEVICE, "Office", "ติดต่อเครื่องพิมพ์ \"Office\" ไม่ได้ (detail)"},
             Case{IPP_STATUS_ERROR_NOT_AUTHORIZED, "Office", "ไม่อนุญาต"},
             Case{IPP_STATUS_ERROR_FORBIDDEN, "Office", "ไม่อนุญาต"},
             Case{IPP_STATUS_ERROR_INTERNAL, "Office", "(detail)"},
         }) {
        const QString r =
            cups::reason(c.status, QString::fromUtf8(c.printer), QStringLiteral("detail"));
        EXPECT_TRUE(r.contains(QString::fromUtf8(c.says))) << r.toStdString();
    }
}

// Printing's libraries are opened when first needed: what is found is
// handed over, and what is not is named (the library, or the first function
// missing), never a null pointer taken for a function.
TEST(LoadedLibrary, FindsWhatIsThereAndNamesWhatIsNot) {
    using Strlen = size_t(const char*);
    struct Case {
        const char* library;
        const char* function;
        const char* error;  // what error() contains; empty when found
    };
    for (const Case& c : {
             Case{"libc.so.6", "strlen", ""},
             // Through what the library depends on.
             Case{"libpangocairo-1.0.so.0", "g_list_free", ""},
             Case{"libc.so.6", "no_such_function", "no_such_function"},
             Case{"libno-such-library.so.9", "strlen", "libno-such-library.so.9"},
         }) {
        LoadedLibrary library(c.library);
        Strlen* function = nullptr;
        library.take(function, c.function);
        Strlen* second = nullptr;
        library.take(second, "strlen");  // the first failure is the one kept
        const std::string error = library.error().toStdString();
        if (*c.error == 0) {
            EXPECT_EQ(error, "") << c.library;
            EXPECT_NE(function, nullptr) << c.function;
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            EXPECT_EQ(function, nullptr) << c.function;
        }
    }
    // Loaded once for all callers; what is missing is said in the caller's
    // words.
    struct Missing {
        size_t (*length)(const char*) = nullptr;
        size_t (*none)(const char*) = nullptr;
        void takeFrom(LoadedLibrary& library) {
            library.take(length, "strlen");
            library.take(none, "no_such_function");
        }
    };
    QString why;
    EXPECT_EQ(loadFunctions<Missing>("libc.so.6", QStringLiteral("ไม่มี %1"), &why), nullptr);
    EXPECT_EQ(why, QStringLiteral("ไม่มี no_such_function"));
    LoadedLibrary libc("libc.so.6");
    size_t (*length)(const char*) = nullptr;
    libc.take(length, "strlen");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("ค่า K"), strlen("ค่า K"));
}

int main(int argc, char** argv) {
    // No display needed, also while CTest lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Thai, QLocale::Thailand));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
