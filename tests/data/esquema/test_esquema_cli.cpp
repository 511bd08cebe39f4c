// kelvo-rep db-check / db-create / db-upgrade against the real test server.

#include "data/arquivoini.h"
#include "testsupport.h"

#include <QProcess>

using namespace kelvo;
using namespace kelvo::teste;

class TestEsquemaCli : public QObject
{
    Q_OBJECT

    struct Saida
    {
        int status;
        QString texto;
        QString erros;
    };

    Saida roda(const QString &ini, const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(KELVO_BIN_DIR "/kelvo-rep"),
                QStringList({QStringLiteral("--ini"), ini}) + args);
        if (!p.waitForFinished(120000))
            return {-1, QString(), QStringLiteral("kelvo-rep não terminou")};
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(p.readAllStandardError()).trimmed()};
    }

private Q_SLOTS:
    void initTestCase() { KELVO_EXIGE_SERVIDOR(); }

    void comandos()
    {
        PastaTeste pasta;
        BancoTeste b;
        const Servidor s = servidor();
        const QString ini = pasta.arquivo(QStringLiteral("kelvo.ini"));
        {
            ArquivoIni a(ini);
            a.escreveTexto(QStringLiteral("BDADOS"), QStringLiteral("HostName"), s.host);
            a.escreveTexto(QStringLiteral("BDADOS"), QStringLiteral("Database"), b.nome());
            a.escreveInteiro(QStringLiteral("BDADOS"), QStringLiteral("PORTA"), s.porta);
        }
        const QStringList conta = {QStringLiteral("--user"), s.usuario, QStringLiteral("--password"),
                                   s.senha};

        Saida r = roda(ini, conta + QStringList{QStringLiteral("db-check")});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.texto, QStringLiteral("Banco de dados %1 não existe.").arg(b.nome()));

        r = roda(ini, conta + QStringList{QStringLiteral("db-create")});
        QVERIFY2(r.status == 0, qPrintable(r.erros));
        QCOMPARE(r.texto, QStringLiteral("Banco de dados %1 criado.").arg(b.nome()));
        QSqlDatabase db = b.conexao(false);
        QCOMPARE(valor(db, QStringLiteral("select versao from tbversao where nome = 'BD'")).toInt(), 11);
        QCOMPARE(valor(db, QStringLiteral("select count(*) from tbpermisso")).toInt(), 1);

        r = roda(ini, conta + QStringList{QStringLiteral("db-create")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.texto, QStringLiteral("Banco de dados %1 já existe.").arg(b.nome()));

        // An earlier database: the upgrade brings it to the last level.
        executa(db, QStringLiteral("update tbversao set versao = 10"));
        executa(db, QStringLiteral("alter table tbcolaborador drop column ibutton12"));
        r = roda(ini, conta + QStringList{QStringLiteral("db-check")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.texto, QStringLiteral("Banco de dados %1 existe; nível 10 (atual 11).").arg(b.nome()));
        r = roda(ini, conta + QStringList{QStringLiteral("db-upgrade")});
        QVERIFY2(r.status == 0, qPrintable(r.erros));
        QCOMPARE(r.texto, QStringLiteral("Banco de dados %1 no nível 11.").arg(b.nome()));
        QCOMPARE(valor(db, QStringLiteral(
                               "select count(*) from information_schema.columns where table_schema = "
                               "database() and table_name = 'tbcolaborador' and column_name = 'ibutton12'"))
                     .toInt(),
                 1);

        // A refused account: the server's message, failure status.
        r = roda(ini, {QStringLiteral("--user"), s.usuario, QStringLiteral("--password"),
                       QStringLiteral("errada"), QStringLiteral("db-check")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.erros.contains(QStringLiteral("Não foi possível conectar ao servidor. Mensagem: ")),
                 qPrintable(r.erros));
    }
};

QTEST_GUILESS_MAIN(TestEsquemaCli)
#include "test_esquema_cli.moc"
