// The first-generation engine against the simulated device, on a real TCP
// socket on loopback and on a real pseudo-terminal.

#include "data/sistema.h"
#include "device/common/retorno.h"
#include "device/gen1/motorv1.h"
#include "device/gen1/tfrep.h"
#include "simulador1.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace kelvo;
using namespace kelvo::sim;

namespace {
// Shortened timings: every pause a few ms, a tick of 300 ms.
TemporizacaoV1 rapida()
{
    TemporizacaoV1 t;
    t.tmTimeout = 300;
    t.tmFinaliza = 10;
    t.tmFinalizaCurto = 5;
    t.esperaConexao = 2000;
    t.pausaDespertar = 5;
    t.pausaAntesEnvio = 1;
    t.pausaEnvio = 5;
    t.esperaFechamento = 5;
    return t;
}

QStringList linhas(const QString &arquivo)
{
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList r;
    for (const QString &l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        r << l.mid(12); // without the time
    return r;
}
} // namespace

class TestMotorV1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void status_data() { linhasDeTeste(); }
    void status();
    void relogio_data();
    void relogio();
    void relogioInvalidoNadaEnviado_data() { linhasDeTeste(); }
    void relogioInvalidoNadaEnviado();
    void funcionario_data();
    void funcionario();
    void funcionarioAnaNoFio_data() { linhasDeTeste(); }
    void funcionarioAnaNoFio();
    void matriculaLongaAntesDoLink_data() { linhasDeTeste(); }
    void matriculaLongaAntesDoLink();
    void empregadorEnvio_data();
    void empregadorEnvio();
    void empregadorIdaEVolta_data() { linhasDeTeste(); }
    void empregadorIdaEVolta();
    void empregadorAusente_data() { linhasDeTeste(); }
    void empregadorAusente();
    void leituraMT_data() { linhasDeTeste(); }
    void leituraMT();
    void leituraMTVazia_data() { linhasDeTeste(); }
    void leituraMTVazia();
    void leituraMTArquivoInvalido();
    void despertarDuplo_data() { linhasDeTeste(); }
    void despertarDuplo();
    void statusSemRespostaRepetido_data() { linhasDeTeste(); }
    void statusSemRespostaRepetido();
    void statusSoDespertaLimitado_data() { linhasDeTeste(); }
    void statusSoDespertaLimitado();
    void respostaAposCincoTicks_data() { linhasDeTeste(); }
    void respostaAposCincoTicks();
    void respostasRuins_data();
    void respostasRuins();
    void linhaDerrubada();
    void portaInexistente();
    void conexaoRecusada();
    void ocupado();
    void segundaOperacaoReabre_data() { linhasDeTeste(); }
    void segundaOperacaoReabre();
    void rastrosDesligados();
    void rastrosLigados();
    void ritmoDaLinha();
    void temposReaisStatus();
    void janelaFechaSozinha();

private:
    void linhasDeTeste();
    // A simulator on the link of the current row; parameters to reach it.
    TParametrosComunicacao prepara(const QString &linha);
    bool executa(MotorV1 &m, int limiteMs = 20000);

    std::unique_ptr<teste::PastaTeste> m_pasta;
    std::unique_ptr<SimuladorRep1> m_sim;
};

void TestMotorV1::init()
{
    m_pasta = std::make_unique<teste::PastaTeste>();
    m_sim = std::make_unique<SimuladorRep1>();
    RetornoComunicacao = QStringLiteral("lixo de antes");
}

void TestMotorV1::cleanup()
{
    m_sim.reset();
    m_pasta.reset();
}

void TestMotorV1::linhasDeTeste()
{
    QTest::addColumn<QString>("linha");
    QTest::newRow("tcp") << "tcp";
    QTest::newRow("pty") << "pty";
}

TParametrosComunicacao TestMotorV1::prepara(const QString &linha)
{
    QString erro;
    if (linha == QLatin1String("tcp")) {
        if (!m_sim->escutaTCP(0, &erro))
            qFatal("%s", qPrintable(erro));
        return parametrosTCP(QStringLiteral("127.0.0.1"), m_sim->portaTCP());
    }
    if (!m_sim->criaPty(&erro))
        qFatal("%s", qPrintable(erro));
    // The pseudo-terminal is COM7 for this installation.
    ArquivoConfig().escreveTexto(QStringLiteral("PORTAS"), QStringLiteral("COM7"), m_sim->caminhoPty());
    return parametrosSerial(7);
}

bool TestMotorV1::executa(MotorV1 &m, int limiteMs)
{
    if (!m.emConversa())
        return true;
    QSignalSpy fim(&m, &MotorREP::terminou);
    return fim.wait(limiteMs) && !m.emConversa();
}

void TestMotorV1::status()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    m_sim->estado().serial = QStringLiteral("00004000100099999");
    m_sim->estado().nsr = 1234;
    m_sim->estado().acertaRelogio(QDateTime(QDate(2024, 3, 1), QTime(14, 5, 9)));
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QVERIFY2(RetornoComunicacao.startsWith(QLatin1String("0;01/03/24 14:05:")),
             qPrintable(RetornoComunicacao));
    QCOMPARE(RetornoComunicacao.mid(19), QStringLiteral(";000001234;00004000100099999;"));
    QCOMPARE(RetornoComunicacao.mid(30, 17), QStringLiteral("00004000100099999"));
    QCOMPARE(m.numeroSerie(), QStringLiteral("00004000100099999"));
    QCOMPARE(m_sim->comandos(), QList<QByteArray>{"TCM"});
    QCOMPARE(m.situacao(), QStringLiteral("Fim da comunicação"));
    QCOMPARE(m.titulo(), QStringLiteral("Status"));
    QCOMPARE(m.legenda(), linha == QLatin1String("tcp")
                              ? QStringLiteral("Comunicação com REP - V1.0  -  TCP/IP")
                              : QStringLiteral("Comunicação com REP - V1.0  -  COM7"));
    // A 52-byte status reply is accepted too.
    m_sim->defeitos().tamanhoStatus = 52;
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao.mid(30, 17), QStringLiteral("00004000100099999"));
}

void TestMotorV1::relogio_data()
{
    QTest::addColumn<QString>("linha");
    QTest::addColumn<QByteArray>("recusa");
    QTest::addColumn<QString>("esperado");
    for (const char *l : {"tcp", "pty"}) {
        QTest::addRow("%s ok", l) << l << QByteArray() << "0;Data/Hora acertadas";
        QTest::addRow("%s MR", l) << l << QByteArray("!MR") << "16;MRP Cheia - data/hora não acertadas";
        QTest::addRow("%s ME", l) << l << QByteArray("!ME")
                                  << "17;Erro na mrp - data/hora não acertadas - consulte seu fornecedor";
    }
}

void TestMotorV1::relogio()
{
    QFETCH(QString, linha);
    QFETCH(QByteArray, recusa);
    QFETCH(QString, esperado);
    const auto p = prepara(linha);
    m_sim->defeitos().recusa = recusa;
    MotorV1 m(rapida());
    QVERIFY(m.AcertaDataHora(p, "01", "03", "2024", "14", "05", "09"));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, esperado);
    QCOMPARE(m_sim->pedidos(), QList<QByteArray>{QByteArray("CLK"
                                                            "09051406010324"
                                                            "00C3")});
    if (recusa.isEmpty())
        QCOMPARE(m_sim->estado().relogio().date(), QDate(2024, 3, 1));
}

void TestMotorV1::relogioInvalidoNadaEnviado()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    MotorV1 m(rapida());
    QVERIFY(m.AcertaDataHora(p, "31", "02", "2024", "10", "00", "00"));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("2;Formato de data/hora inválido"));
    QCOMPARE(m_sim->despertares(), 0);
    QVERIFY(m_sim->pedidos().isEmpty());
}

void TestMotorV1::funcionario_data()
{
    QTest::addColumn<QString>("linha");
    QTest::addColumn<QByteArray>("recusa");
    QTest::addColumn<QString>("esperado");
    for (const char *l : {"tcp", "pty"}) {
        QTest::addRow("%s ok", l) << l << QByteArray() << "0;Funcionário enviado";
        QTest::addRow("%s MT", l) << l << QByteArray("!MT")
                                  << "18;MT cheia - funcionário não enviado - troque o rep";
        QTest::addRow("%s MR", l) << l << QByteArray("!MR")
                                  << "19;MRP cheia - funcionário não enviado - troque o rep";
        QTest::addRow("%s ME", l) << l << QByteArray("!ME")
                                  << "20;Erro na mrp - funcionário não enviado - consulte seu fornecedor";
    }
}

void TestMotorV1::funcionario()
{
    QFETCH(QString, linha);
    QFETCH(QByteArray, recusa);
    QFETCH(QString, esperado);
    const auto p = prepara(linha);
    m_sim->defeitos().recusa = recusa;
    MotorV1 m(rapida());
    QVERIFY(m.EnviaFuncionario(p, "77", "1234", "12345678901", QStringLiteral("JOSÉ"), 0));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, esperado);
    QCOMPARE(m.temporizacao().tmFinalizaCurto, 5);
    if (recusa.isEmpty()) {
        QCOMPARE(m_sim->estado().funcionarios.size(), 1);
        QCOMPARE(m_sim->estado().funcionarios[0].nome.left(5), QStringLiteral("JOSÉ;"));
    }
}

void TestMotorV1::funcionarioAnaNoFio()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    MotorV1 m(rapida());
    QVERIFY(m.EnviaFuncionario(p, "123", "45", "1234567890", "ANA", 0));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Funcionário enviado"));
    const QByteArray carga =
        QByteArray("123000") + "00000045" + "001234567890" + "ANA;" + QByteArray(48, ' ') + "\r\n";
    QCOMPARE(m_sim->pedidos(), QList<QByteArray>{QByteArray("FUN") + carga + v1::somaVerificacao(carga)});
}

void TestMotorV1::matriculaLongaAntesDoLink()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    MotorV1 m(rapida());
    QVERIFY(m.EnviaFuncionario(p, "1", "123456789", "1", "ANA", 0));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("4;Tamanho inválido para o campo matrícula"));
    QCOMPARE(m_sim->despertares(), 0);
    QCOMPARE(MensagemRetorno(), QStringLiteral("Tamanho inválido para o campo MATRICULA"));
}

void TestMotorV1::empregadorEnvio_data()
{
    QTest::addColumn<QString>("linha");
    QTest::addColumn<QByteArray>("recusa");
    QTest::addColumn<QString>("esperado");
    for (const char *l : {"tcp", "pty"}) {
        QTest::addRow("%s ok", l) << l << QByteArray() << "0;Empresa enviada";
        QTest::addRow("%s MR", l) << l << QByteArray("!MR")
                                  << "21;MRP cheia - empresa não enviada - troque o rep";
        QTest::addRow("%s ME", l) << l << QByteArray("!ME")
                                  << "22;Erro na mrp - empresa não enviada - consulte seu fornecedor";
    }
}

void TestMotorV1::empregadorEnvio()
{
    QFETCH(QString, linha);
    QFETCH(QByteArray, recusa);
    QFETCH(QString, esperado);
    const auto p = prepara(linha);
    m_sim->defeitos().recusa = recusa;
    MotorV1 m(rapida());
    QVERIFY(m.EnviaEmpregador(p, "ACME", "12345678901", "", "Rua A", 1));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, esperado);
    QCOMPARE(m_sim->pedidos().size(), 1);
    QCOMPARE(m_sim->pedidos()[0].mid(153, 14), QByteArray("00012345678901"));
}

void TestMotorV1::empregadorIdaEVolta()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    MotorV1 m(rapida());
    QVERIFY(m.EnviaEmpregador(p, QStringLiteral("PADARIA SÃO JOÃO"), "12345678000190", "12", "Centro", 0));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Empresa enviada"));
    QVERIFY(m.RecebeEmpregador(p));
    QVERIFY(executa(m));
    const QStringList campos = RetornoComunicacao.mid(2).split(QLatin1Char('|'));
    QCOMPARE(RetornoComunicacao.left(3), QStringLiteral("0;1"));
    QCOMPARE(campos.size(), 5);
    // The terminator comes back as a blank; every field at its full width.
    QCOMPARE(campos[1], QStringLiteral("PADARIA SÃO JOÃO ").leftJustified(150, QLatin1Char(' ')));
    QCOMPARE(campos[2], QStringLiteral("12345678000190"));
    QCOMPARE(campos[3], QStringLiteral("000000000012"));
    QCOMPARE(campos[4], QStringLiteral("Centro ").leftJustified(100, QLatin1Char(' ')));
    QCOMPARE(m.empregador().tipo, 1);
}

void TestMotorV1::empregadorAusente()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    MotorV1 m(rapida());
    QVERIFY(m.RecebeEmpregador(p));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("23;Envie o empregador"));
    QCOMPARE(MensagemRetorno(), QStringLiteral("Envie o empregador antes de coletar"));
}

void TestMotorV1::leituraMT()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    FuncionarioRep1 a{"123000", "00000045", "001234567890", QStringLiteral("ANA;").leftJustified(52)};
    FuncionarioRep1 b{"000001", "00000046", "001234567891", QStringLiteral("JOÃO;").leftJustified(52)};
    m_sim->estado().funcionarios = {a, b};
    MotorV1 m(rapida());
    const QString arquivo = m_pasta->arquivo(QStringLiteral("mt.txt"));
    QVERIFY(m.LeituraMT(p, arquivo));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Leitura realizada com sucesso"));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray conteudo = f.readAll();
    QCOMPARE(conteudo, QByteArray("12300000000045001234567890ANA;") + QByteArray(48, ' ') + "\r\n" +
                           "00000100000046001234567891JO\xC3O;" + QByteArray(47, ' ') + "\r\n");
}

void TestMotorV1::leituraMTVazia()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    const QString arquivo = m_pasta->arquivo(QStringLiteral("mt.txt"));
    {
        QFile velho(arquivo);
        QVERIFY(velho.open(QIODevice::WriteOnly));
        velho.write("conteudo antigo\r\n");
    }
    MotorV1 m(rapida());
    QVERIFY(m.LeituraMT(p, arquivo));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Leitura realizada com sucesso"));
    QVERIFY(QFile::exists(arquivo));
    QCOMPARE(QFileInfo(arquivo).size(), 0);
}

void TestMotorV1::leituraMTArquivoInvalido()
{
    const auto p = prepara(QStringLiteral("tcp"));
    MotorV1 m(rapida());
    QVERIFY(m.LeituraMT(p, QStringLiteral("   ")));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("7;Nome de arquivo inválido"));
    QCOMPARE(m_sim->despertares(), 0);
    // A folder that does not exist: code 8 with the system's reason.
    QVERIFY(m.LeituraMT(p, m_pasta->arquivo(QStringLiteral("nao/existe/mt.txt"))));
    QVERIFY(executa(m));
    QVERIFY2(RetornoComunicacao.startsWith(QStringLiteral("8;Não foi possível gravar o arquivo. Mensagem: ")),
             qPrintable(RetornoComunicacao));
    QVERIFY(RetornoComunicacao.size() > 48);
}

void TestMotorV1::despertarDuplo()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    ArquivoConfig().escreveBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUG"), true);
    m_sim->defeitos().despertarDuplo = true;
    MotorV1 m(rapida());
    QVERIFY(m.AcertaDataHora(p, "01", "03", "2024", "14", "05", "09"));
    QVERIFY(executa(m));
    QVERIFY(RetornoComunicacao.isEmpty());
    QVERIFY(m_sim->pedidos().isEmpty());
    QCOMPARE(m_sim->despertares(), 1);
    QCOMPARE(linhas(m_pasta->arquivo(QStringLiteral("log.txt"))).filter(QStringLiteral("TMTIMEOUT")).size(),
             6);
    QCOMPARE(m.situacao(), QStringLiteral("Fim da comunicação - Sem resposta do terminal"));
    QCOMPARE(MensagemRetorno(), QStringLiteral("Não houve resposta do terminal"));
}

void TestMotorV1::statusSemRespostaRepetido()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    m_sim->defeitos().silencioso = true;
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QVERIFY(RetornoComunicacao.isEmpty());
    // The first wake-up and one repeat on each of the first five ticks.
    QCOMPARE(m_sim->despertares(), 6);
    QCOMPARE(m.comandoRepeticao(), 0);
}

void TestMotorV1::statusSoDespertaLimitado()
{
    // A device that answers every wake-up but never the status request.
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    m_sim->defeitos().ignoraPedidos = true;
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QVERIFY(RetornoComunicacao.isEmpty());
    QCOMPARE(m_sim->despertares(), 6);
    QCOMPARE(m_sim->comandos(), QList<QByteArray>(6, "TCM"));
}

void TestMotorV1::respostaAposCincoTicks()
{
    // 5.5 ticks late: five silent ticks are counted, the answer is still served.
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    ArquivoConfig().escreveBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUG"), true);
    m_sim->defeitos().atrasoMs = rapida().tmTimeout * 11 / 2;
    MotorV1 m(rapida());
    QVERIFY(m.AcertaDataHora(p, "01", "03", "2024", "14", "05", "09"));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Data/Hora acertadas"));
    QCOMPARE(linhas(m_pasta->arquivo(QStringLiteral("log.txt"))).filter(QStringLiteral("TMTIMEOUT")).size(),
             5);
    QCOMPARE(m.tentativas(), 0);
}

void TestMotorV1::respostasRuins_data()
{
    QTest::addColumn<QString>("linha");
    QTest::addColumn<QString>("operacao");
    QTest::addColumn<QByteArray>("lixo");
    QTest::addColumn<int>("extras");
    QTest::addColumn<int>("faltando");
    for (const char *l : {"tcp", "pty"}) {
        QTest::addRow("%s relogio lixo", l) << l << "clock" << QByteArray("XYZ") << 0 << 0;
        QTest::addRow("%s relogio longo", l) << l << "clock" << QByteArray() << 1 << 0;
        QTest::addRow("%s relogio curto", l) << l << "clock" << QByteArray() << 0 << 1;
        QTest::addRow("%s status 51", l) << l << "status" << QByteArray() << 1 << 0;
        QTest::addRow("%s status curto", l) << l << "status" << QByteArray() << 0 << 10;
        QTest::addRow("%s status enorme", l) << l << "status" << QByteArray(5000, 'Z') << 0 << 0;
        QTest::addRow("%s empregador curto", l) << l << "employer" << QByteArray() << 0 << 1;
        QTest::addRow("%s empregador longo", l) << l << "employer" << QByteArray() << 3 << 0;
    }
}

void TestMotorV1::respostasRuins()
{
    QFETCH(QString, linha);
    QFETCH(QString, operacao);
    QFETCH(QByteArray, lixo);
    QFETCH(int, extras);
    QFETCH(int, faltando);
    const auto p = prepara(linha);
    m_sim->defeitos().lixo = lixo;
    m_sim->defeitos().bytesExtras = extras;
    m_sim->defeitos().bytesFaltando = faltando;
    TemporizacaoV1 t = rapida();
    t.tmTimeout = 100; // nothing here answers in time anyway
    MotorV1 m(t);
    if (operacao == QLatin1String("clock"))
        m.AcertaDataHora(p, "01", "03", "2024", "14", "05", "09");
    else if (operacao == QLatin1String("status"))
        m.Status(p);
    else
        m.RecebeEmpregador(p);
    QVERIFY(executa(m));
    QVERIFY2(RetornoComunicacao.isEmpty(), qPrintable(RetornoComunicacao));
}

void TestMotorV1::linhaDerrubada()
{
    const auto p = prepara(QStringLiteral("tcp"));
    m_sim->defeitos().derrubaAposTrocas = 0;
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QVERIFY(RetornoComunicacao.isEmpty());
    QCOMPARE(m.situacao(), QStringLiteral("Fim da comunicação - FALHA NA COMUNICAÇÃO"));
    QVERIFY(m_sim->linhaDerrubada());
}

void TestMotorV1::portaInexistente()
{
    MotorV1 m(rapida());
    QVERIFY(m.Status(parametrosSerial(0)));
    QVERIFY(executa(m));
    QVERIFY2(RetornoComunicacao.startsWith(
                 QStringLiteral("1;Não foi possível abrir a porta de comunicação. Mensagem: ")),
             qPrintable(RetornoComunicacao));
    ArquivoConfig().escreveTexto(QStringLiteral("PORTAS"), QStringLiteral("COM9"),
                                 QStringLiteral("/dev/nao-existe"));
    QVERIFY(m.Status(parametrosSerial(9)));
    QVERIFY(executa(m));
    QVERIFY(RetornoComunicacao.startsWith(
        QStringLiteral("1;Não foi possível abrir a porta de comunicação. Mensagem: ")));
    QCOMPARE(MensagemRetorno(), QStringLiteral("Não foi possível abrir a porta de comunicação"));
}

void TestMotorV1::conexaoRecusada()
{
    // A port nobody listens on.
    quint16 porta = 0;
    {
        SimuladorRep1 s;
        QVERIFY(s.escutaTCP());
        porta = s.portaTCP();
    }
    MotorV1 m(rapida());
    QVERIFY(m.Status(parametrosTCP(QStringLiteral("127.0.0.1"), porta)));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("1;Não foi possível conectar ao equipamento."));
}

void TestMotorV1::ocupado()
{
    const auto p = prepara(QStringLiteral("tcp"));
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(!m.Status(p));
    QVERIFY(!m.RecebeEmpregador(p));
    QVERIFY(executa(m));
    QCOMPARE(m_sim->comandos(), QList<QByteArray>{"TCM"});
}

void TestMotorV1::segundaOperacaoReabre()
{
    QFETCH(QString, linha);
    const auto p = prepara(linha);
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QVERIFY(retornoSucesso(RetornoComunicacao));
    QVERIFY(m.AcertaDataHora(p, "02", "03", "2024", "08", "00", "00"));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Data/Hora acertadas"));
    QCOMPARE(m_sim->comandos(), (QList<QByteArray>{"TCM", "CLK"}));
}

void TestMotorV1::rastrosDesligados()
{
    const auto p = prepara(QStringLiteral("tcp"));
    MotorV1 m(rapida());
    QVERIFY(m.Status(p));
    QVERIFY(executa(m));
    QVERIFY(retornoSucesso(RetornoComunicacao));
    QVERIFY(!QFile::exists(m_pasta->arquivo(QStringLiteral("log.txt"))));
    QVERIFY(!QFile::exists(m_pasta->arquivo(QStringLiteral("logPROTOCOLO.txt"))));
}

void TestMotorV1::rastrosLigados()
{
    const auto p = prepara(QStringLiteral("tcp"));
    ArquivoConfig().escreveBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUG"), true);
    ArquivoConfig().escreveBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUGCOM"), true);
    MotorV1 m(rapida());
    QVERIFY(m.AcertaDataHora(p, "01", "03", "2024", "14", "05", "09"));
    QVERIFY(executa(m));
    QCOMPARE(RetornoComunicacao, QStringLiteral("0;Data/Hora acertadas"));
    const QStringList log = linhas(m_pasta->arquivo(QStringLiteral("log.txt")));
    const QStringList esperado{"  -  ComandoREP 08",
                               "  -  Conectou TCP/IP",
                               "  -  ComandoREP 11",
                               "  -  >>>>   #",
                               "  -  <<<< [CMD_INICIASERIAL]  33 (!)",
                               "  -  ComandoREP 17",
                               "  -  >>>>   CLK0905140601032400C3",
                               "  -  <<<< [CMD_ACERTADH]  33 (!)",
                               "  -  <<<< [CMD_ACERTADH]  79 (O)",
                               "  -  <<<< [CMD_ACERTADH]  75 (K)",
                               "  -  comunicação finalizada",
                               "  -  TMFINALIZA"};
    QCOMPARE(log, esperado);
    const QStringList prot = linhas(m_pasta->arquivo(QStringLiteral("logPROTOCOLO.txt")));
    const QStringList esperadoProt{
        " - <<<< [CMD_INICIASERIAL]  33 (!)", " - >>>>  CLK0905140601032400C3",
        " - <<<< [CMD_ACERTADH]  33 (!)",     " - <<<< [CMD_ACERTADH]  79 (O)",
        " - <<<< [CMD_ACERTADH]  75 (K)",     " - |||| TRATARESPOSTA [CMD_ACERTADH] !OK"};
    QCOMPARE(prot, esperadoProt);
}

void TestMotorV1::ritmoDaLinha()
{
    // Bytes paced at 9600 bit/s over the pseudo-terminal arrive in many batches.
    const auto p = prepara(QStringLiteral("pty"));
    m_sim->defeitos().ritmoBps = 9600;
    ArquivoConfig().escreveInteiro(QStringLiteral("CONFIG"), QStringLiteral("BAUDRATE"), 0);
    releConfiguracaoSerial();
    m_sim->estado().nomeEmpregador = QStringLiteral("ACME;");
    m_sim->estado().cpfCnpj = QStringLiteral("12345678000190");
    MotorV1 m(rapida());
    QVERIFY(m.RecebeEmpregador(p));
    QVERIFY(executa(m));
    QVERIFY2(RetornoComunicacao.startsWith(QLatin1String("0;1|ACME ")), qPrintable(RetornoComunicacao));
    ArquivoConfig().escreveInteiro(QStringLiteral("CONFIG"), QStringLiteral("BAUDRATE"), 3);
    releConfiguracaoSerial();
}

void TestMotorV1::temposReaisStatus()
{
    // The specified timings end to end, on both links.
    for (const QString linha : {QStringLiteral("tcp"), QStringLiteral("pty")}) {
        m_sim = std::make_unique<SimuladorRep1>();
        const auto p = prepara(linha);
        MotorV1 m;
        QCOMPARE(m.temporizacao().tmTimeout, 2000);
        QCOMPARE(m.temporizacao().ticksSemResposta, 6);
        QCOMPARE(m.temporizacao().tmFinaliza, 200);
        QCOMPARE(m.temporizacao().tmFinalizaCurto, 100);
        QCOMPARE(m.temporizacao().esperaConexao, 10000);
        QCOMPARE(m.temporizacao().pausaDespertar, 300);
        QVERIFY(m.Status(p));
        QVERIFY(executa(m));
        QCOMPARE(RetornoComunicacao.mid(30, 17), m_sim->estado().serial);
    }
}

void TestMotorV1::janelaFechaSozinha()
{
    const auto p = prepara(QStringLiteral("tcp"));
    TfREP janela(rapida());
    QVERIFY(janela.Status(p));
    janela.exec();
    QVERIFY(!janela.isVisible());
    QVERIFY(retornoSucesso(RetornoComunicacao));
    QCOMPARE(janela.textoComando(), QStringLiteral("Status"));
    QCOMPARE(janela.textoStatus(), QStringLiteral("Fim da comunicação"));
    QCOMPARE(janela.textoLegenda(), QStringLiteral("Comunicação com REP - V1.0  -  TCP/IP"));
    // Bad input: the window still closes by itself.
    QVERIFY(janela.EnviaFuncionario(p, "1", "123456789", "1", "A", 0));
    janela.exec();
    QCOMPARE(RetornoComunicacao, QStringLiteral("4;Tamanho inválido para o campo matrícula"));
    // Nothing started: exec returns at once.
    QCOMPARE(janela.exec(), int(QDialog::Rejected));
}

QTEST_MAIN(TestMotorV1)
#include "test_motorv1.moc"
