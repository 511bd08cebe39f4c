#pragma once

#include <QString>

class QWidget;

namespace kelvo {

class TfmMain;

// Adds "Enviar/Receber Empresa", "Coletar AFD" and "Diagnóstico (técnico)" to
// the toolbar and the REP menu, "Relatórios > &Reemissão de AFD" and
// "Ajuda > &Manual online".  Call after the device actions are installed.
void instalaAcoesOperacoes(TfmMain &janela);

// The manual shipped beside the executable.
QString caminhoManual();

// The new-generation diagnostic window for a registered REP; other models get
// a message.
void abrirDiagnosticoDoColetor(QWidget *parent, int idcoletor);

} // namespace kelvo
