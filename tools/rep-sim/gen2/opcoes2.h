#pragma once
// kelvo-rep-sim's options for the new generation (--model REP2).

#include <QString>
#include <QStringList>

namespace kelvo::sim {

class SimuladorRep2;

QString usoSimuladorRep2();
// State and misbehaviour options (see usoSimuladorRep2()); false and *erro on
// an unknown option or a bad value.
bool aplicaOpcoesRep2(const QStringList &argumentos, SimuladorRep2 &sim, QString *erro);

} // namespace kelvo::sim
