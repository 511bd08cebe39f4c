// The pure routines behind the connection: the stored ADO string read for an
// ODBC connection, the database name it names, statement adaptation and
// parameter names, and how errors are classified and shown.

#include "data/conexao.h"
#include "data/dataset.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTcpServer>
#include <QTest>

using namespace kelvo;

class TesteConexaoTextos : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nomeBanco_data();
    void nomeBanco();
    void semCatalogo_data();
    void semCatalogo();
    void conexaoOdbc_data();
    void conexaoOdbc();
    void conexaoOdbcValoresComSeparadores();
    void hostLocal_data();
    void hostLocal();
    void adaptaSql_data();
    void adaptaSql();
    void adaptaDatasetsDoDono();
    void parametros_data();
    void parametros();
    void classificaErros_data();
    void classificaErros();
    void mensagemConexao();
    void sqlServerInacessivel();
};

void TesteConexaoTextos::nomeBanco_data()
{
    QTest::addColumn<QString>("conexao");
    QTest::addColumn<QString>("nome");
    QTest::newRow("gravada pela primeira execucao")
        << montaConexaoAdo(QStringLiteral("kelvo"), QStringLiteral("srv01")) << "kelvo";
    QTest::newRow("maiusculas e minusculas") << "Provider=SQLNCLI.1;INITIAL CATALOG=Ponto2;Data Source=x"
                                             << "Ponto2";
    QTest::newRow("catalogo no fim, sem ponto e virgula") << "Data Source=x;initial catalog=fim"
                                                          << "fim";
    QTest::newRow("sem catalogo") << "Provider=SQLNCLI.1;Data Source=x"
                                  << "";
    QTest::newRow("vazio") << ""
                           << "";
    QTest::newRow("catalogo vazio") << "Initial Catalog=;Data Source=x"
                                    << "";
    QTest::newRow("catalogo com espaco antes do valor") << "Initial Catalog= kelvo ;Data Source=x"
                                                        << "kelvo";
}

void TesteConexaoTextos::nomeBanco()
{
    QFETCH(QString, conexao);
    QFETCH(QString, nome);
    QCOMPARE(NomeBancoDaConexao(conexao), nome);
}

void TesteConexaoTextos::semCatalogo_data()
{
    QTest::addColumn<QString>("conexao");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("padrao")
        << montaConexaoAdo(QStringLiteral("kelvo"), QStringLiteral("srv"))
        << "Provider=SQLNCLI.1;Persist Security Info=True;Data Source=srv;adLockOptimistic";
    QTest::newRow("catalogo no fim") << "Data Source=srv;Initial Catalog=kelvo"
                                     << "Data Source=srv;";
    QTest::newRow("sem catalogo") << "Data Source=srv"
                                  << "Data Source=srv";
}

void TesteConexaoTextos::semCatalogo()
{
    QFETCH(QString, conexao);
    QFETCH(QString, esperado);
    QCOMPARE(ConexaoSemCatalogo(conexao), esperado);
}

void TesteConexaoTextos::conexaoOdbc_data()
{
    QTest::addColumn<QString>("ado");
    QTest::addColumn<QString>("odbc");
    const QString fim = QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    QTest::newRow("porta padrao 1433")
        << montaConexaoAdo(QStringLiteral("kelvo"), QStringLiteral("srv01"))
        << "DRIVER={/drv/libtdsodbc.so};SERVER=srv01;PORT=1433;DATABASE=kelvo;UID=sa;PWD=segredo" + fim;
    QTest::newRow("host,porta")
        << "Provider=SQLNCLI.1;Initial Catalog=ponto;Data Source=10.0.0.5,14330"
        << "DRIVER={/drv/libtdsodbc.so};SERVER=10.0.0.5;PORT=14330;DATABASE=ponto;UID=sa;"
           "PWD=segredo" +
               fim;
    QTest::newRow("instancia nomeada")
        << "Initial Catalog=ponto;Data Source=srv\\SQLEXPRESS"
        << "DRIVER={/drv/libtdsodbc.so};SERVER=srv\\SQLEXPRESS;DATABASE=ponto;UID=sa;"
           "PWD=segredo" +
               fim;
    QTest::newRow("localhost vai por TCP")
        << "Initial Catalog=k;Data Source=localhost"
        << "DRIVER={/drv/libtdsodbc.so};SERVER=127.0.0.1;PORT=1433;DATABASE=k;"
           "UID=sa;PWD=segredo" +
               fim;
    QTest::newRow("sem catalogo: nivel do servidor")
        << ConexaoSemCatalogo(montaConexaoAdo(QStringLiteral("k"), QStringLiteral("srv")))
        << "DRIVER={/drv/libtdsodbc.so};SERVER=srv;PORT=1433;UID=sa;PWD=segredo" + fim;
}

void TesteConexaoTextos::conexaoOdbc()
{
    QFETCH(QString, ado);
    QFETCH(QString, odbc);
    QCOMPARE(conexaoOdbcDeAdo(ado, QStringLiteral("sa"), QStringLiteral("segredo"),
                              QStringLiteral("/drv/libtdsodbc.so")),
             odbc);
}

void TesteConexaoTextos::conexaoOdbcValoresComSeparadores()
{
    // A password with ";" or "}" must not end the value or inject a key.
    const QString s =
        conexaoOdbcDeAdo(QStringLiteral("Initial Catalog=k;Data Source=srv"), QStringLiteral("sa"),
                         QStringLiteral("a;b}c"), QStringLiteral("/d.so"));
    QVERIFY2(s.contains(QStringLiteral("PWD={a;b}}c};")), qPrintable(s));
    // The account inside the string is used when none is given.
    const QString t =
        conexaoOdbcDeAdo(QStringLiteral("Initial Catalog=k;Data Source=srv;User ID=u1;Password=p1"),
                         QString(), QString(), QStringLiteral("/d.so"));
    QVERIFY2(t.contains(QStringLiteral("UID=u1;PWD=p1;")), qPrintable(t));
    const DadosConexaoAdo d = leConexaoAdo(QStringLiteral("data source=tcp:db.local,1500;INITIAL CATALOG=x"));
    QCOMPARE(d.servidor, QStringLiteral("db.local"));
    QCOMPARE(d.porta, 1500);
    QCOMPARE(d.banco, QStringLiteral("x"));
}

void TesteConexaoTextos::hostLocal_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("tcp");
    QTest::newRow("localhost") << "localhost"
                               << "127.0.0.1";
    QTest::newRow("LOCALHOST") << "LOCALHOST"
                               << "127.0.0.1";
    QTest::newRow("com espacos") << " localhost "
                                 << "127.0.0.1";
    QTest::newRow("(local)") << "(local)"
                             << "127.0.0.1";
    QTest::newRow("endereco") << "192.168.0.10"
                              << "192.168.0.10";
    QTest::newRow("nome") << "servidor"
                          << "servidor";
}

void TesteConexaoTextos::hostLocal()
{
    QFETCH(QString, host);
    QFETCH(QString, tcp);
    QCOMPARE(hostParaTcp(host), tcp);
}

void TesteConexaoTextos::adaptaSql_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("mysql");
    QTest::newRow("minusculas") << "select a from tbempresa with (nolock) where x = 1"
                                << "select a from tbempresa  where x = 1";
    QTest::newRow("qualquer caixa, varias") << "select * from a WITH (NOLOCK) join b With (NoLock) on 1=1"
                                            << "select * from a  join b  on 1=1";
    QTest::newRow("sem a dica") << "select 1"
                                << "select 1";
}

void TesteConexaoTextos::adaptaSql()
{
    QFETCH(QString, sql);
    QFETCH(QString, mysql);
    QCOMPARE(AdaptaSQLBanco(sql, Dialeto::MySQL), mysql);
    QCOMPARE(AdaptaSQLBanco(sql, Dialeto::SQLServer), sql);
}

void TesteConexaoTextos::adaptaDatasetsDoDono()
{
    QObject janela;
    auto *a = new Dataset(QStringLiteral("qyA"), &janela);
    auto *b = new Dataset(QStringLiteral("qyB"), new QObject(&janela)); // owned through a child
    a->defineSql(QStringLiteral("select * from t1 with (nolock)"));
    b->defineSql(QStringLiteral("select * from t2 WITH (NOLOCK) where k = :pk"));
    AdaptaSQLBanco(&janela, Dialeto::SQLServer);
    QCOMPARE(a->sql(), QStringLiteral("select * from t1 with (nolock)"));
    AdaptaSQLBanco(&janela, Dialeto::MySQL);
    QCOMPARE(a->sql(), QStringLiteral("select * from t1 "));
    QCOMPARE(b->sql(), QStringLiteral("select * from t2  where k = :pk"));
}

void TesteConexaoTextos::parametros_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("nomes");
    QTest::newRow("simples") << "select * from t where a = :pa and b=:pb" << QStringList{"pa", "pb"};
    QTest::newRow("repetido em outra caixa")
        << "select * from tbusuario where login =:Plogin AND SHA1(:psenha)= senha or login = :plogin"
        << QStringList{"Plogin", "psenha"};
    QTest::newRow("dentro de aspas nao conta")
        << "select ':x', \"a:b\" from t where c = :pc" << QStringList{"pc"};
    QTest::newRow("hora em texto") << "select * from t where h = '12:30' and d = :pd" << QStringList{"pd"};
    QTest::newRow("nenhum") << "select 1" << QStringList{};
}

void TesteConexaoTextos::parametros()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, nomes);
    QCOMPARE(parametrosDoSql(sql), nomes);
}

void TesteConexaoTextos::classificaErros_data()
{
    QTest::addColumn<int>("dialeto");
    QTest::addColumn<QString>("nativo");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<qlonglong>("codigo");
    QTest::newRow("mysql 1045") << 0 << "1045"
                                << "Access denied for user" << int(ErroBanco::Tipo::LoginRecusado) << 1045LL;
    QTest::newRow("mysql 1049") << 0 << "1049"
                                << "Unknown database 'x'" << int(ErroBanco::Tipo::BancoInexistente) << 1049LL;
    QTest::newRow("mysql 2003") << 0 << "2003"
                                << "Can't connect to server" << int(ErroBanco::Tipo::Outro) << 2003LL;
    QTest::newRow("sqlserver login") << 1 << "18456"
                                     << "[FreeTDS][SQL Server]Login failed for user 'sa'."
                                     << int(ErroBanco::Tipo::LoginRecusado)
                                     << qlonglong(kHResultLoginRecusado);
    QTest::newRow("sqlserver banco") << 1 << "4060"
                                     << "Cannot open database \"x\" requested by the login."
                                     << int(ErroBanco::Tipo::BancoInexistente)
                                     << qlonglong(kHResultBancoInacessivel);
    QTest::newRow("sqlserver sem o banco")
        << 1 << "911"
        << "Database 'x' does not exist. Make sure that the name is "
           "entered correctly."
        << int(ErroBanco::Tipo::BancoInexistente) << qlonglong(kHResultBancoInacessivel);
    QTest::newRow("sqlserver inacessivel")
        << 1 << "0"
        << "Unable to connect: Adaptive Server is unavailable or does "
           "not exist"
        << int(ErroBanco::Tipo::Outro) << qlonglong(kHResultBancoInacessivel);
    QTest::newRow("sqlserver outro") << 1 << "20009"
                                     << "Unable to connect: Adaptive Server is unavailable"
                                     << int(ErroBanco::Tipo::Outro) << 20009LL;
}

void TesteConexaoTextos::classificaErros()
{
    QFETCH(int, dialeto);
    QFETCH(QString, nativo);
    QFETCH(QString, texto);
    QFETCH(int, tipo);
    QFETCH(qlonglong, codigo);
    const ErroBanco e = erroBanco(
        QSqlError(QStringLiteral("driver"), texto, QSqlError::ConnectionError, nativo), Dialeto(dialeto));
    QCOMPARE(int(e.tipo), tipo);
    QCOMPARE(e.codigo, codigo);
    QCOMPARE(e.mensagem, texto);
    QVERIFY(!e.ok());
}

void TesteConexaoTextos::mensagemConexao()
{
    ErroBanco m = erroBanco(QSqlError(QStringLiteral("Unable to connect"), QStringLiteral("Can't connect"),
                                      QSqlError::ConnectionError, QStringLiteral("2003")),
                            Dialeto::MySQL);
    QCOMPARE(m.mensagemConexao(),
             QStringLiteral("Erro na Conexão ao banco de dados: 2003\r\rMensagem .............: "
                            "Can't connect\r\rStatusCode ...........: Unable to connect"));
    ErroBanco s = erroBanco(QSqlError(QStringLiteral("x"), QStringLiteral("Login failed for user 'a'."),
                                      QSqlError::ConnectionError, QStringLiteral("18456")),
                            Dialeto::SQLServer);
    QCOMPARE(s.textoCodigo(), QStringLiteral("0x80040E4D"));
    QCOMPARE(s.status, QStringLiteral("0x80040E4D"));
    QVERIFY(ErroBanco().ok());
    QVERIFY(ErroBanco().texto().isEmpty());
}

void TesteConexaoTextos::sqlServerInacessivel()
{
    // The SQL Server path through FreeTDS: a closed port gives an error (not a
    // hang, not a crash, not "login refused").
    QTcpServer s;
    QVERIFY(s.listen(QHostAddress::LocalHost, 0));
    const int porta = s.serverPort();
    s.close();
    ParametrosConexao p;
    p.dialeto = Dialeto::SQLServer;
    p.database =
        QStringLiteral("Provider=SQLNCLI.1;Persist Security Info=True;Initial Catalog=kelvo;Data Source="
                       "127.0.0.1,%1;adLockOptimistic")
            .arg(porta);
    p.usuario = QStringLiteral("sa");
    p.senha = QStringLiteral("x");
    p.tempoLimiteSegundos = 5;
    ErroBanco e;
    QVERIFY(!abreConexao(QStringLiteral("teste_sqlserver"), p, &e));
    QVERIFY(!e.ok());
    QCOMPARE(int(e.tipo), int(ErroBanco::Tipo::Outro)); // the server is not there: neither of the two cases
    QVERIFY(!e.mensagem.isEmpty());
    QVERIFY(QSqlDatabase::database(QStringLiteral("teste_sqlserver"), false).driverName() ==
            QLatin1String("QODBC"));
    QSqlDatabase::removeDatabase(QStringLiteral("teste_sqlserver"));
}

QTEST_GUILESS_MAIN(TesteConexaoTextos)
#include "test_conexao_textos.moc"
