#include "indexdata/CsvImport.h"

#include <cmath>
#include <map>

#include "base/CsvText.h"
#include "base/MonthNames.h"
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

QString monthYearProblem(const QString& year, const QString& month) {
    for (const QString& v : {year, month}) {
        if (v.isEmpty()) return QStringLiteral("ไม่มีปีหรือเดือน");
        if (const QString problem = indexValueProblem(v); !problem.isEmpty()) return problem;
    }
    const double y = leadingNumber(year), m = leadingNumber(month);
    if (m != std::floor(m) || m < 1 || m > 12)
        return QStringLiteral("เดือน \"%1\" ไม่ใช่จำนวนเต็ม 1 ถึง 12").arg(month);
    if (y != std::floor(y) || y < 1)
        return QStringLiteral("ปี \"%1\" ไม่ใช่จำนวนเต็มที่มากกว่า 0").arg(year);
    if (y < 2400)
        return QStringLiteral("ปี %1 ต่ำกว่า 2400: %2").arg(year, buddhistEraHint(Long(y)));
    return QString();
}

CsvImport importIndexCsv(const CsvText& csv) {
    const auto field = [](const QString& v) {
        return v.rightJustified(kFieldLength, QLatin1Char(' ')).toLatin1();
    };
    CsvImport out;
    std::map<std::pair<Long, Long>, int> rowOfMonth;
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
        const QString year = cells[0].trimmed(), month = cells[1].trimmed();
        if (const QString problem = monthYearProblem(year, month); !problem.isEmpty()) {
            out.error = QStringLiteral("แถวที่ %1: %2").arg(row).arg(problem);
            return out;
        }
        const auto [first, once] =
            rowOfMonth.emplace(std::pair(Long(leadingNumber(year)), Long(leadingNumber(month))), row);
        if (!once) {
            out.error = QStringLiteral("แถวที่ %1: เดือน %2 ซ้ำกับแถวที่ %3: ไม่รู้ว่าจะใช้แถวใด")
                            .arg(row)
                            .arg(monthSlashYear(first->first.second, first->first.first))
                            .arg(first->second);
            return out;
        }
        QByteArray record = field(year) + field(month);
        for (int f = 2; f < kFieldCount; ++f) {
            const QString v = cells[f].trimmed();
            if (const QString problem = indexValueProblem(v); !problem.isEmpty()) {
                out.error = QStringLiteral("แถวที่ %1 ช่องที่ %2: %3").arg(row).arg(f + 1).arg(problem);
                return out;
            }
            record += field(v);
        }
        out.table += record;
        out.lines.push_back(row);
        ++out.records;
    }
    out.ok = true;
    return out;
}
