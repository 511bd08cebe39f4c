#include "app/acoesoperacoes.h"
#include "app/mainwindow.h"

#include "app/acoesrep.h"
#include "app/splash.h"
#include "data/interacao.h"
#include "data/sistema.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QSqlError>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>

namespace kelvo {

namespace {
// The picture of a REP in the list: a terminal with a small clock face.
QIcon iconeRep()
{
    QIcon icone;
    for (int lado : {16, 32, 48}) {
        QPixmap p(lado, lado);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        const qreal u = lado / 16.0;
        g.setPen(QPen(QColor(0x06, 0x2a, 0x4d), u));
        g.setBrush(QColor(0x0b, 0x4f, 0x8a));
        g.drawRoundedRect(QRectF(1.5 * u, 0.5 * u, 13 * u, 15 * u), 2 * u, 2 * u);
        g.setBrush(QColor(0xcf, 0xe2, 0xf3));
        g.drawRect(QRectF(3.5 * u, 2.5 * u, 9 * u, 4 * u));
        g.setPen(QPen(QColor(0xff, 0xc1, 0x07), u));
        g.setBrush(Qt::NoBrush);
        const QPointF c(8 * u, 11 * u);
        g.drawEllipse(c, 3 * u, 3 * u);
        g.drawLine(c, c + QPointF(0, -2 * u));
        g.drawLine(c, c + QPointF(1.5 * u, 0));
        g.end();
        icone.addPixmap(p);
    }
    return icone;
}
} // namespace

TfmMain::TfmMain(const QSqlDatabase &conexao, QWidget *parent) : QMainWindow(parent), m_conexao(conexao)
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("Configurador Horatrix - Kelvo"));
    resize(800, 520);
    if (QScreen *tela = QGuiApplication::primaryScreen())
        move(tela->availableGeometry().center() - QPoint(400, 260));

    m_modelo = new QStandardItemModel(0, 2, this);
    m_modelo->setHorizontalHeaderLabels({QStringLiteral("Descrição "), QStringLiteral("Nº REP")});

    // One model, two looks: the details list and the icon/list form; both
    // share the selection.
    m_detalhes = new QTreeView(this);
    m_detalhes->setObjectName(QStringLiteral("lvEquipamentos"));
    m_detalhes->setModel(m_modelo);
    m_detalhes->setRootIsDecorated(false);
    m_detalhes->setUniformRowHeights(true);
    m_detalhes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_detalhes->setSelectionMode(QAbstractItemView::SingleSelection);
    m_detalhes->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_detalhes->setToolTip(QStringLiteral("Equipamentos cadastrados"));
    m_detalhes->header()->setStretchLastSection(false);
    m_detalhes->setColumnWidth(0, 400);
    m_detalhes->setColumnWidth(1, 150);

    m_icones = new QListView(this);
    m_icones->setObjectName(QStringLiteral("lvEquipamentosIcones"));
    m_icones->setModel(m_modelo);
    m_icones->setSelectionModel(m_detalhes->selectionModel());
    m_icones->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_icones->setSelectionMode(QAbstractItemView::SingleSelection);
    m_icones->setToolTip(QStringLiteral("Equipamentos cadastrados"));
    m_icones->setViewMode(QListView::IconMode);
    m_icones->setResizeMode(QListView::Adjust);
    m_icones->setIconSize(QSize(48, 48));
    m_icones->setMovement(QListView::Static);

    m_vistas = new QStackedWidget(this);
    m_vistas->addWidget(m_detalhes);
    m_vistas->addWidget(m_icones);
    setCentralWidget(m_vistas);

    connect(m_detalhes->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Q_EMIT selecaoMudou(idColetorSelecionado() != 0); });

    criaMenus();
    instalaAcoesRep(*this); // device actions: buttons, toolbar, REP menu
    instalaAcoesOperacoes(*this); // collection, employer, re-issue, manual
    aplicaVisualizacao(2);
}

void TfmMain::criaMenus()
{
    m_menuCadastros = menuBar()->addMenu(QStringLiteral("Cadastros"));
    m_menuCadastros->setObjectName(QStringLiteral("mnCadastros"));
    QAction *sair = m_menuCadastros->addAction(QStringLiteral("Sai&r"));
    sair->setObjectName(QStringLiteral("actSair"));
    connect(sair, &QAction::triggered, this, &QWidget::close);

    m_menuConfiguracoes = menuBar()->addMenu(QStringLiteral("Configurações"));
    m_menuConfiguracoes->setObjectName(QStringLiteral("mnConfiguracoes"));
    m_menuExibir = m_menuConfiguracoes->addMenu(QStringLiteral("Exibir"));
    m_menuExibir->setObjectName(QStringLiteral("mnExibir"));
    auto *grupo = new QActionGroup(this);
    const QStringList nomes{QStringLiteral("Ícones grandes"), QStringLiteral("Lista"),
                            QStringLiteral("Detalhes")};
    for (int modo = 0; modo < nomes.size(); ++modo) {
        QAction *a = m_menuExibir->addAction(nomes[modo]);
        a->setCheckable(true);
        grupo->addAction(a);
        connect(a, &QAction::triggered, this, [this, modo] { escolheVisualizacao(modo); });
        m_acoesVisualizacao << a;
    }

    m_menuAjuda = menuBar()->addMenu(QStringLiteral("Ajuda"));
    m_menuAjuda->setObjectName(QStringLiteral("mnAjuda"));
    QAction *sobre = m_menuAjuda->addAction(QStringLiteral("&Sobre"));
    sobre->setObjectName(QStringLiteral("actSobre"));
    connect(sobre, &QAction::triggered, this, [this] { TFmSplash::mostraSobre(this); });

    m_barra = addToolBar(QStringLiteral("Equipamento"));
    m_barra->setObjectName(QStringLiteral("tbEquipamento"));
    m_barra->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_barra->setMovable(false);
}

QAction *TfmMain::acaoVisualizacao(int modo) const
{
    return modo >= 0 && modo < m_acoesVisualizacao.size() ? m_acoesVisualizacao[modo] : nullptr;
}

void TfmMain::aplicaVisualizacao(int modo)
{
    switch (modo) {
    case 0:
        m_icones->setViewMode(QListView::IconMode);
        m_icones->setFlow(QListView::LeftToRight);
        m_icones->setWrapping(true);
        m_icones->setIconSize(QSize(48, 48));
        m_icones->setGridSize(QSize(140, 84));
        m_icones->setWordWrap(true);
        m_vistas->setCurrentWidget(m_icones);
        break;
    case 1:
        m_icones->setViewMode(QListView::ListMode);
        m_icones->setFlow(QListView::TopToBottom);
        m_icones->setWrapping(true);
        m_icones->setIconSize(QSize(16, 16));
        m_icones->setGridSize(QSize());
        m_vistas->setCurrentWidget(m_icones);
        break;
    case 2:
        m_vistas->setCurrentWidget(m_detalhes);
        break;
    default:
        return; // any other stored value keeps the current look
    }
    m_modo = modo;
    if (QAction *a = acaoVisualizacao(modo))
        a->setChecked(true);
}

void TfmMain::escolheVisualizacao(int modo)
{
    aplicaVisualizacao(modo);
    ArquivoConfig().escreveInteiro(QStringLiteral("CONFIG"), QStringLiteral("VISUALIZACAO"), modo);
}

bool TfmMain::atualizaLista()
{
    m_modelo->removeRows(0, m_modelo->rowCount());
    QSqlQuery q(m_conexao);
    q.setForwardOnly(true);
    const QString sufixo =
        configBanco().SufixoNolock.isEmpty() ? QString() : configBanco().SufixoNolock + QLatin1Char(' ');
    if (!q.exec(QStringLiteral("select * from tbcoletor ") + sufixo + QStringLiteral("order by descricao"))) {
        erro(q.lastError().text());
        return false;
    }
    static const QIcon icone = iconeRep();
    while (q.next()) {
        // Fixed-width columns come back padded; the list shows the text.
        const int id = q.value(QStringLiteral("idcoletor")).toInt();
        auto *descricao = new QStandardItem(icone, q.value(QStringLiteral("descricao")).toString().trimmed());
        descricao->setData(id, kPapelIdColetor);
        auto *numero = new QStandardItem(q.value(QStringLiteral("codigocoletor")).toString().trimmed());
        numero->setData(id, kPapelIdColetor);
        m_modelo->appendRow({descricao, numero});
    }
    Q_EMIT selecaoMudou(idColetorSelecionado() != 0);
    return true;
}

int TfmMain::idColetorSelecionado() const
{
    // The icon and list looks select a single cell, the details look a whole row.
    const QModelIndexList linhas = m_detalhes->selectionModel()->selectedIndexes();
    if (linhas.isEmpty())
        return 0;
    return linhas.first().data(kPapelIdColetor).toInt();
}

int TfmMain::quantidadeEquipamentos() const
{
    return m_modelo->rowCount();
}

QItemSelectionModel *TfmMain::selecao() const
{
    return m_detalhes->selectionModel();
}

bool TfmMain::confirmaSaida()
{
    return pergunta(QStringLiteral("Deseja realmente sair do sistema? "));
}

void TfmMain::trazParaFrente()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    // A modal window open over the main one (a device exchange, a register)
    // is what the user needs to see.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void TfmMain::closeEvent(QCloseEvent *event)
{
    if (confirmaSaida())
        event->accept();
    else
        event->ignore();
}

void TfmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_primeiraExibicao) {
        m_primeiraExibicao = false;
        atualizaLista();
        aplicaVisualizacao(
            ArquivoConfig().leInteiro(QStringLiteral("CONFIG"), QStringLiteral("VISUALIZACAO"), 0));
        m_barra->setVisible(!m_barra->actions().isEmpty());
    }
}

} // namespace kelvo
