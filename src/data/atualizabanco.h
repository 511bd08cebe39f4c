#pragma once
// Schema upgrade by level (tbversao, nome "BD").  Brings a MySQL database of an
// earlier release to the current layout one level at a time; does nothing on
// SQL Server.  Each step's statements ignore their own failures; reading and
// recording the level are not protected: a failure there stops the upgrade
// with the database error, and the next run resumes from the recorded level.

#include "data/sistema.h"

#include <QSqlDatabase>
#include <QString>

namespace kelvo {

constexpr int NivelAtualBanco = 11;

// On the data module's main connection and dialect.  A failure of the level
// read or record is shown through the interaction interface (error icon) and
// ends the upgrade.
void AtualizaBanco();

// On an explicit open connection.  Returns false with the database error when
// the level could not be read or recorded; nothing is shown.
bool AtualizaBanco(QSqlDatabase db, Dialeto dialeto, QString *erro = nullptr);

// The recorded level: 0 when tbversao or its "BD" row is missing, -1 when the
// read fails (the error in `erro`).
int nivelBanco(QSqlDatabase db, QString *erro = nullptr);

} // namespace kelvo
