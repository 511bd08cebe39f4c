// First-run connection test, first-run dialogue, login and the first look of
// the main window, against the real test server.

#include "app/conectaeloga.h"
#include "app/configinicial.h"
#include "app/inicio.h"
#include "app/mainwindow.h"
#include "data/arquivoini.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTcpServer>
#include <QTest>
#include <QTreeView>

using namespace kelvo;
using teste::servidor;

namespace {
const QString kUsuario = QStringLiteral("ADMINISTRADOR");
const QString kSenha = QStringLiteral("BRAVELUX");

DadosConfigInicial dadosMySQL(const QString &banco, const QString &senha = kSenha, int porta = 0)
{
    DadosConfigInicial d;
    d.host = servidor().host;
    d.banco = banco;
    d.dialeto = Dialeto::MySQL;
    d.porta = QString::number(porta ? porta : servidor().porta);
    d.usuario = servidor().usuario;
    d.senha = senha;
    return d;
}

// A port on loopback where nothing listens.
int portaFechada()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const int p = s.serverPort();
    s.close();
    return p;
}

// Settings of an installation whose first run is done (MySQL).
void gravaIni(const QString &banco, bool mascarado = false, const QString &senhaMascarada = kSenha)
{
    ArquivoIni &ini = ArquivoConfig();
    ini.escreveTexto("BDADOS", "HostName", servidor().host);
    ini.escreveTexto("BDADOS", "Database", banco);
    ini.escreveInteiro("BDADOS", "PORTA", servidor().porta);
    ini.escreveInteiro("BANCO", "qualbanco", 0);
    ini.escreveBooleano("BANCO", "mascarado", mascarado);
    ini.escreveTexto("BANCO", "User", codificaBase64(servidor().usuario));
    ini.escreveTexto("BANCO", "Senha", codificaBase64(senhaMascarada));
}

// Creates the program's database `banco` without questions.
bool criaBancoPrograma(const QString &banco)
{
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    DadosConfigInicial d = dadosMySQL(banco);
    aplicaConfigInicial(d);
    TdmCriaBanco cb(configBanco());
    const bool ok = cb.CriaBanco(false) == ResultadoCriacao::Criado;
    if (!ok)
        qWarning("creation failed: %s | %s", qPrintable(cb.ultimoErro()), qPrintable(g.textos().join(" / ")));
    return ok;
}

// Login answers from a list; counts the showings.
struct Respostas
{
    QList<QPair<QString, QString>> contas;
    int mostrado = 0;
    PedeLogin pede()
    {
        return [this](QString &l, QString &s) {
            ++mostrado;
            if (contas.isEmpty())
                return false;
            const auto c = contas.takeFirst();
            l = c.first;
            s = c.second;
            return true;
        };
    }
};

QString arquivoBruto(const QString &caminho)
{
    QFile f(caminho);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}
} // namespace

class TestConexao : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void testaConexaoInicial_data();
    void testaConexaoInicial();
    void testaConexaoInicialBancoInexistente_data();
    void testaConexaoInicialBancoInexistente();
    void primeiraExecucaoGravaESegundaPula();
    void loginQuartaTentativa_data();
    void loginQuartaTentativa();
    void loginQuatroFalhasEncerram_data();
    void loginQuatroFalhasEncerram();
    void loginCancelado_data();
    void loginCancelado();
    void loginSqlServerLeConexaoAdo();
    void loginComAspasEBarras();
    void loginSemSecaoBanco();
    void loginCriaBancoInexistente_data();
    void loginCriaBancoInexistente();
    void janelaPrincipalLista();
};

void TestConexao::init()
{
    KELVO_EXIGE_SERVIDOR();
}

void TestConexao::testaConexaoInicial_data()
{
    QTest::addColumn<QString>("senha");
    QTest::addColumn<bool>("mascarado");
    QTest::addColumn<bool>("servidorFechado");
    QTest::addColumn<bool>("conecta");
    QTest::addColumn<QString>("mensagem"); // start of the one message
    QTest::addColumn<int>("icone");
    QTest::newRow("conta boa") << kSenha << false << false << true << "" << 0;
    QTest::newRow("conta boa mascarada") << kSenha << true << false << true << "" << 0;
    QTest::newRow("senha errada") << "errada" << false << false << false
                                  << "Usuário sem permissão de acesso ao servidor !!!"
                                  << int(Icone::Informacao);
    QTest::newRow("senha errada mascarada")
        << "errada" << true << false << false << "Usuário mascarado sem permissão de acesso ao servidor !!!"
        << int(Icone::Informacao);
    QTest::newRow("servidor inacessivel")
        << kSenha << false << true << false << "Erro na Conexão ao banco de dados: " << int(Icone::Nenhum);
}

void TestConexao::testaConexaoInicial()
{
    QFETCH(QString, senha);
    QFETCH(bool, mascarado);
    QFETCH(bool, servidorFechado);
    QFETCH(bool, conecta);
    QFETCH(QString, mensagem);
    QFETCH(int, icone);
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    QVERIFY(banco.conexao().isOpen()); // the database exists (empty)
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;

    DadosConfigInicial d = dadosMySQL(banco.nome(), senha, servidorFechado ? portaFechada() : 0);
    d.mascarado = mascarado;
    aplicaConfigInicial(d);
    bool encerrar = true;
    QCOMPARE(TestaConexaoInicial(dm, &encerrar), conecta);
    QVERIFY(!encerrar);
    QCOMPARE(dm.conectado(), conecta);
    if (mensagem.isEmpty()) {
        QVERIFY2(g.mensagens.isEmpty(), qPrintable(g.textos().join(" / ")));
    } else {
        QCOMPARE(g.mensagens.size(), 1);
        QVERIFY2(g.mensagens[0].texto.startsWith(mensagem), qPrintable(g.mensagens[0].texto));
        QCOMPARE(int(g.mensagens[0].icone), icone);
        QCOMPARE(g.mensagens[0].titulo, QString("Aviso"));
        if (servidorFechado) {
            // The client's number (2002 or 2003 by client library), its text, its state.
            static const QRegularExpression forma("^Erro na Conexão ao banco de dados: 200[23]\r\rMensagem "
                                                  "\\.{13}: .+\r\rStatusCode \\.{11}: .*$");
            QVERIFY2(forma.match(g.mensagens[0].texto).hasMatch(), qPrintable(g.mensagens[0].texto));
        }
    }
    dm.desconecta();
}

void TestConexao::testaConexaoInicialBancoInexistente_data()
{
    QTest::addColumn<bool>("resposta");
    QTest::newRow("Sim cria") << true;
    QTest::newRow("Não encerra") << false;
}

void TestConexao::testaConexaoInicialBancoInexistente()
{
    QFETCH(bool, resposta);
    teste::PastaTeste pasta;
    teste::BancoTeste banco; // not created
    InteracaoGravada g;
    g.respostas << resposta;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;

    aplicaConfigInicial(dadosMySQL(banco.nome()));
    bool encerrar = false;
    QCOMPARE(TestaConexaoInicial(dm, &encerrar), resposta);
    QCOMPARE(encerrar, !resposta);
    QVERIFY(!g.mensagens.isEmpty());
    QVERIFY(g.mensagens[0].pergunta);
    QVERIFY(g.mensagens[0].texto.startsWith("Banco de dados não encontrado. Deseja criar novo banco?"));
    QSqlDatabase db = banco.conexao(false);
    if (resposta) {
        QCOMPARE(g.ultima(), QString("Banco de dados criado!"));
        QVERIFY(db.isOpen());
        QCOMPARE(
            teste::valor(db, "select nomeusuario from tbusuario where login = 'ADMINISTRADOR'").toString(),
            QString("ADMINISTRADOR"));
    } else {
        QCOMPARE(g.ultima(),
                 QString("O sistema será finalizado, pois é obrigatório ter um banco de dados disponível!"));
        QVERIFY(!db.isOpen()); // nothing was created
    }
    dm.desconecta();
}

void TestConexao::primeiraExecucaoGravaESegundaPula()
{
    teste::PastaTeste pasta;
    teste::BancoTeste banco; // missing: the first run creates it
    InteracaoGravada g;
    g.respostas << true;
    InteracaoNoEscopo escopo(&g);

    QString iniAposPrimeiraExecucao;
    {
        TdmDados dm;
        JanelasInicio j;
        int configs = 0;
        j.pedeConfig = [&](DadosConfigInicial &d) {
            ++configs;
            d = dadosMySQL(banco.nome());
            return true;
        };
        Respostas r;
        r.contas << qMakePair(kUsuario, kSenha);
        j.pedeLogin = [&](QString &l, QString &s) {
            iniAposPrimeiraExecucao = arquivoBruto(pasta.arquivo("sistema.INI"));
            return r.pede()(l, s);
        };
        auto janela = iniciaSistema(dm, j);
        QVERIFY2(janela, qPrintable(g.textos().join(" / ")));
        QCOMPARE(configs, 1);
        QCOMPARE(r.mostrado, 1);
        QVERIFY(dm.conectado());
        QCOMPARE(dm.loginAtual(), kUsuario);
        QCOMPARE(g.ultima(), QString("Banco de dados criado!"));
        janela.reset();
        dm.desconecta();
    }

    // What the first run wrote, as the file holds it.
    const QString &txt = iniAposPrimeiraExecucao;
    QVERIFY2(
        txt.contains(QRegularExpression("^hostname *= *" + QRegularExpression::escape(servidor().host) + "$",
                                        QRegularExpression::MultilineOption)),
        qPrintable(txt));
    QVERIFY(txt.contains(
        QRegularExpression("^database *= *" + banco.nome() + "$", QRegularExpression::MultilineOption)));
    QVERIFY(txt.contains(QRegularExpression("^vgidunidade *= *1$", QRegularExpression::MultilineOption)));
    QVERIFY(txt.contains(QRegularExpression("^qualbanco *= *0$", QRegularExpression::MultilineOption)));
    QVERIFY(txt.contains(QRegularExpression("^mascarado *= *0$", QRegularExpression::MultilineOption)));
    QVERIFY(txt.contains(
        QRegularExpression("^User *= *" + QRegularExpression::escape(codificaBase64(kUsuario)) + "$",
                           QRegularExpression::MultilineOption)));
    QVERIFY(txt.contains(
        QRegularExpression("^Senha *= *" + QRegularExpression::escape(codificaBase64(kSenha)) + "$",
                           QRegularExpression::MultilineOption)));
    QVERIFY(!txt.contains(kSenha));
    QVERIFY(!txt.contains(kUsuario));
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leInteiro("BDADOS", "PORTA", 0), servidor().porta);
    QCOMPARE(ini.leTexto("BDADOS", "HostName"), servidor().host);

    // A second start goes straight to the login.
    g.limpa();
    TdmDados dm;
    JanelasInicio j;
    int configs = 0;
    j.pedeConfig = [&](DadosConfigInicial &) {
        ++configs;
        return false;
    };
    Respostas r;
    r.contas << qMakePair(kUsuario, kSenha);
    j.pedeLogin = r.pede();
    auto janela = iniciaSistema(dm, j);
    QVERIFY2(janela, qPrintable(g.textos().join(" / ")));
    QCOMPARE(configs, 0);
    QCOMPARE(r.mostrado, 1);
    QVERIFY2(g.mensagens.isEmpty(), qPrintable(g.textos().join(" / ")));
    QCOMPARE(configBanco().porta, servidor().porta);
    dm.desconecta();
}

void TestConexao::loginQuartaTentativa_data()
{
    QTest::addColumn<bool>("mascarado");
    QTest::addColumn<QString>("mensagemFalha");
    // Unmasked, the typed account is the server account: the server refuses it.
    QTest::newRow("direto") << false << "Usuário sem permissão de acesso ao servidor !!!";
    // Masked, the server account is right and tbusuario does not know the user.
    QTest::newRow("mascarado") << true << "Usuário ou Senha Não Identificados, Verifique !!!";
}

void TestConexao::loginQuartaTentativa()
{
    QFETCH(bool, mascarado);
    QFETCH(QString, mensagemFalha);
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    QVERIFY(criaBancoPrograma(banco.nome()));
    gravaIni(banco.nome(), mascarado);
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    r.contas << qMakePair(kUsuario, QString("x1")) << qMakePair(kUsuario, QString("x2"))
             << qMakePair(kUsuario, QString("x3")) << qMakePair(kUsuario, kSenha);
    QVERIFY(ConectaELoga(dm, r.pede()));
    QCOMPARE(r.mostrado, 4);
    QCOMPARE(g.textos(), QStringList({mensagemFalha, mensagemFalha, mensagemFalha}));
    QVERIFY(dm.conectado());
    QCOMPARE(dm.loginAtual(), kUsuario);
    QVERIFY(dm.tbUsuario->ativo());
    QCOMPARE(dm.tbUsuario->valor("nomeusuario").toString(), kUsuario);
    dm.desconecta();
}

void TestConexao::loginQuatroFalhasEncerram_data()
{
    QTest::addColumn<bool>("mascarado");
    QTest::addColumn<QString>("senhaMascarada");
    QTest::addColumn<QString>("mensagemFalha");
    QTest::newRow("direto") << false << kSenha << "Usuário sem permissão de acesso ao servidor !!!";
    QTest::newRow("mascarado") << true << kSenha << "Usuário ou Senha Não Identificados, Verifique !!!";
    // A wrong server account in BANCO fails every attempt whatever is typed.
    QTest::newRow("conta mascarada errada") << true << "errada"
                                            << "Usuário mascarado sem permissão de acesso ao servidor !!!";
}

void TestConexao::loginQuatroFalhasEncerram()
{
    QFETCH(bool, mascarado);
    QFETCH(QString, senhaMascarada);
    QFETCH(QString, mensagemFalha);
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    QVERIFY(criaBancoPrograma(banco.nome()));
    gravaIni(banco.nome(), mascarado, senhaMascarada);
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    const QString senhaLogin = senhaMascarada == kSenha ? QString("errada") : kSenha;
    for (int i = 0; i < 5; ++i)
        r.contas << qMakePair(kUsuario, senhaLogin);
    QVERIFY(!ConectaELoga(dm, r.pede()));
    QCOMPARE(r.mostrado, 4);
    QCOMPARE(g.textos(), QStringList({mensagemFalha, mensagemFalha, mensagemFalha, mensagemFalha,
                                      "Sistema Abortado, Usuário sem permissão de Acesso !!!"}));
    QCOMPARE(g.mensagens.last().icone, Icone::Informacao);
    QVERIFY(!dm.conectado());
    QVERIFY(dm.loginAtual().isEmpty());
}

void TestConexao::loginCancelado_data()
{
    QTest::addColumn<int>("dialeto");
    QTest::newRow("MySQL") << 0;
    QTest::newRow("SQL Server") << 1;
}

void TestConexao::loginCancelado()
{
    QFETCH(int, dialeto);
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    gravaIni(banco.nome());
    ArquivoConfig().escreveInteiro("BANCO", "qualbanco", dialeto);
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r; // no answers: the window is cancelled
    QVERIFY(!ConectaELoga(dm, r.pede()));
    QCOMPARE(r.mostrado, 1);
    QCOMPARE(g.textos(), QStringList({"Sistema Abortado, Usuário sem permissão de Acesso !!!"}));
    QVERIFY(!dm.conectado());
}

void TestConexao::loginSqlServerLeConexaoAdo()
{
    teste::PastaTeste pasta;
    gravaIni("ignorado");
    const QString ado = QString("Provider=SQLNCLI.1;Persist Security Info=True;Initial Catalog=kelvo_sql;"
                                "Data Source=127.0.0.1,%1;adLockOptimistic")
                            .arg(portaFechada());
    ArquivoConfig().escreveInteiro("BANCO", "qualbanco", 1);
    ArquivoConfig().escreveTexto("BDADOS", "Database", ado);
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    r.contas << qMakePair(kUsuario, kSenha); // one attempt, then the window is cancelled
    QVERIFY(!ConectaELoga(dm, r.pede()));
    QCOMPARE(r.mostrado, 2);
    QCOMPARE(configBanco().dialeto, Dialeto::SQLServer);
    QCOMPARE(configBanco().database, ado);
    QCOMPARE(configBanco().NomeBanco, QString("kelvo_sql"));
    QCOMPARE(configBanco().SufixoNolock, QString("with (nolock)"));
    // No server there: the general message, then the end.
    QCOMPARE(g.mensagens.size(), 2);
    QVERIFY2(g.mensagens[0].texto.startsWith("Erro na Conexão ao banco de dados: "),
             qPrintable(g.mensagens[0].texto));
    QCOMPARE(g.mensagens[1].texto, QString("Sistema Abortado, Usuário sem permissão de Acesso !!!"));
    // SQL Server settings are not written back by the login.
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leTexto("BDADOS", "Database"), ado);
}

void TestConexao::loginComAspasEBarras()
{
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    QVERIFY(criaBancoPrograma(banco.nome()));
    // Masked: the typed texts only meet tbusuario, never the server account.
    gravaIni(banco.nome(), true);
    const QString login = QStringLiteral("o'b\"r\\ien");
    const QString senha = QStringLiteral("p'; --\\");
    {
        QSqlDatabase db = banco.conexao(false);
        QSqlQuery q(db);
        q.prepare("insert into tbusuario (login, senha, nomeusuario) values (:l, SHA1(:s), 'Aspas')");
        q.bindValue(":l", login);
        q.bindValue(":s", senha);
        QVERIFY(q.exec());
    }
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    // Texts that would open the door if spliced into the statement.
    r.contas << qMakePair(QString("x' or '1'='1"), QString("x' or '1'='1"))
             << qMakePair(QString("ADMINISTRADOR' -- "), QString("nada"))
             << qMakePair(QString("ADMINISTRADOR\\"), kSenha) << qMakePair(login, senha);
    QVERIFY2(ConectaELoga(dm, r.pede()), qPrintable(g.textos().join(" / ")));
    QCOMPARE(r.mostrado, 4);
    const QString naoIdentificado = "Usuário ou Senha Não Identificados, Verifique !!!";
    QCOMPARE(g.textos(), QStringList({naoIdentificado, naoIdentificado, naoIdentificado}));
    QCOMPARE(dm.loginAtual(), login);
    QCOMPARE(dm.tbUsuario->valor("nomeusuario").toString(), QString("Aspas"));
    dm.desconecta();
}

void TestConexao::loginSemSecaoBanco()
{
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    QVERIFY(criaBancoPrograma(banco.nome()));
    configBanco() = ConfigBanco();
    {
        QFile f(pasta.arquivo("sistema.INI"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("[BDADOS]\nHostName=%1\nDatabase=%2\nPORTA=%3\n")
                    .arg(servidor().host, banco.nome())
                    .arg(servidor().porta)
                    .toUtf8());
    }
    ArquivoConfig().recarrega();
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    r.contas << qMakePair(kUsuario, kSenha);
    QVERIFY2(ConectaELoga(dm, r.pede()), qPrintable(g.textos().join(" / ")));
    QCOMPARE(configBanco().dialeto, Dialeto::MySQL);
    QVERIFY(!configBanco().mascarado);
    QCOMPARE(configBanco().NomeBanco, banco.nome());
    QVERIFY(configBanco().SufixoNolock.isEmpty());
    QVERIFY(g.mensagens.isEmpty());
    // The MySQL login writes the values in use back.
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leTexto("BDADOS", "HostName"), servidor().host);
    QCOMPARE(ini.leTexto("BDADOS", "Database"), banco.nome());
    QVERIFY(!ini.existe("BANCO", "qualbanco"));
    dm.desconecta();
}

void TestConexao::loginCriaBancoInexistente_data()
{
    QTest::addColumn<bool>("resposta");
    QTest::newRow("Sim") << true;
    QTest::newRow("Não") << false;
}

void TestConexao::loginCriaBancoInexistente()
{
    QFETCH(bool, resposta);
    teste::PastaTeste pasta;
    teste::BancoTeste banco; // missing
    gravaIni(banco.nome());
    InteracaoGravada g;
    g.respostas << resposta;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    r.contas << qMakePair(kUsuario, kSenha) << qMakePair(kUsuario, kSenha);
    QCOMPARE(ConectaELoga(dm, r.pede()), resposta);
    QVERIFY(g.mensagens.size() >= 2);
    QVERIFY(g.mensagens[0].pergunta);
    if (resposta) {
        // The next attempt opens the new database.
        QCOMPARE(r.mostrado, 2);
        QCOMPARE(g.ultima(), QString("Banco de dados criado!"));
        QVERIFY(dm.conectado());
        QCOMPARE(dm.NomeBanco(), banco.nome());
    } else {
        // The creation's own message ends it; nothing else is asked or said.
        QCOMPARE(r.mostrado, 1);
        QCOMPARE(g.ultima(),
                 QString("O sistema será finalizado, pois é obrigatório ter um banco de dados disponível!"));
        QVERIFY(!dm.conectado());
    }
    dm.desconecta();
}

void TestConexao::janelaPrincipalLista()
{
    teste::PastaTeste pasta;
    teste::BancoTeste banco;
    QVERIFY(criaBancoPrograma(banco.nome()));
    gravaIni(banco.nome());
    QSqlDatabase db = banco.conexao(false);
    teste::executa(db,
                   "insert into tbcoletor (descricao, codigocoletor, modelocoletor) values "
                   "('Recepção', '00004000110000123', 'REP'), ('Almoxarifado', '00004000110000777', 'REP2')");
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TdmDados dm;
    Respostas r;
    r.contas << qMakePair(kUsuario, kSenha);
    QVERIFY(ConectaELoga(dm, r.pede()));

    TfmMain janela(dm.ConexaoBD());
    QCOMPARE(janela.windowTitle(), QString("Configurador Horatrix - Kelvo"));
    janela.show();
    QVERIFY(QTest::qWaitForWindowExposed(&janela));
    QStandardItemModel *m = janela.modeloEquipamentos();
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("Descrição "));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("Nº REP"));
    QCOMPARE(janela.lvEquipamentos()->columnWidth(0), 400);
    QCOMPARE(janela.lvEquipamentos()->columnWidth(1), 150);
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(m->item(0, 0)->text(), QString("Almoxarifado"));
    QCOMPARE(m->item(0, 1)->text(), QString("00004000110000777"));
    QCOMPARE(m->item(1, 0)->text(), QString("Recepção"));
    const int idRecepcao =
        teste::valor(db, "select idcoletor from tbcoletor where descricao = 'Recepção'").toInt();
    QCOMPARE(m->item(1, 0)->data(TfmMain::kPapelIdColetor).toInt(), idRecepcao);

    QCOMPARE(janela.idColetorSelecionado(), 0);
    janela.selecao()->select(m->index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCOMPARE(janela.idColetorSelecionado(), idRecepcao);

    // Closing asks; "Não" keeps the window.
    g.respostas << false << true;
    QVERIFY(!janela.close());
    QVERIFY(janela.isVisible());
    QCOMPARE(g.ultima(), QString("Deseja realmente sair do sistema? "));
    QVERIFY(g.mensagens.last().pergunta);
    QVERIFY(janela.close());
    QVERIFY(!janela.isVisible());
    dm.desconecta();
}

QTEST_MAIN(TestConexao)
#include "test_conexao.moc"
