// kelvo-rep-sim: serves one simulated REP until it is stopped.
#include "gen2/opcoes2.h"
#include "gen2/simulador2.h"
#include "opcoes.h"
#include "simulador1.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream saida(stdout);
    QTextStream erros(stderr);
    using namespace kelvo::sim;

    QStringList args = app.arguments();
    args.removeFirst();
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        saida << usoSimulador() << usoSimuladorRep2();
        return 0;
    }
    OpcoesSim opcoes;
    QString erro;
    if (!leOpcoesComuns(args, &opcoes, &erro)) {
        erros << erro << "\n" << usoSimulador();
        return 2;
    }

    if (opcoes.modelo == QLatin1String("REP")) {
        SimuladorRep1 sim;
        if (!aplicaOpcoesRep1(opcoes.resto, sim, &erro)) {
            erros << erro << "\n";
            return 2;
        }
        const bool ok = opcoes.tcp ? sim.escutaTCP(opcoes.porta, &erro) : sim.criaPty(&erro);
        if (!ok) {
            erros << erro << "\n";
            return 1;
        }
        // The one line a caller reads: where to reach the device.
        if (opcoes.tcp)
            saida << "127.0.0.1:" << sim.portaTCP() << Qt::endl;
        else
            saida << sim.caminhoPty() << Qt::endl;
        return app.exec();
    }
    if (opcoes.modelo == QLatin1String("REP2")) {
        // The new generation has no TCP link.
        if (opcoes.tcp) {
            erros << "o modelo REP2 só se comunica pela serial (use --pty)\n";
            return 2;
        }
        SimuladorRep2 sim;
        if (!aplicaOpcoesRep2(opcoes.resto, sim, &erro)) {
            erros << erro << "\n" << usoSimuladorRep2();
            return 2;
        }
        if (!sim.abre(&erro)) {
            erros << erro << "\n";
            return 1;
        }
        saida << sim.caminho() << Qt::endl;
        return app.exec();
    }
    erros << "modelo desconhecido: " << opcoes.modelo << "\n" << usoSimulador();
    return 2;
}
