// The device actions in the main window: enabled only with a REP selected, the
// REP menu refusing to open without one, and the two "Exibir" menus in step.
#include "app/acoesrep.h"
#include "app/acoesoperacoes.h"
#include "app/mainwindow.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QAction>
#include <QFileInfo>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

using namespace kelvo;
using namespace kelvo::teste;

class TestJanelaAcoes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void semSelecaoTudoDesabilitado();
    void visualizacaoListaNosDoisMenus();
    void entradasPresentes();

private:
    QAction *acao(const QString &nome) const { return m_janela->findChild<QAction *>(nome); }
    QStringList textos(const QMenu *m) const;

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    std::unique_ptr<TfmMain> m_janela;
};

void TestJanelaAcoes::initTestCase()
{
    KELVO_EXIGE_SERVIDOR();
    m_pasta = std::make_unique<PastaTeste>();
    m_banco = std::make_unique<BancoTeste>();
    const Servidor s = servidor();
    ConfigBanco &c = configBanco();
    c = ConfigBanco();
    c.host = s.host;
    c.porta = s.porta;
    c.database = m_banco->nome();
    c.NomeBanco = m_banco->nome();
    c.usuarioLogin = s.usuario;
    c.senhaLogin = s.senha;
    {
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        TdmCriaBanco cria(c);
        QCOMPARE(cria.CriaBanco(false), ResultadoCriacao::Criado);
    }
    m_dm = std::make_unique<TdmDados>();
    ErroBanco e;
    QVERIFY2(m_dm->conecta(&e), qPrintable(e.texto()));
    QSqlDatabase db = m_banco->conexao(false);
    executa(db,
            "insert into tbcoletor (descricao, codigocoletor, modelocoletor, tipocomunicacao, portaserial) "
            "values ('Portaria', '00004000200012345', 'REP2', 'S', 1), "
            "('Refeitório', '00004000100012345', 'REP', 'T', 0)");
}

void TestJanelaAcoes::cleanupTestCase()
{
    m_janela.reset();
    m_escopo.reset();
    m_dm.reset();
    m_banco.reset();
    m_pasta.reset();
}

void TestJanelaAcoes::init()
{
    m_janela.reset();
    m_gravada = InteracaoGravada();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
}

QStringList TestJanelaAcoes::textos(const QMenu *m) const
{
    QStringList r;
    for (const QAction *a : m->actions())
        if (!a->isSeparator())
            r << a->text();
    return r;
}

void TestJanelaAcoes::semSelecaoTudoDesabilitado()
{
    m_janela = std::make_unique<TfmMain>(m_dm->ConexaoBD());
    m_janela->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_janela.get()));
    QCOMPARE(m_janela->quantidadeEquipamentos(), 2);
    QCOMPARE(m_janela->idColetorSelecionado(), 0);

    auto *opcoes = m_janela->findChild<QPushButton *>("btOpcoes");
    QVERIFY(opcoes);
    const QList<QAction *> barra = m_janela->barraFerramentas()->actions();
    QVERIFY(barra.contains(acao("actStatus")));
    QVERIFY(barra.contains(acao("actEnviarDataHora")));
    QVERIFY(barra.contains(acao("actExcluir")));
    QVERIFY(barra.contains(acao("actEnviarReceberEmpresa")));
    QVERIFY(barra.contains(acao("actColetarAFD")));
    auto todosHabilitados = [&](bool esperado) {
        for (const char *n : {"actStatus", "actEnviarDataHora", "actExcluir", "actEnviarReceberEmpresa",
                              "actColetarAFD", "actDiagnosticoREP2"})
            if (acao(n)->isEnabled() != esperado)
                return false;
        return opcoes->isEnabled() == esperado;
    };
    QVERIFY(todosHabilitados(false));
    QVERIFY(m_janela->findChild<QPushButton *>("btNovoRep")->isEnabled());
    QVERIFY(m_janela->findChild<QPushButton *>("btAutoscan")->isEnabled());

    // The pop-up menu does not open without a REP.
    auto *menuRep = m_janela->findChild<QMenu *>("mnRep");
    QVERIFY(menuRep);
    QTreeView *lista = m_janela->lvEquipamentos();
    Q_EMIT lista->customContextMenuRequested(QPoint(5, 5));
    QVERIFY(!menuRep->isVisible());
    // A trigger that still arrives does nothing (no question asked).
    acao("actExcluir")->setEnabled(true);
    acao("actExcluir")->trigger();
    QVERIFY(m_gravada.mensagens.isEmpty());

    lista->setCurrentIndex(m_janela->modeloEquipamentos()->index(0, 0));
    QVERIFY(m_janela->idColetorSelecionado() > 0);
    QVERIFY(todosHabilitados(true));
    Q_EMIT lista->customContextMenuRequested(QPoint(5, 5));
    QTRY_VERIFY(menuRep->isVisible());
    menuRep->close();

    m_janela->selecao()->clearSelection();
    QVERIFY(todosHabilitados(false));

    // Clicking a REP in the icon look selects it as well.
    m_janela->aplicaVisualizacao(0);
    auto *icones = m_janela->findChild<QListView *>("lvEquipamentosIcones");
    const QModelIndex primeiro = m_janela->modeloEquipamentos()->index(0, 0);
    QTest::mouseClick(icones->viewport(), Qt::LeftButton, {}, icones->visualRect(primeiro).center());
    QVERIFY(m_janela->idColetorSelecionado() > 0);
    QVERIFY(todosHabilitados(true));
}

void TestJanelaAcoes::visualizacaoListaNosDoisMenus()
{
    ArquivoConfig().escreveInteiro("CONFIG", "VISUALIZACAO", 1);
    m_janela = std::make_unique<TfmMain>(m_dm->ConexaoBD());
    m_janela->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_janela.get()));
    QCOMPARE(m_janela->visualizacao(), 1);
    auto *icones = m_janela->findChild<QListView *>("lvEquipamentosIcones");
    QVERIFY(icones);
    QCOMPARE(icones->viewMode(), QListView::ListMode);
    QVERIFY(icones->isVisible());

    auto marcado = [](const QMenu *m) {
        QString t;
        for (const QAction *a : m->actions())
            if (a->isChecked())
                t += a->text();
        return t;
    };
    const QMenu *exibirConfig = m_janela->menuExibir();
    const QMenu *exibirRep = m_janela->findChild<QMenu *>("mnExibirRep");
    QVERIFY(exibirRep);
    QCOMPARE(marcado(exibirConfig), QStringLiteral("Lista"));
    QCOMPARE(marcado(exibirRep), QStringLiteral("Lista"));

    // Picking "Detalhes" in the REP menu stores 2 and moves both marks.
    for (QAction *a : exibirRep->actions())
        if (a->text() == QLatin1String("Detalhes"))
            a->trigger();
    QCOMPARE(ArquivoConfig().leInteiro("CONFIG", "VISUALIZACAO", -1), 2);
    QCOMPARE(marcado(exibirConfig), QStringLiteral("Detalhes"));
    QCOMPARE(marcado(exibirRep), QStringLiteral("Detalhes"));
    QVERIFY(m_janela->lvEquipamentos()->isVisible());
}

void TestJanelaAcoes::entradasPresentes()
{
    m_janela = std::make_unique<TfmMain>(m_dm->ConexaoBD());
    const QMenu *menuRep = m_janela->findChild<QMenu *>("mnRep");
    QCOMPARE(textos(menuRep), (QStringList{"Excluir", "Status do REP", "Enviar data/hora", "Enviar/Receber Empresa",
                                           "Coletar AFD", "Diagnóstico (técnico)", "Exibir"}));
    // Relatórios stands before Ajuda; the manual ships beside the program.
    QStringList menus;
    for (QAction *a : m_janela->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{"Cadastros", "Configurações", "Relatórios", "Ajuda"}));
    auto *relatorios = m_janela->findChild<QMenu *>("mnRelatorios");
    QVERIFY(relatorios);
    QCOMPARE(textos(relatorios), QStringList{"&Reemissão de AFD"});
    QCOMPARE(textos(m_janela->menuAjuda()), (QStringList{"&Manual online", "&Sobre"}));
    QVERIFY(caminhoManual().endsWith(QLatin1String("/manual/index.html")));
    QVERIFY(QFileInfo::exists(QStringLiteral(KELVO_BIN_DIR "/manual/index.html")));
    QCOMPARE(m_janela->menuConfiguracoes()->actions().value(0)->text(), QStringLiteral("&Opções"));
    auto *novo = m_janela->findChild<QPushButton *>("btNovoRep");
    QCOMPARE(novo->text(), QStringLiteral("Novo &REP"));
    QCOMPARE(novo->toolTip(), QStringLiteral("Adiciona equipamento"));
    QCOMPARE(m_janela->findChild<QPushButton *>("btAutoscan")->toolTip(),
             QStringLiteral("Identificar coletor (apenas comunicação RS232)"));
    QCOMPARE(m_janela->findChild<QPushButton *>("btOpcoes")->toolTip(),
             QStringLiteral("Ativa o menu com as opções do coletor"));
}

QTEST_MAIN(TestJanelaAcoes)
#include "test_janelaacoes.moc"
