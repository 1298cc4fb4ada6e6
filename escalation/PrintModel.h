// The printing model of the calculation sheet: a sheet is a list of print
// statements, each a list of column stops, texts and numbers that ends its
// line. This header fixes how numbers turn into text and how statements lay
// out on a grid of character cells (the plain-text rendering used for
// previews and tests). It knows nothing about fonts or printers; the Qt
// printer lays out the same statements with real font metrics.
#pragma once

#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

#include "base/Kinds.h"
#include "base/TextColumns.h"

namespace print {

struct Col {
    int n;  // column 1 is the left edge
    bool operator==(const Col&) const = default;
};

using Item = std::variant<Col, QString, Long, Single, Double>;
using Statement = std::vector<Item>;

// One space before a non-negative number (a minus sign otherwise), the
// number, one space after.
QString formatNumber(Long v);
QString formatNumber(Single v);  // 7 significant digits
QString formatNumber(Double v);  // 15 significant digits

// The printed text of an item; empty for a column stop.
QString itemText(const Item& item);

// The statement's items joined, column stops left out.
QString plainText(const Statement& s);

// Lays statements out on character cells, one cell per column.
class TextPage {
  public:
    void print(const Statement& s);
    const QStringList& lines() const { return lines_; }
    QString text() const { return lines_.join(QLatin1Char('\n')); }

  private:
    QStringList lines_;
};

}  // namespace print
