#include "testsupport.h"

#include "data/sistema.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

namespace kelvo::teste {

PastaTeste::PastaTeste()
{
    definirPastaPrograma(m_dir.path());
    abrirArquivoConfig(caminho() + QStringLiteral("sistema.INI"));
}

PastaTeste::~PastaTeste() { abrirArquivoConfig(QString()); }

QString PastaTeste::caminho() const { return m_dir.path() + QLatin1Char('/'); }

Servidor servidor()
{
    Servidor s;
    const QString env = qEnvironmentVariable("KELVO_TEST_DB");
    if (env.isEmpty())
        return s;
    for (const QString &par : env.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString k = par.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        const QString v = par.section(QLatin1Char('='), 1);
        if (k == QLatin1String("host"))
            s.host = v;
        else if (k == QLatin1String("port"))
            s.porta = v.toInt();
        else if (k == QLatin1String("user"))
            s.usuario = v;
        else if (k == QLatin1String("password"))
            s.senha = v;
    }
    s.valido = !s.host.isEmpty();
    return s;
}

namespace {
QAtomicInt g_contador;

QSqlDatabase abre(const QString &nomeConexao, const QString &banco)
{
    const Servidor s = servidor();
    QSqlDatabase db = QSqlDatabase::contains(nomeConexao) ? QSqlDatabase::database(nomeConexao, false)
                                                         : QSqlDatabase::addDatabase("QMYSQL", nomeConexao);
    db.setHostName(s.host);
    db.setPort(s.porta);
    db.setUserName(s.usuario);
    db.setPassword(s.senha);
    db.setDatabaseName(banco);
    if (!db.isOpen() && !db.open())
        qWarning("test server connection failed: %s", qPrintable(db.lastError().text()));
    return db;
}
} // namespace

BancoTeste::BancoTeste(const QString &prefixo)
{
    m_nome = QStringLiteral("%1_%2_%3").arg(prefixo).arg(QCoreApplication::applicationPid()).arg(++g_contador);
    m_conexao = QStringLiteral("teste_") + m_nome;
}

BancoTeste::~BancoTeste()
{
    if (servidor().valido)
        executaNoServidor(QStringLiteral("drop database if exists `%1`").arg(m_nome));
    for (const QString &n : {m_conexao, m_conexao + QStringLiteral("_srv")}) {
        if (QSqlDatabase::contains(n)) {
            QSqlDatabase::database(n, false).close();
            QSqlDatabase::removeDatabase(n);
        }
    }
}

QSqlDatabase BancoTeste::conexao(bool criar)
{
    if (criar)
        executaNoServidor(QStringLiteral("create database if not exists `%1`").arg(m_nome));
    return abre(m_conexao, m_nome);
}

bool BancoTeste::executaNoServidor(const QString &sql, QString *erro)
{
    QSqlDatabase db = abre(m_conexao + QStringLiteral("_srv"), QString());
    QSqlQuery q(db);
    const bool ok = q.exec(sql);
    if (!ok && erro)
        *erro = q.lastError().text();
    return ok;
}

void executa(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        QFAIL(qPrintable(QStringLiteral("%1: %2").arg(sql, q.lastError().text())));
}

QVariant valor(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next())
        return QVariant();
    return q.value(0);
}

} // namespace kelvo::teste
