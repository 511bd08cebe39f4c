#include "device/common/parametros.h"

#include <QSqlField>
#include <QSqlRecord>

namespace kelvo {

LinhaColetor linhaColetorDe(const QSqlRecord &registro)
{
    LinhaColetor l;
    l.tipocomunicacao = registro.value(QStringLiteral("tipocomunicacao")).toString();
    l.ip = registro.value(QStringLiteral("ip")).toString();
    l.portaip = registro.value(QStringLiteral("portaip"));
    l.portaserial = registro.value(QStringLiteral("portaserial"));
    return l;
}

TParametrosComunicacao preencheParametros(const LinhaColetor &linha, const TParametrosComunicacao &inicial)
{
    TParametrosComunicacao p = inicial;
    const QString tipo = linha.tipocomunicacao.trimmed();
    if (tipo == QLatin1String("T")) {
        p.Tipo = TParametrosComunicacao::TipoTCP;
        p.IP = linha.ip.trimmed();
        bool ok = false;
        const int porta = linha.portaip.isNull() ? 0 : linha.portaip.toString().trimmed().toInt(&ok);
        p.PortaIP = ok ? porta : TParametrosComunicacao::PortaIPPadrao;
    } else if (tipo == QLatin1String("S")) {
        p.Tipo = TParametrosComunicacao::TipoSerial;
        p.PortaIP = 0;
        bool ok = false;
        const int porta = linha.portaserial.isNull() ? 0 : linha.portaserial.toString().trimmed().toInt(&ok);
        p.PortaSerial = ok ? porta : 0;
    }
    return p;
}

TParametrosComunicacao preencheParametros(const QSqlRecord &registro, const TParametrosComunicacao &inicial)
{
    return preencheParametros(linhaColetorDe(registro), inicial);
}

TParametrosComunicacao parametrosTCP(const QString &ip, int porta)
{
    TParametrosComunicacao p;
    p.Tipo = TParametrosComunicacao::TipoTCP;
    p.IP = ip;
    p.PortaIP = porta;
    return p;
}

TParametrosComunicacao parametrosSerial(int porta)
{
    TParametrosComunicacao p;
    p.Tipo = TParametrosComunicacao::TipoSerial;
    p.PortaSerial = porta;
    return p;
}

} // namespace kelvo
