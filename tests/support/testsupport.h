#pragma once
// Shared by the tests: a private program folder, the test database server from
// KELVO_TEST_DB, and helpers for databases that exist for one test.

#include "data/interacao.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace kelvo::teste {

// A fresh program folder with its own sistema.INI for the lifetime of the object.
class PastaTeste
{
public:
    PastaTeste();
    ~PastaTeste();
    QString caminho() const; // ends with "/"
    QString arquivo(const QString &nome) const { return caminho() + nome; }

private:
    QTemporaryDir m_dir;
};

// The test server, from KELVO_TEST_DB ("host=...;port=...;user=...;password=...").
struct Servidor
{
    QString host;
    int porta = 3306;
    QString usuario;
    QString senha;
    bool valido = false;
};
Servidor servidor();

// Under CI a missing server is a failure; elsewhere the test is skipped.
#define KELVO_EXIGE_SERVIDOR()                                                                               \
    do {                                                                                                     \
        if (!::kelvo::teste::servidor().valido) {                                                            \
            if (qEnvironmentVariableIsSet("CI"))                                                             \
                QFAIL("KELVO_TEST_DB is not set: database tests need the server scripts/test starts");      \
            QSKIP("KELVO_TEST_DB is not set (scripts/test starts a server)");                                \
        }                                                                                                    \
    } while (0)

// A unique database name for one test ("kelvo_t_<pid>_<n>"); dropped by the
// destructor when it exists.
class BancoTeste
{
public:
    explicit BancoTeste(const QString &prefixo = QStringLiteral("kelvo_t"));
    ~BancoTeste();
    QString nome() const { return m_nome; }
    // A plain server connection on this database (created when asked).
    QSqlDatabase conexao(bool criar = true);
    // Runs statements on the server connection (no database selected).
    bool executaNoServidor(const QString &sql, QString *erro = nullptr);

private:
    QString m_nome;
    QString m_conexao;
};

// Runs one statement; fails the test with the database error when it fails.
void executa(QSqlDatabase db, const QString &sql);
QVariant valor(QSqlDatabase db, const QString &sql);

} // namespace kelvo::teste
