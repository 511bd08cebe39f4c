#include "gen2/opcoes2.h"

#include "gen2/simulador2.h"

namespace kelvo::sim {

QString usoSimuladorRep2()
{
    return QStringLiteral(
        "estado (REP2, sempre num pseudo-terminal):\n"
        "  --state ARQUIVO        chave=valor por linha (as chaves de --set)\n"
        "  --set CHAVE=VALOR      serial, relogio, nsr, empregador-tipo|nome|cpfcnpj|cei|local,\n"
        "                         funcionario=COD;MAT;PIS;NOME, ponto=dd/MM/yyyy hh:mm;PIS, pontos=N,\n"
        "                         registro=LINHA AFD (com o NSR),\n"
        "                         template=MAT;DEDO[;HEX], capacidade-mt, capacidade-templates, atraso-imt,\n"
        "                         e os defeitos: silencioso, atraso, status-bytes, bytes-extras,\n"
        "                         bytes-faltando, resposta-dupla, lixo (hex), recusa, "
        "resposta=CMD=RESPOSTA,\n"
        "                         check-errado, derruba-apos, ritmo\n"
        "  --serial-number S  --clock 'dd/MM/yyyy hh:mm:ss'  --nsr N  --punches N\n"
        "  --employer TIPO;NOME;CPFCNPJ;CEI;LOCAL   (TIPO 1 = CNPJ, 2 = CPF)\n"
        "  --employee COD;MAT;PIS;NOME              (repetível)\n"
        "  --template MAT;DEDO                      (repetível)\n"
        "defeitos (REP2):\n"
        "  --silent  --late MS  --double-reply\n"
        "  --refuse MR|ME|MT|BF|LF|NF|ER            toda resposta \"!OK\" vira essa recusa\n"
        "  --reply CMD=RESPOSTA                     resposta fixa a um comando (ex.: CLK=!MR)\n"
        "  --garbage HEX  --extra-bytes N  --missing-bytes N  --status-size N\n"
        "  --drop-after-pages N   fica mudo depois de N páginas\n"
        "  --bad-checksum N       as próximas N páginas com verificação errada (-1 = todas)\n"
        "  --pace BPS             bytes no ritmo da linha (115200)\n");
}

bool aplicaOpcoesRep2(const QStringList &a, SimuladorRep2 &sim, QString *erro)
{
    const auto opcao = [&](const QString &chave, const QString &valor) {
        return sim.aplicaOpcao(chave, valor, erro);
    };
    for (int i = 0; i < a.size(); ++i) {
        const QString &x = a.at(i);
        if (x == QLatin1String("--silent")) {
            sim.defeitos().silencioso = true;
            continue;
        }
        if (x == QLatin1String("--double-reply")) {
            sim.defeitos().respostaDupla = true;
            continue;
        }
        if (i + 1 >= a.size()) {
            *erro = QStringLiteral("opção desconhecida ou sem valor: ") + x;
            return false;
        }
        const QString v = a.at(++i);
        bool ok = true;
        if (x == QLatin1String("--state")) {
            ok = sim.carregaArquivo(v, erro);
        } else if (x == QLatin1String("--set")) {
            const int igual = v.indexOf(QLatin1Char('='));
            if (igual <= 0) {
                *erro = QStringLiteral("use --set CHAVE=VALOR: ") + v;
                return false;
            }
            ok = opcao(v.left(igual), v.mid(igual + 1));
        } else if (x == QLatin1String("--serial-number")) {
            ok = opcao(QStringLiteral("serial"), v);
        } else if (x == QLatin1String("--clock")) {
            ok = opcao(QStringLiteral("relogio"), v);
        } else if (x == QLatin1String("--nsr")) {
            ok = opcao(QStringLiteral("nsr"), v);
        } else if (x == QLatin1String("--punches")) {
            ok = opcao(QStringLiteral("pontos"), v);
        } else if (x == QLatin1String("--employer")) {
            const QStringList c = v.split(QLatin1Char(';'));
            if (c.size() != 5) {
                *erro = QStringLiteral("use --employer TIPO;NOME;CPFCNPJ;CEI;LOCAL: ") + v;
                return false;
            }
            ok = opcao(QStringLiteral("empregador-tipo"), c[0]) &&
                 opcao(QStringLiteral("empregador-nome"), c[1]) &&
                 opcao(QStringLiteral("empregador-cpfcnpj"), c[2]) &&
                 opcao(QStringLiteral("empregador-cei"), c[3]) &&
                 opcao(QStringLiteral("empregador-local"), c[4]);
        } else if (x == QLatin1String("--employee")) {
            ok = opcao(QStringLiteral("funcionario"), v);
        } else if (x == QLatin1String("--template")) {
            ok = opcao(QStringLiteral("template"), v);
        } else if (x == QLatin1String("--late")) {
            ok = opcao(QStringLiteral("atraso"), v);
        } else if (x == QLatin1String("--refuse")) {
            ok =
                opcao(QStringLiteral("recusa"), v.startsWith(QLatin1Char('!')) ? v : QStringLiteral("!") + v);
        } else if (x == QLatin1String("--reply")) {
            ok = opcao(QStringLiteral("resposta"), v);
        } else if (x == QLatin1String("--garbage")) {
            ok = opcao(QStringLiteral("lixo"), v);
        } else if (x == QLatin1String("--extra-bytes")) {
            ok = opcao(QStringLiteral("bytes-extras"), v);
        } else if (x == QLatin1String("--missing-bytes")) {
            ok = opcao(QStringLiteral("bytes-faltando"), v);
        } else if (x == QLatin1String("--status-size")) {
            ok = opcao(QStringLiteral("status-bytes"), v);
        } else if (x == QLatin1String("--drop-after-pages")) {
            ok = opcao(QStringLiteral("derruba-apos"), v);
        } else if (x == QLatin1String("--bad-checksum")) {
            ok = opcao(QStringLiteral("check-errado"), v);
        } else if (x == QLatin1String("--pace")) {
            bool n = false;
            const int bps = v.toInt(&n);
            if (!n || bps <= 0) {
                *erro = QStringLiteral("velocidade inválida: ") + v;
                return false;
            }
            sim.defeitos().ritmoLinha = true;
            sim.defeitos().bitsPorSegundo = bps;
        } else {
            *erro = QStringLiteral("opção desconhecida: ") + x;
            return false;
        }
        if (!ok)
            return false;
    }
    return true;
}

} // namespace kelvo::sim
