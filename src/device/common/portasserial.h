#pragma once
// Serial port numbers as this installation sees them: sistema.INI section
// PORTAS (key COM<n>, value a device path) first, then the system's serial
// devices on the lowest free numbers.

#include "platform/portas.h"

namespace kelvo {

// The PORTAS entries of the settings file (number -> device path).
QMap<int, QString> portasConfiguradas();
// Every numbered port, sorted by number.
QList<plataforma::PortaSerial> listaPortasSeriais();
// The device path of "COM" + numero; empty when no port has that number.
QString dispositivoDaPorta(int numero);
// The number a device path has in the list; 0 when it has none.
int numeroDoDispositivo(const QString &dispositivo);

} // namespace kelvo
