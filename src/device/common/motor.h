#pragma once
// What every device engine offers (first generation "REP", new generation
// "REP2"), under the same operation names, so callers and kelvo-rep dispatch on
// the model in one place.  An engine is a QObject without widgets that runs one
// conversation at a time on its own timers; an operation checks its input,
// opens the link and sends the first request, then returns.  The engine emits
// `terminou` when the conversation is over and the link is closed; the outcome
// is then in RetornoComunicacao.

#include "device/common/parametros.h"
#include "device/common/rastro.h"

#include <QDate>
#include <QObject>
#include <QString>

namespace kelvo {

class MotorREP : public QObject
{
    Q_OBJECT
public:
    explicit MotorREP(QObject *parent = nullptr) : QObject(parent) {}
    ~MotorREP() override = default;

    // Each returns false when it did not start (a conversation is already in
    // progress); true otherwise, also when it ends at once on bad input or an
    // unopened link (the result then says why and `terminou` follows).
    virtual bool Status(const TParametrosComunicacao &p) = 0;
    virtual bool AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes,
                                const QString &ano, const QString &hora, const QString &minuto,
                                const QString &segundo) = 0;
    // acao: 0 inclusion, 1 change, 2 exclusion.
    virtual bool EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo,
                                  const QString &matricula, const QString &pis, const QString &nome,
                                  int acao) = 0;
    virtual bool LeituraMT(const TParametrosComunicacao &p, const QString &arquivo) = 0;
    // tipo: 0 CNPJ, 1 CPF.
    virtual bool EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                                 const QString &cei, const QString &local, int tipo) = 0;
    virtual bool RecebeEmpregador(const TParametrosComunicacao &p) = 0;
    // filtro "S" restricts the AFD file to the period.  Engines that collect override it.
    virtual bool ColetaAFD(const TParametrosComunicacao &p, const QString &arquivo, const QString &filtro,
                           const QDate &inicio, const QDate &fim)
    {
        Q_UNUSED(p);
        Q_UNUSED(arquivo);
        Q_UNUSED(filtro);
        Q_UNUSED(inicio);
        Q_UNUSED(fim);
        return false;
    }

    // True from the start of an operation until `terminou`.
    virtual bool emConversa() const = 0;

    // The traces of this engine (switches read at creation; sinks may be added).
    RastroREP &rastro() { return m_rastro; }

Q_SIGNALS:
    void legendaAlterada(const QString &texto);  // caption with the link ("... - TCP/IP")
    void tituloAlterado(const QString &texto);   // the step title
    void situacaoAlterada(const QString &texto); // the status line
    void progressoAlterado(int valor, int maximo);
    void progressoVisivel(bool visivel);
    void terminou();

protected:
    RastroREP m_rastro = RastroREP::daConfiguracao();
};

} // namespace kelvo
