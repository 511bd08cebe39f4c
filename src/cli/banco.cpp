#include "cli/banco.h"

namespace kelvo::cli {

bool ehComandoBanco(const QString &comando) { return comando.startsWith(QLatin1String("db-")); }

int comandoBanco(const QString &, const OpcoesBanco &, QTextStream &, QTextStream &erros)
{
    erros << "comando de banco ainda não disponível nesta versão\n";
    return 2;
}

} // namespace kelvo::cli
