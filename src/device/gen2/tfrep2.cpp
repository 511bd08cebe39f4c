#include "device/gen2/tfrep2.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kelvo {

TfREP2::TfREP2(QWidget *parent) : TfREP2(TemposREP2(), parent) {}

TfREP2::TfREP2(const TemposREP2 &tempos, QWidget *parent)
    : QDialog(parent), m_motor(new MotorREP2(tempos, this))
{
    monta();
    connect(m_motor, &MotorREP::tituloAlterado, m_comando, &QLabel::setText);
    connect(m_motor, &MotorREP::situacaoAlterada, m_status, &QLabel::setText);
    connect(m_motor, &MotorREP::progressoVisivel, m_progresso, &QWidget::setVisible);
    connect(m_motor, &MotorREP::progressoAlterado, this, [this](int valor, int maximo) {
        m_progresso->setMaximum(maximo);
        m_progresso->setValue(valor);
    });
    connect(m_motor, &MotorREP::terminou, this, [this] {
        if (isVisible())
            accept();
    });
}

TfREP2::~TfREP2() = default;

const QString &TfREP2::titulo()
{
    static const QString t = QStringLiteral("Comunicação REP - protocolo novo");
    return t;
}

void TfREP2::monta()
{
    setWindowTitle(titulo());
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    auto *painel = new QFrame(this);
    painel->setFrameShape(QFrame::Box);
    auto *lay = new QVBoxLayout(painel);
    m_cabecalho = new QLabel(MotorREP2::legenda(), painel);
    m_cabecalho->setObjectName(QStringLiteral("Label11"));
    QFont f = m_cabecalho->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    m_cabecalho->setFont(f);
    m_comando = new QLabel(painel);
    m_comando->setObjectName(QStringLiteral("lbComando"));
    QFont fc = m_comando->font();
    fc.setBold(true);
    fc.setPointSize(fc.pointSize() + 4);
    m_comando->setFont(fc);
    m_comando->setStyleSheet(QStringLiteral("color: blue"));
    m_status = new QLabel(painel);
    m_status->setObjectName(QStringLiteral("lbStatus"));
    m_progresso = new QProgressBar(painel);
    m_progresso->setVisible(false);
    lay->addWidget(m_cabecalho);
    lay->addWidget(m_comando);
    lay->addWidget(m_status);
    lay->addWidget(m_progresso);
    auto *externo = new QVBoxLayout(this);
    externo->setContentsMargins(0, 0, 0, 0);
    externo->addWidget(painel);
    setFixedSize(365, 124);
}

int TfREP2::exec()
{
    if (!m_motor->emConversa()) {
        // Nothing to wait for: the conversation is already over.
        QTimer::singleShot(0, this, &QDialog::accept);
    }
    return QDialog::exec();
}

QString TfREP2::textoComando() const
{
    return m_comando->text();
}

QString TfREP2::textoStatus() const
{
    return m_status->text();
}

} // namespace kelvo
