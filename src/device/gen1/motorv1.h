#pragma once
// First-generation REP engine: one conversation at a time over TCP/IP or a
// serial line, run as an explicit state machine on single-shot timers (no
// nested event loops).  Every request is preceded by the wake-up handshake
// ("#" answered by exactly one "!"); replies are judged by their byte count
// after each received batch; a response timer counts silent ticks.  The
// outcome is left in RetornoComunicacao; `terminou` is emitted once the link
// is closed.

#include "device/common/motor.h"
#include "device/gen1/protocolo1.h"

#include <QByteArray>
#include <QDateTime>
#include <QPointer>
#include <QSqlDatabase>
#include <QTimer>
#include <memory>

class QTcpSocket;
class QSerialPort;

namespace kelvo {

class ArmazemPaginas;
class ColetaPaginas;

// Every duration of the first-generation link, with its specified value.
// Tests may pass shorter ones; the programs use these.
struct TemporizacaoV1
{
    int tmTimeout = 2000;        // response tick, after the last byte or the previous tick
    int ticksSemResposta = 6;    // silent ticks that end a conversation
    int tmFinaliza = 200;        // end of conversation -> link closed
    int tmFinalizaCurto = 100;   // set by the employee and template operations
    int esperaConexao = 10000;   // TCP connection wait
    int pausaDespertar = 300;    // before the wake-up byte
    int pausaAntesEnvio = 10;    // before remembering the request
    int pausaEnvio = 300;        // before writing the request
    int esperaFechamento = 500;  // between closing the socket and the serial port
    int maxRepeticoesStatus = 5; // status repeats in one conversation (then: no answer)
};

class MotorV1 : public MotorREP
{
    Q_OBJECT
public:
    explicit MotorV1(QObject *parent = nullptr);
    explicit MotorV1(const TemporizacaoV1 &tempos, QObject *parent = nullptr);
    ~MotorV1() override;

    bool Status(const TParametrosComunicacao &p) override;
    bool AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes, const QString &ano,
                        const QString &hora, const QString &minuto, const QString &segundo) override;
    bool EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo, const QString &matricula,
                          const QString &pis, const QString &nome, int acao) override;
    bool LeituraMT(const TParametrosComunicacao &p, const QString &arquivo) override;
    bool EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                         const QString &cei, const QString &local, int tipo) override;
    bool RecebeEmpregador(const TParametrosComunicacao &p) override;
    // Collection (motorv1coleta.cpp): status -> employer -> collection status ->
    // pages -> cache status -> cache -> AFD file, through the shared page
    // collection (device/common/paginas.h).
    bool ColetaAFD(const TParametrosComunicacao &p, const QString &arquivo, const QString &filtro,
                   const QDate &inicio, const QDate &fim) override;
    // The connection whose parameters the page store copies (default: the data
    // module's main connection).
    void defineConexaoPrincipal(const QSqlDatabase &db) { m_principal = db; }
    // The cache text of the last collection, without its two trailing bytes.
    QString textoCache() const { return m_textoCache; }

    bool emConversa() const override { return m_fase != Fase::Ocioso; }

    const TemporizacaoV1 &temporizacao() const { return m_tempos; }
    // Data learned from the replies; kept until the engine is freed.
    const v1::StatusV1 &ultimoStatus() const { return m_status; }
    QString numeroSerie() const { return m_status.numeroSerie; }
    const v1::EmpregadorV1 &empregador() const { return m_empregador; }
    // The current step and the command under repeat (0 when idle).
    int comandoAtual() const { return m_comando; }
    int comandoRepeticao() const { return m_comandoRepeticao; }
    int tentativas() const { return m_tentativas; }
    QString legenda() const { return m_legenda; }
    QString titulo() const { return m_titulo; }
    QString situacao() const { return m_situacao; }

private:
    enum class Fase {
        Ocioso,
        Abrindo,          // operation started, link being opened
        Conectando,       // TCP connection wait
        PausaDespertar,   // before the wake-up byte
        AguardaDespertar, // "#" sent, waiting for "!"
        PausaEnvio,       // before writing the request
        AguardaResposta,  // request sent
        Finalizando,      // tmFinaliza running
        Fechando,         // socket closed, waiting before closing the serial port
    };

    void inicia();
    bool ocupado() const { return m_fase != Fase::Ocioso || m_comandoRepeticao != 0; }
    void iniciaStatus(const TParametrosComunicacao &p);
    // Opens the link; on success marks (when asked) and announces `comando`.
    void abreLinkEAnuncia(const TParametrosComunicacao &p, int comando, bool marca);
    void linkAberto();
    void anuncia(int comando);
    void enviaDespertar();
    void enviaPedido(const QByteArray &pedido);
    void escrevePedido();
    QByteArray montaPedido(int comando) const;
    void escreve(const QByteArray &bytes);

    void recebe(const QByteArray &dados, bool serial);
    bool ehFluxo(int comando) const;
    bool consomeFluxo(char byte);
    void avalia();
    void terminaLeituraMT();

    void tickTimeout();
    void finalizaComunicacao(); // ends the conversation ("comunicação finalizada")
    void semResposta();         // six silent ticks (or the status repeats used up)
    void falhaLink();           // socket or serial line error
    void iniciaFinaliza();
    void tickFinaliza();
    void fecha();

    void defineLegenda(const QString &t);
    void defineTitulo(const QString &t);
    void defineSituacao(const QString &t);

    void aoPausa();
    void aoEsperaLink();
    void aoConectar();
    void aoErroSocket();
    void aoErroSerial();

    TemporizacaoV1 m_tempos;
    Fase m_fase = Fase::Ocioso;
    TParametrosComunicacao m_parametros;
    quint8 m_tipoLink = 0;
    QTcpSocket *m_socket = nullptr;
    QSerialPort *m_serial = nullptr;

    QTimer m_tmTimeout;
    QTimer m_tmFinaliza;
    QTimer m_pausa;       // the single pending pause of the state machine
    QTimer m_esperaLink;  // TCP connection wait
    int m_intervaloFinaliza = 200;

    int m_comando = v1::SEM_COMANDO;       // current step
    int m_comandoSalvo = v1::SEM_COMANDO;  // step waiting for the handshake
    int m_comandoRepeticao = v1::SEM_COMANDO;
    int m_tentativas = 0;
    int m_repeticoesStatus = 0;
    int m_marcaPendente = 0;    // step to mark and announce once the link is open
    bool m_marcaAoAbrir = false;
    QByteArray m_resposta;      // reply buffer, at most 4096 bytes kept
    int m_contagem = 0;         // bytes received for the current step
    QByteArray m_pedidoEmEnvio;
    QByteArray m_ultimoPedido;
    QByteArray m_restoSerial;   // bytes of a serial batch left after a finished stream unit

    // Operation inputs.
    QDateTime m_dataHora;
    QString m_codigo, m_matricula, m_pis, m_nome;
    int m_acao = 0;
    QString m_arquivoMT;
    QByteArray m_linhaPendente;
    QList<QByteArray> m_listagem;
    QString m_empNome, m_empCpfCnpj, m_empCei, m_empLocal;
    int m_empTipo = 0;

    v1::StatusV1 m_status;
    v1::EmpregadorV1 m_empregador;

    // Collection (motorv1coleta.cpp).
    void iniciaColetaStatus();
    void trataColetaStatus();
    void trataColetaCacheStatus();
    bool consomeColeta(char byte);
    void repeteColeta();
    void terminaColeta();
    bool m_coleta = false; // status and employer chain into the collection
    QString m_arquivoAFD;
    bool m_filtroAFD = false;
    QDate m_inicioAFD, m_fimAFD;
    QSqlDatabase m_principal;
    std::unique_ptr<ArmazemPaginas> m_armazem;
    std::unique_ptr<ColetaPaginas> m_coletaPaginas;
    QByteArray m_pagina;   // bytes of the page being received
    quint16 m_tamanhoCache = 0;
    QString m_textoCache;  // cache bytes as text, one character per byte
    bool m_fasePaginas = false;

    QString m_legenda, m_titulo, m_situacao;
};

} // namespace kelvo
