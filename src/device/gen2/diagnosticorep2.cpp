#include "device/gen2/diagnosticorep2.h"

#include "data/interacao.h"
#include "data/sistema.h"
#include "device/common/retorno.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelvo {

TfREP2Diagnostico::TfREP2Diagnostico(const TParametrosComunicacao &p, QWidget *parent,
                                     const TemposREP2 &tempos)
    : QDialog(parent), m_p(p), m_motor(new MotorREP2(tempos, this))
{
    setWindowTitle(QStringLiteral("Diagnóstico REP2 - COM") + QString::number(p.PortaSerial));

    auto *campos = new QGridLayout;
    int linha = 0;
    const auto campo = [&](const QString &rotulo, QLineEdit *edit) {
        campos->addWidget(new QLabel(rotulo, this), linha, 0);
        campos->addWidget(edit, linha, 1);
        ++linha;
    };
    m_matricula = new QLineEdit(this);
    m_matricula->setMaxLength(8);
    campo(QStringLiteral("Nº Matrícula"), m_matricula);
    m_dedo = new QLineEdit(this);
    m_dedo->setMaxLength(1);
    campo(QStringLiteral("dedo"), m_dedo);
    m_senha = new QLineEdit(this);
    m_senha->setMaxLength(4);
    campo(QStringLiteral("Senha"), m_senha);
    m_arquivoMT = new QLineEdit(PastaPrograma() + QStringLiteral("mt.txt"), this);
    campo(QStringLiteral("Arquivo da MT"), m_arquivoMT);
    m_atual = new QRadioButton(QStringLiteral("Atual"), this);
    auto *configuravel = new QRadioButton(QStringLiteral("Configurável"), this);
    m_atual->setChecked(true);
    m_dataHora = new QLineEdit(this);
    m_dataHora->setInputMask(QStringLiteral("99/99/9999 99:99:99;_"));
    m_dataHora->setText(QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")));
    auto *dh = new QHBoxLayout;
    dh->addWidget(m_atual);
    dh->addWidget(configuravel);
    dh->addWidget(m_dataHora);
    campos->addWidget(new QLabel(QStringLiteral("Data/Hora"), this), linha, 0);
    campos->addLayout(dh, linha, 1);
    ++linha;
    auto *debug = new QCheckBox(QStringLiteral("debug"), this);
    debug->setChecked(m_motor->debug());
    connect(debug, &QCheckBox::toggled, m_motor, &MotorREP2::defineDebug);
    auto *bytes = new QCheckBox(QStringLiteral("Mostrar bytes de entrada"), this);
    connect(bytes, &QCheckBox::toggled, m_motor, &MotorREP2::defineMostrarBytes);
    campos->addWidget(debug, linha, 0);
    campos->addWidget(bytes, linha, 1);

    m_templates = new QListWidget(this);
    m_templates->setObjectName(QStringLiteral("listaTemplates"));
    recarregaArquivosTemplate();
    connect(m_motor, &MotorREP2::arquivosTemplateAlterados, this,
            &TfREP2Diagnostico::recarregaArquivosTemplate);

    auto *grade = new QGridLayout;
    const QList<QPushButton *> bs = {
        novoBotao(QStringLiteral("btStatus"), QStringLiteral("Status"),
                  [this] { return m_motor->StatusManutencao(m_p); }),
        novoBotao(QStringLiteral("btDataHora"), QStringLiteral("Acertar data/hora"),
                  [this] {
                      const QString t =
                          m_atual->isChecked()
                              ? QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"))
                              : m_dataHora->text();
                      return m_motor->AcertaDataHora(m_p, t.mid(0, 2), t.mid(3, 2), t.mid(6, 4), t.mid(11, 2),
                                                     t.mid(14, 2), t.mid(17, 2));
                  }),
        novoBotao(QStringLiteral("btRecebeEmpregador"), QStringLiteral("Receber empregador"),
                  [this] { return m_motor->RecebeEmpregador(m_p); }),
        novoBotao(QStringLiteral("btLeituraMT"), QStringLiteral("Ler memória de trabalho"),
                  [this] { return m_motor->LeituraMT(m_p, m_arquivoMT->text()); }),
        novoBotao(QStringLiteral("btSenha"), QStringLiteral("Enviar Senha"),
                  [this] { return m_motor->EnviaSenha(m_p, m_senha->text()); }),
        novoBotao(QStringLiteral("btIniciaMT"), QStringLiteral("Iniciar MT"),
                  [this] { return m_motor->IniciaMT(m_p); }),
        novoBotao(QStringLiteral("btIniciaMRP"), QStringLiteral("Iniciar MRP"),
                  [this] {
                      if (!pergunta(QStringLiteral(
                              "A memória de registro de ponto do REP será iniciada. Deseja prosseguir?")))
                          return false;
                      return m_motor->IniciaMRP(m_p);
                  }),
        novoBotao(QStringLiteral("btLeTemplate"), QStringLiteral("Ler template"),
                  [this] { return m_motor->LeTemplate(m_p, m_matricula->text(), m_dedo->text()); }),
        novoBotao(QStringLiteral("btGravaTemplate"), QStringLiteral("Cadastrar template"),
                  [this] { return gravaTemplateMarcado(); }),
        novoBotao(QStringLiteral("btContaTemplates"), QStringLiteral("Verifica templates"),
                  [this] { return m_motor->ContaTemplates(m_p, m_matricula->text()); }),
        novoBotao(QStringLiteral("btApagaTemplate"), QStringLiteral("Excluir template"),
                  [this] { return m_motor->ApagaTemplatesMatricula(m_p, m_matricula->text()); }),
        novoBotao(QStringLiteral("btTemplatesDisponiveis"), QStringLiteral("Templates disponiveis"),
                  [this] { return m_motor->TemplatesDisponiveis(m_p); }),
        novoBotao(QStringLiteral("btApagaTodas"), QStringLiteral("Apagar TODAS templates"),
                  [this] {
                      if (!pergunta(
                              QStringLiteral("Todas as templates do REP serão apagadas. Deseja prosseguir?")))
                          return false;
                      return m_motor->ApagaTodasTemplates(m_p);
                  }),
        novoBotao(QStringLiteral("btListaTemplates"), QStringLiteral("Lista templates"),
                  [this] { return m_motor->ListaTemplates(m_p); }),
    };
    // "Empregador" page: sent as the fields stand, without the size checks.
    auto *empregador = new QGroupBox(QStringLiteral("Empregador"), this);
    auto *fe = new QFormLayout(empregador);
    m_tipoEmpregador = new QComboBox(empregador);
    m_tipoEmpregador->addItems({QStringLiteral("Pessoa Jurídica"), QStringLiteral("Pessoa Física")});
    m_nomeEmpregador = new QLineEdit(empregador);
    m_cpfCnpj = new QLineEdit(empregador);
    m_cei = new QLineEdit(empregador);
    m_local = new QLineEdit(empregador);
    fe->addRow(QStringLiteral("Tipo"), m_tipoEmpregador);
    fe->addRow(QStringLiteral("Nome"), m_nomeEmpregador);
    fe->addRow(QStringLiteral("CPF/CNPJ"), m_cpfCnpj);
    fe->addRow(QStringLiteral("CEI"), m_cei);
    fe->addRow(QStringLiteral("Local"), m_local);
    fe->addRow(novoBotao(QStringLiteral("btEnviaEmpregador"), QStringLiteral("Enviar"), [this] {
        return m_motor->EnviaEmpregadorManutencao(m_p, m_nomeEmpregador->text(), m_cpfCnpj->text(),
                                                  m_cei->text(), m_local->text(),
                                                  m_tipoEmpregador->currentIndex());
    }));

    // "Colaboradores" page.
    auto *colaboradores = new QGroupBox(QStringLiteral("Colaboradores"), this);
    auto *fc = new QFormLayout(colaboradores);
    m_ibutton = new QLineEdit(colaboradores);
    m_ibutton->setMaxLength(6);
    m_matColab = new QLineEdit(colaboradores);
    m_matColab->setMaxLength(8);
    m_pis = new QLineEdit(colaboradores);
    m_pis->setMaxLength(12);
    m_nomeColab = new QLineEdit(colaboradores);
    m_nomeColab->setMaxLength(52);
    m_acao = new QComboBox(colaboradores);
    m_acao->addItems({QStringLiteral("Inclui"), QStringLiteral("Altera"), QStringLiteral("Exclui")});
    m_incrementarPis = new QCheckBox(QStringLiteral("Incrementar Pis"), colaboradores);
    fc->addRow(QStringLiteral("Ibutton"), m_ibutton);
    fc->addRow(QStringLiteral("Matrícula"), m_matColab);
    fc->addRow(QStringLiteral("PIS"), m_pis);
    fc->addRow(QStringLiteral("Nome"), m_nomeColab);
    fc->addRow(m_acao, m_incrementarPis);
    fc->addRow(novoBotao(QStringLiteral("btEnviaFuncionario"), QStringLiteral("Enviar"),
                         [this] { return enviaColaborador(); }));

    for (int i = 0; i < bs.size(); ++i)
        grade->addWidget(bs[i], i / 2, i % 2);

    m_respostas = new QPlainTextEdit(this);
    m_respostas->setReadOnly(true);
    m_respostas->setObjectName(QStringLiteral("Memo1"));
    m_envio = new QPlainTextEdit(this);
    m_envio->setReadOnly(true);
    m_envio->setObjectName(QStringLiteral("Memo2"));
    m_resultado = new QLabel(this);
    m_resultado->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_situacao = new QLabel(this);

    connect(m_motor, &MotorREP2::respostaAdicionada, m_respostas, &QPlainTextEdit::appendPlainText);
    connect(m_motor, &MotorREP2::respostasLimpas, m_respostas, &QPlainTextEdit::clear);
    connect(m_motor, &MotorREP2::envioRegistrado, m_envio, &QPlainTextEdit::appendPlainText);
    connect(m_motor, &MotorREP::situacaoAlterada, m_situacao, &QLabel::setText);
    connect(m_motor, &MotorREP::terminou, this, &TfREP2Diagnostico::aoTerminar);

    auto *esquerda = new QVBoxLayout;
    esquerda->addLayout(campos);
    esquerda->addWidget(new QLabel(QStringLiteral("Arquivos de template"), this));
    esquerda->addWidget(m_templates);
    esquerda->addLayout(grade);
    auto *direita = new QVBoxLayout;
    direita->addWidget(new QLabel(QStringLiteral("Respostas"), this));
    direita->addWidget(m_respostas, 3);
    direita->addWidget(new QLabel(QStringLiteral("Envio"), this));
    direita->addWidget(m_envio, 2);
    direita->addWidget(m_situacao);
    direita->addWidget(m_resultado);
    auto *fechar = new QPushButton(QStringLiteral("Fechar"), this);
    connect(fechar, &QPushButton::clicked, this, &QDialog::reject);
    direita->addWidget(fechar, 0, Qt::AlignRight);
    auto *tudo = new QHBoxLayout(this);
    tudo->addLayout(esquerda, 1);
    auto *meio = new QVBoxLayout;
    meio->addWidget(empregador);
    meio->addWidget(colaboradores);
    meio->addStretch();
    tudo->addLayout(meio, 1);
    tudo->addLayout(direita, 2);
    resize(1200, 650);
}

QPushButton *TfREP2Diagnostico::novoBotao(const QString &nome, const QString &texto,
                                          const std::function<bool()> &acao)
{
    auto *b = new QPushButton(texto, this);
    b->setObjectName(nome);
    connect(b, &QPushButton::clicked, this, [this, acao] {
        if (m_motor->emConversa())
            return;
        m_resultado->clear();
        if (acao())
            habilita(!m_motor->emConversa());
    });
    m_botoes.append(b);
    return b;
}

void TfREP2Diagnostico::habilita(bool sim)
{
    for (QPushButton *b : std::as_const(m_botoes))
        b->setEnabled(sim);
}

void TfREP2Diagnostico::aoTerminar()
{
    habilita(true);
    m_resultado->setText(QStringLiteral("Resultado: ") + RetornoComunicacao);
}

bool TfREP2Diagnostico::gravaTemplateMarcado()
{
    QStringList marcados;
    for (int i = 0; i < m_templates->count(); ++i)
        if (m_templates->item(i)->checkState() == Qt::Checked)
            marcados << m_templates->item(i)->text();
    if (marcados.isEmpty()) {
        avisa(QStringLiteral("Selecione pelo menos 1 digital para enviar"));
        return false;
    }
    if (marcados.size() > 1) {
        avisa(QStringLiteral("Selecione somente 1 digital para enviar"));
        return false;
    }
    return m_motor->GravaTemplate(m_p, m_matricula->text(), marcados.first());
}

bool TfREP2Diagnostico::enviaColaborador()
{
    if (m_incrementarPis->isChecked()) {
        const auto n = rep2::incrementaPis(m_pis->text());
        if (!n) {
            erro(QStringLiteral("PIS inválido: use até 12 dígitos numéricos"));
            return false;
        }
        m_pis->setText(n->pis);
        m_matColab->setText(n->matricula);
    }
    return m_motor->EnviaFuncionario(m_p, m_ibutton->text().toUpper(), m_matColab->text(), m_pis->text(),
                                     m_nomeColab->text().toUpper(), m_acao->currentIndex());
}

void TfREP2Diagnostico::defineColaborador(const QString &ibutton, const QString &matricula,
                                          const QString &pis, const QString &nome, int acao,
                                          bool incrementarPis)
{
    m_ibutton->setText(ibutton);
    m_matColab->setText(matricula);
    m_pis->setText(pis);
    m_nomeColab->setText(nome);
    m_acao->setCurrentIndex(acao);
    m_incrementarPis->setChecked(incrementarPis);
}

QString TfREP2Diagnostico::pisDoColaborador() const
{
    return m_pis->text();
}

QString TfREP2Diagnostico::matriculaDoColaborador() const
{
    return m_matColab->text();
}

QStringList TfREP2Diagnostico::respostas() const
{
    return m_motor->respostas();
}

QPushButton *TfREP2Diagnostico::botao(const QString &nome) const
{
    return findChild<QPushButton *>(nome);
}

void TfREP2Diagnostico::defineMatricula(const QString &m)
{
    m_matricula->setText(m);
}

void TfREP2Diagnostico::defineDedo(const QString &d)
{
    m_dedo->setText(d);
}

void TfREP2Diagnostico::defineSenha(const QString &s)
{
    m_senha->setText(s);
}

void TfREP2Diagnostico::marcaArquivoTemplate(const QString &nome, bool marcado)
{
    for (int i = 0; i < m_templates->count(); ++i)
        if (m_templates->item(i)->text() == nome)
            m_templates->item(i)->setCheckState(marcado ? Qt::Checked : Qt::Unchecked);
}

void TfREP2Diagnostico::recarregaArquivosTemplate()
{
    QStringList marcados;
    for (int i = 0; i < m_templates->count(); ++i)
        if (m_templates->item(i)->checkState() == Qt::Checked)
            marcados << m_templates->item(i)->text();
    m_templates->clear();
    for (const QString &nome : MotorREP2::arquivosTemplate()) {
        auto *item = new QListWidgetItem(nome, m_templates);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(marcados.contains(nome) ? Qt::Checked : Qt::Unchecked);
    }
}

void abrirDiagnosticoREP2(QWidget *parent, const TParametrosComunicacao &p)
{
    TfREP2Diagnostico d(p, parent);
    d.exec();
}

} // namespace kelvo
