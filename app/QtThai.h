// Qt's own texts in Thai: the standard buttons (ตกลง, บันทึก, ไม่บันทึก,
// ยกเลิก, ...), the message and input boxes, the whole file dialog, the
// context menus of fields, texts and scroll bars. Debian ships no Thai for
// them, so the program carries its own catalogue (translations/
// qtbase_th.ts, compiled at build time) and installs it whatever the
// locale: the program's own texts are Thai on any desktop, and so must be
// the buttons under them. It does not translate the program's own texts
// (written in Thai) nor key names (Ctrl, Del: as printed on the keys).
#pragma once

#include <QString>

class QTranslator;

// The compiled catalogue as found from the program's folder: installed in
// ../share/tarvon/translations, or in the build tree's translations/
// beside the program. Empty when neither is there.
QString qtThaiCatalogue(const QString& programFolder);

// Loads the catalogue and installs it on the application, which owns it;
// nullptr (Qt's texts then stay English) when it is not found or cannot
// be read.
QTranslator* installQtThai(const QString& programFolder);
