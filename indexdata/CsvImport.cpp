#include "indexdata/CsvImport.h"

#include <QRegularExpression>
#include <QStringList>

#include "indexdata/IndexRecord.h"

CsvImport importIndexCsv(const QString& csv) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    CsvImport out;
    const QStringList lines = csv.split(QLatin1Char('\n'));
    for (int row = 1; row <= lines.size(); ++row) {
        const QString line = lines[row - 1].trimmed();
        if (line.isEmpty()) continue;
        if (row == 1 && line.startsWith(QLatin1String("year"))) continue;  // header
        const QStringList cells = line.split(QLatin1Char(','));
        if (cells.size() != kFieldCount) {
            out.error = QStringLiteral("แถวที่ %1: ต้องมี %2 ช่อง แต่พบ %3 ช่อง")
                            .arg(row)
                            .arg(kFieldCount)
                            .arg(cells.size());
            return out;
        }
        QByteArray record;
        for (int f = 0; f < kFieldCount; ++f) {
            const QString v = cells[f].trimmed();
            if (f < 2 && v.isEmpty()) {
                out.error = QStringLiteral("แถวที่ %1: ไม่มีปีหรือเดือน").arg(row);
                return out;
            }
            if (!v.isEmpty() && !number.match(v).hasMatch()) {
                out.error =
                    QStringLiteral("แถวที่ %1 ช่องที่ %2: \"%3\" ไม่ใช่ตัวเลข").arg(row).arg(f + 1).arg(v);
                return out;
            }
            if (v.size() > kFieldLength) {
                out.error = QStringLiteral("แถวที่ %1 ช่องที่ %2: \"%3\" ยาวเกิน %4 ตัวอักษร")
                                .arg(row)
                                .arg(f + 1)
                                .arg(v)
                                .arg(kFieldLength);
                return out;
            }
            record += v.rightJustified(kFieldLength, QLatin1Char(' ')).toLatin1();
        }
        out.table += record;
        ++out.records;
    }
    out.ok = true;
    return out;
}
