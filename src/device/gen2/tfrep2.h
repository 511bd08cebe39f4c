#pragma once
// The exchange window of the new protocol: a thin modal dialog that mirrors the
// engine's texts (heading, command, status line) and closes itself when the
// engine has finished.  Callers keep the usual pattern:
//
//     TfREP2 w(parent);
//     w.Status(parametros);
//     w.exec();
//     ... RetornoComunicacao ...

#include "device/gen2/motorrep2.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace kelvo {

class TfREP2 : public QDialog
{
    Q_OBJECT
public:
    explicit TfREP2(QWidget *parent = nullptr);
    TfREP2(const TemposREP2 &tempos, QWidget *parent = nullptr);
    ~TfREP2() override;

    static const QString &titulo(); // "Comunicação REP - protocolo novo"

    MotorREP2 &motor() { return *m_motor; }

    bool Status(const TParametrosComunicacao &p) { return m_motor->Status(p); }
    bool AcertaDataHora(const TParametrosComunicacao &p, const QString &dia, const QString &mes,
                        const QString &ano, const QString &hora, const QString &minuto,
                        const QString &segundo)
    {
        return m_motor->AcertaDataHora(p, dia, mes, ano, hora, minuto, segundo);
    }
    bool EnviaEmpregador(const TParametrosComunicacao &p, const QString &nome, const QString &cpfcnpj,
                         const QString &cei, const QString &local, int tipo)
    {
        return m_motor->EnviaEmpregador(p, nome, cpfcnpj, cei, local, tipo);
    }
    bool RecebeEmpregador(const TParametrosComunicacao &p) { return m_motor->RecebeEmpregador(p); }
    bool EnviaFuncionario(const TParametrosComunicacao &p, const QString &codigo, const QString &matricula,
                          const QString &pis, const QString &nome, int acao)
    {
        return m_motor->EnviaFuncionario(p, codigo, matricula, pis, nome, acao);
    }
    bool LeituraMT(const TParametrosComunicacao &p, const QString &arquivo)
    {
        return m_motor->LeituraMT(p, arquivo);
    }

    // Shows the window modally while the conversation runs; returns at once when
    // no conversation is running (it already ended, or none was started).
    int exec() override;

    // The texts on the panel (tests read them).
    QString textoComando() const;
    QString textoStatus() const;

private:
    void monta();

    MotorREP2 *m_motor;
    QLabel *m_cabecalho = nullptr;
    QLabel *m_comando = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progresso = nullptr;
};

} // namespace kelvo
