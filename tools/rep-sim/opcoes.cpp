#include "opcoes.h"

#include "simulador1.h"

#include <QDateTime>

namespace kelvo::sim {

QString usoSimulador()
{
    return QStringLiteral(
        "uso: kelvo-rep-sim [--model REP|REP2] (--tcp PORTA | --pty) [opções]\n"
        "  --tcp PORTA            atende em 127.0.0.1:PORTA (0 = porta livre; só REP)\n"
        "  --pty                  cria um pseudo-terminal e mostra o caminho do dispositivo\n"
        "estado (REP):\n"
        "  --state ARQUIVO        chave=valor: serial, relogio (dd/MM/yyyy hh:mm:ss), nsr,\n"
        "                         empregador.tipo|nome|cpfcnpj|cei|local, funcionario=COD;MAT;PIS;NOME,\n"
        "                         registro=LINHA AFD, marcacoes=N, capacidademt=N\n"
        "  --serial-number S      número do REP (17 caracteres)\n"
        "  --clock 'dd/MM/yyyy hh:mm:ss'\n"
        "  --nsr N  --punches N   marcações geradas (tipo 3) a partir de ontem\n"
        "  --employer TIPO;NOME;CPFCNPJ;CEI;LOCAL   (TIPO 1 = CNPJ, 2 = CPF)\n"
        "  --employee COD;MAT;PIS;NOME              (repetível)\n"
        "defeitos (REP):\n"
        "  --silent               não responde nada\n"
        "  --ignore-requests      responde ao despertar, nunca ao pedido\n"
        "  --double-wake          responde ao despertar com \"!!\"\n"
        "  --late-wake MS  --late MS                responde tarde\n"
        "  --refuse MR|ME|MT      recusa relógio, funcionário e empregador com essa resposta\n"
        "  --garbage TEXTO  --extra-bytes N  --missing-bytes N  --status-size N\n"
        "  --drop-after N         derruba a linha depois de N pedidos respondidos\n"
        "  --drop-after-pages N   derruba a linha depois de N páginas\n"
        "  --bad-checksum N       as próximas N páginas com soma errada (-1 = todas)\n"
        "  --pace BPS             bytes no ritmo da linha\n");
}

bool leOpcoesComuns(const QStringList &a, OpcoesSim *o, QString *erro)
{
    for (int i = 0; i < a.size(); ++i) {
        const QString &x = a.at(i);
        if (x == QLatin1String("--model") && i + 1 < a.size()) {
            o->modelo = a.at(++i).toUpper();
        } else if (x == QLatin1String("--tcp") && i + 1 < a.size()) {
            bool ok = false;
            const uint p = a.at(++i).toUInt(&ok);
            if (!ok || p > 65535) {
                *erro = QStringLiteral("porta TCP inválida: ") + a.at(i);
                return false;
            }
            o->tcp = true;
            o->porta = quint16(p);
        } else if (x == QLatin1String("--pty")) {
            o->pty = true;
        } else {
            o->resto << x;
        }
    }
    if (o->tcp == o->pty) {
        *erro = QStringLiteral("escolha --tcp PORTA ou --pty");
        return false;
    }
    return true;
}

bool aplicaOpcoesRep1(const QStringList &a, SimuladorRep1 &sim, QString *erro)
{
    EstadoRep1 &e = sim.estado();
    DefeitosRep1 &d = sim.defeitos();
    int marcacoes = 0;
    for (int i = 0; i < a.size(); ++i) {
        const QString &x = a.at(i);
        const bool temValor = i + 1 < a.size();
        auto valor = [&]() { return a.at(++i); };
        auto inteiro = [&](int *destino) {
            bool ok = false;
            *destino = a.at(++i).toInt(&ok);
            if (!ok)
                *erro = QStringLiteral("número inválido para ") + x + QStringLiteral(": ") + a.at(i);
            return ok;
        };
        if (x == QLatin1String("--silent")) {
            d.silencioso = true;
        } else if (x == QLatin1String("--ignore-requests")) {
            d.ignoraPedidos = true;
        } else if (x == QLatin1String("--double-wake")) {
            d.despertarDuplo = true;
        } else if (!temValor) {
            *erro = QStringLiteral("opção desconhecida ou sem valor: ") + x;
            return false;
        } else if (x == QLatin1String("--state")) {
            if (!sim.carregaEstado(valor(), erro))
                return false;
        } else if (x == QLatin1String("--serial-number")) {
            e.serial = valor();
        } else if (x == QLatin1String("--clock")) {
            const QDateTime dh = QDateTime::fromString(valor(), QStringLiteral("dd/MM/yyyy hh:mm:ss"));
            if (!dh.isValid()) {
                *erro = QStringLiteral("relógio inválido: ") + a.at(i);
                return false;
            }
            e.acertaRelogio(dh);
        } else if (x == QLatin1String("--nsr")) {
            int n = 0;
            if (!inteiro(&n))
                return false;
            e.nsr = quint32(n);
        } else if (x == QLatin1String("--punches")) {
            if (!inteiro(&marcacoes))
                return false;
        } else if (x == QLatin1String("--employer")) {
            const QStringList c = valor().split(QLatin1Char(';'));
            e.tipoEmpregador = c.value(0) == QLatin1String("2") ? '2' : '1';
            e.nomeEmpregador = c.value(1) + QLatin1Char(';');
            e.cpfCnpj = c.value(2).rightJustified(14, QLatin1Char('0'), true);
            e.cei = c.value(3).rightJustified(12, QLatin1Char('0'), true);
            e.local = c.value(4) + QLatin1Char(';');
        } else if (x == QLatin1String("--employee")) {
            const QStringList c = valor().split(QLatin1Char(';'));
            FuncionarioRep1 f;
            f.codigo = c.value(0).leftJustified(6, QLatin1Char('0'), true);
            f.matricula = c.value(1).rightJustified(8, QLatin1Char('0'), true);
            f.pis = c.value(2).rightJustified(12, QLatin1Char('0'), true);
            f.nome = (c.value(3) + QLatin1Char(';')).leftJustified(52, QLatin1Char(' '), true);
            e.funcionarios.append(f);
        } else if (x == QLatin1String("--late-wake")) {
            if (!inteiro(&d.atrasoDespertarMs))
                return false;
        } else if (x == QLatin1String("--late")) {
            if (!inteiro(&d.atrasoMs))
                return false;
        } else if (x == QLatin1String("--refuse")) {
            d.recusa = "!" + valor().toUpper().toLatin1();
        } else if (x == QLatin1String("--garbage")) {
            d.lixo = valor().toLatin1();
        } else if (x == QLatin1String("--extra-bytes")) {
            if (!inteiro(&d.bytesExtras))
                return false;
        } else if (x == QLatin1String("--missing-bytes")) {
            if (!inteiro(&d.bytesFaltando))
                return false;
        } else if (x == QLatin1String("--status-size")) {
            if (!inteiro(&d.tamanhoStatus))
                return false;
        } else if (x == QLatin1String("--drop-after")) {
            if (!inteiro(&d.derrubaAposTrocas))
                return false;
        } else if (x == QLatin1String("--drop-after-pages")) {
            if (!inteiro(&d.derrubaAposPaginas))
                return false;
        } else if (x == QLatin1String("--bad-checksum")) {
            if (!inteiro(&d.paginasSomaErrada))
                return false;
        } else if (x == QLatin1String("--pace")) {
            if (!inteiro(&d.ritmoBps))
                return false;
        } else {
            *erro = QStringLiteral("opção desconhecida: ") + x;
            return false;
        }
    }
    if (marcacoes > 0)
        e.geraMarcacoes(marcacoes, e.relogio().addDays(-1));
    return true;
}

} // namespace kelvo::sim
