// tarvon: works in the current folder, on its "KTABLE.DAT".
//   tarvon              print sheets on the default printer
//   tarvon --pdf FILE   write each printed sheet to FILE as a PDF instead
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "app/frmTarvon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tarvon"));

    QString pdfPath;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--pdf") && i + 1 < args.size()) {
            pdfPath = args[++i];
        } else {
            std::fprintf(stderr, "usage: tarvon [--pdf FILE]\n");
            return 2;
        }
    }

    frmTarvon window(pdfPath);
    QString error;
    if (!window.Form_Load(&error)) {
        std::fprintf(stderr, "tarvon: %s\n", error.toUtf8().constData());
        QMessageBox box(QMessageBox::Critical, QtPlatform::kTitle, error, QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QtPlatform::kOk);
        box.exec();
        return 1;
    }
    window.show();
    return app.exec();
}
