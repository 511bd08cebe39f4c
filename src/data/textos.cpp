#include "data/textos.h"

#include <QStringList>

namespace kelvo {

namespace {

int valorDigito(QChar c) { return c.unicode() - '0'; }

bool soDigitos(const QString &s)
{
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// Modulus 11 with weights 2..maxPeso from the rightmost digit leftwards,
// restarting at 2 after maxPeso.
int digitoMod11(const QString &base, int maxPeso)
{
    int soma = 0;
    int peso = 2;
    for (qsizetype i = base.size() - 1; i >= 0; --i) {
        soma += valorDigito(base.at(i)) * peso;
        peso = peso == maxPeso ? 2 : peso + 1;
    }
    const int r = 11 - soma % 11;
    return r >= 10 ? 0 : r;
}

QString doisDigitos(const QString &base, int maxPeso)
{
    const int d1 = digitoMod11(base, maxPeso);
    const int d2 = digitoMod11(base + QString::number(d1), maxPeso);
    return QString::number(d1) + QString::number(d2);
}

} // namespace

QString DigitosCPF(const QString &base9)
{
    if (!soDigitos(base9))
        return QString();
    return doisDigitos(base9, 1000); // weights keep growing: 2, 3, 4, ...
}

QString DigitosCNPJ(const QString &base12)
{
    if (!soDigitos(base12))
        return QString();
    return doisDigitos(base12, 9);
}

bool ValidaCPF(const QString &texto)
{
    if (texto.size() < 11 || !soDigitos(texto.left(11)))
        return false;
    return texto.mid(9, 2) == DigitosCPF(texto.left(9));
}

bool ValidaCNPJ(const QString &texto)
{
    const QString d = ExtraiNumeros(texto);
    if (d.size() < 14)
        return false;
    return d.mid(12, 2) == DigitosCNPJ(d.left(12));
}

bool ValidaPIS(const QString &texto)
{
    const QString d = ExtraiNumeros(texto);
    if (d.size() < 11)
        return false;
    bool ok = false;
    const qulonglong valor = d.toULongLong(&ok);
    if (!ok || valor > qulonglong(std::numeric_limits<qint64>::max()))
        return false;
    static const int pesos[10] = {3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    int soma = 0;
    for (int i = 0; i < 10; ++i)
        soma += valorDigito(d.at(i)) * pesos[i];
    int r = 11 - soma % 11;
    if (r >= 10)
        r = 0;
    return r == valorDigito(d.at(10)) && valor != 0;
}

QString ExtraiNumeros(const QString &texto)
{
    QString r;
    r.reserve(texto.size());
    for (QChar c : texto) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            r.append(c);
    }
    return r;
}

QString NumeroComZeros(const QString &texto, int largura)
{
    QString r = ExtraiNumeros(texto);
    if (r.size() < largura)
        r.prepend(QString(largura - r.size(), QLatin1Char('0')));
    return r;
}

bool IguaisSemZeros(const QString &a, const QString &b)
{
    auto semZeros = [](const QString &s) {
        if (s.size() <= 1)
            return s;
        qsizetype i = 0;
        while (i < s.size() && s.at(i) == QLatin1Char('0'))
            ++i;
        return s.mid(i);
    };
    return semZeros(a) == semZeros(b);
}

QString SubstituiTexto(const QString &procurado, const QString &substituto, const QString &texto,
                       bool *recusado)
{
    if (recusado)
        *recusado = false;
    if (procurado.isEmpty())
        return texto;
    if (substituto.contains(procurado, Qt::CaseInsensitive)) {
        if (recusado)
            *recusado = true;
        return texto;
    }
    // Searching again from the start catches occurrences that a replacement
    // joins together ("with (with (nolock)nolock)").
    QString r = texto;
    qsizetype pos;
    while ((pos = r.indexOf(procurado, 0, Qt::CaseInsensitive)) >= 0)
        r.replace(pos, procurado.size(), substituto);
    return r;
}

QString CompletaTexto(const QString &texto, int tamanho, Lado lado, const QString &preenchimento)
{
    QString r = texto.left(qMax(0, tamanho));
    const QString fill = preenchimento.isEmpty() ? QStringLiteral(" ") : preenchimento;
    while (r.size() < tamanho) {
        if (lado == Lado::Direita)
            r.append(fill);
        else
            r.prepend(fill);
    }
    return r;
}

QString VersaoPrograma()
{
    return QString::asprintf("%d.%d.%d", KELVO_VERSION_MAJOR, KELVO_VERSION_MINOR, KELVO_VERSION_BUILD);
}

QString DataPorExtenso(const QDate &data)
{
    static const char *const dias[] = {"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"};
    static const char *const meses[] = {"Janeiro", "Fevereiro", "Março",    "Abril",   "Maio",     "Junho",
                                        "Julho",   "Agosto",    "Setembro", "Outubro", "Novembro", "Dezembro"};
    // Qt counts Monday as 1 and Sunday as 7.
    const QString dia = QString::fromUtf8(dias[data.dayOfWeek() % 7]);
    return dia + QStringLiteral(", ") + QStringLiteral("%1").arg(data.day(), 2, 10, QLatin1Char('0')) +
           QStringLiteral(" de ") + QString::fromUtf8(meses[data.month() - 1]) + QStringLiteral(" de ") +
           QString::number(data.year());
}

} // namespace kelvo
