#include "data/criabanco.h"

#include "data/arquivoini.h"
#include "data/atualizabanco.h"
#include "data/conexao.h"
#include "data/interacao.h"

#include <QAtomicInt>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

// Resources of a static library must be registered by hand, outside any namespace.
static void registraRecursosEsquema()
{
    Q_INIT_RESOURCE(esquema);
}

namespace kelvo {

namespace {

QAtomicInt g_contador;

const QString kSecaoBdados = QStringLiteral("BDADOS");
const QString kSecaoBanco = QStringLiteral("BANCO");

QString textoErro(const QSqlError &e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    return t;
}

} // namespace

// ---- settings ----

void leConfigBanco(ConfigBanco &cfg, const ArquivoIni &ini)
{
    cfg.host = ini.leTexto(kSecaoBdados, QStringLiteral("HostName"), QStringLiteral("localhost"));
    cfg.dialeto =
        ini.leInteiro(kSecaoBanco, QStringLiteral("qualbanco"), 0) == 1 ? Dialeto::SQLServer : Dialeto::MySQL;
    cfg.mascarado = ini.leBooleano(kSecaoBanco, QStringLiteral("mascarado"), false);
    cfg.usuarioMascarado = decodificaBase64(ini.leTexto(kSecaoBanco, QStringLiteral("User")));
    cfg.senhaMascarada = decodificaBase64(ini.leTexto(kSecaoBanco, QStringLiteral("Senha")));
    cfg.porta = ini.leInteiro(kSecaoBdados, QStringLiteral("PORTA"), 3306);
    if (cfg.dialeto == Dialeto::MySQL) {
        cfg.database = ini.leTexto(kSecaoBdados, QStringLiteral("Database"), QStringLiteral("kelvo"));
        cfg.NomeBanco = cfg.database;
        cfg.SufixoNolock.clear();
    } else {
        cfg.database = ini.leTexto(kSecaoBdados, QStringLiteral("Database"));
        cfg.NomeBanco = NomeBancoDaConexao(cfg.database);
        cfg.SufixoNolock = QStringLiteral("with (nolock)");
    }
}

void leConfigBanco()
{
    leConfigBanco(configBanco(), ArquivoConfig());
}

// ---- quoting ----

QString citaIdentificador(const QString &nome, Dialeto dialeto)
{
    if (dialeto == Dialeto::SQLServer)
        return QLatin1Char('[') + QString(nome).replace(QLatin1String("]"), QLatin1String("]]")) +
               QLatin1Char(']');
    return QLatin1Char('`') + QString(nome).replace(QLatin1String("`"), QLatin1String("``")) +
           QLatin1Char('`');
}

QString citaTexto(const QString &valor, Dialeto dialeto)
{
    QString v = valor;
    if (dialeto == Dialeto::MySQL)
        v.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    v.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// ---- scripts ----

QString scriptEsquema(const QString &nome)
{
    registraRecursosEsquema();
    QFile f(QStringLiteral(":/esquema/") + nome);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QStringList comandosDoScript(const QString &texto)
{
    QStringList comandos;
    QString atual;
    bool aspas = false;
    const QStringList linhas = texto.split(QLatin1Char('\n'));
    for (const QString &linhaBruta : linhas) {
        const QString linha = QString(linhaBruta).remove(QLatin1Char('\r'));
        if (!aspas && linha.trimmed().startsWith(QLatin1String("--")))
            continue;
        for (const QChar c : linha) {
            if (c == QLatin1Char('\''))
                aspas = !aspas;
            if (c == QLatin1Char(';') && !aspas) {
                if (!atual.trimmed().isEmpty())
                    comandos << atual.trimmed();
                atual.clear();
            } else {
                atual += c;
            }
        }
        atual += QLatin1Char('\n');
    }
    if (!atual.trimmed().isEmpty())
        comandos << atual.trimmed();
    return comandos;
}

// ---- TdmCriaBanco ----

TdmCriaBanco::TdmCriaBanco(const ConfigBanco &cfg)
    : m_cfg(cfg), m_conexao(QStringLiteral("kelvo_ConexaoDump_%1").arg(++g_contador))
{
}

TdmCriaBanco::~TdmCriaBanco()
{
    if (QSqlDatabase::contains(m_conexao)) {
        QSqlDatabase::database(m_conexao, false).close();
        QSqlDatabase::removeDatabase(m_conexao);
    }
}

QSqlDatabase TdmCriaBanco::ConexaoDump() const
{
    return QSqlDatabase::contains(m_conexao) ? QSqlDatabase::database(m_conexao, false) : QSqlDatabase();
}

bool TdmCriaBanco::conexaoDumpAberta() const
{
    return ConexaoDump().isOpen();
}

bool TdmCriaBanco::abreDump(const QString &database)
{
    ParametrosConexao p;
    p.dialeto = m_cfg.dialeto;
    p.host = m_cfg.host;
    p.porta = m_cfg.porta;
    p.database = database;
    // The account of the attempt: the login account, or in masked mode the
    // masked account, which is the one the server has just accepted.
    p.usuario = m_cfg.usuarioConexao();
    p.senha = m_cfg.senhaConexao();
    ErroBanco e;
    if (abreConexao(m_conexao, p, &e))
        return true;
    m_erro = e.mensagem;
    return false;
}

bool TdmCriaBanco::BancoExiste()
{
    const QString semBanco =
        m_cfg.dialeto == Dialeto::SQLServer ? ConexaoSemCatalogo(m_cfg.database) : QString();
    if (!abreDump(semBanco)) {
        informa(QStringLiteral("Não foi possível conectar ao servidor. Mensagem: ") + m_erro);
        return false;
    }
    // The name is bound, and compared whole without regard to case.
    QSqlQuery q(ConexaoDump());
    q.prepare(m_cfg.dialeto == Dialeto::SQLServer
                  ? QStringLiteral("select name from sys.databases where lower(name) = lower(?)")
                  : QStringLiteral("select schema_name from information_schema.schemata "
                                   "where lower(schema_name) = lower(?)"));
    q.addBindValue(m_cfg.NomeBanco);
    if (!q.exec()) {
        m_erro = textoErro(q.lastError());
        return false;
    }
    return q.next() && q.value(0).toString().toLower() == m_cfg.NomeBanco.toLower();
}

bool TdmCriaBanco::executa(const QString &sql, QString *erro)
{
    QSqlQuery q(ConexaoDump());
    if (q.exec(sql))
        return true;
    if (erro)
        *erro = textoErro(q.lastError());
    return false;
}

bool TdmCriaBanco::executaScript(const QString &recurso, QString *erro)
{
    const QString texto = scriptEsquema(recurso);
    if (texto.isEmpty()) {
        if (erro)
            *erro = QStringLiteral("script %1 ausente").arg(recurso);
        return false;
    }
    for (const QString &c : comandosDoScript(texto)) {
        if (!executa(c, erro))
            return false;
    }
    return true;
}

ResultadoCriacao TdmCriaBanco::falha(const QString &texto)
{
    m_erro = texto;
    erro(QStringLiteral("Não foi possível criar o banco de dados. Mensagem: ") + texto);
    return ResultadoCriacao::Falhou;
}

bool TdmCriaBanco::criaTbVersao(QSqlDatabase db, QString *erro)
{
    QSqlQuery q(db);
    if (q.exec(scriptEsquema(QStringLiteral("mysql/tbversao.sql"))))
        return true;
    if (erro)
        *erro = textoErro(q.lastError());
    return false;
}

ResultadoCriacao TdmCriaBanco::CriaBanco(bool perguntar)
{
    if (perguntar &&
        !pergunta(QStringLiteral("Banco de dados não encontrado. Deseja criar novo banco? Isso poderá levar "
                                 "alguns minutos."))) {
        informa(QStringLiteral(
            "O sistema será finalizado, pois é obrigatório ter um banco de dados disponível!"));
        return ResultadoCriacao::Recusado;
    }
    const bool sqlServer = m_cfg.dialeto == Dialeto::SQLServer;
    if (!conexaoDumpAberta() && !abreDump(sqlServer ? ConexaoSemCatalogo(m_cfg.database) : QString()))
        return falha(m_erro);

    QString e;
    // A database name cannot be a parameter: it is quoted as an identifier.
    if (!executa(QStringLiteral("create database ") + citaIdentificador(m_cfg.NomeBanco, m_cfg.dialeto), &e))
        return falha(e);

    ConexaoDump().close();
    if (!abreDump(sqlServer ? m_cfg.database : m_cfg.NomeBanco))
        return falha(m_erro);

    if (!sqlServer) {
        // The upgrade runs first on the empty database, as it does when the
        // main connection opens: it creates tbversao, tbafd, tbusuario (with
        // its administrator) and the routines, and records the last level.
        if (!AtualizaBanco(ConexaoDump(), Dialeto::MySQL, &e))
            return falha(e);
        if (!executaScript(QStringLiteral("mysql/tabelas.sql"), &e))
            return falha(e);
        if (!executaScript(QStringLiteral("mysql/usuario.sql"), &e))
            return falha(e);
        // Already made by the upgrade; its failure is expected and ignored.
        executa(scriptEsquema(QStringLiteral("mysql/fclistapontos.sql")), nullptr);
    } else {
        if (!executaScript(QStringLiteral("sqlserver/tabelas.sql"), &e))
            return falha(e);
        for (const QString &rotina : {QStringLiteral("sqlserver/spTransfereMrpAfd.sql"),
                                      QStringLiteral("sqlserver/spTransfereCacheAfd.sql"),
                                      QStringLiteral("sqlserver/fclistapontos.sql")}) {
            if (!executa(scriptEsquema(rotina), &e))
                return falha(e);
        }
    }
    informa(QStringLiteral("Banco de dados criado!"));
    return ResultadoCriacao::Criado;
}

} // namespace kelvo
