#pragma once
// The start-up sequence that runs when the data module is created: program
// folder, version, settings file, serial port and speed, database port, the
// first-run dialogue when no database host is configured, the login, the main
// window, and the schema upgrade once more.

#include "app/conectaeloga.h"
#include "app/configinicial.h"

#include <functional>
#include <memory>

namespace kelvo {

class TdmDados;
class TfmMain;

struct JanelasInicio
{
    // Shows the first-run window (contents kept between calls); false on "Cancelar".
    std::function<bool(DadosConfigInicial &)> pedeConfig;
    // Shows the login window; false on "Cancelar".
    PedeLogin pedeLogin;
};

// The windows of the desktop program (TfConfigSistema, TfmLogin), created on
// first use and kept for the run of the sequence.
JanelasInicio janelasDesktop();

// Runs the sequence on a data module just created.  Returns the main window
// (not yet shown) when the program goes on; nullptr when it ends (the reason
// was already shown to the user).
std::unique_ptr<TfmMain> iniciaSistema(TdmDados &dm, const JanelasInicio &janelas);

// The first-run dialogue on its own (used by iniciaSistema when
// BDADOS/HostName is empty).
ResultadoPrimeiraExecucao primeiraExecucao(TdmDados &dm, const JanelasInicio &janelas);

} // namespace kelvo
