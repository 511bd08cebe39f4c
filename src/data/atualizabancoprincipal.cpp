// The upgrade on the data module's main connection (the after-connect hook).
// Kept apart so that users of the explicit form need not link the data module.
#include "data/atualizabanco.h"

#include "data/dmdados.h"
#include "data/interacao.h"

namespace kelvo {

void AtualizaBanco()
{
    if (!existeDmDados())
        return;
    TdmDados &dm = dmDados();
    QString e;
    if (!AtualizaBanco(dm.ConexaoBD(), dm.dialeto(), &e))
        erro(e);
}

} // namespace kelvo
