#include "app/conectaeloga.h"

#include "data/conexao.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"

namespace kelvo {

namespace {
enum class DesfechoCriacao
{
    NaoCriado,
    Criado,
    Recusado
};

// The database named in the settings could not be opened: when it really does
// not exist, offer to create it (on the server-level connection).
DesfechoCriacao tentaCriarBanco(TdmDados &dm, const ErroBanco &erroConexao)
{
    TdmCriaBanco criacao(configBanco());
    if (criacao.BancoExiste()) {
        // The server has it but refused to open it (rights, damage): say why
        // instead of going on silently.
        mostra(erroConexao.mensagemConexao());
        return DesfechoCriacao::NaoCriado;
    }
    dm.desconecta();
    if (!criacao.conexaoDumpAberta())
        return DesfechoCriacao::NaoCriado; // "Não foi possível conectar ao servidor..." was shown
    switch (criacao.CriaBanco()) {
    case ResultadoCriacao::Criado:
        return DesfechoCriacao::Criado;
    case ResultadoCriacao::Recusado:
        return DesfechoCriacao::Recusado;
    case ResultadoCriacao::Falhou:
        break;
    }
    return DesfechoCriacao::NaoCriado;
}
} // namespace

QString mensagemLoginRecusado(bool mascarado)
{
    return mascarado ? QStringLiteral("Usuário mascarado sem permissão de acesso ao servidor !!!")
                     : QStringLiteral("Usuário sem permissão de acesso ao servidor !!!");
}

bool TestaConexaoInicial(TdmDados &dm, bool *encerrar)
{
    if (encerrar)
        *encerrar = false;
    ErroBanco e;
    if (dm.conecta(&e))
        return true;
    if (e.loginRecusado()) {
        informa(mensagemLoginRecusado(configBanco().mascarado));
        return false;
    }
    if (e.bancoInexistente()) {
        const DesfechoCriacao d = tentaCriarBanco(dm, e);
        if (d == DesfechoCriacao::Recusado && encerrar)
            *encerrar = true;
        return d == DesfechoCriacao::Criado;
    }
    mostra(e.mensagemConexao());
    return false;
}

bool ConectaELoga(TdmDados &dm, const PedeLogin &pedeLogin)
{
    ConfigBanco &cfg = configBanco();
    leConfigBanco();
    ArquivoIni &ini = ArquivoConfig();

    constexpr int kTentativas = 4;
    int contador = 0;
    bool logado = false;
    while (contador < kTentativas) {
        QString login;
        QString senha;
        if (!pedeLogin(login, senha)) {
            dm.desconecta();
            break;
        }
        cfg.usuarioLogin = login;
        cfg.senhaLogin = senha;
        if (cfg.dialeto == Dialeto::MySQL) {
            ini.escreveTexto(QStringLiteral("BDADOS"), QStringLiteral("HostName"), cfg.host);
            ini.escreveTexto(QStringLiteral("BDADOS"), QStringLiteral("Database"), cfg.database);
        } else {
            cfg.database = ini.leTexto(QStringLiteral("BDADOS"), QStringLiteral("Database"));
            cfg.NomeBanco = NomeBancoDaConexao(cfg.database);
        }

        ErroBanco e;
        if (!dm.conecta(&e)) {
            if (e.loginRecusado()) {
                informa(mensagemLoginRecusado(cfg.mascarado));
            } else if (e.bancoInexistente()) {
                const DesfechoCriacao d = tentaCriarBanco(dm, e);
                if (d == DesfechoCriacao::Recusado) {
                    // The creation's own message said the program ends.
                    dm.desconecta();
                    return false;
                }
                if (d == DesfechoCriacao::Criado && cfg.dialeto == Dialeto::SQLServer)
                    contador = 0;
            } else {
                // The user check would run on a closed connection: count the
                // attempt and ask again instead.
                mostra(e.mensagemConexao());
            }
            ++contador;
            continue;
        }

        ++contador;
        ErroBanco erroVerificacao;
        if (dm.VerificaUsuario(login, senha, &erroVerificacao)) {
            dm.tbUsuario->abre({{QStringLiteral("plogin"), login}});
            dm.defineLoginAtual(login);
            logado = true;
            break;
        }
        if (!erroVerificacao.ok())
            erro(erroVerificacao.texto());
        else
            informa(QStringLiteral("Usuário ou Senha Não Identificados, Verifique !!!"));
    }

    if (!logado) {
        informa(QStringLiteral("Sistema Abortado, Usuário sem permissão de Acesso !!!"));
        dm.desconecta();
        return false;
    }
    return true;
}

} // namespace kelvo
