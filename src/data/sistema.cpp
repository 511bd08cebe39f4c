#include "data/sistema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>

namespace kelvo {

namespace {
QString g_pasta;
QString g_ini;
std::unique_ptr<ArquivoIni> g_arquivo;
int g_porta = 1;
int g_velocidade = 3;

QString comBarra(QString p)
{
    p = QDir::cleanPath(p);
    if (!p.endsWith(QLatin1Char('/')))
        p += QLatin1Char('/');
    return p;
}
} // namespace

QString PastaPrograma()
{
    if (g_pasta.isEmpty()) {
        const QString exe = QCoreApplication::applicationDirPath();
        QFileInfo fi(exe);
        if (!exe.isEmpty() && fi.isDir() && fi.isWritable()) {
            g_pasta = comBarra(exe);
        } else {
            QString dados = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
            if (dados.isEmpty())
                dados = QDir::homePath() + QStringLiteral("/.local/share");
            dados += QStringLiteral("/kelvo");
            QDir().mkpath(dados);
            g_pasta = comBarra(dados);
        }
    }
    return g_pasta;
}

void definirPastaPrograma(const QString &pasta)
{
    QDir().mkpath(pasta);
    g_pasta = comBarra(pasta);
}

QString nomeArquivoConfig() { return g_ini.isEmpty() ? PastaPrograma() + QStringLiteral("sistema.INI") : g_ini; }

ArquivoIni &ArquivoConfig()
{
    if (!g_arquivo || g_arquivo->caminho() != nomeArquivoConfig())
        g_arquivo = std::make_unique<ArquivoIni>(nomeArquivoConfig());
    return *g_arquivo;
}

void abrirArquivoConfig(const QString &caminho)
{
    g_ini = caminho;
    g_arquivo.reset();
}

int portaSerialAtual() { return g_porta; }
int velocidadeAtual() { return g_velocidade; }

void releConfiguracaoSerial()
{
    g_porta = ArquivoConfig().leInteiro(QStringLiteral("COM"), QStringLiteral("PORTA"), 1);
    g_velocidade = ArquivoConfig().leInteiro(QStringLiteral("CONFIG"), QStringLiteral("BAUDRATE"), 3);
}

int baudRatePorIndice(int indice)
{
    switch (indice) {
    case 0:
        return 9600;
    case 1:
        return 19200;
    case 2:
        return 57600;
    default:
        return 115200;
    }
}

ConfigBanco &configBanco()
{
    static ConfigBanco c;
    return c;
}

} // namespace kelvo
