// Collection, employer transfer, AFD re-issue, the technician's REP2
// diagnostic and the manual, put into the main window beside the device
// actions.
#include "app/acoesoperacoes.h"

#include "app/mainwindow.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "device/common/parametros.h"
#include "device/gen2/diagnosticorep2.h"
#include "operations/enviarecebeempresa.h"
#include "operations/reemissaoafd.h"
#include "operations/tfcoletaafd.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

namespace kelvo {

QString caminhoManual()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/manual/index.html");
}

void abrirDiagnosticoDoColetor(QWidget *parent, int idcoletor)
{
    QSqlQuery q(dmDados().ConexaoBD());
    q.prepare(QStringLiteral("select * from tbcoletor where idcoletor = :pidcoletor"));
    q.bindValue(QStringLiteral(":pidcoletor"), idcoletor);
    if (!q.exec() || !q.next())
        return;
    const QSqlRecord r = q.record();
    if (r.value(QStringLiteral("modelocoletor")).toString().trimmed().toUpper() != QLatin1String("REP2")) {
        informa(QStringLiteral("O diagnóstico está disponível apenas para REPs da nova geração (modelo REP2)."));
        return;
    }
    abrirDiagnosticoREP2(parent, preencheParametros(r));
}

void instalaAcoesOperacoes(TfmMain &janela)
{
    QStyle *estilo = janela.style();
    auto comSelecao = [&janela](void (*f)(QWidget *, int)) {
        return [&janela, f] {
            const int id = janela.idColetorSelecionado();
            if (id > 0) {
                f(&janela, id);
                janela.atualizaLista();
            }
        };
    };
    auto novaAcao = [&janela](const QString &texto, const QString &nome, const QIcon &icone) {
        auto *a = new QAction(icone, texto, &janela);
        a->setObjectName(nome);
        return a;
    };

    QAction *empresa = novaAcao(QStringLiteral("Enviar/Receber Empresa"), QStringLiteral("actEnviarReceberEmpresa"),
                                estilo->standardIcon(QStyle::SP_DirHomeIcon));
    QObject::connect(empresa, &QAction::triggered, &janela,
                     comSelecao([](QWidget *p, int id) { abreEnviaRecebeEmpresa(p, id); }));
    QAction *coleta = novaAcao(QStringLiteral("Coletar AFD"), QStringLiteral("actColetarAFD"),
                               estilo->standardIcon(QStyle::SP_ArrowDown));
    QObject::connect(coleta, &QAction::triggered, &janela,
                     comSelecao([](QWidget *p, int id) { coletarAFD(p, id); }));
    QAction *diagnostico = novaAcao(QStringLiteral("Diagnóstico (técnico)"), QStringLiteral("actDiagnosticoREP2"),
                                    QIcon());
    QObject::connect(diagnostico, &QAction::triggered, &janela,
                     comSelecao([](QWidget *p, int id) { abrirDiagnosticoDoColetor(p, id); }));
    const QList<QAction *> precisamRep{empresa, coleta, diagnostico};

    janela.barraFerramentas()->addAction(empresa);
    janela.barraFerramentas()->addAction(coleta);
    if (auto *menuRep = janela.findChild<QMenu *>(QStringLiteral("mnRep"))) {
        QAction *antesDoExibir = nullptr;
        for (QAction *a : menuRep->actions())
            if (a->isSeparator())
                antesDoExibir = a;
        menuRep->insertAction(antesDoExibir, empresa);
        menuRep->insertAction(antesDoExibir, coleta);
        menuRep->insertSeparator(antesDoExibir);
        menuRep->insertAction(antesDoExibir, diagnostico);
    }

    // Relatórios, before Ajuda.
    auto *relatorios = new QMenu(QStringLiteral("Relatórios"), &janela);
    relatorios->setObjectName(QStringLiteral("mnRelatorios"));
    QAction *reemissao = relatorios->addAction(QStringLiteral("&Reemissão de AFD"));
    reemissao->setObjectName(QStringLiteral("actReemissaoAFD"));
    QObject::connect(reemissao, &QAction::triggered, &janela, [&janela] { abrirReemissaoAFD(&janela); });
    janela.menuBar()->insertMenu(janela.menuAjuda()->menuAction(), relatorios);

    QAction *manual = new QAction(QStringLiteral("&Manual online"), &janela);
    manual->setObjectName(QStringLiteral("actManual"));
    janela.menuAjuda()->insertAction(janela.menuAjuda()->actions().value(0), manual);
    QObject::connect(manual, &QAction::triggered, &janela, [] {
        const QString arquivo = caminhoManual();
        if (!QFileInfo::exists(arquivo) || !QDesktopServices::openUrl(QUrl::fromLocalFile(arquivo)))
            avisa(QStringLiteral("Não foi possível abrir o manual: ") + arquivo);
    });

    auto habilita = [precisamRep](bool haSelecao) {
        for (QAction *a : precisamRep)
            a->setEnabled(haSelecao);
    };
    habilita(janela.idColetorSelecionado() > 0);
    QObject::connect(&janela, &TfmMain::selecaoMudou, &janela, habilita);
}

} // namespace kelvo
