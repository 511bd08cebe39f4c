#pragma once
// Opening a database connection in either dialect, and the pure routines
// behind it: the stored ADO connection string read as an ODBC (FreeTDS)
// connection, the bare database name it names, and the error a failed
// connection gives, reduced to what callers decide on.

#include "data/sistema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace kelvo {

// Result codes the SQL Server client of the original program reported; kept so
// the messages built from them read the same.
constexpr qint64 kHResultLoginRecusado = 0x80040E4DLL;    // login refused
constexpr qint64 kHResultBancoInacessivel = 0x80004005LL; // database cannot be opened
constexpr int kMySQLLoginRecusado = 1045;                 // ER_ACCESS_DENIED_ERROR
constexpr int kMySQLBancoDesconhecido = 1049;             // ER_BAD_DB_ERROR

// A database error as callers need it.
struct ErroBanco
{
    enum class Tipo
    {
        Nenhum,           // no error
        LoginRecusado,    // MySQL 1045 / SQL Server 0x80040E4D
        BancoInexistente, // MySQL 1049 / SQL Server 0x80004005 (database cannot be opened)
        Outro             // anything else (server unreachable, statement error, ...)
    };
    Tipo tipo = Tipo::Nenhum;
    // MySQL: the server's error number (1045, 1049, 2003, ...).  SQL Server:
    // 0x80040E4D or 0x80004005 for the two kinds above, else the server's
    // native number (or 0x80004005 when the driver gave none).
    qint64 codigo = 0;
    qint64 codigoNativo = 0; // the driver's own number, as received
    QString mensagem;        // the server's / driver's text
    // MySQL: the driver's state text; SQL Server: the code again (as the
    // original client did).
    QString status;

    bool ok() const { return tipo == Tipo::Nenhum; }
    // The server closed the session (MySQL 2006 "gone away", 2013 "lost
    // connection"), e.g. after a night idle: the client reconnects on the next
    // statement, so a read may simply be run again.
    bool conexaoPerdida() const { return codigo == 2006 || codigo == 2013; }
    bool loginRecusado() const { return tipo == Tipo::LoginRecusado; }
    bool bancoInexistente() const { return tipo == Tipo::BancoInexistente; }
    // The code as the messages show it: decimal for MySQL and for the SQL
    // Server native numbers, "0x80040E4D" for the SQL Server result codes.
    QString textoCodigo() const;
    // "Erro na Conexão ao banco de dados: " + code + "\r\r" + "Mensagem .............: " ...
    QString mensagemConexao() const;
    // One line for a window's error box: the message (with the code when known).
    QString texto() const;
};

// Reduces a Qt SQL error to an ErroBanco in the given dialect.
ErroBanco erroBanco(const QSqlError &e, Dialeto dialeto);

// Everything needed to open one connection.
struct ParametrosConexao
{
    Dialeto dialeto = Dialeto::MySQL;
    QString host;
    int porta = 3306; // MySQL only; SQL Server takes the port from Data Source (default 1433)
    QString database; // MySQL: database name (may be empty: server level); SQL Server: the ADO string
    QString usuario;
    QString senha;
    int tempoLimiteSegundos = 10; // connect time-out, so an unreachable server fails promptly
};

// The dialect a Qt connection speaks (QODBC: SQL Server, else MySQL).
Dialeto dialetoDaConexao(const QSqlDatabase &db);

// The parameters of the main connection from the database settings (the
// masked account or the login account).
ParametrosConexao parametrosDaConfiguracao(const ConfigBanco &c = configBanco());

// Configures the named connection (adding it when needed) and opens it.  An
// open connection is closed first.  Never blocks longer than the time-out.
bool abreConexao(const QString &nomeConexao, const ParametrosConexao &p, ErroBanco *erro = nullptr);

// ---- pure routines ----

// "localhost" is reached over TCP, as the Windows client does (the Unix
// socket of a local server may not be the server configured): 127.0.0.1.
QString hostParaTcp(const QString &host);

// The text after "initial catalog" and one more character (the "="), found
// without regard to case, up to the next ";" (or the end).  Empty when the
// string names no catalog.
QString NomeBancoDaConexao(const QString &conexaoAdo);

// The ADO string without its catalog: the part before "initial catalog" joined
// to the part after the next ";" (server-level connection for creation).
QString ConexaoSemCatalogo(const QString &conexaoAdo);

// The ADO connection string of a new SQL Server setting.
QString montaConexaoAdo(const QString &banco, const QString &host);

// Pieces of an ADO string that an ODBC connection needs.
struct DadosConexaoAdo
{
    QString servidor;  // Data Source without port or instance
    QString instancia; // "host\instance" form
    int porta = 1433;  // "host,port" form, else 1433
    QString banco;     // Initial Catalog
    QString usuario;   // User ID, when the string carries one
    QString senha;     // Password, when the string carries one
};
DadosConexaoAdo leConexaoAdo(const QString &conexaoAdo);

// Path of the FreeTDS ODBC driver library (environment KELVO_TDSODBC first),
// or the driver name "FreeTDS" when no library is found.
QString driverFreeTds();

// FreeTDS ODBC connection string for the stored ADO string; the account given
// wins over one inside the string.  Values are braced where needed.
QString conexaoOdbcDeAdo(const QString &conexaoAdo, const QString &usuario, const QString &senha,
                         const QString &driver = driverFreeTds());

} // namespace kelvo
