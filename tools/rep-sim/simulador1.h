#pragma once
// A simulated first-generation REP.  It serves one client on a TCP port or on
// a pseudo-terminal it creates, keeps the device's state (serial number, clock,
// employer, working-memory employees, punch memory pages and cache) and answers
// every request of the first-generation protocol; it can be told to misbehave.
// It runs on the caller's event loop, so tests can serve it in-process beside
// the engine that talks to it.

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QTimer;

namespace kelvo::sim {

struct FuncionarioRep1
{
    QString codigo;    // 6
    QString matricula; // 8
    QString pis;       // 12
    QString nome;      // as sent: the name, ";" and padding (52)
};

struct EstadoRep1
{
    QString serial = QStringLiteral("00004000100012345"); // 17 characters
    qint64 deslocamentoRelogio = 0;                       // seconds added to the computer's clock
    quint32 nsr = 0;                                      // current NSR
    // Employer as stored from the employer request; cpfCnpj all zeros = none.
    char tipoEmpregador = '1'; // '1' CNPJ, '2' CPF
    QString nomeEmpregador;    // 150, as sent
    QString cpfCnpj = QStringLiteral("00000000000000");
    QString cei = QStringLiteral("000000000000");
    QString local; // 100, as sent
    QList<FuncionarioRep1> funcionarios;
    int capacidadeMT = 1000;
    // Punch memory: AFD records (each ended by CR LF) in 512-byte pages; the
    // bytes past the last full page are the cache.
    QByteArray memoria;
    quint16 bateria = 0x0BB8;

    quint32 ponteiro() const { return static_cast<quint32>(memoria.size() / 512 * 512); }
    quint16 cache() const { return static_cast<quint16>(memoria.size() % 512); }
    QDateTime relogio() const { return QDateTime::currentDateTime().addSecs(deslocamentoRelogio); }
    void acertaRelogio(const QDateTime &dh) { deslocamentoRelogio = QDateTime::currentDateTime().secsTo(dh); }
    // Appends `n` punch records (type 3) from `inicio`, one minute apart.
    void geraMarcacoes(int n, const QDateTime &inicio, const QString &pis = QStringLiteral("012345678901"));
    void adicionaRegistro(const QByteArray &linhaSemFim);
};

struct DefeitosRep1
{
    bool silencioso = false;     // never answers
    bool ignoraPedidos = false;  // answers the wake-up, never a request
    bool despertarDuplo = false; // answers the wake-up with "!!"
    int atrasoDespertarMs = 0;   // the "!" comes this late
    int atrasoMs = 0;            // each reply to a request comes this late
    QByteArray recusa;           // replaces "!OK" of clock, employee, employer ("!MR", "!ME", "!MT")
    QByteArray lixo;             // sent instead of every reply to a request when not empty
    int bytesExtras = 0;         // over-long replies: this many bytes appended
    int bytesFaltando = 0;       // short replies: this many bytes left out
    int tamanhoStatus = 50;      // 50 or 52 (anything else to misbehave)
    int derrubaAposTrocas = -1;  // drops the line after answering N requests
    int derrubaAposPaginas = -1; // drops the line after serving N memory pages
    int paginasSomaErrada = 0;   // the next N pages carry a wrong checksum (-1: every page)
    int ritmoBps = 0;            // bytes paced at this line speed (0: at once)
};

class SimuladorRep1 : public QObject
{
    Q_OBJECT
public:
    explicit SimuladorRep1(QObject *parent = nullptr);
    ~SimuladorRep1() override;

    // Listens on 127.0.0.1 (port 0: any free port).
    bool escutaTCP(quint16 porta = 0, QString *erro = nullptr);
    quint16 portaTCP() const;
    // Creates a pseudo-terminal; its device path is what clients open.
    bool criaPty(QString *erro = nullptr);
    QString caminhoPty() const { return m_caminhoPty; }

    EstadoRep1 &estado() { return m_estado; }
    DefeitosRep1 &defeitos() { return m_defeitos; }
    // Loads state from a small key=value file (see the README of the tool).
    bool carregaEstado(const QString &arquivo, QString *erro = nullptr);

    // What the device saw, for tests.
    int despertares() const { return m_despertares; }
    const QList<QByteArray> &pedidos() const { return m_pedidos; }
    QList<QByteArray> comandos() const; // first three bytes of each request
    int paginasServidas() const { return m_paginasServidas; }
    bool linhaDerrubada() const { return m_derrubada; }
    void limpaRegistro();

    // A complete request's length from its first bytes: 0 when more bytes are
    // needed to tell, -1 when the command is unknown.
    static int tamanhoPedido(const QByteArray &inicio);
    // The reply the device gives to one complete request (before misbehaviour).
    QByteArray responde(const QByteArray &pedido);
    QByteArray respostaStatus() const;

Q_SIGNALS:
    void pedidoRecebido(const QByteArray &pedido);

private:
    void recebe(const QByteArray &dados);
    void envia(const QByteArray &bytes, int atrasoMs);
    void escreveAgora(const QByteArray &bytes);
    void despeja();
    void derruba();
    void lePty();
    void novaConexao();

    EstadoRep1 m_estado;
    DefeitosRep1 m_defeitos;
    QTcpServer *m_servidor = nullptr;
    QTcpSocket *m_cliente = nullptr;
    int m_mestre = -1;
    int m_escravo = -1;
    QString m_caminhoPty;
    QSocketNotifier *m_notificador = nullptr;
    QTimer *m_ritmo = nullptr;
    QByteArray m_saida; // waiting to be written (paced, or the pty was full)
    QElapsedTimer m_relogioRitmo;
    qint64 m_bytesRitmados = 0;

    bool m_acordado = false;
    QByteArray m_pedido;
    int m_despertares = 0;
    QList<QByteArray> m_pedidos;
    int m_trocas = 0;
    int m_paginasServidas = 0;
    bool m_derrubada = false;
};

} // namespace kelvo::sim
