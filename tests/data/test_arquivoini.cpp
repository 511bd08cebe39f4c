#include "data/arquivoini.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

using namespace kelvo;

class TestArquivoIni : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void chavesSemDiferencaDeCaixa();
    void padroesEValoresInvalidos();
    void escritaImediata();
    void base64_data();
    void base64();
    void arquivoEditadoAMao();
};

static void grava(const QString &caminho, const QByteArray &conteudo)
{
    QFile f(caminho);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(conteudo);
}

void TestArquivoIni::chavesSemDiferencaDeCaixa()
{
    teste::PastaTeste pasta;
    grava(pasta.arquivo("sistema.INI"), "[bdados]\nHostName=servidor\n[Config]\ndebug=1\n");
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leTexto("BDADOS", "HOSTNAME"), QString("servidor"));
    QCOMPARE(ini.leTexto("bdados", "hostname"), QString("servidor"));
    QVERIFY(ini.leBooleano("CONFIG", "DEBUG", false));
    // Writing "hostname" replaces the one key; nothing is duplicated.
    QVERIFY(ini.escreveTexto("BDADOS", "hostname", "outro"));
    ArquivoIni relido(pasta.arquivo("sistema.INI"));
    QCOMPARE(relido.leTexto("BDADOS", "HostName"), QString("outro"));
    QFile f(pasta.arquivo("sistema.INI"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray txt = f.readAll();
    QCOMPARE(txt.toLower().count("hostname="), 1);
}

void TestArquivoIni::padroesEValoresInvalidos()
{
    teste::PastaTeste pasta;
    grava(pasta.arquivo("sistema.INI"), "[COM]\nPORTA=abc\n[CONFIG]\nBAUDRATE=\nVERAFD=talvez\nDEBUG=0\n");
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leInteiro("COM", "PORTA", 1), 1);
    QCOMPARE(ini.leInteiro("CONFIG", "BAUDRATE", 3), 3);
    QCOMPARE(ini.leBooleano("CONFIG", "VERAFD", true), true);
    QCOMPARE(ini.leBooleano("CONFIG", "DEBUG", true), false);
    QCOMPARE(ini.leTexto("BDADOS", "HostName", ""), QString());
    QCOMPARE(ini.leInteiro("BDADOS", "PORTA", 3306), 3306);

    // The process-wide serial values fall back to their defaults too.
    abrirArquivoConfig(pasta.arquivo("sistema.INI"));
    releConfiguracaoSerial();
    QCOMPARE(portaSerialAtual(), 1);
    QCOMPARE(velocidadeAtual(), 3);
}

void TestArquivoIni::escritaImediata()
{
    teste::PastaTeste pasta;
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QVERIFY(ini.escreveBooleano("BANCO", "mascarado", true));
    QVERIFY(ini.escreveInteiro("BDADOS", "PORTA", 3309));
    QFile f(pasta.arquivo("sistema.INI"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray txt = f.readAll();
    QVERIFY(txt.contains("[BANCO]"));
    QVERIFY(txt.contains("mascarado=1"));
    QVERIFY(txt.contains("PORTA=3309"));
}

void TestArquivoIni::base64_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("codificado");
    QTest::newRow("administrador") << "ADMINISTRADOR" << "QURNSU5JU1RSQURPUg==";
    QTest::newRow("senha") << "BRAVELUX" << "QlJBVkVMVVg=";
    QTest::newRow("acento em cp1252") << QString::fromUtf8("joão") << "am/jbw==";
    QTest::newRow("vazio") << "" << "";
}

void TestArquivoIni::base64()
{
    QFETCH(QString, texto);
    QFETCH(QString, codificado);
    QCOMPARE(codificaBase64(texto), codificado);
    QCOMPARE(decodificaBase64(codificado), texto);
    QCOMPARE(decodificaBase64("não é base64!"), QString());
    QCOMPARE(decodificaBase64("QlJBVkVMVVg"), QString()); // fill missing
}

void TestArquivoIni::arquivoEditadoAMao()
{
    teste::PastaTeste pasta;
    grava(pasta.arquivo("sistema.INI"), "; editado\r\n[BDADOS]\r\nHostName = 10.0.0.5 \r\n");
    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leTexto("BDADOS", "HostName").trimmed(), QString("10.0.0.5"));
    QVERIFY(!ini.existe("BANCO", "qualbanco"));
    QCOMPARE(ini.leInteiro("BANCO", "qualbanco", 0), 0);
    QCOMPARE(ini.leBooleano("BANCO", "mascarado", false), false);
    QCOMPARE(ini.leTexto("BDADOS", "Database", "kelvo"), QString("kelvo"));
}

QTEST_GUILESS_MAIN(TestArquivoIni)
#include "test_arquivoini.moc"
