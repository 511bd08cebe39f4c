#pragma once
// The login window "Horatrix - Kelvo": login and password, "OK" and "Cancelar".

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kelvo {

class TfmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit TfmLogin(QWidget *parent = nullptr);

    QString login() const;
    QString senha() const;

    QLineEdit *edLogin() const { return m_login; }
    QLineEdit *edSenha() const { return m_senha; }
    QPushButton *btOK() const { return m_ok; }
    QPushButton *btCancelar() const { return m_cancelar; }

    // "OK": refuses an empty login or password (after trimming), else accepts.
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_login;
    QLineEdit *m_senha;
    QPushButton *m_ok;
    QPushButton *m_cancelar;
};

} // namespace kelvo
