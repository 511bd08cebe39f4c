#include "app/acoesrep.h"

#include "app/config.h"
#include "app/mostrainforel.h"
#include "app/novorel.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "device/common/retorno.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QUrl>

namespace kelvo {

StatusLido leStatus(const QString &textoStatus)
{
    // "0;" dd/mm/yy hh:nn:ss ";" NSR ";" serial ";", field by field up to each ";".
    const QStringList campos = textoStatus.split(QLatin1Char(';'));
    StatusLido s;
    s.dataHora = campos.value(1);
    s.nsr = campos.value(2);
    s.numeroSerie = campos.value(3);
    return s;
}

DadosNovoRep dadosDoAssistente(const TfmNovoRel &a)
{
    DadosNovoRep d;
    d.tcp = a.tcpIp();
    d.ip = a.ip();
    d.ipDinamico = a.ipDinamico();
    d.url = a.url();
    d.portaIp = a.portaIp();
    d.portaSerial = a.portaSerialEscolhida();
    d.nome = a.nome();
    return d;
}

QString hostDaUrl(const QString &url)
{
    const QString t = url.trimmed();
    if (t.contains(QStringLiteral("://")))
        return QUrl(t).host();
    // "host", "host:porta", "host/caminho"
    QString h = t.section(QLatin1Char('/'), 0, 0);
    if (h.count(QLatin1Char(':')) == 1)
        h = h.section(QLatin1Char(':'), 0, 0);
    return h;
}

namespace {

// The address of a dynamic-IP device for its identification; empty when the
// name does not resolve.  IPv4 first: the devices speak IPv4.
QString resolveUrl(const QString &url)
{
    const QString host = hostDaUrl(url);
    if (host.isEmpty())
        return QString();
    QHostAddress direto;
    if (direto.setAddress(host))
        return direto.toString();
    const QHostInfo info = QHostInfo::fromName(host);
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
        return QString();
    for (const QHostAddress &a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            return a.toString();
    return info.addresses().constFirst().toString();
}

const QString kMensagemDiferente =
    QStringLiteral("O coletor selecionado é diferente do que está ligado.\rCódigo do REP: ");

} // namespace

AcoesRep::AcoesRep(QWidget *janela, QObject *parent)
    : QObject(parent), m_janela(janela), m_despachante(janela)
{
}

// ----------------------------------------------------------------- database

bool AcoesRep::carregaColetor(int idcoletor)
{
    Dataset *ds = dmDados().tbColetor;
    if (!ds->abre({{QStringLiteral("pidcoletor"), idcoletor}})) {
        erro(ds->erro());
        return false;
    }
    return !ds->vazio();
}

TParametrosComunicacao AcoesRep::parametrosDoColetor() const
{
    const Dataset *ds = dmDados().tbColetor;
    LinhaColetor l;
    l.tipocomunicacao = ds->texto(QStringLiteral("tipocomunicacao")).trimmed();
    l.ip = ds->texto(QStringLiteral("ip")).trimmed();
    l.portaip = ds->valor(QStringLiteral("portaip"));
    l.portaserial = ds->valor(QStringLiteral("portaserial"));
    return preencheParametros(l);
}

int AcoesRep::localizaColetor(const QString &numeroSerie)
{
    Dataset *q = dmDados().qyLocalizaColetor;
    if (!q->abre({{QStringLiteral("pcodigocoletor"), numeroSerie}})) {
        erro(q->erro());
        return -1;
    }
    const int id = q->vazio() ? 0 : q->inteiro(QStringLiteral("idcoletor"));
    q->fecha();
    return id;
}

bool AcoesRep::insereColetor(const NovaLinha &n)
{
    Dataset *ds = dmDados().tbColetor;
    ds->fecha();
    if (!ds->abre({{QStringLiteral("pidcoletor"), -1}}) || !ds->insere()) {
        if (!ds->erro().isEmpty())
            erro(ds->erro());
        return false;
    }
    ds->defineValor(QStringLiteral("codigocoletor"), n.codigocoletor);
    ds->defineValor(QStringLiteral("modelocoletor"), n.modelocoletor);
    ds->defineValor(QStringLiteral("tipocomunicacao"), n.tipocomunicacao);
    ds->defineValor(QStringLiteral("descricao"), n.descricao);
    ds->defineValor(QStringLiteral("portaserial"), n.portaserial);
    ds->defineValor(QStringLiteral("ip"), n.ip);
    ds->defineValor(QStringLiteral("url"), n.url);
    ds->defineValor(QStringLiteral("portaip"), n.portaip);
    ds->defineValor(QStringLiteral("urldinamica"), n.urldinamica);
    if (!ds->grava()) {
        // A refusal by a rule showed its own message; a database error did not.
        if (!ds->erro().isEmpty())
            erro(ds->erro());
        ds->cancela();
        return false;
    }
    return true;
}

// ------------------------------------------------------------------ new REP

AcoesRep::Resultado AcoesRep::novoRep()
{
    TfmNovoRel assistente(entradasPortasSeriais(), m_janela);
    Q_EMIT assistenteAberto(&assistente);
    if (assistente.exec() != QDialog::Accepted)
        return Resultado::Cancelado;
    return registraNovoRep(dadosDoAssistente(assistente));
}

AcoesRep::Resultado AcoesRep::registraNovoRep(const DadosNovoRep &d)
{
    TParametrosComunicacao p;
    if (d.tcp) {
        p.Tipo = TParametrosComunicacao::TipoTCP;
        if (d.ipDinamico) {
            p.IP = resolveUrl(d.url);
            if (p.IP.isEmpty()) {
                avisa(QStringLiteral("Não foi possível encontrar o endereço da URL \"") + d.url +
                      QStringLiteral("\".\rVerifique a URL informada e a conexão com a rede."));
                return Resultado::Falhou;
            }
        } else {
            p.IP = d.ip;
        }
        p.PortaIP = d.portaIp;
    } else {
        p.Tipo = TParametrosComunicacao::TipoSerial;
        p.PortaIP = 0;
    }
    // The identification runs on the configured port; the port picked in the
    // wizard is what is stored.
    p.PortaSerial = portaSerialAtual();

    const QString r = m_despachante.StatusREP(p, true, QString());
    if (codigoDoRetorno(r) != 0) {
        informa(MensagemRetorno(r));
        return Resultado::Falhou;
    }
    // "0;" model ";" then the status text.
    const QString modelo = r.section(QLatin1Char(';'), 1, 1);
    const StatusLido s = leStatus(r.mid(modelo.size() + 3));

    const int existente = localizaColetor(s.numeroSerie);
    if (existente < 0)
        return Resultado::Falhou;
    Resultado resultado = Resultado::JaCadastrado;
    if (existente == 0) {
        NovaLinha n;
        n.codigocoletor = s.numeroSerie;
        n.modelocoletor = modelo;
        n.descricao = d.nome;
        n.urldinamica = d.ipDinamico ? QStringLiteral("S") : QStringLiteral("N");
        if (d.tcp) {
            n.tipocomunicacao = QStringLiteral("T");
            n.portaip = d.portaIp;
            n.url = d.url;
            n.ip = d.ip;
        } else {
            n.tipocomunicacao = QStringLiteral("S");
            n.portaserial = d.portaSerial;
        }
        resultado = insereColetor(n) ? Resultado::Registrado : Resultado::Falhou;
    }
    Q_EMIT listaAlterada();
    return resultado;
}

// ------------------------------------------------------- information window

bool AcoesRep::mostraInformacoes(const QString &textoStatus, StatusLido *lido)
{
    const StatusLido s = leStatus(textoStatus);
    if (lido)
        *lido = s;
    const int id = localizaColetor(s.numeroSerie);
    QString titulo = TfMostraInfoRel::textoNaoCadastrado();
    if (id > 0)
        titulo = dmDados()
                     .valor(QStringLiteral("select descricao from tbcoletor where idcoletor = :pidcoletor"),
                            {{QStringLiteral("pidcoletor"), id}})
                     .toString()
                     .trimmed();

    TfMostraInfoRel info(m_janela);
    info.preenche(titulo, s.numeroSerie, s.dataHora, s.nsr, id == 0);
    m_info = &info;
    Q_EMIT informacoesAbertas(&info);
    const bool inserir = info.exec() == QDialog::Accepted && id == 0;
    m_info = nullptr;
    return inserir;
}

AcoesRep::Resultado AcoesRep::autoscan()
{
    TParametrosComunicacao p;
    p.Tipo = TParametrosComunicacao::TipoSerial;
    p.PortaSerial = portaSerialAtual();
    const QString r = m_despachante.StatusREP(p, true, QString());
    if (codigoDoRetorno(r) != 0) {
        informa(MensagemRetorno(r));
        return Resultado::Falhou;
    }
    const QString semCodigo = r.mid(2);
    const QString modelo = semCodigo.section(QLatin1Char(';'), 0, 0);
    const QString textoStatus = semCodigo.mid(modelo.size() + 1);
    StatusLido s;
    if (!mostraInformacoes(textoStatus, &s))
        return Resultado::Mostrado;

    NovaLinha n;
    n.codigocoletor = s.numeroSerie;
    n.modelocoletor = modelo;
    n.tipocomunicacao = QStringLiteral("S");
    n.portaserial = portaSerialAtual();
    n.descricao = s.numeroSerie;
    const bool ok = insereColetor(n);
    Q_EMIT listaAlterada();
    return ok ? Resultado::Registrado : Resultado::Falhou;
}

AcoesRep::Resultado AcoesRep::mostraStatus(int idcoletor)
{
    if (idcoletor <= 0 || !carregaColetor(idcoletor))
        return Resultado::Falhou;
    const Dataset *ds = dmDados().tbColetor;
    const TParametrosComunicacao p = parametrosDoColetor();
    const QString modelo = ds->texto(QStringLiteral("modelocoletor")).trimmed();
    // Kept for a registration from this window: the device answered on this link.
    NovaLinha n;
    n.modelocoletor = modelo;
    n.tipocomunicacao = ds->texto(QStringLiteral("tipocomunicacao")).trimmed();
    n.portaserial = ds->valor(QStringLiteral("portaserial"));
    n.ip = ds->valor(QStringLiteral("ip"));
    n.url = ds->valor(QStringLiteral("url"));
    n.portaip = ds->valor(QStringLiteral("portaip"));
    n.urldinamica = ds->valor(QStringLiteral("urldinamica"));

    const QString r = m_despachante.StatusREP(p, false, modelo);
    if (codigoDoRetorno(r) != 0) {
        informa(MensagemRetorno(r));
        return Resultado::Falhou;
    }
    StatusLido s;
    if (!mostraInformacoes(r, &s))
        return Resultado::Mostrado;
    // "Inserir" for a device that is not registered (not the REP this row
    // says should be there) registers it on the link it answered on.
    n.codigocoletor = s.numeroSerie;
    n.descricao = s.numeroSerie;
    const bool ok = insereColetor(n);
    Q_EMIT listaAlterada();
    return ok ? Resultado::Registrado : Resultado::Falhou;
}

// -------------------------------------------------------------- date / time

AcoesRep::Resultado AcoesRep::enviaDataHora(int idcoletor, const QDateTime &momento)
{
    if (idcoletor <= 0 || !carregaColetor(idcoletor))
        return Resultado::Falhou;
    const Dataset *ds = dmDados().tbColetor;
    const TParametrosComunicacao p = parametrosDoColetor();
    const QString modelo = ds->texto(QStringLiteral("modelocoletor")).trimmed();
    const QString codigo = ds->texto(QStringLiteral("codigocoletor")).trimmed();

    const QString r = m_despachante.StatusREP(p, false, modelo);
    if (codigoDoRetorno(r) != 0) {
        informa(MensagemRetorno(r));
        return Resultado::Falhou;
    }
    const QString numero = r.mid(30, 17);
    if (numero.trimmed() != codigo) {
        avisa(kMensagemDiferente + numero);
        return Resultado::Diferente;
    }
    const QDate d = momento.date();
    const QTime t = momento.time();
    const QString rd =
        m_despachante.DataHoraREP(p, d.toString(QStringLiteral("dd")), d.toString(QStringLiteral("MM")),
                                  d.toString(QStringLiteral("yyyy")), t.toString(QStringLiteral("hh")),
                                  t.toString(QStringLiteral("mm")), t.toString(QStringLiteral("ss")), modelo);
    if (codigoDoRetorno(rd) == 0) {
        informa(QStringLiteral("Data/Hora enviados!"));
        return Resultado::Enviado;
    }
    informa(MensagemRetorno(rd));
    return Resultado::Falhou;
}

// ------------------------------------------------------------------- delete

AcoesRep::Resultado AcoesRep::exclui(int idcoletor)
{
    if (idcoletor <= 0)
        return Resultado::Cancelado;
    if (!pergunta(QStringLiteral("Deseja realmente excluir? ")))
        return Resultado::Cancelado;
    if (!carregaColetor(idcoletor)) {
        Q_EMIT listaAlterada(); // gone already (another workstation)
        return Resultado::Falhou;
    }
    Dataset *ds = dmDados().tbColetor;
    if (!ds->exclui()) {
        if (!ds->erro().isEmpty())
            erro(ds->erro());
        return Resultado::Falhou;
    }
    Q_EMIT listaAlterada();
    return Resultado::Excluido;
}

// ------------------------------------------------------------------ options

void AcoesRep::opcoes()
{
    {
        TfConfig janela(entradasPortasSeriais(), m_janela);
        Q_EMIT opcoesAbertas(&janela);
        janela.exec();
    }
    releConfiguracaoSerial();
}

} // namespace kelvo
