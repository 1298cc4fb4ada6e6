// The user's guide (docs/guide.md, installed under /usr/share/doc/tarvon/),
// shown in a window of its own from the main window's menu "วิธีใช้", with
// its pictures. Finds the guide beside the program as installed, or in the
// source tree the program was built from.
#pragma once

#include <QDialog>
#include <QString>

// The guide's path for a program in `programFolder`; empty when there is none.
QString guidePath(const QString& programFolder);

class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(const QString& guide, QWidget* parent = nullptr);
};
