#pragma once
// The new-device wizard: welcome, link type, TCP/IP data, serial port, name.
// It only gathers the answers; identifying the device and registering it is
// the main window's new-REP action (AcoesRep::novoRep).

#include <QDialog>
#include <QList>
#include <QPair>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace kelvo {

class TfmNovoRel : public QDialog
{
    Q_OBJECT
public:
    enum Pagina
    {
        PaginaBemVindo = 0,
        PaginaTipo = 1,
        PaginaTcp = 2,
        PaginaSerial = 3,
        PaginaNome = 4
    };

    // portas: (number n of "COM" + n, text shown), in the order to list them.
    explicit TfmNovoRel(const QList<QPair<int, QString>> &portas, QWidget *parent = nullptr);

    int pagina() const;
    bool tcpIp() const;
    bool ipDinamico() const;
    QString ip() const;
    QString url() const;
    int portaIp() const;
    QString textoPortaIp() const;
    // Number of the port picked on the serial page; -1 when there is none.
    int portaSerialEscolhida() const;
    QString nome() const;

    // Controls, for the window's own tests and for the desktop's screenshots.
    QPushButton *botaoAnterior() const { return m_anterior; }
    QPushButton *botaoAvancar() const { return m_avancar; }
    QPushButton *botaoCancelar() const { return m_cancelar; }
    QToolButton *botaoTcp() const { return m_tcp; }
    QToolButton *botaoSerial() const { return m_serial; }
    QLineEdit *campoIp() const { return m_ip; }
    QCheckBox *caixaIpDinamico() const { return m_dinamico; }
    QLineEdit *campoUrl() const { return m_url; }
    QLineEdit *campoPorta() const { return m_porta; }
    QComboBox *listaPortas() const { return m_portas; }
    QLineEdit *campoNome() const { return m_nome; }

public Q_SLOTS:
    void avancar();
    void voltar();
    // "Cancelar", Esc and closing the window ask before giving up.
    void reject() override;

private:
    void mostraPagina(int p);

    QStackedWidget *m_paginas;
    QWidget *m_fundo;
    QPushButton *m_anterior;
    QPushButton *m_avancar;
    QPushButton *m_cancelar;
    QToolButton *m_tcp;
    QToolButton *m_serial;
    QLineEdit *m_ip;
    QCheckBox *m_dinamico;
    QLineEdit *m_url;
    QLineEdit *m_porta;
    QComboBox *m_portas;
    QLineEdit *m_nome;
};

} // namespace kelvo
