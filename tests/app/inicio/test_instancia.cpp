// One running copy per user session: the second copy finds the first, asks it
// to come forward and ends.

#include "platform/instancia.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kelvo;

class TestInstancia : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void segundaEncontraAPrimeira();
    void travaDeProcessoMortoNaoImpede();
    void programaRealIniciadoDuasVezes();
};

void TestInstancia::segundaEncontraAPrimeira()
{
    QTemporaryDir pasta;
    InstanciaUnica primeira(QStringLiteral("REP Horatrix"), pasta.path());
    QVERIFY(primeira.tornaPrimeira());
    QSignalSpy ativacao(&primeira, &InstanciaUnica::ativacaoPedida);

    {
        InstanciaUnica segunda(QStringLiteral("REP Horatrix"), pasta.path());
        QVERIFY(!segunda.tornaPrimeira(500));
        QVERIFY(!segunda.primeira());
    }
    QVERIFY(ativacao.wait(5000));
    QCOMPARE(ativacao.count(), 1);

    // Another name is another program: not affected.
    InstanciaUnica outra(QStringLiteral("Outro programa"), pasta.path());
    QVERIFY(outra.tornaPrimeira());
}

void TestInstancia::travaDeProcessoMortoNaoImpede()
{
    QTemporaryDir pasta;
    {
        // A copy that died left its lock file and its socket behind.
        InstanciaUnica morta(QStringLiteral("REP Horatrix"), pasta.path());
        QVERIFY(morta.tornaPrimeira());
    }
    QFile trava(pasta.filePath(QStringLiteral("REP Horatrix.lock")));
    QVERIFY(trava.open(QIODevice::WriteOnly));
    trava.write("999999\nkelvo\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    trava.close();
    QFile socket(pasta.filePath(QStringLiteral("REP Horatrix.socket")));
    if (!socket.exists()) {
        QVERIFY(socket.open(QIODevice::WriteOnly));
        socket.close();
    }

    InstanciaUnica nova(QStringLiteral("REP Horatrix"), pasta.path());
    QVERIFY(nova.tornaPrimeira());
    // And it really listens: a later copy finds it.
    QSignalSpy ativacao(&nova, &InstanciaUnica::ativacaoPedida);
    InstanciaUnica depois(QStringLiteral("REP Horatrix"), pasta.path());
    QVERIFY(!depois.tornaPrimeira(500));
    QVERIFY(ativacao.wait(5000));
}

void TestInstancia::programaRealIniciadoDuasVezes()
{
    const QString programa = QStringLiteral(KELVO_BIN_DIR "/kelvo");
    if (!QFile::exists(programa))
        QSKIP("the kelvo program is not built");
    QTemporaryDir runtime, dados;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), dados.path());
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcess primeira;
    primeira.setProcessEnvironment(env);
    primeira.start(programa, {});
    QVERIFY(primeira.waitForStarted());
    // The first copy holds the lock once its socket is listening.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.filePath(QStringLiteral("REP Horatrix.socket"))), 10000);

    QProcess segunda;
    segunda.setProcessEnvironment(env);
    segunda.start(programa, {});
    QVERIFY(segunda.waitForFinished(10000));
    QCOMPARE(segunda.exitStatus(), QProcess::NormalExit);
    QCOMPARE(segunda.exitCode(), 0);
    // Silently: nothing on its outputs.
    QCOMPARE(segunda.readAllStandardOutput(), QByteArray());
    QVERIFY2(!segunda.readAllStandardError().contains("Aviso"), "the second copy showed something");

    QCOMPARE(primeira.state(), QProcess::Running);
    primeira.kill();
    primeira.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestInstancia)
#include "test_instancia.moc"
