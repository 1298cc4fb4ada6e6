// The index-table window, opened from the main window's menu "ตารางดัชนี":
// every month of KTABLE.DAT in calendar order with its 13 values as the
// program reads them and what `check` finds on its row; add a month (the
// next one is offered) or correct one in a form of one field per index
// (a row pasted from a spreadsheet fills them), remove a duplicate, undo,
// save. It only shows and asks: the table's rules are TableEditor's.
// Saving writes the whole table beside the file and renames it into place
// (KTABLE.DAT.bak keeps the file as it was); the main window's next search
// reads it. A table it cannot lock (a read-only place) is shown read-only.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTableView>

#include "tablecare/TableEditor.h"

class IndexRowsModel;

class frmIndexTable : public QDialog {
    Q_OBJECT
  public:
    explicit frmIndexTable(QWidget* parent = nullptr);
    // Reads the table and takes its lock; false with the Thai reason. A
    // table it cannot lock is opened read-only, the buttons that would
    // change it disabled and why said in the window.
    bool open(const QString& path, QString* error);

    // The window's commands, for its buttons (and tests).
    void addMonth();
    void correctMonth();
    void removeDuplicate();
    void undo();
    bool save();

  protected:
    // Closing with changes not saved asks first.
    void done(int result) override;

  private:
    void refresh();
    void showTitle();
    void say(const QString& text);
    // The record of the selected row; -1 when none is selected.
    int selectedRecord() const;
    // Selects the row of `record` and scrolls it into sight.
    void showRecord(int record);

    TableEditor editor_;
    QString path_;
    QTableView* table_ = nullptr;
    IndexRowsModel* model_ = nullptr;
    QLabel* status_ = nullptr;
};
