#include "device/gen1/tfrep.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace kelvo {

TfREP::TfREP(QWidget *parent) : TfREP(TemporizacaoV1(), parent) {}

TfREP::TfREP(const TemporizacaoV1 &tempos, QWidget *parent) : QDialog(parent)
{
    m_motor = new MotorV1(tempos, this);
    monta();
    connect(m_motor, &MotorREP::legendaAlterada, Label16, &QLabel::setText);
    connect(m_motor, &MotorREP::tituloAlterado, lbComando, &QLabel::setText);
    connect(m_motor, &MotorREP::situacaoAlterada, lbStatus, &QLabel::setText);
    connect(m_motor, &MotorREP::progressoVisivel, ProgressBar1, &QProgressBar::setVisible);
    connect(m_motor, &MotorREP::progressoAlterado, this, [this](int valor, int maximo) {
        if (maximo > 0)
            ProgressBar1->setMaximum(maximo);
        ProgressBar1->setValue(valor);
    });
    connect(m_motor, &MotorREP::terminou, this, [this] {
        if (isVisible())
            accept();
    });
}

TfREP::~TfREP() = default;

void TfREP::monta()
{
    setWindowTitle(QStringLiteral("Comunicação com REP - V1.0"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    const bool debugCom = m_motor->rastro().debugCom;
    if (debugCom)
        setFixedSize(368, 126);
    else
        setFixedSize(365 - 2, 124 - 2);
    setStyleSheet(QStringLiteral("TfREP { background-color: #1f3f73; }"));

    Label16 = new QLabel(QStringLiteral("Comunicação com REP - V1.0"), this);
    Label16->setStyleSheet(QStringLiteral("color: white; font-family: Verdana; font-size: 12px;"));
    lbComando = new QLabel(this);
    lbComando->setStyleSheet(QStringLiteral(
        "color: #1010c0; background: white; font-family: Arial; font-size: 16px; font-weight: bold;"));
    lbComando->setAlignment(Qt::AlignCenter);
    lbStatus = new QLabel(this);
    lbStatus->setStyleSheet(QStringLiteral("color: white; font-family: Tahoma;"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setVisible(false);

    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(8, 6, 8, 6);
    l->addWidget(Label16);
    l->addWidget(lbComando);
    l->addWidget(lbStatus);
    l->addWidget(ProgressBar1);
}

int TfREP::exec()
{
    // An operation refused by the busy guard, or nothing started: nothing to show.
    if (!m_motor->emConversa())
        return QDialog::Rejected;
    if (const QScreen *tela = QGuiApplication::primaryScreen()) {
        const QRect r = tela->availableGeometry();
        move(r.center() - rect().center());
    }
    return QDialog::exec();
}

void TfREP::done(int r)
{
    // The window closes only when the conversation is over (no Escape mid-exchange).
    if (m_motor->emConversa())
        return;
    m_motor->rastro().log(QStringLiteral("onclose"));
    QDialog::done(r);
}

QString TfREP::textoLegenda() const
{
    return Label16->text();
}
QString TfREP::textoComando() const
{
    return lbComando->text();
}
QString TfREP::textoStatus() const
{
    return lbStatus->text();
}

} // namespace kelvo
