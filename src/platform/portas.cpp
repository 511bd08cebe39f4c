#include "platform/portas.h"

#include <QSerialPortInfo>
#include <QSet>
#include <algorithm>

namespace kelvo::plataforma {

QStringList dispositivosSeriaisDoSistema()
{
    QStringList r;
    const auto portas = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : portas) {
        const QString caminho = info.systemLocation();
        if (!caminho.isEmpty() && !r.contains(caminho))
            r.append(caminho);
    }
    std::sort(r.begin(), r.end());
    return r;
}

QList<PortaSerial> numeraPortasSeriais(const QMap<int, QString> &configuradas, const QStringList &sistema)
{
    QMap<int, QString> numeradas;
    QSet<QString> usados;
    for (auto it = configuradas.cbegin(); it != configuradas.cend(); ++it) {
        if (it.key() < 1 || it.value().trimmed().isEmpty())
            continue;
        numeradas.insert(it.key(), it.value().trimmed());
        usados.insert(it.value().trimmed());
    }
    QStringList ordenados = sistema;
    std::sort(ordenados.begin(), ordenados.end());
    int proximo = 1;
    for (const QString &caminho : ordenados) {
        if (caminho.isEmpty() || usados.contains(caminho))
            continue;
        while (numeradas.contains(proximo))
            ++proximo;
        numeradas.insert(proximo, caminho);
        usados.insert(caminho);
    }
    QList<PortaSerial> r;
    for (auto it = numeradas.cbegin(); it != numeradas.cend(); ++it)
        r.append(PortaSerial{it.key(), it.value()});
    return r;
}

int numeroDoNomeDePorta(const QString &nome)
{
    const QString t = nome.trimmed();
    if (t.size() < 4 || !t.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int n = t.mid(3).toInt(&ok);
    return ok && n > 0 ? n : 0;
}

} // namespace kelvo::plataforma
