#pragma once
// The collected memory pages of a device (table tbmemoriarep) and the rules
// both device generations follow while reading them: the page check, the start
// address, the bound on checksum repeats, and the pending pages stored in
// groups of 20.
//
// Every statement runs on a short-lived connection of its own, made from the
// main connection's parameters, so a long collection never holds or disturbs
// the main connection.  Every database failure is returned to the caller.

#include "data/sistema.h"
#include "device/common/afd.h"

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace kelvo {

constexpr int TamanhoPagina = 512;
constexpr int TamanhoRespostaPagina = 514; // 512 data bytes + 16-bit sum, high byte first
constexpr int PaginasPorGrupo = 20;
// A page whose check fails this many times in a row ends the collection.
constexpr int MaxRepeticoesVerificacao = 10;

// One read page waiting to be stored: key (8 upper-case hexadecimal digits of the
// address) and the 512 bytes as text, one character per byte.
struct TMRPmemoria
{
    QString mrp;
    QString conteudo;
};

QString chavePagina(quint32 endereco);
// The address of a key ("00001A00" -> 0x1A00); 0 for an empty key; *ok false
// when the key is not hexadecimal.
quint32 enderecoDaChave(const QString &chave, bool *ok = nullptr);

// Low 16 bits of the sum of the bytes.
quint16 somaPagina(const QByteArray &dados);
// A 514-byte page reply whose last two bytes (high first) equal the sum of the
// first 512.
bool paginaConfere(const QByteArray &resposta);
// The page's text (one character per byte) from the first 512 bytes of a reply.
QString textoPagina(const QByteArray &resposta);

// Where a collection starts: the highest stored page read again (0 when none).
// A start not below the memory pointer means the device's memory does not match
// the stored pages (memory restarted, or rows of an earlier life of the same
// serial number): the collection ends with a failure and requests no page past
// the pointer.  Pointer 0 needs no start: only the cache is read.
struct InicioColeta
{
    bool valido = true;
    bool somenteCache = false; // pointer 0
    quint32 endereco = 0;
    int paginas = 0; // pages to read: (pointer - start) / 512
    QString retorno; // failure result when !valido
};
InicioColeta decideInicioColeta(const QString &maiorChaveGravada, quint32 ponteiro);

// The page after `endereco` still lies below the pointer.
bool haProximaPagina(quint32 endereco, quint32 ponteiro);

// Failure result for a page whose check kept failing.
QString retornoVerificacaoEsgotada(quint32 endereco);
// Failure result for a database error while reading or storing pages.
QString retornoErroBanco(const QString &mensagem);

// Page store of the program's database for one dialect.
class ArmazemPaginas
{
public:
    // `principal` gives the connection parameters (they are copied; the main
    // connection itself is never used).
    explicit ArmazemPaginas(const QSqlDatabase &principal, Dialeto dialeto = configBanco().dialeto);

    // Each returns an empty text on success, else the database's message.
    QString GravaPaginaMRP(const QString &numeroSerie, const QString &mrp, const QString &conteudo) const;
    // Stores the pages in order on one connection; stops at the first failure
    // so that the stored pages stay contiguous.  *gravadas receives how many
    // were stored.
    QString gravaPaginas(const QString &numeroSerie, const QList<TMRPmemoria> &paginas, int *gravadas) const;
    // "select max(mrp) ..."; *chave empty when the device has no stored page.
    QString maiorPagina(const QString &numeroSerie, QString *chave) const;
    // The device's stored pages' content in page order, joined.
    QString conteudoPaginas(const QString &numeroSerie, QString *texto) const;

    Dialeto dialeto() const { return m_dialeto; }

private:
    QString conecta(QSqlDatabase *db, QString *nome) const;
    static void desconecta(QSqlDatabase &db, const QString &nome);

    QString m_driver;
    QString m_host;
    int m_porta = -1;
    QString m_banco;
    QString m_usuario;
    QString m_senha;
    QString m_opcoes;
    Dialeto m_dialeto;
};

// Pages read and not stored yet; stored whenever 20 are held and at the end.
class PaginasPendentes
{
public:
    PaginasPendentes(const ArmazemPaginas &armazem, const QString &numeroSerie);

    void limpa() { m_paginas.clear(); }
    int quantidade() const { return m_paginas.size(); }
    const QList<TMRPmemoria> &paginas() const { return m_paginas; }
    // Appends; with 20 held, stores them.  Empty text or the failure result
    // (retornoErroBanco); on a failure the pages not stored stay in the list.
    QString adiciona(const TMRPmemoria &pagina);
    QString gravaRestantes();
    int gravadas() const { return m_gravadas; }

private:
    QString grava();

    const ArmazemPaginas *m_armazem;
    QString m_numeroSerie;
    QList<TMRPmemoria> m_paginas;
    int m_gravadas = 0;
};

// The page-and-cache part of a collection as both engines run it, apart from
// the link: the engine asks what to request next and hands over each reply.
//
//     c.inicia(pedido);                          // serial number, employer, file, period
//     switch (c.comecaPaginas(ponteiro)) ...     // after the collection status reply
//     switch (c.recebePagina(resposta514)) ...   // after each complete page reply
//     RetornoComunicacao = c.concluiCache(texto) // after the cache, without its 2 bytes
//
// PedePagina: request the page at enderecoAtual(); PedeCache: request the cache;
// Falha: end the conversation with retorno() as the result.
class ColetaPaginas
{
public:
    enum class Acao
    {
        PedePagina,
        PedeCache,
        Falha
    };

    explicit ColetaPaginas(const ArmazemPaginas &armazem);

    void inicia(const PedidoAFD &pedido);
    // Pointer 0: the cache only.  Otherwise the highest stored page is the start
    // (a database failure, or a start not below the pointer, is a Falha).
    Acao comecaPaginas(quint32 ponteiro);
    // A 514-byte reply.  A failed check asks for the same page again, at most
    // MaxRepeticoesVerificacao times in a row; a page that fills a group of 20
    // stores the group (a database failure is a Falha).
    Acao recebePagina(const QByteArray &resposta);
    // Stores the pages still pending and builds the AFD file: "0;AFD gerado com
    // sucesso" or a failure result.
    QString concluiCache(const QString &cache);

    quint32 enderecoAtual() const { return m_endereco; }
    quint32 ponteiro() const { return m_ponteiro; }
    int totalPaginas() const { return m_total; }
    int paginasLidas() const { return m_lidas; }
    int repeticoes() const { return m_repeticoes; }
    QString retorno() const { return m_retorno; }
    const PaginasPendentes &pendentes() const { return m_pendentes; }

private:
    Acao falha(const QString &retorno);

    const ArmazemPaginas &m_armazem;
    PedidoAFD m_pedido;
    PaginasPendentes m_pendentes;
    quint32 m_endereco = 0;
    quint32 m_ponteiro = 0;
    int m_total = 0;
    int m_lidas = 0;
    int m_repeticoes = 0;
    QString m_retorno;
};

} // namespace kelvo
