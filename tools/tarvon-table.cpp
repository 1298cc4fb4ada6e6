// tarvon-table import CSV OUT: builds an index table file (90-byte records)
// from a CSV of monthly indices. OUT is written only when every row fits.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "indexdata/CsvImport.h"
#include "indexdata/ReplaceFile.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || args[1] != QLatin1String("import")) {
        std::fprintf(stderr, "usage: tarvon-table import CSV OUT\n");
        return 2;
    }
    QFile in(args[2]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tarvon-table: %s: %s\n", qPrintable(args[2]),
                     qPrintable(in.errorString()));
        return 1;
    }
    const CsvImport result = importIndexCsv(QString::fromUtf8(in.readAll()));
    if (!result.ok) {
        std::fprintf(stderr, "tarvon-table: %s: %s\n", qPrintable(args[2]),
                     result.error.toUtf8().constData());
        return 1;
    }
    QString error;
    if (!replaceFile(args[3], result.table, &error)) {
        std::fprintf(stderr, "tarvon-table: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("%d records written to %s\n", result.records, qPrintable(args[3]));
    return 0;
}
