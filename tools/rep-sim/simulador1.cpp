#include "simulador1.h"

#include "data/cp1252.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kelvo::sim {

namespace {
QByteArray doisDigitos(int v)
{
    return QByteArray::number(v).rightJustified(2, '0');
}

quint8 soma8(const QByteArray &b)
{
    quint8 s = 0;
    for (char c : b)
        s = quint8(s + quint8(c));
    return s;
}

bool somaConfere(const QByteArray &pedido, int inicioCarga)
{
    const QByteArray carga = pedido.mid(inicioCarga, pedido.size() - inicioCarga - 4);
    const QByteArray soma = QByteArray::number(soma8(carga), 16).toUpper().rightJustified(4, '0');
    return pedido.right(4) == soma;
}

QByteArray cp(const QString &t, int largura)
{
    return paraCp1252(t).leftJustified(largura, ' ', true);
}
} // namespace

void EstadoRep1::adicionaRegistro(const QByteArray &linhaSemFim)
{
    memoria += linhaSemFim + "\r\n";
}

void EstadoRep1::geraMarcacoes(int n, const QDateTime &inicio, const QString &pis)
{
    for (int i = 0; i < n; ++i) {
        ++nsr;
        const QDateTime dh = inicio.addSecs(60LL * i);
        adicionaRegistro(QByteArray::number(nsr).rightJustified(9, '0') + '3' +
                         dh.toString(QStringLiteral("ddMMyyyyhhmm")).toLatin1() +
                         paraCp1252(pis).rightJustified(12, '0'));
    }
}

SimuladorRep1::SimuladorRep1(QObject *parent) : QObject(parent)
{
    m_ritmo = new QTimer(this);
    m_ritmo->setSingleShot(true);
    m_ritmo->setTimerType(Qt::PreciseTimer);
    connect(m_ritmo, &QTimer::timeout, this, &SimuladorRep1::despeja);
}

SimuladorRep1::~SimuladorRep1()
{
    delete m_notificador;
    if (m_mestre >= 0)
        ::close(m_mestre);
    if (m_escravo >= 0)
        ::close(m_escravo);
}

bool SimuladorRep1::escutaTCP(quint16 porta, QString *erro)
{
    m_servidor = new QTcpServer(this);
    connect(m_servidor, &QTcpServer::newConnection, this, &SimuladorRep1::novaConexao);
    if (!m_servidor->listen(QHostAddress::LocalHost, porta)) {
        if (erro)
            *erro = m_servidor->errorString();
        return false;
    }
    return true;
}

quint16 SimuladorRep1::portaTCP() const
{
    return m_servidor ? m_servidor->serverPort() : 0;
}

void SimuladorRep1::novaConexao()
{
    while (QTcpSocket *s = m_servidor->nextPendingConnection()) {
        // One client at a time: a new connection replaces the old one.
        if (m_cliente) {
            m_cliente->abort();
            m_cliente->deleteLater();
        }
        m_cliente = s;
        m_acordado = false;
        m_pedido.clear();
        m_saida.clear();
        m_derrubada = false;
        connect(s, &QTcpSocket::readyRead, this, [this, s] {
            if (s == m_cliente)
                recebe(s->readAll());
        });
        connect(s, &QTcpSocket::disconnected, this, [this, s] {
            if (s == m_cliente)
                m_cliente = nullptr;
            s->deleteLater();
        });
    }
}

bool SimuladorRep1::criaPty(QString *erro)
{
    m_mestre = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_mestre < 0 || ::grantpt(m_mestre) != 0 || ::unlockpt(m_mestre) != 0) {
        if (erro)
            *erro = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    m_caminhoPty = QString::fromLocal8Bit(::ptsname(m_mestre));
    // Keeping the device side open lets clients come and go without a hang-up
    // on this side; raw mode so nothing is echoed or translated.
    m_escravo = ::open(m_caminhoPty.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_escravo < 0) {
        if (erro)
            *erro = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    termios t{};
    if (::tcgetattr(m_escravo, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(m_escravo, TCSANOW, &t);
    }
    m_notificador = new QSocketNotifier(m_mestre, QSocketNotifier::Read, this);
    connect(m_notificador, &QSocketNotifier::activated, this, &SimuladorRep1::lePty);
    return true;
}

void SimuladorRep1::lePty()
{
    char buf[1024];
    for (;;) {
        const ssize_t n = ::read(m_mestre, buf, sizeof buf);
        if (n > 0) {
            recebe(QByteArray(buf, int(n)));
            continue;
        }
        break;
    }
}

QList<QByteArray> SimuladorRep1::comandos() const
{
    QList<QByteArray> r;
    for (const QByteArray &p : m_pedidos)
        r.append(p.left(3));
    return r;
}

void SimuladorRep1::limpaRegistro()
{
    m_despertares = 0;
    m_pedidos.clear();
    m_trocas = 0;
    m_paginasServidas = 0;
    m_derrubada = false;
}

int SimuladorRep1::tamanhoPedido(const QByteArray &p)
{
    static const struct
    {
        const char *cmd;
        int tamanho;
    } tabela[] = {{"TCM", 3},  {"LMT", 3}, {"PME", 3}, {"UPA", 3}, {"GID", 3}, {"CLK", 21}, {"FU", 87},
                  {"EM", 285}, {"MRP", 7}, {"VID", 7}, {"XTL", 7}, {"WTL", 7}, {"BRD", 7}};
    bool prefixo = false;
    for (const auto &e : tabela) {
        const QByteArray c(e.cmd);
        if (p.size() >= c.size() && p.startsWith(c))
            return e.tamanho;
        if (c.startsWith(p))
            prefixo = true;
    }
    return prefixo ? 0 : -1;
}

void SimuladorRep1::recebe(const QByteArray &dados)
{
    for (char b : dados) {
        if (m_derrubada)
            continue;
        if (m_pedido.isEmpty() && b == '#') {
            ++m_despertares;
            if (m_defeitos.silencioso)
                continue;
            m_acordado = true;
            envia(m_defeitos.despertarDuplo ? QByteArrayLiteral("!!") : QByteArrayLiteral("!"),
                  m_defeitos.atrasoDespertarMs);
            continue;
        }
        if (!m_acordado || m_defeitos.silencioso)
            continue;
        m_pedido.append(b);
        const int tamanho = tamanhoPedido(m_pedido);
        if (tamanho < 0) {
            m_pedido.clear();
            m_acordado = false;
            continue;
        }
        if (tamanho == 0 || m_pedido.size() < tamanho)
            continue;
        const QByteArray pedido = m_pedido;
        m_pedido.clear();
        m_acordado = false;
        m_pedidos.append(pedido);
        Q_EMIT pedidoRecebido(pedido);
        if (m_defeitos.ignoraPedidos)
            continue;
        if ((m_defeitos.derrubaAposTrocas >= 0 && m_trocas >= m_defeitos.derrubaAposTrocas) ||
            (pedido.startsWith("MRP") && m_defeitos.derrubaAposPaginas >= 0 &&
             m_paginasServidas >= m_defeitos.derrubaAposPaginas)) {
            derruba();
            continue;
        }
        QByteArray r = responde(pedido);
        if (r.isEmpty())
            continue;
        ++m_trocas;
        if (!m_defeitos.lixo.isEmpty())
            r = m_defeitos.lixo;
        if (m_defeitos.bytesExtras > 0)
            r += QByteArray(m_defeitos.bytesExtras, 'X');
        if (m_defeitos.bytesFaltando > 0)
            r.chop(qMin<qsizetype>(m_defeitos.bytesFaltando, r.size()));
        envia(r, m_defeitos.atrasoMs);
    }
}

QByteArray SimuladorRep1::respostaStatus() const
{
    const QDateTime dh = m_estado.relogio();
    const QDate d = dh.date();
    const QTime t = dh.time();
    QByteArray r = doisDigitos(t.second()) + doisDigitos(t.minute()) + doisDigitos(t.hour()) +
                   doisDigitos(d.dayOfWeek() % 7 + 1) + doisDigitos(d.day()) + doisDigitos(d.month()) +
                   doisDigitos(d.year() % 100);
    const quint16 cache = m_estado.cache();
    const quint32 ptr = m_estado.ponteiro();
    r += char(cache >> 8);
    r += char(cache & 0xFF);
    r += char(ptr >> 24);
    r += char((ptr >> 16) & 0xFF);
    r += char((ptr >> 8) & 0xFF);
    r += char(ptr & 0xFF);
    r += QByteArray::number(m_estado.nsr).rightJustified(9, '0').right(9);
    r += cp(m_estado.serial, 17);
    r += char(m_estado.bateria >> 8);
    r += char(m_estado.bateria & 0xFF);
    const int tamanho = m_defeitos.tamanhoStatus;
    if (tamanho > r.size())
        r += QByteArray(tamanho - r.size(), '\0');
    else
        r.truncate(tamanho);
    return r;
}

QByteArray SimuladorRep1::responde(const QByteArray &p)
{
    const QByteArray ok = m_defeitos.recusa.isEmpty() ? QByteArrayLiteral("!OK") : m_defeitos.recusa;
    if (p == "TCM")
        return respostaStatus();
    if (p.startsWith("CLK")) {
        if (!somaConfere(p, 3))
            return QByteArray();
        const QByteArray c = p.mid(3, 14);
        auto v = [&](int i) { return c.mid(i, 2).toInt(); };
        const QDateTime dh(QDate(2000 + v(12), v(10), v(8)), QTime(v(4), v(2), v(0)));
        if (!dh.isValid())
            return QByteArrayLiteral("!ME");
        if (ok == "!OK")
            m_estado.acertaRelogio(dh);
        return ok;
    }
    if (p.startsWith("FU")) {
        if (!somaConfere(p, 3))
            return QByteArray();
        FuncionarioRep1 f;
        const QString carga = deCp1252(p.mid(3, 78));
        f.codigo = carga.mid(0, 6);
        f.matricula = carga.mid(6, 8);
        f.pis = carga.mid(14, 12);
        f.nome = carga.mid(26, 52);
        if (ok != "!OK")
            return ok;
        int idx = -1;
        for (int i = 0; i < m_estado.funcionarios.size(); ++i)
            if (m_estado.funcionarios[i].matricula == f.matricula)
                idx = i;
        if (p.at(2) == 'E') {
            if (idx >= 0)
                m_estado.funcionarios.removeAt(idx);
        } else if (idx >= 0) {
            m_estado.funcionarios[idx] = f;
        } else {
            if (m_estado.funcionarios.size() >= m_estado.capacidadeMT)
                return QByteArrayLiteral("!MT");
            m_estado.funcionarios.append(f);
        }
        return ok;
    }
    if (p.startsWith("EM")) {
        if (!somaConfere(p, 3))
            return QByteArray();
        if (ok != "!OK")
            return ok;
        const QString carga = deCp1252(p.mid(3, 276));
        m_estado.tipoEmpregador = p.at(2) == 'P' ? '1' : '2';
        m_estado.nomeEmpregador = carga.mid(0, 150);
        m_estado.cpfCnpj = carga.mid(150, 14);
        m_estado.cei = carga.mid(164, 12);
        m_estado.local = carga.mid(176, 100);
        return ok;
    }
    if (p == "PME") {
        QByteArray r(1, m_estado.tipoEmpregador);
        r += cp(m_estado.nomeEmpregador, 150);
        r += paraCp1252(m_estado.cpfCnpj).rightJustified(14, '0').right(14);
        r += paraCp1252(m_estado.cei).rightJustified(12, '0').right(12);
        r += cp(m_estado.local, 100);
        r += "  ";
        return r;
    }
    if (p == "LMT") {
        QByteArray r;
        for (const FuncionarioRep1 &f : std::as_const(m_estado.funcionarios))
            r += paraCp1252(f.codigo + f.matricula + f.pis + f.nome) + "\r\n";
        return r + "!OK";
    }
    if (p.startsWith("MRP")) {
        const quint32 end = (quint32(quint8(p.at(3))) << 24) | (quint32(quint8(p.at(4))) << 16) |
                            (quint32(quint8(p.at(5))) << 8) | quint32(quint8(p.at(6)));
        QByteArray pagina = m_estado.memoria.mid(end, 512);
        if (end >= quint32(m_estado.memoria.size()))
            pagina.clear();
        pagina = pagina.leftJustified(512, '\xFF', true);
        quint16 soma = 0;
        for (char c : pagina)
            soma = quint16(soma + quint8(c));
        if (m_defeitos.paginasSomaErrada != 0) {
            soma = quint16(soma + 1);
            if (m_defeitos.paginasSomaErrada > 0)
                --m_defeitos.paginasSomaErrada;
        }
        ++m_paginasServidas;
        return pagina + char(soma >> 8) + char(soma & 0xFF);
    }
    if (p == "UPA") {
        const QByteArray cache = m_estado.memoria.mid(m_estado.ponteiro());
        quint16 soma = 0;
        for (char c : cache)
            soma = quint16(soma + quint8(c));
        return cache + char(soma >> 8) + char(soma & 0xFF);
    }
    return QByteArray();
}

void SimuladorRep1::envia(const QByteArray &bytes, int atrasoMs)
{
    if (atrasoMs > 0)
        QTimer::singleShot(atrasoMs, this, [this, bytes] { escreveAgora(bytes); });
    else
        escreveAgora(bytes);
}

void SimuladorRep1::escreveAgora(const QByteArray &bytes)
{
    if (m_derrubada)
        return;
    if (m_saida.isEmpty()) {
        m_relogioRitmo.start();
        m_bytesRitmados = 0;
    }
    m_saida += bytes;
    despeja();
}

void SimuladorRep1::despeja()
{
    if (m_saida.isEmpty())
        return;
    qsizetype n = m_saida.size();
    if (m_defeitos.ritmoBps > 0) {
        // 10 bits a byte on an 8N1 line.
        const qint64 permitidos =
            m_relogioRitmo.elapsed() * m_defeitos.ritmoBps / 10000 + 1 - m_bytesRitmados;
        n = qBound<qsizetype>(0, permitidos, m_saida.size());
    }
    qsizetype escritos = 0;
    if (n > 0) {
        if (m_cliente) {
            escritos = m_cliente->write(m_saida.constData(), n);
        } else if (m_mestre >= 0) {
            const ssize_t w = ::write(m_mestre, m_saida.constData(), size_t(n));
            escritos = w > 0 ? w : 0;
        } else {
            escritos = m_saida.size(); // nobody to write to
        }
    }
    if (escritos > 0) {
        m_saida.remove(0, escritos);
        m_bytesRitmados += escritos;
    }
    if (!m_saida.isEmpty())
        m_ritmo->start(1);
}

void SimuladorRep1::derruba()
{
    m_derrubada = true;
    m_saida.clear();
    m_pedido.clear();
    m_acordado = false;
    // TCP: the connection is closed; serial: the line falls silent.
    if (m_cliente)
        m_cliente->disconnectFromHost();
}

bool SimuladorRep1::carregaEstado(const QString &arquivo, QString *erro)
{
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (erro)
            *erro = f.errorString();
        return false;
    }
    int marcacoes = 0;
    const QStringList linhas = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString linha : linhas) {
        linha = linha.trimmed();
        if (linha.isEmpty() || linha.startsWith(QLatin1Char('#')))
            continue;
        const QString chave = linha.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        const QString valor = linha.section(QLatin1Char('='), 1);
        if (chave == QLatin1String("serial"))
            m_estado.serial = valor;
        else if (chave == QLatin1String("relogio"))
            m_estado.acertaRelogio(
                QDateTime::fromString(valor.trimmed(), QStringLiteral("dd/MM/yyyy hh:mm:ss")));
        else if (chave == QLatin1String("nsr"))
            m_estado.nsr = valor.toUInt();
        else if (chave == QLatin1String("empregador.tipo"))
            m_estado.tipoEmpregador = valor.trimmed() == QLatin1String("2") ? '2' : '1';
        else if (chave == QLatin1String("empregador.nome"))
            m_estado.nomeEmpregador = valor + QLatin1Char(';');
        else if (chave == QLatin1String("empregador.cpfcnpj"))
            m_estado.cpfCnpj = valor.trimmed().rightJustified(14, QLatin1Char('0'));
        else if (chave == QLatin1String("empregador.cei"))
            m_estado.cei = valor.trimmed().rightJustified(12, QLatin1Char('0'));
        else if (chave == QLatin1String("empregador.local"))
            m_estado.local = valor + QLatin1Char(';');
        else if (chave == QLatin1String("funcionario")) {
            const QStringList c = valor.split(QLatin1Char(';'));
            FuncionarioRep1 fu;
            fu.codigo = c.value(0).leftJustified(6, QLatin1Char('0'), true);
            fu.matricula = c.value(1).rightJustified(8, QLatin1Char('0'), true);
            fu.pis = c.value(2).rightJustified(12, QLatin1Char('0'), true);
            fu.nome = (c.value(3) + QLatin1Char(';')).leftJustified(52, QLatin1Char(' '), true);
            m_estado.funcionarios.append(fu);
        } else if (chave == QLatin1String("registro"))
            m_estado.adicionaRegistro(paraCp1252(valor));
        else if (chave == QLatin1String("marcacoes"))
            marcacoes = valor.toInt();
        else if (chave == QLatin1String("capacidademt"))
            m_estado.capacidadeMT = valor.toInt();
        else {
            if (erro)
                *erro = QStringLiteral("chave desconhecida: ") + chave;
            return false;
        }
    }
    if (marcacoes > 0)
        m_estado.geraMarcacoes(marcacoes, m_estado.relogio().addDays(-1));
    return true;
}

} // namespace kelvo::sim
