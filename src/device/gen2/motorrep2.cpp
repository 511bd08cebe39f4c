#include "device/gen2/motorrep2.h"

#include "data/cp1252.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "data/textos.h"
#include "device/common/afd.h"
#include "device/common/paginas.h"
#include "device/common/portasserial.h"
#include "device/common/retorno.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTime>

namespace kelvo {

using namespace rep2;

namespace {

QString hex2(quint8 b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

bool ehComandoDeTresBytes(MotorREP2::Comando c)
{
    using C = MotorREP2::Comando;
    switch (c) {
    case C::AcertaDataHora:
    case C::EnviaEmpregador:
    case C::EnviaFuncionario:
    case C::Senha:
    case C::IniciaMT:
    case C::IniciaMRP:
    case C::GravaTemplate:
    case C::ApagaTemplatesMatricula:
    case C::ApagaTodasTemplates:
        return true;
    default:
        return false;
    }
}

struct LinhaTabela
{
    MotorREP2::Comando comando;
    const char *resposta; // nullptr: any other reply
    const char *linha;
    const char *resultado; // nullptr: no result text
};

// The three-byte replies each command knows.
const LinhaTabela tabelaRespostas[] = {
    {MotorREP2::Comando::AcertaDataHora, "!OK", "DATA/HORA ACERTADAS", "0;Data/hora acertadas"},
    {MotorREP2::Comando::AcertaDataHora, "!MR", "MRP CHEIA - DATA/HORA NÃO ACERTADAS - TROQUE O REP",
     "16;MRP Cheia - Data/hora não acertadas - troque o rep"},
    {MotorREP2::Comando::AcertaDataHora, "!ME",
     "ERRO NA MRP - DATA/HORA NÃO ACERTADAS - CONSULTE SEU FORNECEDOR",
     "17;Erro na MRP - Data/hora não acertadas"},
    {MotorREP2::Comando::EnviaFuncionario, "!OK", "FUNCIONÁRIO ENVIADO", "0;Funcionário enviado"},
    {MotorREP2::Comando::EnviaFuncionario, "!MT", "MT CHEIA - FUNCIONÁRIO NÃO ENVIADO - TROQUE O REP",
     "18;MT Cheia - funcionário não enviado"},
    {MotorREP2::Comando::EnviaFuncionario, "!MR", "MRP CHEIA - FUNCIONÁRIO NÃO ENVIADO - TROQUE O REP",
     "19;MRP Cheia - funcionário não enviado"},
    {MotorREP2::Comando::EnviaFuncionario, "!ME",
     "ERRO NA MRP - FUNCIONÁRIO NÃO ENVIADO - CONSULTE SEU FORNECEDOR",
     "20;Erro na MRP - funcionário não enviado"},
    {MotorREP2::Comando::EnviaEmpregador, "!OK", "EMPRESA ENVIADA", "0;Empresa enviada"},
    {MotorREP2::Comando::EnviaEmpregador, "!MR", "MRP CHEIA - EMPRESA NÃO ENVIADA - TROQUE O REP",
     "21;MRP Cheia - empresa não enviada"},
    {MotorREP2::Comando::EnviaEmpregador, "!ME",
     "ERRO NA MRP - EMPRESA NÃO ENVIADA - CONSULTE SEU FORNECEDOR", "22;Erro na MRP - empresa não enviada"},
    {MotorREP2::Comando::Senha, "!OK", "SENHA ENVIADA", "0;Senha enviada"},
    {MotorREP2::Comando::Senha, nullptr, "SENHA  NÃO FOI ENVIADA", "14;Senha não foi enviada"},
    {MotorREP2::Comando::IniciaMT, "!OK", "MT INICIADA", nullptr},
    {MotorREP2::Comando::IniciaMT, nullptr, "MT NÃO FOI INICIADA", nullptr},
    {MotorREP2::Comando::IniciaMRP, "!OK", "MRP INICIADA", nullptr},
    {MotorREP2::Comando::IniciaMRP, nullptr, "MRP NÃO FOI INICIADA", nullptr},
    {MotorREP2::Comando::GravaTemplate, "!OK", "BIOMETRIA ENVIADA", "0;Biometria enviada"},
    {MotorREP2::Comando::GravaTemplate, "!BF", "MEMÓRIA DE TEMPLATES CHEIA - NÃO FOI POSSÍVEL ENVIAR",
     "24;Memória de templates cheia"},
    {MotorREP2::Comando::GravaTemplate, "!LF", "LIMITE DE DEDOS ESGOTADO PARA ESSA MATRÍCULA!",
     "25;Limite de dedos esgotado para essa matricula"},
    {MotorREP2::Comando::LeTemplate, "!NF", "NÃO EXISTE TEMPLATE PARA ESSA MATRÍCULA/DEDO",
     "29;NÃO EXISTE TEMPLATE PARA ESSA MATRÍCULA/DEDO"},
    {MotorREP2::Comando::ApagaTodasTemplates, "!OK", "TEMPLATES APAGADAS", "0;Biometrias apagadas"},
    {MotorREP2::Comando::ApagaTodasTemplates, "!ER", "ERRO AO APAGAR TEMPLATES",
     "30;Erro ao apagar templates"},
    {MotorREP2::Comando::ApagaTemplatesMatricula, "!OK", "TEMPLATES DA MATRICULA APAGADAS",
     "0;Biometria apagada"},
    {MotorREP2::Comando::ApagaTemplatesMatricula, "!ER", "ERRO AO APAGAR TEMPLATES DA MATRICULA",
     "26;Erro ao apagar templates da matrícula"},
};

} // namespace

MotorREP2::MotorREP2(QObject *parent) : MotorREP2(TemposREP2(), parent) {}

MotorREP2::MotorREP2(const TemposREP2 &tempos, QObject *parent)
    : MotorREP(parent), m_tempos(tempos), m_porta(new QSerialPort(this))
{
    // log.txt follows CONFIG/debug only; the protocol trace is the first generation's.
    m_rastro.debugCom = false;
    for (QTimer *t : {&m_tmTimeout, &m_tmEnvia, &m_tmFinaliza, &m_tmLista})
        t->setSingleShot(true);
    connect(&m_tmTimeout, &QTimer::timeout, this, &MotorREP2::aoTimeout);
    connect(&m_tmEnvia, &QTimer::timeout, this, &MotorREP2::aoPausaEnvio);
    connect(&m_tmFinaliza, &QTimer::timeout, this, &MotorREP2::aoFinaliza);
    connect(&m_tmLista, &QTimer::timeout, this, &MotorREP2::aoPausaLista);
    connect(m_porta, &QSerialPort::readyRead, this, &MotorREP2::aoReceber);
}

MotorREP2::~MotorREP2()
{
    if (m_porta->isOpen())
        m_porta->close();
}

const QString &MotorREP2::legenda()
{
    static const QString t = QStringLiteral("Comunicação com REP - V2.0");
    return t;
}

// --- Link --------------------------------------------------------------------

bool MotorREP2::inicia(const TParametrosComunicacao &p, const QString &titulo)
{
    Q_UNUSED(p);
    if (m_ativo)
        return false;
    m_ativo = true;
    // Only ColetaAFD chains status and employer into a collection.
    m_coleta = false;
    m_etapa = Etapa::Ocioso;
    m_comando = Comando::Nenhum;
    m_tentativas = 0;
    RetornoComunicacao.clear();
    Q_EMIT legendaAlterada(legenda());
    Q_EMIT tituloAlterado(titulo);
    Q_EMIT situacaoAlterada(QString());
    return true;
}

bool MotorREP2::AbrePorta(int numero)
{
    if (m_porta->isOpen())
        m_porta->close();
    const QString dispositivo = dispositivoDaPorta(numero);
    m_porta->setPortName(dispositivo.isEmpty() ? QStringLiteral("COM") + QString::number(numero)
                                               : dispositivo);
    m_porta->setBaudRate(QSerialPort::Baud115200);
    m_porta->setDataBits(QSerialPort::Data8);
    m_porta->setParity(QSerialPort::NoParity);
    m_porta->setStopBits(QSerialPort::OneStop);
    m_porta->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_porta->open(QIODevice::ReadWrite)) {
        defineResultado(QStringLiteral("1;Não foi possível abrir a porta de comunicação. Mensagem: ") +
                        m_porta->errorString());
        return false;
    }
    // DTR and RTS held off; a line without modem signals (a pseudo-terminal) refuses, which is harmless.
    m_porta->setDataTerminalReady(false);
    m_porta->setRequestToSend(false);
    m_porta->clearError();
    return true;
}

void MotorREP2::RegistraLog(const QString &texto)
{
    m_rastro.log(texto);
    // No protocol file for this generation; the call only feeds a mirror
    // (kelvo-rep --trace).
    m_rastro.protocolo(texto);
}

void MotorREP2::ReiniciaRecepcao()
{
    m_acumulador.clear();
    m_recebidos = 0;
    m_buffer.clear();
    m_tmTimeout.start(m_tempos.timeout);
}

void MotorREP2::EnviaComando(Comando comando, const QByteArray &texto)
{
    m_comando = comando;
    RegistraLog(QStringLiteral(">>> ") + deCp1252(texto));
    m_recebidos = 0;
    const QString traco = linhaTracoEnvio(texto, QTime::currentTime());
    m_tracoEnvio.append(traco);
    Q_EMIT envioRegistrado(traco);
    ReiniciaRecepcao();
    m_tmTimeout.stop();
    m_pendente = texto;
    m_etapa = Etapa::PausaEnvio;
    Q_EMIT situacaoAlterada(QStringLiteral("Enviando..."));
    m_tmEnvia.start(m_tempos.envia);
}

void MotorREP2::aoPausaEnvio()
{
    if (m_etapa != Etapa::PausaEnvio)
        return;
    // Whatever is still queued belongs to an earlier exchange.
    m_porta->clear(QSerialPort::AllDirections);
    m_buffer.clear();
    m_recebidos = 0;
    m_acumulador.clear();
    const QByteArray quadroTexto = quadro(m_pendente);
    for (const char c : quadroTexto)
        m_porta->write(&c, 1);
    m_pendente.clear();
    m_etapa = Etapa::Aguardando;
    m_tmTimeout.start(m_comando == Comando::IniciaMT ? qMax(m_tempos.timeout, m_tempos.timeoutIniciaMT)
                                                     : m_tempos.timeout);
}

void MotorREP2::Finaliza()
{
    m_tmTimeout.stop();
    m_tmEnvia.stop();
    m_tmLista.stop();
    m_tentativas = 0;
    m_etapa = Etapa::Finalizando;
    Q_EMIT situacaoAlterada(QStringLiteral("Fim da comunicação"));
    Q_EMIT progressoVisivel(false);
    m_tmFinaliza.start(m_tempos.finaliza);
}

void MotorREP2::aoFinaliza()
{
    m_tmFinaliza.stop();
    m_tmTimeout.stop();
    if (m_porta->isOpen())
        m_porta->close();
    m_etapa = Etapa::Ocioso;
    m_ativo = false;
    Q_EMIT terminou();
}

void MotorREP2::aoTimeout()
{
    m_tmTimeout.stop();
    ++m_tentativas;
    if (m_comando == Comando::ColetaPagina && m_tentativas < m_tempos.tentativasPagina) {
        PedePagina();
        return;
    }
    adicionaResposta(QStringLiteral("TIMEOUT - SEM RESPOSTA"));
    Finaliza();
}

void MotorREP2::aoReceber()
{
    if (m_etapa != Etapa::Aguardando) {
        // Bytes outside a wait (a late or doubled reply) are not judged.
        m_porta->readAll();
        return;
    }
    m_tentativas = 0;
    m_tmTimeout.start();
    Q_EMIT situacaoAlterada(QStringLiteral("Recebendo informações "));
    if (m_rastro.espelhoProtocolo)
        m_rastro.protocolo(
            QStringLiteral("<<< ") +
            QString::fromLatin1(m_porta->peek(m_porta->bytesAvailable()).toHex(' ').toUpper()));
    while (m_porta->bytesAvailable() > 0) {
        m_tmTimeout.start();
        char c = 0;
        if (m_porta->read(&c, 1) != 1)
            break;
        ++m_recebidos;
        m_buffer.append(c);
        if (m_mostrarBytes) {
            const QString l = QStringLiteral("<<<< ") + hex2(static_cast<quint8>(c)) +
                              QStringLiteral("    bytes: ") + QString::number(m_recebidos);
            m_tracoEnvio.append(l);
            Q_EMIT envioRegistrado(l);
        }
        if (!consomeByte(c))
            return;
    }
    julga();
}

bool MotorREP2::consomeByte(char byte)
{
    if (m_comando == Comando::ColetaCache) {
        m_ultimaPagina += deCp1252(QByteArray(1, byte));
        if (m_ultimaPagina.size() == m_cache + 2) {
            fimDaColeta();
            return false;
        }
        return true;
    }
    if (m_comando != Comando::LeituraMT)
        return true;
    m_acumulador += deCp1252(QByteArray(1, byte));
    if (m_acumulador.contains(QLatin1Char('\r')) && m_acumulador.contains(QLatin1Char('\n'))) {
        adicionaResposta(m_acumulador.left(m_acumulador.size() - 2));
        m_acumulador.clear();
    } else if (m_acumulador == QLatin1String("!OK")) {
        adicionaResposta(m_acumulador);
        m_tmTimeout.stop();
        QSaveFile f(m_arquivoMT);
        QByteArray conteudo;
        for (const QString &l : std::as_const(m_respostas))
            conteudo += paraCp1252(l) + "\r\n";
        if (f.open(QIODevice::WriteOnly) && f.write(conteudo) == conteudo.size() && f.commit())
            defineResultado(QStringLiteral("0;Leitura realizada com sucesso"));
        else
            defineResultado(QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ") +
                            f.errorString());
        Finaliza();
        return false;
    }
    return true;
}

void MotorREP2::julga()
{
    const int n = m_recebidos;
    switch (m_comando) {
    case Comando::Status:
        if (statusCompleto(n))
            trataStatus();
        return;
    case Comando::RecebeEmpregador:
        if (n == TamanhoEmpregador)
            trataEmpregador();
        return;
    case Comando::LeTemplate:
        // A status reply begins with "!"; a template reply is 384 * n + 2 bytes.
        if (n == TamanhoResposta && m_buffer.startsWith('!'))
            TrataResposta(m_buffer.left(3));
        else if (const int quantos = templatesNaResposta(n))
            trataLeTemplate(quantos);
        return;
    case Comando::ContaTemplates:
        if (n == TamanhoContaTemplates) {
            m_tmTimeout.stop();
            adicionaResposta(QStringLiteral("TEMPLATES DA MATRICULA: ") + numeroTemplates(m_buffer));
            Finaliza();
        }
        return;
    case Comando::TemplatesDisponiveis:
        if (n == TamanhoResposta) {
            m_tmTimeout.stop();
            adicionaResposta(QStringLiteral("TEMPLATES DISPONÍVEIS PARA CADASTRO: ") +
                             deCp1252(m_buffer.left(3)));
            Finaliza();
        }
        return;
    case Comando::ListaTemplates:
        trataListaTemplates();
        return;
    case Comando::ColetaStatus:
        if (statusCompleto(n))
            trataColetaStatus();
        return;
    case Comando::ColetaPagina:
        if (n >= TamanhoRespostaPagina)
            trataPagina();
        return;
    case Comando::LeituraMT:
    case Comando::ColetaCache:
        return; // consumed byte by byte
    default:
        if (ehComandoDeTresBytes(m_comando) && n == TamanhoResposta)
            TrataResposta(m_buffer.left(3));
        return;
    }
}

void MotorREP2::TrataResposta(const QByteArray &tres)
{
    m_tmTimeout.stop();
    const QString texto = deCp1252(tres);
    adicionaResposta(QStringLiteral("Resposta: ") + texto);
    const LinhaTabela *achada = nullptr;
    for (const LinhaTabela &l : tabelaRespostas) {
        if (l.comando != m_comando)
            continue;
        if (!l.resposta || tres == l.resposta) {
            achada = &l;
            break;
        }
    }
    // A reply the command does not list ends the conversation without a result.
    if (achada) {
        adicionaResposta(QString::fromUtf8(achada->linha));
        if (achada->resultado)
            defineResultado(QString::fromUtf8(achada->resultado));
    }
    Finaliza();
}

void MotorREP2::trataStatus()
{
    m_tmTimeout.stop();
    m_status = interpretaStatus(m_buffer);
    for (const QString &l : m_status.linhas())
        adicionaResposta(l);
    defineResultado(m_status.resultado());
    if (m_coleta) {
        EnviaComando(Comando::RecebeEmpregador, QByteArrayLiteral("#PME"));
        return;
    }
    Finaliza();
}

void MotorREP2::trataEmpregador()
{
    m_tmTimeout.stop();
    m_empregador = interpretaEmpregador(m_buffer);
    for (const QString &l : m_empregador.linhas())
        adicionaResposta(l);
    defineResultado(m_empregador.resultado());
    if (m_coleta && !m_empregador.vazio()) {
        ColetaStatus();
        return;
    }
    Finaliza();
}

void MotorREP2::trataLeTemplate(int quantos)
{
    m_tmTimeout.stop();
    const QString nome = nomeArquivoTemplate(m_matricula, m_dedo);
    QString falha;
    // A later template of the same reply replaces the earlier one.
    for (int i = 0; i < quantos; ++i) {
        QSaveFile f(PastaPrograma() + nome);
        const QByteArray texto = textoHex(m_buffer.mid(i * TamanhoTemplate, TamanhoTemplate));
        if (!(f.open(QIODevice::WriteOnly) && f.write(texto) == texto.size() && f.commit()))
            falha = f.errorString();
    }
    if (falha.isEmpty()) {
        adicionaResposta(QStringLiteral("Arquivo gravado: ") + nome);
    } else {
        adicionaResposta(QStringLiteral("Não foi possível gravar o arquivo. Mensagem: ") + falha);
        defineResultado(QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ") + falha);
    }
    Q_EMIT arquivosTemplateAlterados();
    Finaliza();
}

void MotorREP2::trataListaTemplates()
{
    m_tmTimeout.stop();
    if (m_inicioBloco && m_buffer.startsWith('!')) {
        // The device's answer to an index past its last block.
        adicionaResposta(QStringLiteral("NÃO EXISTEM TEMPLATES NA MEMÓRIA!"));
        Finaliza();
        return;
    }
    bool fimDeBloco = false;
    for (const char c : std::as_const(m_buffer)) {
        if (c == '\n') {
            fimDeBloco = true;
            break;
        }
        m_inicioBloco = false;
        m_acumulador.prepend(hex2(static_cast<quint8>(c)));
        if (m_acumulador.size() == 8) {
            adicionaResposta(m_acumulador);
            m_acumulador.clear();
        }
    }
    m_buffer.clear();
    if (!fimDeBloco) {
        // A block that stops half way must still end in a time-out.
        m_tmTimeout.start(m_tempos.timeout);
        return;
    }
    if (m_indiceLista == 0xFF) {
        // The index is one byte: there is no block after 255.
        Finaliza();
        return;
    }
    m_etapa = Etapa::PausaLista;
    m_tmLista.start(m_tempos.pausaListaTemplates);
}

void MotorREP2::aoPausaLista()
{
    if (m_etapa != Etapa::PausaLista)
        return;
    m_acumulador.clear();
    ++m_indiceLista;
    m_inicioBloco = true;
    EnviaComando(Comando::ListaTemplates, requisicaoListaTemplates(m_indiceLista));
}

// --- Collection ----------------------------------------------------------------

bool MotorREP2::ColetaAFD(const TParametrosComunicacao &p, const QString &arquivo, const QString &filtro,
                          const QDate &inicio, const QDate &fim)
{
    if (!inicia(p, QStringLiteral("Coleta")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    m_filtro = filtro == QLatin1String("S");
    m_inicio = inicio;
    m_fim = fim;
    m_coleta = true;
    m_arquivoAFD = arquivo;
    m_ultimaPagina.clear();
    if (arquivo.trimmed().isEmpty()) {
        defineResultado(QStringLiteral("7;Nome de arquivo inválido"));
        Finaliza();
        return true;
    }
    if (!m_principal.isValid())
        m_principal = QSqlDatabase::database(TdmDados::nomeConexaoBD(), false);
    m_pendentes.reset();
    m_armazem = std::make_unique<ArmazemPaginas>(m_principal);
    limpaRespostas();
    EnviaComando(Comando::Status, requisicaoStatus(true));
    return true;
}

void MotorREP2::ColetaStatus()
{
    if (m_arquivoAFD.trimmed().isEmpty()) {
        defineResultado(QStringLiteral("7;Nome de arquivo inválido"));
        Finaliza();
        return;
    }
    // The employer read left its result; the collection sets its own.
    defineResultado(QString());
    EnviaComando(Comando::ColetaStatus, requisicaoStatus(false));
}

void MotorREP2::falhaColeta(const QString &resultado)
{
    adicionaResposta(resultado);
    defineResultado(resultado);
    Finaliza();
}

void MotorREP2::trataColetaStatus()
{
    m_tmTimeout.stop();
    const StatusRep2 s = interpretaStatus(m_buffer);
    m_ponteiro = s.ponteiro;
    m_cache = s.cache;
    // The pages are kept under the number of the device that is on the line.
    m_pendentes = std::make_unique<PaginasPendentes>(*m_armazem, m_status.serial);
    m_repeticoesCheck = 0;
    m_paginaAtual = 0;
    if (m_ponteiro == 0) {
        m_ultimaPagina.clear();
        m_pedindoCache = true;
        PedePagina();
        return;
    }
    QString maior;
    const QString erroBanco = m_armazem->maiorPagina(m_status.serial, &maior);
    if (!erroBanco.isEmpty()) {
        falhaColeta(retornoErroBanco(erroBanco));
        return;
    }
    const InicioColeta inicio = decideInicioColeta(maior, m_ponteiro);
    if (!inicio.valido) {
        falhaColeta(inicio.retorno);
        return;
    }
    m_endereco = inicio.endereco;
    m_pedindoCache = inicio.somenteCache;
    m_totalPaginas = inicio.paginas;
    if (m_rastro.debug)
        adicionaResposta(QStringLiteral("Coletando: $") + chavePagina(m_endereco) + QStringLiteral(" até $") +
                         chavePagina(m_ponteiro));
    Q_EMIT progressoAlterado(0, m_totalPaginas);
    Q_EMIT progressoVisivel(true);
    PedePagina();
}

void MotorREP2::PedePagina()
{
    ReiniciaRecepcao();
    if (m_pedindoCache) {
        m_ultimaPagina.clear();
        EnviaComando(Comando::ColetaCache, QByteArrayLiteral("#UPA"));
        return;
    }
    if (m_rastro.debug)
        adicionaResposta(QStringLiteral("1 MRP  ") + chavePagina(m_endereco));
    QByteArray r = QByteArrayLiteral("#MRP");
    for (int s = 24; s >= 0; s -= 8)
        r.append(static_cast<char>((m_endereco >> s) & 0xFF));
    EnviaComando(Comando::ColetaPagina, r);
}

void MotorREP2::trataPagina()
{
    m_tmTimeout.stop();
    const QByteArray pagina = m_buffer.left(TamanhoRespostaPagina);
    if (!paginaConfere(pagina)) {
        // A page whose check keeps failing ends the collection instead of looping.
        if (++m_repeticoesCheck >= MaxRepeticoesVerificacao) {
            falhaColeta(retornoVerificacaoEsgotada(m_endereco));
            return;
        }
        PedePagina();
        return;
    }
    m_repeticoesCheck = 0;
    const QString erroBanco = m_pendentes->adiciona({chavePagina(m_endereco), textoPagina(pagina)});
    if (!erroBanco.isEmpty()) {
        falhaColeta(erroBanco);
        return;
    }
    ++m_paginaAtual;
    Q_EMIT progressoAlterado(m_paginaAtual, m_totalPaginas);
    if (haProximaPagina(m_endereco, m_ponteiro)) {
        m_endereco += TamanhoPagina;
    } else {
        m_ultimaPagina.clear();
        m_pedindoCache = true;
    }
    PedePagina();
}

void MotorREP2::fimDaColeta()
{
    m_tmTimeout.stop();
    const QString erroBanco = m_pendentes->gravaRestantes();
    if (!erroBanco.isEmpty()) {
        falhaColeta(erroBanco);
        return;
    }
    // The two bytes after the cache are not part of it.
    m_ultimaPagina.chop(2);
    PedidoAFD pedido;
    pedido.arquivo = m_arquivoAFD;
    pedido.filtro.ativo = m_filtro;
    pedido.filtro.inicio = m_inicio;
    pedido.filtro.fim = m_fim;
    pedido.empregador.tipo = QString::number(m_empregador.tipo);
    pedido.empregador.cpfcnpj = m_empregador.cpfCnpj;
    pedido.empregador.cei = m_empregador.cei;
    pedido.empregador.nome = m_empregador.nome;
    pedido.numeroSerie = m_status.serial;
    pedido.cache = m_ultimaPagina;
    const QString r = GeraAFD(pedido, *m_armazem);
    adicionaResposta(r);
    defineResultado(r);
    Finaliza();
}

// --- Texts --------------------------------------------------------------------

void MotorREP2::adicionaResposta(const QString &linha)
{
    m_respostas.append(linha);
    Q_EMIT respostaAdicionada(linha);
}

void MotorREP2::limpaRespostas()
{
    m_respostas.clear();
    Q_EMIT respostasLimpas();
}

void MotorREP2::defineResultado(const QString &r)
{
    RetornoComunicacao = r;
}

// --- Start operations ---------------------------------------------------------

bool MotorREP2::Status(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Status")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::Status, requisicaoStatus(true));
    return true;
}

bool MotorREP2::StatusManutencao(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Status")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::Status, requisicaoStatus(false));
    return true;
}

bool MotorREP2::AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes,
                               const QString &ano, const QString &hora, const QString &minuto,
                               const QString &segundo)
{
    if (!inicia(p, QStringLiteral("Envio de data/hora")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    const auto momento = montaDataHora(dia, mes, ano, hora, minuto, segundo);
    if (!momento) {
        defineResultado(QStringLiteral("2;Formato de data/hora inválido"));
        Finaliza();
        return true;
    }
    EnviaComando(Comando::AcertaDataHora, requisicaoRelogio(*momento));
    return true;
}

bool MotorREP2::EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                                const QString &cei, const QString &local, int tipo)
{
    if (!inicia(p, QStringLiteral("Envio de empregador")))
        return false;
    const QString recusa = verificaEmpregador(nome, cpfcnpj, cei, local, tipo);
    if (!recusa.isEmpty()) {
        defineResultado(recusa);
        Finaliza();
        return true;
    }
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::EnviaEmpregador, requisicaoEmpregador(nome, cpfcnpj, cei, local, tipo));
    return true;
}

bool MotorREP2::EnviaEmpregadorManutencao(const TParametrosComunicacao &p, const QString &nome,
                                          const QString &cpfcnpj, const QString &cei, const QString &local,
                                          int tipo)
{
    if (!inicia(p, QStringLiteral("Envio de empregador")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::EnviaEmpregador,
                 requisicaoEmpregador(nome, cpfcnpj, cei, local, tipo == 1 ? 1 : 0));
    return true;
}

bool MotorREP2::RecebeEmpregador(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Receber empregador")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::RecebeEmpregador, QByteArrayLiteral("#PME"));
    return true;
}

bool MotorREP2::EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo,
                                 const QString &matricula, const QString &pis, const QString &nome, int acao)
{
    if (!inicia(p, QStringLiteral("Envio de funcionário")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    if (!letraAcao(acao)) {
        // No mode letter exists for it: nothing is sent.
        defineResultado(QStringLiteral("6;Operação inválida"));
        Finaliza();
        return true;
    }
    EnviaComando(Comando::EnviaFuncionario, requisicaoFuncionario(codigo, matricula, pis, nome, acao));
    return true;
}

bool MotorREP2::LeituraMT(const TParametrosComunicacao &p, const QString &arquivo)
{
    if (!inicia(p, QStringLiteral("Leitura MT")))
        return false;
    if (arquivo.trimmed().isEmpty()) {
        defineResultado(QStringLiteral("7;Nome de arquivo inválido"));
        Finaliza();
        return true;
    }
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    m_arquivoMT = arquivo;
    EnviaComando(Comando::LeituraMT, QByteArrayLiteral("#LMT"));
    return true;
}

// --- Maintenance ----------------------------------------------------------------

bool MotorREP2::validaMatricula(const QString &matricula, QByteArray *bcd)
{
    const auto b = matriculaBCD(matricula);
    if (!b) {
        erro(QStringLiteral("Matrícula inválida: use até 8 dígitos numéricos"));
        return false;
    }
    *bcd = *b;
    m_matricula = CompletaTexto(matricula.trimmed(), 8, Lado::Esquerda, QStringLiteral("0"));
    return true;
}

bool MotorREP2::EnviaSenha(const TParametrosComunicacao &p, const QString &senha)
{
    if (m_ativo)
        return false;
    const QString recusa = verificaSenha(senha);
    if (!recusa.isEmpty()) {
        erro(recusa);
        return false;
    }
    inicia(p, QStringLiteral("Senha"));
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::Senha, requisicaoSenha(senha));
    return true;
}

bool MotorREP2::IniciaMT(const TParametrosComunicacao &p)
{
    if (m_ativo)
        return false;
    if (!pergunta(QStringLiteral("Este processo demora aproximadamente 20 segundos. Deseja prosseguir?")))
        return false;
    inicia(p, QStringLiteral("Inicia MT"));
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::IniciaMT, QByteArrayLiteral("#IMT"));
    return true;
}

bool MotorREP2::IniciaMRP(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Inicia MRP")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::IniciaMRP, QByteArrayLiteral("#RMR"));
    return true;
}

bool MotorREP2::LeTemplate(const TParametrosComunicacao &p, const QString &matricula, const QString &dedo)
{
    if (m_ativo)
        return false;
    QByteArray bcd;
    if (!validaMatricula(matricula, &bcd))
        return false;
    bool ok = false;
    const int d = dedo.trimmed().toInt(&ok);
    if (!ok || d < 0 || d > 9 || dedo.trimmed().size() != 1) {
        erro(QStringLiteral("Dedo inválido: use um dígito"));
        return false;
    }
    m_dedo = dedo.trimmed();
    inicia(p, QStringLiteral("Receber biometria"));
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::LeTemplate, requisicaoLeTemplate(bcd, static_cast<quint8>(d)));
    return true;
}

bool MotorREP2::GravaTemplate(const TParametrosComunicacao &p, const QString &matricula,
                              const QString &arquivo)
{
    if (m_ativo)
        return false;
    QByteArray bcd;
    if (!validaMatricula(matricula, &bcd))
        return false;
    const QString caminho = QFileInfo(arquivo).isAbsolute() ? arquivo : PastaPrograma() + arquivo;
    std::optional<QByteArray> corpo;
    bool existe = QFileInfo::exists(caminho);
    if (existe) {
        QFile f(caminho);
        if (!f.open(QIODevice::ReadOnly)) {
            existe = false;
        } else {
            corpo = corpoDeTextoHex(f.readAll());
            if (!corpo || corpo->size() != TamanhoTemplate) {
                // Sending it would put a body the header does not describe on the wire.
                inicia(p, QStringLiteral("Enviar biometria"));
                limpaRespostas();
                adicionaResposta(QStringLiteral("Arquivo de template inválido: \"") + arquivo +
                                 QLatin1Char('"'));
                Finaliza();
                return true;
            }
        }
    }
    inicia(p, QStringLiteral("Enviar biometria"));
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    if (!existe) {
        adicionaResposta(QStringLiteral("Arquivo não existe: \"") + arquivo + QLatin1Char('"'));
        corpo.reset();
    }
    EnviaComando(Comando::GravaTemplate, requisicaoGravaTemplate(bcd, corpo));
    return true;
}

bool MotorREP2::ContaTemplates(const TParametrosComunicacao &p, const QString &matricula)
{
    if (m_ativo)
        return false;
    QByteArray bcd;
    if (!validaMatricula(matricula, &bcd))
        return false;
    inicia(p, QStringLiteral("Verifica templates"));
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::ContaTemplates, requisicaoContaTemplates(bcd));
    return true;
}

bool MotorREP2::ApagaTemplatesMatricula(const TParametrosComunicacao &p, const QString &matricula)
{
    if (m_ativo)
        return false;
    QByteArray bcd;
    if (!validaMatricula(matricula, &bcd))
        return false;
    inicia(p, QStringLiteral("Excluir template"));
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::ApagaTemplatesMatricula, requisicaoApagaTemplates(bcd));
    return true;
}

bool MotorREP2::TemplatesDisponiveis(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Templates disponíveis")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::TemplatesDisponiveis, QByteArrayLiteral("#DID"));
    return true;
}

bool MotorREP2::ApagaTodasTemplates(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Apagar todas as templates")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    EnviaComando(Comando::ApagaTodasTemplates, QByteArrayLiteral("#ZTL"));
    return true;
}

bool MotorREP2::ListaTemplates(const TParametrosComunicacao &p)
{
    if (!inicia(p, QStringLiteral("Lista templates")))
        return false;
    if (!AbrePorta(p.PortaSerial)) {
        Finaliza();
        return true;
    }
    limpaRespostas();
    m_indiceLista = 0;
    m_inicioBloco = true;
    EnviaComando(Comando::ListaTemplates, requisicaoListaTemplates(0));
    return true;
}

QStringList MotorREP2::arquivosTemplate()
{
    return QDir(PastaPrograma()).entryList({QStringLiteral("template*.dig")}, QDir::Files, QDir::Name);
}

QString MotorREP2::nomeArquivoTemplate(const QString &matricula, const QString &dedo)
{
    return QStringLiteral("template") + matricula + QLatin1Char('_') + dedo + QStringLiteral(".dig");
}

} // namespace kelvo
