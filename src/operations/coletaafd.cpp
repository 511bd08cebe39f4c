#include "operations/coletaafd.h"

#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "device/common/afd.h"
#include "device/common/retorno.h"
#include "device/gen1/motorv1.h"
#include "device/gen2/motorrep2.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace kelvo {

MotorREP *criaMotorPorModelo(const QString &modelo, QObject *parent)
{
    const QString m = modelo.trimmed().toUpper();
    if (m == QLatin1String("REP"))
        return new MotorV1(parent);
    if (m == QLatin1String("REP2"))
        return new MotorREP2(parent);
    return nullptr;
}

QString pastaAFD()
{
    QString pasta =
        ArquivoConfig().leTexto(QStringLiteral("CONFIG"), QStringLiteral("AFDFOLDER"), PastaPrograma());
    if (pasta.trimmed().isEmpty())
        pasta = PastaPrograma();
    pasta.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!pasta.endsWith(QLatin1Char('/')))
        pasta += QLatin1Char('/');
    if (!QDir().mkpath(pasta))
        return QString();
    return pasta;
}

QString nomeArquivoAFDPadrao(const QString &codigocoletor, const QDate &hoje)
{
    QString pasta = pastaAFD();
    if (pasta.isEmpty()) // the folder cannot be made: the program folder
        pasta = PastaPrograma();
    return pasta + QStringLiteral("AFD") + codigocoletor.trimmed() + QStringLiteral("_") +
           hoje.toString(QStringLiteral("yyMMdd")) + QStringLiteral(".txt");
}

QString mensagemDaFalha(const QString &retorno)
{
    const QString tabela = MensagemRetorno(retorno);
    const QString texto = retorno.section(QLatin1Char(';'), 1);
    if (retorno.isEmpty())
        return tabela;
    if (texto.contains(QStringLiteral("Mensagem: ")) || (tabela.isEmpty() && !texto.isEmpty()))
        return texto;
    return tabela;
}

QString transfereParaTbAfd(const QString &codigocoletor, const QString &cache)
{
    TdmDados &dm = dmDados();
    const bool sqlServer = dm.sqlServer();
    ErroBanco erro;
    const QString mrp = sqlServer ? QStringLiteral("exec spTransferemrpafd :pidrep")
                                  : QStringLiteral("call spTransferemrpafd(:pidrep)");
    if (!dm.executa(mrp, {{QStringLiteral("pidrep"), codigocoletor}}, &erro))
        return erro.texto();
    const QString cacheSql = sqlServer ? QStringLiteral("exec spTransfereCacheAfd :pidrep, :pconteudo")
                                       : QStringLiteral("call spTransfereCacheAfd(:pidrep, :pconteudo)");
    if (!dm.executa(cacheSql,
                    {{QStringLiteral("pidrep"), codigocoletor}, {QStringLiteral("pconteudo"), cache}}, &erro))
        return erro.texto();
    return QString();
}

// ---------------------------------------------------------------- FluxoColetaAFD

FluxoColetaAFD::FluxoColetaAFD(QObject *parent) : QObject(parent), m_fabrica(criaMotorPorModelo) {}

FluxoColetaAFD::~FluxoColetaAFD()
{
    if (m_motor)
        delete m_motor.data();
}

bool FluxoColetaAFD::carregaColetor(int idcoletor)
{
    m_coletor = ColetorAFD();
    Dataset &ds = *dmDados().tbColetor;
    if (!ds.abre({{QStringLiteral("pidcoletor"), idcoletor}})) {
        erro(ds.erro());
        return false;
    }
    if (ds.vazio()) {
        informa(QStringLiteral("REP não encontrado no cadastro."));
        return false;
    }
    m_coletor.idcoletor = ds.inteiro(QStringLiteral("idcoletor"));
    m_coletor.codigocoletor = ds.texto(QStringLiteral("codigocoletor")).trimmed();
    m_coletor.descricao = ds.texto(QStringLiteral("descricao")).trimmed();
    m_coletor.modelocoletor = ds.texto(QStringLiteral("modelocoletor")).trimmed();
    m_coletor.idempresa = ds.inteiro(QStringLiteral("idempresa"));
    LinhaColetor linha;
    linha.tipocomunicacao = ds.texto(QStringLiteral("tipocomunicacao"));
    linha.ip = ds.texto(QStringLiteral("ip"));
    linha.portaip = ds.valor(QStringLiteral("portaip"));
    linha.portaserial = ds.valor(QStringLiteral("portaserial"));
    m_coletor.parametros = preencheParametros(linha);
    if (m_coletor.idempresa == 0) {
        informa(QStringLiteral("Receba a empresa deste coletor, antes de continuar"));
        return false;
    }
    return true;
}

int FluxoColetaAFD::idPorCodigo(const QString &codigocoletor)
{
    Dataset &ds = *dmDados().qyLocalizaColetor;
    if (!ds.abre({{QStringLiteral("pcodigocoletor"), codigocoletor}}) || ds.vazio())
        return 0;
    return ds.inteiro(QStringLiteral("idcoletor"));
}

bool FluxoColetaAFD::inicia(const QString &arquivo, bool filtro, const QDate &inicio, const QDate &fim)
{
    if (m_etapa != Etapa::Parado || m_coletor.idcoletor == 0)
        return false;
    m_resultado = ResultadoColetaAFD();
    m_arquivo = arquivo;
    m_resultado.arquivo = arquivo;
    m_filtro = filtro;
    m_inicio = inicio;
    m_fim = fim;
    ultimaColetaAFD() = UltimaColetaAFD();
    RetornoComunicacao.clear();

    // The collection log: appended, its key from the server.
    ErroBanco e;
    m_resultado.idlogcoleta = dmDados().insereLogColeta(QDateTime::currentDateTime(), m_coletor.idcoletor,
                                                        QStringLiteral("N"), QVariant(), QVariant(), &e);
    m_etapa = Etapa::Status;
    if (m_resultado.idlogcoleta == 0) {
        QTimer::singleShot(0, this, [this, e] {
            falha(QStringLiteral("Não foi possível registrar a coleta no banco de dados. Mensagem: ") +
                      e.texto(),
                  true);
        });
        return true;
    }

    m_motor = m_fabrica(m_coletor.modelocoletor, this);
    if (!m_motor) {
        // Neither generation: say so rather than "no answer from the terminal".
        RetornoComunicacao =
            montaRetorno(RetEquipamentoNaoIdentificado, mensagemDoCodigo(RetEquipamentoNaoIdentificado));
        m_resultado.retorno = RetornoComunicacao;
        QTimer::singleShot(0, this, [this] {
            falha(MensagemRetorno(m_resultado.retorno) + QStringLiteral(" (modelo \"") +
                  m_coletor.modelocoletor + QStringLiteral("\")"));
        });
        return true;
    }
    connect(m_motor, &MotorREP::terminou, this, &FluxoColetaAFD::aoTerminarMotor, Qt::QueuedConnection);
    Q_EMIT motorCriado(m_motor);
    // The serial number the device reports must be this REP's before any page
    // is read: the pages are stored under the one, the lines split under the other.
    if (!m_motor->Status(m_coletor.parametros)) {
        QTimer::singleShot(
            0, this, [this] { falha(QStringLiteral("O equipamento está ocupado com outra comunicação.")); });
    }
    return true;
}

void FluxoColetaAFD::aoTerminarMotor()
{
    if (m_etapa == Etapa::Status)
        aposStatus();
    else if (m_etapa == Etapa::Coleta)
        aposColeta();
}

void FluxoColetaAFD::aposStatus()
{
    const QString r = RetornoComunicacao;
    m_resultado.retorno = r;
    if (!retornoSucesso(r)) {
        falha(mensagemDaFalha(r));
        return;
    }
    const QString numero = r.mid(30, 17);
    if (numero.trimmed() != m_coletor.codigocoletor) {
        m_resultado.situacao = ResultadoColetaAFD::Situacao::Falhou;
        m_resultado.mensagem =
            QStringLiteral("O coletor selecionado é diferente do que está ligado.\rCódigo do REP: ") + numero;
        avisa(m_resultado.mensagem);
        conclui();
        return;
    }
    m_etapa = Etapa::Coleta;
    RetornoComunicacao.clear();
    if (!m_motor->ColetaAFD(m_coletor.parametros, m_arquivo,
                            m_filtro ? QStringLiteral("S") : QStringLiteral("N"), m_inicio, m_fim)) {
        falha(QStringLiteral("Este modelo de REP ainda não coleta o AFD."));
    }
}

void FluxoColetaAFD::aposColeta()
{
    const QString r = RetornoComunicacao;
    m_resultado.retorno = r;
    if (!retornoSucesso(r)) {
        falha(mensagemDaFalha(r));
        return;
    }
    const UltimaColetaAFD coleta = ultimaColetaAFD();
    if (!coleta.gerado || coleta.numeroSerie.trimmed() != m_coletor.codigocoletor) {
        falha(QStringLiteral("O coletor selecionado é diferente do que está ligado.\rCódigo do REP: ") +
              coleta.numeroSerie);
        return;
    }
    TdmDados &dm = dmDados();

    // The lines reach tbafd before the log says the collection succeeded.
    const QString erroTransf = transfereParaTbAfd(m_coletor.codigocoletor, coleta.cache);
    if (!erroTransf.isEmpty()) {
        falha(QStringLiteral(
                  "O AFD foi gravado, mas não foi possível transferir as marcações para o banco de dados. "
                  "Mensagem: ") +
                  erroTransf,
              true);
        return;
    }
    ErroBanco e;
    if (!dm.atualizaLogColeta(m_resultado.idlogcoleta, QStringLiteral("S"), QDateTime::currentDateTime(),
                              &e)) {
        falha(QStringLiteral("Não foi possível registrar o fim da coleta no banco de dados. Mensagem: ") +
                  e.texto(),
              true);
        return;
    }

    // The kept copy: appended, never loaded.
    bool comRegistros = true;
    QFile f(m_arquivo);
    if (!f.open(QIODevice::ReadOnly)) {
        informa(QStringLiteral("Não foi possível gerar o arquivo de backup da coleta do AFD. Mensagem: ") +
                f.errorString());
    } else {
        const QByteArray bytes = f.readAll();
        f.close();
        if (bytes.isEmpty()) {
            comRegistros = false;
        } else {
            m_resultado.idbackupafd =
                dm.insereBackupAFD(QDateTime::currentDateTime(), 0, bytes, m_coletor.codigocoletor, &e);
            if (m_resultado.idbackupafd == 0)
                informa(QStringLiteral(
                            "Não foi possível gerar o arquivo de backup da coleta do AFD. Mensagem: ") +
                        e.texto());
        }
    }

    if (comRegistros) {
        m_resultado.situacao = ResultadoColetaAFD::Situacao::ComRegistros;
        m_resultado.mensagem = QStringLiteral("Coleta realizada com sucesso!");
        informa(m_resultado.mensagem);
        if (abreArquivo &&
            ArquivoConfig().leBooleano(QStringLiteral("CONFIG"), QStringLiteral("VERAFD"), true))
            abreArquivo(m_arquivo);
        // INTEGRA/NIVEL: the hand-over to the HR import belongs to the HR integration.
    } else {
        m_resultado.situacao = ResultadoColetaAFD::Situacao::SemRegistros;
        m_resultado.mensagem =
            QStringLiteral("Coleta foi realizada, porém não existem registros no período informado!");
        informa(m_resultado.mensagem);
    }
    conclui();
}

void FluxoColetaAFD::falha(const QString &mensagem, bool erroBanco)
{
    m_resultado.situacao = ResultadoColetaAFD::Situacao::Falhou;
    m_resultado.mensagem = mensagem;
    if (erroBanco)
        erro(mensagem);
    else
        informa(mensagem);
    conclui();
}

void FluxoColetaAFD::conclui()
{
    m_etapa = Etapa::Parado;
    Q_EMIT concluida();
}

} // namespace kelvo
