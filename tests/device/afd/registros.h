#pragma once
// AFD records as a device writes them, for the collection tests.

#include <QString>

namespace kelvo::teste {

inline QString nsr(int n)
{
    return QStringLiteral("%1").arg(n, 9, 10, QLatin1Char('0'));
}

// Type 3 punch: NSR, "3", ddmmyyyy, hhnn, PIS (12) = 34 characters.
inline QString reg3(int n, const QString &data, const QString &hora = QStringLiteral("0800"),
                    const QString &pis = QStringLiteral("012345678901"))
{
    return nsr(n) + QStringLiteral("3") + data + hora + pis;
}

// Type 4 clock change: NSR, "4", before and after as ddmmyyyyhhnn = 34.
inline QString reg4(int n, const QString &antes, const QString &depois)
{
    return nsr(n) + QStringLiteral("4") + antes + depois;
}

// Type 2 employer change = 299.
inline QString reg2(int n, const QString &data, const QString &hora = QStringLiteral("0900"))
{
    return nsr(n) + QStringLiteral("2") + data + hora + QStringLiteral("1") +
           QStringLiteral("12345678000195") + QStringLiteral("000000000000") +
           QStringLiteral("EMPRESA TESTE").leftJustified(150) + QStringLiteral("LOCAL").leftJustified(100);
}

// Type 5 employee change = 87.
inline QString reg5(int n, const QString &data, const QString &hora = QStringLiteral("1000"))
{
    return nsr(n) + QStringLiteral("5") + data + hora + QStringLiteral("I") + QStringLiteral("012345678901") +
           QStringLiteral("FULANO DE TAL").leftJustified(52);
}

inline const QString crlf()
{
    return QStringLiteral("\r\n");
}

} // namespace kelvo::teste
