#pragma once
// Process-wide values that live for the whole run: the program folder, the
// settings file, the current serial port and speed, the database settings.

#include "data/arquivoini.h"

#include <QString>

namespace kelvo {

// Folder of the executable when it is writable, else the user's data folder
// for the program; always ends with "/".  Tests and kelvo-rep may set it.
QString PastaPrograma();
void definirPastaPrograma(const QString &pasta);

// sistema.INI in PastaPrograma, opened on first use and kept open.
ArquivoIni &ArquivoConfig();
// Points the settings file elsewhere (kelvo-rep --ini, tests).
void abrirArquivoConfig(const QString &caminho);
QString nomeArquivoConfig();

// Current serial port (the n of "COM" + n) and speed index 0..3
// (9600, 19200, 57600, 115200).
int portaSerialAtual();
int velocidadeAtual();
// Re-reads COM/PORTA and CONFIG/BAUDRATE (start-up, and when Options closes).
void releConfiguracaoSerial();
int baudRatePorIndice(int indice);

enum class Dialeto { MySQL = 0, SQLServer = 1 };

// Database settings (first-run window, login).  "Conta mascarada" is the one
// server account stored Base64 in BANCO/User and BANCO/Senha.
struct ConfigBanco
{
    QString host;
    QString database; // MySQL: database name; SQL Server: the ADO connection string
    int porta = 3306;
    Dialeto dialeto = Dialeto::MySQL;
    bool mascarado = false;
    QString usuarioMascarado;
    QString senhaMascarada;
    QString usuarioLogin;
    QString senhaLogin;
    QString NomeBanco;
    QString SufixoNolock;

    QString usuarioConexao() const { return mascarado ? usuarioMascarado : usuarioLogin; }
    QString senhaConexao() const { return mascarado ? senhaMascarada : senhaLogin; }
};

ConfigBanco &configBanco();

} // namespace kelvo
