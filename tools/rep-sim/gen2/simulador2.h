#pragma once
// A simulated second-generation REP on a pseudo-terminal.  It keeps the
// device's state (serial number, clock, employer, working-memory employees,
// punch memory pages and cache, templates), answers every request of the new
// protocol, and can be told to misbehave.  It runs on the caller's event loop,
// so tests can serve it in-process beside the engine that talks to it.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace kelvo::sim {

struct FuncionarioRep2
{
    QString codigo;    // 6
    QString matricula; // 8
    QString pis;       // 12
    QString nome;
};

struct EstadoRep2
{
    QString serial = QStringLiteral("00004000200012345"); // 17 characters
    qint64 deslocamentoRelogio = 0;                       // seconds added to the computer's clock
    quint32 nsr = 0;                                      // last NSR written
    // Employer; cpfCnpj "00000000000000" = none stored.
    int tipoEmpregador = 1; // 1 CNPJ, 2 CPF
    QString nomeEmpregador;
    QString cpfCnpj = QStringLiteral("00000000000000");
    QString cei;
    QString local;
    QList<FuncionarioRep2> funcionarios;
    int capacidadeMT = 1000;
    // Punch memory: AFD records (each ended by CR LF) in 512-byte pages; the
    // bytes past the last full page are the cache.
    QByteArray memoria;
    // Templates: enrolment (8 digits) -> finger -> 384 bytes.
    QMap<QString, QMap<int, QByteArray>> templates;
    int capacidadeTemplates = 200;
    int dedosPorMatricula = 10;
    int matriculasPorBloco = 8; // enrolments per template-list block
    QString senha;
    quint16 bateria = 0x0BB8;
    int atrasoIniciaMTms = 500; // the working-memory start takes a while

    quint32 ponteiro() const { return static_cast<quint32>(memoria.size() / 512 * 512); }
    quint16 cache() const { return static_cast<quint16>(memoria.size() % 512); }
    int templatesGravados() const;
};

struct DefeitosRep2
{
    bool silencioso = false;    // never answers
    int atrasoMs = 0;           // each reply starts this late
    int tamanhoStatus = 50;     // bytes of the status reply (50 or 52; anything else to misbehave)
    int bytesExtras = 0;        // over-long replies: this many bytes appended
    int bytesFaltando = 0;      // short replies: this many bytes left out
    bool respostaDupla = false; // every reply sent twice
    QByteArray lixo;            // sent instead of every reply when not empty
    QByteArray recusa;          // replaces every "!OK" (e.g. "!MR")
    QHash<QByteArray, QByteArray> respostaFixa; // command ("CLK", "FUN", ...) -> reply sent instead
    int paginasCheckErrado = 0;                 // the next N pages carry a wrong check (-1: every page)
    int derrubaAposPaginas = -1;                // falls silent after serving N pages
    bool ritmoLinha = false;                    // bytes paced at the line speed
    int bitsPorSegundo = 115200;                // line speed of the pacing (8N1: ten bits a byte)
};

class SimuladorRep2 : public QObject
{
    Q_OBJECT
public:
    explicit SimuladorRep2(QObject *parent = nullptr);
    ~SimuladorRep2() override;

    // Creates the pseudo-terminal; false (and *erro) when it cannot.
    bool abre(QString *erro = nullptr);
    void fecha();
    // Device path a serial port opens (e.g. /dev/pts/7).
    QString caminho() const { return m_caminho; }

    EstadoRep2 &estado() { return m_estado; }
    DefeitosRep2 &defeitos() { return m_defeitos; }

    // Every byte received, and each complete request (command text after "$").
    QByteArray recebido() const { return m_recebido; }
    QList<QByteArray> requisicoes() const { return m_requisicoes; }
    int paginasServidas() const { return m_paginas; }
    void limpaHistorico();

    // Appends a punch (type 3) to the memory.
    void registraPonto(const QDateTime &quando, const QString &pis);
    QDateTime relogio() const;

    // Applies "key=value" settings (command line or a small file); false and
    // *erro for an unknown key or a bad value.
    bool aplicaOpcao(const QString &chave, const QString &valor, QString *erro = nullptr);
    static QStringList chavesOpcoes();
    // A small state file: one "key=value" a line, as aplicaOpcao takes them;
    // blank lines and lines starting with "#" are skipped.
    bool carregaArquivo(const QString &caminho, QString *erro = nullptr);

Q_SIGNALS:
    void requisicaoRecebida(const QByteArray &comando);

private:
    void leMaster();
    void processaEntrada();
    int tamanhoRequisicao(const QByteArray &cmd, const QByteArray &corpo, bool *quieto) const;
    void atende(const QByteArray &requisicao);
    void responde(QByteArray resposta, bool aplicaDefeitos = true);
    void escreve(const QByteArray &bytes);
    void escoa();
    QByteArray okOu(const QByteArray &normal) const;
    void acrescentaRegistro(const QByteArray &semNsr);

    QByteArray respostaStatus() const;
    QByteArray respostaEmpregador() const;
    QByteArray trataRelogio(const QByteArray &p);
    QByteArray trataEmpregador(char tipo, const QByteArray &p);
    QByteArray trataFuncionario(char modo, const QByteArray &p);
    QByteArray respostaLeituraMT() const;
    QByteArray trataGravaTemplate(const QByteArray &p);
    QByteArray respostaLeTemplate(const QByteArray &p) const;
    QByteArray respostaListaTemplates(quint8 indice) const;
    QByteArray respostaPagina(quint32 endereco);

    EstadoRep2 m_estado;
    DefeitosRep2 m_defeitos;
    int m_master = -1;
    int m_escravo = -1;
    QString m_caminho;
    QSocketNotifier *m_leitura = nullptr;
    QTimer *m_quieto = nullptr; // an incomplete request left alone this long is dropped
    QTimer *m_ritmo = nullptr;
    QElapsedTimer m_relogioRitmo;
    qint64 m_bytesRitmo = 0;
    QByteArray m_entrada;
    QByteArray m_saida;
    QByteArray m_recebido;
    QList<QByteArray> m_requisicoes;
    int m_paginas = 0;
};

} // namespace kelvo::sim
