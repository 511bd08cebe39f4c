#include "data/cp1252.h"

namespace kelvo {

namespace {
// 0x80..0x9F; 0 marks the five undefined positions, kept as the C1 control.
const char16_t alto[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QByteArray paraCp1252(const QString &texto)
{
    QByteArray r;
    r.reserve(texto.size());
    for (QChar c : texto) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            r.append(char(u));
            continue;
        }
        char b = '?';
        for (int i = 0; i < 32; ++i) {
            if (alto[i] == u || (alto[i] == 0 && u == 0x80 + i)) {
                b = char(0x80 + i);
                break;
            }
        }
        r.append(b);
    }
    return r;
}

QString deCp1252(const QByteArray &bytes)
{
    QString r;
    r.reserve(bytes.size());
    for (char ch : bytes) {
        const uchar b = uchar(ch);
        if (b >= 0x80 && b < 0xA0)
            r.append(QChar(alto[b - 0x80] ? alto[b - 0x80] : char16_t(b)));
        else
            r.append(QChar(char16_t(b)));
    }
    return r;
}

} // namespace kelvo
