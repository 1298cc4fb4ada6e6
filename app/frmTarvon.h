// The main window: five buttons in one column and the menu "ค่า &K ...",
// each item wired to the same command as its button; beside them a menu of
// its own for "บันทึกเป็น PDF…", one, "ตารางดัชนี", for the index-table
// window (frmIndexTable), and one, "สัญญา", for the contract register
// (frmRegister). Beside the buttons, a panel shows the state
// the next sheet would be computed from (stateSummary) and the latest news
// (an entry cancelled, where a sheet went); it is refreshed after every
// command. The window only forwards clicks to Tarvon and refreshes the
// view; the commands talk back through QtPlatform.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <vector>

#include "app/PanelLine.h"
#include "app/QtPlatform.h"
#include "app/Tarvon.h"
#include "app/frmRegister.h"

class frmTarvon : public QMainWindow {
    Q_OBJECT
  public:
    // The client area when the window opens, buttons and panel, where the
    // screen has room for it; the window can be made larger, and smaller
    // only on a screen that has not that room.
    static constexpr int kClientWidth = 900, kClientHeight = 540;
    // A value of this many characters or fewer stands on one line at any
    // width the window can have, so the panel does not break it.
    static constexpr int kUnbrokenValue = PanelLine::kUnbrokenValue;

    // pdfPath: print each sheet into this PDF file instead of the printer.
    explicit frmTarvon(const QString& pdfPath = QString(), QWidget* parent = nullptr);

    bool Form_Load(QString* error);
    Tarvon& commands() { return commands_; }
    // The register window (menu "สัญญา"), opened on the user's register the
    // first time; nullptr, after saying why, when it cannot be opened.
    frmRegister* showRegister();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Runs a command, then shows the state it left.
    void run(void (Tarvon::*command)());
    void refresh();
    // The index-table window on the table in use; modal.
    void editIndexTable();
    // The user's guide, in a window beside this one.
    void showGuide();

    QtPlatform platform_;
    Tarvon commands_;
    QWidget* panel_ = nullptr;
    PanelLine* news_ = nullptr;
    std::vector<PanelLine*> values_;
    QPointer<frmRegister> register_;  // one a line of the summary, in its order
};
