#pragma once
// Database commands of kelvo-rep: db-check, db-create, db-upgrade.

#include <QString>
#include <QTextStream>

namespace kelvo::cli {

struct OpcoesBanco
{
    QString ini;     // settings file; empty = sistema.INI in the program folder
    QString usuario; // login account when the connection is not masked
    QString senha;
};

bool ehComandoBanco(const QString &comando);
// Runs one database command; returns the exit status (0 success, 1 failure).
int comandoBanco(const QString &comando, const OpcoesBanco &opcoes, QTextStream &saida, QTextStream &erros);

} // namespace kelvo::cli
