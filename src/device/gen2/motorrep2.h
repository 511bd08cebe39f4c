#pragma once
// The new-generation ("REP2") protocol engine: one conversation at a time over a
// serial line at 115200 bit/s, run as an explicit state machine on three timers
// (reply time-out, pre-send pause, finishing pause).  No widgets; the exchange
// window TfREP2, the diagnostic window and kelvo-rep all drive it.
//
// A conversation: start operation (result cleared, port opened, first request
// sent) -> waiting for the reply of the current command -> the next request of
// the same conversation, or Finaliza -> finishing pause -> port closed ->
// `terminou`.  Every path ends: a reply the command does not list, a reply that
// never completes and a port that cannot be opened all reach Finaliza.

#include "device/common/motor.h"
#include "device/gen2/protocolo2.h"

#include <QByteArray>
#include <QDate>
#include <QSerialPort>
#include <QSqlDatabase>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace kelvo {

class ArmazemPaginas;
class PaginasPendentes;

// Every duration of the new protocol, with the values the programs use.
// Tests may pass shorter ones.
struct TemposREP2
{
    int timeout = 3000; // tmTimeout: reply time-out after the request or the last byte
    int envia = 100;    // tmEnvia: pause before every request
    int finaliza = 200; // tmFinaliza: from Finaliza to closing the port and the window
    // The working-memory start announces about 20 s of work: its reply may take
    // this long before the conversation gives up.
    int timeoutIniciaMT = 30000;
    int pausaListaTemplates = 100; // between two blocks of the template list
    int tentativasPagina = 5;      // a silent memory page is requested at most this many times in a row
};

class MotorREP2 : public MotorREP
{
    Q_OBJECT
public:
    enum class Comando
    {
        Nenhum,
        Status,
        AcertaDataHora,
        EnviaEmpregador,
        RecebeEmpregador,
        EnviaFuncionario,
        LeituraMT,
        Senha,
        IniciaMT,
        IniciaMRP,
        LeTemplate,
        GravaTemplate,
        ContaTemplates,
        ApagaTemplatesMatricula,
        TemplatesDisponiveis,
        ApagaTodasTemplates,
        ListaTemplates,
        ColetaStatus,
        ColetaPagina,
        ColetaCache,
    };
    Q_ENUM(Comando)

    explicit MotorREP2(QObject *parent = nullptr);
    explicit MotorREP2(const TemposREP2 &tempos, QObject *parent = nullptr);
    ~MotorREP2() override;

    static const QString &legenda(); // "Comunicação com REP - V2.0"

    // --- Start operations (the port number is p.PortaSerial; nothing else is used).
    bool Status(const TParametrosComunicacao &p) override;
    bool AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes,
                        const QString &ano, const QString &hora, const QString &minuto,
                        const QString &segundo) override;
    bool EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo, const QString &matricula,
                          const QString &pis, const QString &nome, int acao) override;
    bool LeituraMT(const TParametrosComunicacao &p, const QString &arquivo) override;
    bool EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                         const QString &cei, const QString &local, int tipo) override;
    bool RecebeEmpregador(const TParametrosComunicacao &p) override;
    // Status, employer, collection status, the memory pages from the last stored
    // one on (stored in groups of 20), the cache, then the AFD file.
    bool ColetaAFD(const TParametrosComunicacao &p, const QString &arquivo, const QString &filtro,
                   const QDate &inicio, const QDate &fim) override;
    bool emConversa() const override { return m_ativo; }

    // --- Maintenance commands (diagnostic window).  Each runs one conversation of
    // its own.  Those that check a field first report through the interaction
    // interface and return false without starting when it is refused.
    bool StatusManutencao(const TParametrosComunicacao &p); // "#TCM"
    // The employer page sends without the size checks.
    bool EnviaEmpregadorManutencao(const TParametrosComunicacao &p, const QString &nome,
                                   const QString &cpfcnpj, const QString &cei, const QString &local,
                                   int tipo);
    bool EnviaSenha(const TParametrosComunicacao &p, const QString &senha);
    // Asks first (about 20 s of work); false when the answer is No.
    bool IniciaMT(const TParametrosComunicacao &p);
    bool IniciaMRP(const TParametrosComunicacao &p);
    bool LeTemplate(const TParametrosComunicacao &p, const QString &matricula, const QString &dedo);
    // `arquivo`: a template file (lines of hexadecimal digits).
    bool GravaTemplate(const TParametrosComunicacao &p, const QString &matricula, const QString &arquivo);
    bool ContaTemplates(const TParametrosComunicacao &p, const QString &matricula);
    bool ApagaTemplatesMatricula(const TParametrosComunicacao &p, const QString &matricula);
    bool TemplatesDisponiveis(const TParametrosComunicacao &p);
    bool ApagaTodasTemplates(const TParametrosComunicacao &p);
    bool ListaTemplates(const TParametrosComunicacao &p);

    // Template files in the program folder ("template*.dig"), sorted.
    static QStringList arquivosTemplate();
    static QString nomeArquivoTemplate(const QString &matricula, const QString &dedo);

    // --- State and diagnostic texts.
    const TemposREP2 &tempos() const { return m_tempos; }
    void defineTempos(const TemposREP2 &t) { m_tempos = t; }
    Comando comandoAtual() const { return m_comando; }
    // Reply list (working list of the MT read) and send trace.
    const QStringList &respostas() const { return m_respostas; }
    const QStringList &tracoEnvio() const { return m_tracoEnvio; }
    void defineMostrarBytes(bool sim) { m_mostrarBytes = sim; }
    void defineDebug(bool sim) { m_rastro.debug = sim; }
    bool debug() const { return m_rastro.debug; }
    // From the last status / employer reply.
    const rep2::StatusRep2 &ultimoStatus() const { return m_status; }
    const rep2::EmpregadorRep2 &ultimoEmpregador() const { return m_empregador; }
    QString ultimoArquivoMT() const { return m_arquivoMT; }
    // The cache of the last collection without its two trailing bytes.
    QString textoUltimaPagina() const { return m_ultimaPagina; }
    // The database whose connection parameters the page store copies (the
    // data module's main connection unless set).
    void defineConexaoPrincipal(const QSqlDatabase &db) { m_principal = db; }

Q_SIGNALS:
    void respostaAdicionada(const QString &linha);
    void respostasLimpas();
    void envioRegistrado(const QString &linha);
    void arquivosTemplateAlterados();

private:
    enum class Etapa
    {
        Ocioso,
        PausaEnvio,
        Aguardando,
        PausaLista,
        Finalizando
    };

    bool inicia(const TParametrosComunicacao &p, const QString &titulo);
    bool AbrePorta(int numero);
    void EnviaComando(Comando comando, const QByteArray &texto);
    void ReiniciaRecepcao();
    void Finaliza();
    void RegistraLog(const QString &texto);
    void adicionaResposta(const QString &linha);
    void limpaRespostas();
    void defineResultado(const QString &r);

    void aoPausaEnvio();
    void aoReceber();
    void aoTimeout();
    void aoFinaliza();
    void aoPausaLista();

    // Consumes one byte for the commands that read a stream; false stops the
    // walk through the burst (the conversation ended).
    bool consomeByte(char byte);
    void julga();
    void TrataResposta(const QByteArray &tres);
    void trataStatus();
    void trataEmpregador();
    void trataLeTemplate(int quantos);
    void trataListaTemplates();
    bool validaMatricula(const QString &matricula, QByteArray *bcd);
    void ColetaStatus();
    void trataColetaStatus();
    void PedePagina();
    void trataPagina();
    void fimDaColeta();
    void falhaColeta(const QString &resultado);

    TemposREP2 m_tempos;
    QSerialPort *m_porta;
    QTimer m_tmTimeout;
    QTimer m_tmEnvia;
    QTimer m_tmFinaliza;
    QTimer m_tmLista;

    bool m_ativo = false;
    Etapa m_etapa = Etapa::Ocioso;
    Comando m_comando = Comando::Nenhum;
    QByteArray m_pendente; // request waiting for the pre-send pause
    QByteArray m_buffer;
    int m_recebidos = 0;
    QString m_acumulador;
    int m_tentativas = 0;
    bool m_mostrarBytes = false;
    QStringList m_respostas;
    QStringList m_tracoEnvio;

    rep2::StatusRep2 m_status;
    rep2::EmpregadorRep2 m_empregador;
    QString m_arquivoMT;
    QString m_matricula; // 8 digits, template commands
    QString m_dedo;
    quint8 m_indiceLista = 0;
    bool m_inicioBloco = true;

    // Collection.
    bool m_coleta = false;
    QString m_arquivoAFD;
    bool m_filtro = false;
    QDate m_inicio;
    QDate m_fim;
    quint32 m_ponteiro = 0;
    quint16 m_cache = 0;
    quint32 m_endereco = 0;
    bool m_pedindoCache = false;
    int m_paginaAtual = 0;
    int m_totalPaginas = 0;
    int m_repeticoesCheck = 0;
    QString m_ultimaPagina;
    QSqlDatabase m_principal;
    std::unique_ptr<ArmazemPaginas> m_armazem;
    std::unique_ptr<PaginasPendentes> m_pendentes;
};

} // namespace kelvo
