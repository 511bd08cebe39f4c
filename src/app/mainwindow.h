#pragma once
// The main window "Configurador Horatrix - Kelvo": the list of registered REPs
// and the menus and toolbar from which every action starts.  Actions are added
// to the menus returned below; each one that needs a REP reads
// idColetorSelecionado().

#include <QMainWindow>
#include <QSqlDatabase>

class QListView;
class QMenu;
class QStackedWidget;
class QStandardItemModel;
class QToolBar;
class QTreeView;
class QItemSelectionModel;

namespace kelvo {

class TfmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Column of the REP list that holds the REP key (idcoletor) in Qt::UserRole.
    static constexpr int kPapelIdColetor = Qt::UserRole + 1;

    // `conexao`: the program's main connection, on which the list is read.
    explicit TfmMain(const QSqlDatabase &conexao, QWidget *parent = nullptr);

    // Reads tbcoletor again into the list (ordered by description).  False
    // (and the list left empty) when the query fails.
    bool atualizaLista();

    // Key of the selected REP, 0 when none is selected.
    int idColetorSelecionado() const;
    int quantidadeEquipamentos() const;
    QStandardItemModel *modeloEquipamentos() const { return m_modelo; }
    QTreeView *lvEquipamentos() const { return m_detalhes; }
    QItemSelectionModel *selecao() const;

    // View of the list: 0 large icons, 1 list, 2 details (CONFIG/VISUALIZACAO).
    void aplicaVisualizacao(int modo);
    // Picked by the user: applied and stored.
    void escolheVisualizacao(int modo);
    int visualizacao() const { return m_modo; }

    QMenu *menuCadastros() const { return m_menuCadastros; }
    QMenu *menuConfiguracoes() const { return m_menuConfiguracoes; }
    QMenu *menuExibir() const { return m_menuExibir; }
    QMenu *menuAjuda() const { return m_menuAjuda; }
    QAction *acaoVisualizacao(int modo) const;
    QToolBar *barraFerramentas() const { return m_barra; }

    // Asks before the window closes; false keeps it open.
    bool confirmaSaida();

    // Brings the window forward (a second copy of the program was started).
    void trazParaFrente();

Q_SIGNALS:
    void selecaoMudou(bool haSelecao);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void criaMenus();

    QSqlDatabase m_conexao;
    QStandardItemModel *m_modelo;
    QStackedWidget *m_vistas;
    QTreeView *m_detalhes;
    QListView *m_icones;
    QMenu *m_menuCadastros = nullptr;
    QMenu *m_menuConfiguracoes = nullptr;
    QMenu *m_menuExibir = nullptr;
    QMenu *m_menuAjuda = nullptr;
    QList<QAction *> m_acoesVisualizacao;
    int m_modo = 2;
    QToolBar *m_barra = nullptr;
    bool m_primeiraExibicao = true;
};

} // namespace kelvo
