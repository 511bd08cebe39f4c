#include "app/login.h"

#include "data/interacao.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {

TfmLogin::TfmLogin(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmLogin"));
    setWindowTitle(QStringLiteral("Horatrix - Kelvo"));
    setModal(true);

    m_login = new QLineEdit(this);
    m_login->setObjectName(QStringLiteral("edLogin"));
    m_senha = new QLineEdit(this);
    m_senha->setObjectName(QStringLiteral("edSenha"));
    m_senha->setEchoMode(QLineEdit::Password);
    m_senha->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Login"), m_login);
    form->addRow(QStringLiteral("Senha"), m_senha);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btOK"));
    m_ok->setAutoDefault(false);
    m_cancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    m_cancelar->setObjectName(QStringLiteral("btCancelar"));
    m_cancelar->setAutoDefault(false);
    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(m_ok);
    botoes->addWidget(m_cancelar);

    auto *tudo = new QVBoxLayout(this);
    tudo->addLayout(form);
    tudo->addLayout(botoes);
    setMinimumWidth(300);

    connect(m_ok, &QPushButton::clicked, this, &TfmLogin::accept);
    connect(m_cancelar, &QPushButton::clicked, this, &TfmLogin::reject); // Esc rejects too
    // Enter in the login box moves on; Enter in the password box is "OK".
    connect(m_login, &QLineEdit::returnPressed, m_senha, [this] { m_senha->setFocus(); });
    connect(m_senha, &QLineEdit::returnPressed, this, &TfmLogin::accept);
}

QString TfmLogin::login() const
{
    return m_login->text();
}
QString TfmLogin::senha() const
{
    return m_senha->text();
}

void TfmLogin::accept()
{
    if (m_login->text().trimmed().isEmpty()) {
        avisa(QStringLiteral("Favor informar login!"));
        m_login->setFocus();
        return;
    }
    if (m_senha->text().trimmed().isEmpty()) {
        avisa(QStringLiteral("Favor informar a senha!"));
        m_senha->setFocus();
        return;
    }
    QDialog::accept();
}

void TfmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_login->setFocus();
}

} // namespace kelvo
