// What a printed sheet was computed from, in the one small form that
// travels invisibly with it (a PDF keeps it in its document information):
// the formula, both dates, the designation, the amount and the equipment
// items, the index values of both months as the sheet read them, the
// table's file name and the SHA-256 of its bytes, the program that printed
// it, and K with the compensation or refund as printed. The form is one
// line of JSON, its keys always in this order:
//
//   {"form":"tarvon-sheet 1","program":"tarvon 1.1.0","formula":1,
//    "bid":{"day":15,"month":1,"year":2541},
//    "delivery":{"day":20,"month":3,"year":2541},
//    "installment":"3","amount":1000000,
//    "items":[{"name":"รถบด","price":50000}],
//    "o":{"I":120,"C":100,"M":110,"S":105},"t":{"I":126,...},
//    "table":{"name":"KTABLE.DAT","sha256":"…"},
//    "k":"1.065","band":"above","excess":"0.025","compensation":"23750"}
//
// Inputs are JSON numbers in the shortest digits that read back as the very
// same value (an index as the Single the sheet used; a zero's sign, which
// no sheet shows or computes with, is not kept by JSON readers); designation and names
// are the state's fixed texts without their trailing blanks; o and t hold
// the formula's own indices by their printed symbols; what was printed (k,
// excess, compensation or refund, by band) is text, exactly as on the sheet.
// This unit writes and reads the form; it neither prints nor checks a sheet.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "escalation/CalcState.h"
#include "escalation/Sheet.h"

// The form's name and version, its first member.
inline const QString kSheetFactsForm = QStringLiteral("tarvon-sheet 1");

struct SheetFacts {
    QString program;  // "tarvon 1.1.0"
    Integer formula = 0;
    Long bidDay = 0, bidMonth = 0, bidYear = 0;
    Long day = 0, month = 0, year = 0;
    QString installment;  // the fixed text, trailing blanks dropped
    Double amount = 0;
    struct Item {
        QString name;  // the fixed text, trailing blanks dropped
        Double price = 0;
        bool operator==(const Item&) const = default;
    };
    // Items 1 to the last one priced (as the state holds them).
    std::vector<Item> items;
    // The formula's indices of each month (other columns 0), with the
    // month's year and month.
    IndexValues o, t;
    QString tableName, tableSha256;  // empty when not known
    // As printed: K, and by band the excess and the compensation or refund
    // (in baht); empty where the sheet prints none.
    QString k, band, excess, compensation, refund;
};

// The facts of the sheet just computed from `st` with result `r`, its
// indices read from the table `tableName` whose bytes have `tableSha256`.
SheetFacts sheetFacts(const CalcState& st, const SheetResult& r, const QString& tableName,
                      const QString& tableSha256);

// The form's one line.
QString sheetFactsText(const SheetFacts& f);

// Reads one line of the form; nullopt with the Thai reason in `why` when
// it is not one (another form, a member missing or of the wrong kind, o or
// t not naming exactly the formula's indices).
std::optional<SheetFacts> readSheetFacts(const QString& text, QString* why);

// The band's name in the form: "below", "inside", "above".
QString bandName(Band b);
