// "Coletar AFD" end to end on a first-generation REP: the flow, the V1 engine,
// the simulated device over TCP/IP (and once over a pseudo-terminal) and the
// database created by the program's own creation code.

#include "testsupport.h"

#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/sistema.h"
#include "device/common/paginas.h"
#include "device/common/retorno.h"
#include "device/gen1/motorv1.h"
#include "operations/coletaafd.h"
#include "simulador1.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace kelvo;
using namespace kelvo::teste;
using kelvo::sim::SimuladorRep1;

namespace {
const QString kSerie = QStringLiteral("00004000100012345");

TemporizacaoV1 rapido()
{
    TemporizacaoV1 t;
    t.tmTimeout = 300;
    t.tmFinaliza = 2;
    t.tmFinalizaCurto = 2;
    t.esperaConexao = 3000;
    t.pausaDespertar = 1;
    t.pausaAntesEnvio = 0;
    t.pausaEnvio = 1;
    t.esperaFechamento = 1;
    return t;
}

QByteArray lido(const QString &nome)
{
    QFile f(nome);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ausente>");
}
} // namespace

class TesteColetaRep1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void coletaDuasVezes();
    void ponteiroZeroLeSoOCache();
    void semEmpregador();
    void somaErradaUmaVezESempre();
    void linhaCaiEProximaRecupera();
    void portaSerial();

private:
    ResultadoColetaAFD coleta(const QString &arquivo);
    int conta(const QString &sql) const { return valor(m_banco->conexao(false), sql).toInt(); }
    QList<QByteArray> paginasPedidas() const;
    void novoSimulador();

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
    std::unique_ptr<SimuladorRep1> m_sim;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    int m_rep = 0;
};

void TesteColetaRep1::initTestCase()
{
    KELVO_EXIGE_SERVIDOR();
    m_pasta = std::make_unique<PastaTeste>();
    m_banco = std::make_unique<BancoTeste>();
    const Servidor s = servidor();
    ConfigBanco &c = configBanco();
    c = ConfigBanco();
    c.host = s.host;
    c.porta = s.porta;
    c.database = m_banco->nome();
    c.NomeBanco = m_banco->nome();
    c.dialeto = Dialeto::MySQL;
    c.usuarioLogin = s.usuario;
    c.senhaLogin = s.senha;
    {
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        TdmCriaBanco cria(c);
        QCOMPARE(cria.CriaBanco(false), ResultadoCriacao::Criado);
    }
    m_dm = std::make_unique<TdmDados>();
    ErroBanco e;
    QVERIFY2(m_dm->conecta(&e), qPrintable(e.texto()));
}

void TesteColetaRep1::novoSimulador()
{
    m_sim = std::make_unique<SimuladorRep1>();
    QVERIFY(m_sim->escutaTCP());
    m_sim->estado().serial = kSerie;
    m_sim->estado().tipoEmpregador = '1';
    m_sim->estado().nomeEmpregador = QStringLiteral("EMPRESA TESTE").leftJustified(150);
    m_sim->estado().cpfCnpj = QStringLiteral("12345678000199");
    m_sim->estado().cei = QStringLiteral("000000000000");
    QSqlDatabase db = m_banco->conexao(false);
    QSqlQuery q(db);
    q.prepare("update tbcoletor set portaip = :p where idcoletor = :id");
    q.bindValue(":p", int(m_sim->portaTCP()));
    q.bindValue(":id", m_rep);
    QVERIFY(q.exec());
}

void TesteColetaRep1::init()
{
    m_gravada.mensagens.clear();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
    QSqlDatabase db = m_banco->conexao(false);
    for (const char *t : {"tbmemoriarep", "tbafd", "tblogcoleta", "tbbackupafd", "tbcoletor", "tbempresa"})
        executa(db, QStringLiteral("delete from %1").arg(QLatin1String(t)));
    executa(db, "insert into tbempresa (razaosocial, tipopessoafj, cpfcnpj, cei) "
                "values ('EMPRESA TESTE', 'J', '12345678000199', '')");
    executa(db, QStringLiteral("insert into tbcoletor (descricao, codigocoletor, idempresa, modelocoletor, "
                               "tipocomunicacao, ip, portaip, portaserial) select 'REP DO GALPAO', '%1', "
                               "max(idempresa), 'REP', 'T', '127.0.0.1', null, 7 from tbempresa")
                    .arg(kSerie));
    m_rep = valor(db, "select max(idcoletor) from tbcoletor").toInt();
    novoSimulador();
    ArquivoConfig().escreveBooleano("CONFIG", "VERAFD", false);
    QDir pasta(m_pasta->caminho());
    for (const QString &f : pasta.entryList({"*.txt"}, QDir::Files))
        pasta.remove(f);
}

void TesteColetaRep1::cleanup()
{
    m_sim.reset();
    m_escopo.reset();
}

void TesteColetaRep1::cleanupTestCase()
{
    m_dm.reset();
    m_banco.reset();
    m_pasta.reset();
}

ResultadoColetaAFD TesteColetaRep1::coleta(const QString &arquivo)
{
    FluxoColetaAFD fluxo;
    fluxo.defineFabrica([](const QString &modelo, QObject *parent) -> MotorREP * {
        return modelo.toUpper() == QLatin1String("REP") ? new MotorV1(rapido(), parent) : nullptr;
    });
    if (!fluxo.carregaColetor(m_rep))
        return fluxo.resultado();
    QSignalSpy fim(&fluxo, &FluxoColetaAFD::concluida);
    if (fluxo.inicia(arquivo, false, QDate(), QDate()) && fim.isEmpty())
        fim.wait(60000);
    return fluxo.resultado();
}

QList<QByteArray> TesteColetaRep1::paginasPedidas() const
{
    QList<QByteArray> r;
    for (const QByteArray &p : m_sim->pedidos())
        if (p.startsWith("MRP"))
            r << p.mid(3).toHex().toUpper();
    return r;
}

void TesteColetaRep1::coletaDuasVezes()
{
    // 40 punches of 36 bytes: two full pages and a cache; records cut at both boundaries.
    m_sim->estado().geraMarcacoes(40, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    const QString a1 = m_pasta->arquivo("AFD1.txt");
    ResultadoColetaAFD r = coleta(a1);
    QVERIFY2(r.situacao == ResultadoColetaAFD::Situacao::ComRegistros,
             qPrintable(m_gravada.textos().join(" | ")));
    QCOMPARE(r.retorno, QStringLiteral("0;AFD gerado com sucesso"));
    QCOMPARE(paginasPedidas(), (QList<QByteArray>{"00000000", "00000200"}));
    QCOMPARE(lido(a1).count("\r\n"), 42);
    const QByteArray cab = lido(a1).left(232);
    QCOMPARE(cab.mid(187, 17), kSerie.toLatin1());
    QCOMPARE(cab.mid(10, 15), QByteArray("112345678000199"));
    QCOMPARE(conta("select count(*) from tbafd"), 40);
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 2);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'S'"), 1);
    QCOMPARE(valor(m_banco->conexao(false), "select Arquivo from tbbackupafd").toByteArray(), lido(a1));

    m_sim->limpaRegistro();
    m_sim->estado().geraMarcacoes(30, QDateTime(QDate(2026, 3, 3), QTime(8, 0)));
    r = coleta(m_pasta->arquivo("AFD2.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(paginasPedidas(), (QList<QByteArray>{"00000200", "00000400", "00000600"}));
    QCOMPARE(lido(m_pasta->arquivo("AFD2.txt")).count("\r\n"), 72);
    QCOMPARE(conta("select count(*) from tbafd"), 70);
    QCOMPARE(conta("select count(distinct nsr) from tbafd"), 70);
}

void TesteColetaRep1::ponteiroZeroLeSoOCache()
{
    m_sim->estado().geraMarcacoes(5, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    const ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QVERIFY(paginasPedidas().isEmpty());
    QVERIFY(m_sim->comandos().contains("UPA"));
    QCOMPARE(lido(m_pasta->arquivo("AFD.txt")).count("\r\n"), 7);
    QCOMPARE(conta("select count(*) from tbafd"), 5);
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 0);
}

void TesteColetaRep1::semEmpregador()
{
    m_sim->estado().cpfCnpj = QStringLiteral("00000000000000");
    m_sim->estado().geraMarcacoes(40, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    const ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Envie o empregador antes de coletar"));
    QVERIFY(paginasPedidas().isEmpty());
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'N'"), 1);
}

void TesteColetaRep1::somaErradaUmaVezESempre()
{
    m_sim->estado().geraMarcacoes(40, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    m_sim->defeitos().paginasSomaErrada = 1;
    ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(paginasPedidas(), (QList<QByteArray>{"00000000", "00000000", "00000200"}));
    QCOMPARE(conta("select count(*) from tbafd"), 40);

    executa(m_banco->conexao(false), "delete from tbmemoriarep");
    m_sim->limpaRegistro();
    m_sim->defeitos().paginasSomaErrada = -1;
    r = coleta(m_pasta->arquivo("AFD2.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QVERIFY2(m_gravada.ultima().contains("erro de verificação"), qPrintable(m_gravada.ultima()));
    QCOMPARE(paginasPedidas().size(), MaxRepeticoesVerificacao);
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 0);
    QVERIFY(!QFile::exists(m_pasta->arquivo("AFD2.txt")));
}

void TesteColetaRep1::linhaCaiEProximaRecupera()
{
    m_sim->estado().geraMarcacoes(600, QDateTime(QDate(2026, 3, 2), QTime(6, 0))); // 42 full pages
    m_sim->defeitos().derrubaAposPaginas = 25;
    ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Não houve resposta do terminal"));
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 20); // the first group stays stored
    QCOMPARE(conta("select count(*) from tbafd"), 0);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'N'"), 1);

    const QByteArray memoria = m_sim->estado().memoria;
    const quint32 nsr = m_sim->estado().nsr;
    novoSimulador();
    m_sim->estado().memoria = memoria;
    m_sim->estado().nsr = nsr;
    r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(paginasPedidas().value(0), QByteArray("00002600")); // the highest stored page, read again
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 42);
    QCOMPARE(conta("select count(*) from tbafd"), 600);
    QCOMPARE(conta("select count(distinct nsr) from tbafd"), 600);
}

void TesteColetaRep1::portaSerial()
{
    m_sim = std::make_unique<SimuladorRep1>();
    QVERIFY(m_sim->criaPty());
    m_sim->estado().serial = kSerie;
    m_sim->estado().cpfCnpj = QStringLiteral("12345678000199");
    m_sim->estado().geraMarcacoes(20, QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    QVERIFY(ArquivoConfig().escreveTexto("PORTAS", "COM7", m_sim->caminhoPty()));
    executa(m_banco->conexao(false), "update tbcoletor set tipocomunicacao = 'S'");
    const ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QVERIFY2(r.situacao == ResultadoColetaAFD::Situacao::ComRegistros,
             qPrintable(m_gravada.textos().join(" | ")));
    QCOMPARE(paginasPedidas(), (QList<QByteArray>{"00000000"}));
    QCOMPARE(conta("select count(*) from tbafd"), 20);
}

QTEST_GUILESS_MAIN(TesteColetaRep1)
#include "test_coletarep1.moc"
