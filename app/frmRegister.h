// The contract register's window, opened from the main window's menu
// "สัญญา": the contracts with their sums so far (searched by number or
// name), the installments of the selected one, each computed live on the
// index table as it is now (or waiting for its month, or printed and kept
// as printed), the forms to add and correct them, undo of the last change,
// their sheets printed or saved as one PDF, a contract imported from or
// exported to the CSV tarvon-batch reads, and the budget summary. It
// follows the register and the table: a change made elsewhere (another
// window, tarvon-batch, a month merged) shows within a second.
//
// It only asks and shows: the register's rules are Register's and the
// store's; sheets go through the main window's printers (Platform).
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTableWidget>
#include <QTimer>
#include <memory>
#include <vector>

#include "contract/Register.h"
#include "contract/SqlRegister.h"
#include "entry/Platform.h"

class frmRegister : public QMainWindow {
    Q_OBJECT
  public:
    frmRegister(Platform& platform, QString tablePath, QWidget* parent = nullptr);
    ~frmRegister() override;

    // The register at `location` (a file, or an office's server as
    // postgresql://...), created when `create` is set and there is none,
    // with `password` for a server when one is given (else the desktop's
    // key store's, or libpq's own); false with the Thai reason (the window
    // keeps what it had). The register opened is the one the window opens
    // next time.
    bool open(const QString& location, bool create, QString* error, const QString& password = QString());
    // The register the window opens: the last one opened (a file still
    // there, or a server), else the user's own register.sqlite in their
    // data folder.
    static QString lastLocation();
    static QString defaultLocation();

    // The window's commands, for its buttons and menus (and tests).
    void addContract();
    void editContract();
    void removeContract();
    void addInstallment();
    void editInstallment();
    void removeInstallment();
    void undo();
    void printSelected();
    void printContract();
    void savePdf();
    void importCsv();
    void exportCsv();
    void showHistory();
    void showBudget();
    void setOffice();
    void openOther();
    // "เชื่อมต่อฐานข้อมูลสำนักงาน…": a register on an office's server.
    void connectOffice();
    // Reads again what changed on disk since (the register, the table).
    void follow();

    QTableWidget* contractsView() const { return contracts_; }
    QTableWidget* installmentsView() const { return installments_; }
    QString news() const { return news_->text(); }
    Register* reg() { return register_.get(); }
    // The form of an installment, opened by addInstallment/editInstallment:
    // tests fill it (nullptr while none is open).
    static std::function<void(QDialog&)> formHook;

  private:
    void buildMenus();
    void say(const QString& text);
    void showContracts();
    void showInstallments();
    void enableCommands();
    // The server went away (`why`): said, changes disabled, the view kept
    // as it was; false when the last read went well.
    bool lostTouch();
    // The selected contract, or nullptr with that said.
    const ContractLine* selectedContract(bool sayWhy = true);
    // The selected installments in their order; none, with that said when
    // `sayWhy`, when none is selected.
    std::vector<InstallmentInfo> selectedInstallments(bool sayWhy = false);
    bool maySay(const StoreResult& r);
    // Sheets of `rows` onto `printer`; where they went said.
    void printRows(const std::vector<InstallmentInfo>& rows, Printer* printer, const QString& where);
    bool ask(const QString& question);

    struct Change {
        enum class Kind { Added, Edited, Removed } kind;
        InstallmentInfo before, after;
    };

    Platform& platform_;
    QString tablePath_;
    std::unique_ptr<SqlRegister> store_;
    std::unique_ptr<Register> register_;
    qint64 seen_ = -1;  // the register's generation shown
    bool lost_ = false;  // the server is out of reach
    int retry_ = 0;      // ticks until the next try to reach it
    std::vector<ContractLine> lines_;
    std::vector<RegisterRow> rows_;
    std::vector<Change> undo_;
    qint64 shownContract_ = 0;
    QLineEdit* search_ = nullptr;
    QTableWidget* contracts_ = nullptr;
    QTableWidget* installments_ = nullptr;
    QLabel* location_ = nullptr;
    QLabel* news_ = nullptr;
    QTimer follow_;
    std::vector<QWidget*> changers_;  // disabled on a register that cannot be written
};
