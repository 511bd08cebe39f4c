#include "cli/coleta.h"

#include "data/atualizabanco.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"

#include <QEventLoop>
#include <QFileInfo>

namespace kelvo::cli {

bool ehComandoColeta(const QString &comando)
{
    return comando == QLatin1String("collect");
}

QString usoColeta()
{
    return QStringLiteral("uso: kelvo-rep [--ini ARQUIVO] [--user U --password P] collect (--rep ID | --code "
                          "CODIGOCOLETOR) [--file ARQUIVO] [--from DD/MM/AAAA --to DD/MM/AAAA]");
}

bool leOpcoesColeta(const QStringList &argumentos, OpcoesColeta *o, QString *erro)
{
    *o = OpcoesColeta();
    QString de, ate;
    for (int i = 0; i < argumentos.size(); ++i) {
        const QString a = argumentos.at(i);
        auto valor = [&](QString *destino) {
            if (i + 1 >= argumentos.size()) {
                *erro = QStringLiteral("falta o valor de ") + a;
                return false;
            }
            *destino = argumentos.at(++i);
            return true;
        };
        QString v;
        if (a == QLatin1String("--rep")) {
            if (!valor(&v))
                return false;
            bool ok = false;
            o->idcoletor = v.toInt(&ok);
            if (!ok || o->idcoletor <= 0) {
                *erro = QStringLiteral("--rep precisa de um número de REP cadastrado: ") + v;
                return false;
            }
        } else if (a == QLatin1String("--code")) {
            if (!valor(&o->codigo))
                return false;
        } else if (a == QLatin1String("--file")) {
            if (!valor(&o->arquivo))
                return false;
        } else if (a == QLatin1String("--from")) {
            if (!valor(&de))
                return false;
        } else if (a == QLatin1String("--to")) {
            if (!valor(&ate))
                return false;
        } else {
            *erro = QStringLiteral("argumento desconhecido: ") + a;
            return false;
        }
    }
    if ((o->idcoletor > 0) == !o->codigo.trimmed().isEmpty()) {
        *erro = QStringLiteral("informe --rep ou --code (um dos dois)");
        return false;
    }
    if (de.isEmpty() != ate.isEmpty()) {
        *erro = QStringLiteral("o período precisa de --from e --to");
        return false;
    }
    if (!de.isEmpty()) {
        o->de = QDate::fromString(de, QStringLiteral("dd/MM/yyyy"));
        o->ate = QDate::fromString(ate, QStringLiteral("dd/MM/yyyy"));
        if (!o->de.isValid() || !o->ate.isValid()) {
            *erro = QStringLiteral("data inválida (use DD/MM/AAAA): ") + (o->de.isValid() ? ate : de);
            return false;
        }
        if (o->ate < o->de) {
            *erro = QStringLiteral("Data inicial é maior que a data final. Favor redefinir");
            return false;
        }
        o->filtro = true;
    }
    return true;
}

namespace {
// Prints every message of the flow as it is shown.
class InteracaoConsole : public Interacao
{
public:
    explicit InteracaoConsole(QTextStream &saida) : m_saida(saida) {}
    void mensagem(const QString &texto, Icone, const QString &) override
    {
        QString t = texto;
        t.replace(QLatin1Char('\r'), QLatin1Char(' '));
        m_saida << t << Qt::endl;
    }
    bool pergunta(const QString &texto, const QString &titulo) override
    {
        mensagem(texto, Icone::Pergunta, titulo);
        return false; // no questions in a scheduled run
    }

private:
    QTextStream &m_saida;
};
} // namespace

int executaColeta(const OpcoesColeta &o, QTextStream &saida, QTextStream &erros, FabricaMotor fabrica)
{
    InteracaoConsole console(saida);
    InteracaoNoEscopo escopo(&console);
    FluxoColetaAFD fluxo;
    if (fabrica)
        fluxo.defineFabrica(std::move(fabrica));
    int id = o.idcoletor;
    if (id == 0) {
        id = FluxoColetaAFD::idPorCodigo(o.codigo.trimmed());
        if (id == 0) {
            erros << "REP não cadastrado: " << o.codigo << Qt::endl;
            return 1;
        }
    }
    if (!fluxo.carregaColetor(id))
        return 1;
    const QString arquivo = o.arquivo.trimmed().isEmpty()
                                ? nomeArquivoAFDPadrao(fluxo.coletor().codigocoletor)
                                : o.arquivo.trimmed();
    QEventLoop laco;
    QObject::connect(&fluxo, &FluxoColetaAFD::concluida, &laco, &QEventLoop::quit, Qt::QueuedConnection);
    if (!fluxo.inicia(arquivo, o.filtro, o.de, o.ate)) {
        erros << "a coleta não pôde começar" << Qt::endl;
        return 1;
    }
    laco.exec();
    const ResultadoColetaAFD &r = fluxo.resultado();
    if (!r.sucesso()) {
        if (!r.retorno.isEmpty())
            erros << r.retorno << Qt::endl;
        return 1;
    }
    saida << "AFD: " << r.arquivo << Qt::endl;
    return 0;
}

int comandoColeta(const QStringList &argumentos, const OpcoesBanco &banco, QTextStream &saida,
                  QTextStream &erros)
{
    OpcoesColeta o;
    QString e;
    if (!leOpcoesColeta(argumentos, &o, &e)) {
        erros << e << Qt::endl << usoColeta() << Qt::endl;
        return 2;
    }
    if (!banco.ini.isEmpty()) {
        // Work files and the default AFD folder go beside the settings file given.
        definirPastaPrograma(QFileInfo(banco.ini).absolutePath());
        abrirArquivoConfig(QFileInfo(banco.ini).absoluteFilePath());
    }
    leConfigBanco();
    configBanco().usuarioLogin = banco.usuario;
    configBanco().senhaLogin = banco.senha;
    TdmDados dm;
    // Every opening of the main connection brings the schema up to date.
    dm.aposConectar = [] { AtualizaBanco(); };
    ErroBanco erro;
    if (!dm.conecta(&erro)) {
        erros << erro.texto() << Qt::endl;
        return 1;
    }
    return executaColeta(o, saida, erros);
}

} // namespace kelvo::cli
