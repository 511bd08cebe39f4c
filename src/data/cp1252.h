#pragma once
// The one conversion between the program's text and Windows code page 1252,
// the encoding of the device wire, AFD files, import/export and transfer files.
// Characters that cp1252 cannot hold become "?".

#include <QByteArray>
#include <QString>

namespace kelvo {

QByteArray paraCp1252(const QString &texto);
QString deCp1252(const QByteArray &bytes);

} // namespace kelvo
