// Communication parameters, the result table, port numbering and the traces.

#include "data/sistema.h"
#include "device/common/parametros.h"
#include "device/common/portasserial.h"
#include "device/common/rastro.h"
#include "device/common/retorno.h"
#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlField>
#include <QSqlRecord>
#include <QTest>

using namespace kelvo;

class TestComum : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parametros_data();
    void parametros();
    void parametrosDeRegistro();
    void mensagemRetorno_data();
    void mensagemRetorno();
    void tabelaCompleta();
    void numeracaoPortas();
    void portasDoArquivo();
    void rastroDesligado();
    void rastroLigado();
};

void TestComum::parametros_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QVariant>("portaip");
    QTest::addColumn<QVariant>("portaserial");
    QTest::addColumn<int>("esperadoTipo");
    QTest::addColumn<int>("esperadoPortaIP");
    QTest::addColumn<int>("esperadoSerial");
    QTest::addColumn<QString>("esperadoIP");
    QTest::newRow("tcp com porta") << "T" << QVariant(7000) << QVariant() << 1 << 7000 << 0 << "10.0.0.5";
    QTest::newRow("tcp porta texto numerico")
        << "T" << QVariant(QStringLiteral("5010")) << QVariant() << 1 << 5010 << 0 << "10.0.0.5";
    QTest::newRow("tcp porta vazia") << "T" << QVariant(QString()) << QVariant() << 1 << 5006 << 0
                                     << "10.0.0.5";
    QTest::newRow("tcp porta nula") << "T" << QVariant() << QVariant(3) << 1 << 5006 << 0 << "10.0.0.5";
    QTest::newRow("tcp porta nao numerica")
        << "T" << QVariant(QStringLiteral("abc")) << QVariant() << 1 << 5006 << 0 << "10.0.0.5";
    QTest::newRow("serial") << "S" << QVariant(9000) << QVariant(12) << 0 << 0 << 12 << "";
    QTest::newRow("serial nula") << "S" << QVariant() << QVariant() << 0 << 0 << 0 << "";
    QTest::newRow("tipo desconhecido: serial 0") << "X" << QVariant(9000) << QVariant(4) << 0 << 0 << 0 << "";
    QTest::newRow("tipo vazio: serial 0") << "" << QVariant(9000) << QVariant(4) << 0 << 0 << 0 << "";
}

void TestComum::parametros()
{
    QFETCH(QString, tipo);
    QFETCH(QVariant, portaip);
    QFETCH(QVariant, portaserial);
    QFETCH(int, esperadoTipo);
    QFETCH(int, esperadoPortaIP);
    QFETCH(int, esperadoSerial);
    QFETCH(QString, esperadoIP);
    const LinhaColetor l{tipo, QStringLiteral("10.0.0.5"), portaip, portaserial};
    const TParametrosComunicacao p = preencheParametros(l);
    QCOMPARE(int(p.Tipo), esperadoTipo);
    QCOMPARE(p.PortaIP, esperadoPortaIP);
    QCOMPARE(p.PortaSerial, esperadoSerial);
    QCOMPARE(p.IP, esperadoIP);
}

void TestComum::parametrosDeRegistro()
{
    QSqlRecord r;
    r.append(QSqlField(QStringLiteral("tipocomunicacao"), QMetaType(QMetaType::QString)));
    r.append(QSqlField(QStringLiteral("ip"), QMetaType(QMetaType::QString)));
    r.append(QSqlField(QStringLiteral("portaip"), QMetaType(QMetaType::Int)));
    r.append(QSqlField(QStringLiteral("portaserial"), QMetaType(QMetaType::Int)));
    r.setValue(QStringLiteral("tipocomunicacao"), QStringLiteral("T"));
    r.setValue(QStringLiteral("ip"), QStringLiteral("192.168.0.10"));
    // portaip left null: the default port.
    TParametrosComunicacao p = preencheParametros(r);
    QCOMPARE(int(p.Tipo), 1);
    QCOMPARE(p.IP, QStringLiteral("192.168.0.10"));
    QCOMPARE(p.PortaIP, 5006);

    r.setValue(QStringLiteral("tipocomunicacao"), QStringLiteral("S"));
    r.setValue(QStringLiteral("portaserial"), 7);
    p = preencheParametros(r);
    QCOMPARE(int(p.Tipo), 0);
    QCOMPARE(p.PortaSerial, 7);
    QCOMPARE(p.PortaIP, 0);
}

void TestComum::mensagemRetorno_data()
{
    QTest::addColumn<QString>("retorno");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("vazio") << ""
                           << "Não houve resposta do terminal";
    QTest::newRow("sucesso") << "0;Data/Hora acertadas"
                             << "";
    QTest::newRow("1") << "1;Não foi possível conectar ao equipamento."
                       << "Não foi possível abrir a porta de comunicação";
    QTest::newRow("3 com texto diferente") << "3;Tamanho inválido para o campo código"
                                           << "Tamanho inválido para o campo CODIGO";
    QTest::newRow("6") << "6;Ação inválida"
                       << "Operação inválida";
    QTest::newRow("23") << "23;Envie o empregador"
                        << "Envie o empregador antes de coletar";
    QTest::newRow("30") << "30;x"
                        << "Erro ao apagar todas as templates";
    QTest::newRow("acima de 30") << "31;qualquer"
                                 << "";
    QTest::newRow("muito acima") << "999;qualquer"
                                 << "";
    QTest::newRow("sem codigo") << "abc;def"
                                << "Erro de conversão: 'abc' não é um valor inteiro válido";
    QTest::newRow("sem ponto e virgula") << "texto solto"
                                         << "Erro de conversão: '' não é um valor inteiro válido";
    QTest::newRow("so o codigo") << "16;"
                                 << "MRP Cheia - data/hora não acertadas";
}

void TestComum::mensagemRetorno()
{
    QFETCH(QString, retorno);
    QFETCH(QString, mensagem);
    QCOMPARE(MensagemRetorno(retorno), mensagem);
    RetornoComunicacao = retorno;
    QCOMPARE(MensagemRetorno(), mensagem);
    RetornoComunicacao.clear();
}

void TestComum::tabelaCompleta()
{
    QVERIFY(mensagemDoCodigo(0).isEmpty());
    for (int c = 1; c <= 30; ++c)
        QVERIFY2(!mensagemDoCodigo(c).isEmpty(), qPrintable(QString::number(c)));
    QCOMPARE(mensagemDoCodigo(17),
             QStringLiteral("Erro na mrp - data/hora não acertadas - consulte seu fornecedor"));
    QCOMPARE(mensagemDoCodigo(28), QStringLiteral("Equipamento não identificado"));
    QVERIFY(mensagemDoCodigo(31).isEmpty());
    QCOMPARE(codigoDoRetorno(QStringLiteral("23;Envie")), 23);
    QCOMPARE(codigoDoRetorno(QStringLiteral("x;")), -1);
    QCOMPARE(codigoDoRetorno(QString()), -1);
    QVERIFY(retornoSucesso(QStringLiteral("0;ok")));
    QVERIFY(!retornoSucesso(QString()));
}

void TestComum::numeracaoPortas()
{
    QMap<int, QString> conf;
    conf.insert(2, QStringLiteral("/dev/pts/9"));
    conf.insert(5, QStringLiteral("/dev/ttyUSB1"));
    const QStringList sistema{QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS0"),
                              QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS1")};
    const auto lista = plataforma::numeraPortasSeriais(conf, sistema);
    QStringList texto;
    for (const auto &p : lista)
        texto << p.descricao();
    // Configured entries keep their numbers; the others, in path order, fill 1, 3, 4.
    QCOMPARE(texto, QStringList({"COM1 (/dev/ttyACM0)", "COM2 (/dev/pts/9)", "COM3 (/dev/ttyS0)",
                                 "COM4 (/dev/ttyS1)", "COM5 (/dev/ttyUSB1)"}));
    QCOMPARE(plataforma::numeroDoNomeDePorta(QStringLiteral("com12")), 12);
    QCOMPARE(plataforma::numeroDoNomeDePorta(QStringLiteral("COMx")), 0);
    QCOMPARE(plataforma::numeroDoNomeDePorta(QStringLiteral("LPT1")), 0);
}

void TestComum::portasDoArquivo()
{
    teste::PastaTeste pasta;
    ArquivoConfig().escreveTexto(QStringLiteral("PORTAS"), QStringLiteral("COM7"),
                                 QStringLiteral("/dev/pts/42"));
    ArquivoConfig().escreveTexto(QStringLiteral("PORTAS"), QStringLiteral("com3"),
                                 QStringLiteral("/dev/pts/43"));
    ArquivoConfig().escreveTexto(QStringLiteral("PORTAS"), QStringLiteral("lixo"),
                                 QStringLiteral("/dev/pts/44"));
    QCOMPARE(dispositivoDaPorta(7), QStringLiteral("/dev/pts/42"));
    QCOMPARE(dispositivoDaPorta(3), QStringLiteral("/dev/pts/43"));
    QCOMPARE(dispositivoDaPorta(0), QString());
    QCOMPARE(numeroDoDispositivo(QStringLiteral("/dev/pts/42")), 7);
    QCOMPARE(portasConfiguradas().size(), 2);
    // A number nobody has gives no device.
    QCOMPARE(dispositivoDaPorta(999), QString());
}

void TestComum::rastroDesligado()
{
    teste::PastaTeste pasta;
    RastroREP r = RastroREP::daConfiguracao();
    QVERIFY(!r.debug);
    QVERIFY(!r.debugCom);
    r.log(QStringLiteral("ComandoREP 09"));
    r.protocolo(QStringLiteral(">>>>  TCM"));
    QVERIFY(!QFile::exists(pasta.arquivo(QStringLiteral("log.txt"))));
    QVERIFY(!QFile::exists(pasta.arquivo(QStringLiteral("logPROTOCOLO.txt"))));
}

void TestComum::rastroLigado()
{
    teste::PastaTeste pasta;
    ArquivoConfig().escreveBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUG"), true);
    ArquivoConfig().escreveBooleano(QStringLiteral("CONFIG"), QStringLiteral("DEBUGCOM"), true);
    RastroREP r = RastroREP::daConfiguracao();
    QVERIFY(r.debug);
    QVERIFY(r.debugCom);
    QStringList espelho;
    r.espelhoProtocolo = [&](const QString &l) { espelho << l; };
    r.log(QStringLiteral("ComandoREP 09"));
    r.log(QStringLiteral("comunicação finalizada"));
    r.protocolo(QStringLiteral(">>>>  TCM"));

    QFile log(pasta.arquivo(QStringLiteral("log.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList linhas = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(linhas.size(), 2);
    const QRegularExpression hora(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d,\\d\\d\\d"));
    QVERIFY(hora.match(linhas[0]).hasMatch());
    QCOMPARE(linhas[0].mid(12), QStringLiteral("  -  ComandoREP 09"));
    QCOMPARE(linhas[1].mid(12), QStringLiteral("  -  comunicação finalizada"));

    QFile prot(pasta.arquivo(QStringLiteral("logPROTOCOLO.txt")));
    QVERIFY(prot.open(QIODevice::ReadOnly));
    const QString p = QString::fromUtf8(prot.readAll());
    QVERIFY(hora.match(p).hasMatch());
    QCOMPARE(p.mid(12), QStringLiteral(" - >>>>  TCM\n"));
    QCOMPARE(espelho.size(), 1);
    QCOMPARE(espelho[0].mid(12), QStringLiteral(" - >>>>  TCM"));
}

QTEST_GUILESS_MAIN(TestComum)
#include "test_comum.moc"
