#include "data/dataset.h"

#include "data/cp1252.h"
#include "data/textos.h"

#include <QDateTime>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kelvo {

namespace {

const QLatin1String kConexaoPrincipal("ConexaoBD");
const QLatin1String kPrefixoAntigo("old_");
const QLatin1String kPrefixoAntigoNulo("oldnull_");

bool caractereDeNome(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

TipoCampo tipoDoMetaTipo(int id)
{
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return TipoCampo::Inteiro;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
    case QMetaType::QTime:
        return TipoCampo::DataHora;
    case QMetaType::QByteArray:
        return TipoCampo::Bytes;
    default:
        return TipoCampo::Texto;
    }
}

QMetaType metaTipo(TipoCampo t)
{
    switch (t) {
    case TipoCampo::Inteiro:
        return QMetaType(QMetaType::LongLong);
    case TipoCampo::DataHora:
        return QMetaType(QMetaType::QDateTime);
    case TipoCampo::Bytes:
        return QMetaType(QMetaType::QByteArray);
    default:
        return QMetaType(QMetaType::QString);
    }
}

// The condition that finds the row by its old values.
QString condicao(const QList<Campo> &campos, const QStringList &chave, bool nulaCombina)
{
    QStringList termos;
    const bool todos = chave.isEmpty();
    for (const Campo &c : campos) {
        if (!todos && !chave.contains(c.nome, Qt::CaseInsensitive))
            continue;
        const QString p = c.nome.toLower();
        if (nulaCombina || todos)
            termos << QStringLiteral("(%1 = :%2%3 or (%1 is null and :%4%3 is null))")
                          .arg(c.nome, kPrefixoAntigo, p, kPrefixoAntigoNulo);
        else
            termos << QStringLiteral("%1 = :%2%3").arg(c.nome, kPrefixoAntigo, p);
    }
    return termos.join(QStringLiteral(" and "));
}

} // namespace

QStringList parametrosDoSql(const QString &sql)
{
    QStringList nomes;
    QChar aspa;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!aspa.isNull()) {
            if (c == aspa)
                aspa = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            aspa = c;
            continue;
        }
        if (c != QLatin1Char(':') || i + 1 >= sql.size())
            continue;
        if (sql.at(i + 1) == QLatin1Char(':')) { // "::" is no parameter
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < sql.size() && caractereDeNome(sql.at(j)))
            ++j;
        if (j == i + 1)
            continue;
        const QString nome = sql.mid(i + 1, j - i - 1);
        if (!nomes.contains(nome, Qt::CaseInsensitive))
            nomes << nome;
        i = j - 1;
    }
    return nomes;
}

QString AdaptaSQLBanco(const QString &sql, Dialeto dialeto)
{
    if (dialeto == Dialeto::SQLServer)
        return sql;
    return SubstituiTexto(QStringLiteral("with (nolock)"), QString(), sql);
}

void AdaptaSQLBanco(QObject *dono, Dialeto dialeto)
{
    if (!dono)
        return;
    if (auto *ds = qobject_cast<Dataset *>(dono))
        ds->adaptaSql(dialeto);
    for (Dataset *ds : dono->findChildren<Dataset *>())
        ds->adaptaSql(dialeto);
}

Dataset::Dataset(const QString &nome, QObject *parent) : QObject(parent), m_conexao(kConexaoPrincipal)
{
    setObjectName(nome);
}

Dataset::~Dataset() = default;

void Dataset::defineConexao(const QString &nomeConexao)
{
    fecha();
    m_conexao = nomeConexao;
}

QSqlDatabase Dataset::conexao() const
{
    return QSqlDatabase::database(m_conexao, false);
}

Dialeto Dataset::dialeto() const
{
    return dialetoDaConexao(conexao());
}

void Dataset::defineSql(const QString &sql)
{
    if (sql == m_sql)
        return;
    fecha();
    m_sql = sql;
}

void Dataset::adaptaSql(Dialeto d)
{
    const QString adaptado = AdaptaSQLBanco(m_sql, d);
    if (adaptado != m_sql)
        defineSql(adaptado);
}

void Dataset::defineCampos(const QList<Campo> &campos)
{
    fecha();
    m_campos = campos;
    m_camposDeclarados = !campos.isEmpty();
    if (editavel())
        montaComandos();
}

const Campo *Dataset::campo(const QString &nome) const
{
    const int i = indiceCampo(nome);
    return i < 0 ? nullptr : &m_campos.at(i);
}

int Dataset::indiceCampo(const QString &nome) const
{
    for (int i = 0; i < m_campos.size(); ++i)
        if (m_campos.at(i).nome.compare(nome, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QStringList Dataset::nomesCampos() const
{
    QStringList r;
    for (const Campo &c : m_campos)
        r << c.nome;
    return r;
}

void Dataset::defineGravacao(const Gravacao &g)
{
    m_gravacao = g;
    montaComandos();
}

void Dataset::montaComandos()
{
    m_sqlInsert.clear();
    m_sqlUpdate.clear();
    m_sqlDelete.clear();
    if (m_gravacao.tabela.isEmpty() || m_campos.isEmpty())
        return;
    QStringList colunas, valores, atribuicoes;
    for (const Campo &c : m_campos) {
        if (c.autoIncremento)
            continue;
        colunas << c.nome;
        valores << QLatin1Char(':') + c.nome.toLower();
        atribuicoes << c.nome + QStringLiteral(" = :") + c.nome.toLower();
    }
    const QString onde = condicao(m_campos, m_gravacao.chave, m_gravacao.chaveNulaCombina);
    m_sqlInsert =
        QStringLiteral("insert into %1 (%2) values (%3)")
            .arg(m_gravacao.tabela, colunas.join(QStringLiteral(", ")), valores.join(QStringLiteral(", ")));
    m_sqlUpdate = QStringLiteral("update %1 set %2 where %3")
                      .arg(m_gravacao.tabela, atribuicoes.join(QStringLiteral(", ")), onde);
    m_sqlDelete = QStringLiteral("delete from %1 where %2").arg(m_gravacao.tabela, onde);
}

void Dataset::defineParametro(const QString &nome, const QVariant &valor)
{
    QString n = nome;
    if (n.startsWith(QLatin1Char(':')))
        n = n.mid(1);
    m_parametros.insert(n.toLower(), valor);
}

QVariant Dataset::parametro(const QString &nome) const
{
    QString n = nome;
    if (n.startsWith(QLatin1Char(':')))
        n = n.mid(1);
    return m_parametros.value(n.toLower());
}

QStringList Dataset::parametros() const
{
    return parametrosDoSql(m_sql);
}

bool Dataset::abre(const QVariantHash &parametros)
{
    for (auto it = parametros.cbegin(); it != parametros.cend(); ++it)
        defineParametro(it.key(), it.value());
    return abre();
}

bool Dataset::abre()
{
    const bool estavaAtivo = ativo();
    m_linhas.clear();
    m_antigos.clear();
    m_atual = -1;
    m_fim = true;
    m_erro = ErroBanco();
    if (estavaAtivo)
        defineEstado(Estado::Fechado);

    QSqlDatabase db = conexao();
    const Dialeto d = dialetoDaConexao(db);
    if (!db.isOpen()) {
        m_erro.tipo = ErroBanco::Tipo::Outro;
        m_erro.mensagem = QStringLiteral("Não há conexão com o banco de dados.");
        m_erro.status = m_erro.mensagem;
        return false;
    }
    QSqlQuery q(db);
    const QStringList nomes = parametrosDoSql(m_sql);
    bool ok = false;
    // A read is run again once when the server had dropped the session.
    for (int tentativa = 0; tentativa < 2; ++tentativa) {
        q = QSqlQuery(db);
        q.setForwardOnly(true);
        if (nomes.isEmpty()) {
            ok = q.exec(m_sql);
        } else {
            ok = q.prepare(m_sql);
            if (ok) {
                for (const QString &n : nomes)
                    q.bindValue(QLatin1Char(':') + n, m_parametros.value(n.toLower()));
                ok = q.exec();
            }
        }
        if (ok || !kelvo::erroBanco(q.lastError(), d).conexaoPerdida() ||
            !m_sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive))
            break;
    }
    if (!ok) {
        m_erro = kelvo::erroBanco(q.lastError(), d);
        emit registroMudou();
        return false;
    }
    if (q.isSelect()) {
        const QSqlRecord rec = q.record();
        if (!m_camposDeclarados) {
            m_campos.clear();
            for (int i = 0; i < rec.count(); ++i) {
                Campo c;
                c.nome = rec.fieldName(i);
                c.tipo = tipoDoMetaTipo(rec.field(i).metaType().id());
                m_campos << c;
            }
        }
        QVector<int> origem(m_campos.size(), -1);
        for (int i = 0; i < m_campos.size(); ++i)
            for (int j = 0; j < rec.count(); ++j)
                if (rec.fieldName(j).compare(m_campos.at(i).nome, Qt::CaseInsensitive) == 0) {
                    origem[i] = j;
                    break;
                }
        while (q.next()) {
            QVector<QVariant> linha(m_campos.size());
            for (int i = 0; i < m_campos.size(); ++i)
                linha[i] = origem[i] < 0 ? nulaTipada(i) : converte(i, q.value(origem[i]));
            m_linhas << linha;
        }
    } else if (!m_camposDeclarados) {
        m_campos.clear();
    }
    m_atual = m_linhas.isEmpty() ? -1 : 0;
    m_fim = m_linhas.isEmpty();
    defineEstado(Estado::Navegando);
    if (aposAbrir)
        aposAbrir(*this);
    emit registroMudou();
    return true;
}

void Dataset::fecha()
{
    const bool estavaAtivo = ativo();
    m_linhas.clear();
    m_antigos.clear();
    m_atual = -1;
    m_fim = true;
    if (estavaAtivo) {
        defineEstado(Estado::Fechado);
        emit registroMudou();
    }
}

bool Dataset::primeiro()
{
    if (!ativo() || editando())
        return false;
    m_atual = m_linhas.isEmpty() ? -1 : 0;
    m_fim = m_linhas.isEmpty();
    emit registroMudou();
    return !m_fim;
}

bool Dataset::proximo()
{
    if (!ativo() || editando() || m_fim)
        return false;
    if (m_atual + 1 >= m_linhas.size()) {
        m_fim = true;
        return false;
    }
    ++m_atual;
    emit registroMudou();
    return true;
}

QVariant Dataset::valor(const QString &campo) const
{
    const int i = indiceCampo(campo);
    if (i < 0 || m_atual < 0 || m_atual >= m_linhas.size())
        return QVariant();
    return m_linhas.at(m_atual).at(i);
}

QString Dataset::texto(const QString &campo) const
{
    const QVariant v = valor(campo);
    if (v.isNull())
        return QString();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    return v.toString();
}

int Dataset::inteiro(const QString &campo) const
{
    const QVariant v = valor(campo);
    if (v.isNull())
        return 0;
    bool ok = false;
    const int r = v.toInt(&ok);
    return ok ? r : 0;
}

bool Dataset::nulo(const QString &campo) const
{
    const QVariant v = valor(campo);
    if (v.isNull())
        return true;
    const int id = v.metaType().id();
    if (id == QMetaType::QString)
        return v.toString().isEmpty();
    if (id == QMetaType::QByteArray)
        return v.toByteArray().isEmpty();
    return false;
}

QVariant Dataset::valorAntigo(const QString &campo) const
{
    const int i = indiceCampo(campo);
    if (i < 0)
        return QVariant();
    if (!m_antigos.isEmpty())
        return m_antigos.value(i);
    return valor(campo);
}

QVariant Dataset::nulaTipada(int indice) const
{
    return QVariant(metaTipo(m_campos.at(indice).tipo));
}

QVariant Dataset::converte(int indice, const QVariant &v) const
{
    if (v.isNull())
        return nulaTipada(indice);
    const Campo &c = m_campos.at(indice);
    switch (c.tipo) {
    case TipoCampo::Inteiro: {
        if (v.metaType().id() == QMetaType::QString && v.toString().trimmed().isEmpty())
            return nulaTipada(indice);
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    case TipoCampo::DataHora: {
        QDateTime dt = v.toDateTime();
        if (!dt.isValid() && v.metaType().id() == QMetaType::QString)
            dt = QDateTime::fromString(v.toString(), QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case TipoCampo::Bytes:
        // SQL Server keeps file bytes in a text column: Windows-1252 characters.
        return QVariant(v.metaType().id() == QMetaType::QString ? paraCp1252(v.toString()) : v.toByteArray());
    default:
        if (v.metaType().id() == QMetaType::QDateTime)
            return QVariant(v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        return QVariant(v.toString());
    }
}

bool Dataset::defineValor(const QString &campo, const QVariant &valor, bool *cortado)
{
    if (cortado)
        *cortado = false;
    const int i = indiceCampo(campo);
    if (!editando() || i < 0 || m_atual < 0)
        return false;
    QVariant v = converte(i, valor);
    if (!v.isValid())
        return false;
    const Campo &c = m_campos.at(i);
    if ((c.tipo == TipoCampo::Texto) && c.tamanho > 0 && !v.isNull()) {
        const QString s = v.toString();
        if (s.size() > c.tamanho) {
            v = QVariant(s.left(c.tamanho));
            if (cortado)
                *cortado = true;
        }
    }
    m_linhas[m_atual][i] = v;
    emit valorMudou(c.nome);
    return true;
}

bool Dataset::edita()
{
    if (editando())
        return true;
    if (!ativo() || !editavel() || m_atual < 0)
        return false;
    if (antesEditar)
        antesEditar(*this);
    m_antigos = m_linhas.at(m_atual);
    defineEstado(Estado::Editando);
    return true;
}

bool Dataset::insere()
{
    if (editando() || !ativo() || !editavel())
        return false;
    if (antesInserir)
        antesInserir(*this);
    QVector<QVariant> linha(m_campos.size());
    for (int i = 0; i < m_campos.size(); ++i)
        linha[i] = nulaTipada(i);
    m_antigos = linha;
    m_linhas << linha;
    m_atual = m_linhas.size() - 1;
    m_fim = false;
    defineEstado(Estado::Inserindo);
    if (novoRegistro)
        novoRegistro(*this);
    emit registroMudou();
    if (aposInserir)
        aposInserir(*this);
    return true;
}

bool Dataset::executa(const QString &sql, int *linhasAfetadas, QVariant *novaChave)
{
    QSqlDatabase db = conexao();
    const Dialeto d = dialetoDaConexao(db);
    if (!db.isOpen()) {
        m_erro.tipo = ErroBanco::Tipo::Outro;
        m_erro.mensagem = QStringLiteral("Não há conexão com o banco de dados.");
        m_erro.status = m_erro.mensagem;
        return false;
    }
    QString texto = sql;
    if (novaChave && d == Dialeto::SQLServer)
        texto += QStringLiteral("; select SCOPE_IDENTITY() as novachave");
    QSqlQuery q(db);
    if (!q.prepare(texto)) {
        m_erro = kelvo::erroBanco(q.lastError(), d);
        return false;
    }
    for (const QString &n : parametrosDoSql(texto)) {
        const QString baixo = n.toLower();
        QVariant v;
        if (baixo.startsWith(kPrefixoAntigoNulo))
            v = m_antigos.value(indiceCampo(baixo.mid(kPrefixoAntigoNulo.size())));
        else if (baixo.startsWith(kPrefixoAntigo))
            v = m_antigos.value(indiceCampo(baixo.mid(kPrefixoAntigo.size())));
        else
            v = valor(baixo);
        if (d == Dialeto::SQLServer && v.metaType().id() == QMetaType::QByteArray)
            v = v.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(deCp1252(v.toByteArray()));
        q.bindValue(QLatin1Char(':') + n, v);
    }
    if (!q.exec()) {
        m_erro = kelvo::erroBanco(q.lastError(), d);
        return false;
    }
    if (linhasAfetadas)
        *linhasAfetadas = q.numRowsAffected();
    if (novaChave) {
        if (d == Dialeto::SQLServer) {
            while (!q.isSelect() && q.nextResult()) {
            }
            if (q.isSelect() && q.next())
                *novaChave = q.value(0);
        } else {
            *novaChave = q.lastInsertId();
            if (!novaChave->isValid() || novaChave->isNull() || novaChave->toLongLong() == 0) {
                QSqlQuery u(db);
                if (u.exec(QStringLiteral("select LAST_INSERT_ID()")) && u.next())
                    *novaChave = u.value(0);
            }
        }
    }
    return true;
}

bool Dataset::grava()
{
    if (!editando())
        return false;
    m_erro = ErroBanco();
    if (antesGravar && !antesGravar(*this))
        return false;
    if (!editando()) // a rule may have cancelled
        return false;
    const bool inserindo = m_estado == Estado::Inserindo;
    int autoIdx = -1;
    for (int i = 0; i < m_campos.size(); ++i)
        if (m_campos.at(i).autoIncremento)
            autoIdx = i;
    int afetadas = -1;
    QVariant nova;
    if (!executa(inserindo ? m_sqlInsert : m_sqlUpdate, &afetadas,
                 inserindo && autoIdx >= 0 ? &nova : nullptr))
        return false;
    if (!inserindo && afetadas == 0) {
        m_erro = ErroBanco();
        m_erro.tipo = ErroBanco::Tipo::Outro;
        m_erro.mensagem = QStringLiteral("O registro não foi encontrado no banco de dados: ele pode ter sido "
                                         "excluído ou alterado por outro usuário.");
        m_erro.status = m_erro.mensagem;
        return false;
    }
    if (inserindo && autoIdx >= 0 && nova.isValid() && !nova.isNull())
        m_linhas[m_atual][autoIdx] = converte(autoIdx, nova);
    m_antigos.clear();
    m_ultimaFoiInsercao = inserindo;
    defineEstado(Estado::Navegando);
    if (aposGravar)
        aposGravar(*this);
    emit registroMudou();
    return true;
}

void Dataset::cancela()
{
    if (!editando())
        return;
    if (m_estado == Estado::Inserindo) {
        m_linhas.removeAt(m_atual);
        m_atual = m_linhas.isEmpty() ? -1 : qMin(m_atual, int(m_linhas.size()) - 1);
        m_fim = m_linhas.isEmpty();
    } else if (m_atual >= 0 && m_antigos.size() == m_campos.size()) {
        m_linhas[m_atual] = m_antigos;
    }
    m_antigos.clear();
    defineEstado(Estado::Navegando);
    emit registroMudou();
}

bool Dataset::exclui()
{
    if (editando())
        cancela();
    m_erro = ErroBanco();
    if (!ativo() || !editavel() || m_atual < 0)
        return false;
    if (antesExcluir && !antesExcluir(*this))
        return false;
    m_antigos = m_linhas.at(m_atual);
    if (!executa(m_sqlDelete, nullptr, nullptr)) {
        m_antigos.clear();
        return false;
    }
    m_linhas.removeAt(m_atual);
    m_atual = m_linhas.isEmpty() ? -1 : qMin(m_atual, int(m_linhas.size()) - 1);
    m_fim = m_linhas.isEmpty();
    if (aposExcluir)
        aposExcluir(*this); // valorAntigo() still gives the deleted row
    m_antigos.clear();
    emit registroMudou();
    return true;
}

void Dataset::defineEstado(Estado e)
{
    if (m_estado == e)
        return;
    m_estado = e;
    emit estadoMudou(e);
}

} // namespace kelvo
