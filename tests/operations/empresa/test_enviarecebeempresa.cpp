// "Enviar/Receber Empresa" against the real test server and a simulated REP on
// a real pseudo-terminal, with the program's own engines and dispatch by model.

#include "ambiente.h"
#include "device/common/retorno.h"
#include "gen2/simulador2.h"
#include "operations/enviarecebeempresa.h"
#include "simulador1.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace kelvo;
using namespace kelvo::teste;
using kelvo::sim::SimuladorRep1;
using kelvo::sim::SimuladorRep2;

namespace {

constexpr int PortaSim = 7;
const QString kSerial = QStringLiteral("00004000200012345");

// The simulated device of one generation, seen the same way by every case:
// first generation ("REP") on a real TCP socket on loopback, new generation
// ("REP2") on a real pseudo-terminal.
class Equipamento
{
public:
    struct Empregador
    {
        int tipo = 1; // 1 CNPJ, 2 CPF
        QString nome;
        QString cpfcnpj;
        QString cei;
        QString local;
    };

    virtual ~Equipamento() = default;
    virtual QString modelo() const = 0;
    virtual bool abre(QString *erro) = 0;
    // The tbcoletor columns that reach this device.
    virtual void ligaColetor(AmbienteEmpresa &amb, int idcoletor) = 0;
    virtual void defineSerial(const QString &serial) = 0;
    virtual void defineEmpregador(const Empregador &e) = 0;
    // What the device holds: texts without the ";" terminator and the blanks after it.
    virtual Empregador empregador() = 0;
    virtual void silencioso() = 0;
    virtual void recusa(const QByteArray &resposta) = 0;
    virtual int pedidos() = 0;             // complete requests received
    virtual QByteArray ultimoPedido() = 0; // command letters first
    virtual bool nadaRecebido() = 0;
};

QString semTerminador(const QString &t)
{
    const qsizetype i = t.indexOf(QLatin1Char(';'));
    return (i < 0 ? t : t.left(i)).trimmed();
}

class Equipamento1 : public Equipamento
{
public:
    QString modelo() const override { return QStringLiteral("REP"); }
    bool abre(QString *erro) override { return m_sim.escutaTCP(0, erro); }
    void ligaColetor(AmbienteEmpresa &amb, int idcoletor) override
    {
        executa(amb.db(),
                QStringLiteral("update tbcoletor set tipocomunicacao = 'T', ip = '127.0.0.1', portaip = %1 "
                               "where idcoletor = %2")
                    .arg(m_sim.portaTCP())
                    .arg(idcoletor));
    }
    void defineSerial(const QString &serial) override { m_sim.estado().serial = serial; }
    void defineEmpregador(const Empregador &e) override
    {
        auto &s = m_sim.estado();
        s.tipoEmpregador = e.tipo == 1 ? '1' : '2';
        s.nomeEmpregador = e.nome;
        s.cpfCnpj = e.cpfcnpj;
        s.cei = e.cei;
        s.local = e.local;
    }
    Empregador empregador() override
    {
        const auto &s = m_sim.estado();
        return {s.tipoEmpregador == '1' ? 1 : 2, semTerminador(s.nomeEmpregador), s.cpfCnpj, s.cei,
                semTerminador(s.local)};
    }
    void silencioso() override { m_sim.defeitos().silencioso = true; }
    void recusa(const QByteArray &r) override { m_sim.defeitos().recusa = r; }
    int pedidos() override { return m_sim.pedidos().size(); }
    QByteArray ultimoPedido() override
    {
        return m_sim.pedidos().isEmpty() ? QByteArray() : m_sim.pedidos().last();
    }
    bool nadaRecebido() override { return m_sim.despertares() == 0 && m_sim.pedidos().isEmpty(); }

private:
    SimuladorRep1 m_sim;
};

class Equipamento2 : public Equipamento
{
public:
    QString modelo() const override { return QStringLiteral("REP2"); }
    bool abre(QString *erro) override
    {
        if (!m_sim.abre(erro))
            return false;
        return ArquivoConfig().escreveTexto("PORTAS", "COM7", m_sim.caminho());
    }
    void ligaColetor(AmbienteEmpresa &amb, int idcoletor) override
    {
        executa(amb.db(), QStringLiteral("update tbcoletor set tipocomunicacao = 'S', portaserial = %1 where "
                                         "idcoletor = %2")
                              .arg(PortaSim)
                              .arg(idcoletor));
    }
    void defineSerial(const QString &serial) override { m_sim.estado().serial = serial; }
    void defineEmpregador(const Empregador &e) override
    {
        auto &s = m_sim.estado();
        s.tipoEmpregador = e.tipo;
        s.nomeEmpregador = e.nome;
        s.cpfCnpj = e.cpfcnpj;
        s.cei = e.cei;
        s.local = e.local;
    }
    Empregador empregador() override
    {
        const auto &s = m_sim.estado();
        return {s.tipoEmpregador, s.nomeEmpregador.trimmed(), s.cpfCnpj, s.cei, s.local.trimmed()};
    }
    void silencioso() override { m_sim.defeitos().silencioso = true; }
    void recusa(const QByteArray &r) override { m_sim.defeitos().recusa = r; }
    int pedidos() override { return m_sim.requisicoes().size(); }
    QByteArray ultimoPedido() override
    {
        // Requests after "$", without the leading "#".
        const QByteArray r = m_sim.requisicoes().isEmpty() ? QByteArray() : m_sim.requisicoes().last();
        return r.startsWith('#') ? r.mid(1) : r;
    }
    bool nadaRecebido() override { return m_sim.recebido().isEmpty(); }

private:
    SimuladorRep2 m_sim;
};

} // namespace

class TestEnviaRecebeEmpresa : public QObject
{
    Q_OBJECT
public:
    explicit TestEnviaRecebeEmpresa(const QString &modelo) : m_modelo(modelo) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_amb.encerra(); }
    void init();
    void cleanup();

    void interpretacaoDoEmpregador();
    void cpfCnpjSemZeros_data();
    void cpfCnpjSemZeros();

    void receberCriaEmpresaEVincula();
    void receberVinculaEmpresaExistente_data();
    void receberVinculaEmpresaExistente();
    void receberDuasVezesUmaEmpresa();
    void receberEmpresaRecusadaPelasRegras();
    void receberSemEmpregador();
    void enviarVinculaEMoveLinha();
    void enviarTipoVazioVaiComoCpfEVolta();
    void enviarRecusadoPeloEquipamento();
    void modeloSemGeracaoNadaFaz_data();
    void modeloSemGeracaoNadaFaz();
    void outroEquipamentoRecusado_data();
    void outroEquipamentoRecusado();
    void equipamentoSemResposta();
    void vinculoRecusadoPelasRegrasDoRep();

    void janela();
    void janelaPelaChaveDoRep();

private:
    // Runs one action to its end; false when it did not start or never ended.
    bool roda(FluxoEnviaRecebeEmpresa &f, bool enviar, int limiteMs = 30000);
    int linhaDe(const FluxoEnviaRecebeEmpresa &f, const QString &razao) const;

    AmbienteEmpresa m_amb;
    InteracaoGravada m_g;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    QString m_modelo;
    std::unique_ptr<Equipamento> m_sim;
    int m_idcoletor = 0;
};

void TestEnviaRecebeEmpresa::initTestCase()
{
    KELVO_EXIGE_SERVIDOR();
    QString erro;
    QVERIFY2(m_amb.prepara(&erro), qPrintable(erro));
    qInfo("generation: model \"%s\"", qPrintable(m_modelo));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Configurador Kelvo"));
}

void TestEnviaRecebeEmpresa::init()
{
    m_amb.limpa();
    m_g.mensagens.clear();
    m_g.respostas.clear();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_g);
    if (m_modelo == QLatin1String("REP"))
        m_sim = std::make_unique<Equipamento1>();
    else
        m_sim = std::make_unique<Equipamento2>();
    QString erro;
    QVERIFY2(m_sim->abre(&erro), qPrintable(erro));
    m_sim->defineSerial(kSerial);
    m_idcoletor = m_amb.insereColetor(kSerial, m_modelo, PortaSim);
    m_sim->ligaColetor(m_amb, m_idcoletor);
    QVERIFY(m_amb.dm().tbColetor->abre({{QStringLiteral("pidcoletor"), m_idcoletor}}));
}

void TestEnviaRecebeEmpresa::cleanup()
{
    m_sim.reset();
    m_escopo.reset();
}

bool TestEnviaRecebeEmpresa::roda(FluxoEnviaRecebeEmpresa &f, bool enviar, int limiteMs)
{
    QSignalSpy fim(&f, &FluxoEnviaRecebeEmpresa::concluida);
    if (!(enviar ? f.enviar() : f.receber()))
        return false;
    if (fim.isEmpty() && !fim.wait(limiteMs))
        return false;
    return !f.emAndamento();
}

int TestEnviaRecebeEmpresa::linhaDe(const FluxoEnviaRecebeEmpresa &f, const QString &razao) const
{
    for (int i = 0; i < f.empresas().size(); ++i)
        if (f.empresas().at(i).razaosocial == razao)
            return i;
    return -1;
}

void TestEnviaRecebeEmpresa::interpretacaoDoEmpregador()
{
    const EmpregadorRecebido e = interpretaEmpregadorRecebido(
        QStringLiteral("0;2|JOSÉ DA SILVA      |   12345678909|            |Sítio Boa Vista   "));
    QCOMPARE(e.tipo, QStringLiteral("2"));
    QCOMPARE(e.nome, QStringLiteral("JOSÉ DA SILVA"));
    QCOMPARE(e.cpfcnpj, QStringLiteral("12345678909"));
    QCOMPARE(e.cei, QString());
    QCOMPARE(e.local, QStringLiteral("Sítio Boa Vista"));
    QCOMPARE(tipoEmpregadorDe("J"), 0);
    QCOMPARE(tipoEmpregadorDe("F"), 1);
    QCOMPARE(tipoEmpregadorDe(""), 1);
}

void TestEnviaRecebeEmpresa::cpfCnpjSemZeros_data()
{
    QTest::addColumn<QString>("cadastrado");
    QTest::addColumn<QString>("recebido");
    QTest::addColumn<bool>("mesmo");
    QTest::newRow("fewer zeros") << "191"
                                 << "00000000000191" << true;
    QTest::newRow("equal") << "11222333000181"
                           << "11222333000181" << true;
    QTest::newRow("CPF padded with blanks") << "12345678909"
                                            << "   12345678909" << true;
    QTest::newRow("other number") << "11222333000181"
                                  << "11222333000182" << false;
    QTest::newRow("zero inside matters") << "1910"
                                         << "00000000000191" << false;
}

void TestEnviaRecebeEmpresa::cpfCnpjSemZeros()
{
    QFETCH(QString, cadastrado);
    QFETCH(QString, recebido);
    QFETCH(bool, mesmo);
    QCOMPARE(mesmoCpfCnpj(cadastrado, recebido), mesmo);
}

void TestEnviaRecebeEmpresa::receberCriaEmpresaEVincula()
{
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("12345678909"), QStringLiteral("F"));
    m_sim->defineEmpregador({1, QStringLiteral("ACME INDÚSTRIA LTDA   "), QStringLiteral("11222333000181"),
                             QStringLiteral("123456789012"), QStringLiteral("Rua A, 10")});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QCOMPARE(f.linhaLigada(), -1);
    QVERIFY(roda(f, false));
    QVERIFY2(f.resultado().sucesso, qPrintable(f.resultado().mensagem + " / " + f.resultado().retorno));
    QVERIFY2(m_g.mensagens.isEmpty(), qPrintable(m_g.textos().join(" / ")));
    QVERIFY(f.resultado().empresaCriada);
    QCOMPARE(m_amb.empresas(), 2);

    const int id = f.resultado().idempresa;
    QVERIFY(id > 0);
    QSqlQuery q(m_amb.db());
    QVERIFY(
        q.exec(QStringLiteral("select razaosocial, cpfcnpj, tipopessoafj, cei, localtrabalho from tbempresa "
                              "where idempresa = %1")
                   .arg(id)));
    QVERIFY(q.next());
    // The device pads the name with blanks; they are not stored.
    QCOMPARE(q.value(0).toString(), QStringLiteral("ACME INDÚSTRIA LTDA"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("11222333000181"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("J"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("123456789012"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("Rua A, 10"));
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), id);

    // The list shows the new company linked and highlighted.
    const int linha = linhaDe(f, QStringLiteral("ACME INDÚSTRIA LTDA"));
    QVERIFY(linha >= 0);
    QCOMPARE(f.linhaLigada(), linha);
    QCOMPARE(f.linhaAtual(), linha);
    // The check switched off for this insert only.
    QCOMPARE(m_amb.dm().marcaEmpresa, 0);
    QCOMPARE(m_sim->pedidos(), 2);
}

void TestEnviaRecebeEmpresa::receberVinculaEmpresaExistente_data()
{
    QTest::addColumn<QString>("cadastrado");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("noEquipamento");
    QTest::newRow("stored with fewer leading zeros") << "191" << 2 << "00000000000191";
    QTest::newRow("same CNPJ") << "11222333000181" << 1 << "11222333000181";
    // What the new protocol stores when a CPF employer is sent to it.
    QTest::newRow("CPF padded with blanks") << "12345678909" << 2 << "   12345678909";
}

void TestEnviaRecebeEmpresa::receberVinculaEmpresaExistente()
{
    QFETCH(QString, cadastrado);
    QFETCH(int, tipo);
    QFETCH(QString, noEquipamento);
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("11111111111111"));
    const int id = m_amb.insereEmpresa(QStringLiteral("Beta"), cadastrado, QStringLiteral("F"), QString(),
                                       QStringLiteral("Matriz"));
    m_sim->defineEmpregador(
        {tipo, QStringLiteral("NOME NO REP"), noEquipamento, QString(), QStringLiteral("Filial")});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, false));
    QVERIFY2(f.resultado().sucesso, qPrintable(m_g.textos().join(" / ")));
    QVERIFY(!f.resultado().empresaCriada);
    QCOMPARE(f.resultado().idempresa, id);
    QCOMPARE(m_amb.empresas(), 2);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), id);
    // The company's stored data is not changed.
    QCOMPARE(
        valor(m_amb.db(), QStringLiteral("select concat(razaosocial, '|', cpfcnpj, '|', localtrabalho) from "
                                         "tbempresa where idempresa = %1")
                              .arg(id))
            .toString(),
        QStringLiteral("Beta|") + cadastrado + QStringLiteral("|Matriz"));
    QCOMPARE(f.linhaLigada(), linhaDe(f, QStringLiteral("Beta")));
}

void TestEnviaRecebeEmpresa::receberDuasVezesUmaEmpresa()
{
    m_sim->defineEmpregador(
        {2, QStringLiteral("JOSÉ DA SILVA"), QStringLiteral("00000000000191"), QString(), QString()});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, false));
    QVERIFY(f.resultado().empresaCriada);
    const int id = f.resultado().idempresa;
    QCOMPARE(valor(m_amb.db(), "select tipopessoafj from tbempresa").toString(), QStringLiteral("F"));
    QVERIFY(roda(f, false));
    QVERIFY(f.resultado().sucesso);
    QVERIFY(!f.resultado().empresaCriada);
    QCOMPARE(f.resultado().idempresa, id);
    QCOMPARE(m_amb.empresas(), 1);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), id);
    QVERIFY(m_g.mensagens.isEmpty());
}

void TestEnviaRecebeEmpresa::receberEmpresaRecusadaPelasRegras()
{
    // A device employer without a name: the required-fields rule still applies.
    m_sim->defineEmpregador({1, QString(), QStringLiteral("11222333000181"), QString(), QString()});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, false));
    QVERIFY(!f.resultado().sucesso);
    QCOMPARE(m_g.textos(), QStringList{QStringLiteral("O campo 'razaosocial' precisa ser preenchido!")});
    QCOMPARE(m_g.mensagens[0].icone, Icone::Aviso);
    QCOMPARE(m_amb.empresas(), 0);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
    // Nothing is left half-way: no pending insert, the check is on again.
    QVERIFY(!m_amb.dm().tbEmpresa->editando());
    QCOMPARE(m_amb.dm().marcaEmpresa, 0);
    m_g.mensagens.clear();
    Dataset &ds = *m_amb.dm().tbEmpresa;
    QVERIFY(ds.insere());
    ds.defineValor("razaosocial", "Digitada");
    ds.defineValor("cpfcnpj", "123");
    QVERIFY(!ds.grava());
    QCOMPARE(m_g.ultima(), QStringLiteral("CPF/CNPJ inválido!"));
    ds.cancela();
}

void TestEnviaRecebeEmpresa::receberSemEmpregador()
{
    m_sim->defineEmpregador(
        {1, QStringLiteral("SEM"), QStringLiteral("00000000000000"), QString(), QString()});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, false));
    QVERIFY(!f.resultado().sucesso);
    QCOMPARE(m_g.textos(), QStringList{QStringLiteral("Envie o empregador antes de coletar")});
    QCOMPARE(m_g.mensagens[0].icone, Icone::Informacao);
    QCOMPARE(m_amb.empresas(), 0);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
}

void TestEnviaRecebeEmpresa::enviarVinculaEMoveLinha()
{
    const int alfa =
        m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("12345678909"), QStringLiteral("F"));
    const int beta =
        m_amb.insereEmpresa(QStringLiteral("Beta Comércio"), QStringLiteral("11222333000181"),
                            QStringLiteral("J"), QStringLiteral("987654321098"), QStringLiteral("Centro"));
    executa(m_amb.db(), QStringLiteral("update tbcoletor set idempresa = %1").arg(alfa));
    // Another REP linked to Beta does not make Beta this REP's company.
    m_amb.insereColetor(QStringLiteral("00004000200099999"), QStringLiteral("REP2"), 9, beta);
    QVERIFY(m_amb.dm().tbColetor->abre({{QStringLiteral("pidcoletor"), m_idcoletor}}));

    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QCOMPARE(f.empresas().size(), 2);
    QCOMPARE(f.linhaLigada(), linhaDe(f, "Alfa"));
    f.defineLinhaAtual(linhaDe(f, "Beta Comércio"));
    QVERIFY(roda(f, true));
    QVERIFY2(f.resultado().sucesso, qPrintable(m_g.textos().join(" / ")));
    QVERIFY(m_g.mensagens.isEmpty());

    const Equipamento::Empregador e = m_sim->empregador();
    QCOMPARE(e.tipo, 1);
    QCOMPARE(e.nome, QStringLiteral("Beta Comércio"));
    QCOMPARE(e.cpfcnpj, QStringLiteral("11222333000181"));
    QCOMPARE(e.cei, QStringLiteral("987654321098"));
    QCOMPARE(e.local, QStringLiteral("Centro"));

    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), beta);
    QCOMPARE(f.linhaLigada(), linhaDe(f, "Beta Comércio"));
    QCOMPARE(f.linhaAtual(), f.linhaLigada());
    QVERIFY(!f.empresas().at(linhaDe(f, "Alfa")).ligada);
}

void TestEnviaRecebeEmpresa::enviarTipoVazioVaiComoCpfEVolta()
{
    m_amb.insereEmpresa(QStringLiteral("Pessoa"), QStringLiteral("12345678909"), QString());
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, true));
    QVERIFY(f.resultado().sucesso);
    QCOMPARE(m_sim->empregador().tipo, 2); // sent with type 1 (CPF): "F"
    QVERIFY(m_sim->ultimoPedido().startsWith("EMF"));
    // Reading it back finds the same company, not a second one with blanks.
    executa(m_amb.db(), "update tbcoletor set idempresa = 0");
    QVERIFY(roda(f, false));
    QVERIFY(f.resultado().sucesso);
    QVERIFY(!f.resultado().empresaCriada);
    QCOMPARE(m_amb.empresas(), 1);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), f.empresas().at(0).idempresa);
}

void TestEnviaRecebeEmpresa::enviarRecusadoPeloEquipamento()
{
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("11222333000181"));
    m_sim->recusa("!MR");
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, true));
    QVERIFY(!f.resultado().sucesso);
    QCOMPARE(m_g.textos(), QStringList{QStringLiteral("MRP cheia - empresa não enviada - troque o rep")});
    QCOMPARE(m_g.mensagens[0].icone, Icone::Informacao);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
    QCOMPARE(f.linhaLigada(), -1);
}

void TestEnviaRecebeEmpresa::modeloSemGeracaoNadaFaz_data()
{
    QTest::addColumn<QString>("modelo");
    QTest::newRow("empty") << "";
    QTest::newRow("other") << "REP3";
}

void TestEnviaRecebeEmpresa::modeloSemGeracaoNadaFaz()
{
    QFETCH(QString, modelo);
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("11222333000181"));
    executa(m_amb.db(), QStringLiteral("update tbcoletor set modelocoletor = '%1'").arg(modelo));
    QVERIFY(m_amb.dm().tbColetor->abre({{QStringLiteral("pidcoletor"), m_idcoletor}}));
    m_sim->defineEmpregador(
        {2, QStringLiteral("NO REP"), QStringLiteral("12345678909"), QString(), QString()});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(!f.enviar());
    QVERIFY(!f.receber());
    QVERIFY(!f.emAndamento());
    QTest::qWait(300);
    QVERIFY(m_sim->nadaRecebido());
    QVERIFY(m_g.mensagens.isEmpty());
    QCOMPARE(m_amb.empresas(), 1);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
}

void TestEnviaRecebeEmpresa::outroEquipamentoRecusado_data()
{
    QTest::addColumn<bool>("enviar");
    QTest::newRow("Enviar") << true;
    QTest::newRow("Receber") << false;
}

void TestEnviaRecebeEmpresa::outroEquipamentoRecusado()
{
    QFETCH(bool, enviar);
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("11222333000181"));
    const QString outro = QStringLiteral("00004000200077777");
    m_sim->defineSerial(outro);
    m_sim->defineEmpregador(
        {2, QStringLiteral("NO REP"), QStringLiteral("12345678909"), QString(), QString()});
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, enviar));
    QVERIFY(!f.resultado().sucesso);
    QCOMPARE(m_g.textos(),
             QStringList{QStringLiteral(
                             "O coletor selecionado é diferente do que está ligado.\rCódigo do REP ligado a "
                             "serial: ") +
                         outro});
    QCOMPARE(m_g.mensagens[0].icone, Icone::Aviso);
    QCOMPARE(m_g.mensagens[0].titulo, QStringLiteral("Aviso"));
    // Only the status went to the device; nothing was written anywhere.
    QCOMPARE(m_sim->pedidos(), 1);
    QCOMPARE(m_sim->empregador().cpfcnpj, QStringLiteral("12345678909"));
    QCOMPARE(m_amb.empresas(), 1);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
}

void TestEnviaRecebeEmpresa::equipamentoSemResposta()
{
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("11222333000181"));
    m_sim->silencioso();
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, true));
    QVERIFY(!f.resultado().sucesso);
    QCOMPARE(f.resultado().retorno, QString());
    QCOMPARE(m_g.textos(), QStringList{QStringLiteral("Não houve resposta do terminal")});
    QCOMPARE(m_g.mensagens[0].icone, Icone::Informacao);
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
}

void TestEnviaRecebeEmpresa::vinculoRecusadoPelasRegrasDoRep()
{
    // The REP record itself fails its required-fields rule: the link is not
    // written and the REP record is not left half-edited.
    m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("11222333000181"));
    executa(m_amb.db(), QStringLiteral("update tbcoletor set descricao = ''"));
    QVERIFY(m_amb.dm().tbColetor->abre({{QStringLiteral("pidcoletor"), m_idcoletor}}));
    FluxoEnviaRecebeEmpresa f(kSerial);
    QVERIFY(f.abreLista());
    QVERIFY(roda(f, true));
    QVERIFY(!f.resultado().sucesso);
    QCOMPARE(m_g.textos(), QStringList{QStringLiteral("O campo 'descricao' precisa ser preenchido!")});
    QCOMPARE(m_amb.idempresaDoColetor(m_idcoletor), 0);
    QVERIFY(!m_amb.dm().tbColetor->editando());
    QCOMPARE(f.linhaLigada(), -1);
}

void TestEnviaRecebeEmpresa::janela()
{
    const int alfa =
        m_amb.insereEmpresa(QStringLiteral("Alfa"), QStringLiteral("12345678909"), QStringLiteral("F"));
    m_amb.insereEmpresa(QStringLiteral("Beta"), QStringLiteral("11222333000181"), QStringLiteral("J"));
    executa(m_amb.db(), QStringLiteral("update tbcoletor set idempresa = %1").arg(alfa));
    QVERIFY(m_amb.dm().tbColetor->abre({{QStringLiteral("pidcoletor"), m_idcoletor}}));

    TfEnviaRecebeEmpresa w(kSerial);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Configurador Kelvo"));
    QCOMPARE(w.lbTitulo->text(), QStringLiteral("Empresas"));
    QCOMPARE(w.actEnviar->text(), QStringLiteral("&Enviar"));
    QCOMPARE(w.actReceber->text(), QStringLiteral("&Receber"));
    QCOMPARE(w.actFechar->text(), QStringLiteral("&Fechar"));
    QAbstractItemModel *m = w.grade->model();
    QCOMPARE(m->columnCount(), 4);
    QStringList titulos;
    for (int c = 0; c < 4; ++c)
        titulos << m->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titulos, QStringList({"F/J", "CPF/CNPJ", "Nome da empresa", "Local de trabalho"}));
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(w.grade->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(w.grade->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(m->data(m->index(0, 0), Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));

    const auto fundo = [m](int linha) {
        return m->data(m->index(linha, 2), Qt::BackgroundRole).value<QColor>();
    };
    const auto nome = [m](int linha) { return m->data(m->index(linha, 2)).toString(); };
    QCOMPARE(nome(0), QStringLiteral("Alfa"));
    QCOMPARE(fundo(0), QColor(0, 128, 255));
    QCOMPARE(fundo(1), QColor(Qt::white));
    QCOMPARE(m->data(m->index(0, 1), Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));

    // Highlight Beta and send it: the blue moves to Beta.
    w.grade->selectRow(1);
    QCOMPARE(w.fluxo().linhaAtual(), 1);
    w.actEnviar->trigger(); // returns when the conversation has ended
    QVERIFY2(w.fluxo().resultado().sucesso, qPrintable(m_g.textos().join(" / ")));
    QCOMPARE(fundo(0), QColor(Qt::white));
    QCOMPARE(fundo(1), QColor(0, 128, 255));
    QCOMPARE(w.grade->currentIndex().row(), 1);
    QCOMPARE(m_sim->empregador().nome, QStringLiteral("Beta"));
    QVERIFY(m_g.mensagens.isEmpty());

    w.actFechar->trigger();
    QVERIFY(!w.isVisible());
}

void TestEnviaRecebeEmpresa::janelaPelaChaveDoRep()
{
    // The main window's call: the REP record is re-opened on its key and the
    // window serves that REP's code.
    m_amb.dm().tbColetor->fecha();
    QString codigo;
    QTimer::singleShot(0, this, [&codigo] {
        auto *w = qobject_cast<TfEnviaRecebeEmpresa *>(QApplication::activeModalWidget());
        if (!w) {
            for (QWidget *t : QApplication::topLevelWidgets())
                if ((w = qobject_cast<TfEnviaRecebeEmpresa *>(t)))
                    break;
        }
        if (w) {
            codigo = w->fluxo().codigocoletor();
            w->close();
        }
    });
    abreEnviaRecebeEmpresa(nullptr, m_idcoletor);
    QCOMPARE(codigo, kSerial);
    QCOMPARE(m_amb.dm().tbColetor->inteiro("idcoletor"), m_idcoletor);
    QVERIFY(m_g.mensagens.isEmpty());
}

// Every case runs on both generations, each with the engine the program's
// dispatch by model creates (the specified timings).
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int falhas = 0;
    for (const QString &modelo : {QStringLiteral("REP2"), QStringLiteral("REP")}) {
        TestEnviaRecebeEmpresa t(modelo);
        falhas += QTest::qExec(&t, argc, argv);
    }
    return falhas;
}
#include "test_enviarecebeempresa.moc"
