#pragma once
// The communication parameters of one REP, filled from its tbcoletor row and
// passed by value to every device engine and exchange window.

#include <QString>
#include <QVariant>

class QSqlRecord;

namespace kelvo {

struct TParametrosComunicacao
{
    quint8 Tipo = 0; // 0 = serial RS-232, 1 = TCP/IP
    QString IP;      // dotted IPv4 address or host name
    qint32 PortaIP = 0;
    qint32 PortaSerial = 0; // n of "COM" + n

    static constexpr quint8 TipoSerial = 0;
    static constexpr quint8 TipoTCP = 1;
    static constexpr qint32 PortaIPPadrao = 5006;
};

// The columns of a tbcoletor row the parameters come from.
struct LinhaColetor
{
    QString tipocomunicacao; // "S" serial, "T" TCP/IP
    QString ip;
    QVariant portaip;     // read as text; 5006 when it is not a number (empty included)
    QVariant portaserial; // integer; 0 when null
};

LinhaColetor linhaColetorDe(const QSqlRecord &registro);

// "T": TCP/IP with ip and portaip (5006 when portaip is empty or not a number);
// "S": serial on portaserial; any other type leaves `inicial` as it is (callers
// start from a record of zeros, so such a REP is tried on serial port 0, which
// cannot be opened).
TParametrosComunicacao preencheParametros(const LinhaColetor &linha,
                                          const TParametrosComunicacao &inicial = TParametrosComunicacao());
TParametrosComunicacao preencheParametros(const QSqlRecord &registro,
                                          const TParametrosComunicacao &inicial = TParametrosComunicacao());

// Convenience for kelvo-rep and tests.
TParametrosComunicacao parametrosTCP(const QString &ip, int porta = TParametrosComunicacao::PortaIPPadrao);
TParametrosComunicacao parametrosSerial(int porta);

} // namespace kelvo
