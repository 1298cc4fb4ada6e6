#include "base/ThaiCodePage.h"

QChar decodeTis620(unsigned char b) {
    if (b < 0x80) return QChar(char16_t(b));
    if ((b >= 0xA1 && b <= 0xDA) || (b >= 0xDF && b <= 0xFB))
        return QChar(char16_t(0x0E01 + (b - 0xA1)));
    return QChar(char16_t(0xFFFD));
}

QChar decodeWindows874(unsigned char b) {
    // Where Windows-874 differs from TIS-620.
    static constexpr struct {
        unsigned char byte;
        char16_t character;
    } kExtras[] = {{0x80, 0x20AC}, {0x85, 0x2026}, {0x91, 0x2018}, {0x92, 0x2019},
                   {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013},
                   {0x97, 0x2014}, {0xA0, 0x00A0}};
    for (const auto& extra : kExtras)
        if (extra.byte == b) return QChar(extra.character);
    return decodeTis620(b);
}

QString withArabicDigits(QString text) {
    for (QChar& c : text)
        if (c.unicode() >= 0x0E50 && c.unicode() <= 0x0E59) c = QChar(u'0' + (c.unicode() - 0x0E50));
    return text;
}
