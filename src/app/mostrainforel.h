#pragma once
// The device information window: what a REP reported in its status (serial
// number, clock, current NSR) and a pie of its punch memory.  "Inserir" closes
// it with the answer Yes, offered only for a device that is not registered.

#include <QDialog>

class QLabel;
class QPushButton;
class QChartView;
class QPieSeries;

namespace kelvo {

class TfMostraInfoRel : public QDialog
{
    Q_OBJECT
public:
    // Number of records (NSR values) a REP's punch memory holds.
    static constexpr qint64 CapacidadeMemoria = 61356675;

    explicit TfMostraInfoRel(QWidget *parent = nullptr);

    // titulo: the REP's description, or "NÃO CADASTRADO".
    void preenche(const QString &titulo, const QString &numeroSerie, const QString &dataHora,
                  const QString &nsr, bool mostraInserir);

    qint64 espacoUsado() const;
    qint64 espacoLivre() const;
    QString titulo() const;
    QPushButton *botaoOk() const { return m_ok; }
    QPushButton *botaoInserir() const { return m_inserir; }
    QPieSeries *serieMemoria() const { return m_serie; }

    static QString textoNaoCadastrado();

private:
    QLabel *m_titulo;
    QLabel *m_serieValor;
    QLabel *m_dataHoraValor;
    QLabel *m_nsrValor;
    QPieSeries *m_serie;
    QChartView *m_grafico;
    QPushButton *m_ok;
    QPushButton *m_inserir;
};

} // namespace kelvo
