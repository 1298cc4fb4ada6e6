#include "app/QtThai.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

namespace {
const QString kCatalogue = QStringLiteral("qtbase_th.qm");
}

QString qtThaiCatalogue(const QString& programFolder) {
    for (const QString& folder : {QStringLiteral("/../share/tarvon/translations/"),
                                  QStringLiteral("/translations/")}) {
        const QString candidate = QDir::cleanPath(programFolder + folder + kCatalogue);
        if (QFileInfo(candidate).isFile()) return candidate;
    }
    return QString();
}

QTranslator* installQtThai(const QString& programFolder) {
    const QString path = qtThaiCatalogue(programFolder);
    if (path.isEmpty()) return nullptr;
    // The file is mapped, not read: a few pages touched at start-up.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(path)) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}
