// kelvo-rep's device commands, running the real programs against
// kelvo-rep-sim on loopback TCP and on a pseudo-terminal.

#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <memory>

class TestKelvoRep : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void status_data();
    void status();
    void comPorNumero();
    void comandos_data();
    void comandos();
    void rastro();
    void semResposta();
    void usoErrado_data();
    void usoErrado();

private:
    // Starts the simulator; returns the line it prints (address or device path).
    QString iniciaSimulador(const QStringList &args);
    int executa(const QStringList &args, QString *saida, QString *erros = nullptr);

    std::unique_ptr<kelvo::teste::PastaTeste> m_pasta;
    std::unique_ptr<QProcess> m_sim;
};

void TestKelvoRep::init()
{
    m_pasta = std::make_unique<kelvo::teste::PastaTeste>();
}

void TestKelvoRep::cleanup()
{
    if (m_sim) {
        m_sim->kill();
        m_sim->waitForFinished(5000);
        m_sim.reset();
    }
    m_pasta.reset();
}

QString TestKelvoRep::iniciaSimulador(const QStringList &args)
{
    m_sim = std::make_unique<QProcess>();
    m_sim->start(QStringLiteral(KELVO_BIN_DIR "/kelvo-rep-sim"), args);
    if (!m_sim->waitForStarted(5000))
        return QString();
    while (!m_sim->canReadLine())
        if (!m_sim->waitForReadyRead(5000))
            return QString();
    return QString::fromUtf8(m_sim->readLine()).trimmed();
}

int TestKelvoRep::executa(const QStringList &args, QString *saida, QString *erros)
{
    QProcess p;
    p.start(QStringLiteral(KELVO_BIN_DIR "/kelvo-rep"),
            QStringList{QStringLiteral("--ini"), m_pasta->arquivo(QStringLiteral("sistema.INI"))} + args);
    if (!p.waitForFinished(60000))
        return -1;
    *saida = QString::fromUtf8(p.readAllStandardOutput());
    if (erros)
        *erros = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void TestKelvoRep::status_data()
{
    QTest::addColumn<QString>("linha");
    QTest::newRow("tcp") << "--tcp";
    QTest::newRow("serial") << "--serial";
}

void TestKelvoRep::status()
{
    QFETCH(QString, linha);
    const QStringList ligacao =
        linha == QLatin1String("--tcp") ? QStringList{"--tcp", "0"} : QStringList{"--pty"};
    const QString onde =
        iniciaSimulador(ligacao + QStringList{"--nsr", "77", "--serial-number", "00004000100054321",
                                              "--clock", "01/03/2024 14:05:09"});
    QVERIFY2(!onde.isEmpty(), "the simulator did not start");
    QString saida;
    QCOMPARE(executa({linha, onde, "status"}, &saida), 0);
    QVERIFY(saida.endsWith(QLatin1Char('\n')));
    const QString r = saida.trimmed();
    QVERIFY2(r.startsWith(QLatin1String("0;01/03/24 14:05:")), qPrintable(r));
    QCOMPARE(r.mid(19, 1), QStringLiteral(";"));
    QCOMPARE(r.mid(20, 9), QStringLiteral("000000077"));
    QCOMPARE(r.mid(30, 17), QStringLiteral("00004000100054321"));
    QCOMPARE(r.size(), 48);
}

void TestKelvoRep::comPorNumero()
{
    const QString dispositivo = iniciaSimulador({"--pty"});
    QVERIFY(!dispositivo.isEmpty());
    QFile ini(m_pasta->arquivo(QStringLiteral("sistema.INI")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QByteArray("[PORTAS]\nCOM4=") + dispositivo.toUtf8() + "\n");
    ini.close();
    QString saida;
    QCOMPARE(executa({"--com", "4", "clock", "01", "03", "2024", "14", "05", "09"}, &saida), 0);
    QCOMPARE(saida, QStringLiteral("0;Data/Hora acertadas\n"));
}

void TestKelvoRep::comandos_data()
{
    QTest::addColumn<QStringList>("simulador");
    QTest::addColumn<QStringList>("comando");
    QTest::addColumn<int>("saidaEsperada");
    QTest::addColumn<QString>("texto");
    QTest::newRow("employer-read sem empregador")
        << QStringList{} << QStringList{"employer-read"} << 1 << "23;Envie o empregador";
    QTest::newRow("employer-send") << QStringList{}
                                   << QStringList{"employer-send", "ACME", "12345678901", "", "Rua", "1"} << 0
                                   << "0;Empresa enviada";
    QTest::newRow("employer-send recusado")
        << QStringList{"--refuse", "MR"} << QStringList{"employer-send", "ACME", "1", "", "Rua", "0"} << 1
        << "21;MRP cheia - empresa não enviada - troque o rep";
    QTest::newRow("employer-send tipo invalido")
        << QStringList{} << QStringList{"employer-send", "A", "1", "", "R", "5"} << 1
        << "12;Valor inválido para o campo Tipo de Empregador";
    QTest::newRow("employee-send") << QStringList{}
                                   << QStringList{"employee-send", "123", "45", "1234567890", "ANA", "0"} << 0
                                   << "0;Funcionário enviado";
    QTest::newRow("employee-send matricula longa")
        << QStringList{} << QStringList{"employee-send", "1", "123456789", "1", "ANA", "0"} << 1
        << "4;Tamanho inválido para o campo matrícula";
    QTest::newRow("clock invalido") << QStringList{}
                                    << QStringList{"clock", "31", "02", "2024", "10", "00", "00"} << 1
                                    << "2;Formato de data/hora inválido";
    QTest::newRow("clock do computador")
        << QStringList{} << QStringList{"clock"} << 0 << "0;Data/Hora acertadas";
    QTest::newRow("mt-read") << QStringList{"--employee", "1;2;3;ANA"} << QStringList{"mt-read", "@mt.txt"}
                             << 0 << "0;Leitura realizada com sucesso";
}

void TestKelvoRep::comandos()
{
    QFETCH(QStringList, simulador);
    QFETCH(QStringList, comando);
    QFETCH(int, saidaEsperada);
    QFETCH(QString, texto);
    const QString onde = iniciaSimulador(QStringList{"--tcp", "0"} + simulador);
    QVERIFY(!onde.isEmpty());
    for (QString &c : comando)
        if (c.startsWith(QLatin1Char('@')))
            c = m_pasta->arquivo(c.mid(1));
    QString saida;
    QCOMPARE(executa(QStringList{"--tcp", onde} + comando, &saida), saidaEsperada);
    QCOMPARE(saida, texto + QLatin1Char('\n'));
    if (comando.first() == QLatin1String("mt-read")) {
        QFile f(m_pasta->arquivo(QStringLiteral("mt.txt")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("10000000000002000000000003ANA;") + QByteArray(48, ' ') + "\r\n");
    }
}

void TestKelvoRep::rastro()
{
    const QString onde = iniciaSimulador({"--tcp", "0"});
    QString saida, erros;
    QCOMPARE(executa({"--trace", "--tcp", onde, "status"}, &saida, &erros), 0);
    QVERIFY2(erros.contains(QLatin1String(" - >>>>  TCM\n")), qPrintable(erros));
    QVERIFY(erros.contains(QLatin1String(" - <<<< [CMD_INICIASERIAL]  33 (!)\n")));
    // Without the switches no trace file is written.
    QVERIFY(!QFile::exists(m_pasta->arquivo(QStringLiteral("logPROTOCOLO.txt"))));
    QVERIFY(!QFile::exists(m_pasta->arquivo(QStringLiteral("log.txt"))));
}

void TestKelvoRep::semResposta()
{
    // With the specified timings: five repeats, six ticks, then an empty line.
    const QString onde = iniciaSimulador({"--tcp", "0", "--silent"});
    QString saida;
    QCOMPARE(executa({"--tcp", onde, "status"}, &saida), 1);
    QCOMPARE(saida, QStringLiteral("\n"));
}

void TestKelvoRep::usoErrado_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nada") << QStringList{};
    QTest::newRow("sem linha") << QStringList{"status"};
    QTest::newRow("comando desconhecido") << QStringList{"--tcp", "127.0.0.1:1", "reboot"};
    QTest::newRow("argumentos a menos") << QStringList{"--tcp", "127.0.0.1:1", "clock", "01", "02"};
    QTest::newRow("acao nao numerica")
        << QStringList{"--tcp", "127.0.0.1:1", "employee-send", "1", "2", "3", "A", "x"};
    QTest::newRow("porta invalida") << QStringList{"--tcp", "127.0.0.1:abc", "status"};
    QTest::newRow("REP2 por TCP") << QStringList{"--tcp", "127.0.0.1:1", "--model", "REP2", "status"};
    QTest::newRow("modelo desconhecido") << QStringList{"--com", "1", "--model", "XPTO", "status"};
}

void TestKelvoRep::usoErrado()
{
    QFETCH(QStringList, args);
    QString saida, erros;
    QCOMPARE(executa(args, &saida, &erros), 2);
    QVERIFY(saida.isEmpty());
    QVERIFY(erros.contains(QLatin1String("uso: kelvo-rep")));
}

QTEST_GUILESS_MAIN(TestKelvoRep)
#include "test_kelvorep.moc"
