#pragma once
// Serial port numbering.  Settings and registers keep a serial port as the
// number n of "COM" + n; on this platform a number names a device path.  The
// entries given by the settings come first; the system's serial devices, in
// path order, take the lowest numbers left free.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kelvo::plataforma {

struct PortaSerial
{
    int numero = 0;      // n of "COM" + n
    QString dispositivo; // device path, e.g. /dev/ttyUSB0

    QString nome() const { return QStringLiteral("COM") + QString::number(numero); }
    // "COM3 (/dev/ttyUSB0)", the text lists show.
    QString descricao() const { return nome() + QStringLiteral(" (") + dispositivo + QLatin1Char(')'); }
};

// The system's serial devices (their device paths), sorted by path.
QStringList dispositivosSeriaisDoSistema();

// Numbers every port: `configuradas` (number -> device path) as given, then each
// device of `sistema` that is not already configured gets the lowest free number
// from 1 on.  The result is sorted by number.
QList<PortaSerial> numeraPortasSeriais(const QMap<int, QString> &configuradas, const QStringList &sistema);

// Reads "COM<n>" (any case) as n; 0 when the text is not such a name.
int numeroDoNomeDePorta(const QString &nome);

} // namespace kelvo::plataforma
