#pragma once
// kelvo-rep collect: the "Coletar AFD" flow of a registered REP without
// questions, for scheduled collection.
//
//   collect (--rep ID | --code CODIGOCOLETOR) [--file F] [--from DD/MM/YYYY --to DD/MM/YYYY]
//
// An existing file is replaced.  Prints every message of the flow and, on
// success, "AFD: " + the file name; exit status 0 on success, 1 on any
// failure, 2 on a usage error.

#include "cli/banco.h"
#include "operations/coletaafd.h"

#include <QDate>
#include <QStringList>
#include <QTextStream>

namespace kelvo::cli {

struct OpcoesColeta
{
    int idcoletor = 0;
    QString codigo;
    QString arquivo;
    bool filtro = false;
    QDate de;
    QDate ate;
};

bool ehComandoColeta(const QString &comando);
// The arguments after "collect".  False with the reason on a usage error.
bool leOpcoesColeta(const QStringList &argumentos, OpcoesColeta *opcoes, QString *erro);
QString usoColeta();

// Runs the flow on the data module already connected (dmDados()); runs its own
// event loop until the collection has ended.
int executaColeta(const OpcoesColeta &opcoes, QTextStream &saida, QTextStream &erros,
                  FabricaMotor fabrica = {});

// The whole command: settings, main connection, then executaColeta.
int comandoColeta(const QStringList &argumentos, const OpcoesBanco &banco, QTextStream &saida,
                  QTextStream &erros);

} // namespace kelvo::cli
