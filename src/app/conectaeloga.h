#pragma once
// Opening the database for the person starting the program: the first-run
// connection test and the login.  No widgets here: the windows are passed in
// as functions that show them, so the decisions are tested without them.

#include <QString>
#include <functional>

namespace kelvo {

class TdmDados;

// Tests the settings just typed in the first-run window (already in
// configBanco(), see aplicaConfigInicial).  True when the database can be
// used: the main connection opened, or the missing database was created.
// Login refused: "Usuário [mascarado ]sem permissão de acesso ao servidor !!!";
// database missing: offers its creation; any other error: "Erro na Conexão ao
// banco de dados: ...".  *encerrar is set when the user refused the creation
// of the database (the program ends).
bool TestaConexaoInicial(TdmDados &dm, bool *encerrar = nullptr);

// Shows the login window (returns false when cancelled) and gives the typed
// login and password.
using PedeLogin = std::function<bool(QString &login, QString &senha)>;

// Reads the database settings, then up to four login attempts: opens the main
// connection with the right account (creating a missing database when the
// user agrees) and verifies the user against tbusuario with bound values.
// True with the connection open, tbUsuario on the user's row and the login
// set in the data module; false when the program ends (its message shown).
bool ConectaELoga(TdmDados &dm, const PedeLogin &pedeLogin);

// Texts shown by the two routines.
QString mensagemLoginRecusado(bool mascarado);

} // namespace kelvo
