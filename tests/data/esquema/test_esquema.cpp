// Creation, upgrade and the stored routines, against the real test server.

#include "data/atualizabanco.h"
#include "data/criabanco.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace kelvo;
using namespace kelvo::teste;

namespace {

const QString CR = QStringLiteral("\r");
const QString LF = QStringLiteral("\n");
const QString CRLF = QStringLiteral("\r\n");
const QString kRep = QStringLiteral("00004000000000123");

// A type 3 record (punch): NSR, "3", ddmmyyyy, hhmm, PIS — 34 characters.
QString marcacao(int nsr, const QString &ddmmaaaa, const QString &hhmm,
                 const QString &pis = QStringLiteral("012345678901"))
{
    return QStringLiteral("%1").arg(nsr, 9, 10, QLatin1Char('0')) + QLatin1Char('3') + ddmmaaaa + hhmm + pis;
}

QString sha1(const QString &t)
{
    return QString::fromLatin1(QCryptographicHash::hash(t.toUtf8(), QCryptographicHash::Sha1).toHex());
}

ConfigBanco configDoTeste(const QString &banco)
{
    const Servidor s = servidor();
    ConfigBanco c;
    c.host = s.host;
    c.porta = s.porta;
    c.dialeto = Dialeto::MySQL;
    c.database = banco;
    c.NomeBanco = banco;
    c.usuarioLogin = s.usuario;
    c.senhaLogin = s.senha;
    return c;
}

QStringList coluna(QSqlDatabase db, const QString &sql)
{
    QStringList r;
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return r;
    }
    while (q.next())
        r << q.value(0).toString();
    return r;
}

QStringList colunasDe(QSqlDatabase db, const QString &tabela)
{
    return coluna(db,
                  QStringLiteral("select column_name from information_schema.columns where table_schema = "
                                 "database() and table_name = '%1' order by ordinal_position")
                      .arg(tabela));
}

void inserePagina(QSqlDatabase db, const QString &mrp, const QString &conteudo,
                  const QVariant &convertido = QStringLiteral("N"), const QString &rep = kRep)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta, afdconvertido) "
                             "values (?, ?, ?, now(), ?)"));
    q.addBindValue(rep);
    q.addBindValue(mrp);
    q.addBindValue(conteudo);
    q.addBindValue(convertido.isNull() ? QVariant(QMetaType::fromType<QString>()) : convertido);
    if (!q.exec())
        QFAIL(qPrintable(q.lastError().text()));
}

bool chama(QSqlDatabase db, const QString &sql, const QVariantList &valores, QString *erro = nullptr)
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant &v : valores)
        q.addBindValue(v);
    const bool ok = q.exec();
    if (!ok && erro)
        *erro = q.lastError().text();
    return ok;
}

void transfereMrp(QSqlDatabase db, const QString &rep = kRep)
{
    QString e;
    if (!chama(db, QStringLiteral("call spTransfereMrpAfd(?)"), {rep}, &e))
        QFAIL(qPrintable(e));
}

void transfereCache(QSqlDatabase db, const QString &cache, const QString &rep = kRep)
{
    QString e;
    if (!chama(db, QStringLiteral("call spTransfereCacheAfd(?, ?)"), {rep, cache}, &e))
        QFAIL(qPrintable(e));
}

QStringList linhasAfd(QSqlDatabase db, const QString &rep = kRep)
{
    return coluna(db, QStringLiteral("select conteudo from tbafd where idrep = '%1' order by nsr").arg(rep));
}

QString marcas(QSqlDatabase db)
{
    return coluna(db, QStringLiteral("select ifnull(afdconvertido, '-') from tbmemoriarep order by mrp"))
        .join(QString());
}

// Tables of a release before the first upgrade level.
const char *kLayoutAntigo[] = {
    "create table tbcolaborador (idcolaborador int not null auto_increment, matricula char(20), codigo "
    "char(6), "
    "nome char(50), pis varchar(12), idempresa int, iddepto int, primary key (idcolaborador))",
    "create table tbcolabrep (pis varchar(12) not null, codigocoletor varchar(20) not null default ' ', "
    "primary key (pis, codigocoletor))",
    "create table tbcoletor (idcoletor int not null auto_increment, descricao char(50), senha char(4), "
    "ultimacoleta datetime, dadosultimacoleta char(30), cpfcnpj varchar(14), codigocoletor varchar(20), "
    "idempresa int, portaserial int, primary key (idcoletor))",
    "create table tbbackupafd (IdBackupAFD int not null auto_increment, datahora datetime not null, "
    "IdPermisso int not null, Arquivo longblob not null, primary key (IdBackupAFD))",
    "create table tbmemoriarep (idrep varchar(17) not null, mrp varchar(8) not null, conteudo text, "
    "dthcoleta datetime not null, primary key (idrep, mrp))",
    "create table tbpermisso (IDPERMISSO int not null auto_increment, login char(20), senha char(20), "
    "usuario char(50), m1 char(1), m2 char(1), m3 char(1), m4 char(1), m5 char(1), m6 char(1), m7 char(1), "
    "primary key (IDPERMISSO))",
};

void criaLayoutAntigo(QSqlDatabase db)
{
    for (const char *c : kLayoutAntigo)
        executa(db, QString::fromLatin1(c));
}

} // namespace

class TestEsquema : public QObject
{
    Q_OBJECT

private:
    // A complete new database made by TdmCriaBanco without the question.
    QSqlDatabase bancoNovo(BancoTeste &b)
    {
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        TdmCriaBanco dm(configDoTeste(b.nome()));
        const ResultadoCriacao r = dm.CriaBanco(false);
        if (r != ResultadoCriacao::Criado)
            qWarning("creation failed: %s", qPrintable(dm.ultimoErro()));
        return b.conexao(false);
    }

private Q_SLOTS:
    void initTestCase() { KELVO_EXIGE_SERVIDOR(); }

    void scriptsSeparados()
    {
        const QStringList c = comandosDoScript(QStringLiteral(
            "-- comentário\nCREATE TABLE a (x char(1) DEFAULT ';');\n\nINSERT INTO a VALUES ('b;c');\n"));
        QCOMPARE(c, QStringList({QStringLiteral("CREATE TABLE a (x char(1) DEFAULT ';')"),
                                 QStringLiteral("INSERT INTO a VALUES ('b;c')")}));
        QCOMPARE(citaIdentificador(QStringLiteral("a`b"), Dialeto::MySQL), QStringLiteral("`a``b`"));
        QCOMPARE(citaIdentificador(QStringLiteral("a]b"), Dialeto::SQLServer), QStringLiteral("[a]]b]"));
        QCOMPARE(citaTexto(QStringLiteral("o'k\\"), Dialeto::MySQL), QStringLiteral("'o''k\\\\'"));
        QCOMPARE(citaTexto(QStringLiteral("o'k\\"), Dialeto::SQLServer), QStringLiteral("'o''k\\'"));
        // Every SQL Server script is present and the table script splits into
        // its 13 tables, the administrator and tbversao.
        QCOMPARE(comandosDoScript(scriptEsquema(QStringLiteral("sqlserver/tabelas.sql"))).size(), 16);
        for (const char *r : {"sqlserver/spTransfereMrpAfd.sql", "sqlserver/spTransfereCacheAfd.sql",
                              "sqlserver/fclistapontos.sql"})
            QVERIFY2(scriptEsquema(QString::fromLatin1(r)).startsWith(QLatin1String("CREATE ")), r);
    }

    void leituraDasConfiguracoes()
    {
        PastaTeste pasta;
        ConfigBanco c;
        c.usuarioLogin = QStringLiteral("digitado");
        leConfigBanco(c, ArquivoConfig());
        QCOMPARE(c.host, QStringLiteral("localhost"));
        QCOMPARE(c.database, QStringLiteral("kelvo"));
        QCOMPARE(c.NomeBanco, QStringLiteral("kelvo"));
        QCOMPARE(c.porta, 3306);
        QCOMPARE(c.dialeto, Dialeto::MySQL);
        QVERIFY(!c.mascarado);
        QCOMPARE(c.usuarioLogin, QStringLiteral("digitado"));

        ArquivoIni &ini = ArquivoConfig();
        ini.escreveTexto(QStringLiteral("bdados"), QStringLiteral("hostname"), QStringLiteral("servidor"));
        ini.escreveTexto(
            QStringLiteral("BDADOS"), QStringLiteral("database"),
            QStringLiteral("Provider=SQLNCLI.1;Persist Security Info=True;Initial Catalog=empresa;"
                           "Data Source=servidor;adLockOptimistic"));
        ini.escreveInteiro(QStringLiteral("BANCO"), QStringLiteral("QUALBANCO"), 1);
        ini.escreveBooleano(QStringLiteral("BANCO"), QStringLiteral("mascarado"), true);
        ini.escreveTexto(QStringLiteral("BANCO"), QStringLiteral("User"),
                         codificaBase64(QStringLiteral("sa")));
        ini.escreveTexto(QStringLiteral("BANCO"), QStringLiteral("Senha"), QStringLiteral("não é base64!"));
        leConfigBanco(c, ini);
        QCOMPARE(c.host, QStringLiteral("servidor"));
        QCOMPARE(c.dialeto, Dialeto::SQLServer);
        QCOMPARE(c.NomeBanco, QStringLiteral("empresa"));
        QCOMPARE(c.SufixoNolock, QStringLiteral("with (nolock)"));
        QVERIFY(c.mascarado);
        QCOMPARE(c.usuarioMascarado, QStringLiteral("sa"));
        QCOMPARE(c.senhaMascarada, QString());
    }

    void criaBancoMySQL()
    {
        BancoTeste b;
        InteracaoGravada g;
        g.respostas = {true};
        InteracaoNoEscopo escopo(&g);
        {
            TdmCriaBanco dm(configDoTeste(b.nome()));
            QVERIFY(!dm.BancoExiste());
            QVERIFY(dm.conexaoDumpAberta());
            QCOMPARE(dm.CriaBanco(), ResultadoCriacao::Criado);
        }
        QCOMPARE(
            g.textos(),
            QStringList({QStringLiteral("Banco de dados não encontrado. Deseja criar novo banco? Isso poderá "
                                        "levar alguns minutos."),
                         QStringLiteral("Banco de dados criado!")}));
        QSqlDatabase db = b.conexao(false);
        QVERIFY(db.isOpen());
        QCOMPARE(valor(db, QStringLiteral("select versao from tbversao where nome = 'BD'")).toInt(), 11);
        QCOMPARE(nivelBanco(db), 11);
        QCOMPARE(colunasDe(db, QStringLiteral("tbafd")),
                 QStringList({"nsr", "idrep", "conteudo", "datahoracoleta", "importado"}));
        QCOMPARE(
            coluna(db, QStringLiteral("select concat(login, '/', senha, '/', nomeusuario) from tbusuario")),
            QStringList({QStringLiteral("ADMINISTRADOR/") + sha1(QStringLiteral("BRAVELUX")) +
                         QStringLiteral("/ADMINISTRADOR")}));
        QCOMPARE(coluna(db, QStringLiteral(
                                "select concat(login, '/', senha, '/', usuario, '/', m1, m2, m3, m4, m5, m6, "
                                "m7) from tbpermisso")),
                 QStringList({QStringLiteral("ADMINISTRADOR/BRAVELUX/ADMINISTRADOR/SSSSSSS")}));

        const QList<QPair<QString, QStringList>> tabelas = {
            {"tbempresa",
             {"idempresa", "razaosocial", "tipopessoafj", "cpfcnpj", "cei", "localtrabalho",
              "codigoempresa"}},
            {"tbdepto", {"iddepto", "nomedepto", "codigoexporta"}},
            {"tbcolaborador",
             {"idcolaborador", "matricula", "codigo", "nome", "pis", "idempresa", "iddepto", "demitido",
              "proximidade", "ibutton12"}},
            {"tbcoletor",
             {"idcoletor", "descricao", "senha", "ultimacoleta", "dadosultimacoleta", "cpfcnpj",
              "codigocoletor", "idempresa", "portaserial", "modelocoletor", "tipocomunicacao", "ip", "url",
              "portaip", "urldinamica"}},
            {"tbcolabrep", {"pis", "codigocoletor"}},
            {"tbdigital", {"idcolaborador", "dedo", "digital"}},
            {"tbmemoriarep", {"idrep", "mrp", "conteudo", "dthcoleta", "afdconvertido"}},
            {"tbbackupafd", {"IdBackupAFD", "datahora", "IdPermisso", "idrep", "Arquivo"}},
            {"tblogcoleta",
             {"idlogcoleta", "datahorainicio", "datahorafim", "idcoletor", "sucesso", "filtro"}},
            {"tblogsistema", {"idevento", "datahora", "idpermisso", "formulario", "mensagem"}},
            {"tbpermisso",
             {"IDPERMISSO", "login", "senha", "usuario", "m1", "m2", "m3", "m4", "m5", "m6", "m7"}},
            {"tbimportacolab",
             {"PosNome", "PosMatricula", "PosPIS", "PosIButton", "QtdNome", "QtdMatricula", "QtdPIS",
              "QtdIbutton"}},
        };
        QCOMPARE(tabelas.size(), 12);
        for (const auto &t : tabelas)
            QCOMPARE(colunasDe(db, t.first), t.second);
        QCOMPARE(
            coluna(db, QStringLiteral("select table_name from information_schema.tables where table_schema = "
                                      "database() order by table_name")),
            QStringList({"tbafd", "tbbackupafd", "tbcolaborador", "tbcolabrep", "tbcoletor", "tbdepto",
                         "tbdigital", "tbempresa", "tbimportacolab", "tblogcoleta", "tblogsistema",
                         "tbmemoriarep", "tbpermisso", "tbusuario", "tbversao"}));
        QCOMPARE(valor(db, QStringLiteral(
                               "select table_collation from information_schema.tables where table_schema "
                               "= database() and table_name = 'tbempresa'"))
                     .toString()
                     .left(6),
                 QStringLiteral("latin1"));
        QCOMPARE(coluna(db, QStringLiteral(
                                "select concat(routine_type, ' ', routine_name) from "
                                "information_schema.routines where routine_schema = database() order by "
                                "routine_name")),
                 QStringList({"FUNCTION fclistapontos", "PROCEDURE splistapontos",
                              "PROCEDURE spTransfereCacheAfd", "PROCEDURE spTransfereMrpAfd"}));
        // The level-7 form takes pages whose mark is null.
        QVERIFY(
            valor(db, QStringLiteral("select routine_definition from information_schema.routines where "
                                     "routine_schema = database() and routine_name = 'spTransfereMrpAfd'"))
                .toString()
                .contains(QLatin1String("afdconvertido IS NULL")));

        // Now it exists, also under another letter case.
        g.limpa();
        TdmCriaBanco dm(configDoTeste(b.nome()));
        QVERIFY(dm.BancoExiste());
        ConfigBanco maiusculas = configDoTeste(b.nome().toUpper());
        TdmCriaBanco dm2(maiusculas);
        QVERIFY(dm2.BancoExiste());
        QVERIFY(g.mensagens.isEmpty());
    }

    void criaBancoRecusado()
    {
        BancoTeste b;
        InteracaoGravada g;
        g.respostas = {false};
        InteracaoNoEscopo escopo(&g);
        TdmCriaBanco dm(configDoTeste(b.nome()));
        QVERIFY(!dm.BancoExiste());
        QCOMPARE(dm.CriaBanco(), ResultadoCriacao::Recusado);
        QCOMPARE(g.mensagens.size(), 2);
        QVERIFY(g.mensagens[0].pergunta);
        QCOMPARE(g.mensagens[1].texto,
                 QStringLiteral(
                     "O sistema será finalizado, pois é obrigatório ter um banco de dados disponível!"));
        QCOMPARE(g.mensagens[1].icone, Icone::Informacao);
        QVERIFY(!dm.BancoExiste());
    }

    void servidorRecusaConexao()
    {
        BancoTeste b;
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        ConfigBanco c = configDoTeste(b.nome());
        c.senhaLogin = QStringLiteral("senha errada");
        TdmCriaBanco dm(c);
        QVERIFY(!dm.BancoExiste());
        QVERIFY(!dm.conexaoDumpAberta());
        QCOMPARE(g.mensagens.size(), 1);
        QVERIFY2(g.ultima().startsWith(QStringLiteral("Não foi possível conectar ao servidor. Mensagem: ")),
                 qPrintable(g.ultima()));
        QVERIFY(g.ultima().size() > 50);
        // Creation without an open server connection fails with the error shown.
        g.limpa();
        QCOMPARE(dm.CriaBanco(false), ResultadoCriacao::Falhou);
        QVERIFY(!dm.ultimoErro().isEmpty());
        QCOMPARE(g.mensagens.size(), 1);
        QCOMPARE(g.mensagens[0].icone, Icone::Erro);
    }

    void criacaoFalhaComErro()
    {
        // The database appeared meanwhile (another workstation): the error is
        // reported, nothing is dropped.
        BancoTeste b;
        QSqlDatabase db = b.conexao(true);
        executa(db, QStringLiteral("create table tbcoletor (idcoletor int)"));
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        TdmCriaBanco dm(configDoTeste(b.nome()));
        QCOMPARE(dm.CriaBanco(false), ResultadoCriacao::Falhou);
        QVERIFY2(dm.ultimoErro().contains(b.nome()), qPrintable(dm.ultimoErro()));
        QVERIFY(g.ultima().startsWith(QStringLiteral("Não foi possível criar o banco de dados. Mensagem: ")));
        QCOMPARE(colunasDe(db, QStringLiteral("tbcoletor")), QStringList({"idcoletor"}));
    }

    void atualizaNivelZero()
    {
        BancoTeste b;
        QSqlDatabase db = b.conexao(true);
        criaLayoutAntigo(db);
        executa(db, QStringLiteral(
                        "insert into tbpermisso (login, senha, usuario, m1) values "
                        "('MARIA', 'segredo', 'Maria da Silva', 'S'), ('JOAO', 'abc123', 'João', 'N')"));
        executa(db, QStringLiteral("insert into tbcolaborador (matricula, nome, pis) values "
                                   "('1234567890AB', 'Ana', '12345'), ('77', 'Bia', '012345678901')"));
        executa(db, QStringLiteral("insert into tbcolabrep (pis, codigocoletor) values ('12345', 'X')"));
        executa(db,
                QStringLiteral("insert into tbcoletor (descricao, codigocoletor) values ('Portaria', '%1')")
                    .arg(kRep));
        // Pages collected before the conversion existed: no mark column.
        executa(db, QStringLiteral("insert into tbmemoriarep values ('%1', '00000000', '%2', now())")
                        .arg(kRep, marcacao(1, "01022024", "0800") + "\\r\\n" +
                                       marcacao(2, "01022024", "1200") + "\\r\\n"));

        QString e;
        QVERIFY2(AtualizaBanco(db, Dialeto::MySQL, &e), qPrintable(e));
        QCOMPARE(nivelBanco(db), 11);
        QCOMPARE(colunasDe(db, QStringLiteral("tbcolaborador")),
                 QStringList({"idcolaborador", "matricula", "codigo", "nome", "pis", "idempresa", "iddepto",
                              "demitido", "proximidade", "ibutton12"}));
        QCOMPARE(colunasDe(db, QStringLiteral("tbcoletor")).mid(9),
                 QStringList({"modelocoletor", "tipocomunicacao", "ip", "url", "urldinamica", "portaip"}));
        QVERIFY(colunasDe(db, QStringLiteral("tbbackupafd")).contains(QStringLiteral("idrep")));
        QVERIFY(colunasDe(db, QStringLiteral("tbmemoriarep")).contains(QStringLiteral("afdconvertido")));
        QVERIFY(colunasDe(db, QStringLiteral("tbafd")).contains(QStringLiteral("importado")));

        // Users keep their logins and old passwords; no administrator is added.
        QCOMPARE(
            coluna(db,
                   QStringLiteral(
                       "select concat(login, '/', senha, '/', nomeusuario) from tbusuario order by login")),
            QStringList({QStringLiteral("JOAO/") + sha1(QStringLiteral("abc123")) + QStringLiteral("/João"),
                         QStringLiteral("MARIA/") + sha1(QStringLiteral("segredo")) +
                             QStringLiteral("/Maria da Silva")}));
        // PIS padded to 12 in both tables.
        QCOMPARE(coluna(db, QStringLiteral("select pis from tbcolaborador order by idcolaborador")),
                 QStringList({"000000012345", "012345678901"}));
        QCOMPARE(coluna(db, QStringLiteral("select pis from tbcolabrep")), QStringList({"000000012345"}));
        // A 12-character enrolment becomes an 8-character card (strict mode).
        QCOMPARE(coluna(db, QStringLiteral("select proximidade from tbcolaborador order by idcolaborador")),
                 QStringList({"12345678", "77"}));
        QCOMPARE(coluna(db, QStringLiteral(
                                "select concat(modelocoletor, tipocomunicacao, urldinamica) from tbcoletor")),
                 QStringList({"REPSN"}));
        QCOMPARE(coluna(db, QStringLiteral("select demitido from tbcolaborador")), QStringList({"N", "N"}));

        // The current routine converts the pages whose mark is null.
        transfereMrp(db);
        QCOMPARE(linhasAfd(db),
                 QStringList({marcacao(1, "01022024", "0800"), marcacao(2, "01022024", "1200")}));
        QCOMPARE(marcas(db), QStringLiteral("S"));
    }

    void atualizaPassoComFalha()
    {
        // A database at level 4 that already has the card column: the alter
        // of level 5 fails and is skipped, its update still runs.
        BancoTeste b;
        QSqlDatabase db = b.conexao(true);
        criaLayoutAntigo(db);
        executa(db, QStringLiteral("alter table tbcolaborador add proximidade varchar(8)"));
        executa(db, QStringLiteral("insert into tbcolaborador (matricula, nome, pis, proximidade) values "
                                   "('ABCDEFGHIJ', 'Ana', '12345', NULL)"));
        QString e;
        QVERIFY(TdmCriaBanco::criaTbVersao(db, &e));
        executa(db, QStringLiteral("insert into tbversao values ('BD', 4)"));
        QVERIFY2(AtualizaBanco(db, Dialeto::MySQL, &e), qPrintable(e));
        QCOMPARE(nivelBanco(db), 11);
        QCOMPARE(valor(db, QStringLiteral("select proximidade from tbcolaborador")).toString(),
                 QStringLiteral("ABCDEFGH"));
        // Levels 1 to 4 did not run: the PIS is as it was, no tbafd, no routines of level 3.
        QCOMPARE(valor(db, QStringLiteral("select pis from tbcolaborador")).toString(),
                 QStringLiteral("12345"));
        QVERIFY(!colunasDe(db, QStringLiteral("tbcolaborador")).contains(QStringLiteral("demitido")));
        QVERIFY(colunasDe(db, QStringLiteral("tbafd")).isEmpty());
        // Level 7 made the current transfer routine even so.
        QCOMPARE(coluna(db, QStringLiteral(
                                "select routine_name from information_schema.routines where routine_schema "
                                "= database()")),
                 QStringList({"spTransfereMrpAfd"}));
    }

    void atualizaNivel11Inalterado()
    {
        BancoTeste b;
        QSqlDatabase db = bancoNovo(b);
        QCOMPARE(nivelBanco(db), 11);
        executa(db, QStringLiteral(
                        "insert into tbcoletor (descricao, modelocoletor, tipocomunicacao) values ('A', "
                        "'REP2', 'T')"));
        executa(
            db,
            QStringLiteral(
                "insert into tbcolaborador (matricula, pis, proximidade) values ('123456789', '1', 'X')"));
        executa(db, QStringLiteral("delete from tbusuario"));
        QString e;
        QVERIFY2(AtualizaBanco(db, Dialeto::MySQL, &e), qPrintable(e));
        QCOMPARE(coluna(db, QStringLiteral("select concat(modelocoletor, tipocomunicacao) from tbcoletor")),
                 QStringList({"REP2T"}));
        QCOMPARE(coluna(db, QStringLiteral("select concat(pis, '/', proximidade) from tbcolaborador")),
                 QStringList({"1/X"}));
        QCOMPARE(valor(db, QStringLiteral("select count(*) from tbusuario")).toInt(), 0);
        QCOMPARE(nivelBanco(db), 11);
        // Nothing at all on SQL Server.
        QVERIFY(AtualizaBanco(QSqlDatabase(), Dialeto::SQLServer, &e));
    }

    void falhaAoGravarNivel()
    {
        // Recording level 6 fails: the upgrade stops with the database error,
        // level 5 stays recorded, and the next run resumes from there.
        BancoTeste b;
        QSqlDatabase db = b.conexao(true);
        criaLayoutAntigo(db);
        executa(db,
                QStringLiteral("insert into tbcolaborador (matricula, nome, pis) values ('M1', 'Ana', '1')"));
        QString e;
        QVERIFY(TdmCriaBanco::criaTbVersao(db, &e));
        executa(db,
                QStringLiteral("create trigger tg_falha before insert on tbversao for each row "
                               "if new.versao = 6 then signal sqlstate '45000' set message_text = 'gravação "
                               "recusada'; end if"));
        QVERIFY(!AtualizaBanco(db, Dialeto::MySQL, &e));
        QVERIFY2(e.contains(QStringLiteral("gravação recusada")), qPrintable(e));
        QCOMPARE(nivelBanco(db), 5);
        // The card changed after level 5 is not rewritten by the resumed run.
        executa(db, QStringLiteral("update tbcolaborador set proximidade = 'CARTAO'"));
        executa(db, QStringLiteral("drop trigger tg_falha"));
        QVERIFY2(AtualizaBanco(db, Dialeto::MySQL, &e), qPrintable(e));
        QCOMPARE(nivelBanco(db), 11);
        QCOMPARE(valor(db, QStringLiteral("select proximidade from tbcolaborador")).toString(),
                 QStringLiteral("CARTAO"));

        // A level that cannot be read stops at once.
        executa(db, QStringLiteral("alter table tbversao rename to tbversao_x"));
        executa(db, QStringLiteral("create view tbversao as select * from tbversao_x"));
        executa(db, QStringLiteral("drop table tbversao_x"));
        e.clear();
        QVERIFY(!AtualizaBanco(db, Dialeto::MySQL, &e));
        QVERIFY(!e.isEmpty());
        QCOMPARE(nivelBanco(db), -1);
    }

    // ---- routines ----

    void mrpLinhaDividida()
    {
        BancoTeste b;
        QSqlDatabase db = bancoNovo(b);
        const QString l1 = marcacao(1, "05032024", "0800"), l2 = marcacao(2, "05032024", "1200"),
                      l3 = marcacao(3, "05032024", "1300");
        inserePagina(db, "00000000", l1 + CRLF + l2.left(20));
        inserePagina(db, "00000200", l2.mid(20) + CRLF + l3 + CRLF);
        transfereMrp(db);
        QCOMPARE(linhasAfd(db), QStringList({l1, l2, l3}));
        QCOMPARE(marcas(db), QStringLiteral("SS"));
        transfereMrp(db);
        QCOMPARE(linhasAfd(db), QStringList({l1, l2, l3}));
        QCOMPARE(valor(db, QStringLiteral("select count(*) from tbafd")).toInt(), 3);
    }

    void mrpRegrasDeLinha_data()
    {
        QTest::addColumn<QStringList>("paginas"); // consecutive pages from 00000000
        QTest::addColumn<QStringList>("esperado");
        QTest::addColumn<QString>("marcasEsperadas");
        const QString a = marcacao(1, "05032024", "0800"), b = marcacao(2, "05032024", "0900"),
                      c = marcacao(3, "05032024", "1000");
        QTest::newRow("CR ends, LF skipped anywhere")
            << QStringList({a + CR + LF + b.left(5) + LF + b.mid(5) + CR + c + CR}) << QStringList({a, b, c})
            << "S";
        QTest::newRow("lone CR lines and empty lines")
            << QStringList({CR + CR + LF + a + CR + LF + CR + b + CR}) << QStringList({a, b}) << "S";
        QTest::newRow("unfinished last line dropped")
            << QStringList({a + CRLF + b.left(30)}) << QStringList({a}) << "S";
        QTest::newRow("repeated NSR: first kept")
            << QStringList({a + CRLF + a.left(9) + QStringLiteral("3999999999990000000000000") + CRLF})
            << QStringList({a}) << "S";
        QTest::newRow("CR of the first page ends the line of the next")
            << QStringList({a + CR, LF + b + CRLF}) << QStringList({a, b}) << "SS";
        QTest::newRow("page where no line ends stays unconverted")
            << QStringList({a + CRLF + b.left(3), b.mid(3, 10), b.mid(13) + CRLF + c + CRLF})
            << QStringList({a, b, c}) << "SNS";
        QTest::newRow("blank line is a line")
            << QStringList({a + CRLF + "   " + CRLF}) << QStringList({a, "   "}) << "S";
    }

    void mrpRegrasDeLinha()
    {
        QFETCH(QStringList, paginas);
        QFETCH(QStringList, esperado);
        QFETCH(QString, marcasEsperadas);
        BancoTeste b;
        QSqlDatabase db = bancoNovo(b);
        for (int i = 0; i < paginas.size(); ++i)
            inserePagina(db, QStringLiteral("%1").arg(i * 0x200, 8, 16, QLatin1Char('0')).toUpper(),
                         paginas[i]);
        transfereMrp(db);
        QStringList obtido = coluna(db, QStringLiteral("select conteudo from tbafd order by nsr"));
        // a blank line is stored under a blank NSR, which sorts first
        std::sort(esperado.begin(), esperado.end());
        std::sort(obtido.begin(), obtido.end());
        QCOMPARE(obtido, esperado);
        QCOMPARE(marcas(db), marcasEsperadas);
    }

    void mrpRecuperaLinhaDaPaginaAnterior()
    {
        // The first run stops inside a line; the next collection brings the
        // following page and the line is taken from the previous page's tail.
        BancoTeste b;
        QSqlDatabase db = bancoNovo(b);
        const QString a = marcacao(1, "05032024", "0800"), b2 = marcacao(2, "05032024", "0900"),
                      c = marcacao(3, "05032024", "1000");
        inserePagina(db, "00000000", a + CRLF + b2.left(12) + LF + CR + c.left(20));
        transfereMrp(db);
        QCOMPARE(linhasAfd(db), QStringList({a, b2.left(12)}));
        inserePagina(db, "00000200", c.mid(20) + CRLF);
        // another device's pages are not touched
        inserePagina(db, "00000000", c + CRLF, QStringLiteral("N"), QStringLiteral("OUTRO"));
        transfereMrp(db);
        QCOMPARE(linhasAfd(db), QStringList({a, b2.left(12), c}));
        QCOMPARE(linhasAfd(db, QStringLiteral("OUTRO")), QStringList());
        QCOMPARE(valor(db, QStringLiteral("select afdconvertido from tbmemoriarep where idrep = 'OUTRO'"))
                     .toString(),
                 QStringLiteral("N"));
    }

    void cache_data()
    {
        QTest::addColumn<QString>("pagina");
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QStringList>("esperado");
        const QString a = marcacao(1, "05032024", "0800"), b = marcacao(2, "05032024", "0900"),
                      c = marcacao(3, "05032024", "1000");
        const QString tipo2 = QStringLiteral("000000004") + QLatin1Char('2') + QString(289, QLatin1Char('X'));
        const QString tipo5 = QStringLiteral("000000005") + QLatin1Char('5') + QString(77, QLatin1Char('Y'));
        QTest::newRow("record split between page and cache")
            << a + CRLF + b.left(15) << b.mid(15) + CRLF + c + CRLF << QStringList({b, c});
        QTest::newRow("complete trailing record stored") << a + CRLF << b + CRLF + c << QStringList({b, c});
        QTest::newRow("unfinished trailing record left")
            << a + CRLF << b + CRLF + c.left(33) << QStringList({b});
        QTest::newRow("trailing type 2 of 299") << a + CRLF << tipo2 << QStringList({tipo2});
        QTest::newRow("trailing type 2 short") << a + CRLF << tipo2.left(298) << QStringList();
        QTest::newRow("trailing type 5 of 87") << a + CRLF << tipo5 << QStringList({tipo5});
        QTest::newRow("trailing unknown type")
            << a + CRLF << QStringLiteral("0000000069") + QString(24, '1') << QStringList();
        QTest::newRow("no page") << QString() << a + CRLF + b << QStringList({a, b});
    }

    void cache()
    {
        QFETCH(QString, pagina);
        QFETCH(QString, cache);
        QFETCH(QStringList, esperado);
        BancoTeste bt;
        QSqlDatabase db = bancoNovo(bt);
        if (!pagina.isNull()) {
            inserePagina(db, "00000000", pagina);
            transfereMrp(db);
            executa(db, QStringLiteral("delete from tbafd"));
        }
        transfereCache(db, cache);
        QCOMPARE(linhasAfd(db), esperado);
    }

    void cacheIncompletoDepoisCompleto()
    {
        BancoTeste bt;
        QSqlDatabase db = bancoNovo(bt);
        const QString a = marcacao(1, "05032024", "0800"), b = marcacao(2, "05032024", "0900");
        inserePagina(db, "00000000", a + CRLF);
        transfereMrp(db);
        transfereCache(db, b.left(20));
        QCOMPARE(linhasAfd(db), QStringList({a}));
        // the next collection: the cache now holds the whole record
        transfereCache(db, b + CRLF);
        QCOMPARE(linhasAfd(db), QStringList({a, b}));
        transfereCache(db, b + CRLF);
        QCOMPARE(valor(db, QStringLiteral("select count(*) from tbafd")).toInt(), 2);
    }

    void listaPontos()
    {
        BancoTeste bt;
        QSqlDatabase db = bancoNovo(bt);
        const QString pis = QStringLiteral("012345678901");
        inserePagina(db, "00000000",
                     marcacao(1, "10042024", "0800", pis) + CRLF + marcacao(2, "10042024", "1200", pis) +
                         CRLF + marcacao(3, "11042024", "0700", pis) + CRLF +
                         marcacao(4, "10042024", "0600", "999999999999") + CRLF);
        inserePagina(db, "00000000", marcacao(1, "10042024", "0800", pis) + CRLF, QStringLiteral("N"),
                     QStringLiteral("OUTRO"));
        transfereMrp(db);
        transfereMrp(db, QStringLiteral("OUTRO"));
        QCOMPARE(valor(db, QStringLiteral("select fclistapontos('20240410', '%1')").arg(pis)).toString(),
                 QStringLiteral(" - 08:00 - 12:00"));
        QCOMPARE(valor(db, QStringLiteral("select fclistapontos('20240412', '%1')").arg(pis)).toString(),
                 QString());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("call splistapontos('20240410', '%1')").arg(pis)));
        QVERIFY(q.next());
        QCOMPARE(q.record().fieldName(0), QStringLiteral("pontos"));
        QCOMPARE(q.value(0).toString(), QStringLiteral(" - 08:00 - 12:00"));
    }

    void listaPontosDiaCheio()
    {
        BancoTeste bt;
        QSqlDatabase db = bancoNovo(bt);
        const QString pis = QStringLiteral("012345678901");
        QString texto, esperado;
        for (int i = 0; i < 30; ++i) {
            const QString hora = QStringLiteral("%1%2")
                                     .arg(6 + i / 4, 2, 10, QLatin1Char('0'))
                                     .arg((i % 4) * 15, 2, 10, QLatin1Char('0'));
            texto += marcacao(i + 1, "10042024", hora, pis) + CRLF;
            esperado += QStringLiteral(" - ") + hora.left(2) + QLatin1Char(':') + hora.mid(2);
        }
        inserePagina(db, "00000000", texto);
        transfereMrp(db);
        QCOMPARE(valor(db, QStringLiteral("select count(*) from tbafd")).toInt(), 30);
        QCOMPARE(esperado.size(), 240);
        QCOMPARE(valor(db, QStringLiteral("select fclistapontos('20240410', '%1')").arg(pis)).toString(),
                 esperado);
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("call splistapontos('20240410', '%1')").arg(pis)));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), esperado);
    }
};

QTEST_GUILESS_MAIN(TestEsquema)
#include "test_esquema.moc"
