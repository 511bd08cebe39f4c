#include "app/splash.h"

#include "data/textos.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace kelvo {

TFmSplash::TFmSplash(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setObjectName(QStringLiteral("FmSplash"));
    setFixedSize(kLargura, kAltura);
    setWindowOpacity(kOpacidade);
    setWindowTitle(QStringLiteral("Configurador Kelvo"));

    m_versao = new QLabel(QStringLiteral("Versão: ") + VersaoPrograma(), this);
    m_versao->setObjectName(QStringLiteral("lbVersao"));
    m_versao->setStyleSheet(QStringLiteral("color: white; font-size: 11pt;"));
    m_versao->adjustSize();
    m_versao->move(24, kAltura - 24 - m_versao->height());
    centraNaTela();
}

QString TFmSplash::textoVersao() const
{
    return m_versao->text();
}

void TFmSplash::centraNaTela()
{
    QScreen *tela = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!tela)
        return;
    const QRect area = tela->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void TFmSplash::mostraSobre(QWidget *pai)
{
    TFmSplash sobre(pai);
    sobre.setSobre(true);
    sobre.setModal(true);
    sobre.centraNaTela();
    sobre.exec();
}

void TFmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fundo(0, 0, 0, height());
    fundo.setColorAt(0.0, QColor(0x0b, 0x4f, 0x8a));
    fundo.setColorAt(1.0, QColor(0x06, 0x2a, 0x4d));
    p.fillRect(rect(), fundo);

    // A stylised clock face on the left.
    const QPointF centro(110, 150);
    p.setPen(QPen(QColor(0xff, 0xc1, 0x07), 6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centro, 62, 62);
    p.drawLine(centro, centro + QPointF(0, -42));
    p.drawLine(centro, centro + QPointF(30, 12));

    QFont titulo = font();
    titulo.setPointSize(24);
    titulo.setBold(true);
    p.setFont(titulo);
    p.setPen(Qt::white);
    p.drawText(QRect(190, 95, width() - 200, 50), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Configurador"));
    p.drawText(QRect(190, 140, width() - 200, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kelvo"));

    QFont sub = font();
    sub.setPointSize(11);
    p.setFont(sub);
    p.setPen(QColor(0xcf, 0xe2, 0xf3));
    p.drawText(QRect(190, 195, width() - 200, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Relógios de ponto eletrônicos (REP)"));
}

void TFmSplash::mousePressEvent(QMouseEvent *event)
{
    if (m_sobre)
        accept();
    event->accept();
}

} // namespace kelvo
