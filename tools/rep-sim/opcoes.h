#pragma once
// Command line of kelvo-rep-sim.  The options common to both generations are
// read first; the rest go to the chosen generation's simulator.

#include <QString>
#include <QStringList>

namespace kelvo::sim {

class SimuladorRep1;

struct OpcoesSim
{
    QString modelo = QStringLiteral("REP"); // --model REP|REP2
    bool tcp = false;                       // --tcp PORT (0: any free port)
    quint16 porta = 0;
    bool pty = false; // --pty
    QStringList resto;
};

QString usoSimulador();
// Reads --model, --tcp and --pty; the other arguments are left in `resto`.
bool leOpcoesComuns(const QStringList &argumentos, OpcoesSim *opcoes, QString *erro);
// The first-generation state and misbehaviour options (see usoSimulador()).
bool aplicaOpcoesRep1(const QStringList &argumentos, SimuladorRep1 &sim, QString *erro);

} // namespace kelvo::sim
