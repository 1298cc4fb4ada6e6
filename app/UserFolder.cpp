#include "app/UserFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/Tarvon.h"

QString userFolder(const QString& xdgDataHome, const QString& home) {
    const QString base = !xdgDataHome.isEmpty() && QDir::isAbsolutePath(xdgDataHome)
                             ? xdgDataHome
                             : home + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/tarvon"));
}

QString installedSample(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/tarvon/") +
                           Tarvon::kTableName);
}

bool prepareUserFolder(const QString& folder, const QString& sample, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("สร้างโฟลเดอร์ %1 ไม่ได้").arg(folder);
        return false;
    }
    const QString table = folder + QLatin1Char('/') + Tarvon::kTableName;
    // Anything already named KTABLE.DAT is the user's: never replaced.
    if (QFileInfo(table).exists() || QFileInfo(table).isSymLink() || !QFileInfo(sample).isFile())
        return true;
    QFile from(sample), to(table);
    if (!from.open(QIODevice::ReadOnly)) return true;  // nothing to copy: start-up creates an empty table
    const QByteArray bytes = from.readAll();
    if (!to.open(QIODevice::WriteOnly | QIODevice::NewOnly) || to.write(bytes) != bytes.size() ||
        !to.flush()) {
        if (error)
            *error =
                QStringLiteral("คัดลอกตารางดัชนีตัวอย่างไป %1 ไม่ได้: %2").arg(table, to.errorString());
        to.remove();
        return false;
    }
    return true;
}
