#include "device/common/afd.h"

#include "data/cp1252.h"
#include "data/sistema.h"
#include "data/textos.h"
#include "device/common/paginas.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kelvo {

int tamanhoRegistroAFD(QChar tipo)
{
    switch (tipo.unicode()) {
    case u'2':
        return 299;
    case u'3':
        return 34;
    case u'4':
        return 34;
    case u'5':
        return 87;
    default:
        return 0;
    }
}

QChar tipoRegistroAFD(const QString &linha)
{
    return linha.size() >= 10 ? linha.at(9) : QChar();
}

QStringList divideLinhasAFD(const QString &texto, bool *terminaEmQuebra)
{
    QStringList linhas;
    QString atual;
    bool quebra = false;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto.at(i);
        if (c == u'\r' || c == u'\n') {
            linhas.append(atual);
            atual.clear();
            if (c == u'\r' && i + 1 < texto.size() && texto.at(i + 1) == u'\n')
                ++i;
            quebra = true;
        } else {
            atual.append(c);
            quebra = false;
        }
    }
    if (!atual.isEmpty())
        linhas.append(atual);
    if (terminaEmQuebra)
        *terminaEmQuebra = quebra;
    return linhas;
}

bool registroInacabado(const QString &linha)
{
    if (linha.size() < 10)
        return true; // not even the type has arrived
    const int completo = tamanhoRegistroAFD(tipoRegistroAFD(linha));
    return completo > 0 && linha.size() < completo;
}

QString chaveDataAFD(const QString &linha)
{
    return linha.mid(14, 4) + linha.mid(12, 2) + linha.mid(10, 2);
}

bool linhaNoPeriodo(const QString &linha, const QDate &inicio, const QDate &fim)
{
    const QString chave = chaveDataAFD(linha);
    return chave >= inicio.toString(QStringLiteral("yyyyMMdd")) &&
           chave <= fim.toString(QStringLiteral("yyyyMMdd"));
}

namespace {
bool numero(const QString &linha, int inicio, int tamanho, int *valor)
{
    if (inicio + tamanho > linha.size())
        return false;
    int v = 0;
    for (int i = inicio; i < inicio + tamanho; ++i) {
        const QChar c = linha.at(i);
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c.unicode() - u'0');
    }
    *valor = v;
    return true;
}
} // namespace

bool dataHoraAFDValida(const QString &linha, int pos)
{
    const int i = pos - 1;
    int dia, mes, ano, hora, minuto;
    if (!numero(linha, i, 2, &dia) || !numero(linha, i + 2, 2, &mes) || !numero(linha, i + 4, 4, &ano) ||
        !numero(linha, i + 8, 2, &hora) || !numero(linha, i + 10, 2, &minuto))
        return false;
    return ano >= 1 && QDate::isValid(ano, mes, dia) && hora < 24 && minuto < 60;
}

bool linhaAFDValida(const QString &linha)
{
    const QChar tipo = tipoRegistroAFD(linha);
    if (!tipo.isDigit() || tipo.unicode() > 0x7F)
        return false;
    switch (tipo.unicode()) {
    case u'2':
    case u'3':
    case u'5':
        return dataHoraAFDValida(linha, 11);
    case u'4':
        return dataHoraAFDValida(linha, 11) && dataHoraAFDValida(linha, 23);
    default:
        return true;
    }
}

QString cabecalhoAFD(const EmpregadorAFD &empregador, const QString &numeroSerie,
                     const QString &primeiraLinha, const QString &ultimaLinha, const QDateTime &agora)
{
    auto campo = [](const QString &t, int n) {
        return CompletaTexto(t, n, Lado::Direita, QStringLiteral(" "));
    };
    return QStringLiteral("0000000001") + campo(empregador.tipo, 1) + campo(empregador.cpfcnpj, 14) +
           campo(empregador.cei, 12) + campo(empregador.nome, 150) + campo(numeroSerie, 17) +
           campo(primeiraLinha.mid(10, 8), 8) + campo(ultimaLinha.mid(10, 8), 8) +
           agora.toString(QStringLiteral("ddMMyyyyHHmm"));
}

QString trailerAFD(const ContadoresAFD &c)
{
    auto n9 = [](int v) { return QStringLiteral("%1").arg(v, 9, 10, QLatin1Char('0')); };
    return QStringLiteral("999999999") + n9(c.tipo2) + n9(c.tipo3) + n9(c.tipo4) + n9(c.tipo5) +
           QStringLiteral("9");
}

ConteudoAFD montaAFD(const QString &textoMemoria, const EmpregadorAFD &empregador, const QString &numeroSerie,
                     const FiltroPeriodo &filtro, const QDateTime &agora)
{
    ConteudoAFD r;
    bool terminaEmQuebra = false;
    QStringList linhas = divideLinhasAFD(textoMemoria, &terminaEmQuebra);
    // The memory read so far may end inside a record; it is completed by the
    // next collection and must not enter this file as a short record.
    if (!terminaEmQuebra && !linhas.isEmpty() && registroInacabado(linhas.last()))
        linhas.removeLast();

    for (const QString &linha : std::as_const(linhas)) {
        if (filtro.ativo && !linhaNoPeriodo(linha, filtro.inicio, filtro.fim))
            continue;
        if (!linhaAFDValida(linha))
            continue;
        r.linhas.append(linha);
    }
    if (r.linhas.isEmpty() || r.linhas.first().isEmpty())
        return r;

    const QString fim = QStringLiteral("\r\n");
    QString t = cabecalhoAFD(empregador, numeroSerie, r.linhas.first(), r.linhas.last(), agora) + fim;
    for (const QString &linha : std::as_const(r.linhas)) {
        t += linha + fim;
        switch (tipoRegistroAFD(linha).unicode()) {
        case u'2':
            ++r.contadores.tipo2;
            break;
        case u'3':
            ++r.contadores.tipo3;
            break;
        case u'4':
            ++r.contadores.tipo4;
            break;
        case u'5':
            ++r.contadores.tipo5;
            break;
        default:
            break;
        }
    }
    t += trailerAFD(r.contadores) + fim;
    r.texto = t;
    return r;
}

QString gravaArquivoAFD(const QString &arquivo, const QByteArray &bytes)
{
    const QString prefixo = QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ");
    if (arquivo.trimmed().isEmpty())
        return QStringLiteral("7;Nome de arquivo inválido");
    QSaveFile f(arquivo);
    // Same folder and rename: a failure leaves any earlier file as it was.
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly))
        return prefixo + f.errorString();
    if (f.write(bytes) != bytes.size()) {
        const QString e = f.errorString();
        f.cancelWriting();
        return prefixo + e;
    }
    if (!f.commit())
        return prefixo + f.errorString();
    return QString();
}

UltimaColetaAFD &ultimaColetaAFD()
{
    static UltimaColetaAFD u;
    return u;
}

QString arquivoMrpTmp()
{
    return PastaPrograma() + QStringLiteral("mrp.TMP");
}

QString GeraAFD(const PedidoAFD &pedido, const QString &textoPaginas, ConteudoAFD *conteudo)
{
    if (pedido.arquivo.trimmed().isEmpty())
        return QStringLiteral("7;Nome de arquivo inválido");
    // The work file holds the stored pages while the file is built; it never
    // outlives the build.
    const QString tmp = arquivoMrpTmp();
    QFile::remove(tmp);
    {
        QFile f(tmp);
        if (f.open(QIODevice::WriteOnly))
            f.write(paraCp1252(textoPaginas));
    }
    const ConteudoAFD c = montaAFD(textoPaginas + pedido.cache, pedido.empregador, pedido.numeroSerie,
                                   pedido.filtro, QDateTime::currentDateTime());
    const QString erro = gravaArquivoAFD(pedido.arquivo, paraCp1252(c.texto));
    QFile::remove(tmp);
    if (conteudo)
        *conteudo = c;
    UltimaColetaAFD &u = ultimaColetaAFD();
    u.gerado = erro.isEmpty();
    u.numeroSerie = pedido.numeroSerie;
    u.cache = pedido.cache;
    u.arquivo = pedido.arquivo;
    u.contadores = c.contadores;
    u.linhas = c.linhas.size();
    return erro.isEmpty() ? retornoAFDGerado() : erro;
}

QString GeraAFD(const PedidoAFD &pedido, const ArmazemPaginas &armazem, ConteudoAFD *conteudo)
{
    if (pedido.arquivo.trimmed().isEmpty())
        return QStringLiteral("7;Nome de arquivo inválido");
    QString paginas;
    const QString erro = armazem.conteudoPaginas(pedido.numeroSerie, &paginas);
    if (!erro.isEmpty())
        return retornoErroBanco(erro);
    return GeraAFD(pedido, paginas, conteudo);
}

} // namespace kelvo
