// The register's two forms: a contract (number, work, contractor, bid-opening
// date, the formula its installments take) and an installment with all its
// fields at once, each checked as the window's prompts check it
// (readInstallmentFields) and what the installment comes to shown while
// typing. A slip is said naming its field, which takes the focus; the
// other fields keep what was typed. They only ask: storing is the
// register window's, through `save`, called when the user saves: a save
// that fails (the server went away) keeps the form open with every value
// typed, to be saved again.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <functional>
#include <vector>

#include "contract/InstallmentForm.h"
#include "contract/RegisterStore.h"

class ContractDialog : public QDialog {
    Q_OBJECT
  public:
    // `save` stores the contract typed; false, after saying why, keeps the
    // form open.
    ContractDialog(const ContractInfo& shown, std::function<bool(const ContractInfo&)> save,
                   QWidget* parent);
    // The contract typed, once accepted.
    const ContractInfo& contract() const { return contract_; }
    // The contract the fields make, or the first slip in Thai (the field
    // that holds it takes the focus).
    bool read(QString* problem);

  protected:
    void done(int result) override;

  private:
    std::function<bool(const ContractInfo&)> save_;
    ContractInfo contract_;
    QLineEdit *number_, *work_, *contractor_, *day_, *month_, *year_, *formula_;
};

class InstallmentDialog : public QDialog {
    Q_OBJECT
  public:
    // `compute` gives what an installment comes to on the table as it is now.
    // `save` stores the installment typed; false, after saying why, keeps
    // the form open.
    InstallmentDialog(const QString& title, const Installment& shown,
                      std::function<InstallmentOutcome(const Installment&)> compute,
                      std::function<bool(const Installment&)> save, QWidget* parent);
    // The installment typed, once accepted.
    const Installment& installment() const { return reading_.value; }
    // The fields as typed, and their reading (tests fill them through here).
    QLineEdit* field(FormField f, int item = 0) const;
    QString result() const { return result_->text(); }

  protected:
    void done(int result) override;

  private:
    void reread();

    std::function<InstallmentOutcome(const Installment&)> compute_;
    std::function<bool(const Installment&)> save_;
    Installment bid_;
    FormReading reading_;
    QLineEdit *formula_, *day_, *month_, *year_, *designation_, *amount_;
    std::array<QLineEdit*, kEquipItems> names_{}, prices_{};
    QLabel* result_ = nullptr;
};
