// kelvo-rep: one device or database action without windows.
#include "cli/dispositivo.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream saida(stdout);
    QTextStream erros(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    return kelvo::cli::executaKelvoRep(args, saida, erros);
}
