#pragma once
// The first-generation exchange window: a thin modal dialog over MotorV1.  It
// mirrors the engine's caption, step title, status line and progress and closes
// itself when the conversation ends.  Callers: create, start an operation,
// exec(), read RetornoComunicacao; the same window may run further operations.

#include "device/gen1/motorv1.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace kelvo {

class TfREP : public QDialog
{
    Q_OBJECT
public:
    explicit TfREP(QWidget *parent = nullptr);
    explicit TfREP(const TemporizacaoV1 &tempos, QWidget *parent = nullptr);
    ~TfREP() override;

    MotorV1 &motor() { return *m_motor; }

    bool Status(const TParametrosComunicacao &p) { return m_motor->Status(p); }
    bool AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes,
                        const QString &ano, const QString &hora, const QString &minuto,
                        const QString &segundo)
    {
        return m_motor->AcertaDataHora(p, dia, mes, ano, hora, minuto, segundo);
    }
    bool EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo, const QString &matricula,
                          const QString &pis, const QString &nome, int acao)
    {
        return m_motor->EnviaFuncionario(p, codigo, matricula, pis, nome, acao);
    }
    bool LeituraMT(const TParametrosComunicacao &p, const QString &arquivo)
    {
        return m_motor->LeituraMT(p, arquivo);
    }
    bool EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                         const QString &cei, const QString &local, int tipo)
    {
        return m_motor->EnviaEmpregador(p, nome, cpfcnpj, cei, local, tipo);
    }
    bool RecebeEmpregador(const TParametrosComunicacao &p) { return m_motor->RecebeEmpregador(p); }

    // Shows the window while a conversation runs; returns at once when none does.
    int exec() override;

    QString textoLegenda() const;
    QString textoComando() const;
    QString textoStatus() const;

protected:
    void done(int r) override;

private:
    void monta();
    MotorV1 *m_motor = nullptr;
    QLabel *Label16 = nullptr;
    QLabel *lbComando = nullptr;
    QLabel *lbStatus = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
};

} // namespace kelvo
