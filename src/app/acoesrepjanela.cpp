// The device actions put into the main window (buttons, toolbar, REP menu).
#include "app/acoesrep.h"

#include "app/mainwindow.h"

#include <QAction>
#include <QDockWidget>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

namespace kelvo {

// ------------------------------------------------------------- main window

AcoesRep *instalaAcoesRep(TfmMain &janela)
{
    auto *acoes = new AcoesRep(&janela, &janela);
    acoes->setObjectName(QStringLiteral("acoesRep"));
    QObject::connect(acoes, &AcoesRep::listaAlterada, &janela, [&janela] { janela.atualizaLista(); });
    QStyle *estilo = janela.style();

    auto novaAcao = [&janela](const QString &texto, const QString &nome, const QIcon &icone = QIcon()) {
        auto *a = new QAction(icone, texto, &janela);
        a->setObjectName(nome);
        return a;
    };
    // Actions that need a REP run on the selected one; without a selection
    // they are disabled, and a trigger that still arrives does nothing.
    auto comSelecao = [&janela](void (*f)(AcoesRep *, int), AcoesRep *a) {
        return [&janela, f, a] {
            const int id = janela.idColetorSelecionado();
            if (id > 0)
                f(a, id);
        };
    };

    QAction *status = novaAcao(QStringLiteral("Status"), QStringLiteral("actStatus"),
                               estilo->standardIcon(QStyle::SP_MessageBoxInformation));
    QObject::connect(status, &QAction::triggered, acoes,
                     comSelecao([](AcoesRep *a, int id) { a->mostraStatus(id); }, acoes));
    QAction *dataHora = novaAcao(QStringLiteral("Enviar data/hora"), QStringLiteral("actEnviarDataHora"),
                                 estilo->standardIcon(QStyle::SP_BrowserReload));
    QObject::connect(dataHora, &QAction::triggered, acoes,
                     comSelecao([](AcoesRep *a, int id) { a->enviaDataHora(id); }, acoes));
    QAction *excluir = novaAcao(QStringLiteral("Excluir"), QStringLiteral("actExcluir"),
                                estilo->standardIcon(QStyle::SP_TrashIcon));
    QObject::connect(excluir, &QAction::triggered, acoes,
                     comSelecao([](AcoesRep *a, int id) { a->exclui(id); }, acoes));
    const QList<QAction *> precisamRep{excluir, status, dataHora};

    // Toolbar.
    QToolBar *barra = janela.barraFerramentas();
    barra->addAction(excluir);
    barra->addAction(status);
    barra->addAction(dataHora);

    // REP menu: the list's pop-up and the "&Opções" button.
    auto *menuRep = new QMenu(&janela);
    menuRep->setObjectName(QStringLiteral("mnRep"));
    menuRep->addAction(excluir);
    QAction *statusMenu = menuRep->addAction(QStringLiteral("Status do REP"));
    statusMenu->setObjectName(QStringLiteral("actStatusRep"));
    QObject::connect(statusMenu, &QAction::triggered, status, &QAction::trigger);
    menuRep->addAction(dataHora);
    menuRep->addSeparator();
    QMenu *exibir = menuRep->addMenu(QStringLiteral("Exibir"));
    exibir->setObjectName(QStringLiteral("mnExibirRep"));
    // The same actions as in "Configurações > Exibir": one check mark for both.
    for (int modo = 0; modo < 3; ++modo)
        if (QAction *a = janela.acaoVisualizacao(modo))
            exibir->addAction(a);

    auto abreMenuRep = [&janela, menuRep](const QPoint &global) {
        if (janela.idColetorSelecionado() <= 0)
            return; // no REP selected: the menu does not open
        menuRep->popup(global);
    };
    QList<QAbstractItemView *> vistas{janela.lvEquipamentos()};
    if (auto *icones = janela.findChild<QListView *>(QStringLiteral("lvEquipamentosIcones")))
        vistas << icones;
    for (QAbstractItemView *v : vistas) {
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(v, &QWidget::customContextMenuRequested, menuRep,
                         [v, abreMenuRep](const QPoint &p) { abreMenuRep(v->viewport()->mapToGlobal(p)); });
    }

    // Left buttons.
    auto *painel = new QWidget(&janela);
    painel->setObjectName(QStringLiteral("pnBotoes"));
    auto *lp = new QVBoxLayout(painel);
    auto botao = [painel, lp](const QString &texto, const QString &dica, const QString &nome,
                              const QIcon &icone) {
        auto *b = new QPushButton(icone, texto, painel);
        b->setObjectName(nome);
        b->setToolTip(dica);
        b->setMinimumHeight(40);
        lp->addWidget(b);
        return b;
    };
    QPushButton *novo =
        botao(QStringLiteral("Novo &REP"), QStringLiteral("Adiciona equipamento"),
              QStringLiteral("btNovoRep"), estilo->standardIcon(QStyle::SP_FileDialogNewFolder));
    QObject::connect(novo, &QPushButton::clicked, acoes, [acoes] { acoes->novoRep(); });
    QPushButton *autoscan =
        botao(QStringLiteral("&Autoscan"), QStringLiteral("Identificar coletor (apenas comunicação RS232)"),
              QStringLiteral("btAutoscan"), estilo->standardIcon(QStyle::SP_BrowserReload));
    QObject::connect(autoscan, &QPushButton::clicked, acoes, [acoes] { acoes->autoscan(); });
    QPushButton *opcoes =
        botao(QStringLiteral("&Opções"), QStringLiteral("Ativa o menu com as opções do coletor"),
              QStringLiteral("btOpcoes"), estilo->standardIcon(QStyle::SP_FileDialogDetailedView));
    QObject::connect(opcoes, &QPushButton::clicked, menuRep,
                     [&janela, abreMenuRep] { abreMenuRep(janela.pos() + QPoint(100, 100)); });
    lp->addStretch();
    auto *doca = new QDockWidget(&janela);
    doca->setObjectName(QStringLiteral("dkBotoes"));
    doca->setTitleBarWidget(new QWidget(doca));
    doca->setFeatures(QDockWidget::NoDockWidgetFeatures);
    doca->setWidget(painel);
    janela.addDockWidget(Qt::LeftDockWidgetArea, doca);

    // Configurações > &Opções, first in its menu.
    QAction *config = novaAcao(QStringLiteral("&Opções"), QStringLiteral("actOpcoes"));
    QObject::connect(config, &QAction::triggered, acoes, [acoes] { acoes->opcoes(); });
    QMenu *menuConfig = janela.menuConfiguracoes();
    menuConfig->insertAction(menuConfig->actions().value(0), config);

    auto habilita = [precisamRep, opcoes](bool haSelecao) {
        for (QAction *a : precisamRep)
            a->setEnabled(haSelecao);
        opcoes->setEnabled(haSelecao);
    };
    habilita(janela.idColetorSelecionado() > 0);
    QObject::connect(&janela, &TfmMain::selecaoMudou, acoes, habilita);
    return acoes;
}

} // namespace kelvo
