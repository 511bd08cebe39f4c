#include "app/interacaodesktop.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kelvo {

namespace {
QMessageBox::Icon iconeDaCaixa(Icone i)
{
    switch (i) {
    case Icone::Informacao:
        return QMessageBox::Information;
    case Icone::Aviso:
        return QMessageBox::Warning;
    case Icone::Erro:
        return QMessageBox::Critical;
    case Icone::Pergunta:
        return QMessageBox::Question;
    case Icone::Nenhum:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QString textoParaCaixa(const QString &texto)
{
    QString t = texto;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void InteracaoDesktop::mensagem(const QString &texto, Icone icone, const QString &titulo)
{
    QMessageBox caixa(iconeDaCaixa(icone), titulo, textoParaCaixa(texto), QMessageBox::NoButton,
                      QApplication::activeWindow());
    caixa.setTextFormat(Qt::PlainText);
    QPushButton *ok = caixa.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    caixa.setDefaultButton(ok);
    caixa.setEscapeButton(ok);
    caixa.exec();
}

bool InteracaoDesktop::pergunta(const QString &texto, const QString &titulo)
{
    QMessageBox caixa(QMessageBox::Question, titulo, textoParaCaixa(texto), QMessageBox::NoButton,
                      QApplication::activeWindow());
    caixa.setTextFormat(Qt::PlainText);
    QPushButton *sim = caixa.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton *nao = caixa.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    caixa.setDefaultButton(sim);
    caixa.setEscapeButton(nao);
    caixa.exec();
    return caixa.clickedButton() == sim;
}

void instalaInteracaoDesktop()
{
    static InteracaoDesktop desktop;
    definirInteracao(&desktop);
}

} // namespace kelvo
