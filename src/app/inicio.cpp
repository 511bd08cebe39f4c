#include "app/inicio.h"

#include "app/configsistema.h"
#include "app/login.h"
#include "app/mainwindow.h"
#include "data/atualizabanco.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "data/textos.h"

#include <QLineEdit>

namespace kelvo {

JanelasInicio janelasDesktop()
{
    // Each window lives while the sequence may show it again, so a second
    // showing keeps what the user typed.
    auto config = std::make_shared<std::unique_ptr<TfConfigSistema>>();
    auto login = std::make_shared<std::unique_ptr<TfmLogin>>();
    JanelasInicio j;
    j.pedeConfig = [config](DadosConfigInicial &dados) {
        if (!*config) {
            // Created for the first run: "kelvo" in the database box.
            *config = std::make_unique<TfConfigSistema>();
            (*config)->edBanco()->setText(QStringLiteral("kelvo"));
        }
        return mostraConfigSistema(**config, dados);
    };
    j.pedeLogin = [login](QString &usuario, QString &senha) {
        if (!*login)
            *login = std::make_unique<TfmLogin>();
        if ((*login)->exec() != QDialog::Accepted)
            return false;
        usuario = (*login)->login();
        senha = (*login)->senha();
        return true;
    };
    return j;
}

ResultadoPrimeiraExecucao primeiraExecucao(TdmDados &dm, const JanelasInicio &janelas)
{
    bool encerrar = false;
    return dialogoPrimeiraExecucao(
        janelas.pedeConfig, [&dm, &encerrar] { return TestaConexaoInicial(dm, &encerrar); },
        [&encerrar] { return encerrar; });
}

std::unique_ptr<TfmMain> iniciaSistema(TdmDados &dm, const JanelasInicio &janelas)
{
    // Every successful connect brings the schema up to date.
    if (!dm.aposConectar)
        dm.aposConectar = [] { AtualizaBanco(); };

    PastaPrograma();
    if (dm.conectado()) {
        informa(QStringLiteral("Está conectado ao banco. Favor Recompilar"));
        return nullptr;
    }
    VersaoPrograma();

    ArquivoIni &ini = ArquivoConfig();
    releConfiguracaoSerial();
    configBanco().porta = ini.leInteiro(QStringLiteral("BDADOS"), QStringLiteral("PORTA"), 3306);

    if (ini.leTexto(QStringLiteral("BDADOS"), QStringLiteral("HostName")).isEmpty()) {
        if (primeiraExecucao(dm, janelas) != ResultadoPrimeiraExecucao::Configurado)
            return nullptr;
    }

    if (!ConectaELoga(dm, janelas.pedeLogin))
        return nullptr;
    if (!dm.conectado())
        return nullptr;

    auto janela = std::make_unique<TfmMain>(dm.ConexaoBD());
    AtualizaBanco();
    return janela;
}

} // namespace kelvo
