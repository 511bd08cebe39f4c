#include "data/conexao.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

namespace kelvo {

namespace {

const QLatin1String kCatalogo("initial catalog");

bool ehHResult(qint64 c)
{
    return c == kHResultLoginRecusado || c == kHResultBancoInacessivel;
}

// SQL Server native numbers (and texts FreeTDS passes on) of the two cases the
// callers tell apart.
bool loginRecusadoSqlServer(qint64 nativo, const QString &msg)
{
    static const qint64 codigos[] = {18456, 18452, 18470, 18486, 18487, 18488};
    for (qint64 c : codigos)
        if (nativo == c)
            return true;
    return msg.contains(QLatin1String("Login failed"), Qt::CaseInsensitive) ||
           msg.contains(QLatin1String("28000"));
}

bool bancoInacessivelSqlServer(qint64 nativo, const QString &msg)
{
    return nativo == 4060 || nativo == 911 ||
           msg.contains(QLatin1String("Cannot open database"), Qt::CaseInsensitive) ||
           (msg.contains(QLatin1String("Database '"), Qt::CaseInsensitive) &&
            msg.contains(QLatin1String("does not exist"), Qt::CaseInsensitive));
}

QString chaveOdbc(const QString &v)
{
    if (v.isEmpty())
        return v;
    if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('{')) || v.contains(QLatin1Char('}')) ||
        v.contains(QLatin1Char('=')) || v.front().isSpace() || v.back().isSpace()) {
        QString s = v;
        s.replace(QLatin1Char('}'), QLatin1String("}}"));
        return QLatin1Char('{') + s + QLatin1Char('}');
    }
    return v;
}

} // namespace

QString ErroBanco::textoCodigo() const
{
    if (ehHResult(codigo))
        return QStringLiteral("0x") + QString::number(quint32(codigo), 16).toUpper();
    return QString::number(codigo);
}

QString ErroBanco::mensagemConexao() const
{
    return QStringLiteral("Erro na Conexão ao banco de dados: ") + textoCodigo() + QStringLiteral("\r\r") +
           QStringLiteral("Mensagem .............: ") + mensagem + QStringLiteral("\r\r") +
           QStringLiteral("StatusCode ...........: ") + status;
}

QString ErroBanco::texto() const
{
    if (ok())
        return QString();
    if (codigo == 0)
        return mensagem;
    return mensagem + QStringLiteral(" (") + textoCodigo() + QLatin1Char(')');
}

ErroBanco erroBanco(const QSqlError &e, Dialeto dialeto)
{
    ErroBanco r;
    if (!e.isValid())
        return r;
    bool ok = false;
    r.codigoNativo = e.nativeErrorCode().toLongLong(&ok);
    if (!ok)
        r.codigoNativo = 0;
    r.mensagem = e.databaseText().trimmed();
    if (r.mensagem.isEmpty())
        r.mensagem = e.driverText().trimmed();
    if (dialeto == Dialeto::MySQL) {
        r.codigo = r.codigoNativo;
        r.status = e.driverText().trimmed();
        if (r.codigo == kMySQLLoginRecusado)
            r.tipo = ErroBanco::Tipo::LoginRecusado;
        else if (r.codigo == kMySQLBancoDesconhecido)
            r.tipo = ErroBanco::Tipo::BancoInexistente;
        else
            r.tipo = ErroBanco::Tipo::Outro;
    } else {
        const QString tudo = e.text();
        if (loginRecusadoSqlServer(r.codigoNativo, tudo)) {
            r.tipo = ErroBanco::Tipo::LoginRecusado;
            r.codigo = kHResultLoginRecusado;
        } else if (bancoInacessivelSqlServer(r.codigoNativo, tudo)) {
            r.tipo = ErroBanco::Tipo::BancoInexistente;
            r.codigo = kHResultBancoInacessivel;
        } else {
            r.tipo = ErroBanco::Tipo::Outro;
            r.codigo = r.codigoNativo != 0 ? r.codigoNativo : kHResultBancoInacessivel;
        }
        r.status = r.textoCodigo();
    }
    if (r.mensagem.isEmpty())
        r.mensagem = QStringLiteral("Erro desconhecido do banco de dados.");
    return r;
}

Dialeto dialetoDaConexao(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QODBC") ? Dialeto::SQLServer : Dialeto::MySQL;
}

ParametrosConexao parametrosDaConfiguracao(const ConfigBanco &c)
{
    ParametrosConexao p;
    p.dialeto = c.dialeto;
    p.host = c.host;
    p.porta = c.porta;
    p.database = c.database;
    p.usuario = c.usuarioConexao();
    p.senha = c.senhaConexao();
    return p;
}

bool abreConexao(const QString &nomeConexao, const ParametrosConexao &p, ErroBanco *erro)
{
    const QString driver =
        p.dialeto == Dialeto::SQLServer ? QStringLiteral("QODBC") : QStringLiteral("QMYSQL");
    if (QSqlDatabase::contains(nomeConexao)) {
        QSqlDatabase atual = QSqlDatabase::database(nomeConexao, false);
        atual.close();
        if (atual.driverName() != driver) {
            atual = QSqlDatabase();
            QSqlDatabase::removeDatabase(nomeConexao);
        }
    }
    QSqlDatabase db = QSqlDatabase::contains(nomeConexao) ? QSqlDatabase::database(nomeConexao, false)
                                                          : QSqlDatabase::addDatabase(driver, nomeConexao);
    if (!db.isValid()) {
        if (erro) {
            *erro = ErroBanco();
            erro->tipo = ErroBanco::Tipo::Outro;
            erro->mensagem = QStringLiteral("O driver de banco de dados %1 não está instalado.").arg(driver);
            erro->status = erro->mensagem;
        }
        return false;
    }
    const int limite = p.tempoLimiteSegundos > 0 ? p.tempoLimiteSegundos : 10;
    if (p.dialeto == Dialeto::MySQL) {
        db.setHostName(hostParaTcp(p.host));
        db.setPort(p.porta > 0 ? p.porta : 3306);
        db.setDatabaseName(p.database);
        db.setUserName(p.usuario);
        db.setPassword(p.senha);
        // The Qt driver always asks for multiple statements per call (scripts
        // separated by ";").  CLIENT_FOUND_ROWS: an update reports the rows it
        // matched, so a row saved with the same values is not mistaken for a
        // row that vanished.
        // MYSQL_OPT_RECONNECT: the program stays open for days; a session the
        // server dropped (wait_timeout) is opened again by the next statement.
        db.setConnectOptions(
            QStringLiteral("CLIENT_FOUND_ROWS;MYSQL_OPT_RECONNECT=1;MYSQL_OPT_CONNECT_TIMEOUT=%1")
                .arg(limite));
    } else {
        db.setDatabaseName(conexaoOdbcDeAdo(
            p.database.isEmpty() ? QStringLiteral("Data Source=") + p.host : p.database, p.usuario, p.senha));
        db.setUserName(QString());
        db.setPassword(QString());
        db.setConnectOptions(
            QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(limite));
    }
    if (!db.open()) {
        if (erro)
            *erro = erroBanco(db.lastError(), p.dialeto);
        return false;
    }
    // Every statement commits on its own, read committed.
    QSqlQuery q(db);
    q.exec(p.dialeto == Dialeto::MySQL
               ? QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL READ COMMITTED")
               : QStringLiteral("SET TRANSACTION ISOLATION LEVEL READ COMMITTED"));
    if (erro)
        *erro = ErroBanco();
    return true;
}

QString hostParaTcp(const QString &host)
{
    const QString h = host.trimmed();
    if (h.isEmpty() || h.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
        h == QLatin1String(".") || h.compare(QLatin1String("(local)"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("127.0.0.1");
    return h;
}

QString NomeBancoDaConexao(const QString &conexaoAdo)
{
    const int pos = conexaoAdo.indexOf(kCatalogo, 0, Qt::CaseInsensitive);
    if (pos < 0)
        return QString();
    const int inicio = pos + kCatalogo.size() + 1;
    if (inicio > conexaoAdo.size())
        return QString();
    const int fim = conexaoAdo.indexOf(QLatin1Char(';'), inicio);
    return conexaoAdo.mid(inicio, fim < 0 ? -1 : fim - inicio).trimmed();
}

QString ConexaoSemCatalogo(const QString &conexaoAdo)
{
    const int pos = conexaoAdo.indexOf(kCatalogo, 0, Qt::CaseInsensitive);
    if (pos < 0)
        return conexaoAdo;
    const int fim = conexaoAdo.indexOf(QLatin1Char(';'), pos);
    return conexaoAdo.left(pos) + (fim < 0 ? QString() : conexaoAdo.mid(fim + 1));
}

QString montaConexaoAdo(const QString &banco, const QString &host)
{
    return QStringLiteral("Provider=SQLNCLI.1;Persist Security Info=True;Initial Catalog=") + banco +
           QStringLiteral(";Data Source=") + host + QStringLiteral(";adLockOptimistic");
}

DadosConexaoAdo leConexaoAdo(const QString &conexaoAdo)
{
    DadosConexaoAdo d;
    for (const QString &parte : conexaoAdo.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int igual = parte.indexOf(QLatin1Char('='));
        if (igual < 0)
            continue;
        const QString chave = parte.left(igual).trimmed().toLower().simplified();
        QString valor = parte.mid(igual + 1).trimmed();
        if (valor.size() >= 2 && ((valor.front() == QLatin1Char('"') && valor.back() == QLatin1Char('"')) ||
                                  (valor.front() == QLatin1Char('\'') && valor.back() == QLatin1Char('\''))))
            valor = valor.mid(1, valor.size() - 2);
        if (chave == QLatin1String("data source") || chave == QLatin1String("server") ||
            chave == QLatin1String("address") || chave == QLatin1String("addr")) {
            QString s = valor;
            if (s.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
                s = s.mid(4);
            const int virgula = s.indexOf(QLatin1Char(','));
            if (virgula >= 0) {
                bool ok = false;
                const int porta = s.mid(virgula + 1).trimmed().toInt(&ok);
                if (ok && porta > 0)
                    d.porta = porta;
                s = s.left(virgula);
            }
            const int barra = s.indexOf(QLatin1Char('\\'));
            if (barra >= 0) {
                d.instancia = s.mid(barra + 1).trimmed();
                s = s.left(barra);
            }
            d.servidor = s.trimmed();
        } else if (chave == QLatin1String("initial catalog") || chave == QLatin1String("database")) {
            d.banco = valor;
        } else if (chave == QLatin1String("user id") || chave == QLatin1String("uid") ||
                   chave == QLatin1String("user")) {
            d.usuario = valor;
        } else if (chave == QLatin1String("password") || chave == QLatin1String("pwd")) {
            d.senha = valor;
        }
    }
    return d;
}

QString driverFreeTds()
{
    const QString env = qEnvironmentVariable("KELVO_TDSODBC");
    if (!env.isEmpty())
        return env;
    static const char *const caminhos[] = {
        "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so",
        "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so",
        "/usr/lib/i386-linux-gnu/odbc/libtdsodbc.so",
        "/usr/lib/odbc/libtdsodbc.so",
        "/usr/local/lib/libtdsodbc.so",
        "/usr/lib64/libtdsodbc.so",
    };
    for (const char *c : caminhos)
        if (QFileInfo::exists(QString::fromLatin1(c)))
            return QString::fromLatin1(c);
    return QStringLiteral("FreeTDS");
}

QString conexaoOdbcDeAdo(const QString &conexaoAdo, const QString &usuario, const QString &senha,
                         const QString &driver)
{
    const DadosConexaoAdo d = leConexaoAdo(conexaoAdo);
    const QString servidor = hostParaTcp(d.servidor);
    QStringList partes;
    partes << QStringLiteral("DRIVER={%1}").arg(driver);
    if (d.instancia.isEmpty()) {
        partes << QStringLiteral("SERVER=") + chaveOdbc(servidor);
        partes << QStringLiteral("PORT=") + QString::number(d.porta);
    } else {
        partes << QStringLiteral("SERVER=") + chaveOdbc(servidor + QLatin1Char('\\') + d.instancia);
    }
    if (!d.banco.isEmpty())
        partes << QStringLiteral("DATABASE=") + chaveOdbc(d.banco);
    const QString u = usuario.isEmpty() ? d.usuario : usuario;
    const QString s = usuario.isEmpty() ? d.senha : senha;
    if (!u.isEmpty())
        partes << QStringLiteral("UID=") + chaveOdbc(u);
    if (!s.isEmpty())
        partes << QStringLiteral("PWD=") + chaveOdbc(s);
    partes << QStringLiteral("TDS_Version=7.4") << QStringLiteral("ClientCharset=UTF-8");
    return partes.join(QLatin1Char(';'));
}

} // namespace kelvo
