#pragma once
// The options window: serial ports of the REPs and of the two identifier
// readers, serial speed, iButton reader type, whether the AFD file opens after
// a collection, and the folder for AFD files.  Its effect is what it writes to
// sistema.INI on "&OK"; the caller re-reads port and speed when it closes.

#include <QDialog>
#include <QList>
#include <QPair>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kelvo {

// The serial ports of this installation as the port lists show them:
// (n of "COM" + n, "COM3 (/dev/ttyUSB0)"), sorted by number.
QList<QPair<int, QString>> entradasPortasSeriais();

class TfConfig : public QDialog
{
    Q_OBJECT
public:
    // portas: (number n of "COM" + n, text shown), in the order to list them.
    explicit TfConfig(const QList<QPair<int, QString>> &portas, QWidget *parent = nullptr);
    // With the serial ports of this installation.
    explicit TfConfig(QWidget *parent = nullptr);

    QComboBox *listaRep() const { return m_rep; }
    QComboBox *listaIbutton() const { return m_ibutton; }
    QComboBox *listaProximidade() const { return m_proximidade; }
    QComboBox *listaVelocidade() const { return m_velocidade; }
    QComboBox *listaTipoLeitor() const { return m_tipoLeitor; }
    QCheckBox *caixaVerAfd() const { return m_verAfd; }
    QLineEdit *campoPasta() const { return m_pasta; }
    QToolButton *botaoProcurar() const { return m_procurar; }
    QPushButton *botaoOk() const { return m_ok; }
    QPushButton *botaoCancelar() const { return m_cancelar; }

    // The folder chooser while it is open (nullptr otherwise).
    QFileDialog *seletorPasta() const { return m_seletor; }

public Q_SLOTS:
    void procuraPasta();
    void confirma();

private:
    struct Lista
    {
        QComboBox *combo = nullptr;
        int indiceInicial = -1;
        bool valorReconhecido = false;
    };
    void carrega();
    static void selecionaPorta(Lista &l, const QString &valor);
    // Whether a list must be written: always, unless it shows the entry it
    // opened with and the stored value matched none of its entries.
    static bool deveGravar(const Lista &l);

    QComboBox *m_rep;
    QComboBox *m_ibutton;
    QComboBox *m_proximidade;
    QComboBox *m_velocidade;
    QComboBox *m_tipoLeitor;
    QCheckBox *m_verAfd;
    QLineEdit *m_pasta;
    QToolButton *m_procurar;
    QPushButton *m_ok;
    QPushButton *m_cancelar;
    QFileDialog *m_seletor = nullptr;
    Lista m_lRep, m_lIbutton, m_lProx, m_lVelocidade, m_lTipo;
};

} // namespace kelvo
