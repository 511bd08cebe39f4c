#include "app/mostrainforel.h"

#include <QChart>
#include <QChartView>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvo {

QString TfMostraInfoRel::textoNaoCadastrado()
{
    return QStringLiteral("NÃO CADASTRADO");
}

TfMostraInfoRel::TfMostraInfoRel(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fMostraInfoRel"));
    setWindowTitle(QStringLiteral("Informações sobre o equipamento"));

    m_titulo = new QLabel(this);
    m_titulo->setObjectName(QStringLiteral("lbTitulo"));
    QFont f = m_titulo->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    m_titulo->setFont(f);
    m_titulo->setAlignment(Qt::AlignCenter);

    m_serieValor = new QLabel(this);
    m_serieValor->setObjectName(QStringLiteral("lbSerie"));
    m_dataHoraValor = new QLabel(this);
    m_dataHoraValor->setObjectName(QStringLiteral("lbDataHora"));
    m_nsrValor = new QLabel(this);
    m_nsrValor->setObjectName(QStringLiteral("lbNsr"));
    for (QLabel *l : {m_serieValor, m_dataHoraValor, m_nsrValor})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *dados = new QFormLayout;
    dados->addRow(QStringLiteral("Nº de série:"), m_serieValor);
    dados->addRow(QStringLiteral("Data/Hora:"), m_dataHoraValor);
    dados->addRow(QStringLiteral("NSR atual: "), m_nsrValor);

    m_serie = new QPieSeries(this);
    QPieSlice *usado = m_serie->append(QStringLiteral("Espaço usado"), 0);
    usado->setColor(Qt::blue);
    QPieSlice *livre = m_serie->append(QStringLiteral("Espaço livre"), 0);
    livre->setColor(Qt::magenta); // fuchsia
    auto *chart = new QChart;
    chart->addSeries(m_serie);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setBackgroundVisible(false);
    chart->setMargins(QMargins(0, 0, 0, 0));
    m_grafico = new QChartView(chart, this);
    m_grafico->setObjectName(QStringLiteral("grMemoria"));
    m_grafico->setRenderHint(QPainter::Antialiasing);
    m_grafico->setMinimumSize(360, 200);

    auto *grupo = new QGroupBox(QStringLiteral("Memória"), this);
    auto *lg = new QVBoxLayout(grupo);
    lg->addWidget(m_grafico);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btOk"));
    m_ok->setDefault(true);
    m_inserir = new QPushButton(QStringLiteral("Inserir"), this);
    m_inserir->setObjectName(QStringLiteral("btInserir"));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_inserir, &QPushButton::clicked, this, &QDialog::accept);

    auto *botoes = new QHBoxLayout;
    botoes->addStretch();
    botoes->addWidget(m_inserir);
    botoes->addWidget(m_ok);

    auto *l = new QVBoxLayout(this);
    l->addWidget(m_titulo);
    l->addLayout(dados);
    l->addWidget(grupo, 1);
    l->addLayout(botoes);
}

void TfMostraInfoRel::preenche(const QString &titulo, const QString &numeroSerie, const QString &dataHora,
                               const QString &nsr, bool mostraInserir)
{
    m_titulo->setText(titulo);
    m_serieValor->setText(numeroSerie);
    m_dataHoraValor->setText(dataHora);
    m_nsrValor->setText(nsr);
    m_inserir->setVisible(mostraInserir);

    bool ok = false;
    qint64 usado = nsr.trimmed().toLongLong(&ok);
    if (!ok || usado < 0)
        usado = 0;
    const QList<QPieSlice *> fatias = m_serie->slices();
    fatias.at(0)->setValue(double(usado));
    fatias.at(1)->setValue(double(qMax<qint64>(0, CapacidadeMemoria - usado)));
}

qint64 TfMostraInfoRel::espacoUsado() const
{
    return qint64(m_serie->slices().at(0)->value());
}

qint64 TfMostraInfoRel::espacoLivre() const
{
    return qint64(m_serie->slices().at(1)->value());
}

QString TfMostraInfoRel::titulo() const
{
    return m_titulo->text();
}

} // namespace kelvo
