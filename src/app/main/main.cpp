// Program entry of the Configurador Kelvo.

#include "app/inicio.h"
#include "app/interacaodesktop.h"
#include "app/mainwindow.h"
#include "app/splash.h"
#include "data/dmdados.h"
#include "platform/instancia.h"

#include <QApplication>
#include <QTimer>

namespace {
// How long the opening picture stays before the start-up goes on.
constexpr int kSplashMs = 3000;
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Configurador Kelvo"));

    // One copy per user session; a second start brings the first forward and
    // ends without a word.
    kelvo::InstanciaUnica instancia;
    if (!instancia.tornaPrimeira())
        return 0;

    kelvo::instalaInteracaoDesktop();
    // The splash and the start-up windows come and go before the main window:
    // none of them closing may end the program.
    app.setQuitOnLastWindowClosed(false);

    auto splash = std::make_unique<kelvo::TFmSplash>();
    splash->show();

    std::unique_ptr<kelvo::TdmDados> dados;
    std::unique_ptr<kelvo::TfmMain> principal;
    QObject::connect(&instancia, &kelvo::InstanciaUnica::ativacaoPedida, &app, [&] {
        if (principal) {
            principal->trazParaFrente();
        } else if (QWidget *w = QApplication::activeModalWidget()) {
            w->raise();
            w->activateWindow();
        }
    });

    QTimer::singleShot(kSplashMs, &app, [&] {
        splash->close();
        splash.reset();
        dados = std::make_unique<kelvo::TdmDados>();
        principal = kelvo::iniciaSistema(*dados, kelvo::janelasDesktop());
        if (!principal) {
            app.exit(1);
            return;
        }
        app.setQuitOnLastWindowClosed(true);
        principal->show();
    });

    const int codigo = app.exec();
    principal.reset();
    dados.reset();
    return codigo;
}
