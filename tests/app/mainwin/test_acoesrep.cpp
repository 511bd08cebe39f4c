// The main window's device actions run as a user runs them: the wizard, the
// auto-scan, the status view, sending the date and time and deleting a REP,
// against simulated devices on real lines and the real test database.
#include "app/acoesrep.h"
#include "app/mostrainforel.h"
#include "app/novorel.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "device/common/retorno.h"
#include "gen2/simulador2.h"
#include "simulador1.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace kelvo;
using namespace kelvo::teste;

namespace {

constexpr int PortaConfigurada = 5;

// Shorter first-generation timings: a silent device is given up after six
// ticks of 2 s otherwise.
TemposDespacho temposTeste()
{
    TemposDespacho t;
    t.v1.tmTimeout = 300;
    t.v1.pausaDespertar = 20;
    t.v1.pausaEnvio = 20;
    t.v1.pausaAntesEnvio = 1;
    t.v1.esperaFechamento = 20;
    t.v1.tmFinaliza = 20;
    t.v1.esperaConexao = 2000;
    return t; // the new protocol keeps its own timings (fast enough)
}

struct VistaInfo
{
    bool aberta = false;
    QString titulo;
    QString serie;
    bool inserirVisivel = false;
    qint64 usado = -1;
    qint64 livre = -1;
};

} // namespace

class TestAcoesRep : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void assistenteSerialGuardaPortaEscolhida();
    void assistenteDispositivoJaCadastrado();
    void assistenteTcpPrimeiraGeracao();
    void assistenteUrlDinamica();
    void assistenteUrlQueNaoResolve();
    void autoscanCadastrado();
    void autoscanNaoCadastradoInsere();
    void autoscanSemResposta();
    void statusMostraInformacoes();
    void statusInserirRegistraDispositivo();
    void statusSemResposta();
    void outroModelo_data();
    void outroModelo();
    void dataHoraEnviada();
    void dataHoraOutroDispositivo();
    void exclui();

private:
    int insereRep(const QString &codigo, const QString &descricao, const QString &modelo,
                  const QString &tipo = "S", int portaserial = PortaConfigurada, int portaip = 0);
    QSqlRecord linha(const QString &where);
    int contagem(const QString &sql);
    // Answers the next information window by pressing "Inserir" or "OK".
    void respondeInfo(bool inserir);

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    std::unique_ptr<sim::SimuladorRep2> m_sim2;
    std::unique_ptr<sim::SimuladorRep1> m_sim1;
    std::unique_ptr<AcoesRep> m_acoes;
    VistaInfo m_vista;
};

void TestAcoesRep::initTestCase()
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

void TestAcoesRep::cleanupTestCase()
{
    m_dm.reset();
    m_banco.reset();
    m_pasta.reset();
}

void TestAcoesRep::init()
{
    m_gravada = InteracaoGravada();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
    QSqlDatabase db = m_banco->conexao(false);
    executa(db, "delete from tbmemoriarep");
    executa(db, "delete from tbcoletor");

    m_sim2 = std::make_unique<sim::SimuladorRep2>();
    QString erro;
    QVERIFY2(m_sim2->abre(&erro), qPrintable(erro));
    m_sim1 = std::make_unique<sim::SimuladorRep1>();
    QVERIFY2(m_sim1->escutaTCP(0, &erro), qPrintable(erro));

    ArquivoIni &ini = ArquivoConfig();
    ini.escreveTexto("PORTAS", "COM5", m_sim2->caminho());
    ini.escreveTexto("PORTAS", "COM12", m_pasta->arquivo("porta-doze"));
    ini.escreveTexto("COM", "PORTA", QString::number(PortaConfigurada));
    releConfiguracaoSerial();

    m_acoes = std::make_unique<AcoesRep>(nullptr);
    m_acoes->despachante().defineTempos(temposTeste());
    m_vista = VistaInfo();
}

void TestAcoesRep::cleanup()
{
    m_acoes.reset();
    m_sim1.reset();
    m_sim2.reset();
    m_escopo.reset();
}

int TestAcoesRep::insereRep(const QString &codigo, const QString &descricao, const QString &modelo,
                            const QString &tipo, int portaserial, int portaip)
{
    QSqlQuery q(m_banco->conexao(false));
    q.prepare(
        "insert into tbcoletor (descricao, codigocoletor, modelocoletor, tipocomunicacao, portaserial, ip, "
        "portaip) values (:d, :c, :m, :t, :ps, '127.0.0.1', :pi)");
    q.bindValue(":d", descricao);
    q.bindValue(":c", codigo);
    q.bindValue(":m", modelo);
    q.bindValue(":t", tipo);
    q.bindValue(":ps", portaserial);
    q.bindValue(":pi", portaip);
    if (!q.exec())
        return 0;
    return valor(m_banco->conexao(false), "select max(idcoletor) from tbcoletor").toInt();
}

QSqlRecord TestAcoesRep::linha(const QString &where)
{
    QSqlQuery q(m_banco->conexao(false));
    if (!q.exec("select * from tbcoletor where " + where) || !q.next())
        return QSqlRecord();
    return q.record();
}

int TestAcoesRep::contagem(const QString &sql)
{
    return valor(m_banco->conexao(false), sql).toInt();
}

void TestAcoesRep::respondeInfo(bool inserir)
{
    connect(
        m_acoes.get(), &AcoesRep::informacoesAbertas, this,
        [this, inserir](TfMostraInfoRel *w) {
            QTimer::singleShot(0, w, [this, w, inserir] {
                m_vista.aberta = true;
                m_vista.titulo = w->titulo();
                m_vista.serie = w->findChild<QLabel *>("lbSerie")->text();
                m_vista.inserirVisivel = w->botaoInserir()->isVisible();
                m_vista.usado = w->espacoUsado();
                m_vista.livre = w->espacoLivre();
                (inserir ? w->botaoInserir() : w->botaoOk())->click();
            });
        },
        Qt::SingleShotConnection);
}

// ------------------------------------------------------------------ wizard

void TestAcoesRep::assistenteSerialGuardaPortaEscolhida()
{
    QSignalSpy lista(m_acoes.get(), &AcoesRep::listaAlterada);
    bool portaDozeListada = false;
    connect(m_acoes.get(), &AcoesRep::assistenteAberto, this, [&](TfmNovoRel *w) {
        QTimer::singleShot(0, w, [&, w] {
            w->botaoAvancar()->click(); // welcome -> link type
            QVERIFY(w->botaoSerial()->isChecked());
            w->botaoAvancar()->click(); // -> serial page
            const int i = w->listaPortas()->findData(12);
            portaDozeListada = i >= 0 && w->listaPortas()->itemText(i).startsWith("COM12 (");
            w->listaPortas()->setCurrentIndex(i);
            w->botaoAvancar()->click(); // -> name
            QTest::keyClicks(w->campoNome(), "Portaria");
            w->botaoAvancar()->click(); // Concluir
        });
    });
    QCOMPARE(m_acoes->novoRep(), AcoesRep::Resultado::Registrado);
    QVERIFY(portaDozeListada);
    QVERIFY2(m_gravada.mensagens.isEmpty(), qPrintable(m_gravada.textos().join('|')));
    // The device was identified on the configured port (COM5)...
    QVERIFY(!m_sim2->requisicoes().isEmpty());
    // ...and the port picked in the wizard is what is stored.
    const QSqlRecord r = linha("codigocoletor = '" + m_sim2->estado().serial + "'");
    QVERIFY(!r.isEmpty());
    QCOMPARE(r.value("portaserial").toInt(), 12);
    QCOMPARE(r.value("tipocomunicacao").toString(), QStringLiteral("S"));
    QCOMPARE(r.value("modelocoletor").toString(), QStringLiteral("REP2"));
    QCOMPARE(r.value("descricao").toString().trimmed(), QStringLiteral("Portaria"));
    QCOMPARE(r.value("urldinamica").toString(), QStringLiteral("N"));
    QCOMPARE(lista.count(), 1);
}

void TestAcoesRep::assistenteDispositivoJaCadastrado()
{
    insereRep(m_sim2->estado().serial, "Já está aqui", "REP2");
    DadosNovoRep d;
    d.portaSerial = 12;
    d.nome = "Outro nome";
    QCOMPARE(m_acoes->registraNovoRep(d), AcoesRep::Resultado::JaCadastrado);
    QVERIFY(m_gravada.mensagens.isEmpty());
    QCOMPARE(contagem("select count(*) from tbcoletor"), 1);
    QCOMPARE(linha("1=1").value("descricao").toString().trimmed(), QStringLiteral("Já está aqui"));
}

void TestAcoesRep::assistenteTcpPrimeiraGeracao()
{
    DadosNovoRep d;
    d.tcp = true;
    d.ip = "127.0.0.1";
    d.portaIp = m_sim1->portaTCP();
    d.nome = "Refeitório";
    QCOMPARE(m_acoes->registraNovoRep(d), AcoesRep::Resultado::Registrado);
    QVERIFY2(m_gravada.mensagens.isEmpty(), qPrintable(m_gravada.textos().join('|')));
    // A TCP/IP device is not looked for on the serial line.
    QVERIFY(m_sim2->requisicoes().isEmpty());
    const QSqlRecord r = linha("codigocoletor = '" + m_sim1->estado().serial + "'");
    QVERIFY(!r.isEmpty());
    QCOMPARE(r.value("tipocomunicacao").toString(), QStringLiteral("T"));
    QCOMPARE(r.value("modelocoletor").toString(), QStringLiteral("REP"));
    QCOMPARE(r.value("ip").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(r.value("portaip").toInt(), int(m_sim1->portaTCP()));
    QCOMPARE(r.value("urldinamica").toString(), QStringLiteral("N"));
    QCOMPARE(r.value("descricao").toString().trimmed(), QStringLiteral("Refeitório"));
}

void TestAcoesRep::assistenteUrlDinamica()
{
    DadosNovoRep d;
    d.tcp = true;
    d.ip = "0.0.0.0";
    d.ipDinamico = true;
    d.url = "localhost";
    d.portaIp = m_sim1->portaTCP();
    d.nome = "Filial";
    QCOMPARE(m_acoes->registraNovoRep(d), AcoesRep::Resultado::Registrado);
    QVERIFY(m_sim1->despertares() > 0);
    const QSqlRecord r = linha("codigocoletor = '" + m_sim1->estado().serial + "'");
    QCOMPARE(r.value("url").toString(), QStringLiteral("localhost"));
    QCOMPARE(r.value("urldinamica").toString(), QStringLiteral("S"));
    QCOMPARE(hostDaUrl("http://rep.empresa.com.br:5006/x"), QStringLiteral("rep.empresa.com.br"));
    QCOMPARE(hostDaUrl("rep.empresa.com.br:5006"), QStringLiteral("rep.empresa.com.br"));
}

void TestAcoesRep::assistenteUrlQueNaoResolve()
{
    DadosNovoRep d;
    d.tcp = true;
    d.ipDinamico = true;
    d.url = "rep-kelvo-teste.invalid";
    d.portaIp = m_sim1->portaTCP();
    d.nome = "Longe";
    QCOMPARE(m_acoes->registraNovoRep(d), AcoesRep::Resultado::Falhou);
    QCOMPARE(m_gravada.mensagens.size(), 1);
    QVERIFY(m_gravada.ultima().contains("rep-kelvo-teste.invalid"));
    QVERIFY(m_gravada.ultima().startsWith("Não foi possível encontrar o endereço da URL"));
    QCOMPARE(contagem("select count(*) from tbcoletor"), 0);
    QCOMPARE(m_sim1->despertares(), 0);
    QVERIFY(m_sim2->requisicoes().isEmpty());
}

// --------------------------------------------------------------- auto-scan

void TestAcoesRep::autoscanCadastrado()
{
    insereRep(m_sim2->estado().serial, "Recepção", "REP2", "S", 9);
    respondeInfo(false);
    QCOMPARE(m_acoes->autoscan(), AcoesRep::Resultado::Mostrado);
    QVERIFY(m_vista.aberta);
    QCOMPARE(m_vista.titulo, QStringLiteral("Recepção"));
    QVERIFY(!m_vista.inserirVisivel);
    QCOMPARE(m_vista.serie, m_sim2->estado().serial);
    QCOMPARE(contagem("select count(*) from tbcoletor"), 1);
}

void TestAcoesRep::autoscanNaoCadastradoInsere()
{
    m_sim2->estado().nsr = 100;
    QSignalSpy lista(m_acoes.get(), &AcoesRep::listaAlterada);
    respondeInfo(true);
    QCOMPARE(m_acoes->autoscan(), AcoesRep::Resultado::Registrado);
    QCOMPARE(m_vista.titulo, QStringLiteral("NÃO CADASTRADO"));
    QVERIFY(m_vista.inserirVisivel);
    QCOMPARE(m_vista.usado, qint64(100));
    QCOMPARE(m_vista.livre, qint64(61356575));
    const QSqlRecord r = linha("1=1");
    QCOMPARE(r.value("codigocoletor").toString(), m_sim2->estado().serial);
    QCOMPARE(r.value("descricao").toString().trimmed(), m_sim2->estado().serial);
    QCOMPARE(r.value("modelocoletor").toString(), QStringLiteral("REP2"));
    QCOMPARE(r.value("tipocomunicacao").toString(), QStringLiteral("S"));
    QCOMPARE(r.value("portaserial").toInt(), PortaConfigurada);
    QCOMPARE(lista.count(), 1);
}

void TestAcoesRep::autoscanSemResposta()
{
    m_sim2->defeitos().silencioso = true;
    QCOMPARE(m_acoes->autoscan(), AcoesRep::Resultado::Falhou);
    QCOMPARE(m_gravada.textos(), QStringList{"Equipamento não identificado"});
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Informacao);
    QCOMPARE(contagem("select count(*) from tbcoletor"), 0);
}

// ------------------------------------------------------------- status view

void TestAcoesRep::statusMostraInformacoes()
{
    m_sim1->estado().nsr = 100;
    const int id = insereRep(m_sim1->estado().serial, "Portaria TCP", "rep", "T", 0, m_sim1->portaTCP());
    respondeInfo(false);
    QCOMPARE(m_acoes->mostraStatus(id), AcoesRep::Resultado::Mostrado);
    QCOMPARE(m_vista.titulo, QStringLiteral("Portaria TCP"));
    QVERIFY(!m_vista.inserirVisivel);
    QCOMPARE(m_vista.usado, qint64(100));
    QVERIFY(m_gravada.mensagens.isEmpty());
}

void TestAcoesRep::statusInserirRegistraDispositivo()
{
    // The row says another device should be on this line.
    const int id = insereRep("00000000000000077", "Antigo", "REP2");
    respondeInfo(true);
    QCOMPARE(m_acoes->mostraStatus(id), AcoesRep::Resultado::Registrado);
    QCOMPARE(m_vista.titulo, QStringLiteral("NÃO CADASTRADO"));
    QVERIFY(m_vista.inserirVisivel);
    const QSqlRecord r = linha("codigocoletor = '" + m_sim2->estado().serial + "'");
    QVERIFY(!r.isEmpty());
    QCOMPARE(r.value("modelocoletor").toString(), QStringLiteral("REP2"));
    QCOMPARE(r.value("portaserial").toInt(), PortaConfigurada);
    QCOMPARE(contagem("select count(*) from tbcoletor"), 2);
}

void TestAcoesRep::statusSemResposta()
{
    // Real new-protocol timings: one 3 s time-out.
    m_sim2->defeitos().silencioso = true;
    const int id = insereRep(m_sim2->estado().serial, "Mudo", "REP2");
    QCOMPARE(m_acoes->mostraStatus(id), AcoesRep::Resultado::Falhou);
    QCOMPARE(m_gravada.textos(), QStringList{"Não houve resposta do terminal"});
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Informacao);
}

void TestAcoesRep::outroModelo_data()
{
    QTest::addColumn<QString>("modelo");
    QTest::newRow("XYZ") << "XYZ";
    QTest::newRow("vazio") << "";
    QTest::newRow("REP3") << "REP3";
}

void TestAcoesRep::outroModelo()
{
    QFETCH(QString, modelo);
    const int id = insereRep(m_sim2->estado().serial, "Estranho", modelo);
    QCOMPARE(DespachanteREP().StatusREP(parametrosSerial(PortaConfigurada), false, modelo),
             QStringLiteral("28;Equipamento não identificado"));
    QCOMPARE(m_acoes->mostraStatus(id), AcoesRep::Resultado::Falhou);
    QCOMPARE(m_acoes->enviaDataHora(id), AcoesRep::Resultado::Falhou);
    QCOMPARE(m_gravada.textos(),
             (QStringList{"Equipamento não identificado", "Equipamento não identificado"}));
    QVERIFY(m_sim2->requisicoes().isEmpty());
}

// --------------------------------------------------------------- date/time

void TestAcoesRep::dataHoraEnviada()
{
    m_sim2->estado().deslocamentoRelogio = -86400 * 3;
    const int id = insereRep(m_sim2->estado().serial, "Portaria", "REP2");
    QCOMPARE(m_acoes->enviaDataHora(id), AcoesRep::Resultado::Enviado);
    QCOMPARE(m_gravada.textos(), QStringList{"Data/Hora enviados!"});
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Informacao);
    bool clk = false;
    for (const QByteArray &r : m_sim2->requisicoes())
        clk = clk || r.contains("CLK");
    QVERIFY(clk);
    QVERIFY(qAbs(m_sim2->relogio().secsTo(QDateTime::currentDateTime())) < 60);

    // The first generation over TCP.
    m_gravada.limpa();
    const int id1 = insereRep(m_sim1->estado().serial, "Portaria TCP", "REP", "T", 0, m_sim1->portaTCP());
    QCOMPARE(m_acoes->enviaDataHora(id1), AcoesRep::Resultado::Enviado);
    QCOMPARE(m_gravada.textos(), QStringList{"Data/Hora enviados!"});
}

void TestAcoesRep::dataHoraOutroDispositivo()
{
    const int id = insereRep("00000000000000077", "Portaria", "REP2");
    QCOMPARE(m_acoes->enviaDataHora(id), AcoesRep::Resultado::Diferente);
    QCOMPARE(m_gravada.textos(),
             QStringList{"O coletor selecionado é diferente do que está ligado.\rCódigo do REP: " +
                         m_sim2->estado().serial});
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Aviso);
    for (const QByteArray &r : m_sim2->requisicoes())
        QVERIFY(!r.contains("CLK"));
}

// ------------------------------------------------------------------ delete

void TestAcoesRep::exclui()
{
    const int id = insereRep("00004000200099999", "Sai", "REP2");
    insereRep("00004000200088888", "Fica", "REP2");
    QSqlDatabase db = m_banco->conexao(false);
    executa(db,
            "insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta) values "
            "('00004000200099999', '00000000', 'x', now()), ('00004000200099999', '00000200', 'y', now()), "
            "('00004000200088888', '00000000', 'z', now())");
    QSignalSpy lista(m_acoes.get(), &AcoesRep::listaAlterada);

    m_gravada.respostas = {false};
    QCOMPARE(m_acoes->exclui(id), AcoesRep::Resultado::Cancelado);
    QCOMPARE(m_gravada.textos(), QStringList{"Deseja realmente excluir? "});
    QVERIFY(m_gravada.mensagens.last().pergunta);
    QCOMPARE(contagem("select count(*) from tbcoletor"), 2);
    QCOMPARE(contagem("select count(*) from tbmemoriarep"), 3);
    QCOMPARE(lista.count(), 0);

    m_gravada.respostas = {true};
    QCOMPARE(m_acoes->exclui(id), AcoesRep::Resultado::Excluido);
    QCOMPARE(contagem("select count(*) from tbcoletor"), 1);
    QCOMPARE(linha("1=1").value("descricao").toString().trimmed(), QStringLiteral("Fica"));
    QCOMPARE(contagem("select count(*) from tbmemoriarep"), 1);
    QCOMPARE(contagem("select count(*) from tbmemoriarep where idrep = '00004000200088888'"), 1);
    QCOMPARE(lista.count(), 1);
}

QTEST_MAIN(TestAcoesRep)
#include "test_acoesrep.moc"
