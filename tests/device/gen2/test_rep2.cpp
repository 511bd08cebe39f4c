// The new-protocol engine and its window against the simulated REP2 on a real
// pseudo-terminal: what goes on the wire, how replies are judged, and that
// every conversation ends.

#include "data/interacao.h"
#include "data/sistema.h"
#include "device/common/parametros.h"
#include "device/common/retorno.h"
#include "device/gen2/motorrep2.h"
#include "device/gen2/tfrep2.h"
#include "gen2/simulador2.h"
#include "testsupport.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

using namespace kelvo;
using kelvo::sim::SimuladorRep2;

namespace {

constexpr int PortaSim = 7;

TemposREP2 rapido()
{
    TemposREP2 t;
    t.timeout = 400;
    t.envia = 5;
    t.finaliza = 5;
    t.timeoutIniciaMT = 1500;
    t.pausaListaTemplates = 5;
    return t;
}

QByteArray hexTemplate(int semente)
{
    QByteArray b;
    for (int i = 0; i < 384; ++i)
        b.append(char((i * 3 + semente) & 0xFF));
    return b;
}

} // namespace

class TestRep2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void aberturaSeisBytes();
    void statusLido_data();
    void statusLido();
    void replyNuncaAceita_data();
    void replyNuncaAceita();
    void respostaAtrasadaDentroDoPrazo();
    void silencioComTemposReais();
    void statusComTemposReaisNaJanela();
    void portaSemNada_data();
    void portaSemNada();
    void relogio();
    void relogioInvalidoNadaEnviado();
    void empregadorCpf_data();
    void empregadorCpf();
    void empregadorRecusadoAntesDaPorta_data();
    void empregadorRecusadoAntesDaPorta();
    void empregadorLidoDeVolta();
    void empregadorAusente();
    void funcionarioCodigo_data();
    void funcionarioCodigo();
    void respostasTresBytes_data();
    void respostasTresBytes();
    void respostaNaoListada();
    void leituraMT();
    void leituraMTArquivoNaoGravavel();
    void templateGravaListaLeConta();
    void templateArquivoNaoHex();
    void templateArquivoInexistente();
    void listaTemplatesEmBlocos();
    void listaTemplatesVazia();
    void senhaRecusadaNadaEnviado();
    void iniciaMTPergunta();
    void logComChaveDebug_data();
    void logComChaveDebug();
    void ocupadoRecusaSegunda();
    void linhaCaiNoMeio();
    void arquivoDeEstadoDoSimulador();
    void janelaSempreFecha_data();
    void janelaSempreFecha();
    void kelvoRepStatus();

private:
    // Runs one conversation on the engine and waits for its end.
    bool conversa(MotorREP2 &m, const std::function<bool()> &inicio, int limiteMs = 10000);
    QByteArray ultimaRequisicao() const
    {
        return m_sim->requisicoes().isEmpty() ? QByteArray() : m_sim->requisicoes().last();
    }

    std::unique_ptr<teste::PastaTeste> m_pasta;
    std::unique_ptr<SimuladorRep2> m_sim;
    std::unique_ptr<InteracaoGravada> m_interacao;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    TParametrosComunicacao m_p;
};

void TestRep2::init()
{
    m_pasta = std::make_unique<teste::PastaTeste>();
    m_sim = std::make_unique<SimuladorRep2>();
    QString erro;
    QVERIFY2(m_sim->abre(&erro), qPrintable(erro));
    QVERIFY(ArquivoConfig().escreveTexto("PORTAS", "COM7", m_sim->caminho()));
    m_p = parametrosSerial(PortaSim);
    m_interacao = std::make_unique<InteracaoGravada>();
    m_escopo = std::make_unique<InteracaoNoEscopo>(m_interacao.get());
    RetornoComunicacao = QStringLiteral("lixo de antes");
}

void TestRep2::cleanup()
{
    m_escopo.reset();
    m_interacao.reset();
    m_sim.reset();
    m_pasta.reset();
}

bool TestRep2::conversa(MotorREP2 &m, const std::function<bool()> &inicio, int limiteMs)
{
    QSignalSpy fim(&m, &MotorREP::terminou);
    if (!inicio())
        return false;
    if (fim.isEmpty() && !fim.wait(limiteMs))
        return false;
    return !m.emConversa();
}

void TestRep2::aberturaSeisBytes()
{
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.Status(m_p); }));
    QCOMPARE(m_sim->recebido(), QByteArray("\x24\x24\x23\x54\x43\x4D", 6));
    QVERIFY(RetornoComunicacao.startsWith("0;"));
    // Any later status request is five bytes.
    m_sim->limpaHistorico();
    QVERIFY(conversa(m, [&] { return m.StatusManutencao(m_p); }));
    QCOMPARE(m_sim->recebido(), QByteArray("\x24\x23\x54\x43\x4D", 5));
    QVERIFY(m.tracoEnvio().last().endsWith("  -  23 54 43 4D "));
}

void TestRep2::statusLido_data()
{
    QTest::addColumn<int>("tamanho");
    QTest::newRow("50 bytes") << 50;
    QTest::newRow("52 bytes") << 52;
}

void TestRep2::statusLido()
{
    QFETCH(int, tamanho);
    m_sim->defeitos().tamanhoStatus = tamanho;
    m_sim->estado().serial = "00004000200099999";
    m_sim->estado().nsr = 42;
    m_sim->aplicaOpcao("relogio", "15/06/2025 10:30:20");
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.Status(m_p); }));
    QCOMPARE(RetornoComunicacao.size(), 48);
    QVERIFY(RetornoComunicacao.startsWith("0;15/06/25 10:30:"));
    QCOMPARE(RetornoComunicacao.mid(19), QString(";000000042;00004000200099999;"));
    QCOMPARE(RetornoComunicacao.mid(30, 17), QString("00004000200099999"));
    QCOMPARE(m.respostas().value(0), QString("STATUS DO EQUIPAMENTO"));
    QVERIFY(m.respostas().contains("NUMERO SERIAL: 00004000200099999"));
    QVERIFY(m.respostas().contains("Bateria: 0BB8"));
    QVERIFY(!m.respostas().contains("TIMEOUT - SEM RESPOSTA"));
}

void TestRep2::replyNuncaAceita_data()
{
    QTest::addColumn<QString>("chave");
    QTest::addColumn<QString>("valor");
    QTest::newRow("51-byte status") << "status-bytes"
                                    << "51";
    QTest::newRow("short") << "bytes-faltando"
                           << "1";
    QTest::newRow("over-long") << "bytes-extras"
                               << "3";
    QTest::newRow("garbage") << "lixo"
                             << "00FF2141";
    QTest::newRow("silent") << "silencioso"
                            << "1";
}

void TestRep2::replyNuncaAceita()
{
    QFETCH(QString, chave);
    QFETCH(QString, valor);
    QVERIFY(m_sim->aplicaOpcao(chave, valor));
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.Status(m_p); }));
    QCOMPARE(RetornoComunicacao, QString());
    QCOMPARE(m.respostas().last(), QString("TIMEOUT - SEM RESPOSTA"));
    QCOMPARE(MensagemRetorno(), QString("Não houve resposta do terminal"));
}

void TestRep2::respostaAtrasadaDentroDoPrazo()
{
    // Late, but within the time-out, and paced at the line speed.
    m_sim->defeitos().atrasoMs = 150;
    m_sim->defeitos().ritmoLinha = true;
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.RecebeEmpregador(m_p); }));
    QCOMPARE(RetornoComunicacao, QString("23;Envie o empregador"));
}

void TestRep2::silencioComTemposReais()
{
    m_sim->defeitos().silencioso = true;
    MotorREP2 m; // the program's timings
    QCOMPARE(m.tempos().timeout, 3000);
    QCOMPARE(m.tempos().envia, 100);
    QCOMPARE(m.tempos().finaliza, 200);
    QVERIFY(conversa(
        m, [&] { return m.Status(m_p); }, 8000));
    QCOMPARE(RetornoComunicacao, QString());
    QCOMPARE(m.respostas(), QStringList{"TIMEOUT - SEM RESPOSTA"});
}

void TestRep2::statusComTemposReaisNaJanela()
{
    TfREP2 w;
    QCOMPARE(w.windowTitle(), QString("Comunicação REP - protocolo novo"));
    QVERIFY(w.Status(m_p));
    QCOMPARE(w.textoComando(), QString("Status"));
    w.exec();
    QVERIFY(!w.motor().emConversa());
    QVERIFY(RetornoComunicacao.startsWith("0;"));
    QCOMPARE(w.textoStatus(), QString("Fim da comunicação"));
    // A second operation on the same window opens the port again.
    QVERIFY(w.RecebeEmpregador(m_p));
    w.exec();
    QCOMPARE(RetornoComunicacao, QString("23;Envie o empregador"));
}

void TestRep2::portaSemNada_data()
{
    QTest::addColumn<int>("porta");
    QTest::newRow("mapped to nothing") << 9;
    QTest::newRow("unknown number") << 250;
    QTest::newRow("zero") << 0;
}

void TestRep2::portaSemNada()
{
    QFETCH(int, porta);
    ArquivoConfig().escreveTexto("PORTAS", "COM9", m_pasta->arquivo("nao-existe"));
    TfREP2 w(rapido());
    QVERIFY(w.Status(parametrosSerial(porta)));
    w.exec(); // closes itself
    QVERIFY(!w.motor().emConversa());
    QVERIFY2(RetornoComunicacao.startsWith("1;Não foi possível abrir a porta de comunicação. Mensagem: "),
             qPrintable(RetornoComunicacao));
    QCOMPARE(codigoDoRetorno(RetornoComunicacao), 1);
    QVERIFY(m_sim->recebido().isEmpty());
}

void TestRep2::relogio()
{
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.AcertaDataHora(m_p, "15", "06", "2025", "10", "30", "20"); }));
    QCOMPARE(RetornoComunicacao, QString("0;Data/hora acertadas"));
    QCOMPARE(m.respostas(), (QStringList{"Resposta: !OK", "DATA/HORA ACERTADAS"}));
    QCOMPARE(ultimaRequisicao(), QByteArray("#CLK20301001150625") + rep2::checkTexto("20301001150625"));
    QCOMPARE(m_sim->relogio().date(), QDate(2025, 6, 15));
}

void TestRep2::relogioInvalidoNadaEnviado()
{
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.AcertaDataHora(m_p, "31", "02", "2025", "10", "30", "20"); }));
    QCOMPARE(RetornoComunicacao, QString("2;Formato de data/hora inválido"));
    QVERIFY(m_sim->recebido().isEmpty());
}

void TestRep2::empregadorCpf_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("doc");
    QTest::addColumn<QString>("cei");
    QTest::addColumn<QByteArray>("campoDoc");
    QTest::addColumn<QByteArray>("campoCei");
    QTest::newRow("CPF 11 digits") << 1 << "12345678901"
                                   << "" << QByteArray("   12345678901") << QByteArray(12, ' ');
    QTest::newRow("CPF 9 digits") << 1 << "123456789"
                                  << "" << QByteArray("   00123456789") << QByteArray(12, ' ');
    QTest::newRow("CNPJ") << 0 << "12345678000199"
                          << "1234" << QByteArray("12345678000199") << QByteArray("000000001234");
}

void TestRep2::empregadorCpf()
{
    QFETCH(int, tipo);
    QFETCH(QString, doc);
    QFETCH(QString, cei);
    QFETCH(QByteArray, campoDoc);
    QFETCH(QByteArray, campoCei);
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.EnviaEmpregador(m_p, "EMPRESA Ç", doc, cei, "FÁBRICA", tipo); }));
    QCOMPARE(RetornoComunicacao, QString("0;Empresa enviada"));
    const QByteArray r = ultimaRequisicao();
    QCOMPARE(r.left(4), tipo == 1 ? QByteArray("#EMF") : QByteArray("#EMP"));
    QCOMPARE(r.mid(4, 150), QByteArray("EMPRESA \xC7;").leftJustified(150, ' '));
    QCOMPARE(r.mid(154, 14), campoDoc);
    QCOMPARE(r.mid(168, 12), campoCei);
    QCOMPARE(r.mid(180, 100), QByteArray("F\xC1"
                                         "BRICA;")
                                  .leftJustified(100, ' '));
    QCOMPARE(r.mid(280, 2), QByteArray("\r\n"));
    QCOMPARE(r.mid(282), rep2::checkTexto(r.mid(4, 278)));
}

void TestRep2::empregadorRecusadoAntesDaPorta_data()
{
    QTest::addColumn<int>("nome");
    QTest::addColumn<int>("local");
    QTest::addColumn<int>("codigo");
    QTest::newRow("151-character name") << 151 << 10 << 9;
    QTest::newRow("101-character workplace") << 10 << 101 << 13;
}

void TestRep2::empregadorRecusadoAntesDaPorta()
{
    QFETCH(int, nome);
    QFETCH(int, local);
    QFETCH(int, codigo);
    TfREP2 w(rapido());
    QVERIFY(w.EnviaEmpregador(m_p, QString(nome, 'N'), "12345678000199", "", QString(local, 'L'), 0));
    w.exec();
    QCOMPARE(codigoDoRetorno(RetornoComunicacao), codigo);
    QTest::qWait(50);
    QVERIFY(m_sim->recebido().isEmpty());
}

void TestRep2::empregadorLidoDeVolta()
{
    MotorREP2 m(rapido());
    QVERIFY(
        conversa(m, [&] { return m.EnviaEmpregador(m_p, "ACME; LTDA", "12345678000199", "", "SEDE", 0); }));
    QVERIFY(conversa(m, [&] { return m.RecebeEmpregador(m_p); }));
    QVERIFY2(RetornoComunicacao.startsWith("0;1|ACME  LTDA"), qPrintable(RetornoComunicacao));
    const QStringList campos = RetornoComunicacao.mid(2).split('|');
    QCOMPARE(campos.size(), 5);
    QCOMPARE(campos[1].size(), 150);
    QCOMPARE(campos[2], QString("12345678000199"));
    QCOMPARE(campos[3], QString(12, ' '));
    QCOMPARE(campos[4].trimmed(), QString("SEDE"));
    QCOMPARE(m.respostas().value(0), QString("DADOS DO EMPREGADOR"));
    QCOMPARE(m.respostas().value(2), QString("Tipo: CNPJ"));
    QCOMPARE(m.ultimoEmpregador().cpfCnpj, QString("12345678000199"));
}

void TestRep2::empregadorAusente()
{
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.RecebeEmpregador(m_p); }));
    QCOMPARE(RetornoComunicacao, QString("23;Envie o empregador"));
}

void TestRep2::funcionarioCodigo_data()
{
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QByteArray>("campo");
    QTest::newRow("7 characters cut to 6") << "1234567" << QByteArray("123456");
    QTest::newRow("3 characters get 000") << "123" << QByteArray("123000");
}

void TestRep2::funcionarioCodigo()
{
    QFETCH(QString, codigo);
    QFETCH(QByteArray, campo);
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.EnviaFuncionario(m_p, codigo, "777", "12345678901", "MARIA", 0); }));
    QCOMPARE(RetornoComunicacao, QString("0;Funcionário enviado"));
    const QByteArray r = ultimaRequisicao();
    QCOMPARE(r.size(), 4 + 80 + 4);
    QCOMPARE(r.mid(4, 6), campo);
    QCOMPARE(r.mid(10, 8), QByteArray("00000777"));
    QCOMPARE(r.mid(18, 12), QByteArray("012345678901"));
    QCOMPARE(m_sim->estado().funcionarios.size(), 1);
}

void TestRep2::respostasTresBytes_data()
{
    QTest::addColumn<QString>("operacao");
    QTest::addColumn<QByteArray>("cmd");
    QTest::addColumn<QByteArray>("resposta");
    QTest::addColumn<QString>("linha");
    QTest::addColumn<QString>("resultado");
    const auto row = [](const char *op, const char *cmd, const char *resp, const char *linha,
                        const char *res) {
        QTest::addRow("%s %s", op, resp) << QString(op) << QByteArray(cmd) << QByteArray(resp)
                                         << QString::fromUtf8(linha) << QString::fromUtf8(res);
    };
    row("clock", "CLK", "!MR", "MRP CHEIA - DATA/HORA NÃO ACERTADAS - TROQUE O REP",
        "16;MRP Cheia - Data/hora não acertadas - troque o rep");
    row("clock", "CLK", "!ME", "ERRO NA MRP - DATA/HORA NÃO ACERTADAS - CONSULTE SEU FORNECEDOR",
        "17;Erro na MRP - Data/hora não acertadas");
    row("employee", "FUN", "!MT", "MT CHEIA - FUNCIONÁRIO NÃO ENVIADO - TROQUE O REP",
        "18;MT Cheia - funcionário não enviado");
    row("employee", "FUN", "!MR", "MRP CHEIA - FUNCIONÁRIO NÃO ENVIADO - TROQUE O REP",
        "19;MRP Cheia - funcionário não enviado");
    row("employee", "FUN", "!ME", "ERRO NA MRP - FUNCIONÁRIO NÃO ENVIADO - CONSULTE SEU FORNECEDOR",
        "20;Erro na MRP - funcionário não enviado");
    row("employer", "EMP", "!OK", "EMPRESA ENVIADA", "0;Empresa enviada");
    row("employer", "EMP", "!MR", "MRP CHEIA - EMPRESA NÃO ENVIADA - TROQUE O REP",
        "21;MRP Cheia - empresa não enviada");
    row("employer", "EMP", "!ME", "ERRO NA MRP - EMPRESA NÃO ENVIADA - CONSULTE SEU FORNECEDOR",
        "22;Erro na MRP - empresa não enviada");
    row("password", "SEN", "!OK", "SENHA ENVIADA", "0;Senha enviada");
    row("password", "SEN", "!ER", "SENHA  NÃO FOI ENVIADA", "14;Senha não foi enviada");
    row("mt start", "IMT", "!OK", "MT INICIADA", "");
    row("mt start", "IMT", "!ER", "MT NÃO FOI INICIADA", "");
    row("mrp start", "RMR", "!OK", "MRP INICIADA", "");
    row("mrp start", "RMR", "!ME", "MRP NÃO FOI INICIADA", "");
    row("template write", "WTL", "!OK", "BIOMETRIA ENVIADA", "0;Biometria enviada");
    row("template write", "WTL", "!BF", "MEMÓRIA DE TEMPLATES CHEIA - NÃO FOI POSSÍVEL ENVIAR",
        "24;Memória de templates cheia");
    row("template write", "WTL", "!LF", "LIMITE DE DEDOS ESGOTADO PARA ESSA MATRÍCULA!",
        "25;Limite de dedos esgotado para essa matricula");
    row("template read", "BRD", "!NF", "NÃO EXISTE TEMPLATE PARA ESSA MATRÍCULA/DEDO",
        "29;NÃO EXISTE TEMPLATE PARA ESSA MATRÍCULA/DEDO");
    row("erase all", "ZTL", "!OK", "TEMPLATES APAGADAS", "0;Biometrias apagadas");
    row("erase all", "ZTL", "!ER", "ERRO AO APAGAR TEMPLATES", "30;Erro ao apagar templates");
    row("erase enrolment", "XTL", "!OK", "TEMPLATES DA MATRICULA APAGADAS", "0;Biometria apagada");
    row("erase enrolment", "XTL", "!ER", "ERRO AO APAGAR TEMPLATES DA MATRICULA",
        "26;Erro ao apagar templates da matrícula");
}

void TestRep2::respostasTresBytes()
{
    QFETCH(QString, operacao);
    QFETCH(QByteArray, cmd);
    QFETCH(QByteArray, resposta);
    QFETCH(QString, linha);
    QFETCH(QString, resultado);
    m_sim->defeitos().respostaFixa.insert(cmd, resposta);
    m_interacao->respostaPadrao = true; // the working-memory start asks first
    QFile t(m_pasta->arquivo("template00000001_1.dig"));
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write(hexTemplate(1).toHex().toUpper());
    t.close();
    MotorREP2 m(rapido());
    const QMap<QString, std::function<bool()>> ops = {
        {"clock", [&] { return m.AcertaDataHora(m_p, "01", "01", "2026", "08", "00", "00"); }},
        {"employee", [&] { return m.EnviaFuncionario(m_p, "1", "2", "3", "X", 0); }},
        {"employer", [&] { return m.EnviaEmpregador(m_p, "X", "1", "", "Y", 0); }},
        {"password", [&] { return m.EnviaSenha(m_p, "1234"); }},
        {"mt start", [&] { return m.IniciaMT(m_p); }},
        {"mrp start", [&] { return m.IniciaMRP(m_p); }},
        {"template write", [&] { return m.GravaTemplate(m_p, "1", "template00000001_1.dig"); }},
        {"template read", [&] { return m.LeTemplate(m_p, "1", "1"); }},
        {"erase all", [&] { return m.ApagaTodasTemplates(m_p); }},
        {"erase enrolment", [&] { return m.ApagaTemplatesMatricula(m_p, "1"); }},
    };
    QVERIFY(conversa(m, ops.value(operacao)));
    QCOMPARE(m.respostas(), (QStringList{"Resposta: " + QString::fromLatin1(resposta), linha}));
    QCOMPARE(RetornoComunicacao, resultado);
}

void TestRep2::respostaNaoListada()
{
    // "!MT" means nothing to a clock request: traced, no result, and the conversation ends.
    m_sim->defeitos().respostaFixa.insert("CLK", "!MT");
    TfREP2 w(rapido());
    QVERIFY(w.AcertaDataHora(m_p, "01", "01", "2026", "08", "00", "00"));
    w.exec();
    QVERIFY(!w.motor().emConversa());
    QCOMPARE(w.motor().respostas(), QStringList{"Resposta: !MT"});
    QCOMPARE(RetornoComunicacao, QString());
}

void TestRep2::leituraMT()
{
    m_sim->aplicaOpcao("funcionario", "000001;00001234;012345678901;JOÃO DA SILVA");
    m_sim->aplicaOpcao("funcionario", "000002;00005678;012345678902;ANA");
    const QString arquivo = m_pasta->arquivo("mt.txt");
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.LeituraMT(m_p, arquivo); }));
    QCOMPARE(RetornoComunicacao, QString("0;Leitura realizada com sucesso"));
    QFile f(arquivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray c = f.readAll();
    QCOMPARE(c, QByteArray("00000100001234012345678901JO\xC3"
                           "O DA SILVA;\r\n"
                           "00000200005678012345678902ANA;\r\n!OK\r\n"));
}

void TestRep2::leituraMTArquivoNaoGravavel()
{
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.LeituraMT(m_p, m_pasta->arquivo("nao/existe/mt.txt")); }));
    QVERIFY2(RetornoComunicacao.startsWith("8;Não foi possível gravar o arquivo. Mensagem: "),
             qPrintable(RetornoComunicacao));
    QVERIFY(conversa(m, [&] { return m.LeituraMT(m_p, "  "); }));
    QCOMPARE(RetornoComunicacao, QString("7;Nome de arquivo inválido"));
}

void TestRep2::templateGravaListaLeConta()
{
    const QByteArray corpo = hexTemplate(5);
    QFile t(m_pasta->arquivo("template12345678_1.dig"));
    QVERIFY(t.open(QIODevice::WriteOnly));
    // Two lines of hexadecimal digits, lower case on the second.
    t.write(corpo.left(100).toHex().toUpper() + "\r\n" + corpo.mid(100).toHex() + "\r\n");
    t.close();

    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.GravaTemplate(m_p, "12345678", "template12345678_1.dig"); }));
    QCOMPARE(RetornoComunicacao, QString("0;Biometria enviada"));
    const QByteArray r = ultimaRequisicao();
    QCOMPARE(r.left(4), QByteArray("#WTL"));
    QCOMPARE(r.mid(4, 11), QByteArray("\x40\x07\x78\x56\x34\x12\x80\x01\x00\x00\x71", 11));
    int soma = 0;
    for (char c : r.mid(4, 11))
        soma += static_cast<unsigned char>(c);
    QCOMPARE(static_cast<unsigned char>(r.at(15)), static_cast<unsigned char>(soma & 0xFF));
    QCOMPARE(r.at(16), '\n');
    QCOMPARE(r.mid(17, 384), corpo);
    QCOMPARE(r.mid(401), rep2::checkCorpoTemplate(corpo));
    QCOMPARE(r.size(), 403);

    QVERIFY(conversa(m, [&] { return m.ListaTemplates(m_p); }));
    QCOMPARE(m.respostas(), (QStringList{"12345678", "NÃO EXISTEM TEMPLATES NA MEMÓRIA!"}));

    QVERIFY(conversa(m, [&] { return m.ContaTemplates(m_p, "12345678"); }));
    QCOMPARE(m.respostas(), QStringList{"TEMPLATES DA MATRICULA: 1"});

    QVERIFY(conversa(m, [&] { return m.TemplatesDisponiveis(m_p); }));
    QCOMPARE(m.respostas(), QStringList{"TEMPLATES DISPONÍVEIS PARA CADASTRO: 199"});

    QFile::remove(m_pasta->arquivo("template12345678_1.dig"));
    QSignalSpy lista(&m, &MotorREP2::arquivosTemplateAlterados);
    QVERIFY(conversa(m, [&] { return m.LeTemplate(m_p, "12345678", "1"); }));
    QCOMPARE(lista.count(), 1);
    QCOMPARE(MotorREP2::arquivosTemplate(), QStringList{"template12345678_1.dig"});
    QFile lido(m_pasta->arquivo("template12345678_1.dig"));
    QVERIFY(lido.open(QIODevice::ReadOnly));
    QCOMPARE(lido.readAll(), corpo.toHex().toUpper());
    QCOMPARE(ultimaRequisicao(), QByteArray("#BRD\x78\x56\x34\x12\x01", 9));
}

void TestRep2::templateArquivoNaoHex()
{
    QFile t(m_pasta->arquivo("templateruim.dig"));
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write("isto nao e hexadecimal\r\n");
    t.close();
    TfREP2 w(rapido());
    QVERIFY(w.motor().GravaTemplate(m_p, "12345678", "templateruim.dig"));
    w.exec();
    QVERIFY(!w.motor().emConversa());
    QCOMPARE(w.motor().respostas(), QStringList{"Arquivo de template inválido: \"templateruim.dig\""});
    QTest::qWait(50);
    QVERIFY(m_sim->recebido().isEmpty());
}

void TestRep2::templateArquivoInexistente()
{
    TfREP2 w(rapido());
    QVERIFY(w.motor().GravaTemplate(m_p, "12345678", "template12345678_3.dig"));
    w.exec();
    QVERIFY(!w.motor().emConversa());
    QCOMPARE(w.motor().respostas().value(0), QString("Arquivo não existe: \"template12345678_3.dig\""));
    // Header and LF only.
    QCOMPARE(ultimaRequisicao(),
             QByteArray("#WTL") + rep2::cabecalhoGravaTemplate(*rep2::matriculaBCD("12345678")) + '\n');
}

void TestRep2::listaTemplatesEmBlocos()
{
    m_sim->estado().matriculasPorBloco = 2;
    const QStringList mats{"00000001", "00000021", "12345678", "87654321", "99999999"};
    for (const QString &mat : mats)
        QVERIFY(m_sim->aplicaOpcao("template", mat + ";1"));
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.ListaTemplates(m_p); }));
    QCOMPARE(m.respostas(), QStringList(mats) << "NÃO EXISTEM TEMPLATES NA MEMÓRIA!");
    // Index bytes 0, 1, 2 and then 3, past the last block.
    QStringList pedidos;
    for (const QByteArray &r : m_sim->requisicoes())
        pedidos << r.toHex();
    QCOMPARE(pedidos, (QStringList{"2347494400", "2347494401", "2347494402", "2347494403"}));
}

void TestRep2::listaTemplatesVazia()
{
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.ListaTemplates(m_p); }));
    QCOMPARE(m.respostas(), QStringList{"NÃO EXISTEM TEMPLATES NA MEMÓRIA!"});
}

void TestRep2::senhaRecusadaNadaEnviado()
{
    MotorREP2 m(rapido());
    QVERIFY(!m.EnviaSenha(m_p, "12a"));
    QVERIFY(!m.EnviaSenha(m_p, "123"));
    QCOMPARE(m_interacao->textos(), (QStringList{"Senha inválida", "Tem q ter 4 digitos"}));
    QVERIFY(!m.emConversa());
    QTest::qWait(50);
    QVERIFY(m_sim->recebido().isEmpty());
}

void TestRep2::iniciaMTPergunta()
{
    m_sim->aplicaOpcao("funcionario", "1;2;3;X");
    MotorREP2 m(rapido());
    m_interacao->respostas = {false, true};
    QVERIFY(!m.IniciaMT(m_p));
    QVERIFY(m_sim->recebido().isEmpty());
    // The device takes longer than the ordinary time-out to answer this one.
    m_sim->estado().atrasoIniciaMTms = 700;
    QVERIFY(conversa(m, [&] { return m.IniciaMT(m_p); }));
    QCOMPARE(m.respostas(), (QStringList{"Resposta: !OK", "MT INICIADA"}));
    QCOMPARE(m_interacao->mensagens.first().texto,
             QString("Este processo demora aproximadamente 20 segundos. Deseja prosseguir?"));
    QVERIFY(m_sim->estado().funcionarios.isEmpty());
}

void TestRep2::logComChaveDebug_data()
{
    QTest::addColumn<bool>("debug");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void TestRep2::logComChaveDebug()
{
    QFETCH(bool, debug);
    ArquivoConfig().escreveBooleano("CONFIG", "debug", debug);
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.Status(m_p); }));
    QVERIFY(conversa(m, [&] { return m.RecebeEmpregador(m_p); }));
    QFile log(m_pasta->arquivo("log.txt"));
    QCOMPARE(log.exists(), debug);
    if (!debug)
        return;
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> linhas = log.readAll().trimmed().split('\n');
    // The requests are the only lines: "hh:nn:ss,zzz  -  >>> " + command text.
    QCOMPARE(linhas.size(), 2);
    QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d,\\d{3}  -  >>> \\$#TCM$")
                .match(QString::fromUtf8(linhas[0]))
                .hasMatch());
    QVERIFY(linhas[1].endsWith("  -  >>> #PME"));
}

void TestRep2::ocupadoRecusaSegunda()
{
    MotorREP2 m(rapido());
    QSignalSpy fim(&m, &MotorREP::terminou);
    QVERIFY(m.Status(m_p));
    QVERIFY(!m.RecebeEmpregador(m_p));
    QVERIFY(!m.ListaTemplates(m_p));
    QVERIFY(fim.wait(5000));
    QCOMPARE(fim.count(), 1);
    QVERIFY(RetornoComunicacao.startsWith("0;"));
    QCOMPARE(m_sim->requisicoes(), QList<QByteArray>{"$#TCM"});
}

void TestRep2::linhaCaiNoMeio()
{
    // The device goes away while a reply is awaited: the conversation still ends.
    m_sim->defeitos().silencioso = true;
    connect(
        m_sim.get(), &SimuladorRep2::requisicaoRecebida, m_sim.get(), [this] { m_sim->fecha(); },
        Qt::QueuedConnection);
    TfREP2 w(rapido());
    QVERIFY(w.Status(m_p));
    w.exec();
    QVERIFY(!w.motor().emConversa());
    QCOMPARE(RetornoComunicacao, QString());
    QCOMPARE(w.motor().respostas().last(), QString("TIMEOUT - SEM RESPOSTA"));
}

void TestRep2::arquivoDeEstadoDoSimulador()
{
    QFile f(m_pasta->arquivo("rep2.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("# REP2 de teste\nserial=123\nempregador-cpfcnpj=12345678000199\nempregador-nome=ACME\n\n"
            "funcionario=1;2;3;ANA\nresposta=CLK=!MR\n");
    f.close();
    QString erro;
    QVERIFY2(m_sim->carregaArquivo(f.fileName(), &erro), qPrintable(erro));
    QCOMPARE(m_sim->estado().serial, QString("00000000000000123"));
    QCOMPARE(m_sim->estado().funcionarios.size(), 1);
    MotorREP2 m(rapido());
    QVERIFY(conversa(m, [&] { return m.AcertaDataHora(m_p, "01", "01", "2026", "08", "00", "00"); }));
    QCOMPARE(codigoDoRetorno(RetornoComunicacao), 16);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("serial=1\nnada=2\n");
    f.close();
    QVERIFY(!m_sim->carregaArquivo(f.fileName(), &erro));
    QVERIFY2(erro.contains(":2:"), qPrintable(erro));
}

void TestRep2::janelaSempreFecha_data()
{
    QTest::addColumn<QString>("operacao");
    QTest::addColumn<QString>("chave");
    QTest::addColumn<QString>("valor");
    const QStringList ops{"status", "clock", "employer", "employee", "mt", "count", "free", "list"};
    const QList<QPair<QString, QString>> defeitos{
        {"lixo", "2121212121"}, {"bytes-faltando", "1"}, {"bytes-extras", "2"}, {"resposta-dupla", "1"}};
    for (const QString &op : ops)
        for (const auto &d : defeitos)
            QTest::addRow("%s %s", qPrintable(op), qPrintable(d.first)) << op << d.first << d.second;
}

void TestRep2::janelaSempreFecha()
{
    QFETCH(QString, operacao);
    QFETCH(QString, chave);
    QFETCH(QString, valor);
    QVERIFY(m_sim->aplicaOpcao(chave, valor));
    m_sim->aplicaOpcao("template", "12345678;1");
    m_sim->aplicaOpcao("funcionario", "1;2;3;X");
    TfREP2 w(rapido());
    MotorREP2 &m = w.motor();
    bool iniciou = false;
    if (operacao == "status")
        iniciou = m.Status(m_p);
    else if (operacao == "clock")
        iniciou = m.AcertaDataHora(m_p, "01", "01", "2026", "08", "00", "00");
    else if (operacao == "employer")
        iniciou = m.RecebeEmpregador(m_p);
    else if (operacao == "employee")
        iniciou = m.EnviaFuncionario(m_p, "1", "2", "3", "X", 1);
    else if (operacao == "mt")
        iniciou = m.LeituraMT(m_p, m_pasta->arquivo("mt.txt"));
    else if (operacao == "count")
        iniciou = m.ContaTemplates(m_p, "12345678");
    else if (operacao == "free")
        iniciou = m.TemplatesDisponiveis(m_p);
    else if (operacao == "list")
        iniciou = m.ListaTemplates(m_p);
    QVERIFY(iniciou);
    w.exec();
    QVERIFY(!m.emConversa());
    QVERIFY(!m.respostas().isEmpty());
}

void TestRep2::kelvoRepStatus()
{
    const QString bin = QStringLiteral(KELVO_BIN_DIR);
    if (!QFile::exists(bin + "/kelvo-rep") || !QFile::exists(bin + "/kelvo-rep-sim"))
        QFAIL("kelvo-rep and kelvo-rep-sim must be built");
    m_sim.reset(); // the real simulator program serves this one
    QProcess sim;
    sim.setProgram(bin + "/kelvo-rep-sim");
    sim.setArguments({"--model", "REP2", "--pty", "--set", "serial=00004000200077777"});
    sim.start();
    QVERIFY(sim.waitForStarted());
    QString caminho;
    for (int i = 0; i < 50 && caminho.isEmpty(); ++i) {
        sim.waitForReadyRead(100);
        while (sim.canReadLine()) {
            const QString l = QString::fromLocal8Bit(sim.readLine()).trimmed();
            if (l.startsWith("/dev/"))
                caminho = l;
        }
    }
    QVERIFY2(!caminho.isEmpty(), "the simulator prints its device path");
    QProcess rep;
    rep.start(bin + "/kelvo-rep",
              {"--ini", m_pasta->arquivo("sistema.INI"), "--serial", caminho, "--model", "REP2", "status"});
    QVERIFY(rep.waitForFinished(15000));
    const QString saida = QString::fromUtf8(rep.readAllStandardOutput()).trimmed();
    QCOMPARE(rep.exitCode(), 0);
    QCOMPARE(saida.size(), 48);
    QCOMPARE(saida.mid(30, 17), QString("00004000200077777"));

    // A TCP link is no way to reach a REP2.
    QProcess tcp;
    tcp.start(bin + "/kelvo-rep", {"--ini", m_pasta->arquivo("sistema.INI"), "--tcp", "127.0.0.1:5006",
                                   "--model", "REP2", "status"});
    QVERIFY(tcp.waitForFinished(15000));
    QCOMPARE(tcp.exitCode(), 2);
    sim.kill();
    sim.waitForFinished();
}

QTEST_MAIN(TestRep2)
#include "test_rep2.moc"
