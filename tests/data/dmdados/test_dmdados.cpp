// The data module against a real MariaDB server: the main connection and its
// errors, UltimoCodigo, the single-record datasets (bound values, states,
// server keys, refusals), the device delete rule, the system log and the
// append-only tables.

#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/regrascolaborador.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QSqlQuery>
#include <QTcpServer>
#include <QTest>
#include <memory>

using namespace kelvo;
using namespace kelvo::teste;

namespace {

// The tables the module's datasets open, in the layout the program creates.
const char *const kTabelas[] = {
    "create table tbcoletor (idcoletor integer not null auto_increment primary key, descricao char(50), "
    "senha "
    "char(4), ultimacoleta datetime, dadosultimacoleta char(30), cpfcnpj varchar(14), codigocoletor "
    "varchar(20), "
    "idempresa integer, portaserial integer, modelocoletor varchar(10), tipocomunicacao varchar(1), ip "
    "varchar(20), "
    "url varchar(200), portaip integer, urldinamica varchar(1))",
    "create table tbdepto (iddepto integer not null auto_increment primary key, nomedepto varchar(50), "
    "codigoexporta varchar(20))",
    "create table tbusuario (login varchar(20) not null primary key, senha varchar(41) not null, nomeusuario "
    "varchar(45) not null)",
    "create table tbmemoriarep (idrep varchar(17) not null, mrp varchar(8) not null, conteudo text, "
    "dthcoleta "
    "datetime not null, afdconvertido char(1), primary key (idrep, mrp))",
    "create table tblogsistema (idevento integer not null auto_increment primary key, datahora datetime, "
    "idpermisso integer, formulario varchar(100), mensagem varchar(256))",
    "create table tbpermisso (IDPERMISSO integer not null auto_increment primary key, login char(20), senha "
    "char(20), usuario char(50), m1 char(1), m2 char(1), m3 char(1), m4 char(1), m5 char(1), m6 char(1), m7 "
    "char(1))",
    "create table tblogcoleta (idlogcoleta integer not null auto_increment primary key, datahorainicio "
    "datetime, "
    "datahorafim datetime, idcoletor integer, sucesso enum('S','N'), filtro datetime)",
    "create table tbbackupafd (IdBackupAFD integer not null auto_increment primary key, datahora datetime "
    "not null, "
    "IdPermisso integer not null, idrep varchar(20), Arquivo longblob not null)",
    "create table tbimportacolab (PosNome integer, PosMatricula integer, PosPIS integer, PosIButton integer, "
    "QtdNome integer, QtdMatricula integer, QtdPIS integer, QtdIbutton integer)",
    "create table tbcolabrep (pis varchar(12) not null, codigocoletor varchar(20) not null default ' ', "
    "primary key "
    "(pis, codigocoletor))",
    "create table tbempresa (idempresa integer not null auto_increment primary key, razaosocial "
    "varchar(150), "
    "tipopessoafj enum('F','J'), cpfcnpj varchar(14), cei varchar(12), localtrabalho varchar(100), "
    "codigoempresa "
    "varchar(20)) engine=InnoDB default charset=latin1",
    "create table tbcolaborador (idcolaborador integer not null auto_increment primary key, matricula "
    "char(20), "
    "codigo char(6), nome char(50), pis varchar(12), idempresa integer, iddepto integer, demitido char(1), "
    "proximidade varchar(8), ibutton12 varchar(12))",
    "create table tbdigital (idcolaborador integer not null, dedo integer not null, digital text, primary "
    "key "
    "(idcolaborador, dedo))",
};

// An 11-digit PIS with its check digit, from 10 digits.
QString pisValido(const QString &base10)
{
    static const int pesos[10] = {3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    int soma = 0;
    for (int i = 0; i < 10; ++i)
        soma += (base10.at(i).unicode() - '0') * pesos[i];
    int r = 11 - soma % 11;
    if (r >= 10)
        r = 0;
    return base10 + QString::number(r);
}

int fechadaPorta()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    const int p = s.serverPort();
    s.close();
    return p;
}

} // namespace

class TesteDmDados : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void conectaEChamaAposConectar();
    void localhostPorTcp();
    void errosDeConexao_data();
    void errosDeConexao();
    void ultimoCodigo();
    void idaEVoltaComAspasEBarras();
    void coletorComTodosOsTipos();
    void camposObrigatorios_data();
    void camposObrigatorios();
    void valorLongoECortado();
    void regraAntesDeGravarRecusa();
    void regrasDaEmpresaInstaladas();
    void chaveAntigaNulaCombina();
    void chaveCompostaEAlteracaoDaChave();
    void registroSumidoNaoFingeSucesso();
    void exclusaoDoColetorLevaAMemoria();
    void exclusaoDoColetorFalhaParaTudo();
    void registraLogSistema();
    void registraLogSemTbpermisso();
    void logColetaEBackupSemCarregarTabela();
    void usuarioESenha();
    void consultasDeLocalizacao();
    void procedimentosComParametros();
    void sessaoDerrubadaPeloServidor();
    void colaboradorRegrasDeGravacao_data();
    void colaboradorRegrasDeGravacao();
    void colaboradorPisCurtoEAlteracao();
    void colaboradorMarcaSuspendeRegras();
    void colaboradorExclusao_data();
    void colaboradorExclusao();

private:
    void configuraBanco(const QString &banco);
    int conta(const QString &sql) { return valor(m_banco->conexao(false), sql).toInt(); }

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    int m_aposConectar = 0;
};

void TesteDmDados::configuraBanco(const QString &banco)
{
    const Servidor s = servidor();
    ConfigBanco &c = configBanco();
    c = ConfigBanco();
    c.host = s.host;
    c.porta = s.porta;
    c.database = banco;
    c.NomeBanco = banco;
    c.dialeto = Dialeto::MySQL;
    c.usuarioLogin = s.usuario;
    c.senhaLogin = s.senha;
}

void TesteDmDados::initTestCase()
{
    KELVO_EXIGE_SERVIDOR();
    m_pasta = std::make_unique<PastaTeste>();
    m_banco = std::make_unique<BancoTeste>();
    QSqlDatabase db = m_banco->conexao();
    QVERIFY(db.isOpen());
    for (const char *t : kTabelas)
        executa(db, QString::fromLatin1(t));
}

void TesteDmDados::init()
{
    m_gravada.mensagens.clear();
    m_gravada.respostas.clear();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
    QSqlDatabase db = m_banco->conexao(false);
    for (const char *t :
         {"tbcoletor", "tbdepto", "tbusuario", "tbmemoriarep", "tblogsistema", "tbpermisso", "tblogcoleta",
          "tbbackupafd", "tbimportacolab", "tbcolabrep", "tbempresa", "tbcolaborador", "tbdigital"})
        executa(db, QStringLiteral("truncate table %1").arg(QLatin1String(t)));
    configuraBanco(m_banco->nome());
    m_dm = std::make_unique<TdmDados>();
    m_aposConectar = 0;
    m_dm->aposConectar = [this] { ++m_aposConectar; };
    ErroBanco e;
    QVERIFY2(m_dm->conecta(&e), qPrintable(e.texto()));
}

void TesteDmDados::cleanup()
{
    m_dm.reset();
    m_escopo.reset();
}

void TesteDmDados::cleanupTestCase()
{
    m_dm.reset();
    m_banco.reset();
    m_pasta.reset();
}

void TesteDmDados::conectaEChamaAposConectar()
{
    QVERIFY(m_dm->conectado());
    QCOMPARE(m_aposConectar, 1);
    QCOMPARE(dmDados().ConexaoBD().databaseName(), m_banco->nome());
    // A server-level connection (no database) does not run the upgrade.
    configBanco().database.clear();
    QVERIFY(m_dm->conecta());
    QCOMPARE(m_aposConectar, 1);
    // Scripts of several statements run in one call.
    QVERIFY(m_dm->executa(QStringLiteral("set @a = 1; set @b = 2")));
    QCOMPARE(m_dm->valor(QStringLiteral("select @a + @b")).toInt(), 3);
    // Statements commit one by one with read committed.
    QSqlQuery q(m_dm->ConexaoBD());
    QVERIFY(q.exec(QStringLiteral("select @@tx_isolation")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("READ-COMMITTED"));
}

void TesteDmDados::localhostPorTcp()
{
    // The test server listens on 127.0.0.1 only and has its socket in a
    // private folder: "localhost" can only reach it over TCP.
    if (servidor().host != QLatin1String("127.0.0.1") && servidor().host != QLatin1String("localhost"))
        QSKIP("the test server is not on this machine");
    configBanco().host = QStringLiteral("localhost");
    ErroBanco e;
    QVERIFY2(m_dm->conecta(&e), qPrintable(e.texto()));
    QCOMPARE(m_dm->ConexaoBD().hostName(), QStringLiteral("127.0.0.1"));
}

void TesteDmDados::errosDeConexao_data()
{
    QTest::addColumn<QString>("caso");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<qlonglong>("codigo");
    QTest::newRow("senha errada") << "senha" << int(ErroBanco::Tipo::LoginRecusado) << 1045LL;
    QTest::newRow("conta mascarada errada") << "mascarada" << int(ErroBanco::Tipo::LoginRecusado) << 1045LL;
    QTest::newRow("banco desconhecido") << "banco" << int(ErroBanco::Tipo::BancoInexistente) << 1049LL;
    QTest::newRow("porta fechada") << "porta" << int(ErroBanco::Tipo::Outro) << 0LL;
}

void TesteDmDados::errosDeConexao()
{
    QFETCH(QString, caso);
    QFETCH(int, tipo);
    QFETCH(qlonglong, codigo);
    ConfigBanco &c = configBanco();
    if (caso == QLatin1String("senha")) {
        c.senhaLogin = QStringLiteral("nao-e-esta");
    } else if (caso == QLatin1String("mascarada")) {
        c.mascarado = true;
        c.usuarioMascarado = servidor().usuario;
        c.senhaMascarada = QStringLiteral("errada");
    } else if (caso == QLatin1String("banco")) {
        c.database = QStringLiteral("kelvo_nao_existe_%1").arg(QCoreApplication::applicationPid());
    } else {
        c.host = QStringLiteral("127.0.0.1");
        c.porta = fechadaPorta();
    }
    ErroBanco e;
    QVERIFY(!m_dm->conecta(&e));
    QVERIFY(!m_dm->conectado());
    QCOMPARE(int(e.tipo), tipo);
    if (codigo)
        QCOMPARE(e.codigo, codigo);
    else
        QVERIFY(e.codigo != 1045 && e.codigo != 1049);
    QVERIFY(!e.mensagem.isEmpty());
    QCOMPARE(m_dm->ultimoErroConexao().codigo, e.codigo);
    QVERIFY(e.mensagemConexao().startsWith(QStringLiteral("Erro na Conexão ao banco de dados: ")));
    QCOMPARE(m_aposConectar, 1); // only the good connect of init()
    // The datasets report the closed connection instead of crashing.
    QVERIFY(!m_dm->tbDepto->abre({{QStringLiteral("piddepto"), 1}}));
    QVERIFY(!m_dm->tbDepto->erro().isEmpty());
    QVERIFY(!m_dm->RegistraLogSistema(QStringLiteral("x"), QStringLiteral("y")));
}

void TesteDmDados::ultimoCodigo()
{
    QCOMPARE(m_dm->UltimoCodigo(QStringLiteral("idempresa"), QStringLiteral("tbempresa")), 0);
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral(
                    "insert into tbempresa (idempresa, razaosocial) values (7, 'a'), (41, 'b'), (3, 'c')"));
    QCOMPARE(m_dm->UltimoCodigo(QStringLiteral("idempresa"), QStringLiteral("tbempresa")), 41);
    // Table names are written in lower case, as created.
    QCOMPARE(m_dm->UltimoCodigo(QStringLiteral("IdBackupAFD"), QStringLiteral("TbBackupAFD")), 0);
}

void TesteDmDados::idaEVoltaComAspasEBarras()
{
    const QString nome = QStringLiteral("O'Brien \"x\" \\ \\n ; -- ção");
    Dataset *ds = m_dm->tbDepto;
    QVERIFY(ds->abre({{QStringLiteral("piddepto"), 0}}));
    QVERIFY(ds->vazio());
    QVERIFY(ds->insere());
    QCOMPARE(ds->estado(), Dataset::Estado::Inserindo);
    QVERIFY(ds->defineValor(QStringLiteral("nomedepto"), nome));
    QVERIFY(ds->defineValor(QStringLiteral("codigoexporta"), QStringLiteral("'; drop table x;--")));
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QCOMPARE(ds->estado(), Dataset::Estado::Navegando);
    const int id = ds->inteiro(QStringLiteral("iddepto"));
    QVERIFY(id > 0);
    QCOMPARE(id, conta(QStringLiteral("select max(iddepto) from tbdepto")));

    QVERIFY(ds->abre({{QStringLiteral("piddepto"), id}}));
    QCOMPARE(ds->registros(), 1);
    QCOMPARE(ds->texto(QStringLiteral("nomedepto")), nome);
    QCOMPARE(ds->texto(QStringLiteral("codigoexporta")), QStringLiteral("'; drop table x;--"));

    QVERIFY(ds->edita());
    QCOMPARE(ds->estado(), Dataset::Estado::Editando);
    QVERIFY(ds->defineValor(QStringLiteral("nomedepto"), QStringLiteral("Depto \\'2'")));
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QVERIFY(ds->reabre());
    QCOMPARE(ds->texto(QStringLiteral("nomedepto")), QStringLiteral("Depto \\'2'"));

    // Cancel restores the values the row had.
    QVERIFY(ds->edita());
    ds->defineValor(QStringLiteral("nomedepto"), QStringLiteral("descartado"));
    ds->cancela();
    QCOMPARE(ds->texto(QStringLiteral("nomedepto")), QStringLiteral("Depto \\'2'"));

    QVERIFY2(ds->exclui(), qPrintable(ds->erro()));
    QVERIFY(ds->vazio());
    QCOMPARE(conta(QStringLiteral("select count(*) from tbdepto")), 0);
}

void TesteDmDados::coletorComTodosOsTipos()
{
    Dataset *ds = m_dm->tbColetor;
    QVERIFY(ds->abre({{QStringLiteral("pidcoletor"), 0}}));
    QVERIFY(ds->insere());
    const QDateTime quando(QDate(2026, 3, 4), QTime(5, 6, 7));
    ds->defineValor(QStringLiteral("descricao"), QStringLiteral("Portaria"));
    ds->defineValor(QStringLiteral("codigocoletor"), QStringLiteral("00004000010000123"));
    ds->defineValor(QStringLiteral("ultimacoleta"), quando);
    ds->defineValor(QStringLiteral("portaserial"), 3);
    ds->defineValor(QStringLiteral("modelocoletor"), QStringLiteral("REP2"));
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    const int id = ds->inteiro(QStringLiteral("idcoletor"));
    QVERIFY(ds->abre({{QStringLiteral("pidcoletor"), id}}));
    QCOMPARE(ds->valor(QStringLiteral("ultimacoleta")).toDateTime(), quando);
    QCOMPARE(m_dm->portaSerialColetor(), 3);
    QVERIFY(ds->nulo(QStringLiteral("ip")));
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcoletor where ip is null and portaip is null")), 1);
}

void TesteDmDados::camposObrigatorios_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("parametro");
    QTest::addColumn<QStringList>("preenche"); // field=value
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("tabela");
    QTest::newRow("depto sem nome") << "tbDepto"
                                    << "piddepto" << QStringList{"codigoexporta=X1"}
                                    << "O campo 'nomedepto' precisa ser preenchido!"
                                    << "tbdepto";
    QTest::newRow("coletor: primeiro campo vazio na ordem")
        << "tbColetor"
        << "pidcoletor" << QStringList{} << "O campo 'descricao' precisa ser preenchido!"
        << "tbcoletor";
    QTest::newRow("coletor sem codigo") << "tbColetor"
                                        << "pidcoletor" << QStringList{"descricao=Recepção"}
                                        << "O campo 'codigocoletor' precisa ser preenchido!"
                                        << "tbcoletor";
    QTest::newRow("usuario: rotulo Login")
        << "tbUsuario"
        << "plogin" << QStringList{"nomeusuario=Ana"} << "O campo 'Login' precisa ser preenchido!"
        << "tbusuario";
    QTest::newRow("usuario: rotulo do nome") << "tbUsuario"
                                             << "plogin" << QStringList{"login=ana", "nomeusuario="}
                                             << "O campo 'Nome do usuário' precisa ser preenchido!"
                                             << "tbusuario";
}

void TesteDmDados::camposObrigatorios()
{
    QFETCH(QString, dataset);
    QFETCH(QString, parametro);
    QFETCH(QStringList, preenche);
    QFETCH(QString, mensagem);
    QFETCH(QString, tabela);
    Dataset *ds = m_dm->dataset(dataset);
    QVERIFY(ds);
    QVERIFY(ds->abre({{parametro, QStringLiteral("0")}}));
    QVERIFY(ds->insere());
    for (const QString &p : preenche)
        QVERIFY(ds->defineValor(p.section(QLatin1Char('='), 0, 0), p.section(QLatin1Char('='), 1)));
    QVERIFY(!ds->grava());
    QCOMPARE(ds->estado(), Dataset::Estado::Inserindo);
    QVERIFY(ds->erro().isEmpty()); // a refusal, not a database error
    QCOMPARE(m_gravada.mensagens.size(), 1);
    QCOMPARE(m_gravada.mensagens.first().texto, mensagem);
    QCOMPARE(m_gravada.mensagens.first().icone, Icone::Aviso);
    QCOMPARE(m_gravada.mensagens.first().titulo, QStringLiteral("Aviso"));
    QCOMPARE(conta(QStringLiteral("select count(*) from ") + tabela), 0);
    // The values typed so far are still there to correct.
    for (const QString &p : preenche)
        QCOMPARE(ds->texto(p.section(QLatin1Char('='), 0, 0)), p.section(QLatin1Char('='), 1));
}

void TesteDmDados::valorLongoECortado()
{
    Dataset *ds = m_dm->tbDepto;
    QVERIFY(ds->abre({{QStringLiteral("piddepto"), 0}}));
    QVERIFY(ds->insere());
    bool cortado = false;
    QVERIFY(ds->defineValor(QStringLiteral("nomedepto"), QString(60, QLatin1Char('a')), &cortado));
    QVERIFY(cortado);
    QCOMPARE(ds->texto(QStringLiteral("nomedepto")).size(), 50);
    QVERIFY(ds->defineValor(QStringLiteral("codigoexporta"), QString(20, QLatin1Char('b')), &cortado));
    QVERIFY(!cortado);
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QCOMPARE(conta(QStringLiteral("select length(nomedepto) from tbdepto")), 50);
    // Not a number for an integer field: refused, value unchanged.
    QVERIFY(ds->edita());
    QVERIFY(!ds->defineValor(QStringLiteral("iddepto"), QStringLiteral("abc")));
    QVERIFY(!ds->defineValor(QStringLiteral("naoexiste"), 1));
    ds->cancela();
    QVERIFY(!ds->defineValor(QStringLiteral("nomedepto"), QStringLiteral("fora da edição")));
}

void TesteDmDados::regraAntesDeGravarRecusa()
{
    Dataset *ds = m_dm->tbEmpresa; // no rule of its own yet: a window plugs it in
    int chamadas = 0;
    ds->antesGravar = [&](Dataset &d) {
        ++chamadas;
        return d.texto(QStringLiteral("cpfcnpj")) != QLatin1String("0");
    };
    QVERIFY(ds->abre({{QStringLiteral("pidempresa"), 0}}));
    QVERIFY(ds->insere());
    ds->defineValor(QStringLiteral("razaosocial"), QStringLiteral("Empresa Ltda"));
    ds->defineValor(QStringLiteral("cpfcnpj"), QStringLiteral("0"));
    QVERIFY(!ds->grava());
    QCOMPARE(ds->estado(), Dataset::Estado::Inserindo);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbempresa")), 0);
    ds->defineValor(QStringLiteral("cpfcnpj"), QStringLiteral("11222333000181"));
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QCOMPARE(chamadas, 2);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbempresa where razaosocial = 'Empresa Ltda'")), 1);

    // A refusing before-delete hook keeps the row.
    ds->antesExcluir = [](Dataset &) { return false; };
    QVERIFY(!ds->exclui());
    QCOMPARE(conta(QStringLiteral("select count(*) from tbempresa")), 1);
    QCOMPARE(ds->registros(), 1);
}

void TesteDmDados::regrasDaEmpresaInstaladas()
{
    Dataset *ds = m_dm->tbEmpresa;
    QVERIFY(ds->abre({{QStringLiteral("pidempresa"), 0}}));
    QVERIFY(ds->insere());
    ds->defineValor(QStringLiteral("razaosocial"), QStringLiteral("Empresa"));
    ds->defineValor(QStringLiteral("cpfcnpj"), QStringLiteral("11222333000180"));
    QVERIFY(!ds->grava());
    QCOMPARE(m_gravada.ultima(), QStringLiteral("CPF/CNPJ inválido!"));
    QCOMPARE(ds->estado(), Dataset::Estado::Inserindo);
    ds->defineValor(QStringLiteral("cpfcnpj"), QStringLiteral("11222333000181"));
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QVERIFY(ds->ultimaGravacaoFoiInsercao());
    const int id = conta(QStringLiteral("select idempresa from tbempresa"));
    QCOMPARE(ds->inteiro(QStringLiteral("idempresa")), id);
    QCOMPARE(ds->parametro(QStringLiteral("pidempresa")).toInt(), id); // re-opened on the new key
}

void TesteDmDados::chaveAntigaNulaCombina()
{
    // The import layout has no key: its old values find the row, nulls included.
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("insert into tbimportacolab (PosNome, QtdNome) values (5, null)"));
    Dataset *ds = m_dm->TbImportaColab;
    QVERIFY(ds->abre());
    QCOMPARE(ds->registros(), 1);
    QVERIFY(ds->nulo(QStringLiteral("QtdNome")));
    QVERIFY(ds->edita());
    ds->defineValor(QStringLiteral("QtdNome"), 40);
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QCOMPARE(conta(QStringLiteral("select QtdNome from tbimportacolab where PosNome = 5")), 40);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbimportacolab")), 1);
    // A new layout row starts with every field at 1.
    executa(db, QStringLiteral("truncate table tbimportacolab"));
    QVERIFY(ds->abre());
    QVERIFY(ds->insere());
    for (const Campo &c : ds->campos())
        QCOMPARE(ds->inteiro(c.nome), 1);
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QCOMPARE(conta(QStringLiteral("select PosNome + QtdIbutton from tbimportacolab")), 2);

    // A collection-log row with null fields is updated through its dataset.
    const int id = m_dm->insereLogColeta(QDateTime::currentDateTime(), 9);
    QVERIFY(id > 0);
    QVERIFY(m_dm->TbLogColeta->abre({{QStringLiteral("pidlogcoleta"), id}}));
    QVERIFY(m_dm->TbLogColeta->edita());
    m_dm->TbLogColeta->defineValor(QStringLiteral("sucesso"), QStringLiteral("S"));
    QVERIFY2(m_dm->TbLogColeta->grava(), qPrintable(m_dm->TbLogColeta->erro()));
    QCOMPARE(valor(db, QStringLiteral("select sucesso from tblogcoleta")).toString(), QStringLiteral("S"));
}

void TesteDmDados::chaveCompostaEAlteracaoDaChave()
{
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral(
                    "insert into tbcolabrep values ('012345678901', 'REPA'), ('012345678901', 'REPB')"));
    Dataset *ds = m_dm->tbColabREP;
    QVERIFY(ds->abre({{QStringLiteral("ppis"), QStringLiteral("012345678901")},
                      {QStringLiteral("pcodigocoletor"), QStringLiteral("REPA")}}));
    QCOMPARE(ds->registros(), 1);
    QVERIFY(ds->edita());
    ds->defineValor(QStringLiteral("codigocoletor"), QStringLiteral("REPC"));
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolabrep where codigocoletor = 'REPC'")), 1);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolabrep where codigocoletor = 'REPB'")), 1);
    // Delete right after the change uses the saved key.
    QVERIFY2(ds->exclui(), qPrintable(ds->erro()));
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolabrep")), 1);

    // A login renamed through tbUsuario.
    executa(db, QStringLiteral("insert into tbusuario values ('ana', 'x', 'Ana')"));
    QVERIFY(m_dm->tbUsuario->abre({{QStringLiteral("plogin"), QStringLiteral("ana")}}));
    QVERIFY(m_dm->tbUsuario->edita());
    m_dm->tbUsuario->defineValor(QStringLiteral("login"), QStringLiteral("ana.souza"));
    QVERIFY2(m_dm->tbUsuario->grava(), qPrintable(m_dm->tbUsuario->erro()));
    QCOMPARE(valor(db, QStringLiteral("select login from tbusuario")).toString(),
             QStringLiteral("ana.souza"));
    // A duplicate key is a database error: still inserting, message kept.
    QVERIFY(m_dm->tbUsuario->insere());
    m_dm->tbUsuario->defineValor(QStringLiteral("login"), QStringLiteral("ana.souza"));
    m_dm->tbUsuario->defineValor(QStringLiteral("nomeusuario"), QStringLiteral("Outra"));
    m_dm->tbUsuario->defineValor(QStringLiteral("senha"), QStringLiteral("y"));
    QVERIFY(!m_dm->tbUsuario->grava());
    QCOMPARE(m_dm->tbUsuario->estado(), Dataset::Estado::Inserindo);
    QVERIFY(!m_dm->tbUsuario->erro().isEmpty());
    QCOMPARE(m_dm->tbUsuario->erroBanco().codigo, 1062LL);
}

void TesteDmDados::registroSumidoNaoFingeSucesso()
{
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("insert into tbdepto (nomedepto) values ('Vendas')"));
    const int id = conta(QStringLiteral("select iddepto from tbdepto"));
    Dataset *ds = m_dm->tbDepto;
    QVERIFY(ds->abre({{QStringLiteral("piddepto"), id}}));
    QVERIFY(ds->edita());
    // Saving the same values is a success (the row matched).
    QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    QVERIFY(ds->edita());
    ds->defineValor(QStringLiteral("nomedepto"), QStringLiteral("Compras"));
    executa(db, QStringLiteral("delete from tbdepto")); // another workstation
    QVERIFY(!ds->grava());
    QVERIFY(!ds->erro().isEmpty());
    QCOMPARE(ds->estado(), Dataset::Estado::Editando);
}

void TesteDmDados::exclusaoDoColetorLevaAMemoria()
{
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("insert into tbcoletor (idcoletor, descricao, codigocoletor) values (1, 'A', "
                               "'00004000010000001'), (2, 'B', '00004000010000002')"));
    executa(db, QStringLiteral("insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta) values "
                               "('00004000010000001', '00000000', 'x', now()),"
                               "('00004000010000001', '00000200', 'y', now()),"
                               "('00004000010000002', '00000000', 'z', now())"));
    Dataset *ds = m_dm->tbColetor;
    QVERIFY(ds->abre({{QStringLiteral("pidcoletor"), 1}}));
    QVERIFY2(ds->exclui(), qPrintable(ds->erro()));
    QCOMPARE(conta(QStringLiteral("select count(*) from tbmemoriarep where idrep = '00004000010000001'")), 0);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbmemoriarep where idrep = '00004000010000002'")), 1);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcoletor")), 1);
    QCOMPARE(conta(QStringLiteral("select idcoletor from tbcoletor")), 2);
}

void TesteDmDados::exclusaoDoColetorFalhaParaTudo()
{
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral(
                    "insert into tbcoletor (idcoletor, descricao, codigocoletor) values (1, 'A', 'R1')"));
    Dataset *ds = m_dm->tbColetor;
    QVERIFY(ds->abre({{QStringLiteral("pidcoletor"), 1}}));
    executa(db, QStringLiteral("rename table tbmemoriarep to tbmemoriarep_fora"));
    const bool ok = ds->exclui();
    executa(db, QStringLiteral("rename table tbmemoriarep_fora to tbmemoriarep"));
    QVERIFY(!ok);
    QVERIFY2(ds->erro().contains(QStringLiteral("tbmemoriarep")), qPrintable(ds->erro()));
    QCOMPARE(ds->erroBanco().codigo, 1146LL);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcoletor")), 1);
    QCOMPARE(ds->registros(), 1);
}

void TesteDmDados::registraLogSistema()
{
    QSqlDatabase db = m_banco->conexao(false);
    QVERIFY(m_dm->RegistraLogSistema(QStringLiteral("Cadastro de Empresas"),
                                     QStringLiteral("Abertura do formulário")));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("select idpermisso, formulario, mensagem, datahora from tblogsistema")) &&
            q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QCOMPARE(q.value(1).toString(), QStringLiteral("Cadastro de Empresas"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("Abertura do formulário"));
    QVERIFY(qAbs(q.value(3).toDateTime().secsTo(QDateTime::currentDateTime())) < 3600);

    executa(db, QStringLiteral(
                    "insert into tbpermisso (IDPERMISSO, login, senha, usuario) values (1, 'OUTRO', 'x', "
                    "'x'), (17, 'ADMINISTRADOR', 'BRAVELUX', 'ADMINISTRADOR')"));
    m_dm->defineLoginAtual(QStringLiteral("ADMINISTRADOR"));
    const QString longa = QString(300, QLatin1Char('m'));
    QVERIFY(m_dm->RegistraLogSistema(QStringLiteral("Usuários"), longa));
    QCOMPARE(conta(QStringLiteral("select idpermisso from tblogsistema where formulario = 'Usuários'")), 17);
    QCOMPARE(conta(QStringLiteral("select length(mensagem) from tblogsistema where formulario = 'Usuários'")),
             256);
    // A login that tbpermisso does not know logs as 0.
    m_dm->defineLoginAtual(QStringLiteral("novo.usuario"));
    QVERIFY(m_dm->RegistraLogSistema(QStringLiteral("F"), QStringLiteral("O'quote \\ x")));
    QCOMPARE(conta(QStringLiteral("select idpermisso from tblogsistema where formulario = 'F'")), 0);
    QCOMPARE(valor(db, QStringLiteral("select mensagem from tblogsistema where formulario = 'F'")).toString(),
             QStringLiteral("O'quote \\ x"));
    QVERIFY(m_gravada.mensagens.isEmpty());
}

void TesteDmDados::registraLogSemTbpermisso()
{
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("rename table tbpermisso to tbpermisso_fora"));
    m_dm->defineLoginAtual(QStringLiteral("ADMINISTRADOR"));
    const bool ok = m_dm->RegistraLogSistema(QStringLiteral("Principal"), QStringLiteral("Entrada"));
    executa(db, QStringLiteral("rename table tbpermisso_fora to tbpermisso"));
    QVERIFY(ok);
    QCOMPARE(conta(QStringLiteral("select count(*) from tblogsistema where idpermisso = 0")), 1);
}

void TesteDmDados::logColetaEBackupSemCarregarTabela()
{
    QSqlDatabase db = m_banco->conexao(false);
    ErroBanco e;
    const QDateTime inicio(QDate(2026, 1, 2), QTime(8, 0, 0));
    const int a = m_dm->insereLogColeta(inicio, 5, QStringLiteral("N"), QVariant(), QVariant(), &e);
    QVERIFY2(a > 0, qPrintable(e.texto()));
    // Another workstation appends meanwhile: our key is still ours.
    executa(db, QStringLiteral(
                    "insert into tblogcoleta (datahorainicio, idcoletor, sucesso) values (now(), 6, 'N')"));
    QVERIFY(
        m_dm->atualizaLogColeta(a, QStringLiteral("S"), QDateTime(QDate(2026, 1, 2), QTime(8, 5, 0)), &e));
    QCOMPARE(
        valor(db, QStringLiteral("select sucesso from tblogcoleta where idlogcoleta = %1").arg(a)).toString(),
        QStringLiteral("S"));
    QCOMPARE(conta(QStringLiteral("select idcoletor from tblogcoleta where idlogcoleta = %1").arg(a)), 5);
    QCOMPARE(valor(db, QStringLiteral("select sucesso from tblogcoleta where idcoletor = 6")).toString(),
             QStringLiteral("N"));
    QVERIFY(!m_dm->atualizaLogColeta(999999, QStringLiteral("S"), QVariant(), &e));
    QVERIFY(!e.ok());

    QByteArray arquivo("0000000011...\r\n");
    arquivo.append('\0').append("\xE7\xE3o\\'\"", 6); // any byte, stored verbatim
    const int b = m_dm->insereBackupAFD(QDateTime::currentDateTime(), 0, arquivo,
                                        QStringLiteral("00004000010000001"), &e);
    QVERIFY2(b > 0, qPrintable(e.texto()));
    executa(db,
            QStringLiteral("insert into tbbackupafd (datahora, IdPermisso, Arquivo) values (now(), 0, 'x')"));
    const int c = m_dm->insereBackupAFD(QDateTime::currentDateTime(), 0, "segundo", QStringLiteral("R2"), &e);
    QCOMPARE(c, b + 2);
    QVERIFY(m_dm->TbBackupAFD->abre({{QStringLiteral("pidbackupafd"), b}}));
    QCOMPARE(m_dm->TbBackupAFD->valor(QStringLiteral("Arquivo")).toByteArray(), arquivo);
    QCOMPARE(m_dm->TbBackupAFD->texto(QStringLiteral("idrep")), QStringLiteral("00004000010000001"));
    // The datasets of these tables never read the whole table.
    QVERIFY(m_dm->TbLogColeta->sql().contains(QStringLiteral(":pidlogcoleta")));
    QVERIFY(m_dm->TbBackupAFD->sql().contains(QStringLiteral(":pidbackupafd")));
}

void TesteDmDados::usuarioESenha()
{
    const QString hash = m_dm->CriptografaSenha(QStringLiteral("BRAVELUX"));
    QCOMPARE(hash.size(), 40);
    QSqlDatabase db = m_banco->conexao(false);
    QCOMPARE(hash, valor(db, QStringLiteral("select SHA1('BRAVELUX')")).toString());
    executa(db, QStringLiteral(
                    "insert into tbusuario values ('ADMINISTRADOR', SHA1('BRAVELUX'), 'ADMINISTRADOR')"));
    QVERIFY(m_dm->VerificaUsuario(QStringLiteral("ADMINISTRADOR"), QStringLiteral("BRAVELUX")));
    ErroBanco e;
    QVERIFY(!m_dm->VerificaUsuario(QStringLiteral("ADMINISTRADOR"), QStringLiteral("bravelux"), &e));
    QVERIFY(e.ok());
    QVERIFY(!m_dm->VerificaUsuario(QStringLiteral("' or '1'='1"), QStringLiteral("' or '1'='1")));
}

void TesteDmDados::consultasDeLocalizacao()
{
    QSqlDatabase db = m_banco->conexao(false);
    executa(db,
            QStringLiteral(
                "insert into tbcolaborador (idcolaborador, matricula, codigo, nome, pis, demitido) values "
                "(1, 'M1', '000123', 'Ana', '012345678901', 'N'),"
                "(2, 'M2', '000123', 'Bia', '012345678902', 'N'),"
                "(3, 'M3', '000123', 'Cid', '012345678903', 'S')"));
    executa(db, QStringLiteral("insert into tbdigital values (1, 2, 'T2'), (1, 0, 'T0'), (2, 1, 'T1')"));
    executa(db,
            QStringLiteral("insert into tbempresa (razaosocial, cpfcnpj) values ('E', '11222333000181')"));
    Dataset *q = m_dm->qyLocalizaColaboradorCodigo;
    QVERIFY(q->abre({{QStringLiteral("pcodigo"), QStringLiteral("000123")},
                     {QStringLiteral("ppis"), QStringLiteral("012345678901")}}));
    QCOMPARE(q->registros(), 1);
    QCOMPARE(q->inteiro(QStringLiteral("idcolaborador")), 2);
    QVERIFY(m_dm->qyDigitais->abre({{QStringLiteral("pidcolaborador"), 1}}));
    QCOMPARE(m_dm->qyDigitais->registros(), 2);
    QCOMPARE(m_dm->qyDigitais->inteiro(QStringLiteral("dedo")), 0);
    QVERIFY(m_dm->qyDigitais->proximo());
    QCOMPARE(m_dm->qyDigitais->texto(QStringLiteral("digital")), QStringLiteral("T2"));
    QVERIFY(!m_dm->qyDigitais->proximo());
    QVERIFY(m_dm->qyDigitais->fim());
    QVERIFY(m_dm->qyLocalizaDigitais->abre(
        {{QStringLiteral("pidcolaborador"), 2}, {QStringLiteral("pdigital"), QStringLiteral("T1")}}));
    QCOMPARE(m_dm->qyLocalizaDigitais->inteiro(QStringLiteral("dedo")), 1);
    // The module's own statements lost the SQL Server hint at creation.
    QCOMPARE(m_dm->qyListaEmpresas->sql().contains(QStringLiteral("nolock"), Qt::CaseInsensitive), false);
    QVERIFY2(m_dm->qyListaEmpresas->abre(), qPrintable(m_dm->qyListaEmpresas->erro()));
    QCOMPARE(m_dm->qyListaEmpresas->texto(QStringLiteral("cpfcnpj")), QStringLiteral("11222333000181"));
    // A one-off statement through qySQL: fields come from the result.
    m_dm->qySQL->defineSql(
        QStringLiteral("select nome, pis from tbcolaborador where demitido = :pd order by nome"));
    QVERIFY(m_dm->qySQL->abre({{QStringLiteral("pd"), QStringLiteral("N")}}));
    QCOMPARE(m_dm->qySQL->nomesCampos(), (QStringList{"nome", "pis"}));
    QCOMPARE(m_dm->qySQL->registros(), 2);
    QVERIFY(!m_dm->qySQL->edita()); // read-only
    // Employee edit remembers PIS and card; insert forgets them and starts active.
    QVERIFY(m_dm->tbColaborador->abre({{QStringLiteral("pidcolaborador"), 1}}));
    QVERIFY(m_dm->tbColaborador->edita());
    QCOMPARE(m_dm->pisAnterior, QStringLiteral("012345678901"));
    m_dm->tbColaborador->cancela();
    QVERIFY(m_dm->tbColaborador->insere());
    QVERIFY(m_dm->pisAnterior.isEmpty());
    QCOMPARE(m_dm->tbColaborador->texto(QStringLiteral("demitido")), QStringLiteral("N"));
    m_dm->tbColaborador->cancela();
    QCOMPARE(m_dm->tbColaborador->registros(), 1);
}

void TesteDmDados::procedimentosComParametros()
{
    // Stored routines run with bound values through the module, one after the
    // other, and the connection stays usable (no pending results left behind).
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("drop procedure if exists spteste"));
    executa(db, QStringLiteral("create procedure spteste(Pidrep char(17), Pconteudo varchar(2048)) begin "
                               "insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta) values (Pidrep, "
                               "lpad(char_length(Pconteudo), 8, '0'), Pconteudo, now()); end"));
    ErroBanco e;
    QVERIFY2(m_dm->executa(QStringLiteral("call spteste(:pidrep, :pconteudo)"),
                           {{QStringLiteral("pidrep"), QStringLiteral("R1")},
                            {QStringLiteral("pconteudo"), QStringLiteral("a'b")}},
                           &e),
             qPrintable(e.texto()));
    QVERIFY2(m_dm->executa(QStringLiteral("call spteste(:pidrep, :pconteudo)"),
                           {{QStringLiteral("pidrep"), QStringLiteral("R1")},
                            {QStringLiteral("pconteudo"), QStringLiteral("\\x\r\n")}},
                           &e),
             qPrintable(e.texto()));
    QVERIFY(m_dm->tbMemoriaREP->abre({{QStringLiteral("pidrep"), QStringLiteral("R1")}}));
    QCOMPARE(m_dm->tbMemoriaREP->registros(), 2);
    QCOMPARE(m_dm->tbMemoriaREP->texto(QStringLiteral("conteudo")), QStringLiteral("a'b"));
    QVERIFY(m_dm->tbMemoriaREP->proximo());
    QCOMPARE(m_dm->tbMemoriaREP->texto(QStringLiteral("conteudo")), QStringLiteral("\\x\r\n"));
    QCOMPARE(m_dm->UltimoCodigo(QStringLiteral("idcoletor"), QStringLiteral("tbcoletor")), 0);
    // A failing call reports the server's error.
    QVERIFY(!m_dm->executa(QStringLiteral("call spnaoexiste(:p)"), {{QStringLiteral("p"), 1}}, &e));
    QCOMPARE(e.codigo, 1305LL);
}

void TesteDmDados::sessaoDerrubadaPeloServidor()
{
    // The server drops the program's session (as after a night idle): the
    // next reads and writes work without a new login.
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("insert into tbdepto (nomedepto) values ('Vendas')"));
    const qlonglong sessao = m_dm->valor(QStringLiteral("select connection_id()")).toLongLong();
    QVERIFY(sessao > 0);
    executa(db, QStringLiteral("kill %1").arg(sessao));
    QVERIFY2(m_dm->tbDepto->abre(
                 {{QStringLiteral("piddepto"), conta(QStringLiteral("select iddepto from tbdepto"))}}),
             qPrintable(m_dm->tbDepto->erro()));
    QCOMPARE(m_dm->tbDepto->texto(QStringLiteral("nomedepto")), QStringLiteral("Vendas"));
    QVERIFY(m_dm->valor(QStringLiteral("select connection_id()")).toLongLong() != sessao);
    executa(db, QStringLiteral("kill %1").arg(
                    m_dm->valor(QStringLiteral("select connection_id()")).toLongLong()));
    QCOMPARE(m_dm->UltimoCodigo(QStringLiteral("iddepto"), QStringLiteral("tbdepto")),
             conta(QStringLiteral("select iddepto from tbdepto")));
    QVERIFY(m_dm->RegistraLogSistema(QStringLiteral("F"), QStringLiteral("depois da queda")));
}

void TesteDmDados::colaboradorRegrasDeGravacao_data()
{
    // The second employee is saved with these values while Ana (code 000123,
    // enrolment M1, card 11112222) and Bia (code 000000, enrolment M2, no card)
    // exist; empty expected message = saved.
    QTest::addColumn<QString>("pis");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("matricula");
    QTest::addColumn<QString>("proximidade");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<int>("icone");
    const QString livre = QLatin1Char('0') + pisValido(QStringLiteral("1700000000"));
    const QString ana = QLatin1Char('0') + pisValido(QStringLiteral("1200000000"));
    const int info = int(Icone::Informacao), aviso = int(Icone::Aviso);
    QTest::newRow("valido") << livre << "000777"
                            << "M9"
                            << ""
                            << "" << 0;
    QTest::newRow("pis vazio") << ""
                               << ""
                               << "M9"
                               << ""
                               << "Campo PIS inválido." << info;
    QTest::newRow("pis com digito errado")
        << livre.left(11) + QString::number((livre.at(11).unicode() - '0' + 1) % 10) << ""
        << "M9"
        << ""
        << "Campo PIS inválido." << info;
    QTest::newRow("pis de outro") << ana << ""
                                  << "M9"
                                  << ""
                                  << "Já existe colaborador cadastrado com o PIS informado." << info;
    QTest::newRow("codigo de outro ativo")
        << livre << "000123"
        << "M9"
        << ""
        << "Já existe colaborador cadastrado com o CÓDIGO (ibutton)  informado." << info;
    QTest::newRow("codigo 000000 so escapa do passo 6")
        << livre << "000000"
        << "M9"
        << ""
        << "Existe outro colaborador cadastrado com mesmo código (ibutton). Favor verificar." << aviso;
    QTest::newRow("matricula de outro")
        << livre << ""
        << "M1"
        << ""
        << "Existe outro colaborador cadastrado com mesma matrícula. Favor verificar." << aviso;
    QTest::newRow("cartao de outro")
        << livre << ""
        << "M9"
        << "11112222"
        << "Existe outro colaborador cadastrado com mesmo cartão proximidade. Favor verificar." << aviso;
    QTest::newRow("sem cartao como outro sem cartao") << livre << ""
                                                      << "M9"
                                                      << ""
                                                      << "" << 0;
}

void TesteDmDados::colaboradorRegrasDeGravacao()
{
    QFETCH(QString, pis);
    QFETCH(QString, codigo);
    QFETCH(QString, matricula);
    QFETCH(QString, proximidade);
    QFETCH(QString, mensagem);
    QFETCH(int, icone);
    QSqlDatabase db = m_banco->conexao(false);
    const QString ana = QLatin1Char('0') + pisValido(QStringLiteral("1200000000"));
    const QString bia = QLatin1Char('0') + pisValido(QStringLiteral("1300000000"));
    executa(db, QStringLiteral(
                    "insert into tbcolaborador (matricula, codigo, nome, pis, demitido, proximidade) values "
                    "('M1', '000123', 'Ana', '%1', 'N', '11112222'), ('M2', '000000', 'Bia', '%2', 'N', '')")
                    .arg(ana, bia));
    bool focou = false;
    focaCodigoColaborador = [&] { focou = true; };
    Dataset *ds = m_dm->tbColaborador;
    QVERIFY(ds->abre({{QStringLiteral("pidcolaborador"), 0}}));
    QVERIFY(ds->insere());
    ds->defineValor(QStringLiteral("nome"), QStringLiteral("Caio"));
    ds->defineValor(QStringLiteral("matricula"), matricula);
    ds->defineValor(QStringLiteral("pis"), pis);
    ds->defineValor(QStringLiteral("codigo"), codigo);
    ds->defineValor(QStringLiteral("proximidade"), proximidade);
    const bool gravou = ds->grava();
    focaCodigoColaborador = nullptr;
    QVERIFY2(ds->erro().isEmpty(), qPrintable(ds->erro()));
    if (mensagem.isEmpty()) {
        QVERIFY2(gravou, qPrintable(m_gravada.ultima()));
        QCOMPARE(conta(QStringLiteral(
                     "select count(*) from tbcolaborador where nome = 'Caio' and demitido = 'N'")),
                 1);
        return;
    }
    QVERIFY(!gravou);
    QCOMPARE(ds->estado(), Dataset::Estado::Inserindo);
    QCOMPARE(m_gravada.mensagens.size(), 1);
    QCOMPARE(m_gravada.ultima(), mensagem);
    QCOMPARE(int(m_gravada.mensagens.last().icone), icone);
    QCOMPARE(focou, mensagem.contains(QStringLiteral("CÓDIGO")));
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolaborador")), 2);
}

void TesteDmDados::colaboradorPisCurtoEAlteracao()
{
    QSqlDatabase db = m_banco->conexao(false);
    const QString base = pisValido(QStringLiteral("0012345678")); // "00" + ten digits once filled
    QVERIFY(base.startsWith(QStringLiteral("0")));
    const QString dez = base.mid(1);
    QCOMPARE(dez.size(), 10);
    Dataset *ds = m_dm->tbColaborador;
    QVERIFY(ds->abre({{QStringLiteral("pidcolaborador"), 0}}));
    QVERIFY(ds->insere());
    ds->defineValor(QStringLiteral("nome"), QStringLiteral("Davi"));
    ds->defineValor(QStringLiteral("matricula"), QStringLiteral("D1"));
    ds->defineValor(QStringLiteral("pis"), dez);
    QVERIFY2(ds->grava(), qPrintable(m_gravada.ultima() + ds->erro()));
    QCOMPARE(valor(db, QStringLiteral("select pis from tbcolaborador")).toString(),
             QStringLiteral("00") + dez);
    const int davi = ds->inteiro(QStringLiteral("idcolaborador"));

    // Saving the record unchanged passes its own PIS, code and enrolment.
    QVERIFY(ds->edita());
    QVERIFY2(ds->grava(), qPrintable(m_gravada.ultima()));

    const QString outro = QLatin1Char('0') + pisValido(QStringLiteral("1500000000"));
    executa(db, QStringLiteral(
                    "insert into tbcolaborador (matricula, nome, pis, demitido) values ('E1', 'Eva', '%1', "
                    "'N')")
                    .arg(outro));
    const QString novo = QLatin1Char('0') + pisValido(QStringLiteral("1600000000"));
    QVERIFY(ds->abre({{QStringLiteral("pidcolaborador"), davi}}));
    QVERIFY(ds->edita());
    ds->defineValor(QStringLiteral("pis"), outro);
    QVERIFY(!ds->grava());
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Já existe colaborador cadastrado com o PIS informado."));
    ds->defineValor(QStringLiteral("pis"), novo);
    QVERIFY2(ds->grava(), qPrintable(m_gravada.ultima()));
    QCOMPARE(valor(db, QStringLiteral("select pis from tbcolaborador where idcolaborador = %1").arg(davi))
                 .toString(),
             novo);
}

void TesteDmDados::colaboradorMarcaSuspendeRegras()
{
    Dataset *ds = m_dm->tbColaborador;
    QVERIFY(ds->abre({{QStringLiteral("pidcolaborador"), 0}}));
    {
        MarcaColaboradorNoEscopo marca(*m_dm);
        QVERIFY(ds->insere());
        ds->defineValor(QStringLiteral("nome"), QStringLiteral("Importado"));
        ds->defineValor(QStringLiteral("pis"), QStringLiteral("123"));
        QVERIFY2(ds->grava(), qPrintable(ds->erro()));
    }
    QCOMPARE(m_dm->marcaColaborador, 0);
    QVERIFY(m_gravada.mensagens.isEmpty());
    QCOMPARE(valor(m_banco->conexao(false), QStringLiteral("select pis from tbcolaborador")).toString(),
             QStringLiteral("123"));
}

void TesteDmDados::colaboradorExclusao_data()
{
    QTest::addColumn<bool>("naEscala");
    QTest::addColumn<bool>("resposta");
    QTest::addColumn<bool>("excluido");
    QTest::newRow("fora de REP: sem pergunta") << false << false << true;
    QTest::newRow("no REP, responde Nao") << true << false << false;
    QTest::newRow("no REP, responde Sim") << true << true << true;
}

void TesteDmDados::colaboradorExclusao()
{
    QFETCH(bool, naEscala);
    QFETCH(bool, resposta);
    QFETCH(bool, excluido);
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, QStringLiteral("insert into tbcolaborador (idcolaborador, matricula, nome, pis) values "
                               "(1, 'M1', 'Ana', '012345678901'), (2, 'M2', 'Bia', '012345678902')"));
    executa(db, QStringLiteral("insert into tbdigital values (1, 0, 'T'), (1, 1, 'T'), (2, 0, 'T')"));
    if (naEscala)
        executa(db, QStringLiteral(
                        "insert into tbcolabrep values ('012345678901', 'R1'), ('012345678902', 'R1')"));
    m_gravada.respostas = {resposta};
    Dataset *ds = m_dm->tbColaborador;
    QVERIFY(ds->abre({{QStringLiteral("pidcolaborador"), 1}}));
    QCOMPARE(ds->exclui(), excluido);
    QCOMPARE(m_gravada.mensagens.size(), naEscala ? 1 : 0);
    if (naEscala) {
        QVERIFY(m_gravada.mensagens.first().pergunta);
        QVERIFY(m_gravada.ultima().endsWith(QStringLiteral("do REP. \rDeseja continuar?")));
    }
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolaborador where idcolaborador = 1")),
             excluido ? 0 : 1);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbdigital where idcolaborador = 1")),
             excluido ? 0 : 2);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolabrep where pis = '012345678901'")),
             naEscala && !excluido ? 1 : 0);
    // The other employee keeps everything.
    QCOMPARE(conta(QStringLiteral("select count(*) from tbdigital where idcolaborador = 2")), 1);
    QCOMPARE(conta(QStringLiteral("select count(*) from tbcolabrep where pis = '012345678902'")),
             naEscala ? 1 : 0);
}

QTEST_GUILESS_MAIN(TesteDmDados)
#include "test_dmdados.moc"
