#include "device/common/rastro.h"

#include "data/sistema.h"

#include <QFile>

namespace kelvo {

QString linhaRastro(const QTime &hora, const QString &separador, const QString &mensagem)
{
    return hora.toString(QStringLiteral("hh:mm:ss,zzz")) + separador + mensagem;
}

namespace {
void grava(const QString &arquivo, const QString &linha)
{
    QFile f(PastaPrograma() + arquivo);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        f.write(linha.toUtf8());
        f.write("\n");
    }
}
} // namespace

void gravaLinhaRastro(const QString &arquivo, const QString &separador, const QString &mensagem)
{
    grava(arquivo, linhaRastro(QTime::currentTime(), separador, mensagem));
}

const QString &RastroREP::arquivoLog()
{
    static const QString s = QStringLiteral("log.txt");
    return s;
}
const QString &RastroREP::arquivoProtocolo()
{
    static const QString s = QStringLiteral("logPROTOCOLO.txt");
    return s;
}
const QString &RastroREP::separadorLog()
{
    static const QString s = QStringLiteral("  -  ");
    return s;
}
const QString &RastroREP::separadorProtocolo()
{
    static const QString s = QStringLiteral(" - ");
    return s;
}

RastroREP RastroREP::daConfiguracao()
{
    RastroREP r;
    r.debug = ArquivoConfig().leBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUG"), false);
    r.debugCom = ArquivoConfig().leBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUGCOM"), false);
    return r;
}

void RastroREP::log(const QString &mensagem) const
{
    if (!debug && !espelhoLog)
        return;
    const QString linha = linhaRastro(QTime::currentTime(), separadorLog(), mensagem);
    if (debug)
        grava(arquivoLog(), linha);
    if (espelhoLog)
        espelhoLog(linha);
}

void RastroREP::protocolo(const QString &mensagem) const
{
    if (!debugCom && !espelhoProtocolo)
        return;
    const QString linha = linhaRastro(QTime::currentTime(), separadorProtocolo(), mensagem);
    if (debugCom)
        grava(arquivoProtocolo(), linha);
    if (espelhoProtocolo)
        espelhoProtocolo(linha);
}

} // namespace kelvo
