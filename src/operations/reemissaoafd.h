#pragma once
// "Reemissão de AFD": the kept copies of collected AFD files (tbbackupafd)
// listed by the day they were kept, and any of them written back to a file
// byte for byte.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QString>

class QDateEdit;
class QTableWidget;
class QAction;

namespace kelvo {

struct CopiaAFD
{
    int IdBackupAFD = 0;
    QDateTime datahora;
    QString idrep;
    QString descricao;
};

// Widget-free part of the re-issue.
class ReemissaoAFD
{
public:
    // Kept copies from the start of `inicio` to the end of `fim` (the end date
    // plus one day), in the order they were kept.  False on a database error (*erro).
    static bool lista(const QDate &inicio, const QDate &fim, QList<CopiaAFD> *copias,
                      QString *erro = nullptr);
    // Writes the kept bytes of one copy to `arquivo` (whole file or nothing).
    static bool grava(int idBackupAFD, const QString &arquivo, QString *erro = nullptr);
};

class TFmReemissaoAFD : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFmReemissaoAFD(QWidget *parent = nullptr);

    static const QString &titulo(); // "Reemissão de AFD"

    // "Filtrar".
    void filtrar();
    // "&Reemitir": with `arquivo` empty, the save dialog asks for it.
    void reemitir(const QString &arquivo = QString());
    const QList<CopiaAFD> &copias() const { return m_copias; }

    QDateEdit *edInicio;
    QDateEdit *edFim;
    QTableWidget *grid;
    QAction *actReemitir;
    QAction *actFechar;

private:
    QList<CopiaAFD> m_copias;
};

// The "&Reemissão de AFD" item of the main window's reports menu: shows the
// window (modal, one use).
void abrirReemissaoAFD(QWidget *parent);

} // namespace kelvo
