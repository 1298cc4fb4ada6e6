#include "app/HelpWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/ScreenFit.h"
#include "print/Fonts.h"

QString guidePath(const QString& programFolder) {
    for (const QString& candidate :
         {programFolder + QStringLiteral("/../share/doc/tarvon/guide.md"),
          QStringLiteral(TARVON_SOURCE_DIR "/docs/guide.md")}) {
        if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate);
    }
    return QString();
}

HelpWindow::HelpWindow(const QString& guide, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("วิธีใช้โปรแกรมคำนวณค่า K"));
    fitToScreen(this, QSize(900, 700));
    auto* layout = new QVBoxLayout(this);
    auto* browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("guide"));
    browser->setFont(thaiFont(QStringLiteral("Browallia New"), 15.75));
    browser->setOpenExternalLinks(true);
    browser->setSource(QUrl::fromLocalFile(guide), QTextDocument::MarkdownResource);
    layout->addWidget(browser);
}
