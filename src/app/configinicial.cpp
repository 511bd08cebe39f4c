#include "app/configinicial.h"

#include "data/arquivoini.h"
#include "data/conexao.h"
#include "data/interacao.h"

namespace kelvo {

bool portaValida(const QString &texto)
{
    bool ok = false;
    const int p = texto.trimmed().toInt(&ok);
    return ok && p >= 1 && p <= 65535;
}

QString mensagemPortaInvalida()
{
    return QStringLiteral("A porta deve ser um número inteiro entre 1 e 65535.");
}

void aplicaConfigInicial(const DadosConfigInicial &d)
{
    ConfigBanco &c = configBanco();
    c.host = d.host;
    c.dialeto = d.dialeto;
    c.mascarado = d.mascarado;
    c.usuarioMascarado = d.usuario;
    c.senhaMascarada = d.senha;
    c.usuarioLogin = d.usuario;
    c.senhaLogin = d.senha;
    c.porta = d.porta.trimmed().toInt();
    c.SufixoNolock.clear();
    if (d.dialeto == Dialeto::SQLServer) {
        c.SufixoNolock = QStringLiteral("with (nolock)");
        c.database = montaConexaoAdo(d.banco, d.host);
        c.NomeBanco = NomeBancoDaConexao(c.database);
    } else {
        c.database = d.banco;
        c.NomeBanco = d.banco;
    }
}

void gravaConfigInicial(const DadosConfigInicial &d)
{
    ArquivoIni &ini = ArquivoConfig();
    ini.escreveTexto(QStringLiteral("BDADOS"), QStringLiteral("hostname"), d.host);
    ini.escreveTexto(QStringLiteral("BDADOS"), QStringLiteral("database"),
                     d.dialeto == Dialeto::SQLServer ? montaConexaoAdo(d.banco, d.host) : d.banco);
    ini.escreveTexto(QStringLiteral("UNIDADE"), QStringLiteral("vgidunidade"), QStringLiteral("1"));
    ini.escreveInteiro(QStringLiteral("BDADOS"), QStringLiteral("PORTA"), d.porta.trimmed().toInt());
    ini.escreveInteiro(QStringLiteral("BANCO"), QStringLiteral("qualbanco"), static_cast<int>(d.dialeto));
    ini.escreveBooleano(QStringLiteral("BANCO"), QStringLiteral("mascarado"), d.mascarado);
    ini.escreveTexto(QStringLiteral("BANCO"), QStringLiteral("User"), codificaBase64(d.usuario));
    ini.escreveTexto(QStringLiteral("BANCO"), QStringLiteral("Senha"), codificaBase64(d.senha));
}

ResultadoPrimeiraExecucao dialogoPrimeiraExecucao(const std::function<bool(DadosConfigInicial &)> &pedeDados,
                                                  const std::function<bool()> &testa,
                                                  const std::function<bool()> &encerrar)
{
    DadosConfigInicial dados;
    for (;;) {
        if (!pedeDados(dados)) {
            erro(QStringLiteral("Não é possível continuar sem configurar o sistema"));
            return ResultadoPrimeiraExecucao::Cancelado;
        }
        aplicaConfigInicial(dados);
        const bool ok = testa();
        if (encerrar && encerrar())
            return ResultadoPrimeiraExecucao::Encerrar;
        if (ok)
            break;
    }
    gravaConfigInicial(dados);
    return ResultadoPrimeiraExecucao::Configurado;
}

} // namespace kelvo
