#pragma once
// The one way the program talks to the person in front of it.  Record rules,
// creation, upgrade, transfers and device flows report through this interface;
// the desktop program shows message boxes, kelvo-rep and the tests record the
// messages and give fixed answers.  The data layer never opens a window itself.

#include <QList>
#include <QString>

namespace kelvo {

enum class Icone { Informacao, Aviso, Erro, Pergunta, Nenhum };

class Interacao
{
public:
    virtual ~Interacao() = default;
    virtual void mensagem(const QString &texto, Icone icone, const QString &titulo) = 0;
    // Yes/No question; true for Yes.
    virtual bool pergunta(const QString &texto, const QString &titulo) = 0;
};

// The process-wide interaction; a recorder that answers "No" until one is set.
Interacao &interacao();
void definirInteracao(Interacao *i);

// Message helper: boxes built by the program are titled "Aviso".
inline const QString &tituloAviso()
{
    static const QString t = QStringLiteral("Aviso");
    return t;
}
void informa(const QString &texto, const QString &titulo = tituloAviso());
void avisa(const QString &texto, const QString &titulo = tituloAviso());
void erro(const QString &texto, const QString &titulo = tituloAviso());
// A box with only an OK button and no icon.
void mostra(const QString &texto, const QString &titulo = tituloAviso());
bool pergunta(const QString &texto, const QString &titulo = tituloAviso());

// Records every message and answers questions from a queue (then with
// `respostaPadrao`).  Used by kelvo-rep and the tests.
class InteracaoGravada : public Interacao
{
public:
    struct Mensagem
    {
        QString texto;
        Icone icone;
        QString titulo;
        bool pergunta = false;
    };

    void mensagem(const QString &texto, Icone icone, const QString &titulo) override;
    bool pergunta(const QString &texto, const QString &titulo) override;

    QList<Mensagem> mensagens;
    QList<bool> respostas;
    bool respostaPadrao = false;
    // When set, every message is also written to standard error.
    bool ecoar = false;

    QStringList textos() const;
    QString ultima() const { return mensagens.isEmpty() ? QString() : mensagens.last().texto; }
    void limpa() { mensagens.clear(); }
};

// Installs an interaction for a scope and restores the previous one.
class InteracaoNoEscopo
{
public:
    explicit InteracaoNoEscopo(Interacao *i);
    ~InteracaoNoEscopo();
    InteracaoNoEscopo(const InteracaoNoEscopo &) = delete;
    InteracaoNoEscopo &operator=(const InteracaoNoEscopo &) = delete;

private:
    Interacao *m_anterior;
};

} // namespace kelvo
