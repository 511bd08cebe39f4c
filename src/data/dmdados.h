#pragma once
// TdmDados: the program's one data module.  It owns the main connection
// (ConexaoBD), the single-record datasets of the registers, the lookup queries
// the record rules use, and the rules that run when a record is saved or
// deleted.  It lives for the whole run; every window reaches the database
// through it.  No widgets: messages go through kelvo::interacao().
//
// The start-up sequence that creates it (splash, first run, login) lives in
// src/app; this module provides what that sequence calls.
//
// After-connect hook: every successful connect with a non-empty database name
// runs `aposConectar` (when set).  The schema upgrade installs itself there:
//     dmDados().aposConectar = [] { kelvo::AtualizaBanco(); };
// AtualizaBanco() (src/data/atualizabanco.h) takes no arguments and works on
// dmDados().ConexaoBD() in dmDados().dialeto().

#include "data/conexao.h"
#include "data/dataset.h"

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <functional>

namespace kelvo {

class TdmDados : public QObject
{
    Q_OBJECT
public:
    // Name of the main connection in QSqlDatabase.
    static QString nomeConexaoBD();

    // Creates the datasets (statements adapted to MySQL, as the module does at
    // creation) and becomes the module dmDados() returns.
    explicit TdmDados(QObject *parent = nullptr);
    ~TdmDados() override;

    // ---- main connection ----
    QSqlDatabase ConexaoBD() const;
    // Before-connect rule: host, database, port and account from configBanco()
    // (masked account or login account), dialect from configBanco().dialeto.
    // Then opens; on success (and a non-empty database name) runs aposConectar.
    bool conecta(ErroBanco *erro = nullptr);
    void desconecta();
    bool conectado() const;
    ErroBanco ultimoErroConexao() const { return m_erroConexao; }
    std::function<void()> aposConectar;

    // ---- dialect values (kept in configBanco(), set by first run and login) ----
    Dialeto dialeto() const;
    bool sqlServer() const { return dialeto() == Dialeto::SQLServer; }
    QString NomeBanco() const;
    QString SufixoNolock() const;
    // A statement text adapted to the current dialect.
    QString AdaptaSQLBanco(const QString &sql) const;
    // Every dataset owned by `dono` (a window, or this module).
    void AdaptaSQLBanco(QObject *dono) const;
    // Greatest value of an integer column (0 for an empty table or a failure).
    // Column and table are program texts, never typed ones.
    int UltimoCodigo(const QString &coluna, const QString &tabela);

    // ---- datasets (owned by the module; windows re-open them on a key) ----
    Dataset *qySQL;
    Dataset *tbColetor;
    Dataset *qyLocalizaColetor;
    Dataset *tbColaborador;
    Dataset *qyLocalizaColaboradorPis;
    Dataset *qyLocalizaColaboradorCodigo;
    Dataset *tbDepto;
    Dataset *tbEmpresa;
    Dataset *qyListaEmpresas;
    Dataset *tbColabREP;
    Dataset *TbLogColeta; // opened on a key: "... where idlogcoleta = :pidlogcoleta"
    Dataset *TbBackupAFD; // opened on a key: "... where IdBackupAFD = :pidbackupafd"
    Dataset *TbImportaColab;
    Dataset *tbMemoriaREP;
    Dataset *tbDigital;
    Dataset *qyDigitais;
    Dataset *qyLocalizaDigitais;
    Dataset *tbUsuario;
    Dataset *qyCripSenhaMySQL;
    Dataset *qyCripSenhaMSSQL;
    Dataset *TbSenhaUsuario; // statement set by the login per dialect
    Dataset *qyInsereLogSistema;

    // The dataset of the given component name (case-sensitive), or nullptr.
    Dataset *dataset(const QString &nome) const;

    // ---- record rules ----
    // Installed at creation: the required-fields rule on tbColetor, tbDepto and
    // tbUsuario; the device delete rule; the company rules (regrasempresa.h);
    // the employee rules (regrascolaborador.h); the import-layout defaults.
    // A window may replace a hook, or wrap it by keeping the previous one.
    // Required-fields rule: the first required field without a value shows
    // "O campo '<label>' precisa ser preenchido!" (warning, "Aviso") and refuses.
    bool VerificaCamposBeforePost(Dataset &ds);
    // Device delete rule: removes the device's collected memory rows; a
    // failure stops the deletion with the database error (ds.erro()).
    bool tbColetorBeforeDelete(Dataset &ds);

    // Marks (0 normally): 1 while the HR import writes a company / for the
    // whole employee import; the company and employee rules skip their checks.
    int marcaEmpresa = 0;
    int marcaColaborador = 0;
    // The employee's PIS and proximity card when editing began (empty while inserting).
    QString pisAnterior;
    QString proximidadeAnterior;

    // `portaserial` of the current tbColetor record (0 when none).
    int portaSerialColetor() const;

    // ---- users ----
    // The logged-in login (set by the login code; empty before).
    void defineLoginAtual(const QString &login) { m_loginAtual = login; }
    QString loginAtual() const { return m_loginAtual; }
    // The user check of the login, per dialect, with bound values.  False on
    // an unknown user or a database error (then *erro is filled).
    bool VerificaUsuario(const QString &login, const QString &senha, ErroBanco *erro = nullptr);
    // The password hash the server computes for the dialect (qyCripSenha*).
    // Empty on a database error.
    QString CriptografaSenha(const QString &senha, ErroBanco *erro = nullptr);

    // ---- system log ----
    // Writes one tblogsistema row: now(), the logged-in user's tbpermisso
    // number (0 when there is none or the table does not exist), the window
    // title and the message (cut to the column sizes).  False when the row
    // could not be written; never shows a message.
    bool RegistraLogSistema(const QString &formulario, const QString &mensagem);
    // The tbpermisso number of a login (0 when none / no such table).
    int idPermissoDoLogin(const QString &login);

    // ---- append-only tables (never loaded to add a row) ----
    // New collection-log row; returns its idlogcoleta (0 on failure).
    int insereLogColeta(const QDateTime &inicio, int idcoletor, const QString &sucesso = QStringLiteral("N"),
                        const QVariant &fim = QVariant(), const QVariant &filtro = QVariant(),
                        ErroBanco *erro = nullptr);
    // Marks a collection-log row: sucesso and datahorafim (null fim leaves it null).
    bool atualizaLogColeta(int idlogcoleta, const QString &sucesso, const QVariant &fim = QVariant(),
                           ErroBanco *erro = nullptr);
    // New kept AFD copy; returns its IdBackupAFD (0 on failure).
    int insereBackupAFD(const QDateTime &datahora, int idpermisso, const QByteArray &arquivo,
                        const QString &idrep, ErroBanco *erro = nullptr);

    // Runs one statement on the main connection with bound values (a query
    // made for the call).  For best-effort statements and small lookups.
    bool executa(const QString &sql, const QVariantHash &parametros = {}, ErroBanco *erro = nullptr,
                 int *linhasAfetadas = nullptr);
    // First column of the first row (null when none or on failure).
    QVariant valor(const QString &sql, const QVariantHash &parametros = {}, ErroBanco *erro = nullptr);

Q_SIGNALS:
    void conectou();

private:
    Dataset *cria(const QString &nome, const QString &sql, const QList<Campo> &campos);
    void instalaRegras();

    QString m_loginAtual;
    ErroBanco m_erroConexao;
};

// The data module of the run (the last one created).  Creating one is the
// start-up's first step; calling this before is a programming error.
TdmDados &dmDados();
bool existeDmDados();

} // namespace kelvo
