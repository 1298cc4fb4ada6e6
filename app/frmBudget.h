// The budget summary of a month or a range of months across the register:
// asked for as "9/2569" or "7/2569-9/2569", shown as text, printed on A4
// with the office's heading, saved as PDF or as CSV. It only asks and
// shows: the summary is BudgetSummary's.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <optional>

#include "contract/BudgetSummary.h"
#include "entry/Platform.h"

class frmBudget : public QDialog {
    Q_OBJECT
  public:
    frmBudget(Platform& platform, Register& reg, QWidget* parent);

    // The window's commands, for its buttons (and tests).
    bool show(const QString& months);
    void print();
    void savePdf();
    void saveCsv();
    QString text() const { return view_->toPlainText(); }
    using QDialog::show;

  private:
    void toPrinter(Printer* printer, const QString& where);

    Platform& platform_;
    Register& register_;
    std::optional<BudgetSummary> summary_;
    QLineEdit* months_;
    QPlainTextEdit* view_;
    QLabel* news_;
};
