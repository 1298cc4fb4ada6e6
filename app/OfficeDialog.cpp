#include "app/OfficeDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/QtPlatform.h"
#include "app/ScreenFit.h"
#include "entry/Replies.h"

OfficeDialog::OfficeDialog(const PostgresLogin& shown, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("officeDialog"));
    setWindowTitle(QStringLiteral("เชื่อมต่อฐานข้อมูลสำนักงาน"));
    auto* form = new QFormLayout;
    const auto add = [&](const char* name, const QString& label, const QString& text) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setAccessibleName(label);
        form->addRow(label, edit);
        return edit;
    };
    host_ = add("host", QStringLiteral("เครื่องแม่ข่าย (ชื่อหรือที่อยู่ ว่างไว้คือเครื่องนี้)"), shown.host);
    port_ = add("port", QStringLiteral("พอร์ต (ว่างไว้คือ 5432)"), shown.port ? QString::number(shown.port) : QString());
    database_ = add("database", QStringLiteral("ฐานข้อมูล"), shown.database);
    user_ = add("user", QStringLiteral("ผู้ใช้"), shown.user);
    password_ = add("password", QStringLiteral("รหัสผ่าน"), shown.password);
    password_->setEchoMode(QLineEdit::Password);
    keep_ = new QCheckBox(QStringLiteral("จำรหัสผ่านไว้ในที่เก็บรหัสผ่านของเดสก์ท็อป (ไม่เขียนลงแฟ้ม)"), this);
    keep_->setObjectName(QStringLiteral("keepPassword"));
    auto* note = new QLabel(QStringLiteral("ถ้าไม่ใส่รหัสผ่าน จะใช้ ~/.pgpass หรือ PGPASSWORD แบบเดียวกับโปรแกรมของ PostgreSQL"), this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("เชื่อมต่อ"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ยกเลิก"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(keep_);
    layout->addWidget(note);
    layout->addWidget(buttons);
    fitToScreen(this, sizeHint().expandedTo(QSize(520, 0)));
}

PostgresLogin OfficeDialog::login() const {
    PostgresLogin l;
    l.host = host_->text().trimmed();
    l.port = port_->text().trimmed().isEmpty() ? 0 : int(replyToWhole(port_->text(), 1, 65535).value);
    l.database = database_->text().trimmed();
    l.user = user_->text().trimmed();
    l.password = password_->text();
    return l;
}

void OfficeDialog::done(int result) {
    if (result == QDialog::Accepted) {
        QString problem;
        QLineEdit* field = nullptr;
        if (!port_->text().trimmed().isEmpty()) {
            const Conversion port = replyToWhole(port_->text(), 1, 65535);
            if (!port.ok) problem = QStringLiteral("พอร์ต: ") + port.error, field = port_;
        }
        if (problem.isEmpty() && database_->text().trimmed().isEmpty())
            problem = QStringLiteral("ฐานข้อมูล: ยังไม่ได้ป้อน"), field = database_;
        if (!problem.isEmpty()) {
            QMessageBox box(QMessageBox::Warning, QtPlatform::kTitle, problem, QMessageBox::Ok, this);
            box.button(QMessageBox::Ok)->setText(QtPlatform::kOk);
            box.exec();
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    QDialog::done(result);
}
