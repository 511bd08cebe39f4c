#pragma once
// The "Coletar AFD" dialog (file name and optional period), the window that
// mirrors the device conversation while the collection runs, and the one call
// the main window makes for "Coletar AFD" on the selected REP.

#include "operations/coletaafd.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace kelvo {

class TfColetaAFD : public QDialog
{
    Q_OBJECT
public:
    explicit TfColetaAFD(QWidget *parent = nullptr);

    void defineArquivo(const QString &arquivo);
    QString arquivo() const;
    bool filtro() const;
    QDate inicio() const;
    QDate fim() const;

    // "Coletar": the checks; accepts the dialog when they pass.
    void coletar();
    // The browse button: the save dialog ("Salvar AFD como...").
    void procurar();
    // A chosen name without extension gets ".txt".
    static QString comExtensao(const QString &nome);

    QCheckBox *cbFiltrar;
    QDateEdit *edDe;
    QDateEdit *edA;
    QLineEdit *edArquivo;
    QToolButton *btProcurar;
    QPushButton *btColetar;
    QPushButton *btCancelar;
};

// Mirrors the engine's texts while a collection runs; closes itself when the
// flow has finished.
class TfAndamentoColeta : public QDialog
{
    Q_OBJECT
public:
    explicit TfAndamentoColeta(FluxoColetaAFD &fluxo, QWidget *parent = nullptr);
    // Shows the window modally while the flow runs; returns at once when it is not running.
    int exec() override;

private:
    void ligaMotor(MotorREP *motor);

    FluxoColetaAFD &m_fluxo;
    QLabel *m_legenda;
    QLabel *m_titulo;
    QLabel *m_situacao;
    QProgressBar *m_progresso;
};

// "Coletar AFD" on the REP with key `idcoletor` (the main window's selection):
// reload and refusal, default file name, the dialog, the collection, the
// closing messages.  Returns how it ended (NaoIniciada when cancelled/refused).
// `fabrica` (tests) replaces the engines of the models.
ResultadoColetaAFD coletarAFD(QWidget *parent, int idcoletor, FabricaMotor fabrica = {});

} // namespace kelvo
