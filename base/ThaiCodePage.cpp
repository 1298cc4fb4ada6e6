#include "base/ThaiCodePage.h"

QChar decodeTis620(unsigned char b) {
    if (b < 0x80) return QChar(char16_t(b));
    if ((b >= 0xA1 && b <= 0xDA) || (b >= 0xDF && b <= 0xFB))
        return QChar(char16_t(0x0E01 + (b - 0xA1)));
    return QChar(char16_t(0xFFFD));
}

QChar decodeWindows874(unsigned char b) {
    switch (b) {
        case 0x80:
            return QChar(0x20AC);
        case 0x85:
            return QChar(0x2026);
        case 0x91:
            return QChar(0x2018);
        case 0x92:
            return QChar(0x2019);
        case 0x93:
            return QChar(0x201C);
        case 0x94:
            return QChar(0x201D);
        case 0x95:
            return QChar(0x2022);
        case 0x96:
            return QChar(0x2013);
        case 0x97:
            return QChar(0x2014);
        case 0xA0:
            return QChar(0x00A0);
        default:
            return decodeTis620(b);
    }
}
