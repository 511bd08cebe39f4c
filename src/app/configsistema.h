#pragma once
// The first-run window "Configurações iniciais": where the database server is,
// which database, the dialect, the port, the masked connection and the account.
// Only the controls live here; what is done with the values is in
// configinicial.h.

#include "app/configinicial.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kelvo {

class TfConfigSistema : public QDialog
{
    Q_OBJECT
public:
    explicit TfConfigSistema(QWidget *parent = nullptr);

    // The typed values (port as typed; `portaValida` tells whether it is a number).
    DadosConfigInicial dados() const;
    void setDados(const DadosConfigInicial &dados);

    QLineEdit *edHost() const { return m_host; }
    QLineEdit *edBanco() const { return m_banco; }
    QComboBox *cbTipoBanco() const { return m_tipo; }
    QLineEdit *edPorta() const { return m_porta; }
    QCheckBox *ckMascarado() const { return m_mascarado; }
    QLineEdit *edUsuario() const { return m_usuario; }
    QLineEdit *edSenha() const { return m_senha; }
    QPushButton *btOK() const { return m_ok; }
    QPushButton *btCancelar() const { return m_cancelar; }

    // "OK": refuses a port that is not a whole number, else accepts.
    void accept() override;

private:
    void tipoEscolhido(int indice);

    QLineEdit *m_host;
    QLineEdit *m_banco;
    QComboBox *m_tipo;
    QLineEdit *m_porta;
    QCheckBox *m_mascarado;
    QLineEdit *m_usuario;
    QLineEdit *m_senha;
    QPushButton *m_ok;
    QPushButton *m_cancelar;
};

// Shows the first-run window modally on `janela` (created by the caller and
// kept between attempts, so its contents stay); true when accepted.
bool mostraConfigSistema(TfConfigSistema &janela, DadosConfigInicial &dados);

} // namespace kelvo
