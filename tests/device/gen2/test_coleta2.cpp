// The new-protocol collection against the simulated REP2 on a pseudo-terminal
// and the test database: which pages are asked for, what is stored, and the
// AFD file that comes out.

#include "../afd/esquema_teste.h"
#include "data/sistema.h"
#include "device/common/paginas.h"
#include "device/common/parametros.h"
#include "device/common/retorno.h"
#include "device/gen2/motorrep2.h"
#include "gen2/simulador2.h"
#include "testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace kelvo;
using namespace kelvo::teste;
using kelvo::sim::SimuladorRep2;

namespace {

const QString Serial = QStringLiteral("00004000200054321");

TemposREP2 rapido()
{
    TemposREP2 t;
    t.timeout = 400;
    t.envia = 2;
    t.finaliza = 2;
    return t;
}

} // namespace

class TestColeta2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void primeiraColeta();
    void segundaColetaReleUltimaPagina();
    void semEmpregador();
    void memoriaVaziaSoCache();
    void checkErradoUmaVez();
    void checkSempreErrado();
    void paginaMudaCincoTentativas();
    void inicioAlemDoPonteiro();
    void nomeDeArquivoVazio();

private:
    bool coleta(MotorREP2 &m, const QString &arquivo, int limiteMs = 20000);
    QStringList comandos() const;
    int paginasGravadas() { return valor(m_db, "select count(*) from tbmemoriarep").toInt(); }

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<SimuladorRep2> m_sim;
    QSqlDatabase m_db;
    TParametrosComunicacao m_p = parametrosSerial(7);
};

void TestColeta2::init()
{
    KELVO_EXIGE_SERVIDOR();
    m_pasta = std::make_unique<PastaTeste>();
    m_banco = std::make_unique<BancoTeste>();
    m_db = m_banco->conexao();
    QVERIFY(m_db.isOpen());
    executa(m_db, criaTbMemoriaRep());
    m_sim = std::make_unique<SimuladorRep2>();
    QVERIFY(m_sim->abre());
    QVERIFY(ArquivoConfig().escreveTexto("PORTAS", "COM7", m_sim->caminho()));
    m_sim->aplicaOpcao("serial", Serial);
    m_sim->aplicaOpcao("empregador-tipo", "1");
    m_sim->aplicaOpcao("empregador-nome", "EMPRESA TESTE");
    m_sim->aplicaOpcao("empregador-cpfcnpj", "12345678000199");
    m_sim->aplicaOpcao("empregador-cei", "000000000000");
    m_sim->aplicaOpcao("empregador-local", "SEDE");
    // 40 punches of 36 bytes: two full pages and a cache of 416 bytes; the
    // record at 1008..1043 straddles the last page and the cache.
    for (int i = 0; i < 40; ++i)
        m_sim->registraPonto(QDateTime(QDate(2026, 3, 2), QTime(8, 0).addSecs(60 * i)), "012345678901");
}

void TestColeta2::cleanup()
{
    m_sim.reset();
    m_db = QSqlDatabase();
    m_banco.reset();
    m_pasta.reset();
}

bool TestColeta2::coleta(MotorREP2 &m, const QString &arquivo, int limiteMs)
{
    m.defineConexaoPrincipal(m_db);
    QSignalSpy fim(&m, &MotorREP::terminou);
    if (!m.ColetaAFD(m_p, arquivo, "N", QDate(), QDate()))
        return false;
    return fim.wait(limiteMs);
}

QStringList TestColeta2::comandos() const
{
    QStringList r;
    for (const QByteArray &q : m_sim->requisicoes())
        r << (q.startsWith("#MRP") ? "#MRP " + q.mid(4).toHex().toUpper() : QString::fromLatin1(q));
    return r;
}

void TestColeta2::primeiraColeta()
{
    MotorREP2 m(rapido());
    const QString arquivo = m_pasta->arquivo("afd.txt");
    QVERIFY(coleta(m, arquivo));
    QCOMPARE(RetornoComunicacao, QString("0;AFD gerado com sucesso"));
    QCOMPARE(comandos(), (QStringList{"$#TCM", "#PME", "#TCM", "#MRP 00000000", "#MRP 00000200", "#UPA"}));
    // Six bytes to open, five for the status inside the collection.
    QVERIFY(m_sim->recebido().startsWith(
        QByteArray("\x24\x24\x23\x54\x43\x4D\x24\x23\x50\x4D\x45\x24\x23\x54\x43\x4D")));
    QCOMPARE(paginasGravadas(), 2);
    QCOMPARE(valor(m_db, "select min(idrep) from tbmemoriarep").toString(), Serial);
    QCOMPARE(m.textoUltimaPagina().size(), 1440 - 1024);

    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> linhas = f.readAll().split('\n');
    // header, 40 punches, trailer, and the empty piece after the last CR LF
    QCOMPARE(linhas.size(), 43);
    QVERIFY(linhas.first().startsWith("00000000011"
                                      "12345678000199"
                                      "000000000000"
                                      "EMPRESA TESTE"));
    QVERIFY(linhas.first().mid(187, 17) == Serial.toLatin1());
    QCOMPARE(linhas.at(29),
             QByteArray("0000000293020320260828012345678901\r")); // the straddling record, whole
    QCOMPARE(linhas.at(41), QByteArray("9999999990000000000000000400000000000000000009\r"));
}

void TestColeta2::segundaColetaReleUltimaPagina()
{
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd1.txt")));
    for (int i = 0; i < 20; ++i)
        m_sim->registraPonto(QDateTime(QDate(2026, 3, 3), QTime(9, 0).addSecs(60 * i)), "012345678902");
    m_sim->limpaHistorico();
    QVERIFY(coleta(m, m_pasta->arquivo("afd2.txt")));
    QCOMPARE(RetornoComunicacao, QString("0;AFD gerado com sucesso"));
    // 2160 bytes: pointer 800h; the highest stored page (200h) is read again.
    QCOMPARE(comandos().mid(3), (QStringList{"#MRP 00000200", "#MRP 00000400", "#MRP 00000600", "#UPA"}));
    QCOMPARE(paginasGravadas(), 4);
    QFile f(m_pasta->arquivo("afd2.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray afd = f.readAll();
    QVERIFY2(afd.endsWith("9999999990000000000000000600000000000000000009\r\n"), afd.right(200).constData());
}

void TestColeta2::semEmpregador()
{
    m_sim->aplicaOpcao("empregador-cpfcnpj", "0");
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd.txt")));
    QCOMPARE(RetornoComunicacao, QString("23;Envie o empregador"));
    QCOMPARE(comandos(), (QStringList{"$#TCM", "#PME"}));
    QCOMPARE(paginasGravadas(), 0);
}

void TestColeta2::memoriaVaziaSoCache()
{
    m_sim->estado().memoria = m_sim->estado().memoria.left(36 * 5);
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd.txt")));
    QCOMPARE(RetornoComunicacao, QString("0;AFD gerado com sucesso"));
    QCOMPARE(comandos(), (QStringList{"$#TCM", "#PME", "#TCM", "#UPA"}));
    QFile f(m_pasta->arquivo("afd.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("9999999990000000000000000050000000000000000009"));
}

void TestColeta2::checkErradoUmaVez()
{
    m_sim->defeitos().paginasCheckErrado = 1;
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd.txt")));
    QCOMPARE(RetornoComunicacao, QString("0;AFD gerado com sucesso"));
    QCOMPARE(comandos().mid(3), (QStringList{"#MRP 00000000", "#MRP 00000000", "#MRP 00000200", "#UPA"}));
}

void TestColeta2::checkSempreErrado()
{
    m_sim->defeitos().paginasCheckErrado = -1;
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd.txt")));
    QCOMPARE(codigoDoRetorno(RetornoComunicacao), 32);
    QCOMPARE(comandos().count("#MRP 00000000"), MaxRepeticoesVerificacao);
    QVERIFY(!comandos().contains("#UPA"));
}

void TestColeta2::paginaMudaCincoTentativas()
{
    m_sim->defeitos().derrubaAposPaginas = 1;
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd.txt")));
    QCOMPARE(RetornoComunicacao, QString());
    QCOMPARE(comandos().count("#MRP 00000200"), 5);
    QCOMPARE(m.respostas().last(), QString("TIMEOUT - SEM RESPOSTA"));
    QVERIFY(!QFile::exists(m_pasta->arquivo("afd.txt")));
}

void TestColeta2::inicioAlemDoPonteiro()
{
    // Rows of an earlier life of the same serial number, past today's pointer.
    executa(m_db, QString("insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta, afdconvertido) "
                          "values ('%1', '00004000', 'x', now(), 'N')")
                      .arg(Serial));
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, m_pasta->arquivo("afd.txt")));
    QCOMPARE(codigoDoRetorno(RetornoComunicacao), 31);
    QCOMPARE(comandos(), (QStringList{"$#TCM", "#PME", "#TCM"}));
}

void TestColeta2::nomeDeArquivoVazio()
{
    MotorREP2 m(rapido());
    QVERIFY(coleta(m, "  "));
    QCOMPARE(RetornoComunicacao, QString("7;Nome de arquivo inválido"));
    QTest::qWait(50);
    QVERIFY(m_sim->recebido().isEmpty());
}

QTEST_GUILESS_MAIN(TestColeta2)
#include "test_coleta2.moc"
