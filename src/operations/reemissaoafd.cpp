#include "operations/reemissaoafd.h"

#include "data/dmdados.h"
#include "data/interacao.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace kelvo {

bool ReemissaoAFD::lista(const QDate &inicio, const QDate &fim, QList<CopiaAFD> *copias, QString *erro)
{
    copias->clear();
    // The file bytes are read only for the copy written back; the end date
    // counts whole (up to, not including, the next day's midnight).
    QSqlQuery q(dmDados().ConexaoBD());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("select \n"
                             "   tbcoletor.codigocoletor, \n"
                             "   tbcoletor.descricao,\n"
                             "   tbbackupafd.IdBackupAFD, tbbackupafd.datahora, tbbackupafd.idrep \n"
                             "from tbbackupafd\n"
                             "inner join tbcoletor on tbcoletor.codigocoletor = tbbackupafd.idrep\n"
                             "\n"
                             "WHERE tbbackupafd.datahora >= :dini and tbbackupafd.datahora < :dfim\n"
                             "order by tbbackupafd.datahora, tbbackupafd.IdBackupAFD"));
    q.bindValue(QStringLiteral(":dini"), QDateTime(inicio, QTime(0, 0)));
    q.bindValue(QStringLiteral(":dfim"), QDateTime(fim.addDays(1), QTime(0, 0)));
    if (!q.exec()) {
        if (erro)
            *erro = q.lastError().text();
        return false;
    }
    while (q.next()) {
        CopiaAFD c;
        c.IdBackupAFD = q.value(QStringLiteral("IdBackupAFD")).toInt();
        c.datahora = q.value(QStringLiteral("datahora")).toDateTime();
        c.idrep = q.value(QStringLiteral("idrep")).toString();
        c.descricao = q.value(QStringLiteral("descricao")).toString().trimmed();
        copias->append(c);
    }
    return true;
}

bool ReemissaoAFD::grava(int idBackupAFD, const QString &arquivo, QString *erro)
{
    QSqlQuery q(dmDados().ConexaoBD());
    q.prepare(QStringLiteral("select Arquivo from tbbackupafd where IdBackupAFD = :pidbackupafd"));
    q.bindValue(QStringLiteral(":pidbackupafd"), idBackupAFD);
    if (!q.exec() || !q.next()) {
        if (erro)
            *erro = q.lastError().text();
        return false;
    }
    const QVariant v = q.value(0);
    const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toLatin1();
    QSaveFile f(arquivo);
    f.setDirectWriteFallback(false);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (erro)
            *erro = f.errorString();
        f.cancelWriting();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- TFmReemissaoAFD

const QString &TFmReemissaoAFD::titulo()
{
    static const QString t = QStringLiteral("Reemissão de AFD");
    return t;
}

TFmReemissaoAFD::TFmReemissaoAFD(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FmReemissaoAFD"));
    setWindowTitle(titulo());
    auto *central = new QWidget(this);
    auto *l = new QVBoxLayout(central);
    auto *cabecalho = new QLabel(titulo(), central);
    QFont f = cabecalho->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 4);
    cabecalho->setFont(f);
    l->addWidget(cabecalho);

    auto *grupoData = new QGroupBox(QStringLiteral("Data/Hora da emissão"), central);
    edInicio = new QDateEdit(QDate::currentDate(), grupoData);
    edFim = new QDateEdit(QDate::currentDate(), grupoData);
    for (QDateEdit *e : {edInicio, edFim}) {
        e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        e->setCalendarPopup(true);
    }
    auto *btFiltrar = new QPushButton(QStringLiteral("Filtrar"), grupoData);
    auto *ld = new QHBoxLayout(grupoData);
    ld->addWidget(new QLabel(QStringLiteral("Início"), grupoData));
    ld->addWidget(edInicio);
    ld->addWidget(new QLabel(QStringLiteral("Fim"), grupoData));
    ld->addWidget(edFim);
    ld->addWidget(btFiltrar);
    ld->addStretch();
    connect(btFiltrar, &QPushButton::clicked, this, &TFmReemissaoAFD::filtrar);
    l->addWidget(grupoData);

    auto *grupoLista = new QGroupBox(QStringLiteral("AFDs emitidos"), central);
    grid = new QTableWidget(0, 3, grupoLista);
    grid->setHorizontalHeaderLabels(
        {QStringLiteral("Emissão"), QStringLiteral("Número do REP"), QStringLiteral("Descrição")});
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->setVisible(false);
    grid->setColumnWidth(0, 120);
    grid->setColumnWidth(1, 140);
    grid->setColumnWidth(2, 300);
    auto *lg = new QVBoxLayout(grupoLista);
    lg->addWidget(grid);
    l->addWidget(grupoLista);
    setCentralWidget(central);

    auto *barra = addToolBar(QStringLiteral("Ferramentas"));
    barra->setMovable(false);
    actReemitir = barra->addAction(QStringLiteral("&Reemitir"));
    actReemitir->setShortcut(QKeySequence(Qt::Key_F3));
    actReemitir->setToolTip(QStringLiteral("Localizar um registro"));
    actReemitir->setStatusTip(QStringLiteral("Localizar um registro"));
    actFechar = barra->addAction(QStringLiteral("&Fechar"));
    actFechar->setToolTip(QStringLiteral("Fechar tela"));
    actFechar->setStatusTip(QStringLiteral("Fechar tela"));
    connect(actReemitir, &QAction::triggered, this, [this] { reemitir(); });
    connect(actFechar, &QAction::triggered, this, &QWidget::close);
    resize(620, 420);

    filtrar();
}

void TFmReemissaoAFD::filtrar()
{
    QString e;
    grid->setUpdatesEnabled(false);
    grid->setRowCount(0);
    if (!ReemissaoAFD::lista(edInicio->date(), edFim->date(), &m_copias, &e))
        erro(e);
    grid->setRowCount(m_copias.size());
    for (int i = 0; i < m_copias.size(); ++i) {
        const CopiaAFD &c = m_copias.at(i);
        grid->setItem(i, 0, new QTableWidgetItem(c.datahora.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"))));
        grid->setItem(i, 1, new QTableWidgetItem(c.idrep));
        grid->setItem(i, 2, new QTableWidgetItem(c.descricao));
    }
    if (!m_copias.isEmpty())
        grid->selectRow(0);
    grid->setUpdatesEnabled(true);
}

void TFmReemissaoAFD::reemitir(const QString &arquivo)
{
    const QString aviso = QStringLiteral("AVISO");
    const int linha = grid->currentRow();
    if (m_copias.isEmpty() || linha < 0 || linha >= m_copias.size()) {
        avisa(QStringLiteral("Escolha um registro para reemitir o AFD!"), aviso);
        return;
    }
    QString nome = arquivo;
    if (nome.isEmpty()) {
        QFileDialog d(this);
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setNameFilter(QStringLiteral("TXT (*.txt)"));
        d.setDefaultSuffix(QStringLiteral("TXT"));
        d.setFileMode(QFileDialog::AnyFile);
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return;
        nome = d.selectedFiles().constFirst();
    }
    const CopiaAFD &c = m_copias.at(linha);
    QString e;
    if (!ReemissaoAFD::grava(c.IdBackupAFD, nome, &e)) {
        avisa(QStringLiteral("Erro ao salvar o AFD!"), aviso);
        return;
    }
    dmDados().RegistraLogSistema(titulo(), QStringLiteral("AFD ") + QString::number(c.IdBackupAFD) +
                                               QStringLiteral(" exportado"));
    informa(QStringLiteral("AFD salvo com sucesso!"), aviso);
}

void abrirReemissaoAFD(QWidget *parent)
{
    // A main window shown as a modal one-use window.
    auto *w = new TFmReemissaoAFD(parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
}

} // namespace kelvo
