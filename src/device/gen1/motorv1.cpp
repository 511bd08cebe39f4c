#include "device/gen1/motorv1.h"

#include "data/cp1252.h"
#include "data/sistema.h"
#include "device/common/paginas.h"
#include "device/common/portasserial.h"
#include "device/common/retorno.h"

#include <QSaveFile>
#include <QSerialPort>
#include <QTcpSocket>

namespace kelvo {

using namespace v1;

MotorV1::MotorV1(QObject *parent) : MotorV1(TemporizacaoV1(), parent) {}

MotorV1::MotorV1(const TemporizacaoV1 &tempos, QObject *parent) : MotorREP(parent), m_tempos(tempos)
{
    m_intervaloFinaliza = m_tempos.tmFinaliza;
    m_tmTimeout.setInterval(m_tempos.tmTimeout);
    m_tmFinaliza.setSingleShot(true);
    m_pausa.setSingleShot(true);
    m_esperaLink.setSingleShot(true);
    connect(&m_tmTimeout, &QTimer::timeout, this, &MotorV1::tickTimeout);
    connect(&m_tmFinaliza, &QTimer::timeout, this, &MotorV1::tickFinaliza);
    connect(&m_pausa, &QTimer::timeout, this, &MotorV1::aoPausa);
    connect(&m_esperaLink, &QTimer::timeout, this, &MotorV1::aoEsperaLink);

    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &MotorV1::aoConectar);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &MotorV1::aoErroSocket);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { recebe(m_socket->readAll(), false); });

    m_serial = new QSerialPort(this);
    connect(m_serial, &QSerialPort::errorOccurred, this, &MotorV1::aoErroSerial);
    connect(m_serial, &QSerialPort::readyRead, this, [this] { recebe(m_serial->readAll(), true); });
}

MotorV1::~MotorV1()
{
    m_socket->abort();
    if (m_serial->isOpen())
        m_serial->close();
}

// --- Operations ------------------------------------------------------------

void MotorV1::inicia()
{
    m_fase = Fase::Abrindo;
    RetornoComunicacao.clear();
}

bool MotorV1::Status(const TParametrosComunicacao &p)
{
    if (ocupado())
        return false;
    m_repeticoesStatus = 0;
    iniciaStatus(p);
    return true;
}

void MotorV1::iniciaStatus(const TParametrosComunicacao &p)
{
    if (m_fase == Fase::Ocioso)
        inicia();
    else
        RetornoComunicacao.clear();
    m_rastro.log(QStringLiteral("ComandoREP 09"));
    abreLinkEAnuncia(p, CMD_STATUS, true);
}

bool MotorV1::AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes,
                             const QString &ano, const QString &hora, const QString &minuto, const QString &segundo)
{
    if (ocupado())
        return false;
    inicia();
    m_rastro.log(QStringLiteral("ComandoREP 08"));
    QDateTime dh;
    if (!converteDataHora(dia, mes, ano, hora, minuto, segundo, &dh)) {
        RetornoComunicacao = QStringLiteral("2;Formato de data/hora inválido");
        finalizaComunicacao();
        return true;
    }
    m_dataHora = dh;
    abreLinkEAnuncia(p, CMD_ACERTADH, true);
    return true;
}

bool MotorV1::EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo, const QString &matricula,
                               const QString &pis, const QString &nome, int acao)
{
    if (ocupado())
        return false;
    inicia();
    m_rastro.log(QStringLiteral("ComandoREP 07"));
    // Stays short for the rest of this engine's life.
    m_intervaloFinaliza = m_tempos.tmFinalizaCurto;
    const QString recusa = verificaFuncionario(codigo, matricula, pis, acao);
    if (!recusa.isEmpty()) {
        RetornoComunicacao = recusa;
        finalizaComunicacao();
        return true;
    }
    m_codigo = codigo;
    m_matricula = matricula;
    m_pis = pis;
    m_nome = nome;
    m_acao = acao;
    abreLinkEAnuncia(p, CMD_ENVIAFUNC, true);
    return true;
}

bool MotorV1::LeituraMT(const TParametrosComunicacao &p, const QString &arquivo)
{
    if (ocupado())
        return false;
    inicia();
    m_rastro.log(QStringLiteral("ComandoREP 06"));
    if (arquivo.trimmed().isEmpty()) {
        RetornoComunicacao = QStringLiteral("7;Nome de arquivo inválido");
        finalizaComunicacao();
        return true;
    }
    m_arquivoMT = arquivo;
    m_listagem.clear();
    m_linhaPendente.clear();
    abreLinkEAnuncia(p, CMD_LEITURAMT, false);
    return true;
}

bool MotorV1::EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                              const QString &cei, const QString &local, int tipo)
{
    if (ocupado())
        return false;
    inicia();
    m_rastro.log(QStringLiteral("ComandoREP 05"));
    const QString recusa = verificaEmpregador(nome, cpfcnpj, cei, local, tipo);
    if (!recusa.isEmpty()) {
        RetornoComunicacao = recusa;
        finalizaComunicacao();
        return true;
    }
    m_empNome = nome;
    m_empCpfCnpj = cpfcnpj;
    m_empCei = cei;
    m_empLocal = local;
    m_empTipo = tipo;
    abreLinkEAnuncia(p, CMD_ENVIAEMP, false);
    return true;
}

bool MotorV1::RecebeEmpregador(const TParametrosComunicacao &p)
{
    if (ocupado())
        return false;
    inicia();
    m_rastro.log(QStringLiteral("ComandoREP 04"));
    m_linhaPendente.clear();
    m_listagem.clear();
    abreLinkEAnuncia(p, CMD_RECEBEEMP, false);
    return true;
}

// --- Link ------------------------------------------------------------------

void MotorV1::abreLinkEAnuncia(const TParametrosComunicacao &p, int comando, bool marca)
{
    m_parametros = p;
    m_tipoLink = p.Tipo;
    m_marcaPendente = comando;
    m_marcaAoAbrir = marca;

    if (m_tipoLink == TParametrosComunicacao::TipoTCP) {
        defineLegenda(QStringLiteral("Comunicação com REP - V1.0  -  TCP/IP"));
        if (m_socket->state() == QAbstractSocket::ConnectedState) {
            linkAberto();
            return;
        }
        m_socket->abort();
        m_fase = Fase::Conectando;
        m_esperaLink.start(m_tempos.esperaConexao);
        m_socket->connectToHost(p.IP, quint16(p.PortaIP));
        return;
    }

    const QString nome = QStringLiteral("COM") + QString::number(p.PortaSerial);
    defineLegenda(QStringLiteral("Comunicação com REP - V1.0  -  ") + nome);
    if (!m_serial->isOpen()) {
        const QString dispositivo = dispositivoDaPorta(p.PortaSerial);
        QString erro;
        if (dispositivo.isEmpty()) {
            erro = QStringLiteral("a porta ") + nome + QStringLiteral(" não existe neste computador");
        } else {
            m_serial->setPortName(dispositivo);
            const int indice = velocidadeAtual();
            // An index outside 0..3 keeps the port's current speed.
            if (indice >= 0 && indice <= 3)
                m_serial->setBaudRate(baudRatePorIndice(indice));
            m_serial->setDataBits(QSerialPort::Data8);
            m_serial->setParity(QSerialPort::NoParity);
            m_serial->setStopBits(QSerialPort::OneStop);
            m_serial->setFlowControl(QSerialPort::NoFlowControl);
            m_serial->setReadBufferSize(0);
            if (!m_serial->open(QIODevice::ReadWrite)) {
                erro = m_serial->errorString();
            } else {
                // Not every line supports the modem signals (a pseudo-terminal does not).
                m_serial->setDataTerminalReady(false);
                m_serial->setRequestToSend(false);
                m_serial->clearError();
            }
        }
        if (!erro.isEmpty()) {
            RetornoComunicacao = QStringLiteral("1;Não foi possível abrir a porta de comunicação. Mensagem: ") + erro;
            finalizaComunicacao();
            return;
        }
    }
    linkAberto();
}

void MotorV1::linkAberto()
{
    m_esperaLink.stop();
    if (m_marcaAoAbrir)
        m_comandoRepeticao = m_marcaPendente;
    anuncia(m_marcaPendente);
}

void MotorV1::anuncia(int comando)
{
    const QString t = tituloComando(comando);
    if (!t.isNull())
        defineTitulo(t);
    m_resposta.clear();
    m_contagem = 0;
    m_comandoSalvo = comando;
    m_comando = CMD_INICIASERIAL;
    m_rastro.log(QStringLiteral("ComandoREP 11"));
    m_fase = Fase::PausaDespertar;
    m_pausa.start(m_tempos.pausaDespertar);
}

void MotorV1::enviaDespertar()
{
    m_rastro.log(QStringLiteral(">>>>   #"));
    m_fase = Fase::AguardaDespertar;
    escreve(QByteArray(1, ByteDespertar));
    if (!m_tmTimeout.isActive())
        m_tmTimeout.start();
}

void MotorV1::enviaPedido(const QByteArray &pedido)
{
    m_pedidoEmEnvio = pedido;
    m_fase = Fase::PausaEnvio;
    m_pausa.start(m_tempos.pausaAntesEnvio + m_tempos.pausaEnvio);
}

void MotorV1::escrevePedido()
{
    m_ultimoPedido = m_pedidoEmEnvio;
    const QString texto = deCp1252(m_ultimoPedido);
    m_rastro.log(QStringLiteral(">>>>   ") + texto);
    m_rastro.protocolo(QStringLiteral(">>>>  ") + texto);
    m_fase = Fase::AguardaResposta;
    escreve(m_ultimoPedido);
    defineSituacao(QStringLiteral("Enviando..."));
}

QByteArray MotorV1::montaPedido(int comando) const
{
    switch (comando) {
    case CMD_STATUS:
        return pedidoStatus();
    case CMD_ACERTADH:
        return pedidoAcertaDataHora(m_dataHora);
    case CMD_ENVIAFUNC:
        return pedidoFuncionario(m_codigo, m_matricula, m_pis, m_nome, m_acao);
    case CMD_LEITURAMT:
        return pedidoLeituraMT();
    case CMD_ENVIAEMP:
        return pedidoEmpregador(m_empNome, m_empCpfCnpj, m_empCei, m_empLocal, m_empTipo);
    case CMD_RECEBEEMP:
        return pedidoRecebeEmpregador();
    case CMD_COLETASTATUS:
    case CMD_COLETACACHESTATUS:
        return pedidoStatus();
    case CMD_COLETAMRP: {
        // "MRP" and the page address, most significant byte first (zero bytes included).
        const quint32 e = m_coletaPaginas ? m_coletaPaginas->enderecoAtual() : 0;
        QByteArray r = QByteArrayLiteral("MRP");
        for (int d = 24; d >= 0; d -= 8)
            r.append(char((e >> d) & 0xFF));
        return r;
    }
    case CMD_COLETACACHE:
        return QByteArrayLiteral("UPA");
    default:
        return QByteArray();
    }
}

void MotorV1::escreve(const QByteArray &bytes)
{
    if (m_tipoLink == TParametrosComunicacao::TipoTCP)
        m_socket->write(bytes);
    else if (m_serial->isOpen())
        m_serial->write(bytes);
}

void MotorV1::aoPausa()
{
    switch (m_fase) {
    case Fase::PausaDespertar:
        enviaDespertar();
        break;
    case Fase::PausaEnvio:
        escrevePedido();
        break;
    case Fase::Fechando:
        fecha();
        break;
    default:
        break;
    }
}

// --- Receiving -------------------------------------------------------------

bool MotorV1::ehFluxo(int comando) const
{
    return comando == CMD_LEITURAMT || comando == CMD_COLETAMRP || comando == CMD_COLETACACHE;
}

void MotorV1::recebe(const QByteArray &dados, bool serial)
{
    switch (m_fase) {
    case Fase::Ocioso:
    case Fase::Abrindo:
    case Fase::Conectando:
    case Fase::Finalizando:
    case Fase::Fechando:
        // No conversation listens: late bytes of an ended one are dropped.
        m_restoSerial.clear();
        return;
    default:
        break;
    }
    const QByteArray lote = serial ? m_restoSerial + dados : dados;
    m_restoSerial.clear();
    bool unidadeTerminada = false;
    for (qsizetype i = 0; i < lote.size(); ++i) {
        const char b = lote.at(i);
        m_tentativas = 0;
        m_tmTimeout.start();
        defineSituacao(QStringLiteral("Recebendo informações "));
        ++m_contagem;
        m_rastro.ambos(QStringLiteral("<<<< [") + nomeComando(m_comando) + QStringLiteral("]  ") +
                       QString::number(quint8(b)) + QStringLiteral(" (") + deCp1252(QByteArray(1, b)) +
                       QLatin1Char(')'));
        if (ehFluxo(m_comando)) {
            if (consomeFluxo(b)) {
                unidadeTerminada = true;
                // Serial: the rest stays for the next batch; TCP: the rest of this read is dropped.
                if (serial)
                    m_restoSerial = lote.mid(i + 1);
                break;
            }
        } else if (m_resposta.size() < TamanhoBufferResposta) {
            m_resposta.append(b);
        }
    }
    if (!unidadeTerminada)
        avalia();
}

bool MotorV1::consomeFluxo(char byte)
{
    if (m_comando == CMD_COLETAMRP || m_comando == CMD_COLETACACHE)
        return consomeColeta(byte);
    if (m_comando == CMD_LEITURAMT) {
        m_linhaPendente.append(byte);
        if (m_linhaPendente.contains('\r') && m_linhaPendente.contains('\n')) {
            m_listagem.append(m_linhaPendente.chopped(2));
            m_linhaPendente.clear();
        } else if (m_linhaPendente == "!OK") {
            terminaLeituraMT();
            return true;
        }
    }
    return false;
}

void MotorV1::terminaLeituraMT()
{
    QSaveFile f(m_arquivoMT);
    bool ok = f.open(QIODevice::WriteOnly);
    if (ok) {
        for (const QByteArray &linha : std::as_const(m_listagem)) {
            f.write(linha);
            f.write("\r\n");
        }
        ok = f.commit();
    }
    if (ok)
        RetornoComunicacao = QStringLiteral("0;Leitura realizada com sucesso");
    else
        RetornoComunicacao = QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ") + f.errorString();
    m_tmTimeout.stop();
    finalizaComunicacao();
}

void MotorV1::avalia()
{
    switch (m_comando) {
    case CMD_INICIASERIAL:
        if (m_contagem == 1 && m_resposta.at(0) == ByteProntoDespertar) {
            m_comando = m_comandoSalvo;
            m_rastro.log(QStringLiteral("ComandoREP 17"));
            m_resposta.clear();
            m_contagem = 0;
            enviaPedido(montaPedido(m_comando));
        }
        break;
    case CMD_STATUS:
        if (statusCompleto(m_contagem)) {
            interpretaStatus(m_resposta, &m_status);
            RetornoComunicacao = retornoStatus(m_status);
            if (m_coleta) {
                // The collection goes on to the employer (kept for the AFD header).
                m_comandoRepeticao = SEM_COMANDO;
                m_rastro.log(QStringLiteral("ComandoREP 04"));
                m_linhaPendente.clear();
                m_listagem.clear();
                anuncia(CMD_RECEBEEMP);
                break;
            }
            finalizaComunicacao();
        }
        break;
    case CMD_ACERTADH:
    case CMD_ENVIAFUNC:
    case CMD_ENVIAEMP:
        if (m_contagem == 3) {
            m_rastro.protocolo(QStringLiteral("|||| TRATARESPOSTA [") + nomeComando(m_comando) +
                               QStringLiteral("] ") + deCp1252(m_resposta));
            const QString r = m_comando == CMD_ACERTADH   ? respostaAcertaDataHora(m_resposta)
                              : m_comando == CMD_ENVIAFUNC ? respostaFuncionario(m_resposta)
                                                           : respostaEmpregador(m_resposta);
            if (!r.isEmpty()) {
                RetornoComunicacao = r;
                finalizaComunicacao();
            }
        }
        break;
    case CMD_RECEBEEMP:
        if (m_contagem == TamanhoRespostaEmpregador) {
            interpretaEmpregador(m_resposta, &m_empregador);
            RetornoComunicacao = retornoEmpregador(m_empregador);
            if (m_coleta && retornoSucesso(RetornoComunicacao)) {
                iniciaColetaStatus();
                break;
            }
            m_tmTimeout.stop();
            finalizaComunicacao();
        }
        break;
    case CMD_COLETASTATUS:
        if (statusCompleto(m_contagem))
            trataColetaStatus();
        break;
    case CMD_COLETACACHESTATUS:
        if (statusCompleto(m_contagem))
            trataColetaCacheStatus();
        break;
    default:
        break;
    }
}

// --- Time-out and end ------------------------------------------------------

void MotorV1::tickTimeout()
{
    m_rastro.log(QStringLiteral("TMTIMEOUT  ") + QString::number(m_comandoRepeticao) + QStringLiteral(" -  ") +
                 nomeComando(m_comando));
    ++m_tentativas;
    defineSituacao(QStringLiteral("Sem resposta do terminal.... tentativa ") + QString::number(m_tentativas));
    if (m_tentativas >= m_tempos.ticksSemResposta) {
        semResposta();
        return;
    }
    if (m_comandoRepeticao == CMD_STATUS) {
        // A device that answers every wake-up but never the status would keep
        // the conversation alive for ever: the repeats are bounded.
        if (m_repeticoesStatus >= m_tempos.maxRepeticoesStatus) {
            semResposta();
            return;
        }
        ++m_repeticoesStatus;
        m_comandoRepeticao = SEM_COMANDO;
        m_pausa.stop();
        iniciaStatus(m_parametros);
    } else if (m_comandoRepeticao == CMD_COLETAMRP) {
        repeteColeta();
    }
}

void MotorV1::semResposta()
{
    m_tmTimeout.stop();
    m_tentativas = 0;
    defineSituacao(QStringLiteral("Fim da comunicação - Sem resposta do terminal"));
    m_comandoRepeticao = SEM_COMANDO;
    iniciaFinaliza();
}

void MotorV1::finalizaComunicacao()
{
    m_rastro.log(QStringLiteral("comunicação finalizada"));
    m_tmTimeout.stop();
    m_tentativas = 0;
    m_comandoRepeticao = SEM_COMANDO;
    defineSituacao(QStringLiteral("Fim da comunicação"));
    Q_EMIT progressoVisivel(false);
    iniciaFinaliza();
}

void MotorV1::falhaLink()
{
    m_tmTimeout.stop();
    m_tentativas = 0;
    defineSituacao(QStringLiteral("Fim da comunicação - FALHA NA COMUNICAÇÃO"));
    m_comandoRepeticao = SEM_COMANDO;
    iniciaFinaliza();
}

void MotorV1::iniciaFinaliza()
{
    m_pausa.stop();
    m_esperaLink.stop();
    m_fase = Fase::Finalizando;
    m_tmFinaliza.start(m_intervaloFinaliza);
}

void MotorV1::tickFinaliza()
{
    m_rastro.log(QStringLiteral("TMFINALIZA"));
    m_tmTimeout.stop();
    m_tmFinaliza.stop();
    m_comandoRepeticao = SEM_COMANDO;
    m_socket->abort();
    m_fase = Fase::Fechando;
    m_pausa.start(m_tempos.esperaFechamento);
}

void MotorV1::fecha()
{
    if (m_serial->isOpen())
        m_serial->close();
    m_restoSerial.clear();
    m_fase = Fase::Ocioso;
    m_coleta = false;
    Q_EMIT terminou();
}

// --- Link events -----------------------------------------------------------

void MotorV1::aoEsperaLink()
{
    if (m_fase != Fase::Conectando)
        return;
    // Not connected within the wait: the conversation ends without a result.
    m_socket->abort();
    finalizaComunicacao();
}

void MotorV1::aoConectar()
{
    m_rastro.log(QStringLiteral("Conectou TCP/IP"));
    if (m_fase == Fase::Conectando)
        linkAberto();
}

void MotorV1::aoErroSocket()
{
    if (m_fase == Fase::Ocioso || m_fase == Fase::Finalizando || m_fase == Fase::Fechando)
        return;
    m_rastro.log(QStringLiteral("ERRO TCP/IP"));
    if (m_fase == Fase::Conectando) {
        // Refused, unknown host, unreachable: the device cannot be reached.
        RetornoComunicacao = QStringLiteral("1;Não foi possível conectar ao equipamento.");
        m_socket->abort();
        finalizaComunicacao();
        return;
    }
    falhaLink();
}

void MotorV1::aoErroSerial()
{
    const QSerialPort::SerialPortError e = m_serial->error();
    if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError && e != QSerialPort::WriteError)
        return;
    if (m_fase == Fase::Ocioso || m_fase == Fase::Abrindo || m_fase == Fase::Finalizando ||
        m_fase == Fase::Fechando)
        return;
    m_rastro.log(QStringLiteral("ERRO SERIAL: ") + m_serial->errorString());
    falhaLink();
}

// --- Texts -----------------------------------------------------------------

void MotorV1::defineLegenda(const QString &t)
{
    if (t == m_legenda)
        return;
    m_legenda = t;
    Q_EMIT legendaAlterada(t);
}

void MotorV1::defineTitulo(const QString &t)
{
    if (t == m_titulo)
        return;
    m_titulo = t;
    Q_EMIT tituloAlterado(t);
}

void MotorV1::defineSituacao(const QString &t)
{
    if (t == m_situacao)
        return;
    m_situacao = t;
    Q_EMIT situacaoAlterada(t);
}

} // namespace kelvo
