// tarvon: the window. Works in the current folder, on its "KTABLE.DAT",
// or with --user-folder in the user's data folder (the menu entry's way).
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "app/QtThai.h"
#include "indexdata/UserFolder.h"
#include "app/frmTarvon.h"
#include "base/ReplaceFile.h"
#include "base/Cli.h"

namespace {

const cli::Usage kUsage = {
    "usage: tarvon [--user-folder] [--pdf FILE]\n"
    "  --user-folder  work in $XDG_DATA_HOME/tarvon (~/.local/share/tarvon), seeded\n"
    "                 with the sample index table when it holds no KTABLE.DAT\n"
    "  --pdf FILE     print each sheet into FILE as a PDF instead of the printer\n"
    "Without --user-folder, KTABLE.DAT is opened in the current folder.\n"
    "Exit status: 0 after เลิกงาน, 1 when the table cannot be used, 2 usage error.\n",
    "วิธีใช้: tarvon [--user-folder] [--pdf แฟ้ม]\n"
    "  --user-folder  ทำงานในโฟลเดอร์ข้อมูลของผู้ใช้ $XDG_DATA_HOME/tarvon\n"
    "                 (~/.local/share/tarvon) ถ้ายังไม่มี KTABLE.DAT จะคัดลอกตารางดัชนีตัวอย่างให้\n"
    "  --pdf แฟ้ม      พิมพ์รายการคำนวณลงแฟ้ม PDF นี้แทนเครื่องพิมพ์\n"
    "ถ้าไม่ระบุ --user-folder จะเปิด KTABLE.DAT ในโฟลเดอร์ปัจจุบัน\n"
    "สถานะเมื่อจบ: 0 เลิกงานตามปกติ, 1 ใช้แฟ้มดัชนีราคาไม่ได้, 2 สั่งงานผิดรูปแบบ\n"};

int fatal(const QString& error) {
    std::fprintf(stderr, "tarvon: %s\n", error.toUtf8().constData());
    QMessageBox box(QMessageBox::Critical, QtPlatform::kTitle, error, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QtPlatform::kOk);
    box.exec();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before any window system is needed.
    if (const int status = cli::helpOrVersion(argc, argv, "tarvon", kUsage); status >= 0) return status;
    // Usage errors too are said before any window system is needed.
    QString pdfPath;
    bool inUserFolder = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--pdf" && i + 1 < argc) {
            pdfPath = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[++i]));
        } else if (arg == "--user-folder") {
            inUserFolder = true;
        } else {
            std::fputs(cli::usageText(kUsage), stderr);
            return 2;
        }
    }
    cli::settleRuntimeFolder();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tarvon"));
    app.setDesktopFileName(QStringLiteral("org.tarvon.Tarvon"));
    // Qt's own buttons and dialogs in Thai whatever the desktop's language,
    // as the program's own texts are.
    if (!installQtThai(QCoreApplication::applicationDirPath()))
        std::fputs("tarvon: ไม่พบแฟ้มคำแปลภาษาไทยของปุ่มและหน้าต่างมาตรฐาน (qtbase_th.qm) "
                   "ข้างโปรแกรม: ข้อความเหล่านั้นจะเป็นภาษาอังกฤษ\n",
                   stderr);

    if (inUserFolder) {
        const QString folder = userFolder(qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
        QString error;
        if (!prepareUserFolder(folder, installedSample(QCoreApplication::applicationDirPath()),
                               &error))
            return fatal(error);
        QDir::setCurrent(folder);
    }

    frmTarvon window(pdfPath);
    QString error;
    if (!window.Form_Load(&error)) return fatal(error);
    // Checked once the table exists: start-up creates a missing one.
    if (!pdfPath.isEmpty()) {
        if (const QString same = outputIsInput(pdfPath, {kTableName}); !same.isEmpty())
            return fatal(same);
    }
    window.show();
    return app.exec();
}
