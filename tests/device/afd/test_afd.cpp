// The AFD assembly shared by both device generations, on its own: lines,
// period, checks, unfinished last record, header, trailer, bytes and the file.

#include "registros.h"
#include "testsupport.h"

#include "data/cp1252.h"
#include "device/common/afd.h"
#include "device/common/paginas.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace kelvo;
using namespace kelvo::teste;

namespace {
EmpregadorAFD empregador()
{
    return EmpregadorAFD{QStringLiteral("1"), QStringLiteral("12345678000195"),
                         QStringLiteral("000000000000"), QStringLiteral("INDÚSTRIA AÇÃO LTDA")};
}
const QString serie = QStringLiteral("00004000010000123");

QByteArray conteudoArquivo(const QString &nome)
{
    QFile f(nome);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<ausente>");
    return f.readAll();
}
} // namespace

class TesteAfd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void divideLinhas_data();
    void divideLinhas();
    void linhaValida_data();
    void linhaValida();
    void ultimoRegistroInacabado_data();
    void ultimoRegistroInacabado();
    void registroDivididoEntrePaginasECache();
    void filtroDeUmDia();
    void cabecalhoETrailer();
    void contadoresDoTrailer();
    void nadaNoPeriodoDaArquivoVazio();
    void bytesCp1252();
    void arquivoGravadoInteiroOuNada();
    void arquivoDeTrabalhoRemovido();
    void paginaConfere_data();
    void paginaConfere();
    void inicioDaColeta_data();
    void inicioDaColeta();
};

void TesteAfd::divideLinhas_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QStringList>("linhas");
    QTest::addColumn<bool>("terminaEmQuebra");
    QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"} << true;
    QTest::newRow("cr") << "a\rb\r" << QStringList{"a", "b"} << true;
    QTest::newRow("lf") << "a\nb\n" << QStringList{"a", "b"} << true;
    QTest::newRow("misturado") << "a\r\nb\rc\nd" << QStringList{"a", "b", "c", "d"} << false;
    QTest::newRow("linha vazia no meio") << "a\r\n\r\nb" << QStringList{"a", "", "b"} << false;
    QTest::newRow("lf cr sao duas quebras") << "a\n\rb" << QStringList{"a", "", "b"} << false;
    QTest::newRow("vazio") << "" << QStringList{} << false;
}

void TesteAfd::divideLinhas()
{
    QFETCH(QString, texto);
    QFETCH(QStringList, linhas);
    QFETCH(bool, terminaEmQuebra);
    bool quebra = !terminaEmQuebra;
    QCOMPARE(divideLinhasAFD(texto, &quebra), linhas);
    QCOMPARE(quebra, terminaEmQuebra);
}

void TesteAfd::linhaValida_data()
{
    QTest::addColumn<QString>("linha");
    QTest::addColumn<bool>("valida");
    QTest::newRow("marcacao") << reg3(1, "10012024", "0800") << true;
    QTest::newRow("posicao 10 nao digito") << nsr(1) + "X" + "10012024" + "0800" + "012345678901" << false;
    QTest::newRow("hora 2460") << reg3(1, "10012024", "2460") << false;
    QTest::newRow("hora 2400") << reg3(1, "10012024", "2400") << false;
    QTest::newRow("2359") << reg3(1, "31122024", "2359") << true;
    QTest::newRow("31/02") << reg3(1, "31022024", "0800") << false;
    QTest::newRow("29/02 bissexto") << reg3(1, "29022024", "0800") << true;
    QTest::newRow("29/02 nao bissexto") << reg3(1, "29022023", "0800") << false;
    QTest::newRow("data com espaco") << reg3(1, "1 012024", "0800") << false;
    QTest::newRow("ajuste relogio") << reg4(2, "100120240800", "100120240805") << true;
    QTest::newRow("ajuste segunda data 31/02") << reg4(2, "100120240800", "310220240805") << false;
    QTest::newRow("ajuste primeira data invalida") << reg4(2, "001320240800", "100120240805") << false;
    QTest::newRow("ajuste curto") << nsr(2) + "4" + "100120240800" + "1001" << false;
    QTest::newRow("empregador") << reg2(3, "10012024") << true;
    QTest::newRow("empregador data invalida") << reg2(3, "32012024") << false;
    QTest::newRow("colaborador") << reg5(4, "10012024") << true;
    QTest::newRow("colaborador mes 13") << reg5(4, "10132024") << false;
    QTest::newRow("tipo 9 sem verificacao") << "9999999999" << true;
    QTest::newRow("tipo 6 sem verificacao") << nsr(5) + "6xx" << true;
    QTest::newRow("vazia") << "" << false;
    QTest::newRow("curta") << "00000" << false;
}

void TesteAfd::linhaValida()
{
    QFETCH(QString, linha);
    QFETCH(bool, valida);
    QCOMPARE(linhaAFDValida(linha), valida);
}

void TesteAfd::ultimoRegistroInacabado_data()
{
    QTest::addColumn<QString>("ultimo");
    QTest::addColumn<bool>("entra");
    QTest::newRow("marcacao completa sem quebra") << reg3(9, "10012024") << true;
    QTest::newRow("marcacao cortada") << reg3(9, "10012024").left(25) << false;
    QTest::newRow("marcacao cortada antes da hora") << reg3(9, "10012024").left(20) << false;
    QTest::newRow("empregador 298") << reg2(9, "10012024").left(298) << false;
    QTest::newRow("empregador completo") << reg2(9, "10012024") << true;
    QTest::newRow("colaborador 86") << reg5(9, "10012024").left(86) << false;
    QTest::newRow("ajuste 33") << reg4(9, "100120240800", "100120240805").left(33) << false;
}

void TesteAfd::ultimoRegistroInacabado()
{
    QFETCH(QString, ultimo);
    QFETCH(bool, entra);
    const QString texto = reg3(1, "10012024") + crlf() + reg3(2, "10012024", "1200") + crlf() + ultimo;
    const ConteudoAFD c = montaAFD(texto, empregador(), serie, FiltroPeriodo{});
    QCOMPARE(c.linhas.size(), entra ? 3 : 2);
    QCOMPARE(c.linhas.contains(ultimo), entra);
    // The same record ended by a line break is whole: it enters when its checks pass.
    const ConteudoAFD terminado = montaAFD(texto + crlf(), empregador(), serie, FiltroPeriodo{});
    QCOMPARE(terminado.linhas.last() == ultimo, linhaAFDValida(ultimo));
    QVERIFY(registroInacabado(ultimo) != entra);
}

void TesteAfd::registroDivididoEntrePaginasECache()
{
    // Two 512-character pages and a cache: one record across the page boundary,
    // one across the last page and the cache.
    QString memoria;
    int n = 1;
    while (memoria.size() < 1024 + 10)
        memoria += reg3(n++, "10012024", "0800") + crlf();
    const QString paginas = memoria.left(1024);
    const QString cache = memoria.mid(1024);
    QVERIFY(!paginas.endsWith(crlf()));
    const ConteudoAFD c = montaAFD(paginas + cache, empregador(), serie, FiltroPeriodo{});
    QCOMPARE(c.linhas.size(), n - 1);
    for (int i = 1; i < n; ++i)
        QCOMPARE(c.linhas.at(i - 1), reg3(i, "10012024", "0800"));

    // The pages alone (no cache yet): the record cut by their end stays out.
    const ConteudoAFD soPaginas = montaAFD(paginas, empregador(), serie, FiltroPeriodo{});
    QCOMPARE(soPaginas.linhas.size(), n - 2);
    for (const QString &l : soPaginas.linhas)
        QCOMPARE(l.size(), 34);
}

void TesteAfd::filtroDeUmDia()
{
    const QString texto = reg3(1, "09012024", "2359") + crlf() + reg3(2, "10012024", "0000") + crlf() +
                          reg4(3, "100120241200", "090120241300") + crlf() + reg3(4, "10012024", "2359") +
                          crlf() + reg3(5, "11012024", "0000") + crlf() + reg3(6, "10022024", "0800") +
                          crlf();
    const FiltroPeriodo dia{true, QDate(2024, 1, 10), QDate(2024, 1, 10)};
    const QDateTime agora(QDate(2024, 3, 5), QTime(14, 7));
    const ConteudoAFD c = montaAFD(texto, empregador(), serie, dia, agora);
    QCOMPARE(c.linhas, (QStringList{reg3(2, "10012024", "0000"), reg4(3, "100120241200", "090120241300"),
                                    reg3(4, "10012024", "2359")}));
    const QString cab = c.texto.section(crlf(), 0, 0);
    QCOMPARE(cab.mid(204, 8), QStringLiteral("10012024"));
    QCOMPARE(cab.mid(212, 8), QStringLiteral("10012024"));

    // A period of two days keeps both ends, and the header follows the kept lines.
    const ConteudoAFD dois = montaAFD(texto, empregador(), serie,
                                      FiltroPeriodo{true, QDate(2024, 1, 9), QDate(2024, 1, 10)}, agora);
    QCOMPARE(dois.linhas.size(), 4);
    QCOMPARE(dois.texto.mid(204, 16), QStringLiteral("0901202410012024"));
}

void TesteAfd::cabecalhoETrailer()
{
    const QString texto = reg3(1, "10012024") + crlf() + reg3(2, "12012024") + crlf();
    const QDateTime agora(QDate(2024, 3, 5), QTime(9, 4, 59));
    const ConteudoAFD c = montaAFD(texto, empregador(), serie, FiltroPeriodo{}, agora);
    const QStringList linhas = c.texto.split(crlf());
    QCOMPARE(linhas.size(), 5); // header, 2 lines, trailer, and nothing after the last CR LF
    QCOMPARE(linhas.last(), QString());
    const QString cab = linhas.at(0);
    QCOMPARE(cab.size(), 232);
    QCOMPARE(cab.left(10), QStringLiteral("0000000001"));
    QCOMPARE(cab.mid(10, 1), QStringLiteral("1"));
    QCOMPARE(cab.mid(11, 14), QStringLiteral("12345678000195"));
    QCOMPARE(cab.mid(25, 12), QStringLiteral("000000000000"));
    QCOMPARE(cab.mid(37, 150), QStringLiteral("INDÚSTRIA AÇÃO LTDA").leftJustified(150));
    QCOMPARE(cab.mid(187, 17), serie);
    QCOMPARE(cab.mid(204, 8), QStringLiteral("10012024"));
    QCOMPARE(cab.mid(212, 8), QStringLiteral("12012024"));
    QCOMPARE(cab.mid(220, 12), QStringLiteral("050320240904"));
    QCOMPARE(linhas.at(3).size(), 46);

    // CPF employer, short fields padded, long ones cut: the header keeps 232.
    EmpregadorAFD cpf{QStringLiteral("2"), QStringLiteral("12345678909"), QString(), QString(200, u'N')};
    const QString cab2 =
        cabecalhoAFD(cpf, QStringLiteral("1"), reg3(1, "10012024"), reg3(2, "10012024"), agora);
    QCOMPARE(cab2.size(), 232);
    QCOMPARE(cab2.mid(10, 15), QStringLiteral("212345678909   "));
}

void TesteAfd::contadoresDoTrailer()
{
    const QString texto = reg3(1, "10012024") + crlf() + reg3(2, "10012024") + crlf() +
                          reg4(3, "100120240800", "100120240900") + crlf() + reg3(4, "10012024") + crlf() +
                          "9999999999" + crlf();
    const ConteudoAFD c = montaAFD(texto, empregador(), serie, FiltroPeriodo{});
    QCOMPARE(c.linhas.size(), 5); // the unchecked type 9 line is carried along uncounted
    QCOMPARE(c.contadores.tipo3, 3);
    QCOMPARE(c.contadores.tipo4, 1);
    const QString trailer = c.texto.split(crlf()).at(6);
    QCOMPARE(trailer,
             QStringLiteral("999999999") + "000000000" + "000000003" + "000000001" + "000000000" + "9");

    const ConteudoAFD todos =
        montaAFD(reg2(1, "10012024") + crlf() + reg5(2, "10012024") + crlf() + reg5(3, "10012024") + crlf(),
                 empregador(), serie, FiltroPeriodo{});
    QCOMPARE(trailerAFD(todos.contadores),
             QStringLiteral("999999999000000001000000000000000000000000002") + "9");
}

void TesteAfd::nadaNoPeriodoDaArquivoVazio()
{
    PastaTeste pasta;
    const QString nome = pasta.arquivo("AFD_vazio.txt");
    {
        QFile f(nome);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("conteudo antigo");
    }
    PedidoAFD p;
    p.arquivo = nome;
    p.empregador = empregador();
    p.numeroSerie = serie;
    p.filtro = FiltroPeriodo{true, QDate(2025, 1, 1), QDate(2025, 1, 1)};
    p.cache = reg3(7, "10012024") + crlf();
    ConteudoAFD c;
    QCOMPARE(GeraAFD(p, reg3(1, "10012024") + crlf(), &c), retornoAFDGerado());
    QVERIFY(c.linhas.isEmpty());
    QVERIFY(QFileInfo::exists(nome));
    QCOMPARE(conteudoArquivo(nome), QByteArray());

    // Only invalid lines: also an empty file.
    p.filtro = FiltroPeriodo{};
    QCOMPARE(GeraAFD(p, reg3(1, "31022024") + crlf() + nsr(2) + "A" + crlf(), &c), retornoAFDGerado());
    QVERIFY(c.linhas.size() == 1); // the cache's line
    p.cache.clear();
    QCOMPARE(GeraAFD(p, reg3(1, "31022024") + crlf() + nsr(2) + "A" + crlf(), &c), retornoAFDGerado());
    QCOMPARE(conteudoArquivo(nome), QByteArray());
}

void TesteAfd::bytesCp1252()
{
    PastaTeste pasta;
    // A page byte of the upper half comes back as the same byte in the file.
    QByteArray pagina = paraCp1252(reg3(1, "10012024") + crlf());
    pagina.append(char(0x80)); // "€" in cp1252; part of a type 9 line
    pagina.append(paraCp1252(QStringLiteral("0000000069") + crlf()));
    PedidoAFD p;
    p.arquivo = pasta.arquivo("AFD_bytes.txt");
    p.empregador = empregador();
    p.numeroSerie = serie;
    QCOMPARE(GeraAFD(p, deCp1252(pagina)), retornoAFDGerado());
    const QByteArray bytes = conteudoArquivo(p.arquivo);
    const QByteArray cab = bytes.left(bytes.indexOf("\r\n"));
    QCOMPARE(cab.size(), 232); // one byte per character, accents included
    QVERIFY(cab.contains("IND\xDASTRIA A\xC7\xC3O LTDA"));
    QVERIFY(bytes.contains(QByteArray("\r\n\x80"
                                      "0000000069\r\n")));
    QCOMPARE(bytes.size(), 232 + 2 + 34 + 2 + 11 + 2 + 46 + 2);
}

void TesteAfd::arquivoGravadoInteiroOuNada()
{
    PastaTeste pasta;
    PedidoAFD p;
    p.empregador = empregador();
    p.numeroSerie = serie;
    const QString texto = reg3(1, "10012024") + crlf();

    // A folder that does not exist.
    p.arquivo = pasta.arquivo("nao/existe/AFD.txt");
    const QString r = GeraAFD(p, texto);
    QVERIFY2(r.startsWith(QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ")), qPrintable(r));
    QVERIFY(r.size() > QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ").size());

    // A name that is a folder: it stays a folder, nothing half-written appears.
    QVERIFY(QDir(pasta.caminho()).mkdir("ocupado.txt"));
    p.arquivo = pasta.arquivo("ocupado.txt");
    QVERIFY(GeraAFD(p, texto).startsWith(QStringLiteral("8;")));
    QVERIFY(QFileInfo(p.arquivo).isDir());
    QStringList sobras = QDir(pasta.caminho()).entryList(QDir::Files | QDir::Hidden);
    sobras.removeAll(QStringLiteral("sistema.INI"));
    QVERIFY2(sobras.isEmpty(), qPrintable(sobras.join(' '))); // no temporary file, no mrp.TMP

    // An empty name.
    p.arquivo = QStringLiteral("  ");
    QCOMPARE(GeraAFD(p, texto), QStringLiteral("7;Nome de arquivo inválido"));

    // An existing file is replaced by the complete new one.
    p.arquivo = pasta.arquivo("AFD.txt");
    QCOMPARE(GeraAFD(p, texto), retornoAFDGerado());
    QCOMPARE(GeraAFD(p, texto + reg3(2, "10012024") + crlf()), retornoAFDGerado());
    QCOMPARE(conteudoArquivo(p.arquivo).count("\r\n"), 4);
}

void TesteAfd::arquivoDeTrabalhoRemovido()
{
    PastaTeste pasta;
    const QString tmp = pasta.arquivo("mrp.TMP");
    QCOMPARE(arquivoMrpTmp(), tmp);
    {
        QFile f(tmp);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("sobra de outra coleta");
    }
    PedidoAFD p;
    p.arquivo = pasta.arquivo("AFD.txt");
    p.empregador = empregador();
    p.numeroSerie = serie;
    QCOMPARE(GeraAFD(p, reg3(1, "10012024") + crlf()), retornoAFDGerado());
    QVERIFY(!QFileInfo::exists(tmp));
    // Also after a failed write.
    p.arquivo = pasta.arquivo("falta/AFD.txt");
    QVERIFY(GeraAFD(p, reg3(1, "10012024") + crlf()).startsWith("8;"));
    QVERIFY(!QFileInfo::exists(tmp));
}

void TesteAfd::paginaConfere_data()
{
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<bool>("confere");
    QByteArray dados(512, char(0xFF)); // 512 * 255 = 130560 = 0x1FE00 -> 0xFE00
    QTest::newRow("soma com transbordo") << dados + QByteArray("\xFE\x00", 2) << true;
    QTest::newRow("bytes trocados") << dados + QByteArray("\x00\xFE", 2) << false;
    QByteArray d2(512, 0);
    d2[0] = 0x12;
    d2[511] = 0x01;
    QTest::newRow("zeros") << d2 + QByteArray("\x00\x13", 2) << true;
    QTest::newRow("curta") << d2.left(500) << false;
}

void TesteAfd::paginaConfere()
{
    QFETCH(QByteArray, resposta);
    QFETCH(bool, confere);
    QCOMPARE(kelvo::paginaConfere(resposta), confere);
    if (confere)
        QCOMPARE(textoPagina(resposta).size(), 512);
}

void TesteAfd::inicioDaColeta_data()
{
    QTest::addColumn<QString>("maior");
    QTest::addColumn<quint32>("ponteiro");
    QTest::addColumn<bool>("valido");
    QTest::addColumn<bool>("somenteCache");
    QTest::addColumn<quint32>("inicio");
    QTest::addColumn<int>("paginas");
    QTest::newRow("ponteiro zero") << "" << 0u << true << true << 0u << 0;
    QTest::newRow("primeira coleta") << "" << 0x400u << true << false << 0u << 2;
    QTest::newRow("segunda coleta relê a maior") << "00000200" << 0x600u << true << false << 0x200u << 2;
    QTest::newRow("1C00 ate 2000") << "00001C00" << 0x2000u << true << false << 0x1C00u << 2;
    QTest::newRow("ultima pagina relida") << "00001E00" << 0x2000u << true << false << 0x1E00u << 1;
    QTest::newRow("memoria reiniciada") << "00002000" << 0x2000u << false << false << 0u << 0;
    QTest::newRow("gravada acima do ponteiro") << "00004000" << 0x400u << false << false << 0u << 0;
    QTest::newRow("chave corrompida") << "XYZ" << 0x400u << false << false << 0u << 0;
}

void TesteAfd::inicioDaColeta()
{
    QFETCH(QString, maior);
    QFETCH(quint32, ponteiro);
    QFETCH(bool, valido);
    QFETCH(bool, somenteCache);
    QFETCH(quint32, inicio);
    QFETCH(int, paginas);
    const InicioColeta r = decideInicioColeta(maior, ponteiro);
    QCOMPARE(r.valido, valido);
    QCOMPARE(r.somenteCache, somenteCache);
    if (!valido) {
        QVERIFY(r.retorno.startsWith(QStringLiteral("31;")));
        return;
    }
    QCOMPARE(r.endereco, inicio);
    QCOMPARE(r.paginas, paginas);
    // Walking the pages never asks past the pointer.
    if (!somenteCache) {
        int lidas = 1;
        for (quint32 e = r.endereco; haProximaPagina(e, ponteiro); e += 512)
            ++lidas;
        QCOMPARE(lidas, paginas);
    }
}

QTEST_GUILESS_MAIN(TesteAfd)
#include "test_afd.moc"
