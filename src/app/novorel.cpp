#include "app/novorel.h"

#include "data/interacao.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kelvo {

namespace {

QLabel *rotulo(const QString &texto, QWidget *pai, bool destaque = false)
{
    auto *l = new QLabel(texto, pai);
    l->setWordWrap(true);
    if (destaque) {
        QFont f = l->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.2);
        l->setFont(f);
    }
    return l;
}

} // namespace

TfmNovoRel::TfmNovoRel(const QList<QPair<int, QString>> &portas, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmNovoRel"));
    // "Assistente para novo equipamento" at design time; the program's title is shown.
    const QString titulo = QGuiApplication::applicationDisplayName();
    setWindowTitle(titulo.isEmpty() ? QStringLiteral("Assistente para novo equipamento") : titulo);
    resize(520, 360);

    auto *cabecalho = new QLabel(QStringLiteral("Adicionando novo Equipamento"), this);
    cabecalho->setObjectName(QStringLiteral("lbCabecalho"));
    QFont fc = cabecalho->font();
    fc.setBold(true);
    fc.setPointSizeF(fc.pointSizeF() * 1.3);
    cabecalho->setFont(fc);
    cabecalho->setContentsMargins(12, 8, 12, 8);

    m_fundo = new QWidget(this);
    m_fundo->setAutoFillBackground(true);
    m_paginas = new QStackedWidget(m_fundo);
    auto *lf = new QVBoxLayout(m_fundo);
    lf->addWidget(m_paginas);

    // 0: welcome
    auto *p0 = new QWidget;
    auto *l0 = new QVBoxLayout(p0);
    l0->addWidget(rotulo(QStringLiteral("Bem vindo ao Assistente para a instalação"), p0, true));
    l0->addWidget(rotulo(QStringLiteral("de novo equipamento"), p0, true));
    l0->addStretch();
    l0->addWidget(rotulo(QStringLiteral("Clique em Avançar para continuar"), p0));
    m_paginas->addWidget(p0);

    // 1: link type
    auto *p1 = new QWidget;
    auto *l1 = new QVBoxLayout(p1);
    l1->addWidget(rotulo(QStringLiteral("Selecione a forma de comunicação"), p1, true));
    m_tcp = new QToolButton(p1);
    m_tcp->setObjectName(QStringLiteral("btTcp"));
    m_tcp->setText(QStringLiteral("TCP/IP"));
    m_serial = new QToolButton(p1);
    m_serial->setObjectName(QStringLiteral("btSerial"));
    m_serial->setText(QStringLiteral("Serial 232"));
    auto *grupo = new QButtonGroup(this);
    grupo->setExclusive(true);
    for (QToolButton *b : {m_tcp, m_serial}) {
        b->setCheckable(true);
        b->setMinimumSize(140, 60);
        grupo->addButton(b);
    }
    m_serial->setChecked(true);
    auto *lb = new QHBoxLayout;
    lb->addStretch();
    lb->addWidget(m_tcp);
    lb->addWidget(m_serial);
    lb->addStretch();
    l1->addLayout(lb);
    l1->addStretch();
    m_paginas->addWidget(p1);

    // 2: TCP/IP
    auto *p2 = new QWidget;
    auto *l2 = new QVBoxLayout(p2);
    l2->addWidget(rotulo(QStringLiteral("Informe os dados de comunicação TCP/IP"), p2, true));
    l2->addWidget(
        rotulo(QStringLiteral("Você pode escolher entre IP fixo ou dinâmico. Se escolher dinâmico, informe "
                              "a URL de conexão. Será preciso contatar o administrador de rede para "
                              "verificar a disponibilidade deste recurso."),
               p2));
    m_ip = new QLineEdit(QStringLiteral("0.0.0.0"), p2);
    m_ip->setObjectName(QStringLiteral("edIp"));
    static const QRegularExpression reIp(QStringLiteral(
        "^(25[0-5]|2[0-4]\\d|1\\d\\d|\\d?\\d)?(\\.(25[0-5]|2[0-4]\\d|1\\d\\d|\\d?\\d)?){0,3}$"));
    m_ip->setValidator(new QRegularExpressionValidator(reIp, m_ip));
    m_dinamico = new QCheckBox(QStringLiteral("IP Dinâmico"), p2);
    m_dinamico->setObjectName(QStringLiteral("ckDinamico"));
    m_url = new QLineEdit(p2);
    m_url->setObjectName(QStringLiteral("edUrl"));
    m_porta = new QLineEdit(QStringLiteral("5006"), p2);
    m_porta->setObjectName(QStringLiteral("edPorta"));
    // Digits only (backspace and editing keys still work).
    m_porta->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("^\\d{0,5}$")), m_porta));
    auto *f2 = new QFormLayout;
    f2->addRow(QStringLiteral("Endereço IP"), m_ip);
    f2->addRow(QString(), m_dinamico);
    f2->addRow(QStringLiteral("URL"), m_url);
    f2->addRow(QStringLiteral("Porta"), m_porta);
    l2->addLayout(f2);
    l2->addStretch();
    m_paginas->addWidget(p2);

    // 3: serial
    auto *p3 = new QWidget;
    auto *l3 = new QVBoxLayout(p3);
    l3->addWidget(rotulo(QStringLiteral("Informe os dados da comunicação serial"), p3, true));
    m_portas = new QComboBox(p3);
    m_portas->setObjectName(QStringLiteral("cbPortas"));
    m_portas->setEditable(false);
    for (const auto &p : portas)
        m_portas->addItem(p.second, p.first);
    if (m_portas->count() > 0)
        m_portas->setCurrentIndex(0);
    auto *f3 = new QFormLayout;
    f3->addRow(QStringLiteral("Porta Serial:"), m_portas);
    l3->addLayout(f3);
    l3->addStretch();
    m_paginas->addWidget(p3);

    // 4: name
    auto *p4 = new QWidget;
    auto *l4 = new QVBoxLayout(p4);
    m_nome = new QLineEdit(p4);
    m_nome->setObjectName(QStringLiteral("edNome"));
    m_nome->setMaxLength(50);
    auto *f4 = new QFormLayout;
    f4->addRow(QStringLiteral("Nome Equipamento:"), m_nome);
    l4->addLayout(f4);
    l4->addStretch();
    m_paginas->addWidget(p4);

    m_anterior = new QPushButton(QStringLiteral("Anterior"), this);
    m_anterior->setObjectName(QStringLiteral("btAnterior"));
    m_avancar = new QPushButton(QStringLiteral("Avançar"), this);
    m_avancar->setObjectName(QStringLiteral("btAvancar"));
    m_avancar->setDefault(true);
    m_avancar->setAutoDefault(true);
    m_cancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    m_cancelar->setObjectName(QStringLiteral("btCancelar"));
    m_cancelar->setAutoDefault(false);
    m_anterior->setAutoDefault(false);
    connect(m_avancar, &QPushButton::clicked, this, &TfmNovoRel::avancar);
    connect(m_anterior, &QPushButton::clicked, this, &TfmNovoRel::voltar);
    connect(m_cancelar, &QPushButton::clicked, this, &TfmNovoRel::reject);

    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(m_anterior);
    botoes->addWidget(m_avancar);
    botoes->addWidget(m_cancelar);

    auto *l = new QVBoxLayout(this);
    l->addWidget(cabecalho);
    l->addWidget(m_fundo, 1);
    l->addLayout(botoes);

    mostraPagina(PaginaBemVindo);
}

void TfmNovoRel::mostraPagina(int p)
{
    m_paginas->setCurrentIndex(p);
    QPalette pal = m_fundo->palette();
    pal.setColor(QPalette::Window,
                 p == PaginaBemVindo ? QColor(Qt::white) : palette().color(QPalette::Button));
    m_fundo->setPalette(pal);
    m_anterior->setVisible(p != PaginaBemVindo);
    m_avancar->setText(p == PaginaNome ? QStringLiteral("Concluir") : QStringLiteral("Avançar"));
    switch (p) {
    case PaginaTcp:
        m_ip->setFocus();
        break;
    case PaginaSerial:
        m_portas->setFocus();
        break;
    case PaginaNome:
        m_nome->setFocus();
        break;
    default:
        m_avancar->setFocus();
    }
}

void TfmNovoRel::avancar()
{
    switch (pagina()) {
    case PaginaBemVindo:
        mostraPagina(PaginaTipo);
        break;
    case PaginaTipo:
        mostraPagina(m_tcp->isChecked() ? PaginaTcp : PaginaSerial);
        break;
    case PaginaTcp:
        if (m_dinamico->isChecked() && m_url->text().trimmed().isEmpty()) {
            avisa(QStringLiteral("Favor informar a URL!"));
            m_url->setFocus();
            return;
        }
        mostraPagina(PaginaNome);
        break;
    case PaginaSerial:
        if (m_portas->count() == 0) {
            avisa(QStringLiteral("Nenhuma porta serial foi encontrada neste computador."));
            return;
        }
        mostraPagina(PaginaNome);
        break;
    case PaginaNome:
        if (m_nome->text().trimmed().isEmpty()) {
            avisa(QStringLiteral("Informe o nome do equipamento!"));
            m_nome->setFocus();
            return;
        }
        accept();
        break;
    }
}

void TfmNovoRel::voltar()
{
    if (pagina() == PaginaBemVindo)
        return;
    mostraPagina(pagina() == PaginaTipo ? PaginaBemVindo : PaginaTipo);
}

void TfmNovoRel::reject()
{
    if (pergunta(QStringLiteral("Deseja cancelar o assistente?")))
        QDialog::reject();
}

int TfmNovoRel::pagina() const
{
    return m_paginas->currentIndex();
}

bool TfmNovoRel::tcpIp() const
{
    return m_tcp->isChecked();
}

bool TfmNovoRel::ipDinamico() const
{
    return m_dinamico->isChecked();
}

QString TfmNovoRel::ip() const
{
    return m_ip->text().trimmed();
}

QString TfmNovoRel::url() const
{
    return m_url->text().trimmed();
}

QString TfmNovoRel::textoPortaIp() const
{
    return m_porta->text();
}

int TfmNovoRel::portaIp() const
{
    bool ok = false;
    const int p = m_porta->text().toInt(&ok);
    return ok ? p : 5006;
}

int TfmNovoRel::portaSerialEscolhida() const
{
    if (m_portas->currentIndex() < 0)
        return -1;
    return m_portas->currentData().toInt();
}

QString TfmNovoRel::nome() const
{
    return m_nome->text().trimmed();
}

} // namespace kelvo
