#include "device/common/paginas.h"

#include "data/cp1252.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>

namespace kelvo {

QString chavePagina(quint32 endereco)
{
    return QStringLiteral("%1").arg(endereco, 8, 16, QLatin1Char('0')).toUpper();
}

quint32 enderecoDaChave(const QString &chave, bool *ok)
{
    const QString c = chave.trimmed();
    if (c.isEmpty()) {
        if (ok)
            *ok = true;
        return 0;
    }
    bool bom = false;
    const quint32 v = c.toUInt(&bom, 16);
    if (ok)
        *ok = bom;
    return bom ? v : 0;
}

quint16 somaPagina(const QByteArray &dados)
{
    quint32 soma = 0;
    for (char c : dados)
        soma += uchar(c);
    return quint16(soma & 0xFFFF);
}

bool paginaConfere(const QByteArray &resposta)
{
    if (resposta.size() < TamanhoRespostaPagina)
        return false;
    const quint16 esperado =
        quint16((uchar(resposta.at(TamanhoPagina)) << 8) | uchar(resposta.at(TamanhoPagina + 1)));
    return somaPagina(resposta.left(TamanhoPagina)) == esperado;
}

QString textoPagina(const QByteArray &resposta)
{
    // One character per byte; the same bytes come back when the AFD is written.
    return deCp1252(resposta.left(TamanhoPagina));
}

InicioColeta decideInicioColeta(const QString &maiorChaveGravada, quint32 ponteiro)
{
    InicioColeta r;
    if (ponteiro == 0) {
        r.somenteCache = true;
        return r;
    }
    bool ok = false;
    const quint32 inicio = enderecoDaChave(maiorChaveGravada, &ok);
    if (!ok) {
        r.valido = false;
        r.retorno =
            QStringLiteral("31;A memória do REP não corresponde às páginas já coletadas: a última página "
                           "gravada (%1) não é um endereço válido. Nenhuma página foi lida.")
                .arg(maiorChaveGravada);
        return r;
    }
    if (inicio >= ponteiro) {
        r.valido = false;
        r.retorno = QStringLiteral(
                        "31;A memória do REP não corresponde às páginas já coletadas: a última página "
                        "gravada (%1) não está abaixo do ponteiro da memória (%2). Nenhuma página foi lida.")
                        .arg(chavePagina(inicio), chavePagina(ponteiro));
        return r;
    }
    r.endereco = inicio;
    r.paginas = int((ponteiro - inicio) / TamanhoPagina);
    return r;
}

bool haProximaPagina(quint32 endereco, quint32 ponteiro)
{
    return quint64(endereco) + 2 * TamanhoPagina <= quint64(ponteiro);
}

QString retornoVerificacaoEsgotada(quint32 endereco)
{
    return QStringLiteral(
               "32;A página %1 da memória do REP chegou com erro de verificação %2 vezes seguidas. "
               "Coleta interrompida; as páginas já gravadas foram mantidas.")
        .arg(chavePagina(endereco))
        .arg(MaxRepeticoesVerificacao);
}

QString retornoErroBanco(const QString &mensagem)
{
    return QStringLiteral("8;Não foi possível gravar as páginas coletadas no banco de dados. Mensagem: ") +
           mensagem;
}

// ---------------------------------------------------------------- ArmazemPaginas

ArmazemPaginas::ArmazemPaginas(const QSqlDatabase &principal, Dialeto dialeto)
    : m_driver(principal.driverName()), m_host(principal.hostName()), m_porta(principal.port()),
      m_banco(principal.databaseName()), m_usuario(principal.userName()), m_senha(principal.password()),
      m_opcoes(principal.connectOptions()), m_dialeto(dialeto)
{
}

QString ArmazemPaginas::conecta(QSqlDatabase *db, QString *nome) const
{
    static QAtomicInt contador;
    *nome = QStringLiteral("kelvo_paginas_%1").arg(++contador);
    if (m_driver.isEmpty())
        return QStringLiteral("Conexão com o banco de dados não configurada.");
    *db = QSqlDatabase::addDatabase(m_driver, *nome);
    db->setHostName(m_host);
    db->setPort(m_porta);
    db->setDatabaseName(m_banco);
    db->setUserName(m_usuario);
    db->setPassword(m_senha);
    db->setConnectOptions(m_opcoes);
    if (!db->open()) {
        const QString msg = db->lastError().text();
        return msg.isEmpty() ? QStringLiteral("Não foi possível conectar ao banco de dados.") : msg;
    }
    return QString();
}

void ArmazemPaginas::desconecta(QSqlDatabase &db, const QString &nome)
{
    db.close();
    db = QSqlDatabase();
    if (QSqlDatabase::contains(nome))
        QSqlDatabase::removeDatabase(nome);
}

namespace {

QString erroDe(const QSqlQuery &q)
{
    const QString t = q.lastError().text();
    return t.isEmpty() ? QStringLiteral("Erro desconhecido do banco de dados.") : t;
}

// Delete and insert of one page as one unit: a refused insert must not leave
// the page deleted.
QString gravaUma(QSqlDatabase &db, Dialeto dialeto, const QString &serie, const TMRPmemoria &p)
{
    const bool transacao = db.transaction();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("delete from tbmemoriarep where idrep = :pidrep and mrp = :pmrp"));
    q.bindValue(QStringLiteral(":pidrep"), serie);
    q.bindValue(QStringLiteral(":pmrp"), p.mrp);
    if (!q.exec()) {
        const QString e = erroDe(q);
        if (transacao)
            db.rollback();
        return e;
    }
    q.prepare(
        dialeto == Dialeto::SQLServer
            ? QStringLiteral("insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta, afdconvertido) "
                             "values (:pidrep, :pmrp, :pconteudo, getdate(),'N')")
            : QStringLiteral("insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta, afdconvertido) "
                             "values (:pidrep, :pmrp, :pconteudo, now(),'N')"));
    q.bindValue(QStringLiteral(":pidrep"), serie);
    q.bindValue(QStringLiteral(":pmrp"), p.mrp);
    q.bindValue(QStringLiteral(":pconteudo"), p.conteudo);
    if (!q.exec()) {
        const QString e = erroDe(q);
        if (transacao)
            db.rollback();
        return e;
    }
    if (transacao && !db.commit()) {
        const QString e = db.lastError().text();
        db.rollback();
        return e.isEmpty() ? QStringLiteral("Falha ao confirmar a gravação da página.") : e;
    }
    return QString();
}

} // namespace

QString ArmazemPaginas::GravaPaginaMRP(const QString &numeroSerie, const QString &mrp,
                                       const QString &conteudo) const
{
    int n = 0;
    return gravaPaginas(numeroSerie, {TMRPmemoria{mrp, conteudo}}, &n);
}

QString ArmazemPaginas::gravaPaginas(const QString &numeroSerie, const QList<TMRPmemoria> &paginas,
                                     int *gravadas) const
{
    *gravadas = 0;
    if (paginas.isEmpty())
        return QString();
    QSqlDatabase db;
    QString nome;
    QString erro = conecta(&db, &nome);
    if (erro.isEmpty()) {
        for (const TMRPmemoria &p : paginas) {
            erro = gravaUma(db, m_dialeto, numeroSerie, p);
            if (!erro.isEmpty())
                break;
            ++*gravadas;
        }
    }
    desconecta(db, nome);
    return erro;
}

QString ArmazemPaginas::maiorPagina(const QString &numeroSerie, QString *chave) const
{
    chave->clear();
    QSqlDatabase db;
    QString nome;
    QString erro = conecta(&db, &nome);
    if (erro.isEmpty()) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select max(mrp) as maximo from tbmemoriarep where idrep = :pidrep"));
        q.bindValue(QStringLiteral(":pidrep"), numeroSerie);
        if (!q.exec())
            erro = erroDe(q);
        else if (q.next())
            *chave = q.value(0).toString().trimmed();
    }
    desconecta(db, nome);
    return erro;
}

QString ArmazemPaginas::conteudoPaginas(const QString &numeroSerie, QString *texto) const
{
    texto->clear();
    QSqlDatabase db;
    QString nome;
    QString erro = conecta(&db, &nome);
    if (erro.isEmpty()) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("select * from tbmemoriarep where idrep = :pidrep order by mrp"));
        q.bindValue(QStringLiteral(":pidrep"), numeroSerie);
        if (!q.exec()) {
            erro = erroDe(q);
        } else {
            while (q.next())
                texto->append(q.value(QStringLiteral("conteudo")).toString());
            if (q.lastError().isValid()) {
                erro = erroDe(q);
                texto->clear();
            }
        }
    }
    desconecta(db, nome);
    return erro;
}

// ---------------------------------------------------------------- PaginasPendentes

PaginasPendentes::PaginasPendentes(const ArmazemPaginas &armazem, const QString &numeroSerie)
    : m_armazem(&armazem), m_numeroSerie(numeroSerie)
{
}

QString PaginasPendentes::adiciona(const TMRPmemoria &pagina)
{
    m_paginas.append(pagina);
    if (m_paginas.size() >= PaginasPorGrupo)
        return grava();
    return QString();
}

QString PaginasPendentes::gravaRestantes()
{
    return grava();
}

QString PaginasPendentes::grava()
{
    int n = 0;
    const QString erro = m_armazem->gravaPaginas(m_numeroSerie, m_paginas, &n);
    m_paginas.remove(0, n);
    m_gravadas += n;
    return erro.isEmpty() ? QString() : retornoErroBanco(erro);
}

// ---------------------------------------------------------------- ColetaPaginas

ColetaPaginas::ColetaPaginas(const ArmazemPaginas &armazem)
    : m_armazem(armazem), m_pendentes(armazem, QString())
{
}

void ColetaPaginas::inicia(const PedidoAFD &pedido)
{
    m_pedido = pedido;
    m_pendentes = PaginasPendentes(m_armazem, pedido.numeroSerie);
    m_endereco = 0;
    m_ponteiro = 0;
    m_total = 0;
    m_lidas = 0;
    m_repeticoes = 0;
    m_retorno.clear();
}

ColetaPaginas::Acao ColetaPaginas::falha(const QString &retorno)
{
    m_retorno = retorno;
    return Acao::Falha;
}

ColetaPaginas::Acao ColetaPaginas::comecaPaginas(quint32 ponteiro)
{
    m_ponteiro = ponteiro;
    m_pendentes.limpa();
    if (ponteiro == 0)
        return Acao::PedeCache;
    QString maior;
    const QString erro = m_armazem.maiorPagina(m_pedido.numeroSerie, &maior);
    if (!erro.isEmpty())
        return falha(retornoErroBanco(erro));
    const InicioColeta inicio = decideInicioColeta(maior, ponteiro);
    if (!inicio.valido)
        return falha(inicio.retorno);
    m_endereco = inicio.endereco;
    m_total = inicio.paginas;
    return Acao::PedePagina;
}

ColetaPaginas::Acao ColetaPaginas::recebePagina(const QByteArray &resposta)
{
    if (!paginaConfere(resposta)) {
        if (++m_repeticoes >= MaxRepeticoesVerificacao)
            return falha(retornoVerificacaoEsgotada(m_endereco));
        return Acao::PedePagina;
    }
    m_repeticoes = 0;
    const QString erro = m_pendentes.adiciona(TMRPmemoria{chavePagina(m_endereco), textoPagina(resposta)});
    if (!erro.isEmpty())
        return falha(erro);
    ++m_lidas;
    if (!haProximaPagina(m_endereco, m_ponteiro))
        return Acao::PedeCache;
    m_endereco += TamanhoPagina;
    return Acao::PedePagina;
}

QString ColetaPaginas::concluiCache(const QString &cache)
{
    const QString erro = m_pendentes.gravaRestantes();
    if (!erro.isEmpty()) {
        m_retorno = erro;
        return erro;
    }
    PedidoAFD p = m_pedido;
    p.cache = cache;
    m_retorno = GeraAFD(p, m_armazem);
    return m_retorno;
}

} // namespace kelvo
