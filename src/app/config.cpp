#include "app/config.h"

#include "data/sistema.h"
#include "device/common/portasserial.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kelvo {

namespace {
const QString kCom = QStringLiteral("COM");
const QString kConfig = QStringLiteral("CONFIG");
} // namespace

QList<QPair<int, QString>> entradasPortasSeriais()
{
    QList<QPair<int, QString>> r;
    for (const plataforma::PortaSerial &p : listaPortasSeriais())
        r.append({p.numero, p.descricao()});
    return r;
}

TfConfig::TfConfig(QWidget *parent) : TfConfig(entradasPortasSeriais(), parent) {}

TfConfig::TfConfig(const QList<QPair<int, QString>> &portas, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fConfig"));
    const QString titulo = QGuiApplication::applicationDisplayName();
    setWindowTitle(titulo.isEmpty() ? QStringLiteral("Configurador Kelvo") : titulo);

    auto *barra = new QToolBar(this);
    barra->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("btOk"));
    m_ok->setDefault(true);
    m_cancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    m_cancelar->setObjectName(QStringLiteral("btCancelar"));
    barra->addWidget(m_ok);
    barra->addWidget(m_cancelar);
    connect(m_ok, &QPushButton::clicked, this, &TfConfig::confirma);
    connect(m_cancelar, &QPushButton::clicked, this, &QDialog::reject);

    auto *cabecalho = new QLabel(QStringLiteral("Opções gerais"), this);
    QFont fc = cabecalho->font();
    fc.setBold(true);
    fc.setPointSizeF(fc.pointSizeF() * 1.3);
    cabecalho->setFont(fc);

    auto novaLista = [this](const QString &nome) {
        auto *c = new QComboBox(this);
        c->setObjectName(nome);
        c->setEditable(false); // only its own items
        return c;
    };
    m_rep = novaLista(QStringLiteral("cbPortaRep"));
    m_ibutton = novaLista(QStringLiteral("cbPortaIbutton"));
    m_proximidade = novaLista(QStringLiteral("cbPortaProximidade"));
    for (QComboBox *c : {m_rep, m_ibutton, m_proximidade})
        for (const auto &p : portas)
            c->addItem(p.second, p.first);
    m_velocidade = novaLista(QStringLiteral("cbVelocidade"));
    m_velocidade->addItems(
        {QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("57600"), QStringLiteral("115200")});
    m_tipoLeitor = novaLista(QStringLiteral("cbTipoLeitor"));
    m_tipoLeitor->addItem(QStringLiteral("Serial"), 1);
    m_tipoLeitor->addItem(QStringLiteral("USB"), 6);

    auto *gPortas = new QGroupBox(QStringLiteral("Porta serial"), this);
    auto *fp = new QFormLayout(gPortas);
    fp->addRow(QStringLiteral("REP"), m_rep);
    fp->addRow(QStringLiteral("Ibutton"), m_ibutton);
    fp->addRow(QStringLiteral("Proximidade"), m_proximidade);
    fp->addRow(QStringLiteral("Velocidade"), m_velocidade);

    auto *gLeitor = new QGroupBox(QStringLiteral("DS9 (leitor ibutton)"), this);
    auto *fl = new QFormLayout(gLeitor);
    fl->addRow(QStringLiteral("Tipo de leitor"), m_tipoLeitor);

    auto *gOpcoes = new QGroupBox(QStringLiteral("Opções"), this);
    m_verAfd = new QCheckBox(QStringLiteral("Visualizar AFD após coleta"), gOpcoes);
    m_verAfd->setObjectName(QStringLiteral("ckVerAfd"));
    auto *lo = new QVBoxLayout(gOpcoes);
    lo->addWidget(m_verAfd);

    auto *gPasta = new QGroupBox(QStringLiteral("Local para salvar os AFDs"), this);
    m_pasta = new QLineEdit(gPasta);
    m_pasta->setObjectName(QStringLiteral("edPasta"));
    m_procurar = new QToolButton(gPasta);
    m_procurar->setObjectName(QStringLiteral("btProcurar"));
    m_procurar->setText(QStringLiteral("..."));
    connect(m_procurar, &QToolButton::clicked, this, &TfConfig::procuraPasta);
    auto *lp = new QHBoxLayout(gPasta);
    lp->addWidget(m_pasta, 1);
    lp->addWidget(m_procurar);

    auto *grade = new QGridLayout;
    grade->addWidget(gPortas, 0, 0, 2, 1);
    grade->addWidget(gLeitor, 0, 1);
    grade->addWidget(gOpcoes, 1, 1);
    grade->addWidget(gPasta, 2, 0, 1, 2);

    auto *l = new QVBoxLayout(this);
    l->setMenuBar(barra);
    l->addWidget(cabecalho);
    l->addLayout(grade);

    m_lRep.combo = m_rep;
    m_lIbutton.combo = m_ibutton;
    m_lProx.combo = m_proximidade;
    m_lVelocidade.combo = m_velocidade;
    m_lTipo.combo = m_tipoLeitor;
    carrega();
}

void TfConfig::selecionaPorta(Lista &l, const QString &valor)
{
    l.valorReconhecido = false;
    int indice = l.combo->count() > 0 ? 0 : -1;
    bool ok = false;
    const int numero = valor.trimmed().toInt(&ok);
    if (ok) {
        const int achado = l.combo->findData(numero);
        if (achado >= 0) {
            indice = achado;
            l.valorReconhecido = true;
        }
    }
    l.combo->setCurrentIndex(indice);
    l.indiceInicial = indice;
}

void TfConfig::carrega()
{
    ArquivoIni &ini = ArquivoConfig();
    m_verAfd->setChecked(ini.leBooleano(kConfig, QStringLiteral("VERAFD"), true));

    const int velocidade = ini.leInteiro(kConfig, QStringLiteral("BAUDRATE"), 3);
    m_lVelocidade.valorReconhecido = velocidade >= 0 && velocidade < m_velocidade->count();
    m_velocidade->setCurrentIndex(m_lVelocidade.valorReconhecido ? velocidade : 3);
    m_lVelocidade.indiceInicial = m_velocidade->currentIndex();

    m_pasta->setText(ini.leTexto(kConfig, QStringLiteral("AFDFOLDER"), PastaPrograma()));

    selecionaPorta(m_lRep, ini.leTexto(kCom, QStringLiteral("PORTA"), QStringLiteral("1")));
    selecionaPorta(m_lIbutton, ini.leTexto(kCom, QStringLiteral("PORTAIBUTTON"), QStringLiteral("1")));
    selecionaPorta(m_lProx, ini.leTexto(kCom, QStringLiteral("PORTAPROX"), QStringLiteral("1")));

    const int tipo = ini.leInteiro(kConfig, QStringLiteral("TIPOIBUTTON"), 1);
    m_lTipo.valorReconhecido = tipo == 1 || tipo == 6;
    m_tipoLeitor->setCurrentIndex(tipo == 6 ? 1 : 0);
    m_lTipo.indiceInicial = m_tipoLeitor->currentIndex();
}

void TfConfig::procuraPasta()
{
    // A folder chooser of our own (not the platform's), so it behaves the same
    // everywhere; offers folders only.
    QPointer<QFileDialog> dlg =
        new QFileDialog(this, QStringLiteral("Selecione a pasta desejada"), m_pasta->text());
    dlg->setObjectName(QStringLiteral("dlgPasta"));
    dlg->setFileMode(QFileDialog::Directory);
    dlg->setOption(QFileDialog::ShowDirsOnly, true);
    dlg->setOption(QFileDialog::DontUseNativeDialog, true);
    m_seletor = dlg;
    const int r = dlg->exec();
    m_seletor = nullptr;
    if (!dlg)
        return;
    if (r == QDialog::Accepted && !dlg->selectedFiles().isEmpty())
        m_pasta->setText(QDir::toNativeSeparators(dlg->selectedFiles().constFirst()));
    // Cancelling keeps the folder that was there.
    delete dlg;
}

bool TfConfig::deveGravar(const Lista &l)
{
    return l.valorReconhecido || l.combo->currentIndex() != l.indiceInicial;
}

void TfConfig::confirma()
{
    ArquivoIni &ini = ArquivoConfig();
    auto numeroPorta = [](const QComboBox *c) {
        return c->currentIndex() < 0 ? QString() : QString::number(c->currentData().toInt());
    };
    // A stored port that is not on this machine now (a reader unplugged) is
    // kept unless the user picks another one.
    if (deveGravar(m_lRep))
        ini.escreveTexto(kCom, QStringLiteral("PORTA"), numeroPorta(m_rep));
    if (deveGravar(m_lIbutton))
        ini.escreveTexto(kCom, QStringLiteral("PORTAIBUTTON"), numeroPorta(m_ibutton));
    if (deveGravar(m_lProx))
        ini.escreveTexto(kCom, QStringLiteral("PORTAPROX"), numeroPorta(m_proximidade));
    ini.escreveTexto(kConfig, QStringLiteral("AFDFOLDER"), m_pasta->text());
    ini.escreveBooleano(kConfig, QStringLiteral("VERAFD"), m_verAfd->isChecked());
    if (deveGravar(m_lVelocidade))
        ini.escreveInteiro(kConfig, QStringLiteral("BAUDRATE"), m_velocidade->currentIndex());
    if (deveGravar(m_lTipo))
        ini.escreveInteiro(kConfig, QStringLiteral("TIPOIBUTTON"), m_tipoLeitor->currentData().toInt());
    accept();
}

} // namespace kelvo
