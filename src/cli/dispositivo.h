#pragma once
// Device commands of kelvo-rep: status, clock, employer-send, employer-read,
// employee-send, mt-read.  One conversation, RetornoComunicacao printed as one
// line, exit 0 when its code is 0, 1 otherwise, 2 for a usage error.

#include <QStringList>
#include <QTextStream>

namespace kelvo::cli {

bool ehComandoDispositivo(const QString &comando);
QString usoKelvoRep();

// `argumentos` are the whole command line after the program name.
int executaKelvoRep(const QStringList &argumentos, QTextStream &saida, QTextStream &erros);

} // namespace kelvo::cli
