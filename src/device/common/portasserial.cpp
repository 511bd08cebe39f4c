#include "device/common/portasserial.h"

#include "data/sistema.h"

#include <QSet>

namespace kelvo {

namespace {
QMap<int, QString> &portasDaSessao()
{
    static QMap<int, QString> m;
    return m;
}
} // namespace

QMap<int, QString> portasConfiguradas()
{
    QMap<int, QString> r;
    const QString secao = QStringLiteral("PORTAS");
    const QStringList chaves = ArquivoConfig().chaves(secao);
    for (const QString &chave : chaves) {
        const int n = plataforma::numeroDoNomeDePorta(chave);
        const QString caminho = ArquivoConfig().leTexto(secao, chave).trimmed();
        if (n > 0 && !caminho.isEmpty())
            r.insert(n, caminho);
    }
    for (auto it = portasDaSessao().cbegin(); it != portasDaSessao().cend(); ++it)
        r.insert(it.key(), it.value());
    return r;
}

int registraPortaDaSessao(const QString &dispositivo)
{
    const auto lista = listaPortasSeriais();
    QSet<int> usados;
    for (const auto &p : lista) {
        if (p.dispositivo == dispositivo)
            return p.numero;
        usados.insert(p.numero);
    }
    int n = 1;
    while (usados.contains(n))
        ++n;
    portasDaSessao().insert(n, dispositivo);
    return n;
}

QList<plataforma::PortaSerial> listaPortasSeriais()
{
    return plataforma::numeraPortasSeriais(portasConfiguradas(), plataforma::dispositivosSeriaisDoSistema());
}

QString dispositivoDaPorta(int numero)
{
    if (numero < 1)
        return QString();
    // A configured entry needs no look at the system's devices.
    const QMap<int, QString> configuradas = portasConfiguradas();
    if (configuradas.contains(numero))
        return configuradas.value(numero);
    const auto lista =
        plataforma::numeraPortasSeriais(configuradas, plataforma::dispositivosSeriaisDoSistema());
    for (const auto &p : lista)
        if (p.numero == numero)
            return p.dispositivo;
    return QString();
}

int numeroDoDispositivo(const QString &dispositivo)
{
    const auto lista = listaPortasSeriais();
    for (const auto &p : lista)
        if (p.dispositivo == dispositivo)
            return p.numero;
    return 0;
}

} // namespace kelvo
