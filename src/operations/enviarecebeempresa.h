#pragma once
// "Enviar/Receber Empresa": sends the employer of a company to the REP that is
// the data module's current tbColetor record, or receives the REP's employer
// into the company register; either way the REP is linked to the company
// through its idempresa.
//
// FluxoEnviaRecebeEmpresa holds the company list and runs both actions without
// widgets; the window TfEnviaRecebeEmpresa and the tests drive it:
//
//     FluxoEnviaRecebeEmpresa fluxo(codigocoletor);
//     fluxo.abreLista();
//     fluxo.defineLinhaAtual(n);
//     if (fluxo.enviar())          // false: nothing started (model, no company)
//         ... event loop until concluida() ...
//
// Each action: the device's status (its serial number must be the REP's
// codigocoletor), then the employer send or read on the same engine, then the
// link.  Every message goes through the interaction interface.
//
// The main window calls abreEnviaRecebeEmpresa(parent, idcoletor).

#include "device/common/motor.h"
#include "device/common/parametros.h"
#include "operations/coletaafd.h" // FabricaMotor, criaMotorPorModelo

#include <QColor>
#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QLabel;
class QTableView;
class QToolBar;
class QWidget;

namespace kelvo {

class Dataset;
class ModeloEmpresas;

// One row of the company list.
struct EmpresaListada
{
    int idempresa = 0;
    QString tipopessoafj;
    QString cpfcnpj;
    QString razaosocial;
    QString localtrabalho;
    QString cei;
    bool ligada = false; // the company this REP is linked to
};

// The employer fields of a successful employer read ("0;" + type + "|" + name +
// "|" + CPF/CNPJ + "|" + CEI + "|" + workplace).
struct EmpregadorRecebido
{
    QString tipo;    // "1" CNPJ, "2" CPF
    QString nome;    // trimmed
    QString cpfcnpj; // blanks removed (the device pads a CPF with blanks)
    QString cei;     // blanks removed
    QString local;   // trimmed
};
EmpregadorRecebido interpretaEmpregadorRecebido(const QString &retorno);

// Two CPF/CNPJ texts are the same number when, without surrounding blanks and
// each left-padded with "0" to 20 characters, they are equal.
bool mesmoCpfCnpj(const QString &a, const QString &b);

// Employer type sent to the device: 0 (CNPJ) for "J", 1 (CPF) for any other value.
int tipoEmpregadorDe(const QString &tipopessoafj);

// Characters 31 to 47 of a status result: the connected device's REP number.
QString numeroSerieDoStatus(const QString &retorno);

// "O coletor selecionado é diferente do que está ligado.\rCódigo do REP ligado a serial: " + number.
QString mensagemColetorDiferente(const QString &numeroSerie);

class FluxoEnviaRecebeEmpresa : public QObject
{
    Q_OBJECT
public:
    enum class Acao
    {
        Nenhuma,
        Enviar,
        Receber
    };

    struct Resultado
    {
        Acao acao = Acao::Nenhuma;
        bool sucesso = false;
        QString retorno;   // RetornoComunicacao of the step that decided
        QString mensagem;  // the last message shown (empty on success)
        int idempresa = 0; // the company linked
        bool empresaCriada = false;
    };

    // The REP is the data module's current tbColetor record; `codigocoletor` is its code.
    explicit FluxoEnviaRecebeEmpresa(const QString &codigocoletor, QObject *parent = nullptr);
    ~FluxoEnviaRecebeEmpresa() override;

    // Tests may give engines with other timings.
    void defineFabrica(FabricaMotor fabrica) { m_fabrica = std::move(fabrica); }

    QString codigocoletor() const { return m_codigocoletor; }

    // ---- company list (qyListaEmpresas) ----
    // Re-reads the list; the highlighted row stays on the same company when it
    // is still listed.  A database error is shown and false returned.
    bool abreLista();
    const QList<EmpresaListada> &empresas() const { return m_empresas; }
    int linhaAtual() const { return m_atual; } // -1 when the list is empty
    void defineLinhaAtual(int linha);
    int linhaLigada() const; // -1 when no company is linked
    int linhaDaEmpresa(int idempresa) const;

    // ---- actions ----
    // Start the action; false when nothing started: the REP's model is neither
    // "REP" nor "REP2", no company is highlighted (Enviar), or an action is
    // running.  Otherwise `concluida` follows.
    bool enviar();
    bool receber();
    bool emAndamento() const { return m_etapa != Etapa::Parado; }
    const Resultado &resultado() const { return m_resultado; }
    MotorREP *motor() const { return m_motor; }

Q_SIGNALS:
    void motorCriado(kelvo::MotorREP *motor);
    void listaMudou();
    void concluida();

private:
    enum class Etapa
    {
        Parado,
        Status,
        Envio,
        Leitura
    };

    bool inicia(Acao acao);
    TParametrosComunicacao parametros() const;
    void aoTerminarMotor();
    void aposStatus();
    void aposEnvio();
    void aposLeitura();
    bool ligaColetor(int idempresa);
    bool criaEmpresa(const EmpregadorRecebido &e, int *idempresa);
    void falha(const QString &mensagem, bool comoAviso = false);
    void conclui(bool sucesso);

    QString m_codigocoletor;
    QString m_modelo;
    FabricaMotor m_fabrica;
    Dataset *m_lista;
    QList<EmpresaListada> m_empresas;
    int m_atual = -1;
    EmpresaListada m_enviada;
    QPointer<MotorREP> m_motor;
    Etapa m_etapa = Etapa::Parado;
    Resultado m_resultado;
};

// The window: header "Empresas", toolbar "&Enviar", "&Receber", "&Fechar", and
// the read-only company list with the linked company's row painted blue.
class TfEnviaRecebeEmpresa : public QDialog
{
    Q_OBJECT
public:
    explicit TfEnviaRecebeEmpresa(const QString &codigocoletor, QWidget *parent = nullptr);
    ~TfEnviaRecebeEmpresa() override;

    FluxoEnviaRecebeEmpresa &fluxo() { return *m_fluxo; }

    // The toolbar actions (each shows the device conversation modally while it runs).
    void Enviar();
    void Receber();

    QLabel *lbTitulo;
    QToolBar *barra;
    QAction *actEnviar;
    QAction *actReceber;
    QAction *actFechar;
    QTableView *grade;

    // Background and text colour of the linked company's row.
    static QColor corLigada();

protected:
    void showEvent(QShowEvent *e) override;

private:
    void executa(bool iniciou);
    void sincronizaSelecao();

    FluxoEnviaRecebeEmpresa *m_fluxo;
    ModeloEmpresas *m_modelo;
    bool m_aberta = false;
};

// The main window's "Enviar/Receber Empresa" on the REP with key `idcoletor`:
// re-opens tbColetor on it, shows the window modally and frees it.
void abreEnviaRecebeEmpresa(QWidget *parent, int idcoletor);

} // namespace kelvo
