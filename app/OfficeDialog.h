// "เชื่อมต่อฐานข้อมูลสำนักงาน…": the fields of an office's register server
// (host, port, database, user, password), and whether to keep the password
// in the desktop's key store. It only asks; connecting is the register
// window's.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

#include "contract/PostgresConnection.h"

class OfficeDialog : public QDialog {
    Q_OBJECT
  public:
    // `shown` fills the fields (a server opened before).
    OfficeDialog(const PostgresLogin& shown, QWidget* parent);
    // The fields as typed; a port that is not a number is refused in
    // done() naming the field.
    PostgresLogin login() const;
    bool keepPassword() const { return keep_->isChecked(); }

  protected:
    void done(int result) override;

  private:
    QLineEdit *host_, *port_, *database_, *user_, *password_;
    QCheckBox* keep_;
};
