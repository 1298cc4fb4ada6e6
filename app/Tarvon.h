// The commands of the main window frmTarvon, with the calculation state
// they share and the open index table. Every button and its menu item run
// one implementation here. This class talks to the user only through the
// Platform seam, so it runs the same against Qt and against a test script.
#pragma once

#include <QString>

#include "escalation/CalcState.h"
#include "indexdata/TableFile.h"
#include "entry/Platform.h"

class Tarvon {
  public:
    static const QString kFormulaPrompt;  // the formula choice

    explicit Tarvon(Platform& ui) : ui_(ui) {}

    // Start-up: open (or create) the table, count its records, formula 1.
    // Returns false, with a Thai message in `error`, when the table can be
    // neither opened nor created; the program cannot run then.
    bool Form_Load(QString* error);

    void cmdO_Click() { enterBidOpening(); }
    void mnuO_Click() { enterBidOpening(); }
    void cmdT_Click() { enterInstallment(); }
    void mnuT_Click() { enterInstallment(); }
    void cmdFormula_Click() { chooseFormula(); }
    void mnuFormula_Click() { chooseFormula(); }
    void cmdPrint_Click() { printSheet(); }
    void mnuPrint_Click() { printSheet(); }
    void cmdExit_Click() { quit(); }
    void mnuExit_Click() { quit(); }
    // Beside the menu above: the current sheet into a PDF file the user
    // chooses.
    void mnuSavePdf_Click() { saveSheetAsPdf(); }

    // The table as it is on disk: when the file was replaced or changed
    // since it was opened (a month merged meanwhile), it is opened afresh
    // and its records counted again. Every search runs after this.
    void followTable();

    // "สูตรหมายเลข " followed by the formatted formula number.
    static QString caption(Integer formulaNo);
    // The PDF file name offered for the current sheet: the designation and
    // the delivery month, with nothing a file name cannot hold.
    static QString suggestedPdfName(const CalcState& st);

    CalcState& state() { return st_; }
    const CalcState& state() const { return st_; }
    const TableFile& table() const { return table_; }
    TableFile& table() { return table_; }

  private:
    void enterBidOpening();
    void enterInstallment();
    void chooseFormula();
    void printSheet();
    void saveSheetAsPdf();
    // The print command's steps onto `printer`.
    void printTo(Printer& printer);
    void quit();

    Platform& ui_;
    CalcState st_;
    TableFile table_;
};
