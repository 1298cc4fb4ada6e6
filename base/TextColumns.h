// Text laid out in aligned columns for a terminal or a plain-text file (a
// contract's summary, a table's listing): widths counted in character
// cells, where a Thai vowel or tone mark above or below its letter takes
// no cell of its own. It knows nothing of what the columns hold.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Display width in character cells.
int cellWidth(const QString& text);

// Columns as wide as their widest cell. The heading row sets how many
// columns there are; measure every row, then ask for each row's line (two
// passes, so rows can be read twice instead of held). A row with fewer
// cells than the heading counts for no width, and its last cell runs on
// unpadded (a reason too long for a column); cells beyond the heading's
// run on after the gap.
class TextColumns {
  public:
    // `right`: whether column c is aligned to the right (numbers).
    TextColumns(const QStringList& heading, std::function<bool(int)> right, QString gap);
    void measure(const QStringList& row);
    QString line(const QStringList& row) const;

  private:
    std::vector<int> width_;
    std::function<bool(int)> right_;
    QString gap_;
};
