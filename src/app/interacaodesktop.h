#pragma once
// The desktop program's interaction: modal message boxes with the icon, the
// buttons ("OK", or "Sim"/"Não") and the title each message asks for.

#include "data/interacao.h"

namespace kelvo {

class InteracaoDesktop : public Interacao
{
public:
    void mensagem(const QString &texto, Icone icone, const QString &titulo) override;
    bool pergunta(const QString &texto, const QString &titulo) override;
};

// Installs the desktop interaction for the rest of the run.
void instalaInteracaoDesktop();

// The carriage returns the messages use as line breaks, as a box shows them.
QString textoParaCaixa(const QString &texto);

} // namespace kelvo
