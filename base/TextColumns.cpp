#include "base/TextColumns.h"

#include <algorithm>

namespace {

bool isNonSpacingThai(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x0E31 || (u >= 0x0E34 && u <= 0x0E3A) || (u >= 0x0E47 && u <= 0x0E4E);
}

}  // namespace

int cellWidth(const QString& text) {
    int w = 0;
    for (QChar c : text) w += isNonSpacingThai(c) ? 0 : 1;
    return w;
}

TextColumns::TextColumns(const QStringList& heading, std::function<bool(int)> right, QString gap)
    : width_(size_t(heading.size()), 0), right_(std::move(right)), gap_(std::move(gap)) {
    measure(heading);
}

void TextColumns::measure(const QStringList& row) {
    if (row.size() < qsizetype(width_.size())) return;
    for (size_t c = 0; c < width_.size(); ++c)
        width_[c] = std::max(width_[c], cellWidth(row[qsizetype(c)]));
}

QString TextColumns::line(const QStringList& row) const {
    const int columns = int(width_.size());
    QString text;
    for (int c = 0; c < row.size(); ++c) {
        if (c) text += gap_;
        const bool runsOn = c >= columns || (row.size() < columns && c + 1 == row.size());
        const int pad = runsOn ? 0 : width_[size_t(c)] - cellWidth(row[c]);
        const QString blanks(std::max(pad, 0), QLatin1Char(' '));
        text += right_(c) && !runsOn ? blanks + row[c] : row[c] + blanks;
    }
    return text;
}
