#pragma once
// "Coletar AFD": the collection of a registered REP's punch memory into an AFD
// file, without widgets, so the desktop program and kelvo-rep run the same flow.
//
//     FluxoColetaAFD fluxo;
//     if (!fluxo.carregaColetor(idcoletor)) return;     // message already shown
//     ... ask for the file name and the period (the dialog, or the command line) ...
//     fluxo.inicia(arquivo, filtro, inicio, fim);
//     ... the event loop runs (exchange window shown modally, or the tool's loop) ...
//     -> concluida(); resultado() tells how it ended.
//
// The steps after the dialog: the collection-log row ("N"), the device's
// status (its serial number must be the REP's codigocoletor), the engine's
// ColetaAFD, the stored routines that split the pages and the cache into
// tbafd, the log row marked "S", the kept copy in tbbackupafd, the closing
// message.  Every message goes through the interaction interface.

#include "device/common/motor.h"
#include "device/common/parametros.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

namespace kelvo {

class TdmDados;

// The engine of a model: "REP" first generation, "REP2" new generation (case
// ignored); nullptr for any other model.
using FabricaMotor = std::function<MotorREP *(const QString &modelo, QObject *parent)>;
MotorREP *criaMotorPorModelo(const QString &modelo, QObject *parent = nullptr);

// CONFIG/AFDFOLDER (default: the program folder), ending with a separator; the
// folder is created with its missing parents.  Empty when it cannot be created.
QString pastaAFD();
// Folder + "AFD" + codigocoletor + "_" + yymmdd + ".txt".
QString nomeArquivoAFDPadrao(const QString &codigocoletor, const QDate &hoje = QDate::currentDate());

// The message shown for a failed device result: the table message
// (MensagemRetorno), or the result's own text when it carries the reason
// (" Mensagem: ...") or when its code has no table message.
QString mensagemDaFalha(const QString &retorno);

struct ColetorAFD
{
    int idcoletor = 0;
    QString codigocoletor;
    QString descricao;
    QString modelocoletor;
    int idempresa = 0;
    TParametrosComunicacao parametros;
};

struct ResultadoColetaAFD
{
    enum class Situacao
    {
        NaoIniciada,
        ComRegistros, // "Coleta realizada com sucesso!"
        SemRegistros, // "Coleta foi realizada, porém não existem registros no período informado!"
        Falhou,       // device, link, serial number, database or file failure
    };
    Situacao situacao = Situacao::NaoIniciada;
    QString retorno;  // RetornoComunicacao of the collection (or of the status that stopped it)
    QString mensagem; // the last message shown to the user
    QString arquivo;
    int idlogcoleta = 0;
    int idbackupafd = 0; // 0 when no copy was kept
    bool sucesso() const { return situacao == Situacao::ComRegistros || situacao == Situacao::SemRegistros; }
};

class FluxoColetaAFD : public QObject
{
    Q_OBJECT
public:
    explicit FluxoColetaAFD(QObject *parent = nullptr);
    ~FluxoColetaAFD() override;

    // Tests and kelvo-rep may give engines with other timings.
    void defineFabrica(FabricaMotor fabrica) { m_fabrica = std::move(fabrica); }
    // Called with the AFD file name when records were collected and
    // CONFIG/VERAFD is set (the desktop opens it with its application).
    std::function<void(const QString &arquivo)> abreArquivo;

    // Reloads the REP.  A REP without company: "Receba a empresa deste coletor,
    // antes de continuar" (information) and false.  An unknown key or a
    // database error: its message and false.
    bool carregaColetor(int idcoletor);
    // The key of the REP whose codigocoletor is given (0 when none).
    static int idPorCodigo(const QString &codigocoletor);
    const ColetorAFD &coletor() const { return m_coletor; }

    // Starts the collection (dates: only the day counts).  False when it could
    // not start (no REP loaded, already running); the result says why.
    // `concluida` follows in every other case, possibly at once.
    bool inicia(const QString &arquivo, bool filtro, const QDate &inicio, const QDate &fim);
    bool emAndamento() const { return m_etapa != Etapa::Parado; }

    const ResultadoColetaAFD &resultado() const { return m_resultado; }
    // The engine while the collection runs (for a window mirroring its texts).
    MotorREP *motor() const { return m_motor; }

Q_SIGNALS:
    void motorCriado(kelvo::MotorREP *motor);
    void concluida();

private:
    enum class Etapa
    {
        Parado,
        Status,
        Coleta
    };

    void aoTerminarMotor();
    void aposStatus();
    void aposColeta();
    void falha(const QString &mensagem, bool erroBanco = false);
    void conclui();

    FabricaMotor m_fabrica;
    ColetorAFD m_coletor;
    QPointer<MotorREP> m_motor;
    Etapa m_etapa = Etapa::Parado;
    QString m_arquivo;
    bool m_filtro = false;
    QDate m_inicio;
    QDate m_fim;
    ResultadoColetaAFD m_resultado;
};

// The stored routines that split the REP's stored pages and the kept cache
// text into tbafd, in the current dialect (bound parameters).  Empty on
// success, else the database's message.
QString transfereParaTbAfd(const QString &codigocoletor, const QString &cache);

} // namespace kelvo
