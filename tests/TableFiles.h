// Helpers that write index tables into a temporary working folder.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <initializer_list>

// One 90-byte record: each given field right-aligned in 6 characters.
inline QByteArray record(std::initializer_list<const char*> fields) {
    QByteArray r;
    for (const char* f : fields) r += QByteArray(f).rightJustified(6, ' ');
    while (r.size() < 90) r += QByteArray(6, ' ');
    return r;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write test table");
    f.write(bytes);
}

// A temporary folder made the working folder for the test's lifetime.
class WorkingFolder {
  public:
    WorkingFolder() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~WorkingFolder() { QDir::setCurrent(old_); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    void table(const QByteArray& bytes) const {
        writeFile(path(QStringLiteral("KTABLE.DAT")), bytes);
    }

  private:
    QTemporaryDir dir_;
    QString old_;
};

#ifdef TARVON_SAMPLE_CSV
#include <QString>

#include "indexdata/CsvImport.h"

// The bundled sample CSV, imported as the program imports it.
inline CsvImport sampleImport() {
    QFile csv(QStringLiteral(TARVON_SAMPLE_CSV));
    if (!csv.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read the sample CSV");
    return importIndexCsv(QString::fromUtf8(csv.readAll()));
}
#endif
