#pragma once
// The model dispatchers: status and clock setting of a REP in the exchange
// window of its generation ("REP" -> TfREP, "REP2" -> TfREP2).  Each creates the
// window, starts the operation, shows the window modally while the
// conversation runs, and returns RetornoComunicacao as the window left it.

#include "device/common/parametros.h"
#include "device/gen1/motorv1.h"
#include "device/gen2/motorrep2.h"

#include <QString>

class QWidget;

namespace kelvo {

// Timings of both engines; the program uses the defaults, tests shorter ones.
struct TemposDespacho
{
    TemporizacaoV1 v1;
    TemposREP2 v2;
};

class DespachanteREP
{
public:
    explicit DespachanteREP(QWidget *janela = nullptr, const TemposDespacho &tempos = TemposDespacho());

    // autoDetecta: the new protocol first on the record's serial port ("0;REP2;"
    // + its result on success; skipped for a TCP/IP record), then the first generation with the record
    // ("0;REP;" + its result); neither: "28;Equipamento não identificado".
    // Otherwise the model (any case) picks the generation; another model gives
    // "28;Equipamento não identificado".
    QString StatusREP(const TParametrosComunicacao &registro, bool autoDetecta, const QString &modelo);
    QString DataHoraREP(const TParametrosComunicacao &registro, const QString &dia, const QString &mes,
                        const QString &ano, const QString &hora, const QString &minuto,
                        const QString &segundo, const QString &modelo);

    void defineJanela(QWidget *janela) { m_janela = janela; }
    void defineTempos(const TemposDespacho &t) { m_tempos = t; }
    const TemposDespacho &tempos() const { return m_tempos; }

    static QString naoIdentificado(); // "28;Equipamento não identificado"
    // "REP" -> 1, "REP2" -> 2 (any case), 0 otherwise.
    static int geracaoDoModelo(const QString &modelo);

private:
    QString statusV1(const TParametrosComunicacao &p);
    QString statusV2(const TParametrosComunicacao &p);

    QWidget *m_janela;
    TemposDespacho m_tempos;
};

// With the program's timings, windows over the active window.
QString StatusREP(const TParametrosComunicacao &registro, bool autoDetecta, const QString &modelo);
QString DataHoraREP(const TParametrosComunicacao &registro, const QString &dia, const QString &mes,
                    const QString &ano, const QString &hora, const QString &minuto, const QString &segundo,
                    const QString &modelo);

} // namespace kelvo
