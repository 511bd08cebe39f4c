// The page store on the real database: groups of 20, the highest stored page,
// a page written anew, short-lived connections, and failures that are returned
// without losing or duplicating what is stored.

#include "esquema_teste.h"
#include "registros.h"
#include "testsupport.h"

#include "data/cp1252.h"
#include "device/common/afd.h"
#include "device/common/paginas.h"

#include <QHash>

#include <QFile>
#include <QSqlQuery>
#include <QTest>

using namespace kelvo;
using namespace kelvo::teste;

namespace {
const QString serie = QStringLiteral("00004000010000123");

int conta(QSqlDatabase db, const QString &where = QString())
{
    return valor(db, QStringLiteral("select count(*) from tbmemoriarep") + where).toInt();
}

QString pagina(int n)
{
    return QString(512, QChar(u'A' + n % 26));
}

QByteArray resposta(const QString &pagina, bool corrompida = false)
{
    QByteArray b = paraCp1252(pagina);
    const quint16 soma = somaPagina(b) + (corrompida ? 1 : 0);
    b.append(char(soma >> 8));
    b.append(char(soma & 0xFF));
    return b;
}

// A device whose memory holds `memoria`: pages below `ponteiro`, the rest in
// the cache.  Runs the page part of a collection; the addresses requested go to
// *pedidas.  `corrompe` pages (by address) answer with a wrong sum that many times.
QString coleta(ColetaPaginas &c, const QString &memoria, quint32 ponteiro, QList<quint32> *pedidas,
               QHash<quint32, int> corrompe = {})
{
    ColetaPaginas::Acao a = c.comecaPaginas(ponteiro);
    while (a == ColetaPaginas::Acao::PedePagina) {
        const quint32 e = c.enderecoAtual();
        pedidas->append(e);
        const bool ruim = corrompe.value(e) > 0;
        if (ruim)
            --corrompe[e];
        a = c.recebePagina(resposta(memoria.mid(int(e), 512), ruim));
    }
    if (a == ColetaPaginas::Acao::Falha)
        return c.retorno();
    return c.concluiCache(memoria.mid(int(ponteiro)));
}

// The memory of a device as AFD text, cut into 512-character pages.
QStringList paginasDe(const QString &memoria)
{
    QStringList r;
    for (int i = 0; i + 512 <= memoria.size(); i += 512)
        r << memoria.mid(i, 512);
    return r;
}
} // namespace

class TestePaginas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void gruposDe20();
    void maiorPaginaEPaginaRegravada();
    void conexoesCurtas();
    void insercaoRecusadaNaoPerdeNada();
    void bancoForaDoAr();
    void afdDasPaginasGravadas();
    void coletaDePaginas();
    void verificacaoRepetidaELimitada();
    void memoriaReiniciada();

private:
    PastaTeste *m_pasta = nullptr;
    BancoTeste *m_banco = nullptr;
    QSqlDatabase m_db;
};

void TestePaginas::init()
{
    KELVO_EXIGE_SERVIDOR();
    m_pasta = new PastaTeste;
    m_banco = new BancoTeste;
    m_db = m_banco->conexao();
    QVERIFY(m_db.isOpen());
    executa(m_db, criaTbMemoriaRep());
}

void TestePaginas::cleanup()
{
    m_db = QSqlDatabase();
    delete m_banco;
    m_banco = nullptr;
    delete m_pasta;
    m_pasta = nullptr;
}

void TestePaginas::gruposDe20()
{
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    QString maior = QStringLiteral("x");
    QCOMPARE(armazem.maiorPagina(serie, &maior), QString());
    QCOMPARE(maior, QString());
    const InicioColeta inicio = decideInicioColeta(maior, 45 * 512);
    QVERIFY(inicio.valido);
    QCOMPARE(inicio.endereco, 0u);
    QCOMPARE(inicio.paginas, 45);

    PaginasPendentes pendentes(armazem, serie);
    QList<int> noBanco;
    QList<int> naLista;
    quint32 e = inicio.endereco;
    for (int i = 0; i < 45; ++i, e += 512) {
        QCOMPARE(pendentes.adiciona(TMRPmemoria{chavePagina(e), pagina(i)}), QString());
        noBanco << conta(m_db);
        naLista << pendentes.quantidade();
    }
    QCOMPARE(noBanco.at(18), 0);
    QCOMPARE(noBanco.at(19), 20);
    QCOMPARE(noBanco.at(38), 20);
    QCOMPARE(noBanco.at(39), 40);
    QCOMPARE(noBanco.at(44), 40);
    QCOMPARE(naLista.at(19), 0);
    QCOMPARE(naLista.at(44), 5);
    QCOMPARE(pendentes.gravaRestantes(), QString());
    QCOMPARE(conta(m_db), 45);
    QCOMPARE(pendentes.quantidade(), 0);
    QCOMPARE(pendentes.gravadas(), 45);
    QCOMPARE(conta(m_db, " where afdconvertido = 'N' and dthcoleta is not null"), 45);
    QCOMPARE(armazem.maiorPagina(serie, &maior), QString());
    QCOMPARE(maior, chavePagina(44 * 512));
    // Nothing left over: storing an empty list does nothing.
    QCOMPARE(pendentes.gravaRestantes(), QString());
}

void TestePaginas::maiorPaginaEPaginaRegravada()
{
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    // Keys are compared as text; upper-case fixed-width hexadecimal keeps address order.
    for (quint32 e : {0x0000u, 0x0A00u, 0x1A00u, 0x0200u})
        QCOMPARE(armazem.GravaPaginaMRP(serie, chavePagina(e), pagina(int(e / 512))), QString());
    QCOMPARE(armazem.GravaPaginaMRP(QStringLiteral("OUTRO000000000001"), chavePagina(0x8000), pagina(1)),
             QString());
    QString maior;
    QCOMPARE(armazem.maiorPagina(serie, &maior), QString());
    QCOMPARE(maior, QStringLiteral("00001A00"));
    QCOMPARE(enderecoDaChave(maior), 0x1A00u);

    // A second collection starts at the highest stored page and writes it anew.
    executa(m_db, "update tbmemoriarep set afdconvertido = 'S'");
    const InicioColeta inicio = decideInicioColeta(maior, 0x1E00);
    QCOMPARE(inicio.endereco, 0x1A00u);
    QCOMPARE(inicio.paginas, 2);
    QCOMPARE(armazem.GravaPaginaMRP(serie, maior, QString(512, u'Z')), QString());
    QCOMPARE(conta(m_db, QStringLiteral(" where idrep = '%1'").arg(serie)), 4);
    QCOMPARE(valor(m_db, "select conteudo from tbmemoriarep where mrp = '00001A00'").toString(),
             QString(512, u'Z'));
    QCOMPARE(valor(m_db, "select afdconvertido from tbmemoriarep where mrp = '00001A00'").toString(), "N");

    QString texto;
    QCOMPARE(armazem.conteudoPaginas(serie, &texto), QString());
    QCOMPARE(texto, pagina(0) + pagina(1) + pagina(5) + QString(512, u'Z'));
}

void TestePaginas::conexoesCurtas()
{
    // The main connection gives the parameters only: it may even be closed.
    const QStringList antes = QSqlDatabase::connectionNames();
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    m_db.close();
    PaginasPendentes pendentes(armazem, serie);
    for (int i = 0; i < 25; ++i)
        QCOMPARE(pendentes.adiciona(TMRPmemoria{chavePagina(i * 512), pagina(i)}), QString());
    QCOMPARE(pendentes.gravaRestantes(), QString());
    QString t;
    QCOMPARE(armazem.conteudoPaginas(serie, &t), QString());
    QCOMPARE(t.size(), 25 * 512);
    QCOMPARE(QSqlDatabase::connectionNames(), antes);
    QVERIFY(!m_db.isOpen());
    QVERIFY(m_db.open());
}

void TestePaginas::insercaoRecusadaNaoPerdeNada()
{
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(armazem.GravaPaginaMRP(serie, chavePagina(i * 512), pagina(i)), QString());
    // The server refuses pages 00000400 and 00000800 from now on.
    executa(m_db, "create trigger recusa before insert on tbmemoriarep for each row "
                  "begin if new.mrp in ('00000400', '00000800') then "
                  "signal sqlstate '45000' set message_text = 'pagina recusada'; end if; end");

    // Re-reading the highest stored page, refused: the stored copy stays.
    QString erro = armazem.GravaPaginaMRP(serie, chavePagina(0x400), QString(512, u'Z'));
    QVERIFY2(erro.contains("pagina recusada"), qPrintable(erro));
    QCOMPARE(valor(m_db, "select conteudo from tbmemoriarep where mrp = '00000400'").toString(), pagina(2));

    // A group stops at the refused page: no gap that a later collection would skip.
    PaginasPendentes pendentes(armazem, serie);
    for (int i = 2; i < 8; ++i)
        pendentes.adiciona(TMRPmemoria{chavePagina(i * 512), pagina(i + 10)});
    erro = pendentes.gravaRestantes();
    QVERIFY2(erro.startsWith("8;Não foi possível gravar as páginas coletadas no banco de dados. Mensagem: "),
             qPrintable(erro));
    QVERIFY(erro.contains("pagina recusada"));
    QCOMPARE(pendentes.gravadas(), 0);
    QCOMPARE(pendentes.quantidade(), 6);
    QCOMPARE(conta(m_db), 3);
    QCOMPARE(valor(m_db, "select conteudo from tbmemoriarep where mrp = '00000400'").toString(), pagina(2));

    // The next collection recovers from the highest stored page.
    QString maior;
    QCOMPARE(armazem.maiorPagina(serie, &maior), QString());
    QCOMPARE(maior, QStringLiteral("00000400"));
    executa(m_db, "drop trigger recusa");
    PaginasPendentes depois(armazem, serie);
    for (int i = 2; i < 8; ++i)
        QCOMPARE(depois.adiciona(TMRPmemoria{chavePagina(i * 512), pagina(i + 10)}), QString());
    QCOMPARE(depois.gravaRestantes(), QString());
    QCOMPARE(conta(m_db), 8);
    QCOMPARE(valor(m_db, "select count(distinct mrp) from tbmemoriarep").toInt(), 8);
}

void TestePaginas::bancoForaDoAr()
{
    QSqlDatabase fora = QSqlDatabase::addDatabase("QMYSQL", "fora_do_ar");
    fora.setHostName("127.0.0.1");
    fora.setPort(1); // nothing listens there
    fora.setDatabaseName(m_banco->nome());
    fora.setUserName(servidor().usuario);
    fora.setPassword(servidor().senha);
    {
        const ArmazemPaginas armazem(fora, Dialeto::MySQL);
        fora = QSqlDatabase();
        QSqlDatabase::removeDatabase("fora_do_ar");
        QString maior, texto;
        QVERIFY(!armazem.maiorPagina(serie, &maior).isEmpty());
        QVERIFY(!armazem.conteudoPaginas(serie, &texto).isEmpty());
        QVERIFY(!armazem.GravaPaginaMRP(serie, "00000000", pagina(0)).isEmpty());
        PaginasPendentes p(armazem, serie);
        p.adiciona(TMRPmemoria{"00000000", pagina(0)});
        QVERIFY(p.gravaRestantes().startsWith("8;"));
        QCOMPARE(p.quantidade(), 1);

        PedidoAFD pedido;
        pedido.arquivo = m_pasta->arquivo("AFD.txt");
        pedido.numeroSerie = serie;
        const QString r = GeraAFD(pedido, armazem);
        QVERIFY2(r.startsWith("8;"), qPrintable(r));
        QVERIFY(!QFile::exists(pedido.arquivo));
    }
    // A database without the table: the statement's error comes back.
    executa(m_db, "drop table tbmemoriarep");
    const ArmazemPaginas semTabela(m_db, Dialeto::MySQL);
    QString maior;
    QVERIFY(semTabela.maiorPagina(serie, &maior).contains("tbmemoriarep"));
}

void TestePaginas::afdDasPaginasGravadas()
{
    // Three pages and a cache: records split across both kinds of boundary.
    QString memoria;
    int n = 1;
    while (memoria.size() < 3 * 512 + 100) {
        memoria += reg3(n, n % 2 ? "10012024" : "11012024", "0800") + crlf();
        ++n;
    }
    const QStringList paginas = paginasDe(memoria);
    QCOMPARE(paginas.size(), 3);
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    // Stored out of order: the assembly reads them in page order.
    for (int i : {2, 0, 1})
        QCOMPARE(armazem.GravaPaginaMRP(serie, chavePagina(i * 512), paginas.at(i)), QString());
    PedidoAFD pedido;
    pedido.arquivo = m_pasta->arquivo("AFD.txt");
    pedido.numeroSerie = serie;
    pedido.empregador = EmpregadorAFD{"1", "12345678000195", "000000000000", "EMPRESA"};
    pedido.cache = memoria.mid(3 * 512);
    ConteudoAFD c;
    QCOMPARE(GeraAFD(pedido, armazem, &c), retornoAFDGerado());
    QCOMPARE(c.linhas.size(), n - 1);
    QCOMPARE(c.contadores.tipo3, n - 1);
    for (const QString &l : c.linhas)
        QCOMPARE(l.size(), 34);

    QFile f(pedido.arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().count("\r\n"), n - 1 + 2);
}

void TestePaginas::coletaDePaginas()
{
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    PedidoAFD pedido;
    pedido.arquivo = m_pasta->arquivo("AFD.txt");
    pedido.numeroSerie = serie;
    pedido.empregador = EmpregadorAFD{"1", "12345678000195", "000000000000", "EMPRESA"};
    QString memoria;
    for (int n = 1; n <= 60; ++n)
        memoria += reg3(n, "10012024", "0800") + crlf(); // 60 * 36 = 2160 characters

    // Pointer 0: only the cache is read; the file holds the cache's records.
    ColetaPaginas c(armazem);
    c.inicia(pedido);
    QList<quint32> pedidas;
    QCOMPARE(coleta(c, memoria.left(72), 0, &pedidas), retornoAFDGerado());
    QVERIFY(pedidas.isEmpty());
    QCOMPARE(ultimaColetaAFD().linhas, 2);
    QCOMPARE(conta(m_db), 0);

    // A first collection starts at 0; the record cut by the cache's start is whole.
    c.inicia(pedido);
    QCOMPARE(coleta(c, memoria.left(1100), 0x400, &pedidas), retornoAFDGerado());
    QCOMPARE(pedidas, (QList<quint32>{0x000, 0x200}));
    QCOMPARE(c.totalPaginas(), 2);
    QCOMPARE(ultimaColetaAFD().linhas, 1100 / 36);
    QCOMPARE(conta(m_db), 2);

    // The device writes on; the second collection re-reads the highest stored page.
    pedidas.clear();
    c.inicia(pedido);
    QCOMPARE(coleta(c, memoria, 0x400 + 512, &pedidas), retornoAFDGerado());
    QCOMPARE(pedidas, (QList<quint32>{0x200, 0x400}));
    QCOMPARE(conta(m_db), 3);
    QCOMPARE(ultimaColetaAFD().linhas, 60);
    QCOMPARE(ultimaColetaAFD().cache, memoria.mid(1536));
}

void TestePaginas::verificacaoRepetidaELimitada()
{
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    PedidoAFD pedido;
    pedido.arquivo = m_pasta->arquivo("AFD.txt");
    pedido.numeroSerie = serie;
    QString memoria;
    for (int n = 1; n <= 30; ++n)
        memoria += reg3(n, "10012024", "0800") + crlf();
    ColetaPaginas c(armazem);
    c.inicia(pedido);
    QList<quint32> pedidas;
    QCOMPARE(coleta(c, memoria, 0x400, &pedidas, {{0x200, 2}}), retornoAFDGerado());
    QCOMPARE(pedidas, (QList<quint32>{0x000, 0x200, 0x200, 0x200}));
    QCOMPARE(valor(m_db, "select conteudo from tbmemoriarep where mrp = '00000200'").toString(),
             memoria.mid(512, 512));

    // A page that never passes its check ends the collection; what was stored stays.
    executa(m_db, "delete from tbmemoriarep");
    pedidas.clear();
    c.inicia(pedido);
    const QString r = coleta(c, memoria, 0x400, &pedidas, {{0x200, 1000}});
    QVERIFY2(r.startsWith("32;"), qPrintable(r));
    QCOMPARE(pedidas.count(0x200), MaxRepeticoesVerificacao);
    QVERIFY(!QFile::exists(m_pasta->arquivo("mrp.TMP")));
}

void TestePaginas::memoriaReiniciada()
{
    const ArmazemPaginas armazem(m_db, Dialeto::MySQL);
    QCOMPARE(armazem.GravaPaginaMRP(serie, "00000800", pagina(4)), QString());
    PedidoAFD pedido;
    pedido.arquivo = m_pasta->arquivo("AFD.txt");
    pedido.numeroSerie = serie;
    ColetaPaginas c(armazem);
    c.inicia(pedido);
    QList<quint32> pedidas;
    const QString r = coleta(c, QString(2048, u'x'), 0x400, &pedidas);
    QVERIFY2(r.startsWith("31;"), qPrintable(r));
    QVERIFY(pedidas.isEmpty());
    QVERIFY(!QFile::exists(pedido.arquivo));
    QCOMPARE(conta(m_db), 1);
}

QTEST_GUILESS_MAIN(TestePaginas)
#include "test_paginas.moc"
