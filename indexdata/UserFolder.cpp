#include "indexdata/UserFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "indexdata/TableFile.h"
#include "base/ReplaceFile.h"

QString userFolder(const QString& xdgDataHome, const QString& home) {
    const QString base = !xdgDataHome.isEmpty() && QDir::isAbsolutePath(xdgDataHome)
                             ? xdgDataHome
                             : home + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/tarvon"));
}

QString installedSample(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/tarvon/") +
                           kTableName);
}

bool prepareUserFolder(const QString& folder, const QString& sample, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("สร้างโฟลเดอร์ %1 ไม่ได้").arg(folder);
        return false;
    }
    const QString table = folder + QLatin1Char('/') + kTableName;
    const QFileInfo there(table);
    // Anything already named KTABLE.DAT is the user's, except an empty
    // file: no one keeps that on purpose here, and a copy killed half-way
    // before copies were put in place whole left exactly that. A link is
    // left alone; start-up says where it points if that is missing.
    const bool empty = there.isFile() && !there.isSymLink() && there.size() == 0;
    if ((there.exists() || there.isSymLink()) && !empty) return true;
    QFile from(sample);
    if (!from.open(QIODevice::ReadOnly)) return true;  // nothing to copy: start-up creates an empty table
    const QByteArray bytes = from.readAll();
    QString why;
    if (empty ? replaceFile(table, bytes, &why) : createFile(table, bytes, &why)) return true;
    if (error) *error = QStringLiteral("คัดลอกตารางดัชนีตัวอย่างไปไม่ได้: ") + why;
    return false;
}
