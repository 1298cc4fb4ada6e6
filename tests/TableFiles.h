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

// Month `month` of 2560 with every index at (100 + 10 i) × factor: month 1
// is the bid opening, 2 keeps K inside the band, 3 below it, 4 above it.
inline QByteArray bandMonthRecord(int month, double factor) {
    QByteArray r = QByteArray("2560").rightJustified(6) + QByteArray::number(month).rightJustified(6);
    for (int i = 0; i < 13; ++i) r += QByteArray::number((100 + 10 * i) * factor).rightJustified(6);
    return r;
}
// Those four months, in that order.
inline QByteArray bandMonthsTable() {
    return bandMonthRecord(1, 1) + bandMonthRecord(2, 1) + bandMonthRecord(3, 0.9) + bandMonthRecord(4, 1.125);
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
