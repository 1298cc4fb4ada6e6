#include "indexdata/CsvImport.h"

#include "base/CsvText.h"
#include "indexdata/IndexRecord.h"

const QStringList kTableCsvHeader = {
    QStringLiteral("year_be"), QStringLiteral("month"), QStringLiteral("M"),   QStringLiteral("S"),
    QStringLiteral("C"),       QStringLiteral("G"),     QStringLiteral("I"),   QStringLiteral("F"),
    QStringLiteral("A"),       QStringLiteral("E"),     QStringLiteral("GIP"), QStringLiteral("AC"),
    QStringLiteral("PVC"),     QStringLiteral("W"),     QStringLiteral("PE")};

const QStringList kTableCsvThaiHeader = [] {
    QStringList heading = kTableCsvHeader;
    heading[0] = QStringLiteral("ปี พ.ศ.");
    heading[1] = QStringLiteral("เดือน");
    return heading;
}();

namespace {

// Whether the first row is a heading: its first cell names the year, as
// "year_be" (or any English word for it beginning "year") or as "ปี พ.ศ."
// (with or without its blank and full stops, or "ปี" alone).
bool isHeading(const QStringList& cells) {
    const QString first = cells.value(0).trimmed();
    if (first.startsWith(QLatin1String("year"), Qt::CaseInsensitive)) return true;
    QString thai = first;
    thai.remove(QLatin1Char(' ')).remove(QLatin1Char('.'));
    return thai == QStringLiteral("ปีพศ") || thai == QStringLiteral("ปี");
}

}  // namespace

QString indexValueProblem(const QString& v) {
    if (!v.isEmpty() && !isPlainNumber(v)) return QStringLiteral("\"%1\" ไม่ใช่ตัวเลข").arg(v);
    if (v.size() > kFieldLength)
        return QStringLiteral("\"%1\" ยาวเกิน %2 ตัวอักษร").arg(v).arg(kFieldLength);
    return QString();
}

CsvImport importIndexCsv(const CsvText& csv) {
    CsvImport out;
    if (!csv.refusal.isEmpty()) {
        out.error = csv.refusal;
        return out;
    }
    const std::vector<CsvRow> rows = parseCsv(csv);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = rows[i].line;
        const QStringList& cells = rows[i].cells;
        if (i == 0 && isHeading(cells)) continue;
        if (const QString problem = csvRowProblem(rows[i]); !problem.isEmpty()) {
            out.error = QStringLiteral("แถวที่ %1: %2").arg(row).arg(problem);
            return out;
        }
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
            if (const QString problem = indexValueProblem(v); !problem.isEmpty()) {
                out.error = QStringLiteral("แถวที่ %1 ช่องที่ %2: %3").arg(row).arg(f + 1).arg(problem);
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
