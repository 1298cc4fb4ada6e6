// Every standard dialog the program shows speaks Thai, with Qt's catalogue
// installed as tarvon installs it: the index-table window's questions and
// prompts, the Save-as-PDF file dialog, message boxes, and the context
// menus of fields, texts and scroll bars. No visible button, label, tool
// tip, heading, list item of a combo box or menu item holds an English
// word; and every text Qt asks its catalogue for has Thai in ours.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <set>

#include "TableFiles.h"
#include "app/HelpWindow.h"
#include "app/QtPlatform.h"
#include "app/QtThai.h"
#include "app/frmIndexTable.h"

namespace {

// The English words of `text` a user would have to read: runs of two Latin
// letters or more, once the texts that are the user's own (file and folder
// names, the program's name) are left out, and "PDF". Key names after a
// tab (a menu item's shortcut) stay as printed on the keys.
QStringList englishWords(QString text, const QStringList& own) {
    text = text.section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    for (const QString& o : own) text.remove(o);
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    QStringList found;
    for (auto m = word.globalMatch(text); m.hasNext();) {
        const QString w = m.next().captured();
        if (w.compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0) found << w;
    }
    return found;
}

void addMenu(const QList<QAction*>& actions, QStringList* texts) {
    for (const QAction* a : actions) *texts << a->text() << a->toolTip();
}

// What `top` shows or says of itself: its title; of each visible widget in
// it, the text, tool tip, accessible name and description, the items of a
// combo box, the headings of a view; and every action it holds (its menus
// and context menus, whether open or not).
QStringList shownTexts(QWidget* top) {
    QStringList texts{top->windowTitle()};
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets << top;
    for (const QWidget* w : widgets) {
        if (!w->isVisibleTo(top) && w != top) continue;
        texts << w->toolTip() << w->accessibleName() << w->accessibleDescription() << w->whatsThis();
        if (const auto* b = qobject_cast<const QAbstractButton*>(w)) texts << b->text();
        if (const auto* l = qobject_cast<const QLabel*>(w)) texts << l->text();
        if (const auto* e = qobject_cast<const QLineEdit*>(w)) texts << e->placeholderText();
        if (const auto* c = qobject_cast<const QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
        if (const auto* h = qobject_cast<const QHeaderView*>(w); h && h->model())
            for (int i = 0; i < h->count(); ++i)
                texts << h->model()->headerData(i, h->orientation()).toString();
    }
    addMenu(top->findChildren<QAction*>(), &texts);
    return texts;
}

// Holds when no text of `texts` holds English; else names each text that
// does, with its words.
::testing::AssertionResult allThai(const QStringList& texts, const QStringList& own) {
    QStringList bad;
    for (const QString& t : texts)
        if (const QStringList words = englishWords(t, own); !words.isEmpty())
            bad << QStringLiteral("\"%1\" (%2)").arg(t, words.join(QLatin1Char(' ')));
    if (bad.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "English in: " << bad.join(QStringLiteral(", ")).toStdString();
}

// The standard context menu of a field, as a right click shows it.
QStringList fieldMenu(QLineEdit* field) {
    std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    QStringList texts;
    addMenu(menu->actions(), &texts);
    for (const QAction* a : menu->actions())
        if (a->menu()) addMenu(a->menu()->actions(), &texts);
    return texts;
}

// The texts of the menu a right click on `widget` opens (built only then).
QStringList contextMenu(QWidget* widget) {
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        addMenu(menu->actions(), &texts);
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &event);
    return texts;
}

// Runs `look` on the next modal dialog of kind T once it is shown.
template <typename T>
void whenShown(std::function<void(T*)> look) {
    QTimer::singleShot(0, [look] {
        if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget()); dlg && dlg->isVisible())
            look(dlg);
        else
            whenShown<T>(look);
    });
}

// Waits for `done`, handling events, ten seconds at most.
bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// Every text Qt asks a catalogue for that ours has no Thai for. It answers
// nothing itself: the catalogue installed before it answers. Key names are
// left as on the keys.
class Asked : public QTranslator {
  public:
    explicit Asked(const QTranslator* ours) : ours_(ours) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QShortcut") != 0 && ours_->translate(context, source, disambiguation, n).isEmpty())
            missing.insert(QStringLiteral("%1 \"%2\"").arg(QLatin1String(context), QString::fromUtf8(source)));
        return QString();
    }
    mutable std::set<QString> missing;

  private:
    const QTranslator* ours_;
};

// The program's name, on every box it shows, and its table's.
QStringList programName() { return {QtPlatform::kTitle, QStringLiteral("KTABLE.DAT")}; }
// The indices' own symbols, as the ministry's tables head them.
QStringList indexSymbols() {
    return {QStringLiteral("GIP"), QStringLiteral("AC"), QStringLiteral("PVC"), QStringLiteral("PE")};
}

}  // namespace

class ThaiDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        thai_ = installQtThai(QStringLiteral(TARVON_PROGRAM_DIR));
        ASSERT_NE(thai_, nullptr) << "no qtbase_th.qm found from " TARVON_PROGRAM_DIR;
        asked_ = std::make_unique<Asked>(thai_);
        QCoreApplication::installTranslator(asked_.get());
    }
    void TearDown() override {
        if (!thai_) return;
        QCoreApplication::removeTranslator(asked_.get());
        QCoreApplication::removeTranslator(thai_);
        delete thai_;
        QStringList missing(asked_->missing.begin(), asked_->missing.end());
        EXPECT_TRUE(missing.isEmpty()) << "Qt asked for texts without Thai: "
                                       << missing.join(QStringLiteral(", ")).toStdString();
    }

    WorkingFolder folder;
    QTranslator* thai_ = nullptr;
    std::unique_ptr<Asked> asked_;
};

// The index-table window: its prompt and its field's menu, a refused
// month's message, the question when the file changed on disk, the scroll
// bar's menu, and the question on closing with changes: บันทึก (the
// default: Enter loses nothing), ไม่บันทึก, ยกเลิก (Esc).
TEST_F(ThaiDialogs, TheIndexTableWindowAsksInThai) {
    const QByteArray table = record({"2548", "1", "100"}) + record({"2548", "1", "101"});
    folder.table(table);
    frmIndexTable window;
    QString error;
    ASSERT_TRUE(window.open(QStringLiteral("KTABLE.DAT"), &error)) << error.toStdString();
    window.show();

    QStringList prompt, refusal, overwrite, refusedSave, closing;
    // The month form, and a month it refuses said beside its field.
    whenShown<QDialog>([&](QDialog* form) {
        prompt = shownTexts(form) + fieldMenu(form->findChild<QLineEdit*>(QStringLiteral("monthYear")));
        form->reject();
    });
    window.addMonth();
    ASSERT_FALSE(prompt.isEmpty());
    EXPECT_TRUE(allThai(prompt, programName() + indexSymbols()));

    whenShown<QDialog>([&](QDialog* form) {
        form->findChild<QLineEdit*>(QStringLiteral("monthYear"))->setText(QStringLiteral("13/2548"));
        form->findChild<QPushButton*>(QStringLiteral("formOk"))->click();
        refusal = shownTexts(form);
        form->reject();
    });
    window.addMonth();
    ASSERT_FALSE(refusal.isEmpty());
    EXPECT_TRUE(allThai(refusal, programName() + indexSymbols()));
    EXPECT_TRUE(refusal.join(QLatin1Char('|')).contains(QStringLiteral("13"))) << refusal.join(QLatin1Char('|')).toStdString();

    auto* view = window.findChild<QTableView*>(QStringLiteral("indexTable"));
    ASSERT_TRUE(view);
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (view->model()->index(row, 0).data(Qt::UserRole).toInt() == 1) view->selectRow(row);
    window.removeDuplicate();
    const QStringList scrolling = contextMenu(view->verticalScrollBar());
    EXPECT_TRUE(scrolling.contains(QStringLiteral("เลื่อนมาที่นี่"))) << scrolling.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(allThai(scrolling, {}));

    // Saving over a file changed on disk asks ใช่ / ไม่ใช่; ไม่ใช่ keeps it.
    writeFile(folder.path(QStringLiteral("KTABLE.DAT")), table + record({"2548", "2", "102"}));
    whenShown<QMessageBox>([&](QMessageBox* box) {
        overwrite = shownTexts(box);
        whenShown<QMessageBox>([&](QMessageBox* said) {
            refusedSave = shownTexts(said);
            said->accept();
        });
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(window.save());
    EXPECT_TRUE(allThai(overwrite, programName()));
    EXPECT_TRUE(overwrite.contains(QStringLiteral("ใช่ (&Y)")) && overwrite.contains(QStringLiteral("ไม่ใช่ (&N)")))
        << overwrite.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(allThai(refusedSave, programName()));

    whenShown<QMessageBox>([&](QMessageBox* box) {
        closing = shownTexts(box);
        EXPECT_EQ(box->defaultButton(), static_cast<QPushButton*>(box->button(QMessageBox::Save)));
        EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::Cancel));
        EXPECT_EQ(box->button(QMessageBox::Save)->text(), QStringLiteral("บันทึก (&S)"));
        EXPECT_EQ(box->button(QMessageBox::Discard)->text(), QStringLiteral("ไม่บันทึก (&D)"));
        EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("ยกเลิก"));
        box->button(QMessageBox::Cancel)->click();
    });
    window.reject();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(allThai(closing, programName()));
    whenShown<QMessageBox>([&](QMessageBox* box) { box->button(QMessageBox::Discard)->click(); });
    window.reject();
    EXPECT_FALSE(window.isVisible());
}

// "บันทึกเป็น PDF…": Qt's own dialog, never the desktop's, in Thai: its
// labels, buttons, tool tips, headings, menus, the columns of a folder and
// a PDF, the field's menu, and the question before replacing a file. The
// name chosen comes back.
TEST_F(ThaiDialogs, TheSaveAsPdfDialogIsQtsOwnInThai) {
    QTemporaryDir home;
    const QString documents = home.filePath(QStringLiteral("Documents"));
    ASSERT_TRUE(QDir().mkpath(documents + QStringLiteral("/งาน")));
    writeFile(documents + QStringLiteral("/old.pdf"), "%PDF");
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    // The folders' and the file's names are the user's own.
    const QStringList own = documents.split(QLatin1Char('/'), Qt::SkipEmptyParts) << QStringLiteral("old");

    QWidget window;
    QtPlatform platform(&window, QString());
    QStringList shown, field, replace, cells;
    bool native = true;
    whenShown<QFileDialog>([&](QFileDialog* dlg) {
        native = !dlg->testOption(QFileDialog::DontUseNativeDialog);
        auto* view = dlg->findChild<QAbstractItemView*>(QStringLiteral("treeView"));
        auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!view || !name) {
            ADD_FAILURE() << "not Qt's own file dialog";
            dlg->reject();
            return;
        }
        const QAbstractItemModel* model = view->model();
        EXPECT_TRUE(waitFor([&] { return model->rowCount(view->rootIndex()) == 2; }));
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            for (int column = 0; column < model->columnCount(view->rootIndex()); ++column)
                cells << model->index(row, column, view->rootIndex()).data().toString();
        shown = shownTexts(dlg);
        field = fieldMenu(name);
        // A name that is there is asked about; ไม่ใช่, then ยกเลิก, keeps it.
        whenShown<QMessageBox>([&](QMessageBox* box) {
            replace = shownTexts(box);
            box->button(QMessageBox::No)->click();
            QTimer::singleShot(0, dlg, &QFileDialog::reject);
        });
        name->setText(QStringLiteral("old.pdf"));
        QMetaObject::invokeMethod(dlg, "accept");
    });
    const std::optional<QString> cancelled = platform.askPdfPath(QStringLiteral("ค่า K.pdf"));
    whenShown<QFileDialog>([&](QFileDialog* dlg) {
        if (auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("งวดที่ 1.pdf"));
        QMetaObject::invokeMethod(dlg, "accept");
    });
    const std::optional<QString> chosen = platform.askPdfPath(QStringLiteral("ค่า K.pdf"));
    qputenv("HOME", oldHome);
    oldConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfig);

    EXPECT_FALSE(native);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_TRUE(allThai(shown, own));
    EXPECT_TRUE(allThai(field, {}));
    ASSERT_FALSE(replace.isEmpty());
    EXPECT_TRUE(allThai(replace, own));
    EXPECT_TRUE(cells.contains(QStringLiteral("โฟลเดอร์")) && cells.contains(QStringLiteral("แฟ้ม PDF")) &&
                cells.contains(QStringLiteral("4 ไบต์")))
        << cells.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(allThai(cells, own));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(chosen.value_or(QString()).toStdString(), (documents + QStringLiteral("/งวดที่ 1.pdf")).toStdString());
}

// The program's own message box, and the guide's text menu (select, copy,
// copy a link's address).
TEST_F(ThaiDialogs, MessagesAndTheGuidesMenuInThai) {
    QWidget window;
    QtPlatform platform(&window, QString());
    QStringList said;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        said = shownTexts(box);
        box->accept();
    });
    platform.msgBox(QStringLiteral("ไม่พบข้อมูลดัชนีราคา"));
    ASSERT_FALSE(said.isEmpty());
    EXPECT_TRUE(allThai(said, programName()));

    HelpWindow help(guidePath(QStringLiteral(TARVON_PROGRAM_DIR)));
    auto* guide = help.findChild<QTextBrowser*>();
    ASSERT_TRUE(guide);
    guide->selectAll();
    std::unique_ptr<QMenu> menu(guide->createStandardContextMenu(QPoint(2, 2)));
    QStringList texts;
    addMenu(menu->actions(), &texts);
    EXPECT_TRUE(texts.contains(QStringLiteral("คัดลอก (&C)\tCtrl+C"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(allThai(texts, {}));
}
