#pragma once
// First run: what the "Configurações iniciais" window collects, the test of the
// typed settings and what is written to sistema.INI.  No widgets here; the
// window (configsistema.h) only shows and returns the values.

#include "data/sistema.h"

#include <QString>
#include <functional>

namespace kelvo {

struct DadosConfigInicial
{
    QString host = QStringLiteral("localhost");
    QString banco = QStringLiteral("kelvo");
    Dialeto dialeto = Dialeto::SQLServer;
    QString porta = QStringLiteral("3309"); // as typed
    bool mascarado = false;
    QString usuario;
    QString senha;
};

// A port box text that is a whole number from 1 to 65535 (spaces around allowed).
bool portaValida(const QString &texto);
QString mensagemPortaInvalida();

// Puts the typed values into configBanco() as TestaConexaoInicial uses them:
// the typed account is both the masked and the login account; SQL Server gets
// its ADO connection string (montaConexaoAdo) and NomeBanco from it.
void aplicaConfigInicial(const DadosConfigInicial &dados);

// Writes the accepted settings to sistema.INI (BDADOS, UNIDADE, BANCO).
void gravaConfigInicial(const DadosConfigInicial &dados);

enum class ResultadoPrimeiraExecucao
{
    Configurado, // settings tested and written
    Cancelado,   // the user cancelled; the program ends
    Encerrar     // the program ends for another reason (database creation refused)
};

// Shows the window (through `pedeDados`, which keeps its contents between
// attempts) until the typed settings pass `testa` or the user cancels.
// `testa` returns true when the database can be used; `encerrar` (optional)
// tells whether the test decided that the program ends.
ResultadoPrimeiraExecucao dialogoPrimeiraExecucao(const std::function<bool(DadosConfigInicial &)> &pedeDados,
                                                  const std::function<bool()> &testa,
                                                  const std::function<bool()> &encerrar = {});

} // namespace kelvo
