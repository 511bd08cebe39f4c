#include "data/interacao.h"

#include <QStringList>
#include <cstdio>

namespace kelvo {

namespace {
InteracaoGravada &padrao()
{
    static InteracaoGravada g;
    return g;
}
Interacao *g_atual = nullptr;
} // namespace

Interacao &interacao() { return g_atual ? *g_atual : padrao(); }
void definirInteracao(Interacao *i) { g_atual = i; }

void informa(const QString &texto, const QString &titulo) { interacao().mensagem(texto, Icone::Informacao, titulo); }
void avisa(const QString &texto, const QString &titulo) { interacao().mensagem(texto, Icone::Aviso, titulo); }
void erro(const QString &texto, const QString &titulo) { interacao().mensagem(texto, Icone::Erro, titulo); }
void mostra(const QString &texto, const QString &titulo) { interacao().mensagem(texto, Icone::Nenhum, titulo); }
bool pergunta(const QString &texto, const QString &titulo) { return interacao().pergunta(texto, titulo); }

void InteracaoGravada::mensagem(const QString &texto, Icone icone, const QString &titulo)
{
    mensagens.append({texto, icone, titulo, false});
    if (ecoar)
        std::fprintf(stderr, "%s\n", qUtf8Printable(QString(texto).replace(QLatin1Char('\r'), QLatin1Char('\n'))));
}

bool InteracaoGravada::pergunta(const QString &texto, const QString &titulo)
{
    mensagens.append({texto, Icone::Pergunta, titulo, true});
    const bool r = respostas.isEmpty() ? respostaPadrao : respostas.takeFirst();
    if (ecoar)
        std::fprintf(stderr, "%s [%s]\n", qUtf8Printable(texto), r ? "Sim" : "Não");
    return r;
}

QStringList InteracaoGravada::textos() const
{
    QStringList r;
    for (const auto &m : mensagens)
        r << m.texto;
    return r;
}

InteracaoNoEscopo::InteracaoNoEscopo(Interacao *i) : m_anterior(g_atual) { g_atual = i; }
InteracaoNoEscopo::~InteracaoNoEscopo() { g_atual = m_anterior; }

} // namespace kelvo
