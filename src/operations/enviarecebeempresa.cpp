#include "operations/enviarecebeempresa.h"

#include "data/dataset.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/regrasempresa.h"
#include "data/textos.h"
#include "device/common/retorno.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace kelvo {

namespace {

const QString kModeloV1 = QStringLiteral("REP");
const QString kModeloV2 = QStringLiteral("REP2");

QString semBrancos(const QString &t)
{
    return t.trimmed();
}

// The REP's model as the dispatch knows it ("REP", "REP2"), or empty.
QString modeloConhecido(const QString &modelo)
{
    const QString m = modelo.trimmed().toUpper();
    return m == kModeloV1 || m == kModeloV2 ? m : QString();
}

} // namespace

// ---- pure routines ----

EmpregadorRecebido interpretaEmpregadorRecebido(const QString &retorno)
{
    EmpregadorRecebido e;
    e.tipo = retorno.mid(2, 1);
    QString resto = retorno.mid(4);
    const auto proximoCampo = [&resto]() {
        const qsizetype i = resto.indexOf(QLatin1Char('|'));
        QString campo;
        if (i < 0) {
            campo = resto;
            resto.clear();
        } else {
            campo = resto.left(i);
            resto = resto.mid(i + 1);
        }
        return campo;
    };
    e.nome = semBrancos(proximoCampo());
    // The new protocol sends a CPF left-padded with blanks to 14; without
    // removing them the number would be stored with blanks and never match.
    e.cpfcnpj = semBrancos(proximoCampo());
    e.cei = semBrancos(proximoCampo());
    e.local = semBrancos(resto);
    return e;
}

bool mesmoCpfCnpj(const QString &a, const QString &b)
{
    const QString zero = QStringLiteral("0");
    return CompletaTexto(a.trimmed(), 20, Lado::Esquerda, zero) ==
           CompletaTexto(b.trimmed(), 20, Lado::Esquerda, zero);
}

int tipoEmpregadorDe(const QString &tipopessoafj)
{
    return tipopessoafj == QLatin1String("J") ? 0 : 1;
}

QString numeroSerieDoStatus(const QString &retorno)
{
    return retorno.mid(30, 17);
}

QString mensagemColetorDiferente(const QString &numeroSerie)
{
    return QStringLiteral(
               "O coletor selecionado é diferente do que está ligado.\rCódigo do REP ligado a serial: ") +
           numeroSerie;
}

// ---- the flow ----

FluxoEnviaRecebeEmpresa::FluxoEnviaRecebeEmpresa(const QString &codigocoletor, QObject *parent)
    : QObject(parent), m_codigocoletor(codigocoletor), m_fabrica(criaMotorPorModelo),
      m_lista(new Dataset(QStringLiteral("qyListaEmpresas"), this))
{
    // The joined REP column is named so it cannot be mistaken for the company's key.
    m_lista->defineSql(
        QStringLiteral("select tbempresa.*, tbcoletor.idempresa as idempresa_1 from tbempresa\n"
                       "left join tbcoletor on tbcoletor.idempresa = tbempresa.idempresa and "
                       "tbcoletor.codigocoletor = :pcodigocoletor\n"
                       "order by razaosocial"));
    TdmDados &dm = dmDados();
    dm.AdaptaSQLBanco(this);
    // The company created from the device goes through the company rules.
    if (!dm.tbEmpresa->antesGravar)
        instalaRegrasEmpresa(dm);
}

FluxoEnviaRecebeEmpresa::~FluxoEnviaRecebeEmpresa()
{
    if (m_motor)
        delete m_motor.data();
}

bool FluxoEnviaRecebeEmpresa::abreLista()
{
    const int anterior = m_atual >= 0 && m_atual < m_empresas.size() ? m_empresas.at(m_atual).idempresa : 0;
    if (!m_lista->abre({{QStringLiteral("pcodigocoletor"), m_codigocoletor}})) {
        erro(m_lista->erro());
        return false;
    }
    m_empresas.clear();
    if (m_lista->primeiro()) {
        do {
            EmpresaListada e;
            e.idempresa = m_lista->inteiro(QStringLiteral("idempresa"));
            e.tipopessoafj = m_lista->texto(QStringLiteral("tipopessoafj"));
            e.cpfcnpj = m_lista->texto(QStringLiteral("cpfcnpj"));
            e.razaosocial = m_lista->texto(QStringLiteral("razaosocial"));
            e.localtrabalho = m_lista->texto(QStringLiteral("localtrabalho"));
            e.cei = m_lista->texto(QStringLiteral("cei"));
            e.ligada = !m_lista->nulo(QStringLiteral("idempresa_1")) &&
                       m_lista->inteiro(QStringLiteral("idempresa_1")) == e.idempresa;
            m_empresas << e;
        } while (m_lista->proximo());
    }
    m_lista->fecha();
    const int linha = linhaDaEmpresa(anterior);
    m_atual = linha >= 0 ? linha : (m_empresas.isEmpty() ? -1 : 0);
    Q_EMIT listaMudou();
    return true;
}

void FluxoEnviaRecebeEmpresa::defineLinhaAtual(int linha)
{
    if (linha >= 0 && linha < m_empresas.size())
        m_atual = linha;
}

int FluxoEnviaRecebeEmpresa::linhaLigada() const
{
    for (int i = 0; i < m_empresas.size(); ++i)
        if (m_empresas.at(i).ligada)
            return i;
    return -1;
}

int FluxoEnviaRecebeEmpresa::linhaDaEmpresa(int idempresa) const
{
    if (idempresa <= 0)
        return -1;
    for (int i = 0; i < m_empresas.size(); ++i)
        if (m_empresas.at(i).idempresa == idempresa)
            return i;
    return -1;
}

bool FluxoEnviaRecebeEmpresa::enviar()
{
    return inicia(Acao::Enviar);
}

bool FluxoEnviaRecebeEmpresa::receber()
{
    return inicia(Acao::Receber);
}

bool FluxoEnviaRecebeEmpresa::inicia(Acao acao)
{
    if (m_etapa != Etapa::Parado)
        return false;
    Dataset &coletor = *dmDados().tbColetor;
    if (!coletor.ativo() || coletor.vazio())
        return false;
    m_modelo = modeloConhecido(coletor.texto(QStringLiteral("modelocoletor")));
    if (m_modelo.isEmpty())
        return false; // neither generation: Enviar and Receber do nothing
    if (acao == Acao::Enviar) {
        if (m_atual < 0 || m_atual >= m_empresas.size())
            return false;
        m_enviada = m_empresas.at(m_atual);
    }
    m_motor = m_fabrica ? m_fabrica(m_modelo, this) : nullptr;
    if (!m_motor) {
        informa(QStringLiteral("A comunicação com REP do modelo \"") + m_modelo +
                QStringLiteral("\" não está disponível nesta versão."));
        return false;
    }
    m_resultado = Resultado();
    m_resultado.acao = acao;
    connect(m_motor, &MotorREP::terminou, this, &FluxoEnviaRecebeEmpresa::aoTerminarMotor,
            Qt::QueuedConnection);
    Q_EMIT motorCriado(m_motor);
    m_etapa = Etapa::Status;
    RetornoComunicacao.clear();
    if (!m_motor->Status(parametros()))
        QTimer::singleShot(
            0, this, [this] { falha(QStringLiteral("O equipamento está ocupado com outra comunicação.")); });
    return true;
}

TParametrosComunicacao FluxoEnviaRecebeEmpresa::parametros() const
{
    TdmDados &dm = dmDados();
    if (m_modelo == kModeloV2) // the new generation works over the serial line only
        return parametrosSerial(dm.portaSerialColetor());
    const Dataset &ds = *dm.tbColetor;
    LinhaColetor linha;
    linha.tipocomunicacao = ds.texto(QStringLiteral("tipocomunicacao"));
    linha.ip = ds.texto(QStringLiteral("ip"));
    linha.portaip = ds.valor(QStringLiteral("portaip"));
    linha.portaserial = ds.valor(QStringLiteral("portaserial"));
    return preencheParametros(linha);
}

void FluxoEnviaRecebeEmpresa::aoTerminarMotor()
{
    switch (m_etapa) {
    case Etapa::Status:
        aposStatus();
        break;
    case Etapa::Envio:
        aposEnvio();
        break;
    case Etapa::Leitura:
        aposLeitura();
        break;
    case Etapa::Parado:
        break;
    }
}

void FluxoEnviaRecebeEmpresa::aposStatus()
{
    const QString r = RetornoComunicacao;
    m_resultado.retorno = r;
    if (!retornoSucesso(r)) {
        falha(MensagemRetorno(r));
        return;
    }
    const QString numero = numeroSerieDoStatus(r);
    if (numero.trimmed() != m_codigocoletor.trimmed()) {
        falha(mensagemColetorDiferente(numero), true);
        return;
    }
    RetornoComunicacao.clear();
    bool iniciou = false;
    if (m_resultado.acao == Acao::Enviar) {
        m_etapa = Etapa::Envio;
        iniciou =
            m_motor->EnviaEmpregador(parametros(), m_enviada.razaosocial, m_enviada.cpfcnpj, m_enviada.cei,
                                     m_enviada.localtrabalho, tipoEmpregadorDe(m_enviada.tipopessoafj));
    } else {
        m_etapa = Etapa::Leitura;
        iniciou = m_motor->RecebeEmpregador(parametros());
    }
    if (!iniciou)
        falha(QStringLiteral("O equipamento está ocupado com outra comunicação."));
}

void FluxoEnviaRecebeEmpresa::aposEnvio()
{
    const QString r = RetornoComunicacao;
    m_resultado.retorno = r;
    if (!retornoSucesso(r)) {
        falha(MensagemRetorno(r));
        return;
    }
    if (!ligaColetor(m_enviada.idempresa)) {
        conclui(false);
        return;
    }
    m_resultado.idempresa = m_enviada.idempresa;
    abreLista();
    defineLinhaAtual(linhaDaEmpresa(m_enviada.idempresa));
    Q_EMIT listaMudou();
    conclui(true);
}

void FluxoEnviaRecebeEmpresa::aposLeitura()
{
    const QString r = RetornoComunicacao;
    m_resultado.retorno = r;
    if (!retornoSucesso(r)) {
        falha(MensagemRetorno(r));
        return;
    }
    const EmpregadorRecebido e = interpretaEmpregadorRecebido(r);
    // A company another workstation registered meanwhile is found as well.
    if (!abreLista()) {
        conclui(false);
        return;
    }
    int idempresa = 0;
    for (const EmpresaListada &c : std::as_const(m_empresas)) {
        if (mesmoCpfCnpj(c.cpfcnpj, e.cpfcnpj)) {
            idempresa = c.idempresa;
            break;
        }
    }
    if (idempresa == 0) {
        if (!criaEmpresa(e, &idempresa)) {
            conclui(false);
            return;
        }
        m_resultado.empresaCriada = true;
    }
    if (!ligaColetor(idempresa)) {
        abreLista(); // a created company is listed even when the link failed
        conclui(false);
        return;
    }
    m_resultado.idempresa = idempresa;
    abreLista();
    defineLinhaAtual(linhaDaEmpresa(idempresa));
    Q_EMIT listaMudou();
    conclui(true);
}

bool FluxoEnviaRecebeEmpresa::ligaColetor(int idempresa)
{
    Dataset &c = *dmDados().tbColetor;
    if (c.editando())
        c.cancela();
    // Fresh values, so the update does not write back an old copy of the REP.
    const int idcoletor = c.inteiro(QStringLiteral("idcoletor"));
    if (!c.abre({{QStringLiteral("pidcoletor"), idcoletor}})) {
        m_resultado.mensagem = c.erro();
        erro(c.erro());
        return false;
    }
    if (c.vazio() || !c.edita()) {
        m_resultado.mensagem = QStringLiteral("REP não encontrado no cadastro.");
        informa(m_resultado.mensagem);
        return false;
    }
    c.defineValor(QStringLiteral("idempresa"), idempresa);
    if (!c.grava()) {
        // A rule that refused has shown its message; a database error is shown here.
        m_resultado.mensagem = c.erro();
        if (!c.erro().isEmpty())
            erro(c.erro());
        c.cancela();
        return false;
    }
    return true;
}

bool FluxoEnviaRecebeEmpresa::criaEmpresa(const EmpregadorRecebido &e, int *idempresa)
{
    TdmDados &dm = dmDados();
    Dataset &ds = *dm.tbEmpresa;
    if (ds.editando())
        ds.cancela();
    if (!ds.ativo() && !ds.abre({{QStringLiteral("pidempresa"), 0}})) {
        m_resultado.mensagem = ds.erro();
        erro(ds.erro());
        return false;
    }
    // The device's number is taken as it is: the CPF/CNPJ check is off for
    // this insert only, whatever happens to it.
    MarcaEmpresaNoEscopo marca(dm);
    if (!ds.insere())
        return false;
    ds.defineValor(QStringLiteral("razaosocial"), e.nome);
    ds.defineValor(QStringLiteral("cpfcnpj"), e.cpfcnpj);
    ds.defineValor(QStringLiteral("localtrabalho"), e.local);
    ds.defineValor(QStringLiteral("tipopessoafj"),
                   e.tipo == QLatin1String("1") ? QStringLiteral("J") : QStringLiteral("F"));
    ds.defineValor(QStringLiteral("cei"), e.cei);
    if (!ds.grava()) {
        m_resultado.mensagem = ds.erro();
        if (!ds.erro().isEmpty())
            erro(ds.erro());
        ds.cancela();
        return false;
    }
    // The key of this insert (never the table's greatest key).
    *idempresa = ds.inteiro(QStringLiteral("idempresa"));
    return *idempresa > 0;
}

void FluxoEnviaRecebeEmpresa::falha(const QString &mensagem, bool comoAviso)
{
    m_resultado.mensagem = mensagem;
    if (comoAviso)
        avisa(mensagem);
    else
        informa(mensagem);
    conclui(false);
}

void FluxoEnviaRecebeEmpresa::conclui(bool sucesso)
{
    m_resultado.sucesso = sucesso;
    if (sucesso)
        m_resultado.mensagem.clear();
    m_etapa = Etapa::Parado;
    if (m_motor) {
        m_motor->disconnect(this);
        m_motor->deleteLater();
        m_motor = nullptr;
    }
    Q_EMIT concluida();
}

// ---- the window ----

class ModeloEmpresas : public QAbstractTableModel
{
public:
    explicit ModeloEmpresas(FluxoEnviaRecebeEmpresa &fluxo, QObject *parent)
        : QAbstractTableModel(parent), m_fluxo(fluxo)
    {
    }

    void recarrega()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex &pai = QModelIndex()) const override
    {
        return pai.isValid() ? 0 : int(m_fluxo.empresas().size());
    }
    int columnCount(const QModelIndex &pai = QModelIndex()) const override { return pai.isValid() ? 0 : 4; }

    QVariant headerData(int secao, Qt::Orientation o, int papel) const override
    {
        static const QStringList titulos = {QStringLiteral("F/J"), QStringLiteral("CPF/CNPJ"),
                                            QStringLiteral("Nome da empresa"),
                                            QStringLiteral("Local de trabalho")};
        if (o == Qt::Horizontal && papel == Qt::DisplayRole && secao >= 0 && secao < titulos.size())
            return titulos.at(secao);
        return QAbstractTableModel::headerData(secao, o, papel);
    }

    QVariant data(const QModelIndex &i, int papel) const override
    {
        if (!i.isValid() || i.row() >= m_fluxo.empresas().size())
            return QVariant();
        const EmpresaListada &e = m_fluxo.empresas().at(i.row());
        switch (papel) {
        case Qt::DisplayRole:
            switch (i.column()) {
            case 0:
                return e.tipopessoafj;
            case 1:
                return e.cpfcnpj;
            case 2:
                return e.razaosocial;
            case 3:
                return e.localtrabalho;
            }
            return QVariant();
        case Qt::TextAlignmentRole:
            if (i.column() == 0)
                return int(Qt::AlignCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return e.ligada ? TfEnviaRecebeEmpresa::corLigada() : QColor(Qt::white);
        case Qt::ForegroundRole:
            return QColor(Qt::black);
        case Qt::FontRole: {
            QFont f(QStringLiteral("Tahoma"));
            return f;
        }
        }
        return QVariant();
    }

    Qt::ItemFlags flags(const QModelIndex &i) const override
    {
        return i.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    FluxoEnviaRecebeEmpresa &m_fluxo;
};

namespace {

// The linked company's row keeps its blue even while it is the highlighted row.
class DelegadoEmpresas : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *opcao, const QModelIndex &i) const override
    {
        QStyledItemDelegate::initStyleOption(opcao, i);
        if (i.data(Qt::BackgroundRole).value<QColor>() == TfEnviaRecebeEmpresa::corLigada())
            opcao->state &= ~QStyle::State_Selected;
    }
};

// Mirrors the engine's texts while an action runs; closes when the action ends.
class TfConversaEmpresa : public QDialog
{
public:
    TfConversaEmpresa(FluxoEnviaRecebeEmpresa &fluxo, QWidget *parent) : QDialog(parent), m_fluxo(fluxo)
    {
        setWindowTitle(QGuiApplication::applicationDisplayName());
        setWindowFlag(Qt::WindowCloseButtonHint, false);
        auto *l = new QVBoxLayout(this);
        m_legenda = new QLabel(this);
        m_titulo = new QLabel(this);
        QFont f = m_titulo->font();
        f.setBold(true);
        f.setPointSize(f.pointSize() + 4);
        m_titulo->setFont(f);
        m_situacao = new QLabel(this);
        l->addWidget(m_legenda);
        l->addWidget(m_titulo);
        l->addWidget(m_situacao);
        if (MotorREP *m = fluxo.motor()) {
            connect(m, &MotorREP::legendaAlterada, m_legenda, &QLabel::setText);
            connect(m, &MotorREP::tituloAlterado, m_titulo, &QLabel::setText);
            connect(m, &MotorREP::situacaoAlterada, m_situacao, &QLabel::setText);
        }
        connect(&fluxo, &FluxoEnviaRecebeEmpresa::concluida, this, &QDialog::accept);
    }

    int exec() override { return m_fluxo.emAndamento() ? QDialog::exec() : QDialog::Accepted; }

    void reject() override
    {
        // Esc does not leave a conversation half-way: the engine ends it.
        if (!m_fluxo.emAndamento())
            QDialog::reject();
    }

private:
    FluxoEnviaRecebeEmpresa &m_fluxo;
    QLabel *m_legenda;
    QLabel *m_titulo;
    QLabel *m_situacao;
};

} // namespace

QColor TfEnviaRecebeEmpresa::corLigada()
{
    return QColor(0, 128, 255);
}

TfEnviaRecebeEmpresa::TfEnviaRecebeEmpresa(const QString &codigocoletor, QWidget *parent)
    : QDialog(parent), m_fluxo(new FluxoEnviaRecebeEmpresa(codigocoletor, this))
{
    setObjectName(QStringLiteral("fEnviaRecebeEmpresa"));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    resize(720, 420);

    auto *l = new QVBoxLayout(this);
    lbTitulo = new QLabel(QStringLiteral("Empresas"), this);
    QFont f = lbTitulo->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 6);
    lbTitulo->setFont(f);
    l->addWidget(lbTitulo);

    barra = new QToolBar(this);
    barra->setToolButtonStyle(Qt::ToolButtonTextOnly);
    actEnviar = barra->addAction(QStringLiteral("&Enviar"));
    actReceber = barra->addAction(QStringLiteral("&Receber"));
    barra->addSeparator();
    actFechar = barra->addAction(QStringLiteral("&Fechar"));
    l->addWidget(barra);

    grade = new QTableView(this);
    m_modelo = new ModeloEmpresas(*m_fluxo, this);
    grade->setModel(m_modelo);
    grade->setItemDelegate(new DelegadoEmpresas(grade));
    grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade->setSelectionMode(QAbstractItemView::SingleSelection);
    grade->verticalHeader()->hide();
    grade->horizontalHeader()->setStretchLastSection(true);
    grade->setColumnWidth(0, 40);
    grade->setColumnWidth(1, 130);
    grade->setColumnWidth(2, 300);
    l->addWidget(grade);

    connect(actEnviar, &QAction::triggered, this, &TfEnviaRecebeEmpresa::Enviar);
    connect(actReceber, &QAction::triggered, this, &TfEnviaRecebeEmpresa::Receber);
    connect(actFechar, &QAction::triggered, this, &QDialog::close);
    connect(m_fluxo, &FluxoEnviaRecebeEmpresa::listaMudou, this, [this] {
        m_modelo->recarrega();
        sincronizaSelecao();
    });
    connect(grade->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &atual) {
                if (atual.isValid())
                    m_fluxo->defineLinhaAtual(atual.row());
            });
}

TfEnviaRecebeEmpresa::~TfEnviaRecebeEmpresa() = default;

void TfEnviaRecebeEmpresa::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!m_aberta) {
        m_aberta = true;
        m_fluxo->abreLista();
    }
}

void TfEnviaRecebeEmpresa::sincronizaSelecao()
{
    const int linha = m_fluxo->linhaAtual();
    if (linha >= 0)
        grade->selectionModel()->setCurrentIndex(
            m_modelo->index(linha, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TfEnviaRecebeEmpresa::Enviar()
{
    executa(m_fluxo->enviar());
}

void TfEnviaRecebeEmpresa::Receber()
{
    executa(m_fluxo->receber());
}

void TfEnviaRecebeEmpresa::executa(bool iniciou)
{
    if (!iniciou)
        return;
    TfConversaEmpresa conversa(*m_fluxo, this);
    conversa.exec();
}

void abreEnviaRecebeEmpresa(QWidget *parent, int idcoletor)
{
    Dataset &c = *dmDados().tbColetor;
    if (c.editando())
        c.cancela();
    if (!c.abre({{QStringLiteral("pidcoletor"), idcoletor}})) {
        erro(c.erro());
        return;
    }
    if (c.vazio()) {
        informa(QStringLiteral("REP não encontrado no cadastro."));
        return;
    }
    TfEnviaRecebeEmpresa w(c.texto(QStringLiteral("codigocoletor")).trimmed(), parent);
    w.exec();
}

} // namespace kelvo
