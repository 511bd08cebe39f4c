#include "gen2/simulador2.h"

#include "data/cp1252.h"
#include "data/textos.h"
#include "device/gen2/protocolo2.h"

#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kelvo::sim {

using namespace kelvo::rep2;

namespace {

constexpr int TamanhoPagina = 512;

// The device's own 16-bit sum of a page (and of a template reply's trailer).
quint16 somaDosBytes(const QByteArray &dados)
{
    quint32 s = 0;
    for (const char c : dados)
        s += static_cast<quint8>(c);
    return static_cast<quint16>(s & 0xFFFF);
}

QByteArray dataHoraAfd(const QDateTime &dt)
{
    return dt.toString(QStringLiteral("ddMMyyyyhhmm")).toLatin1();
}

// A text field as sent: the value, its ";" terminator, then blanks.
QString antesDoPontoEVirgula(const QString &campo)
{
    QString t = campo;
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    if (t.endsWith(QLatin1Char(';')))
        t.chop(1);
    return t;
}

bool inteiro(const QString &v, int *saida)
{
    bool ok = false;
    const int n = v.trimmed().toInt(&ok);
    if (ok)
        *saida = n;
    return ok;
}

bool booleano(const QString &v)
{
    const QString t = v.trimmed().toLower();
    return t.isEmpty() || t == QLatin1String("1") || t == QLatin1String("s") || t == QLatin1String("sim") ||
           t == QLatin1String("true");
}

} // namespace

int EstadoRep2::templatesGravados() const
{
    int n = 0;
    for (const auto &dedos : templates)
        n += dedos.size();
    return n;
}

SimuladorRep2::SimuladorRep2(QObject *parent) : QObject(parent)
{
    m_quieto = new QTimer(this);
    m_quieto->setSingleShot(true);
    m_quieto->setInterval(300);
    connect(m_quieto, &QTimer::timeout, this, [this] {
        // A template write that stopped at its LF is a header-only request.
        int i = 0;
        while (i < m_entrada.size() && m_entrada.at(i) == '$')
            ++i;
        if (m_entrada.mid(i, 4) == "#WTL" && m_entrada.size() - i - 4 >= 13) {
            const QByteArray req = m_entrada.mid(1, i - 1 + 4 + 13);
            m_entrada.remove(0, i + 4 + 13);
            m_requisicoes.append(req);
            Q_EMIT requisicaoRecebida(req);
            if (!(m_defeitos.derrubaAposPaginas >= 0 && m_paginas >= m_defeitos.derrubaAposPaginas))
                responde(m_defeitos.respostaFixa.value("WTL", QByteArrayLiteral("!ER")));
        } else {
            m_entrada.clear();
        }
        processaEntrada();
    });
    m_ritmo = new QTimer(this);
    m_ritmo->setInterval(1);
    connect(m_ritmo, &QTimer::timeout, this, &SimuladorRep2::escoa);
}

SimuladorRep2::~SimuladorRep2()
{
    fecha();
}

bool SimuladorRep2::abre(QString *erro)
{
    fecha();
    const auto falha = [&](const char *onde) {
        if (erro)
            *erro = QStringLiteral("%1: %2").arg(QLatin1String(onde),
                                                 QString::fromLocal8Bit(std::strerror(errno)));
        fecha();
        return false;
    };
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return falha("posix_openpt");
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return falha("grantpt/unlockpt");
    char nome[128];
    if (::ptsname_r(m_master, nome, sizeof nome) != 0)
        return falha("ptsname");
    m_caminho = QString::fromLocal8Bit(nome);
    // Keep one handle on the terminal side open: without it the master reports
    // a hang-up whenever the program under test closes its port.
    m_escravo = ::open(nome, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_escravo < 0)
        return falha("open");
    termios t{};
    if (::tcgetattr(m_escravo, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B115200);
        ::cfsetospeed(&t, B115200);
        ::tcsetattr(m_escravo, TCSANOW, &t);
    }
    m_leitura = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_leitura, &QSocketNotifier::activated, this, &SimuladorRep2::leMaster);
    return true;
}

void SimuladorRep2::fecha()
{
    delete m_leitura;
    m_leitura = nullptr;
    if (m_ritmo)
        m_ritmo->stop();
    if (m_escravo >= 0)
        ::close(m_escravo);
    if (m_master >= 0)
        ::close(m_master);
    m_escravo = m_master = -1;
    m_saida.clear();
    m_entrada.clear();
}

void SimuladorRep2::limpaHistorico()
{
    m_recebido.clear();
    m_requisicoes.clear();
    m_paginas = 0;
}

QDateTime SimuladorRep2::relogio() const
{
    return QDateTime::currentDateTime().addSecs(m_estado.deslocamentoRelogio);
}

void SimuladorRep2::leMaster()
{
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            m_entrada.append(buf, static_cast<int>(n));
            m_recebido.append(buf, static_cast<int>(n));
            continue;
        }
        break; // EAGAIN, or EIO while nobody holds the terminal side
    }
    processaEntrada();
}

int SimuladorRep2::tamanhoRequisicao(const QByteArray &cmd, const QByteArray &corpo, bool *quieto) const
{
    *quieto = false;
    static const QHash<QByteArray, int> fixos = {
        {"TCM", 0}, {"PME", 0},  {"LMT", 0},   {"IMT", 0},   {"RMR", 0},  {"DID", 0},  {"ZTL", 0},
        {"UPA", 0}, {"CLK", 18}, {"EMP", 282}, {"EMF", 282}, {"FUN", 84}, {"FUA", 84}, {"FUE", 84},
        {"SEN", 4}, {"BRD", 5},  {"VID", 4},   {"XTL", 4},   {"GID", 1},  {"MRP", 4}};
    if (fixos.contains(cmd))
        return fixos.value(cmd);
    if (cmd == "WTL") {
        constexpr int completo = 13 + TamanhoTemplate + 2;
        if (corpo.size() >= completo)
            return completo;
        // The header alone is a whole request only once the line has gone quiet.
        *quieto = true;
        return completo;
    }
    return -1;
}

void SimuladorRep2::processaEntrada()
{
    for (;;) {
        const int inicio = m_entrada.indexOf('$');
        if (inicio < 0) {
            m_entrada.clear();
            return;
        }
        m_entrada.remove(0, inicio);
        int i = 1;
        while (i < m_entrada.size() && m_entrada.at(i) == '$')
            ++i;
        if (m_entrada.size() < i + 4) {
            m_quieto->start();
            return;
        }
        if (m_entrada.at(i) != '#') {
            m_entrada.remove(0, i);
            continue;
        }
        const QByteArray cmd = m_entrada.mid(i + 1, 3);
        const QByteArray corpo = m_entrada.mid(i + 4);
        bool quieto = false;
        const int tamanho = tamanhoRequisicao(cmd, corpo, &quieto);
        if (tamanho < 0) {
            m_entrada.remove(0, i + 4);
            continue;
        }
        if (corpo.size() < tamanho) {
            m_quieto->start();
            return;
        }
        m_quieto->stop();
        const QByteArray req = m_entrada.mid(1, i - 1 + 4 + tamanho);
        m_entrada.remove(0, i + 4 + tamanho);
        m_requisicoes.append(req);
        Q_EMIT requisicaoRecebida(req);
        atende(req.mid(i - 1));
    }
}

QByteArray SimuladorRep2::okOu(const QByteArray &normal) const
{
    if (normal == "!OK" && !m_defeitos.recusa.isEmpty())
        return m_defeitos.recusa;
    return normal;
}

void SimuladorRep2::acrescentaRegistro(const QByteArray &semNsr)
{
    ++m_estado.nsr;
    m_estado.memoria += QByteArray::number(m_estado.nsr).rightJustified(9, '0') + semNsr + "\r\n";
}

void SimuladorRep2::registraPonto(const QDateTime &quando, const QString &pis)
{
    acrescentaRegistro("3" + dataHoraAfd(quando) +
                       paraCp1252(CompletaTexto(pis, 12, Lado::Esquerda, QStringLiteral("0"))));
}

void SimuladorRep2::atende(const QByteArray &req)
{
    if (m_defeitos.derrubaAposPaginas >= 0 && m_paginas >= m_defeitos.derrubaAposPaginas)
        return; // the line is down
    const QByteArray cmd = req.mid(1, 3);
    const QByteArray p = req.mid(4);
    if (m_defeitos.respostaFixa.contains(cmd)) {
        responde(m_defeitos.respostaFixa.value(cmd));
        return;
    }
    if (cmd == "TCM") {
        responde(respostaStatus());
    } else if (cmd == "CLK") {
        responde(trataRelogio(p));
    } else if (cmd == "EMP" || cmd == "EMF") {
        responde(trataEmpregador(cmd.at(2), p));
    } else if (cmd == "PME") {
        responde(respostaEmpregador());
    } else if (cmd.startsWith("FU")) {
        responde(trataFuncionario(cmd.at(2), p));
    } else if (cmd == "LMT") {
        responde(respostaLeituraMT());
    } else if (cmd == "SEN") {
        m_estado.senha = QString::fromLatin1(p);
        responde(okOu("!OK"));
    } else if (cmd == "IMT") {
        m_estado.funcionarios.clear();
        const QByteArray r = okOu("!OK");
        QTimer::singleShot(m_estado.atrasoIniciaMTms, this, [this, r] { responde(r); });
    } else if (cmd == "RMR") {
        m_estado.memoria.clear();
        m_estado.nsr = 0;
        responde(okOu("!OK"));
    } else if (cmd == "BRD") {
        responde(respostaLeTemplate(p));
    } else if (cmd == "WTL") {
        responde(trataGravaTemplate(p));
    } else if (cmd == "VID") {
        const int n = m_estado.templates.value(matriculaDeBCD(p.left(4))).size();
        QByteArray r;
        const QByteArray d = QByteArray::number(n).rightJustified(8, '0');
        for (int k = 0; k < 4; ++k)
            r.append(static_cast<char>(d.mid(k * 2, 2).toInt()));
        responde(r + "\r\n");
    } else if (cmd == "XTL") {
        responde(m_estado.templates.remove(matriculaDeBCD(p.left(4))) > 0 ? okOu("!OK") : QByteArray("!ER"));
    } else if (cmd == "DID") {
        const int livres = qMax(0, m_estado.capacidadeTemplates - m_estado.templatesGravados());
        responde(QByteArray::number(qMin(livres, 999)).rightJustified(3, '0'));
    } else if (cmd == "ZTL") {
        m_estado.templates.clear();
        responde(okOu("!OK"));
    } else if (cmd == "GID") {
        responde(respostaListaTemplates(static_cast<quint8>(p.at(0))));
    } else if (cmd == "MRP") {
        const quint32 endereco = static_cast<quint32>(static_cast<quint8>(p.at(0))) << 24 |
                                 static_cast<quint32>(static_cast<quint8>(p.at(1))) << 16 |
                                 static_cast<quint32>(static_cast<quint8>(p.at(2))) << 8 |
                                 static_cast<quint8>(p.at(3));
        responde(respostaPagina(endereco));
    } else if (cmd == "UPA") {
        responde(m_estado.memoria.mid(m_estado.ponteiro(), m_estado.cache()) + "\r\n");
    }
}

QByteArray SimuladorRep2::respostaStatus() const
{
    const QDateTime agora = relogio();
    QByteArray r = payloadRelogio(agora);
    const quint16 c = m_estado.cache();
    const quint32 pt = m_estado.ponteiro();
    r.append(static_cast<char>(c >> 8)).append(static_cast<char>(c & 0xFF));
    for (int s = 24; s >= 0; s -= 8)
        r.append(static_cast<char>((pt >> s) & 0xFF));
    r += QByteArray::number(m_estado.nsr).rightJustified(9, '0');
    r += paraCp1252(CompletaTexto(m_estado.serial, 17, Lado::Esquerda, QStringLiteral("0")));
    r.append(static_cast<char>(m_estado.bateria >> 8)).append(static_cast<char>(m_estado.bateria & 0xFF));
    // 48 bytes of data; the rest of the reply is line ends.
    while (r.size() < m_defeitos.tamanhoStatus)
        r += (r.size() % 2 == 0) ? '\r' : '\n';
    return r.left(m_defeitos.tamanhoStatus);
}

QByteArray SimuladorRep2::respostaEmpregador() const
{
    const auto campo = [](const QString &t, int largura) {
        return paraCp1252(CompletaTexto(t, largura, Lado::Direita, QStringLiteral(" ")));
    };
    QByteArray r(1, m_estado.tipoEmpregador == 1 ? '1' : '2');
    r += campo(m_estado.nomeEmpregador, LarguraNomeEmpregador);
    r += campo(m_estado.cpfCnpj, LarguraCpfCnpj);
    r += campo(m_estado.cei, LarguraCei);
    r += campo(m_estado.local, LarguraLocal);
    return r + "\r\n";
}

QByteArray SimuladorRep2::trataRelogio(const QByteArray &p)
{
    const QByteArray dados = p.left(14);
    if (checkTexto(dados) != p.mid(14, 4))
        return "!ER";
    const auto v = [&](int i) { return dados.mid(i, 2).toInt(); };
    const QDate d(2000 + v(12), v(10), v(8));
    const QTime t(v(4), v(2), v(0));
    if (!d.isValid() || !t.isValid())
        return "!ER";
    const QByteArray r = okOu("!OK");
    if (r == "!OK") {
        const QDateTime antes = relogio();
        const QDateTime depois(d, t);
        m_estado.deslocamentoRelogio = QDateTime::currentDateTime().secsTo(depois);
        acrescentaRegistro("4" + dataHoraAfd(antes) + dataHoraAfd(depois));
    }
    return r;
}

QByteArray SimuladorRep2::trataEmpregador(char tipo, const QByteArray &p)
{
    const QByteArray dados = p.left(278);
    if (checkTexto(dados) != p.mid(278, 4) || !dados.endsWith("\r\n"))
        return "!ER";
    const QByteArray r = okOu("!OK");
    if (r != "!OK")
        return r;
    const QString t = deCp1252(dados);
    m_estado.tipoEmpregador = tipo == 'P' ? 1 : 2;
    m_estado.nomeEmpregador = antesDoPontoEVirgula(t.mid(0, 150));
    m_estado.cpfCnpj = t.mid(150, 14);
    m_estado.cei = t.mid(164, 12);
    m_estado.local = antesDoPontoEVirgula(t.mid(176, 100));
    acrescentaRegistro(
        "2" + dataHoraAfd(relogio()) + QByteArray(1, m_estado.tipoEmpregador == 1 ? '1' : '2') +
        dados.mid(150, 14) + dados.mid(164, 12) +
        paraCp1252(CompletaTexto(m_estado.nomeEmpregador, 150, Lado::Direita, QStringLiteral(" "))) +
        paraCp1252(CompletaTexto(m_estado.local, 100, Lado::Direita, QStringLiteral(" "))));
    return r;
}

QByteArray SimuladorRep2::trataFuncionario(char modo, const QByteArray &p)
{
    const QByteArray dados = p.left(80);
    if (checkTexto(dados) != p.mid(80, 4) || !dados.endsWith("\r\n"))
        return "!ER";
    const QString t = deCp1252(dados);
    FuncionarioRep2 f{t.mid(0, 6), t.mid(6, 8), t.mid(14, 12), antesDoPontoEVirgula(t.mid(26, 52))};
    int achado = -1;
    for (int k = 0; k < m_estado.funcionarios.size(); ++k)
        if (m_estado.funcionarios.at(k).pis == f.pis)
            achado = k;
    if (modo == 'N' && achado < 0 && m_estado.funcionarios.size() >= m_estado.capacidadeMT)
        return "!MT";
    const QByteArray r = okOu("!OK");
    if (r != "!OK")
        return r;
    if (modo == 'E') {
        if (achado >= 0)
            m_estado.funcionarios.removeAt(achado);
    } else if (achado >= 0) {
        m_estado.funcionarios[achado] = f;
    } else {
        m_estado.funcionarios.append(f);
    }
    const char op = modo == 'N' ? 'I' : modo;
    acrescentaRegistro("5" + dataHoraAfd(relogio()) + QByteArray(1, op) + paraCp1252(f.pis) +
                       paraCp1252(CompletaTexto(f.nome, 52, Lado::Direita, QStringLiteral(" "))));
    return r;
}

QByteArray SimuladorRep2::respostaLeituraMT() const
{
    QByteArray r;
    for (const FuncionarioRep2 &f : m_estado.funcionarios)
        r += paraCp1252(f.codigo + f.matricula + f.pis + f.nome + QLatin1Char(';')) + "\r\n";
    return r + "!OK";
}

QByteArray SimuladorRep2::trataGravaTemplate(const QByteArray &p)
{
    const QByteArray cab = p.left(12);
    quint32 soma = 0;
    for (int k = 0; k < 11; ++k)
        soma += static_cast<quint8>(cab.at(k));
    if (cab.left(2) != "\x40\x07" || static_cast<quint8>(cab.at(11)) != (soma & 0xFF) || p.at(12) != '\n')
        return "!ER";
    const QByteArray corpo = p.mid(13, TamanhoTemplate);
    if (corpo.size() != TamanhoTemplate || checkCorpoTemplate(corpo) != p.mid(13 + TamanhoTemplate, 2))
        return "!ER";
    const QString mat = matriculaDeBCD(cab.mid(2, 4));
    if (m_estado.templatesGravados() >= m_estado.capacidadeTemplates)
        return "!BF";
    auto &dedos = m_estado.templates[mat];
    if (dedos.size() >= m_estado.dedosPorMatricula) {
        if (dedos.isEmpty())
            m_estado.templates.remove(mat);
        return "!LF";
    }
    const QByteArray r = okOu("!OK");
    if (r != "!OK") {
        if (dedos.isEmpty())
            m_estado.templates.remove(mat);
        return r;
    }
    int dedo = 1;
    while (dedos.contains(dedo))
        ++dedo;
    dedos.insert(dedo, corpo);
    return r;
}

QByteArray SimuladorRep2::respostaLeTemplate(const QByteArray &p) const
{
    const QString mat = matriculaDeBCD(p.left(4));
    const int dedo = static_cast<quint8>(p.at(4));
    const auto dedos = m_estado.templates.value(mat);
    QByteArray r;
    if (dedo == 0) {
        for (const QByteArray &t : dedos)
            r += t;
    } else if (dedos.contains(dedo)) {
        r = dedos.value(dedo);
    }
    if (r.isEmpty())
        return "!NF";
    const quint16 s = somaDosBytes(r);
    return r + static_cast<char>(s >> 8) + static_cast<char>(s & 0xFF);
}

QByteArray SimuladorRep2::respostaListaTemplates(quint8 indice) const
{
    const QStringList mats = m_estado.templates.keys();
    const int bloco = qMax(1, m_estado.matriculasPorBloco);
    const QStringList estes = mats.mid(indice * bloco, bloco);
    if (estes.isEmpty())
        return "!";
    QByteArray r;
    for (const QString &m : estes)
        r += matriculaBCD(m).value_or(QByteArray(4, '\0'));
    return r + '\n';
}

QByteArray SimuladorRep2::respostaPagina(quint32 endereco)
{
    QByteArray pagina = m_estado.memoria.mid(static_cast<int>(endereco), TamanhoPagina);
    pagina += QByteArray(TamanhoPagina - pagina.size(), '\xFF');
    quint16 s = somaDosBytes(pagina);
    if (m_defeitos.paginasCheckErrado != 0) {
        s ^= 0x5A5A;
        if (m_defeitos.paginasCheckErrado > 0)
            --m_defeitos.paginasCheckErrado;
    }
    ++m_paginas;
    return pagina + static_cast<char>(s >> 8) + static_cast<char>(s & 0xFF);
}

void SimuladorRep2::responde(QByteArray resposta, bool aplicaDefeitos)
{
    if (aplicaDefeitos) {
        if (m_defeitos.silencioso)
            return;
        if (!m_defeitos.lixo.isEmpty())
            resposta = m_defeitos.lixo;
        if (m_defeitos.bytesFaltando > 0)
            resposta.chop(qMin<qsizetype>(m_defeitos.bytesFaltando, resposta.size()));
        if (m_defeitos.bytesExtras > 0)
            resposta += QByteArray(m_defeitos.bytesExtras, '\x55');
        if (m_defeitos.respostaDupla)
            resposta += resposta;
        if (m_defeitos.atrasoMs > 0) {
            QTimer::singleShot(m_defeitos.atrasoMs, this, [this, resposta] { escreve(resposta); });
            return;
        }
    }
    escreve(resposta);
}

void SimuladorRep2::escreve(const QByteArray &bytes)
{
    if (m_master < 0 || bytes.isEmpty())
        return;
    if (m_saida.isEmpty()) {
        m_relogioRitmo.start();
        m_bytesRitmo = 0;
    }
    m_saida += bytes;
    escoa();
}

void SimuladorRep2::escoa()
{
    if (m_master < 0) {
        m_saida.clear();
        m_ritmo->stop();
        return;
    }
    qint64 permitido = m_saida.size();
    if (m_defeitos.ritmoLinha)
        permitido = qBound<qint64>(
            0,
            static_cast<qint64>(m_relogioRitmo.elapsed() * (qMax(1, m_defeitos.bitsPorSegundo) / 10000.0)) +
                1 - m_bytesRitmo,
            m_saida.size());
    if (permitido > 0) {
        const ssize_t n = ::write(m_master, m_saida.constData(), static_cast<size_t>(permitido));
        if (n > 0) {
            m_saida.remove(0, static_cast<int>(n));
            m_bytesRitmo += n;
        }
    }
    if (m_saida.isEmpty())
        m_ritmo->stop();
    else if (!m_ritmo->isActive())
        m_ritmo->start();
}

QStringList SimuladorRep2::chavesOpcoes()
{
    return {QStringLiteral("serial"),
            QStringLiteral("relogio"),
            QStringLiteral("nsr"),
            QStringLiteral("empregador-tipo"),
            QStringLiteral("empregador-nome"),
            QStringLiteral("empregador-cpfcnpj"),
            QStringLiteral("empregador-cei"),
            QStringLiteral("empregador-local"),
            QStringLiteral("funcionario"),
            QStringLiteral("ponto"),
            QStringLiteral("pontos"),
            QStringLiteral("registro"),
            QStringLiteral("template"),
            QStringLiteral("capacidade-mt"),
            QStringLiteral("capacidade-templates"),
            QStringLiteral("silencioso"),
            QStringLiteral("atraso"),
            QStringLiteral("status-bytes"),
            QStringLiteral("bytes-extras"),
            QStringLiteral("bytes-faltando"),
            QStringLiteral("resposta-dupla"),
            QStringLiteral("lixo"),
            QStringLiteral("recusa"),
            QStringLiteral("resposta"),
            QStringLiteral("check-errado"),
            QStringLiteral("derruba-apos"),
            QStringLiteral("ritmo"),
            QStringLiteral("atraso-imt")};
}

bool SimuladorRep2::carregaArquivo(const QString &caminho, QString *erro)
{
    QFile f(caminho);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (erro)
            *erro = caminho + QStringLiteral(": ") + f.errorString();
        return false;
    }
    int numero = 0;
    while (!f.atEnd()) {
        ++numero;
        const QString linha = QString::fromUtf8(f.readLine()).trimmed();
        if (linha.isEmpty() || linha.startsWith(QLatin1Char('#')))
            continue;
        const int i = linha.indexOf(QLatin1Char('='));
        QString e;
        if (i <= 0 || !aplicaOpcao(linha.left(i), linha.mid(i + 1), &e)) {
            if (erro)
                *erro = QStringLiteral("%1:%2: %3").arg(caminho).arg(numero).arg(e.isEmpty() ? linha : e);
            return false;
        }
    }
    return true;
}

bool SimuladorRep2::aplicaOpcao(const QString &chaveBruta, const QString &valor, QString *erro)
{
    const QString chave = chaveBruta.trimmed().toLower();
    const auto falha = [&](const QString &texto) {
        if (erro)
            *erro = texto;
        return false;
    };
    const auto ruim = [&] { return falha(QStringLiteral("valor inválido para %1: %2").arg(chave, valor)); };
    int n = 0;
    if (chave == QLatin1String("serial")) {
        m_estado.serial = CompletaTexto(valor.trimmed(), 17, Lado::Esquerda, QStringLiteral("0"));
    } else if (chave == QLatin1String("relogio")) {
        const QDateTime dt = QDateTime::fromString(valor.trimmed(), QStringLiteral("dd/MM/yyyy hh:mm:ss"));
        if (!dt.isValid())
            return ruim();
        m_estado.deslocamentoRelogio = QDateTime::currentDateTime().secsTo(dt);
    } else if (chave == QLatin1String("nsr")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_estado.nsr = static_cast<quint32>(n);
    } else if (chave == QLatin1String("empregador-tipo")) {
        if (!inteiro(valor, &n) || (n != 1 && n != 2))
            return ruim();
        m_estado.tipoEmpregador = n;
    } else if (chave == QLatin1String("empregador-nome")) {
        m_estado.nomeEmpregador = valor;
    } else if (chave == QLatin1String("empregador-cpfcnpj")) {
        m_estado.cpfCnpj = CompletaTexto(valor.trimmed(), 14, Lado::Esquerda, QStringLiteral("0"));
    } else if (chave == QLatin1String("empregador-cei")) {
        m_estado.cei = valor;
    } else if (chave == QLatin1String("empregador-local")) {
        m_estado.local = valor;
    } else if (chave == QLatin1String("funcionario")) {
        // codigo;matricula;pis;nome
        const QStringList c = valor.split(QLatin1Char(';'));
        if (c.size() != 4)
            return ruim();
        m_estado.funcionarios.append({CompletaTexto(c[0], 6, Lado::Direita, QStringLiteral("0")),
                                      CompletaTexto(c[1], 8, Lado::Esquerda, QStringLiteral("0")),
                                      CompletaTexto(c[2], 12, Lado::Esquerda, QStringLiteral("0")), c[3]});
    } else if (chave == QLatin1String("ponto")) {
        // dd/MM/yyyy hh:mm;pis
        const QStringList c = valor.split(QLatin1Char(';'));
        const QDateTime dt = c.size() == 2
                                 ? QDateTime::fromString(c[0].trimmed(), QStringLiteral("dd/MM/yyyy hh:mm"))
                                 : QDateTime();
        if (!dt.isValid())
            return ruim();
        registraPonto(dt, c[1].trimmed());
    } else if (chave == QLatin1String("registro")) {
        // A whole AFD record, NSR included, as the device wrote it.
        const QByteArray linha = paraCp1252(valor);
        bool temNsr = false;
        const uint nsr = linha.left(9).toUInt(&temNsr);
        if (linha.size() < 10 || !temNsr)
            return ruim();
        m_estado.memoria += linha + "\r\n";
        m_estado.nsr = qMax<quint32>(m_estado.nsr, nsr);
    } else if (chave == QLatin1String("pontos")) {
        // N punches, one a minute from the simulated clock backwards.
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        const QDateTime base = relogio().addSecs(-60LL * n);
        for (int k = 0; k < n; ++k)
            registraPonto(base.addSecs(60LL * k), QStringLiteral("%1").arg(12000000000LL + k % 50));
    } else if (chave == QLatin1String("template")) {
        // matricula;dedo[;hex]
        const QStringList c = valor.split(QLatin1Char(';'));
        int dedo = 0;
        if (c.size() < 2 || !matriculaBCD(c[0]) || !inteiro(c[1], &dedo) || dedo < 1 || dedo > 255)
            return ruim();
        QByteArray corpo;
        if (c.size() > 2) {
            const auto b = corpoDeTextoHex(c[2].toLatin1());
            if (!b || b->size() != TamanhoTemplate)
                return ruim();
            corpo = *b;
        } else {
            for (int k = 0; k < TamanhoTemplate; ++k)
                corpo.append(static_cast<char>((k * 7 + dedo) & 0xFF));
        }
        m_estado.templates[CompletaTexto(c[0].trimmed(), 8, Lado::Esquerda, QStringLiteral("0"))].insert(
            dedo, corpo);
    } else if (chave == QLatin1String("capacidade-mt")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_estado.capacidadeMT = n;
    } else if (chave == QLatin1String("capacidade-templates")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_estado.capacidadeTemplates = n;
    } else if (chave == QLatin1String("silencioso")) {
        m_defeitos.silencioso = booleano(valor);
    } else if (chave == QLatin1String("atraso")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_defeitos.atrasoMs = n;
    } else if (chave == QLatin1String("status-bytes")) {
        if (!inteiro(valor, &n) || n < 0 || n > 200)
            return ruim();
        m_defeitos.tamanhoStatus = n;
    } else if (chave == QLatin1String("bytes-extras")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_defeitos.bytesExtras = n;
    } else if (chave == QLatin1String("bytes-faltando")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_defeitos.bytesFaltando = n;
    } else if (chave == QLatin1String("resposta-dupla")) {
        m_defeitos.respostaDupla = booleano(valor);
    } else if (chave == QLatin1String("lixo")) {
        const QByteArray b = QByteArray::fromHex(valor.toLatin1());
        if (b.isEmpty() && !valor.trimmed().isEmpty())
            return ruim();
        m_defeitos.lixo = b;
    } else if (chave == QLatin1String("recusa")) {
        m_defeitos.recusa = valor.trimmed().toLatin1();
    } else if (chave == QLatin1String("resposta")) {
        // CMD=REPLY, e.g. CLK=!MR
        const int i = valor.indexOf(QLatin1Char('='));
        if (i != 3)
            return ruim();
        m_defeitos.respostaFixa.insert(valor.left(3).toUpper().toLatin1(), valor.mid(4).toLatin1());
    } else if (chave == QLatin1String("check-errado")) {
        if (!inteiro(valor, &n))
            return ruim();
        m_defeitos.paginasCheckErrado = n;
    } else if (chave == QLatin1String("derruba-apos")) {
        if (!inteiro(valor, &n))
            return ruim();
        m_defeitos.derrubaAposPaginas = n;
    } else if (chave == QLatin1String("ritmo")) {
        m_defeitos.ritmoLinha = booleano(valor);
    } else if (chave == QLatin1String("atraso-imt")) {
        if (!inteiro(valor, &n) || n < 0)
            return ruim();
        m_estado.atrasoIniciaMTms = n;
    } else {
        return falha(QStringLiteral("opção desconhecida: %1").arg(chaveBruta));
    }
    return true;
}

} // namespace kelvo::sim
