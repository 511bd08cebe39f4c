#include "cli/dispositivo.h"

#include "cli/banco.h"
#include "cli/coleta.h"
#include "data/sistema.h"
#include "device/common/portasserial.h"
#include "device/common/retorno.h"
#include "operations/coletaafd.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <memory>

namespace kelvo::cli {

namespace {
const QStringList &comandosDispositivo()
{
    static const QStringList c{QStringLiteral("status"),        QStringLiteral("clock"),
                               QStringLiteral("employer-send"), QStringLiteral("employer-read"),
                               QStringLiteral("employee-send"), QStringLiteral("mt-read")};
    return c;
}

struct Linha
{
    enum Tipo
    {
        Nenhuma,
        TCP,
        Serial,
        Com
    } tipo = Nenhuma;
    QString valor;
};

int usoErro(QTextStream &erros, const QString &motivo)
{
    erros << "kelvo-rep: " << motivo << "\n" << usoKelvoRep();
    erros.flush();
    return 2;
}

bool inteiro(const QString &t, int *v)
{
    bool ok = false;
    *v = t.toInt(&ok);
    return ok;
}
} // namespace

bool ehComandoDispositivo(const QString &comando)
{
    return comandosDispositivo().contains(comando);
}

QString usoKelvoRep()
{
    return QStringLiteral(
        "uso: kelvo-rep [--ini ARQUIVO] [--trace] LINHA [--model REP|REP2] COMANDO [ARGUMENTOS]\n"
        "  LINHA: --tcp HOST[:PORTA] | --serial DISPOSITIVO | --com N      (REP2: só serial)\n"
        "  status\n"
        "  clock [DD MM AAAA HH NN SS]                 (hora do computador quando omitida)\n"
        "  employer-send NOME CPFCNPJ CEI LOCAL TIPO   (TIPO 0 = CNPJ, 1 = CPF)\n"
        "  employer-read\n"
        "  employee-send CODIGO MATRICULA PIS NOME ACAO   (ACAO 0 inclui, 1 altera, 2 exclui)\n"
        "  mt-read ARQUIVO\n"
        "kelvo-rep [--ini ARQUIVO] [--user U --password S] COMANDO\n"
        "  db-check | db-create | db-upgrade\n"
        "  collect (--rep ID | --code CODIGOCOLETOR) [--file F] [--from DD/MM/AAAA --to DD/MM/AAAA]\n");
}

int executaKelvoRep(const QStringList &a, QTextStream &saida, QTextStream &erros)
{
    QString ini, usuario, senha, modelo = QStringLiteral("REP"), comando;
    bool rastrear = false;
    Linha linha;
    QStringList args;
    int i = 0;
    for (; i < a.size(); ++i) {
        const QString &x = a.at(i);
        const bool temValor = i + 1 < a.size();
        if (x == QLatin1String("--trace")) {
            rastrear = true;
        } else if (x == QLatin1String("--help") || x == QLatin1String("-h")) {
            saida << usoKelvoRep();
            return 0;
        } else if (x.startsWith(QLatin1String("--"))) {
            if (!temValor)
                return usoErro(erros, QStringLiteral("opção sem valor: ") + x);
            const QString v = a.at(++i);
            if (x == QLatin1String("--ini"))
                ini = v;
            else if (x == QLatin1String("--user"))
                usuario = v;
            else if (x == QLatin1String("--password"))
                senha = v;
            else if (x == QLatin1String("--model"))
                modelo = v.toUpper();
            else if (x == QLatin1String("--tcp"))
                linha = {Linha::TCP, v};
            else if (x == QLatin1String("--serial"))
                linha = {Linha::Serial, v};
            else if (x == QLatin1String("--com"))
                linha = {Linha::Com, v};
            else
                return usoErro(erros, QStringLiteral("opção desconhecida: ") + x);
        } else {
            comando = x;
            args = a.mid(i + 1);
            break;
        }
    }
    if (comando.isEmpty())
        return usoErro(erros, QStringLiteral("falta o comando"));

    OpcoesBanco banco{ini, usuario, senha};
    if (ehComandoBanco(comando))
        return comandoBanco(comando, banco, saida, erros);
    if (ehComandoColeta(comando))
        return comandoColeta(args, banco, saida, erros);
    if (!ehComandoDispositivo(comando))
        return usoErro(erros, QStringLiteral("comando desconhecido: ") + comando);

    if (!ini.isEmpty()) {
        // Traces and work files go beside the settings file given.
        definirPastaPrograma(QFileInfo(ini).absolutePath());
        abrirArquivoConfig(QFileInfo(ini).absoluteFilePath());
    }
    releConfiguracaoSerial();

    if (modelo != QLatin1String("REP") && modelo != QLatin1String("REP2"))
        return usoErro(erros, QStringLiteral("modelo desconhecido: ") + modelo);
    TParametrosComunicacao p;
    switch (linha.tipo) {
    case Linha::Nenhuma:
        return usoErro(erros, QStringLiteral("falta a linha: --tcp, --serial ou --com"));
    case Linha::TCP: {
        if (modelo == QLatin1String("REP2"))
            return usoErro(erros, QStringLiteral("o modelo REP2 só se comunica pela serial"));
        QString host = linha.valor;
        int porta = TParametrosComunicacao::PortaIPPadrao;
        const int dois = host.lastIndexOf(QLatin1Char(':'));
        if (dois >= 0) {
            if (!inteiro(host.mid(dois + 1), &porta) || porta < 1 || porta > 65535)
                return usoErro(erros, QStringLiteral("porta TCP inválida: ") + host.mid(dois + 1));
            host = host.left(dois);
        }
        if (host.isEmpty())
            return usoErro(erros, QStringLiteral("falta o endereço do equipamento"));
        p = parametrosTCP(host, porta);
        break;
    }
    case Linha::Serial:
        p = parametrosSerial(registraPortaDaSessao(linha.valor));
        break;
    case Linha::Com: {
        int n = 0;
        if (!inteiro(linha.valor, &n) || n < 0)
            return usoErro(erros, QStringLiteral("número de porta inválido: ") + linha.valor);
        p = parametrosSerial(n);
        break;
    }
    }

    // Argument counts before the engine exists: a usage error sends nothing.
    const QMap<QString, QList<int>> contagens{
        {QStringLiteral("status"), {0}},        {QStringLiteral("clock"), {0, 6}},
        {QStringLiteral("employer-send"), {5}}, {QStringLiteral("employer-read"), {0}},
        {QStringLiteral("employee-send"), {5}}, {QStringLiteral("mt-read"), {1}}};
    if (!contagens.value(comando).contains(int(args.size())))
        return usoErro(erros, QStringLiteral("número de argumentos errado para ") + comando);
    int numero = 0;
    if ((comando == QLatin1String("employer-send") || comando == QLatin1String("employee-send")) &&
        !inteiro(args.at(4), &numero))
        return usoErro(erros, QStringLiteral("valor inválido: ") + args.at(4));

    std::unique_ptr<MotorREP> motor(criaMotorPorModelo(modelo));
    if (!motor)
        return usoErro(erros, QStringLiteral("modelo sem equipamento disponível: ") + modelo);
    if (rastrear) {
        motor->rastro().espelhoProtocolo = [&erros](const QString &l) {
            erros << l << "\n";
            erros.flush();
        };
    }

    if (comando == QLatin1String("status")) {
        motor->Status(p);
    } else if (comando == QLatin1String("clock")) {
        QStringList v = args;
        if (v.isEmpty()) {
            const QDateTime agora = QDateTime::currentDateTime();
            v = agora.toString(QStringLiteral("dd MM yyyy hh mm ss")).split(QLatin1Char(' '));
        }
        motor->AcertaDataHora(p, v[0], v[1], v[2], v[3], v[4], v[5]);
    } else if (comando == QLatin1String("employer-send")) {
        motor->EnviaEmpregador(p, args[0], args[1], args[2], args[3], numero);
    } else if (comando == QLatin1String("employer-read")) {
        motor->RecebeEmpregador(p);
    } else if (comando == QLatin1String("employee-send")) {
        motor->EnviaFuncionario(p, args[0], args[1], args[2], args[3], numero);
    } else if (comando == QLatin1String("mt-read")) {
        motor->LeituraMT(p, args[0]);
    }
    if (motor->emConversa()) {
        QObject::connect(motor.get(), &MotorREP::terminou, QCoreApplication::instance(),
                         &QCoreApplication::quit, Qt::QueuedConnection);
        QCoreApplication::exec();
    }
    saida << RetornoComunicacao << "\n";
    saida.flush();
    return codigoDoRetorno(RetornoComunicacao) == 0 ? 0 : 1;
}

} // namespace kelvo::cli
