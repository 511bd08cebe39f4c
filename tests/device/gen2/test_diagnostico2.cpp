// The REP2 diagnostic window driven through its buttons against the simulated
// REP2 on a pseudo-terminal.

#include "data/interacao.h"
#include "data/sistema.h"
#include "device/common/parametros.h"
#include "device/common/retorno.h"
#include "device/gen2/diagnosticorep2.h"
#include "gen2/simulador2.h"
#include "testsupport.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace kelvo;

namespace {
TemposREP2 rapido()
{
    TemposREP2 t;
    t.timeout = 400;
    t.envia = 2;
    t.finaliza = 2;
    return t;
}
} // namespace

class TestDiagnostico2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void botoesDeConsulta_data();
    void botoesDeConsulta();
    void gravaTemplateExigeUmArquivo();
    void leTemplateEnchendoALista();
    void colaboradorComIncrementoDePis();

private:
    bool clica(TfREP2Diagnostico &d, const QString &botao);

    std::unique_ptr<teste::PastaTeste> m_pasta;
    std::unique_ptr<sim::SimuladorRep2> m_sim;
    std::unique_ptr<InteracaoGravada> m_interacao;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
};

void TestDiagnostico2::init()
{
    m_pasta = std::make_unique<teste::PastaTeste>();
    m_sim = std::make_unique<sim::SimuladorRep2>();
    QVERIFY(m_sim->abre());
    QVERIFY(ArquivoConfig().escreveTexto("PORTAS", "COM4", m_sim->caminho()));
    m_interacao = std::make_unique<InteracaoGravada>();
    m_escopo = std::make_unique<InteracaoNoEscopo>(m_interacao.get());
    m_sim->aplicaOpcao("template", "00012345;2");
}

void TestDiagnostico2::cleanup()
{
    m_escopo.reset();
    m_interacao.reset();
    m_sim.reset();
    m_pasta.reset();
}

bool TestDiagnostico2::clica(TfREP2Diagnostico &d, const QString &botao)
{
    QPushButton *b = d.botao(botao);
    if (!b || !b->isEnabled())
        return false;
    QSignalSpy fim(&d.motor(), &MotorREP::terminou);
    QTest::mouseClick(b, Qt::LeftButton);
    if (!d.motor().emConversa() && fim.isEmpty())
        return false; // refused before starting
    if (fim.isEmpty() && !fim.wait(5000))
        return false;
    QTest::qWait(1);
    return b->isEnabled();
}

void TestDiagnostico2::botoesDeConsulta_data()
{
    QTest::addColumn<QString>("botao");
    QTest::addColumn<QString>("linha");
    QTest::newRow("status") << "btStatus"
                            << "STATUS DO EQUIPAMENTO";
    QTest::newRow("count") << "btContaTemplates"
                           << "TEMPLATES DA MATRICULA: 1";
    QTest::newRow("free") << "btTemplatesDisponiveis"
                          << "TEMPLATES DISPONÍVEIS PARA CADASTRO: 199";
    QTest::newRow("list") << "btListaTemplates"
                          << "00012345";
    QTest::newRow("clock") << "btDataHora"
                           << "DATA/HORA ACERTADAS";
    QTest::newRow("password") << "btSenha"
                              << "SENHA ENVIADA";
}

void TestDiagnostico2::botoesDeConsulta()
{
    QFETCH(QString, botao);
    QFETCH(QString, linha);
    TfREP2Diagnostico d(parametrosSerial(4), nullptr, rapido());
    d.defineMatricula("12345");
    d.defineSenha("4321");
    d.show();
    QVERIFY(clica(d, botao));
    QVERIFY2(d.respostas().contains(linha), qPrintable(d.respostas().join(" | ")));
    // The window stays open for the next command.
    QVERIFY(d.isVisible());
    QVERIFY(clica(d, "btStatus"));
}

void TestDiagnostico2::gravaTemplateExigeUmArquivo()
{
    for (const char *nome : {"template00000001_1.dig", "template00000001_2.dig"}) {
        QFile f(m_pasta->arquivo(nome));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(768, 'A'));
    }
    TfREP2Diagnostico d(parametrosSerial(4), nullptr, rapido());
    d.defineMatricula("1");
    d.show();
    QVERIFY(!clica(d, "btGravaTemplate"));
    d.marcaArquivoTemplate("template00000001_1.dig");
    d.marcaArquivoTemplate("template00000001_2.dig");
    QVERIFY(!clica(d, "btGravaTemplate"));
    QCOMPARE(m_interacao->textos(), (QStringList{"Selecione pelo menos 1 digital para enviar",
                                                 "Selecione somente 1 digital para enviar"}));
    QVERIFY(m_sim->recebido().isEmpty());
    d.marcaArquivoTemplate("template00000001_2.dig", false);
    QVERIFY(clica(d, "btGravaTemplate"));
    QVERIFY(d.respostas().contains("BIOMETRIA ENVIADA"));
    QCOMPARE(m_sim->estado().templates.value("00000001").value(1), QByteArray(384, '\xAA'));
}

void TestDiagnostico2::leTemplateEnchendoALista()
{
    TfREP2Diagnostico d(parametrosSerial(4), nullptr, rapido());
    d.defineMatricula("12345");
    d.defineDedo("2");
    d.show();
    QVERIFY(clica(d, "btLeTemplate"));
    QVERIFY(QFile::exists(m_pasta->arquivo("template00012345_2.dig")));
    QVERIFY(MotorREP2::arquivosTemplate().contains("template00012345_2.dig"));
    d.defineDedo("x");
    QVERIFY(!clica(d, "btLeTemplate"));
    QCOMPARE(m_interacao->ultima(), QString("Dedo inválido: use um dígito"));
}

void TestDiagnostico2::colaboradorComIncrementoDePis()
{
    TfREP2Diagnostico d(parametrosSerial(4), nullptr, rapido());
    d.defineColaborador("ab12", "1", "12345678901", "maria", 0, true);
    d.show();
    QVERIFY(clica(d, "btEnviaFuncionario"));
    QVERIFY(d.respostas().contains("FUNCIONÁRIO ENVIADO"));
    QCOMPARE(d.pisDoColaborador(), QString("012345678902"));
    QCOMPARE(d.matriculaDoColaborador(), QString("12345678")); // the field holds 8
    // Upper case, the enrolment field cut to 8 on the wire.
    const QByteArray r = m_sim->requisicoes().last();
    QCOMPARE(r.mid(4, 6), QByteArray("AB1200"));
    QCOMPARE(r.mid(10, 8), QByteArray("12345678"));
    QCOMPARE(r.mid(18, 12), QByteArray("012345678902"));
    QVERIFY(r.mid(30).startsWith("MARIA;"));
    // A second send increases again.
    QVERIFY(clica(d, "btEnviaFuncionario"));
    QCOMPARE(d.pisDoColaborador(), QString("012345678903"));
}

QTEST_MAIN(TestDiagnostico2)
#include "test_diagnostico2.moc"
