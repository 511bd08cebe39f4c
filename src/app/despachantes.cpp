#include "app/despachantes.h"

#include "device/common/retorno.h"
#include "device/gen2/tfrep2.h"

#include <QApplication>

#if __has_include("device/gen1/tfrep.h")
#include "device/gen1/tfrep.h"
#else
#include <QLabel>
#include <QVBoxLayout>
#endif

namespace kelvo {

#if !__has_include("device/gen1/tfrep.h")
namespace {
// Until the first generation's own exchange window is part of the build: a
// plain modal window that shows the engine's texts while it talks and closes
// when the conversation is over.
class TfREP : public QDialog
{
public:
    TfREP(const TemporizacaoV1 &tempos, QWidget *parent)
        : QDialog(parent)
        , m_motor(tempos, this)
    {
        setWindowTitle(QStringLiteral("Comunicação com REP - V1.0"));
        auto *l = new QVBoxLayout(this);
        auto *titulo = new QLabel(this);
        auto *situacao = new QLabel(this);
        l->addWidget(titulo);
        l->addWidget(situacao);
        connect(&m_motor, &MotorREP::tituloAlterado, titulo, &QLabel::setText);
        connect(&m_motor, &MotorREP::situacaoAlterada, situacao, &QLabel::setText);
        connect(&m_motor, &MotorREP::legendaAlterada, this, &QWidget::setWindowTitle);
        connect(&m_motor, &MotorREP::terminou, this, &QDialog::accept);
    }
    bool Status(const TParametrosComunicacao &p) { return m_motor.Status(p); }
    bool AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes, const QString &ano,
                        const QString &hora, const QString &minuto, const QString &segundo)
    {
        return m_motor.AcertaDataHora(p, dia, mes, ano, hora, minuto, segundo);
    }
    int exec() override { return m_motor.emConversa() ? QDialog::exec() : QDialog::Accepted; }

private:
    MotorV1 m_motor;
};
} // namespace
#endif

DespachanteREP::DespachanteREP(QWidget *janela, const TemposDespacho &tempos)
    : m_janela(janela)
    , m_tempos(tempos)
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

QString DespachanteREP::StatusREP(const TParametrosComunicacao &registro, bool autoDetecta, const QString &modelo)
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

QString DespachanteREP::DataHoraREP(const TParametrosComunicacao &registro, const QString &dia, const QString &mes,
                                    const QString &ano, const QString &hora, const QString &minuto,
                                    const QString &segundo, const QString &modelo)
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
