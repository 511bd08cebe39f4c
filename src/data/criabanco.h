#pragma once
// Examination and creation of the program's database (TdmCriaBanco), the one
// reading of the database settings of sistema.INI, and the quoting of values
// in statements that take no parameters.
//
// TdmCriaBanco lives for one check or one creation.  It opens its own
// server-level connection (ConexaoDump) and reports through the interaction
// interface (data/interacao.h); it never opens a window and never ends the
// program: callers get a result and decide.

#include "data/sistema.h"

#include <QSqlDatabase>
#include <QString>

namespace kelvo {

class ArquivoIni;

// Reads the database settings the way the login does: BDADOS/HostName
// (default "localhost"), BDADOS/Database (default "kelvo" for MySQL, empty for
// SQL Server), BDADOS/PORTA (3306), BANCO/qualbanco (0), BANCO/mascarado
// (false), BANCO/User and BANCO/Senha (Base64; invalid Base64 gives empty).
// Fills host, database, porta, dialeto, mascarado, the masked account,
// NomeBanco and SufixoNolock; the login account is left as it is.
void leConfigBanco(ConfigBanco &cfg, const ArquivoIni &ini);
// The same from ArquivoConfig() into configBanco().
void leConfigBanco();

// Quoting for statements that cannot take parameters (create database, the
// server account statements): an identifier in `...` (MySQL) or [...] (SQL
// Server), the closing quote doubled; a text literal in '...' with quotes
// (and, for MySQL, backslashes) doubled.
QString citaIdentificador(const QString &nome, Dialeto dialeto);
QString citaTexto(const QString &valor, Dialeto dialeto);

enum class ResultadoCriacao
{
    Criado,   // database, tables, seed rows and routines are in place
    Recusado, // the user answered No; the end-of-program message was shown
    Falhou    // a statement failed; the error was shown and is in ultimoErro()
};

class TdmCriaBanco
{
public:
    // Works on a copy of the settings (host, account of the current attempt:
    // the login account, or the masked account in masked mode).
    explicit TdmCriaBanco(const ConfigBanco &cfg = configBanco());
    ~TdmCriaBanco();
    TdmCriaBanco(const TdmCriaBanco &) = delete;
    TdmCriaBanco &operator=(const TdmCriaBanco &) = delete;

    // True when the configured database exists on the server (names compared
    // without regard to case).  When the server refuses the connection it
    // shows "Não foi possível conectar ao servidor. Mensagem: " + the error
    // and returns false with conexaoDumpAberta() false.
    bool BancoExiste();
    bool conexaoDumpAberta() const;

    // Creates the database and its objects.  With `perguntar` it first asks
    // "Banco de dados não encontrado. Deseja criar novo banco? ..." (any
    // answer but Yes: "O sistema será finalizado, ..." and Recusado; the
    // caller closes the settings and ends the program).  Opens the
    // server-level connection itself when BancoExiste has not.  Ends with
    // "Banco de dados criado!".
    ResultadoCriacao CriaBanco(bool perguntar = true);

    // The database error of the last failure (connection or statement).
    QString ultimoErro() const { return m_erro; }
    QSqlDatabase ConexaoDump() const;

    // Creates tbversao on an open MySQL connection (used by the upgrade).
    static bool criaTbVersao(QSqlDatabase db, QString *erro = nullptr);

private:
    bool abreDump(const QString &database);
    bool executaScript(const QString &recurso, QString *erro);
    bool executa(const QString &sql, QString *erro);
    ResultadoCriacao falha(const QString &texto);

    ConfigBanco m_cfg;
    QString m_conexao;
    QString m_erro;
};

// Texts of the embedded schema scripts (":/esquema/..." resources): the whole
// file, and a file split into statements at ";" outside quotes.
QString scriptEsquema(const QString &nome);
QStringList comandosDoScript(const QString &texto);

} // namespace kelvo
