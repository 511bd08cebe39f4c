#include "operations/tfcoletaafd.h"

#include "data/interacao.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvo {

TfColetaAFD::TfColetaAFD(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fColetaAFD"));
    setWindowTitle(QApplication::applicationDisplayName());

    auto *grupoPeriodo = new QGroupBox(this);
    cbFiltrar = new QCheckBox(QStringLiteral("Filtrar por período"), grupoPeriodo);
    edDe = new QDateEdit(QDate::currentDate(), grupoPeriodo);
    edA = new QDateEdit(QDate::currentDate(), grupoPeriodo);
    for (QDateEdit *e : {edDe, edA}) {
        e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        e->setCalendarPopup(true);
        e->setEnabled(false);
    }
    auto *lp = new QVBoxLayout(grupoPeriodo);
    lp->addWidget(cbFiltrar);
    auto *ld = new QHBoxLayout;
    ld->addWidget(new QLabel(QStringLiteral("De"), grupoPeriodo));
    ld->addWidget(edDe);
    ld->addWidget(new QLabel(QStringLiteral("a"), grupoPeriodo));
    ld->addWidget(edA);
    lp->addLayout(ld);
    connect(cbFiltrar, &QCheckBox::toggled, edDe, &QWidget::setEnabled);
    connect(cbFiltrar, &QCheckBox::toggled, edA, &QWidget::setEnabled);

    auto *grupoArquivo = new QGroupBox(QStringLiteral("Salvar como..."), this);
    edArquivo = new QLineEdit(grupoArquivo);
    edArquivo->setMinimumWidth(360);
    btProcurar = new QToolButton(grupoArquivo);
    btProcurar->setText(QStringLiteral("..."));
    auto *la = new QHBoxLayout(grupoArquivo);
    la->addWidget(edArquivo);
    la->addWidget(btProcurar);
    connect(btProcurar, &QToolButton::clicked, this, &TfColetaAFD::procurar);

    btColetar = new QPushButton(QStringLiteral("Coletar"), this);
    btCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    btColetar->setDefault(true);
    connect(btColetar, &QPushButton::clicked, this, &TfColetaAFD::coletar);
    connect(btCancelar, &QPushButton::clicked, this, &QDialog::reject);
    auto *lb = new QHBoxLayout;
    lb->addStretch();
    lb->addWidget(btColetar);
    lb->addWidget(btCancelar);

    auto *l = new QVBoxLayout(this);
    l->addWidget(grupoPeriodo);
    l->addWidget(grupoArquivo);
    l->addLayout(lb);
}

void TfColetaAFD::defineArquivo(const QString &arquivo)
{
    edArquivo->setText(arquivo);
}
QString TfColetaAFD::arquivo() const
{
    return edArquivo->text().trimmed();
}
bool TfColetaAFD::filtro() const
{
    return cbFiltrar->isChecked();
}
QDate TfColetaAFD::inicio() const
{
    return edDe->date();
}
QDate TfColetaAFD::fim() const
{
    return edA->date();
}

void TfColetaAFD::coletar()
{
    if (filtro() && fim() < inicio()) {
        informa(QStringLiteral("Data inicial é maior que a data final. Favor redefinir"));
        return;
    }
    if (arquivo().isEmpty()) {
        informa(QStringLiteral("Defina o nome do arquivo"));
        return;
    }
    if (QFileInfo::exists(arquivo()) &&
        !pergunta(QStringLiteral("Arquivo AFD já existe. Deseja substituir?")))
        return;
    accept();
}

QString TfColetaAFD::comExtensao(const QString &nome)
{
    if (nome.isEmpty() || !QFileInfo(nome).suffix().isEmpty())
        return nome;
    return nome + QStringLiteral(".txt");
}

void TfColetaAFD::procurar()
{
    const QString nome =
        QFileDialog::getSaveFileName(this, QStringLiteral("Salvar AFD como..."), edArquivo->text(),
                                     QStringLiteral("Arquivos Texto (*.TXT *.txt);;Todos os arquivos (*.*)"),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (!nome.isEmpty())
        edArquivo->setText(comExtensao(nome));
}

// ---------------------------------------------------------------- TfAndamentoColeta

TfAndamentoColeta::TfAndamentoColeta(FluxoColetaAFD &fluxo, QWidget *parent) : QDialog(parent), m_fluxo(fluxo)
{
    setWindowTitle(QApplication::applicationDisplayName());
    setModal(true);
    m_legenda = new QLabel(this);
    m_titulo = new QLabel(this);
    QFont f = m_titulo->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 4);
    m_titulo->setFont(f);
    m_situacao = new QLabel(this);
    m_progresso = new QProgressBar(this);
    m_progresso->setVisible(false);
    auto *l = new QVBoxLayout(this);
    l->addWidget(m_legenda);
    l->addWidget(m_titulo);
    l->addWidget(m_situacao);
    l->addWidget(m_progresso);
    setMinimumWidth(380);
    if (m_fluxo.motor())
        ligaMotor(m_fluxo.motor());
    connect(&m_fluxo, &FluxoColetaAFD::motorCriado, this, &TfAndamentoColeta::ligaMotor);
    connect(&m_fluxo, &FluxoColetaAFD::concluida, this, &QDialog::accept);
}

void TfAndamentoColeta::ligaMotor(MotorREP *motor)
{
    connect(motor, &MotorREP::legendaAlterada, m_legenda, &QLabel::setText);
    connect(motor, &MotorREP::tituloAlterado, m_titulo, &QLabel::setText);
    connect(motor, &MotorREP::situacaoAlterada, m_situacao, &QLabel::setText);
    connect(motor, &MotorREP::progressoVisivel, m_progresso, &QWidget::setVisible);
    connect(motor, &MotorREP::progressoAlterado, this, [this](int valor, int maximo) {
        if (maximo > 0)
            m_progresso->setMaximum(maximo);
        m_progresso->setValue(valor);
    });
}

int TfAndamentoColeta::exec()
{
    if (!m_fluxo.emAndamento())
        return QDialog::Accepted;
    return QDialog::exec();
}

// ---------------------------------------------------------------- main window action

ResultadoColetaAFD coletarAFD(QWidget *parent, int idcoletor, FabricaMotor fabrica)
{
    FluxoColetaAFD fluxo;
    if (fabrica)
        fluxo.defineFabrica(std::move(fabrica));
    if (!fluxo.carregaColetor(idcoletor))
        return fluxo.resultado();
    TfColetaAFD dialogo(parent);
    dialogo.defineArquivo(nomeArquivoAFDPadrao(fluxo.coletor().codigocoletor));
    if (dialogo.exec() != QDialog::Accepted)
        return fluxo.resultado();
    fluxo.abreArquivo = [](const QString &arquivo) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(arquivo));
    };
    TfAndamentoColeta andamento(fluxo, parent);
    if (!fluxo.inicia(dialogo.arquivo(), dialogo.filtro(), dialogo.inicio(), dialogo.fim()))
        return fluxo.resultado();
    andamento.exec();
    return fluxo.resultado();
}

} // namespace kelvo
