// The K arithmetic, step by step, in the kinds and roundings the sheet's
// figures depend on: ratios floored to Integer thousandths, terms floored
// from the Double product, K summed in Double and rounded to Single, the
// band test against the Singles nearest 0.96 and 1.04, the excess rounded
// halves-to-even, the compensation floored to whole satang. Every step checks
// its result and throws CalcError instead of carrying an infinity, a NaN or
// an out-of-range integer forward. No printing here.
#pragma once

#include <QString>
#include <stdexcept>

#include "base/Kinds.h"

class CalcError : public std::runtime_error {
  public:
    enum class Kind { DivisionByZero, Overflow, BadIndex };
    CalcError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message) {}
    Kind kind() const { return kind_; }
    const QString& message() const { return message_; }

  private:
    Kind kind_;
    QString message_;
};

// An index value that is not a finite number (a table field beyond the
// Single range) stops the sheet; `name` ("Io") and `month` say which.
void checkIndexValue(Single v, const QString& name, const QString& month);
// floor(t * 1000 / o) as an Integer; `symbol` names the index in messages.
Integer indexRatio(Single t, Single o, const QString& symbol);
// The Single nearest ratio / 1000, as the ratio line shows it.
Single displayedRatio(Integer ratio);
// floor(ratio * c, rounded to a Double) / 1000, as a Single.
Single weightedTerm(Integer ratio, Double c);

enum class Band { Below, Inside, Above };
Band bandOf(Single k);
// Thousandths by which K lies outside the band.
Integer excessOf(Single k, Band band);
Single displayedExcess(Integer excess);
// floor(excess * net / 10) satang, as a Long.
Long compensationSatang(Integer excess, Double netAmount);
// amount - net, the equipment deducted, in baht.
Double deductionOf(Double amount, Double netAmount);
// excess * net / 1000 baht, not truncated.
Double refundOf(Integer excess, Double netAmount);
