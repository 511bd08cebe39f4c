#include "app/configsistema.h"

#include "data/interacao.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {

namespace {
QLineEdit *caixaSenha(QWidget *pai, const QString &nome)
{
    auto *e = new QLineEdit(pai);
    e->setObjectName(nome);
    e->setEchoMode(QLineEdit::Password);
    // Characters show as "*", whatever the style would use.
    e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    return e;
}
} // namespace

TfConfigSistema::TfConfigSistema(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fConfigSistema"));
    setWindowTitle(QStringLiteral("Configurações iniciais"));
    setModal(true);

    auto *cabecalho = new QLabel(QStringLiteral("Configurações iniciais"), this);
    cabecalho->setObjectName(QStringLiteral("lbCabecalho"));
    QFont f = cabecalho->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    cabecalho->setFont(f);

    m_host = new QLineEdit(QStringLiteral("localhost"), this);
    m_host->setObjectName(QStringLiteral("edHost"));
    m_banco = new QLineEdit(this);
    m_banco->setObjectName(QStringLiteral("edBanco"));
    m_tipo = new QComboBox(this);
    m_tipo->setObjectName(QStringLiteral("cbTipoBanco"));
    m_tipo->addItems({QStringLiteral("MySQL"), QStringLiteral("SQL Server")});
    m_porta = new QLineEdit(QStringLiteral("3309"), this);
    m_porta->setObjectName(QStringLiteral("edPorta"));
    m_mascarado = new QCheckBox(QStringLiteral("Usar conexão ao banco de dados mascarada ??"), this);
    m_mascarado->setObjectName(QStringLiteral("ckMascarado"));
    m_mascarado->setToolTip(
        QStringLiteral("Para cada instalação, apenas um computador deverá comunicar com os "
                       "equipamentos. Se tiver dúvidas sobre essa opção, deixe DESMARCADO"));
    m_usuario = caixaSenha(this, QStringLiteral("edUsuario"));
    m_senha = caixaSenha(this, QStringLiteral("edSenha"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Endereço IP do servidor:"), m_host);
    form->addRow(QStringLiteral("Nome da base de dados:"), m_banco);
    form->addRow(QStringLiteral("Tipo de banco de dados:"), m_tipo);
    form->addRow(QStringLiteral("Porta:"), m_porta);
    form->addRow(m_mascarado);
    form->addRow(QStringLiteral("Usuario:"), m_usuario);
    form->addRow(QStringLiteral("Senha:"), m_senha);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btOK"));
    m_ok->setDefault(true);
    m_cancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    m_cancelar->setObjectName(QStringLiteral("btCancelar"));
    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(m_ok);
    botoes->addWidget(m_cancelar);

    auto *tudo = new QVBoxLayout(this);
    tudo->addWidget(cabecalho);
    tudo->addLayout(form);
    tudo->addLayout(botoes);

    connect(m_ok, &QPushButton::clicked, this, &TfConfigSistema::accept);
    connect(m_cancelar, &QPushButton::clicked, this, &TfConfigSistema::reject);
    connect(m_tipo, &QComboBox::currentIndexChanged, this, &TfConfigSistema::tipoEscolhido);

    m_tipo->setCurrentIndex(static_cast<int>(Dialeto::SQLServer));
    tipoEscolhido(m_tipo->currentIndex());
    setMinimumWidth(420);
}

void TfConfigSistema::tipoEscolhido(int indice)
{
    // The port is only used by MySQL.
    m_porta->setEnabled(indice == static_cast<int>(Dialeto::MySQL));
}

DadosConfigInicial TfConfigSistema::dados() const
{
    DadosConfigInicial d;
    d.host = m_host->text();
    d.banco = m_banco->text();
    d.dialeto = m_tipo->currentIndex() == 1 ? Dialeto::SQLServer : Dialeto::MySQL;
    d.porta = m_porta->text();
    d.mascarado = m_mascarado->isChecked();
    d.usuario = m_usuario->text();
    d.senha = m_senha->text();
    return d;
}

void TfConfigSistema::setDados(const DadosConfigInicial &d)
{
    m_host->setText(d.host);
    m_banco->setText(d.banco);
    m_tipo->setCurrentIndex(static_cast<int>(d.dialeto));
    m_porta->setText(d.porta);
    m_mascarado->setChecked(d.mascarado);
    m_usuario->setText(d.usuario);
    m_senha->setText(d.senha);
}

void TfConfigSistema::accept()
{
    if (!portaValida(m_porta->text())) {
        avisa(mensagemPortaInvalida());
        if (m_porta->isEnabled()) {
            m_porta->setFocus();
            m_porta->selectAll();
        }
        return;
    }
    QDialog::accept();
}

bool mostraConfigSistema(TfConfigSistema &janela, DadosConfigInicial &dados)
{
    if (janela.exec() != QDialog::Accepted)
        return false;
    dados = janela.dados();
    return true;
}

} // namespace kelvo
