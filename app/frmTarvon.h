// The main window: five buttons in one column and the menu "ค่า &K ...",
// each item wired to the same command as its button. The window only
// forwards clicks to Tarvon; the commands talk back through QtPlatform.
#pragma once

#include <QMainWindow>

#include "app/Tarvon.h"
#include "app/QtPlatform.h"

class frmTarvon : public QMainWindow {
    Q_OBJECT
  public:
    // pdfPath: print each sheet into this PDF file instead of the printer.
    explicit frmTarvon(const QString& pdfPath = QString(), QWidget* parent = nullptr);

    bool Form_Load(QString* error) { return commands_.Form_Load(error); }
    Tarvon& commands() { return commands_; }

  private:
    QtPlatform platform_;
    Tarvon commands_;
};
