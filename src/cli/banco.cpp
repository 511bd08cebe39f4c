#include "cli/banco.h"

#include "data/arquivoini.h"
#include "data/atualizabanco.h"
#include "data/conexao.h"
#include "data/criabanco.h"
#include "data/interacao.h"
#include "data/sistema.h"

#include <QSqlDatabase>

namespace kelvo::cli {

namespace {

// Messages go to the error stream; questions are answered No (nothing is
// asked in an unattended run: db-create creates without the question).
class InteracaoTerminal : public Interacao
{
public:
    explicit InteracaoTerminal(QTextStream &erros) : m_erros(erros) {}
    void mensagem(const QString &texto, Icone, const QString &) override
    {
        m_erros << QString(texto).replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
        m_erros.flush();
    }
    bool pergunta(const QString &texto, const QString &) override
    {
        m_erros << texto << " [Não]\n";
        m_erros.flush();
        return false;
    }

private:
    QTextStream &m_erros;
};

const QString kConexao = QStringLiteral("kelvo_rep_banco");

// The main connection as the program opens it (masked or login account).
bool abrePrincipal(const ConfigBanco &cfg, QTextStream &erros)
{
    ErroBanco e;
    if (abreConexao(kConexao, parametrosDaConfiguracao(cfg), &e))
        return true;
    erros << e.mensagemConexao().replace(QLatin1Char('\r'), QLatin1Char('\n')) << '\n';
    return false;
}

void fechaPrincipal()
{
    if (QSqlDatabase::contains(kConexao)) {
        QSqlDatabase::database(kConexao, false).close();
        QSqlDatabase::removeDatabase(kConexao);
    }
}

int verifica(const ConfigBanco &cfg, QTextStream &saida, QTextStream &erros)
{
    bool existe;
    {
        TdmCriaBanco dm(cfg);
        existe = dm.BancoExiste();
        if (!dm.conexaoDumpAberta())
            return 1;
        if (!existe && !dm.ultimoErro().isEmpty()) {
            erros << dm.ultimoErro() << '\n';
            return 1;
        }
    }
    if (!existe) {
        saida << "Banco de dados " << cfg.NomeBanco << " não existe.\n";
        return 1;
    }
    if (!abrePrincipal(cfg, erros))
        return 1;
    QString e;
    const int nivel =
        cfg.dialeto == Dialeto::MySQL ? nivelBanco(QSqlDatabase::database(kConexao, false), &e) : 0;
    fechaPrincipal();
    if (nivel < 0) {
        erros << e << '\n';
        return 1;
    }
    if (cfg.dialeto == Dialeto::MySQL)
        saida << "Banco de dados " << cfg.NomeBanco << " existe; nível " << nivel << " (atual "
              << NivelAtualBanco << ").\n";
    else
        saida << "Banco de dados " << cfg.NomeBanco << " existe (SQL Server: sem níveis de atualização).\n";
    return 0;
}

int cria(const ConfigBanco &cfg, QTextStream &saida, QTextStream &erros)
{
    TdmCriaBanco dm(cfg);
    const bool existe = dm.BancoExiste();
    if (!dm.conexaoDumpAberta())
        return 1;
    if (existe) {
        saida << "Banco de dados " << cfg.NomeBanco << " já existe.\n";
        return 0;
    }
    if (!dm.ultimoErro().isEmpty()) {
        erros << dm.ultimoErro() << '\n';
        return 1;
    }
    if (dm.CriaBanco(false) != ResultadoCriacao::Criado)
        return 1;
    saida << "Banco de dados " << cfg.NomeBanco << " criado.\n";
    return 0;
}

int atualiza(const ConfigBanco &cfg, QTextStream &saida, QTextStream &erros)
{
    if (cfg.dialeto == Dialeto::SQLServer) {
        saida << "SQL Server: nada a atualizar.\n";
        return 0;
    }
    if (!abrePrincipal(cfg, erros))
        return 1;
    QString e;
    bool ok;
    int nivel;
    {
        QSqlDatabase db = QSqlDatabase::database(kConexao, false);
        ok = AtualizaBanco(db, cfg.dialeto, &e);
        nivel = nivelBanco(db);
    }
    fechaPrincipal();
    if (!ok) {
        erros << e << '\n';
        return 1;
    }
    saida << "Banco de dados " << cfg.NomeBanco << " no nível " << nivel << ".\n";
    return 0;
}

} // namespace

bool ehComandoBanco(const QString &comando)
{
    return comando.startsWith(QLatin1String("db-"));
}

int comandoBanco(const QString &comando, const OpcoesBanco &opcoes, QTextStream &saida, QTextStream &erros)
{
    if (comando != QLatin1String("db-check") && comando != QLatin1String("db-create") &&
        comando != QLatin1String("db-upgrade")) {
        erros << "comando desconhecido: " << comando << '\n';
        return 2;
    }
    if (!opcoes.ini.isEmpty())
        abrirArquivoConfig(opcoes.ini);
    ConfigBanco &cfg = configBanco();
    leConfigBanco(cfg, ArquivoConfig());
    cfg.usuarioLogin = opcoes.usuario;
    cfg.senhaLogin = opcoes.senha;
    if (cfg.usuarioConexao().isEmpty()) {
        erros << "informe --user e --password (a conexão não é mascarada)\n";
        return 2;
    }
    InteracaoTerminal terminal(erros);
    InteracaoNoEscopo escopo(&terminal);
    int r;
    if (comando == QLatin1String("db-check"))
        r = verifica(cfg, saida, erros);
    else if (comando == QLatin1String("db-create"))
        r = cria(cfg, saida, erros);
    else
        r = atualiza(cfg, saida, erros);
    saida.flush();
    erros.flush();
    return r;
}

} // namespace kelvo::cli
