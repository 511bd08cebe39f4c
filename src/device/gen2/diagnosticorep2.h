#pragma once
// The technician's diagnostic window for a registered REP2: one button per
// command of the new protocol (status, clock, employer read, working-memory
// read, password, memory starts, the template commands), the reply list and
// the send trace.  Each button runs one conversation of its own; the window
// stays open until the technician closes it.  It is kept out of the everyday
// path: the main window offers it for a REP of model "REP2" only.

#include "device/gen2/motorrep2.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QLabel;

namespace kelvo {

class TfREP2Diagnostico : public QDialog
{
    Q_OBJECT
public:
    TfREP2Diagnostico(const TParametrosComunicacao &p, QWidget *parent = nullptr,
                      const TemposREP2 &tempos = TemposREP2());

    MotorREP2 &motor() { return *m_motor; }
    QStringList respostas() const;
    // The buttons are named after their command ("btStatus", "btListaTemplates", ...).
    QPushButton *botao(const QString &nome) const;
    void defineMatricula(const QString &m);
    void defineDedo(const QString &d);
    void defineSenha(const QString &s);
    void marcaArquivoTemplate(const QString &nome, bool marcado = true);
    void recarregaArquivosTemplate();
    // The employee page ("Colaboradores").
    void defineColaborador(const QString &ibutton, const QString &matricula, const QString &pis,
                           const QString &nome, int acao, bool incrementarPis);
    QString pisDoColaborador() const;
    QString matriculaDoColaborador() const;

private:
    QPushButton *novoBotao(const QString &nome, const QString &texto, const std::function<bool()> &acao);
    void aoTerminar();
    bool gravaTemplateMarcado();
    bool enviaColaborador();
    void habilita(bool sim);

    TParametrosComunicacao m_p;
    MotorREP2 *m_motor;
    QList<QPushButton *> m_botoes;
    QLineEdit *m_matricula = nullptr;
    QLineEdit *m_dedo = nullptr;
    QLineEdit *m_senha = nullptr;
    QLineEdit *m_dataHora = nullptr;
    QRadioButton *m_atual = nullptr;
    QLineEdit *m_arquivoMT = nullptr;
    QListWidget *m_templates = nullptr;
    QPlainTextEdit *m_respostas = nullptr;
    QPlainTextEdit *m_envio = nullptr;
    QLabel *m_resultado = nullptr;
    QLabel *m_situacao = nullptr;
    QComboBox *m_tipoEmpregador = nullptr;
    QLineEdit *m_nomeEmpregador = nullptr;
    QLineEdit *m_cpfCnpj = nullptr;
    QLineEdit *m_cei = nullptr;
    QLineEdit *m_local = nullptr;
    QLineEdit *m_ibutton = nullptr;
    QLineEdit *m_matColab = nullptr;
    QLineEdit *m_pis = nullptr;
    QLineEdit *m_nomeColab = nullptr;
    QComboBox *m_acao = nullptr;
    QCheckBox *m_incrementarPis = nullptr;
};

// Opens the diagnostic window for the REP and returns when it is closed.
void abrirDiagnosticoREP2(QWidget *parent, const TParametrosComunicacao &p);

} // namespace kelvo
