#include "app/despachantes.h"

#include "device/common/retorno.h"
#include "device/gen1/tfrep.h"
#include "device/gen2/tfrep2.h"

#include <QApplication>

namespace kelvo {

DespachanteREP::DespachanteREP(QWidget *janela, const TemposDespacho &tempos)
    : m_janela(janela), m_tempos(tempos)
{
}

QString DespachanteREP::naoIdentificado()
{
    return QStringLiteral("28;Equipamento não identificado");
}

int DespachanteREP::geracaoDoModelo(const QString &modelo)
{
    const QString m = modelo.trimmed().toUpper();
    if (m == QLatin1String("REP"))
        return 1;
    if (m == QLatin1String("REP2"))
        return 2;
    return 0;
}

QString DespachanteREP::statusV1(const TParametrosComunicacao &p)
{
    TfREP w(m_tempos.v1, m_janela);
    if (w.Status(p))
        w.exec();
    return RetornoComunicacao;
}

QString DespachanteREP::statusV2(const TParametrosComunicacao &p)
{
    // The new protocol uses only the serial port of the record.
    TParametrosComunicacao serial;
    serial.Tipo = TParametrosComunicacao::TipoSerial;
    serial.PortaSerial = p.PortaSerial;
    TfREP2 w(m_tempos.v2, m_janela);
    if (w.Status(serial))
        w.exec();
    return RetornoComunicacao;
}

QString DespachanteREP::StatusREP(const TParametrosComunicacao &registro, bool autoDetecta,
                                  const QString &modelo)
{
    if (autoDetecta) {
        RetornoComunicacao.clear();
        // The new protocol runs over the serial line only: a TCP/IP record is
        // not tried on it, or a device that happens to sit on the serial port
        // would be taken for the one at the address.
        if (registro.Tipo != TParametrosComunicacao::TipoTCP) {
            const QString r2 = statusV2(registro);
            if (codigoDoRetorno(r2) == 0)
                return QStringLiteral("0;REP2;") + r2;
        }
        const QString r1 = statusV1(registro);
        if (codigoDoRetorno(r1) == 0)
            return QStringLiteral("0;REP;") + r1;
        return naoIdentificado();
    }
    switch (geracaoDoModelo(modelo)) {
    case 1:
        return statusV1(registro);
    case 2:
        return statusV2(registro);
    default:
        return naoIdentificado();
    }
}

QString DespachanteREP::DataHoraREP(const TParametrosComunicacao &registro, const QString &dia,
                                    const QString &mes, const QString &ano, const QString &hora,
                                    const QString &minuto, const QString &segundo, const QString &modelo)
{
    switch (geracaoDoModelo(modelo)) {
    case 1: {
        TfREP w(m_tempos.v1, m_janela);
        if (w.AcertaDataHora(registro, dia, mes, ano, hora, minuto, segundo))
            w.exec();
        return RetornoComunicacao;
    }
    case 2: {
        TParametrosComunicacao serial;
        serial.PortaSerial = registro.PortaSerial;
        TfREP2 w(m_tempos.v2, m_janela);
        if (w.AcertaDataHora(serial, dia, mes, ano, hora, minuto, segundo))
            w.exec();
        return RetornoComunicacao;
    }
    default:
        return naoIdentificado();
    }
}

QString StatusREP(const TParametrosComunicacao &registro, bool autoDetecta, const QString &modelo)
{
    return DespachanteREP(QApplication::activeWindow()).StatusREP(registro, autoDetecta, modelo);
}

QString DataHoraREP(const TParametrosComunicacao &registro, const QString &dia, const QString &mes,
                    const QString &ano, const QString &hora, const QString &minuto, const QString &segundo,
                    const QString &modelo)
{
    return DespachanteREP(QApplication::activeWindow())
        .DataHoraREP(registro, dia, mes, ano, hora, minuto, segundo, modelo);
}

} // namespace kelvo
