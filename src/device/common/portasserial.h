#pragma once
// Serial port numbers as this installation sees them: sistema.INI section
// PORTAS (key COM<n>, value a device path) first, then the system's serial
// devices on the lowest free numbers.

#include "platform/portas.h"

namespace kelvo {

// The PORTAS entries of the settings file (number -> device path), together with
// the ports given for this run only (see below), which take precedence.
QMap<int, QString> portasConfiguradas();
// A device path named directly for this run (kelvo-rep --serial DEVICE): when the
// path already has a number that number is returned; otherwise it gets the lowest
// number nobody uses, kept in memory only (the settings file is not touched).
int registraPortaDaSessao(const QString &dispositivo);
// Every numbered port, sorted by number.
QList<plataforma::PortaSerial> listaPortasSeriais();
// The device path of "COM" + numero; empty when no port has that number.
QString dispositivoDaPorta(int numero);
// The number a device path has in the list; 0 when it has none.
int numeroDoDispositivo(const QString &dispositivo);

} // namespace kelvo
