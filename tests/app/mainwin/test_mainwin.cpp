// The main window's device windows: new-REP wizard, device information window
// and options window, driven as a user would.
#include "app/config.h"
#include "app/mostrainforel.h"
#include "app/novorel.h"
#include "data/interacao.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace kelvo;
using namespace kelvo::teste;

namespace {

QList<QPair<int, QString>> portasDeTeste()
{
    return {{1, QStringLiteral("COM1 (/dev/ttyS0)")},
            {3, QStringLiteral("COM3 (/dev/ttyUSB0)")},
            {12, QStringLiteral("COM12 (/dev/pts/7)")}};
}

} // namespace

class TestMainWin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // wizard
    void assistente_fluxoDePaginas();
    void assistente_avisos();
    void assistente_cancelar_data();
    void assistente_cancelar();
    void assistente_portaSoDigitos();
    void assistente_portaSerialEscolhida();

    // information window
    void info_fatias_data();
    void info_fatias();

    // options window
    void opcoes_confirmarSemMudarNadaMantemChaves();
    void opcoes_portaDeDoisDigitosSelecionada();
    void opcoes_velocidade_data();
    void opcoes_velocidade();
    void opcoes_tipoLeitorUsb();
    void opcoes_cancelarSeletorMantemPasta();
    void opcoes_escolherPasta();
    void opcoes_semPortas();
    void opcoes_cancelarNaoGrava();

private:
    std::unique_ptr<PastaTeste> m_pasta;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
};

void TestMainWin::init()
{
    m_pasta = std::make_unique<PastaTeste>();
    m_gravada = InteracaoGravada();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
}

void TestMainWin::cleanup()
{
    m_escopo.reset();
    m_pasta.reset();
}

// ---------------------------------------------------------------- wizard

void TestMainWin::assistente_fluxoDePaginas()
{
    TfmNovoRel w(portasDeTeste());
    w.show();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaBemVindo));
    QVERIFY(!w.botaoAnterior()->isVisible());
    QCOMPARE(w.botaoAvancar()->text(), QStringLiteral("Avançar"));
    QVERIFY(w.botaoSerial()->isChecked());
    QVERIFY(!w.botaoTcp()->isChecked());

    w.botaoAvancar()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTipo));
    QVERIFY(w.botaoAnterior()->isVisible());

    // Serial 232 (pressed by default) leads to the serial page.
    w.botaoAvancar()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaSerial));
    QCOMPARE(w.listaPortas()->currentIndex(), 0);
    w.botaoAvancar()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaNome));
    QCOMPARE(w.botaoAvancar()->text(), QStringLiteral("Concluir"));

    // Back from the name page goes to the link-type page, then to the welcome.
    w.botaoAnterior()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTipo));
    QCOMPARE(w.botaoAvancar()->text(), QStringLiteral("Avançar"));
    w.botaoTcp()->click();
    QVERIFY(w.botaoTcp()->isChecked());
    QVERIFY(!w.botaoSerial()->isChecked());
    w.botaoAvancar()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTcp));
    QCOMPARE(w.campoIp()->text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(w.campoPorta()->text(), QStringLiteral("5006"));
    w.botaoAnterior()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTipo));
    w.botaoAnterior()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaBemVindo));
    QVERIFY(!w.botaoAnterior()->isVisible());
    QVERIFY(m_gravada.mensagens.isEmpty());
    QCOMPARE(w.result(), 0);
}

void TestMainWin::assistente_avisos()
{
    TfmNovoRel w(portasDeTeste());
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.avancar();
    w.botaoTcp()->click();
    w.avancar();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTcp));

    // Dynamic IP without a URL.
    w.caixaIpDinamico()->setChecked(true);
    w.botaoAvancar()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTcp));
    QCOMPARE(m_gravada.textos(), QStringList{QStringLiteral("Favor informar a URL!")});
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Aviso);
    QCOMPARE(m_gravada.mensagens.last().titulo, QStringLiteral("Aviso"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w.campoUrl()));

    QTest::keyClicks(w.campoUrl(), QStringLiteral("rep.exemplo.com.br"));
    w.botaoAvancar()->click();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaNome));

    // A name of blanks only is no name.
    m_gravada.limpa();
    QTest::keyClicks(w.campoNome(), QStringLiteral("   "));
    w.botaoAvancar()->click();
    QCOMPARE(m_gravada.textos(), QStringList{QStringLiteral("Informe o nome do equipamento!")});
    QVERIFY(w.isVisible());
    QCOMPARE(w.result(), 0);

    w.campoNome()->setText(QStringLiteral("Portaria"));
    w.botaoAvancar()->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(w.tcpIp());
    QVERIFY(w.ipDinamico());
    QCOMPARE(w.url(), QStringLiteral("rep.exemplo.com.br"));
    QCOMPARE(w.nome(), QStringLiteral("Portaria"));
    QCOMPARE(w.portaIp(), 5006);
}

void TestMainWin::assistente_cancelar_data()
{
    QTest::addColumn<bool>("esc");
    QTest::addColumn<bool>("resposta");
    QTest::newRow("Cancelar, Não") << false << false;
    QTest::newRow("Cancelar, Sim") << false << true;
    QTest::newRow("Esc, Não") << true << false;
    QTest::newRow("Esc, Sim") << true << true;
}

void TestMainWin::assistente_cancelar()
{
    QFETCH(bool, esc);
    QFETCH(bool, resposta);
    TfmNovoRel w(portasDeTeste());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    w.avancar();
    m_gravada.respostas = {resposta};
    if (esc)
        QTest::keyClick(&w, Qt::Key_Escape);
    else
        w.botaoCancelar()->click();
    QCOMPARE(m_gravada.mensagens.size(), 1);
    QCOMPARE(m_gravada.mensagens[0].texto, QStringLiteral("Deseja cancelar o assistente?"));
    QVERIFY(m_gravada.mensagens[0].pergunta);
    QCOMPARE(w.isVisible(), !resposta);
    QCOMPARE(w.result(), resposta ? int(QDialog::Rejected) : 0);
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaTipo));
}

void TestMainWin::assistente_portaSoDigitos()
{
    TfmNovoRel w(portasDeTeste());
    w.show();
    QLineEdit *porta = w.campoPorta();
    porta->setFocus();
    porta->end(false);
    QTest::keyClick(porta, Qt::Key_Backspace);
    QTest::keyClicks(porta, QStringLiteral("a1b-2 "));
    QCOMPARE(porta->text(), QStringLiteral("50012"));
    porta->selectAll();
    QTest::keyClick(porta, Qt::Key_Backspace);
    QCOMPARE(porta->text(), QString());
    QTest::keyClicks(porta, QStringLiteral("x9x"));
    QCOMPARE(porta->text(), QStringLiteral("9"));
}

void TestMainWin::assistente_portaSerialEscolhida()
{
    TfmNovoRel w(portasDeTeste());
    w.show();
    w.avancar();
    w.avancar();
    QCOMPARE(w.pagina(), int(TfmNovoRel::PaginaSerial));
    QCOMPARE(w.portaSerialEscolhida(), 1);
    w.listaPortas()->setCurrentIndex(2);
    QCOMPARE(w.listaPortas()->currentText(), QStringLiteral("COM12 (/dev/pts/7)"));
    QCOMPARE(w.portaSerialEscolhida(), 12);

    // A machine without serial ports cannot go past the serial page.
    TfmNovoRel vazio({});
    vazio.show();
    vazio.avancar();
    vazio.avancar();
    QCOMPARE(vazio.portaSerialEscolhida(), -1);
    vazio.avancar();
    QCOMPARE(vazio.pagina(), int(TfmNovoRel::PaginaSerial));
    QCOMPARE(m_gravada.mensagens.size(), 1);
}

// ---------------------------------------------------------- information window

void TestMainWin::info_fatias_data()
{
    QTest::addColumn<QString>("nsr");
    QTest::addColumn<qint64>("usado");
    QTest::addColumn<qint64>("livre");
    QTest::newRow("100") << "000000100" << qint64(100) << qint64(61356575);
    QTest::newRow("vazia") << "000000000" << qint64(0) << qint64(61356675);
    QTest::newRow("cheia") << "061356675" << qint64(61356675) << qint64(0);
    QTest::newRow("não numérico") << "ABC" << qint64(0) << qint64(61356675);
}

void TestMainWin::info_fatias()
{
    QFETCH(QString, nsr);
    QFETCH(qint64, usado);
    QFETCH(qint64, livre);
    TfMostraInfoRel w;
    w.preenche(QStringLiteral("Portaria"), QStringLiteral("00004000010000001"),
               QStringLiteral("11/12/26 10:20:30"), nsr, false);
    QCOMPARE(w.windowTitle(), QStringLiteral("Informações sobre o equipamento"));
    QCOMPARE(w.espacoUsado(), usado);
    QCOMPARE(w.espacoLivre(), livre);
    const auto fatias = w.serieMemoria()->slices();
    QCOMPARE(fatias.size(), 2);
    QCOMPARE(fatias[0]->label(), QStringLiteral("Espaço usado"));
    QCOMPARE(fatias[0]->color(), QColor(Qt::blue));
    QCOMPARE(fatias[1]->label(), QStringLiteral("Espaço livre"));
    QCOMPARE(fatias[1]->color(), QColor(255, 0, 255));
    w.show();
    QVERIFY(!w.botaoInserir()->isVisible());
    QVERIFY(w.botaoOk()->isVisible());
}

// --------------------------------------------------------------- options window

void TestMainWin::opcoes_confirmarSemMudarNadaMantemChaves()
{
    ArquivoIni &ini = ArquivoConfig();
    ini.escreveTexto("COM", "PORTA", "12");
    ini.escreveTexto("COM", "PORTAIBUTTON", "3");
    ini.escreveTexto("COM", "PORTAPROX", "1");
    ini.escreveTexto("CONFIG", "BAUDRATE", "1");
    ini.escreveTexto("CONFIG", "VERAFD", "0");
    ini.escreveTexto("CONFIG", "AFDFOLDER", "/srv/afd");
    ini.escreveTexto("CONFIG", "TIPOIBUTTON", "6");
    // A reader's port that is not on this machine now stays as stored.
    ini.escreveTexto("COM", "PORTAPROX", "7");
    const QStringList secoes{"COM", "CONFIG"};
    QMap<QString, QString> antes;
    for (const QString &s : secoes)
        for (const QString &k : ini.chaves(s))
            antes[s + "/" + k.toUpper()] = ini.leTexto(s, k);

    TfConfig w(portasDeTeste());
    QCOMPARE(w.listaRep()->currentText(), QStringLiteral("COM12 (/dev/pts/7)"));
    QCOMPARE(w.listaIbutton()->currentText(), QStringLiteral("COM3 (/dev/ttyUSB0)"));
    QCOMPARE(w.listaProximidade()->currentIndex(), 0);
    QCOMPARE(w.listaVelocidade()->currentText(), QStringLiteral("19200"));
    QCOMPARE(w.listaTipoLeitor()->currentText(), QStringLiteral("USB"));
    QVERIFY(!w.caixaVerAfd()->isChecked());
    QCOMPARE(w.campoPasta()->text(), QStringLiteral("/srv/afd"));
    w.botaoOk()->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));

    ArquivoIni relido(ini.caminho());
    QMap<QString, QString> depois;
    for (const QString &s : secoes)
        for (const QString &k : relido.chaves(s))
            depois[s + "/" + k.toUpper()] = relido.leTexto(s, k);
    QCOMPARE(depois, antes);
    QVERIFY(m_gravada.mensagens.isEmpty());
}

void TestMainWin::opcoes_portaDeDoisDigitosSelecionada()
{
    ArquivoConfig().escreveTexto("COM", "PORTA", "12");
    TfConfig w(portasDeTeste());
    QCOMPARE(w.listaRep()->currentIndex(), 2);
    // The other lists are at their defaults ("1").
    QCOMPARE(w.listaIbutton()->currentIndex(), 0);
    w.listaRep()->setCurrentIndex(1);
    w.listaProximidade()->setCurrentIndex(2);
    w.botaoOk()->click();
    QCOMPARE(ArquivoConfig().leTexto("COM", "PORTA"), QStringLiteral("3"));
    QCOMPARE(ArquivoConfig().leTexto("COM", "PORTAIBUTTON"), QStringLiteral("1"));
    QCOMPARE(ArquivoConfig().leTexto("COM", "PORTAPROX"), QStringLiteral("12"));
}

void TestMainWin::opcoes_velocidade_data()
{
    QTest::addColumn<QString>("guardada");
    QTest::addColumn<QString>("mostrada");
    QTest::addColumn<int>("escolhida");
    QTest::addColumn<QString>("gravada");
    QTest::newRow("0 mostra 9600") << "0"
                                   << "9600" << -1 << "0";
    QTest::newRow("ausente mostra 115200") << ""
                                           << "115200" << -1 << "3";
    QTest::newRow("escolher 115200 grava 3") << "0"
                                             << "9600" << 3 << "3";
    QTest::newRow("escolher 57600 grava 2") << "3"
                                            << "115200" << 2 << "2";
}

void TestMainWin::opcoes_velocidade()
{
    QFETCH(QString, guardada);
    QFETCH(QString, mostrada);
    QFETCH(int, escolhida);
    QFETCH(QString, gravada);
    if (!guardada.isEmpty())
        ArquivoConfig().escreveTexto("CONFIG", "BAUDRATE", guardada);
    TfConfig w(portasDeTeste());
    QCOMPARE(w.listaVelocidade()->currentText(), mostrada);
    if (escolhida >= 0)
        w.listaVelocidade()->setCurrentIndex(escolhida);
    w.botaoOk()->click();
    QCOMPARE(ArquivoConfig().leTexto("CONFIG", "BAUDRATE"), gravada);
}

void TestMainWin::opcoes_tipoLeitorUsb()
{
    TfConfig w(portasDeTeste());
    QCOMPARE(w.listaTipoLeitor()->currentText(), QStringLiteral("Serial"));
    QCOMPARE(w.listaTipoLeitor()->count(), 2);
    w.listaTipoLeitor()->setCurrentIndex(w.listaTipoLeitor()->findText(QStringLiteral("USB")));
    w.botaoOk()->click();
    QCOMPARE(ArquivoConfig().leInteiro("CONFIG", "TIPOIBUTTON", 0), 6);

    TfConfig w2(portasDeTeste());
    QCOMPARE(w2.listaTipoLeitor()->currentText(), QStringLiteral("USB"));
    w2.listaTipoLeitor()->setCurrentIndex(0);
    w2.botaoOk()->click();
    QCOMPARE(ArquivoConfig().leInteiro("CONFIG", "TIPOIBUTTON", 0), 1);
}

void TestMainWin::opcoes_cancelarSeletorMantemPasta()
{
    const QString pasta = m_pasta->caminho() + "afd";
    QDir().mkpath(pasta);
    ArquivoConfig().escreveTexto("CONFIG", "AFDFOLDER", pasta);
    TfConfig w(portasDeTeste());
    w.show();
    QString titulo;
    bool apenasPastas = false;
    QTimer::singleShot(0, &w, [&] {
        QFileDialog *d = w.seletorPasta();
        QVERIFY(d);
        titulo = d->windowTitle();
        apenasPastas = d->fileMode() == QFileDialog::Directory && d->testOption(QFileDialog::ShowDirsOnly);
        d->reject();
    });
    w.botaoProcurar()->click();
    QCOMPARE(titulo, QStringLiteral("Selecione a pasta desejada"));
    QVERIFY(apenasPastas);
    QCOMPARE(w.campoPasta()->text(), pasta);
    w.botaoOk()->click();
    QCOMPARE(ArquivoConfig().leTexto("CONFIG", "AFDFOLDER"), pasta);
}

void TestMainWin::opcoes_escolherPasta()
{
    const QString nova = m_pasta->caminho() + "coletas";
    QDir().mkpath(nova);
    TfConfig w(portasDeTeste());
    // Default: the program folder.
    QCOMPARE(w.campoPasta()->text(), PastaPrograma());
    w.show();
    QTimer::singleShot(0, &w, [&] {
        QFileDialog *d = w.seletorPasta();
        QVERIFY(d);
        d->setDirectory(nova);
        d->selectFile(nova);
        static_cast<QDialog *>(d)->accept();
    });
    w.botaoProcurar()->click();
    QCOMPARE(QDir(w.campoPasta()->text()).canonicalPath(), QDir(nova).canonicalPath());
}

void TestMainWin::opcoes_semPortas()
{
    ArquivoConfig().escreveTexto("COM", "PORTA", "4");
    TfConfig w(QList<QPair<int, QString>>{});
    QCOMPARE(w.listaRep()->count(), 0);
    QCOMPARE(w.listaIbutton()->count(), 0);
    QCOMPARE(w.listaProximidade()->count(), 0);
    w.botaoOk()->click();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    // Nothing to choose from: the stored port is kept.
    QCOMPARE(ArquivoConfig().leTexto("COM", "PORTA"), QStringLiteral("4"));
    releConfiguracaoSerial();
    QCOMPARE(portaSerialAtual(), 4);
}

void TestMainWin::opcoes_cancelarNaoGrava()
{
    TfConfig w(portasDeTeste());
    w.listaRep()->setCurrentIndex(2);
    w.caixaVerAfd()->setChecked(false);
    w.botaoCancelar()->click();
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QVERIFY(!ArquivoConfig().existe("COM", "PORTA"));
    QVERIFY(!ArquivoConfig().existe("CONFIG", "VERAFD"));
}

QTEST_MAIN(TestMainWin)
#include "test_mainwin.moc"
