// "Coletar AFD" end to end on a new-generation REP: the flow, the REP2 engine,
// the simulated device on a pseudo-terminal and the database created by the
// program's own creation code.

#include "testsupport.h"

#include "data/arquivoini.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/sistema.h"
#include "device/common/retorno.h"
#include "device/gen2/motorrep2.h"
#include "gen2/simulador2.h"
#include "operations/coletaafd.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <memory>

using namespace kelvo;
using namespace kelvo::teste;
using kelvo::sim::SimuladorRep2;

namespace {
const QString kSerie = QStringLiteral("00004000200054321");

TemposREP2 rapido()
{
    TemposREP2 t;
    t.timeout = 400;
    t.envia = 2;
    t.finaliza = 2;
    return t;
}

QByteArray lido(const QString &nome)
{
    QFile f(nome);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ausente>");
}
} // namespace

class TesteColetaRep2 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void coletaDuasVezes();
    void outroRepNaLinha();
    void linhaCaiEProximaRecupera();
    void paginaSempreComErro();
    void kelvoRepCollect();

private:
    ResultadoColetaAFD coleta(const QString &arquivo);
    int conta(const QString &sql) const { return valor(m_banco->conexao(false), sql).toInt(); }
    void pontos(int quantos, const QDate &dia);

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
    std::unique_ptr<SimuladorRep2> m_sim;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    int m_rep = 0;
    int m_minuto = 0;
};

void TesteColetaRep2::initTestCase()
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

void TesteColetaRep2::init()
{
    m_gravada.mensagens.clear();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
    QSqlDatabase db = m_banco->conexao(false);
    for (const char *t : {"tbmemoriarep", "tbafd", "tblogcoleta", "tbbackupafd", "tbcoletor", "tbempresa"})
        executa(db, QStringLiteral("delete from %1").arg(QLatin1String(t)));
    executa(db, "insert into tbempresa (razaosocial, tipopessoafj, cpfcnpj, cei) "
                "values ('EMPRESA TESTE', 'J', '12345678000199', '')");
    executa(db,
            QStringLiteral("insert into tbcoletor (descricao, codigocoletor, idempresa, modelocoletor, "
                           "tipocomunicacao, portaserial) select 'REP DA PORTARIA', '%1', max(idempresa), "
                           "'rep2', 'S', 7 from tbempresa")
                .arg(kSerie));
    m_rep = valor(db, "select max(idcoletor) from tbcoletor").toInt();
    m_sim = std::make_unique<SimuladorRep2>();
    QVERIFY(m_sim->abre());
    QVERIFY(ArquivoConfig().escreveTexto("PORTAS", "COM7", m_sim->caminho()));
    ArquivoConfig().escreveBooleano("CONFIG", "VERAFD", false);
    m_sim->aplicaOpcao("serial", kSerie);
    m_sim->aplicaOpcao("empregador-tipo", "1");
    m_sim->aplicaOpcao("empregador-nome", "EMPRESA TESTE");
    m_sim->aplicaOpcao("empregador-cpfcnpj", "12345678000199");
    m_sim->aplicaOpcao("empregador-cei", "000000000000");
    m_sim->aplicaOpcao("empregador-local", "SEDE");
    m_minuto = 0;
    QDir pasta(m_pasta->caminho());
    for (const QString &f : pasta.entryList({"*.txt"}, QDir::Files))
        pasta.remove(f);
}

void TesteColetaRep2::cleanup()
{
    m_sim.reset();
    m_escopo.reset();
}

void TesteColetaRep2::cleanupTestCase()
{
    m_dm.reset();
    m_banco.reset();
    m_pasta.reset();
}

void TesteColetaRep2::pontos(int quantos, const QDate &dia)
{
    for (int i = 0; i < quantos; ++i, ++m_minuto)
        m_sim->registraPonto(QDateTime(dia, QTime(6, 0).addSecs(60 * m_minuto)), "012345678901");
}

ResultadoColetaAFD TesteColetaRep2::coleta(const QString &arquivo)
{
    FluxoColetaAFD fluxo;
    fluxo.defineFabrica([](const QString &modelo, QObject *parent) -> MotorREP * {
        return modelo.toUpper() == QLatin1String("REP2") ? new MotorREP2(rapido(), parent) : nullptr;
    });
    if (!fluxo.carregaColetor(m_rep))
        return fluxo.resultado();
    QSignalSpy fim(&fluxo, &FluxoColetaAFD::concluida);
    if (fluxo.inicia(arquivo, false, QDate(), QDate()) && fim.isEmpty())
        fim.wait(30000);
    return fluxo.resultado();
}

void TesteColetaRep2::coletaDuasVezes()
{
    pontos(40, QDate(2026, 3, 2)); // two full pages and a cache; records cut at both boundaries
    const QString a1 = m_pasta->arquivo("AFD1.txt");
    ResultadoColetaAFD r = coleta(a1);
    QVERIFY2(r.situacao == ResultadoColetaAFD::Situacao::ComRegistros,
             qPrintable(m_gravada.textos().join(" | ")));
    QCOMPARE(r.retorno, QStringLiteral("0;AFD gerado com sucesso"));
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Coleta realizada com sucesso!"));
    QCOMPARE(lido(a1).count("\r\n"), 42);
    QCOMPARE(conta("select count(*) from tbafd"), 40);
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 2);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'S' and datahorafim is not null"), 1);
    QCOMPARE(valor(m_banco->conexao(false), "select Arquivo from tbbackupafd").toByteArray(), lido(a1));

    pontos(30, QDate(2026, 3, 3));
    const QString a2 = m_pasta->arquivo("AFD2.txt");
    r = coleta(a2);
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(lido(a2).count("\r\n"), 72);
    QCOMPARE(conta("select count(*) from tbafd"), 70);
    QCOMPARE(conta("select count(distinct nsr) from tbafd"), 70);
    QCOMPARE(conta("select count(*) from tbbackupafd"), 2);
}

void TesteColetaRep2::outroRepNaLinha()
{
    m_sim->aplicaOpcao("serial", "00004000200099999");
    pontos(40, QDate(2026, 3, 2));
    const ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(m_gravada.ultima(),
             QStringLiteral(
                 "O coletor selecionado é diferente do que está ligado.\rCódigo do REP: 00004000200099999"));
    for (const QByteArray &q : m_sim->requisicoes())
        QVERIFY2(!q.startsWith("#MRP") && !q.startsWith("#UPA"), q.constData());
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 0);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'N'"), 1);
}

void TesteColetaRep2::linhaCaiEProximaRecupera()
{
    pontos(40 * 15, QDate(2026, 3, 2)); // 42 full pages: two groups of 20 stored while reading
    m_sim->aplicaOpcao("derruba-apos", "25");
    ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Não houve resposta do terminal"));
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 20); // the first group stays stored
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'N'"), 1);
    QCOMPARE(conta("select count(*) from tbafd"), 0);

    // The device answers again: the next collection starts at the highest stored page.
    m_sim.reset();
    m_sim = std::make_unique<SimuladorRep2>();
    QVERIFY(m_sim->abre());
    QVERIFY(ArquivoConfig().escreveTexto("PORTAS", "COM7", m_sim->caminho()));
    m_sim->aplicaOpcao("serial", kSerie);
    m_sim->aplicaOpcao("empregador-tipo", "1");
    m_sim->aplicaOpcao("empregador-nome", "EMPRESA TESTE");
    m_sim->aplicaOpcao("empregador-cpfcnpj", "12345678000199");
    m_minuto = 0;
    pontos(40 * 15, QDate(2026, 3, 2));
    r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QByteArray primeiro;
    for (const QByteArray &q : m_sim->requisicoes())
        if (q.startsWith("#MRP")) {
            primeiro = q.mid(4).toHex().toUpper();
            break;
        }
    QCOMPARE(primeiro, QByteArray("00002600")); // page 19 (0x2600), the highest stored, read again
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 40 * 15 * 36 / 512);
    QCOMPARE(conta("select count(*) from tbafd"), 600);
    QCOMPARE(conta("select count(distinct nsr) from tbafd"), 600);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'S'"), 1);
}

void TesteColetaRep2::paginaSempreComErro()
{
    pontos(40, QDate(2026, 3, 2));
    m_sim->aplicaOpcao("check-errado", "-1");
    const ResultadoColetaAFD r = coleta(m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QVERIFY2(m_gravada.ultima().contains("erro de verificação"), qPrintable(m_gravada.ultima()));
    QCOMPARE(conta("select count(*) from tbmemoriarep"), 0);
    QVERIFY(!QFile::exists(m_pasta->arquivo("AFD.txt")));
}

void TesteColetaRep2::kelvoRepCollect()
{
    // The tool as a scheduled task runs it: its own settings file, the account
    // on the command line, the REP by its code; an existing file is replaced.
    pontos(40, QDate(2026, 3, 2));
    const Servidor s = servidor();
    const QString ini = m_pasta->arquivo("agenda/sistema.INI");
    QVERIFY(QDir().mkpath(m_pasta->arquivo("agenda")));
    {
        ArquivoIni cfg(ini);
        cfg.escreveTexto("BDADOS", "HostName", s.host);
        cfg.escreveTexto("BDADOS", "Database", m_banco->nome());
        cfg.escreveInteiro("BDADOS", "PORTA", s.porta);
        cfg.escreveInteiro("BANCO", "qualbanco", 0);
        cfg.escreveTexto("PORTAS", "COM7", m_sim->caminho());
        cfg.escreveTexto("CONFIG", "AFDFOLDER", m_pasta->arquivo("agenda/afd"));
    }
    const QString arquivo = m_pasta->arquivo("agendado.txt");
    {
        QFile velho(arquivo);
        QVERIFY(velho.open(QIODevice::WriteOnly));
        velho.write("antigo");
    }
    auto roda = [&](const QStringList &args, QString *saida) {
        QProcess p;
        QSignalSpy fim(&p, &QProcess::finished);
        p.start(QStringLiteral(KELVO_BIN_DIR) + "/kelvo-rep",
                QStringList{"--ini", ini, "--user", s.usuario, "--password", s.senha, "collect"} + args);
        if (!p.waitForStarted(5000))
            return -1;
        if (fim.isEmpty() && !fim.wait(60000)) // the simulated device answers on this loop
            return -2;
        *saida = QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString saida;
    QCOMPARE(roda({"--code", kSerie, "--file", arquivo}, &saida), 0);
    QVERIFY2(saida.contains("Coleta realizada com sucesso!"), qPrintable(saida));
    QVERIFY(saida.contains("AFD: " + arquivo));
    QCOMPARE(lido(arquivo).count("\r\n"), 42);
    QCOMPARE(conta("select count(*) from tbafd"), 40);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'S'"), 1);

    // Without --file: the default name in CONFIG/AFDFOLDER, the period given.
    QCOMPARE(roda({"--rep", QString::number(m_rep), "--from", "02/03/2026", "--to", "02/03/2026"}, &saida),
             0);
    const QString padrao =
        m_pasta->arquivo("agenda/afd/AFD") + kSerie + "_" + QDate::currentDate().toString("yyMMdd") + ".txt";
    QVERIFY2(saida.contains("AFD: " + padrao), qPrintable(saida));
    QCOMPARE(lido(padrao).count("\r\n"), 42);

    // Failures exit non-zero: another REP on the line, an unknown code, a usage error.
    m_sim->aplicaOpcao("serial", "00004000200099999");
    QCOMPARE(roda({"--code", kSerie}, &saida), 1);
    QVERIFY2(saida.contains("O coletor selecionado é diferente do que está ligado."), qPrintable(saida));
    QCOMPARE(roda({"--code", "NAOCADASTRADO"}, &saida), 1);
    QCOMPARE(roda({"--rep", "1", "--code", kSerie}, &saida), 2);
    QCOMPARE(conta("select count(*) from tblogcoleta where sucesso = 'N'"), 1);
}

QTEST_GUILESS_MAIN(TesteColetaRep2)
#include "test_coletarep2.moc"
