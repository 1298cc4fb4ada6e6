#include "escalation/SheetFacts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <cmath>
#include <limits>

#include "escalation/Formulas.h"
#include "escalation/PrintModel.h"
#include "escalation/ResultText.h"

namespace {

// Digits that read back as exactly `v`: plain decimals where they stay
// short, the exponent form for the very large and the very small.
template <typename T>
QString shortest(T v) {
    char buffer[400];
    const T size = std::abs(v);
    const bool plain = v == 0 || (size >= T(1e-6) && size < T(1e16));
    const auto r = plain
                       ? std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed)
                       : std::to_chars(buffer, buffer + sizeof buffer, v);
    return QString::fromLatin1(buffer, int(r.ptr - buffer));
}

QString jsonText(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString trailingBlanksDropped(const QString& s) {
    qsizetype e = s.size();
    while (e > 0 && s[e - 1] == QLatin1Char(' ')) --e;
    return s.left(e);
}

QString date(Long day, Long month, Long year) {
    return QStringLiteral("{\"day\":%1,\"month\":%2,\"year\":%3}").arg(day).arg(month).arg(year);
}

QString indices(const FormulaDef* def, const IndexValues& v) {
    QStringList members;
    if (def)
        for (const FormulaTerm& t : def->terms)
            members << jsonText(t.symbol) + QLatin1Char(':') + shortest(v[t.column]);
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}

// ---- reading ----------------------------------------------------------

struct Reader {
    QString why;
    bool failed() const { return !why.isEmpty(); }
    void fail(const QString& member, const QString& wanted) {
        if (why.isEmpty()) why = QStringLiteral("ช่อง \"%1\" %2").arg(member, wanted);
    }

    QString text(const QJsonObject& o, const QString& key, bool required = true) {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() && !required) return QString();
        if (!v.isString()) fail(key, QStringLiteral("ต้องเป็นข้อความ"));
        return v.toString();
    }
    Double number(const QJsonValue& v, const QString& key) {
        if (!v.isDouble()) fail(key, QStringLiteral("ต้องเป็นตัวเลข"));
        return v.toDouble();
    }
    Long whole(const QJsonObject& o, const QString& key, const QString& name) {
        const Double d = number(o.value(key), name);
        if (failed()) return 0;
        if (d != std::floor(d) || d < std::numeric_limits<Long>::min() ||
            d > std::numeric_limits<Long>::max()) {
            fail(name, QStringLiteral("ต้องเป็นจำนวนเต็ม"));
            return 0;
        }
        return Long(d);
    }
    // The Single whose shortest digits are the ones written (a JSON reader
    // gives a Double, which for one Single, 7.038531e-26, rounds to the
    // next); the Single nearest the number for digits written otherwise.
    Single single(const QJsonValue& v, const QString& key) {
        const Double d = number(v, key);
        const Single nearest = Single(d);
        for (Single f :
             {nearest, std::nextafter(nearest, -INFINITY), std::nextafter(nearest, INFINITY)})
            if (shortest(f).toDouble() == d) return f;
        return nearest;
    }
    void date(const QJsonObject& o, const QString& key, Long* day, Long* month, Long* year) {
        const QJsonValue v = o.value(key);
        if (!v.isObject()) return fail(key, QStringLiteral("ต้องมีวัน เดือน ปี"));
        const QJsonObject d = v.toObject();
        *day = whole(d, QStringLiteral("day"), key + QStringLiteral(".day"));
        *month = whole(d, QStringLiteral("month"), key + QStringLiteral(".month"));
        *year = whole(d, QStringLiteral("year"), key + QStringLiteral(".year"));
    }
    void indices(const QJsonObject& o, const QString& key, const FormulaDef& def,
                 IndexValues* out) {
        const QJsonValue v = o.value(key);
        if (!v.isObject()) return fail(key, QStringLiteral("ต้องมีดัชนีของสูตร"));
        const QJsonObject values = v.toObject();
        QStringList symbols;
        for (const FormulaTerm& t : def.terms) {
            symbols << t.symbol;
            (*out)[t.column] = single(values.value(t.symbol), key + QLatin1Char('.') + t.symbol);
        }
        if (!failed() && values.size() != qsizetype(def.terms.size()))
            fail(key, QStringLiteral("ต้องมีดัชนีของสูตรที่ %1 เท่านั้น (%2)")
                          .arg(def.number)
                          .arg(symbols.join(QStringLiteral(", "))));
    }
};

}  // namespace

QString bandName(Band b) {
    switch (b) {
        case Band::Below:
            return QStringLiteral("below");
        case Band::Above:
            return QStringLiteral("above");
        case Band::Inside:
            break;
    }
    return QStringLiteral("inside");
}


SheetFacts sheetFacts(const CalcState& st, const SheetResult& r, const QString& tableName,
                      const QString& tableSha256) {
    SheetFacts f;
    f.program = QStringLiteral("tarvon " TARVON_VERSION);
    f.formula = st.intFormulaNo;
    f.bidDay = st.lngODay;
    f.bidMonth = st.lngOMonth;
    f.bidYear = st.lngOYear;
    f.day = st.lngTDay;
    f.month = st.lngTMonth;
    f.year = st.lngTYear;
    f.installment = trailingBlanksDropped(st.strInstallment);
    f.amount = st.dblAmount;
    int priced = 0;
    for (int i = 0; i < kEquipItems; ++i)
        if (st.dblEquipPrice[size_t(i)] != 0) priced = i + 1;
    for (int i = 0; i < priced; ++i)
        f.items.push_back(
            {trailingBlanksDropped(st.strEquipName[size_t(i)]), st.dblEquipPrice[size_t(i)]});
    f.o.year = st.lngOYear;
    f.o.month = st.lngOMonth;
    f.t.year = st.lngTYear;
    f.t.month = st.lngTMonth;
    if (const FormulaDef* def = formulaDefinition(st.intFormulaNo)) {
        for (const FormulaTerm& t : def->terms) {
            f.o[t.column] = st.OData[t.column];
            f.t[t.column] = st.TData[t.column];
        }
    }
    f.tableName = tableName;
    f.tableSha256 = tableSha256;
    f.k = sheetNumber(r.k);
    f.band = bandName(r.band);
    if (r.band != Band::Inside) f.excess = sheetNumber(r.excess);
    if (r.band == Band::Above) f.compensation = sheetNumber(r.compensation);
    if (r.band == Band::Below) f.refund = sheetNumber(r.refund);
    return f;
}

QString sheetFactsText(const SheetFacts& f) {
    const FormulaDef* def = formulaDefinition(f.formula);
    QStringList items;
    for (const SheetFacts::Item& i : f.items)
        items << QStringLiteral("{\"name\":%1,\"price\":%2}")
                     .arg(jsonText(i.name), shortest(i.price));
    QString line = QStringLiteral(
                       "{\"form\":%1,\"program\":%2,\"formula\":%3,\"bid\":%4,\"delivery\":%5,"
                       "\"installment\":%6,\"amount\":%7,\"items\":[%8],\"o\":%9,")
                       .arg(jsonText(kSheetFactsForm), jsonText(f.program),
                            QString::number(f.formula), date(f.bidDay, f.bidMonth, f.bidYear),
                            date(f.day, f.month, f.year), jsonText(f.installment),
                            shortest(f.amount), items.join(QLatin1Char(',')), indices(def, f.o));
    line += QStringLiteral("\"t\":%1,\"table\":{\"name\":%2,\"sha256\":%3},\"k\":%4,\"band\":%5")
                .arg(indices(def, f.t), jsonText(f.tableName), jsonText(f.tableSha256),
                     jsonText(f.k), jsonText(f.band));
    for (const auto& [key, value] :
         {std::pair{"excess", &f.excess}, std::pair{"compensation", &f.compensation},
          std::pair{"refund", &f.refund}}) {
        if (!value->isEmpty())
            line += QStringLiteral(",\"%1\":%2").arg(QLatin1String(key), jsonText(*value));
    }
    return line + QLatin1Char('}');
}

std::optional<SheetFacts> readSheetFacts(const QString& text, QString* why) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    const auto refuse = [&](const QString& reason) -> std::optional<SheetFacts> {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (!doc.isObject())
        return refuse(QStringLiteral("ไม่ใช่ JSON ที่อ่านได้ (%1)").arg(error.errorString()));
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("form")).toString() != kSheetFactsForm)
        return refuse(QStringLiteral("ไม่ใช่ข้อมูลแบบ \"%1\" (แบบที่ระบุไว้: \"%2\")")
                          .arg(kSheetFactsForm, o.value(QStringLiteral("form")).toString()));
    Reader r;
    SheetFacts f;
    f.program = r.text(o, QStringLiteral("program"));
    const Long formula = r.whole(o, QStringLiteral("formula"), QStringLiteral("formula"));
    const FormulaDef* def = formulaDefinition(formula);
    if (!r.failed() && !def) r.fail(QStringLiteral("formula"), QStringLiteral("ต้องเป็นสูตร 1 ถึง 13"));
    if (r.failed()) return refuse(r.why);
    f.formula = Integer(formula);
    r.date(o, QStringLiteral("bid"), &f.bidDay, &f.bidMonth, &f.bidYear);
    r.date(o, QStringLiteral("delivery"), &f.day, &f.month, &f.year);
    f.installment = r.text(o, QStringLiteral("installment"));
    f.amount = r.number(o.value(QStringLiteral("amount")), QStringLiteral("amount"));
    const QJsonValue items = o.value(QStringLiteral("items"));
    if (!items.isArray() || items.toArray().size() > kEquipItems)
        r.fail(QStringLiteral("items"), QStringLiteral("ต้องเป็นรายการครุภัณฑ์ไม่เกิน 10 รายการ"));
    for (const QJsonValue& item : items.toArray()) {
        const QJsonObject i = item.toObject();
        f.items.push_back(
            {r.text(i, QStringLiteral("name")),
             r.number(i.value(QStringLiteral("price")), QStringLiteral("items.price"))});
    }
    r.indices(o, QStringLiteral("o"), *def, &f.o);
    r.indices(o, QStringLiteral("t"), *def, &f.t);
    f.o.year = f.bidYear;
    f.o.month = f.bidMonth;
    f.t.year = f.year;
    f.t.month = f.month;
    const QJsonObject table = o.value(QStringLiteral("table")).toObject();
    f.tableName = r.text(table, QStringLiteral("name"), false);
    f.tableSha256 = r.text(table, QStringLiteral("sha256"), false);
    f.k = r.text(o, QStringLiteral("k"));
    f.band = r.text(o, QStringLiteral("band"));
    if (!r.failed() && f.band != bandName(Band::Below) && f.band != bandName(Band::Inside) &&
        f.band != bandName(Band::Above))
        r.fail(QStringLiteral("band"), QStringLiteral("ต้องเป็น below, inside หรือ above"));
    const bool outside = f.band != bandName(Band::Inside);
    f.excess = r.text(o, QStringLiteral("excess"), outside);
    f.compensation = r.text(o, QStringLiteral("compensation"), f.band == bandName(Band::Above));
    f.refund = r.text(o, QStringLiteral("refund"), f.band == bandName(Band::Below));
    if (r.failed()) return refuse(r.why);
    return f;
}
