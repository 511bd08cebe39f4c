// The start-up windows without a database: first-run window, login window,
// splash / About box, and the first-run dialogue's decisions.

#include "app/configinicial.h"
#include "app/configsistema.h"
#include "app/inicio.h"
#include "app/login.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "data/arquivoini.h"
#include "data/sistema.h"
#include "data/textos.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kelvo;

namespace {
// The label a form row shows for a field.
QString rotulo(QWidget *campo)
{
    auto *form = campo->parentWidget()->findChild<QFormLayout *>();
    if (!form)
        return QString();
    auto *l = qobject_cast<QLabel *>(form->labelForField(campo));
    return l ? l->text() : QString();
}

// Runs `acao` once the modal window is up.
void quandoAbrir(QDialog &janela, std::function<void()> acao)
{
    QTimer::singleShot(0, &janela, [&janela, acao] {
        QTRY_VERIFY(janela.isVisible());
        acao();
    });
}
} // namespace

class TestJanelas : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void configInicialConteudo();
    void configInicialTipoHabilitaPorta();
    void configInicialPortaInvalida_data();
    void configInicialPortaInvalida();
    void dialogoCancelado();
    void dialogoRepeteAteConseguirEGrava_data();
    void dialogoRepeteAteConseguirEGrava();
    void dialogoComJanelaMantemConteudo();
    void loginRecusaVazios_data();
    void loginRecusaVazios();
    void loginEnterAvanca();
    void splash();
    void sobreNaJanelaPrincipal();
    void janelaDesktopDaPrimeiraExecucao();
    void trazParaFrente();
};

void TestJanelas::configInicialConteudo()
{
    TfConfigSistema j;
    QCOMPARE(j.windowTitle(), QString("Configurações iniciais"));
    auto *cab = j.findChild<QLabel *>("lbCabecalho");
    QVERIFY(cab);
    QCOMPARE(cab->text(), QString("Configurações iniciais"));
    QCOMPARE(j.edHost()->text(), QString("localhost"));
    QCOMPARE(rotulo(j.edHost()), QString("Endereço IP do servidor:"));
    QCOMPARE(rotulo(j.edBanco()), QString("Nome da base de dados:"));
    QCOMPARE(rotulo(j.cbTipoBanco()), QString("Tipo de banco de dados:"));
    QCOMPARE(j.cbTipoBanco()->count(), 2);
    QCOMPARE(j.cbTipoBanco()->itemText(0), QString("MySQL"));
    QCOMPARE(j.cbTipoBanco()->itemText(1), QString("SQL Server"));
    QCOMPARE(j.cbTipoBanco()->currentText(), QString("SQL Server"));
    QCOMPARE(rotulo(j.edPorta()), QString("Porta:"));
    QCOMPARE(j.edPorta()->text(), QString("3309"));
    QCOMPARE(j.ckMascarado()->text(), QString("Usar conexão ao banco de dados mascarada ??"));
    QVERIFY(!j.ckMascarado()->isChecked());
    QCOMPARE(
        j.ckMascarado()->toolTip(),
        QString("Para cada instalação, apenas um computador deverá comunicar com os equipamentos. Se tiver "
                "dúvidas sobre essa opção, deixe DESMARCADO"));
    QCOMPARE(rotulo(j.edUsuario()), QString("Usuario:"));
    QCOMPARE(rotulo(j.edSenha()), QString("Senha:"));
    QVERIFY(j.edUsuario()->text().isEmpty());
    QVERIFY(j.edSenha()->text().isEmpty());
    QCOMPARE(j.edUsuario()->echoMode(), QLineEdit::Password);
    QCOMPARE(j.edSenha()->echoMode(), QLineEdit::Password);
    QCOMPARE(j.btOK()->text(), QString("OK"));
    QCOMPARE(j.btCancelar()->text(), QString("Cancelar"));

    // The database box is filled for the first run.
    DadosConfigInicial d;
    j.setDados(d);
    QCOMPARE(j.edBanco()->text(), QString("kelvo"));
    QCOMPARE(j.dados().dialeto, Dialeto::SQLServer);
}

void TestJanelas::configInicialTipoHabilitaPorta()
{
    TfConfigSistema j;
    QVERIFY(!j.edPorta()->isEnabled()); // SQL Server selected
    j.cbTipoBanco()->setCurrentIndex(0);
    QVERIFY(j.edPorta()->isEnabled());
    QCOMPARE(j.dados().dialeto, Dialeto::MySQL);
    j.cbTipoBanco()->setCurrentIndex(1);
    QVERIFY(!j.edPorta()->isEnabled());
    QCOMPARE(j.dados().dialeto, Dialeto::SQLServer);
}

void TestJanelas::configInicialPortaInvalida_data()
{
    QTest::addColumn<QString>("porta");
    QTest::addColumn<bool>("aceita");
    QTest::newRow("numero") << "3306" << true;
    QTest::newRow("com espacos") << " 3309 " << true;
    QTest::newRow("letras") << "33a9" << false;
    QTest::newRow("vazia") << "" << false;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("grande demais") << "70000" << false;
    QTest::newRow("decimal") << "3306.5" << false;
}

void TestJanelas::configInicialPortaInvalida()
{
    QFETCH(QString, porta);
    QFETCH(bool, aceita);
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TfConfigSistema j;
    j.cbTipoBanco()->setCurrentIndex(0);
    j.edPorta()->setText(porta);
    j.show();
    QTest::mouseClick(j.btOK(), Qt::LeftButton);
    QCOMPARE(j.result() == QDialog::Accepted, aceita);
    QCOMPARE(j.isVisible(), !aceita);
    if (aceita) {
        QVERIFY(g.mensagens.isEmpty());
    } else {
        QCOMPARE(g.mensagens.size(), 1);
        QCOMPARE(g.mensagens[0].texto, mensagemPortaInvalida());
        QCOMPARE(g.mensagens[0].icone, Icone::Aviso);
        QCOMPARE(g.mensagens[0].titulo, QString("Aviso"));
    }
}

void TestJanelas::dialogoCancelado()
{
    teste::PastaTeste pasta;
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    bool testou = false;
    const auto r =
        dialogoPrimeiraExecucao([](DadosConfigInicial &) { return false; }, [&] { return testou = true; });
    QCOMPARE(r, ResultadoPrimeiraExecucao::Cancelado);
    QVERIFY(!testou);
    QCOMPARE(g.mensagens.size(), 1);
    QCOMPARE(g.mensagens[0].texto, QString("Não é possível continuar sem configurar o sistema"));
    QCOMPARE(g.mensagens[0].icone, Icone::Erro);
    // Nothing was written.
    QVERIFY(ArquivoConfig().leTexto("BDADOS", "HostName").isEmpty());
}

void TestJanelas::dialogoRepeteAteConseguirEGrava_data()
{
    QTest::addColumn<int>("dialeto");
    QTest::addColumn<bool>("mascarado");
    QTest::addColumn<QString>("database");
    QTest::newRow("mysql") << 0 << false << "base1";
    QTest::newRow("sql server mascarado") << 1 << true
                                          << "Provider=SQLNCLI.1;Persist Security Info=True;Initial "
                                             "Catalog=base1;Data Source=srv01;adLockOptimistic";
}

void TestJanelas::dialogoRepeteAteConseguirEGrava()
{
    QFETCH(int, dialeto);
    QFETCH(bool, mascarado);
    QFETCH(QString, database);
    teste::PastaTeste pasta;
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);

    int vezes = 0;
    int testes = 0;
    const auto pede = [&](DadosConfigInicial &d) {
        ++vezes;
        d.host = "srv01";
        d.banco = "base1";
        d.dialeto = static_cast<Dialeto>(dialeto);
        d.porta = "3310";
        d.mascarado = mascarado;
        d.usuario = "operador";
        d.senha = "s3nh@";
        return true;
    };
    // Fails twice, then the settings work.
    const auto testa = [&] {
        ++testes;
        // The typed values are what the test uses.
        const ConfigBanco &c = configBanco();
        if (c.host != "srv01" || c.usuarioLogin != "operador" || c.usuarioMascarado != "operador" ||
            c.senhaLogin != "s3nh@" || c.database != database || c.NomeBanco != "base1" || c.porta != 3310)
            return false;
        if (c.SufixoNolock != (dialeto == 1 ? QString("with (nolock)") : QString()))
            return false;
        return testes >= 3;
    };
    QCOMPARE(dialogoPrimeiraExecucao(pede, testa), ResultadoPrimeiraExecucao::Configurado);
    QCOMPARE(vezes, 3);
    QCOMPARE(testes, 3);
    QVERIFY(g.mensagens.isEmpty());

    ArquivoIni ini(pasta.arquivo("sistema.INI"));
    QCOMPARE(ini.leTexto("BDADOS", "HostName"), QString("srv01"));
    QCOMPARE(ini.leTexto("BDADOS", "Database"), database);
    QCOMPARE(ini.leTexto("BDADOS", "PORTA"), QString("3310"));
    QCOMPARE(ini.leTexto("UNIDADE", "vgidunidade"), QString("1"));
    QCOMPARE(ini.leTexto("BANCO", "qualbanco"), QString::number(dialeto));
    QCOMPARE(ini.leTexto("BANCO", "mascarado"), QString(mascarado ? "1" : "0"));
    QCOMPARE(ini.leTexto("BANCO", "User"), QString("b3BlcmFkb3I="));
    QCOMPARE(ini.leTexto("BANCO", "Senha"), QString("czNuaEA="));
}

void TestJanelas::dialogoComJanelaMantemConteudo()
{
    teste::PastaTeste pasta;
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TfConfigSistema janela;
    int mostrada = 0;
    QStringList vistos;
    const auto pede = [&](DadosConfigInicial &d) {
        ++mostrada;
        quandoAbrir(janela, [&] {
            vistos << janela.edHost()->text() + "|" + janela.edUsuario()->text();
            if (mostrada == 1) {
                janela.edHost()->setText("192.168.0.9");
                janela.cbTipoBanco()->setCurrentIndex(0);
                janela.edPorta()->setText("3307");
                janela.edUsuario()->setText("ADMIN");
                janela.edSenha()->setText("x");
                QTest::mouseClick(janela.btOK(), Qt::LeftButton);
            } else {
                QTest::mouseClick(janela.btCancelar(), Qt::LeftButton);
            }
        });
        return mostraConfigSistema(janela, d);
    };
    const auto r = dialogoPrimeiraExecucao(pede, [] { return false; });
    QCOMPARE(r, ResultadoPrimeiraExecucao::Cancelado);
    QCOMPARE(mostrada, 2);
    // The second showing kept what was typed in the first.
    QCOMPARE(vistos, QStringList({"localhost|", "192.168.0.9|ADMIN"}));
    QCOMPARE(janela.edPorta()->text(), QString("3307"));
    QVERIFY(janela.edPorta()->isEnabled());
    QCOMPARE(g.ultima(), QString("Não é possível continuar sem configurar o sistema"));
}

void TestJanelas::loginRecusaVazios_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("senha");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<QString>("foco");
    QTest::newRow("login vazio") << ""
                                 << "x"
                                 << "Favor informar login!"
                                 << "edLogin";
    QTest::newRow("login em branco") << "   "
                                     << "x"
                                     << "Favor informar login!"
                                     << "edLogin";
    QTest::newRow("senha vazia") << "ADMIN"
                                 << ""
                                 << "Favor informar a senha!"
                                 << "edSenha";
    QTest::newRow("senha em branco") << "ADMIN"
                                     << "  "
                                     << "Favor informar a senha!"
                                     << "edSenha";
    QTest::newRow("completo") << "ADMIN"
                              << " x "
                              << ""
                              << "";
}

void TestJanelas::loginRecusaVazios()
{
    QFETCH(QString, login);
    QFETCH(QString, senha);
    QFETCH(QString, mensagem);
    QFETCH(QString, foco);
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TfmLogin j;
    QCOMPARE(j.windowTitle(), QString("Horatrix - Kelvo"));
    QCOMPARE(j.edSenha()->echoMode(), QLineEdit::Password);
    j.show();
    QVERIFY(QTest::qWaitForWindowExposed(&j));
    QTRY_COMPARE(QApplication::focusWidget(), j.edLogin());
    j.edLogin()->setText(login);
    j.edSenha()->setText(senha);
    QTest::mouseClick(j.btOK(), Qt::LeftButton);
    if (mensagem.isEmpty()) {
        QCOMPARE(j.result(), int(QDialog::Accepted));
        QVERIFY(g.mensagens.isEmpty());
        // Not trimmed: the texts are taken as typed.
        QCOMPARE(j.senha(), QString(" x "));
    } else {
        QVERIFY(j.isVisible());
        QCOMPARE(g.mensagens.size(), 1);
        QCOMPARE(g.mensagens[0].texto, mensagem);
        QCOMPARE(g.mensagens[0].icone, Icone::Aviso);
        QCOMPARE(QApplication::focusWidget()->objectName(), foco);
    }
}

void TestJanelas::loginEnterAvanca()
{
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    TfmLogin j;
    j.show();
    QVERIFY(QTest::qWaitForWindowExposed(&j));
    j.activateWindow();
    j.edLogin()->setFocus();
    QTest::keyClicks(j.edLogin(), "ADMINISTRADOR");
    QTest::keyClick(j.edLogin(), Qt::Key_Return);
    QVERIFY(j.isVisible()); // Enter in the login box only moves on
    QCOMPARE(QApplication::focusWidget(), j.edSenha());
    QTest::keyClicks(j.edSenha(), "BRAVELUX");
    QTest::keyClick(j.edSenha(), Qt::Key_Return);
    QCOMPARE(j.result(), int(QDialog::Accepted));
    QCOMPARE(j.login(), QString("ADMINISTRADOR"));
    QCOMPARE(j.senha(), QString("BRAVELUX"));

    // Esc cancels.
    TfmLogin k;
    k.show();
    QVERIFY(QTest::qWaitForWindowExposed(&k));
    QTest::keyClick(&k, Qt::Key_Escape);
    QCOMPARE(k.result(), int(QDialog::Rejected));
    QVERIFY(!k.isVisible());
}

void TestJanelas::splash()
{
    TFmSplash s;
    QCOMPARE(s.size(), QSize(499, 350));
    QVERIFY(s.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(qRound(s.windowOpacity() * 255), 230);
    QCOMPARE(s.textoVersao(), "Versão: " + VersaoPrograma());
    auto *rotuloVersao = s.findChild<QLabel *>("lbVersao");
    QVERIFY(rotuloVersao && rotuloVersao->isVisibleTo(&s));

    // At start-up a click does nothing.
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(100, 100));
    QVERIFY(s.isVisible());
    s.close();

    // As the About box a click closes it.
    TFmSplash sobre;
    sobre.setSobre(true);
    QTimer::singleShot(0, &sobre, [&] {
        QTRY_VERIFY(sobre.isVisible());
        QTest::mouseClick(&sobre, Qt::LeftButton, {}, QPoint(250, 175));
    });
    QCOMPARE(sobre.exec(), int(QDialog::Accepted));
}

void TestJanelas::sobreNaJanelaPrincipal()
{
    TfmMain janela{QSqlDatabase()};
    QAction *sobre = janela.findChild<QAction *>("actSobre");
    QVERIFY(sobre);
    QCOMPARE(sobre->text(), QString("&Sobre"));
    QVERIFY(janela.menuAjuda()->actions().contains(sobre));
    bool eraSobre = false;
    bool eraModal = false;
    QTimer::singleShot(0, &janela, [&] {
        QTRY_VERIFY(qobject_cast<TFmSplash *>(QApplication::activeModalWidget()));
        auto *s = qobject_cast<TFmSplash *>(QApplication::activeModalWidget());
        eraSobre = s->sobre();
        eraModal = s->isModal();
        QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(10, 10));
    });
    sobre->trigger(); // returns when the box closed
    QVERIFY(eraSobre);
    QVERIFY(eraModal);
    QVERIFY(!QApplication::activeModalWidget());
    // Only entries that do something are in the menus.
    for (QAction *menu : janela.menuBar()->actions())
        QVERIFY2(menu->isEnabled(), qPrintable(menu->text()));
}

void TestJanelas::janelaDesktopDaPrimeiraExecucao()
{
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    const JanelasInicio j = janelasDesktop();
    QStringList vistos;
    for (int vez = 0; vez < 2; ++vez) {
        QTimer::singleShot(0, qApp, [&] {
            QTRY_VERIFY(qobject_cast<TfConfigSistema *>(QApplication::activeModalWidget()));
            auto *w = qobject_cast<TfConfigSistema *>(QApplication::activeModalWidget());
            vistos << w->edBanco()->text() + "|" + w->edHost()->text();
            w->edHost()->setText("servidor2");
            QTest::mouseClick(w->btCancelar(), Qt::LeftButton);
        });
        DadosConfigInicial d;
        QVERIFY(!j.pedeConfig(d));
    }
    // Created for the first run with "kelvo"; the second showing keeps what was typed.
    QCOMPARE(vistos, QStringList({"kelvo|localhost", "kelvo|servidor2"}));
}

void TestJanelas::trazParaFrente()
{
    TfmMain janela{QSqlDatabase()};
    InteracaoGravada g;
    InteracaoNoEscopo escopo(&g);
    janela.showMinimized();
    QTRY_VERIFY(janela.isMinimized());
    janela.trazParaFrente();
    QTRY_VERIFY(!janela.isMinimized());
    QVERIFY(janela.isVisible());
}

QTEST_MAIN(TestJanelas)
#include "test_janelas.moc"
