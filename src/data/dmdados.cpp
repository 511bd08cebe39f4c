#include "data/dmdados.h"

#include "data/interacao.h"
#include "data/regrascolaborador.h"
#include "data/regrasempresa.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace kelvo {

namespace {

TdmDados *g_dmDados = nullptr;

Campo texto(const QString &nome, int tamanho, bool obrigatorio = false, const QString &rotulo = QString())
{
    Campo c;
    c.nome = nome;
    c.tipo = TipoCampo::Texto;
    c.tamanho = tamanho;
    c.obrigatorio = obrigatorio;
    c.rotulo = rotulo;
    return c;
}

Campo inteiro(const QString &nome, bool obrigatorio = false)
{
    Campo c;
    c.nome = nome;
    c.tipo = TipoCampo::Inteiro;
    c.obrigatorio = obrigatorio;
    return c;
}

Campo chaveAuto(const QString &nome)
{
    Campo c = inteiro(nome);
    c.autoIncremento = true;
    return c;
}

Campo dataHora(const QString &nome, bool obrigatorio = false)
{
    Campo c;
    c.nome = nome;
    c.tipo = TipoCampo::DataHora;
    c.obrigatorio = obrigatorio;
    return c;
}

Campo memo(const QString &nome, bool obrigatorio = false)
{
    Campo c;
    c.nome = nome;
    c.tipo = TipoCampo::Memo;
    c.obrigatorio = obrigatorio;
    return c;
}

Campo bytes(const QString &nome, bool obrigatorio = false)
{
    Campo c;
    c.nome = nome;
    c.tipo = TipoCampo::Bytes;
    c.obrigatorio = obrigatorio;
    return c;
}

Gravacao gravacao(const QString &tabela, const QStringList &chave, bool nulaCombina = false)
{
    Gravacao g;
    g.tabela = tabela;
    g.chave = chave;
    g.chaveNulaCombina = nulaCombina;
    return g;
}

// Binds every placeholder of `sql` from `parametros` (names without colon,
// any case) and runs it.
bool prepara(QSqlQuery &q, const QString &sql, const QVariantHash &parametros)
{
    const QStringList nomes = parametrosDoSql(sql);
    if (nomes.isEmpty())
        return q.exec(sql);
    if (!q.prepare(sql))
        return false;
    QVariantHash baixo;
    for (auto it = parametros.cbegin(); it != parametros.cend(); ++it) {
        QString n = it.key();
        if (n.startsWith(QLatin1Char(':')))
            n = n.mid(1);
        baixo.insert(n.toLower(), it.value());
    }
    for (const QString &n : nomes)
        q.bindValue(QLatin1Char(':') + n, baixo.value(n.toLower()));
    return q.exec();
}

} // namespace

QString TdmDados::nomeConexaoBD()
{
    return QStringLiteral("ConexaoBD");
}

TdmDados &dmDados()
{
    Q_ASSERT_X(g_dmDados, "dmDados", "the data module has not been created");
    return *g_dmDados;
}

bool existeDmDados()
{
    return g_dmDados != nullptr;
}

Dataset *TdmDados::cria(const QString &nome, const QString &sql, const QList<Campo> &campos)
{
    auto *ds = new Dataset(nome, this);
    ds->defineConexao(nomeConexaoBD());
    ds->defineSql(sql);
    ds->defineCampos(campos);
    return ds;
}

TdmDados::TdmDados(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("dmDados"));

    qySQL = cria(QStringLiteral("qySQL"), QString(), {});

    tbColetor = cria(QStringLiteral("tbColetor"),
                     QStringLiteral("select * from tbcoletor where idcoletor = :pidcoletor"),
                     {chaveAuto(QStringLiteral("idcoletor")), texto(QStringLiteral("descricao"), 50, true),
                      texto(QStringLiteral("senha"), 4), dataHora(QStringLiteral("ultimacoleta")),
                      texto(QStringLiteral("dadosultimacoleta"), 30), texto(QStringLiteral("cpfcnpj"), 14),
                      texto(QStringLiteral("codigocoletor"), 20, true), inteiro(QStringLiteral("idempresa")),
                      inteiro(QStringLiteral("portaserial")), texto(QStringLiteral("modelocoletor"), 10),
                      texto(QStringLiteral("tipocomunicacao"), 1), texto(QStringLiteral("ip"), 20),
                      texto(QStringLiteral("url"), 200), inteiro(QStringLiteral("portaip")),
                      texto(QStringLiteral("urldinamica"), 1)});
    tbColetor->defineGravacao(gravacao(QStringLiteral("tbcoletor"), {QStringLiteral("idcoletor")}));

    qyLocalizaColetor =
        cria(QStringLiteral("qyLocalizaColetor"),
             QStringLiteral("select idcoletor from tbcoletor where codigocoletor = :pcodigocoletor"),
             {inteiro(QStringLiteral("idcoletor"))});

    tbColaborador =
        cria(QStringLiteral("tbColaborador"),
             QStringLiteral("select * from tbcolaborador where idcolaborador = :pidcolaborador"),
             {chaveAuto(QStringLiteral("idcolaborador")), texto(QStringLiteral("matricula"), 20, true),
              texto(QStringLiteral("codigo"), 6), texto(QStringLiteral("nome"), 50, true),
              texto(QStringLiteral("pis"), 12, true), inteiro(QStringLiteral("idempresa")),
              inteiro(QStringLiteral("iddepto")), texto(QStringLiteral("demitido"), 1),
              texto(QStringLiteral("proximidade"), 8), texto(QStringLiteral("ibutton12"), 12)});
    tbColaborador->defineGravacao(
        gravacao(QStringLiteral("tbcolaborador"), {QStringLiteral("idcolaborador")}));

    qyLocalizaColaboradorPis =
        cria(QStringLiteral("qyLocalizaColaboradorPis"),
             QStringLiteral("select idcolaborador from tbcolaborador where pis = :ppis"),
             {inteiro(QStringLiteral("idcolaborador"))});

    qyLocalizaColaboradorCodigo = cria(QStringLiteral("qyLocalizaColaboradorCodigo"),
                                       QStringLiteral("select idcolaborador from tbcolaborador\n"
                                                      "where codigo = :pcodigo\n"
                                                      "and demitido = 'N'\n"
                                                      "and pis <> :ppis"),
                                       {inteiro(QStringLiteral("idcolaborador"))});

    tbDepto =
        cria(QStringLiteral("tbDepto"), QStringLiteral("select * from tbdepto where iddepto = :piddepto"),
             {chaveAuto(QStringLiteral("iddepto")), texto(QStringLiteral("nomedepto"), 50, true),
              texto(QStringLiteral("codigoexporta"), 20)});
    tbDepto->defineGravacao(gravacao(QStringLiteral("tbdepto"), {QStringLiteral("iddepto")}, true));

    tbEmpresa = cria(QStringLiteral("tbEmpresa"),
                     QStringLiteral("select * from tbempresa where idempresa = :pidempresa"),
                     {chaveAuto(QStringLiteral("idempresa")), texto(QStringLiteral("razaosocial"), 150, true),
                      texto(QStringLiteral("tipopessoafj"), 1), texto(QStringLiteral("cpfcnpj"), 14, true),
                      texto(QStringLiteral("cei"), 12), texto(QStringLiteral("localtrabalho"), 100),
                      texto(QStringLiteral("codigoempresa"), 20)});
    tbEmpresa->defineGravacao(gravacao(QStringLiteral("tbempresa"), {QStringLiteral("idempresa")}, true));

    qyListaEmpresas = cria(QStringLiteral("qyListaEmpresas"),
                           QStringLiteral("select idempresa,cpfcnpj from tbempresa with (nolock)"),
                           {texto(QStringLiteral("cpfcnpj"), 14), inteiro(QStringLiteral("idempresa"))});

    tbColabREP =
        cria(QStringLiteral("tbColabREP"),
             QStringLiteral("select * from tbcolabrep where pis = :ppis and codigocoletor = :pcodigocoletor"),
             {texto(QStringLiteral("pis"), 12, true), texto(QStringLiteral("codigocoletor"), 20, true)});
    tbColabREP->defineGravacao(
        gravacao(QStringLiteral("tbcolabrep"), {QStringLiteral("pis"), QStringLiteral("codigocoletor")}));

    // Opened on a key only: appending never loads the table.
    TbLogColeta = cria(QStringLiteral("TbLogColeta"),
                       QStringLiteral("select * from tblogcoleta where idlogcoleta = :pidlogcoleta"),
                       {chaveAuto(QStringLiteral("idlogcoleta")), dataHora(QStringLiteral("datahorainicio")),
                        dataHora(QStringLiteral("datahorafim")), inteiro(QStringLiteral("idcoletor")),
                        texto(QStringLiteral("sucesso"), 1), dataHora(QStringLiteral("filtro"))});
    TbLogColeta->defineGravacao(
        gravacao(QStringLiteral("tblogcoleta"), {QStringLiteral("idlogcoleta")}, true));

    TbBackupAFD = cria(QStringLiteral("TbBackupAFD"),
                       QStringLiteral("select * from tbbackupafd where IdBackupAFD = :pidbackupafd"),
                       {chaveAuto(QStringLiteral("IdBackupAFD")), dataHora(QStringLiteral("datahora"), true),
                        inteiro(QStringLiteral("IdPermisso"), true), bytes(QStringLiteral("Arquivo"), true),
                        texto(QStringLiteral("idrep"), 20)});
    TbBackupAFD->defineGravacao(gravacao(QStringLiteral("tbbackupafd"), {QStringLiteral("IdBackupAFD")}));

    TbImportaColab = cria(QStringLiteral("TbImportaColab"), QStringLiteral("select * from tbimportacolab"),
                          {inteiro(QStringLiteral("PosNome")), inteiro(QStringLiteral("PosMatricula")),
                           inteiro(QStringLiteral("PosPIS")), inteiro(QStringLiteral("PosIButton")),
                           inteiro(QStringLiteral("QtdNome")), inteiro(QStringLiteral("QtdMatricula")),
                           inteiro(QStringLiteral("QtdPIS")), inteiro(QStringLiteral("QtdIbutton"))});
    TbImportaColab->defineGravacao(gravacao(QStringLiteral("tbimportacolab"), {}));

    tbMemoriaREP = cria(QStringLiteral("tbMemoriaREP"),
                        QStringLiteral("select * from tbmemoriarep where idrep = :pidrep order by mrp"),
                        {texto(QStringLiteral("idrep"), 17, true), texto(QStringLiteral("mrp"), 8, true),
                         memo(QStringLiteral("conteudo")), dataHora(QStringLiteral("dthcoleta"), true)});
    tbMemoriaREP->defineGravacao(
        gravacao(QStringLiteral("tbmemoriarep"), {QStringLiteral("idrep"), QStringLiteral("mrp")}));

    tbDigital = cria(
        QStringLiteral("tbDigital"),
        QStringLiteral("select * from tbdigital where idcolaborador = :pidcolaborador and dedo = :pdedo"),
        {inteiro(QStringLiteral("idcolaborador"), true), inteiro(QStringLiteral("dedo"), true),
         memo(QStringLiteral("digital"))});
    tbDigital->defineGravacao(
        gravacao(QStringLiteral("tbdigital"), {QStringLiteral("idcolaborador"), QStringLiteral("dedo")}));

    qyDigitais =
        cria(QStringLiteral("qyDigitais"),
             QStringLiteral("select * from tbdigital where idcolaborador = :pidcolaborador\norder by dedo"),
             {inteiro(QStringLiteral("idcolaborador"), true), inteiro(QStringLiteral("dedo"), true),
              memo(QStringLiteral("digital"))});

    qyLocalizaDigitais =
        cria(QStringLiteral("qyLocalizaDigitais"),
             QStringLiteral("select idcolaborador, dedo from tbdigital where idcolaborador = "
                            ":pidcolaborador and digital = :pdigital"),
             {inteiro(QStringLiteral("idcolaborador")), inteiro(QStringLiteral("dedo"))});

    tbUsuario =
        cria(QStringLiteral("tbUsuario"), QStringLiteral("select * from tbusuario where login = :plogin"),
             {texto(QStringLiteral("login"), 20, true, QStringLiteral("Login")),
              texto(QStringLiteral("nomeusuario"), 45, true, QStringLiteral("Nome do usuário")),
              texto(QStringLiteral("senha"), 41)});
    tbUsuario->defineGravacao(gravacao(QStringLiteral("tbusuario"), {QStringLiteral("login")}));

    qyCripSenhaMySQL =
        cria(QStringLiteral("qyCripSenhaMySQL"), QStringLiteral("select SHA1(:senha) as senha"),
             {texto(QStringLiteral("senha"), 50)});
    // The value is hashed as single-byte text, as the stored hashes were made
    // (an ODBC string parameter arrives as nvarchar, which hashes differently).
    qyCripSenhaMSSQL =
        cria(QStringLiteral("qyCripSenhaMSSQL"),
             QStringLiteral("select convert(varchar(41),HashBytes('MD5', convert(varchar(8000), "
                            ":senha))) as senha"),
             {texto(QStringLiteral("senha"), 41)});

    TbSenhaUsuario = cria(QStringLiteral("TbSenhaUsuario"), QString(), {});

    qyInsereLogSistema =
        cria(QStringLiteral("qyInsereLogSistema"),
             QStringLiteral("insert into tblogsistema (datahora, idpermisso, formulario, mensagem) values\n"
                            "(now(), :pidusuario, :pformulario, :pmensagem)"),
             {});

    // The module's own statements never carry the SQL Server hint.
    kelvo::AdaptaSQLBanco(this, Dialeto::MySQL);
    instalaRegras();
    g_dmDados = this;
}

TdmDados::~TdmDados()
{
    if (g_dmDados == this)
        g_dmDados = nullptr;
    const QString nome = nomeConexaoBD();
    if (QSqlDatabase::contains(nome)) {
        {
            QSqlDatabase db = QSqlDatabase::database(nome, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(nome);
    }
}

void TdmDados::instalaRegras()
{
    auto camposObrigatorios = [this](Dataset &ds) { return VerificaCamposBeforePost(ds); };
    tbColetor->antesGravar = camposObrigatorios;
    tbDepto->antesGravar = camposObrigatorios;
    tbUsuario->antesGravar = camposObrigatorios;
    tbColetor->antesExcluir = [this](Dataset &ds) { return tbColetorBeforeDelete(ds); };

    // Employee save and delete rules, and what they remember on insert/edit.
    instalaRegrasColaborador(*this);

    // Company save and after-save rules.
    instalaRegrasEmpresa(*this);

    // A new import layout starts with every position and length at 1.
    TbImportaColab->novoRegistro = [](Dataset &ds) {
        for (const Campo &c : ds.campos())
            ds.defineValor(c.nome, 1);
    };
}

Dataset *TdmDados::dataset(const QString &nome) const
{
    for (Dataset *ds : findChildren<Dataset *>(QString(), Qt::FindDirectChildrenOnly))
        if (ds->objectName() == nome)
            return ds;
    return nullptr;
}

// ---- connection ----

QSqlDatabase TdmDados::ConexaoBD() const
{
    return QSqlDatabase::database(nomeConexaoBD(), false);
}

bool TdmDados::conecta(ErroBanco *erro)
{
    const ConfigBanco &c = configBanco();
    const ParametrosConexao p = parametrosDaConfiguracao(c);
    ErroBanco e;
    const bool ok = abreConexao(nomeConexaoBD(), p, &e);
    m_erroConexao = e;
    if (erro)
        *erro = e;
    if (!ok)
        return false;
    const bool comBanco = c.dialeto == Dialeto::SQLServer ? !NomeBancoDaConexao(c.database).isEmpty()
                                                          : !c.database.trimmed().isEmpty();
    if (comBanco && aposConectar)
        aposConectar();
    emit conectou();
    return true;
}

void TdmDados::desconecta()
{
    for (Dataset *ds : findChildren<Dataset *>(QString(), Qt::FindDirectChildrenOnly))
        ds->fecha();
    if (QSqlDatabase::contains(nomeConexaoBD()))
        ConexaoBD().close();
}

bool TdmDados::conectado() const
{
    return QSqlDatabase::contains(nomeConexaoBD()) && ConexaoBD().isOpen();
}

// ---- dialect ----

Dialeto TdmDados::dialeto() const
{
    return configBanco().dialeto;
}
QString TdmDados::NomeBanco() const
{
    return configBanco().NomeBanco;
}
QString TdmDados::SufixoNolock() const
{
    return configBanco().SufixoNolock;
}

QString TdmDados::AdaptaSQLBanco(const QString &sql) const
{
    return kelvo::AdaptaSQLBanco(sql, dialeto());
}

void TdmDados::AdaptaSQLBanco(QObject *dono) const
{
    kelvo::AdaptaSQLBanco(dono, dialeto());
}

int TdmDados::UltimoCodigo(const QString &coluna, const QString &tabela)
{
    const QString sql = QStringLiteral("select max(") + coluna + QStringLiteral(") as maximo from ") +
                        tabela.toLower() + QLatin1Char(' ') + SufixoNolock();
    return valor(sql).toInt();
}

// ---- rules ----

bool TdmDados::VerificaCamposBeforePost(Dataset &ds)
{
    for (const Campo &c : ds.campos()) {
        if (c.obrigatorio && !c.autoIncremento && ds.nulo(c.nome)) {
            avisa(QStringLiteral("O campo '") + c.rotuloOuNome() +
                  QStringLiteral("' precisa ser preenchido!"));
            return false;
        }
    }
    return true;
}

bool TdmDados::tbColetorBeforeDelete(Dataset &ds)
{
    ErroBanco e;
    if (!executa(QStringLiteral("delete from tbmemoriarep where idrep = :pidrep"),
                 {{QStringLiteral("pidrep"), ds.texto(QStringLiteral("codigocoletor"))}}, &e)) {
        ds.defineErro(e);
        return false;
    }
    return true;
}

int TdmDados::portaSerialColetor() const
{
    return tbColetor->inteiro(QStringLiteral("portaserial"));
}

// ---- users ----

bool TdmDados::VerificaUsuario(const QString &login, const QString &senha, ErroBanco *erro)
{
    if (sqlServer())
        TbSenhaUsuario->defineSql(
            QStringLiteral("SELECT count(*) AS totalsenha\n"
                           " FROM tbusuario WHERE login = :plogin\n"
                           "and convert(varchar(41),HashBytes('MD5', convert(varchar(8000), "
                           ":psenha))) = senha"));
    else
        TbSenhaUsuario->defineSql(QStringLiteral("select * from tbusuario where login =:Plogin\n"
                                                 "AND SHA1(:psenha)= senha "));
    TbSenhaUsuario->defineParametro(QStringLiteral("plogin"), login);
    TbSenhaUsuario->defineParametro(QStringLiteral("psenha"), senha);
    const bool ok = TbSenhaUsuario->abre();
    if (erro)
        *erro = TbSenhaUsuario->erroBanco();
    if (!ok)
        return false;
    const bool conhecido =
        sqlServer() ? TbSenhaUsuario->inteiro(QStringLiteral("totalsenha")) > 0 : !TbSenhaUsuario->vazio();
    TbSenhaUsuario->fecha();
    return conhecido;
}

QString TdmDados::CriptografaSenha(const QString &senha, ErroBanco *erro)
{
    Dataset *q = sqlServer() ? qyCripSenhaMSSQL : qyCripSenhaMySQL;
    const bool ok = q->abre({{QStringLiteral("senha"), senha}});
    if (erro)
        *erro = q->erroBanco();
    const QString r = ok ? q->texto(QStringLiteral("senha")) : QString();
    q->fecha();
    return r;
}

// ---- system log ----

int TdmDados::idPermissoDoLogin(const QString &login)
{
    if (login.trimmed().isEmpty() || !conectado())
        return 0;
    const QVariant v = valor(QStringLiteral("select idpermisso from tbpermisso where login = :login"),
                             {{QStringLiteral("login"), login}});
    return v.isNull() ? 0 : v.toInt();
}

bool TdmDados::RegistraLogSistema(const QString &formulario, const QString &mensagem)
{
    if (!conectado())
        return false;
    qyInsereLogSistema->defineSql(
        sqlServer()
            ? QStringLiteral("insert into tblogsistema (datahora, idpermisso, formulario, mensagem) values\n"
                             "(getdate(), :pidusuario, :pformulario, :pmensagem)")
            : QStringLiteral("insert into tblogsistema (datahora, idpermisso, formulario, mensagem) values\n"
                             "(now(), :pidusuario, :pformulario, :pmensagem)"));
    return executa(qyInsereLogSistema->sql(),
                   {{QStringLiteral("pidusuario"), idPermissoDoLogin(m_loginAtual)},
                    {QStringLiteral("pformulario"), formulario.left(100)},
                    {QStringLiteral("pmensagem"), mensagem.left(256)}});
}

// ---- append-only tables ----

int TdmDados::insereLogColeta(const QDateTime &inicio, int idcoletor, const QString &sucesso,
                              const QVariant &fim, const QVariant &filtro, ErroBanco *erro)
{
    Dataset *ds = TbLogColeta;
    ds->defineParametro(QStringLiteral("pidlogcoleta"), 0);
    if (!ds->abre() || !ds->insere()) {
        if (erro)
            *erro = ds->erroBanco();
        return 0;
    }
    ds->defineValor(QStringLiteral("datahorainicio"), inicio);
    ds->defineValor(QStringLiteral("idcoletor"), idcoletor);
    ds->defineValor(QStringLiteral("sucesso"), sucesso);
    ds->defineValor(QStringLiteral("datahorafim"), fim);
    ds->defineValor(QStringLiteral("filtro"), filtro);
    if (!ds->grava()) {
        if (erro)
            *erro = ds->erroBanco();
        ds->cancela();
        ds->fecha();
        return 0;
    }
    const int id = ds->inteiro(QStringLiteral("idlogcoleta"));
    ds->defineParametro(QStringLiteral("pidlogcoleta"), id);
    if (erro)
        *erro = ErroBanco();
    return id;
}

bool TdmDados::atualizaLogColeta(int idlogcoleta, const QString &sucesso, const QVariant &fim,
                                 ErroBanco *erro)
{
    int linhas = 0;
    const bool ok =
        executa(QStringLiteral("update tblogcoleta set sucesso = :psucesso, datahorafim = :pfim "
                               "where idlogcoleta = :pidlogcoleta"),
                {{QStringLiteral("psucesso"), sucesso.left(1)},
                 {QStringLiteral("pfim"), fim.isNull() ? QVariant(QMetaType(QMetaType::QDateTime)) : fim},
                 {QStringLiteral("pidlogcoleta"), idlogcoleta}},
                erro, &linhas);
    if (ok && linhas == 0) {
        if (erro) {
            *erro = ErroBanco();
            erro->tipo = ErroBanco::Tipo::Outro;
            erro->mensagem = QStringLiteral("O registro de coleta %1 não foi encontrado.").arg(idlogcoleta);
            erro->status = erro->mensagem;
        }
        return false;
    }
    return ok;
}

int TdmDados::insereBackupAFD(const QDateTime &datahora, int idpermisso, const QByteArray &arquivo,
                              const QString &idrep, ErroBanco *erro)
{
    Dataset *ds = TbBackupAFD;
    ds->defineParametro(QStringLiteral("pidbackupafd"), 0);
    if (!ds->abre() || !ds->insere()) {
        if (erro)
            *erro = ds->erroBanco();
        return 0;
    }
    ds->defineValor(QStringLiteral("datahora"), datahora);
    ds->defineValor(QStringLiteral("IdPermisso"), idpermisso);
    ds->defineValor(QStringLiteral("Arquivo"), arquivo);
    ds->defineValor(QStringLiteral("idrep"), idrep);
    if (!ds->grava()) {
        if (erro)
            *erro = ds->erroBanco();
        ds->cancela();
        ds->fecha();
        return 0;
    }
    const int id = ds->inteiro(QStringLiteral("IdBackupAFD"));
    ds->fecha(); // the file bytes need not stay in memory
    ds->defineParametro(QStringLiteral("pidbackupafd"), id);
    if (erro)
        *erro = ErroBanco();
    return id;
}

// ---- one-off statements ----

bool TdmDados::executa(const QString &sql, const QVariantHash &parametros, ErroBanco *erro,
                       int *linhasAfetadas)
{
    QSqlDatabase db = ConexaoBD();
    QSqlQuery q(db);
    const bool ok = db.isOpen() && prepara(q, sql, parametros);
    if (erro) {
        if (ok)
            *erro = ErroBanco();
        else if (!db.isOpen()) {
            *erro = ErroBanco();
            erro->tipo = ErroBanco::Tipo::Outro;
            erro->mensagem = QStringLiteral("Não há conexão com o banco de dados.");
            erro->status = erro->mensagem;
        } else
            *erro = erroBanco(q.lastError(), dialetoDaConexao(db));
    }
    if (ok && linhasAfetadas)
        *linhasAfetadas = q.numRowsAffected();
    return ok;
}

QVariant TdmDados::valor(const QString &sql, const QVariantHash &parametros, ErroBanco *erro)
{
    QSqlDatabase db = ConexaoBD();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool ok = db.isOpen() && prepara(q, sql, parametros);
    if (!ok && db.isOpen() && erroBanco(q.lastError(), dialetoDaConexao(db)).conexaoPerdida()) {
        q = QSqlQuery(db); // the session was dropped: a read may run again
        q.setForwardOnly(true);
        ok = prepara(q, sql, parametros);
    }
    if (erro)
        *erro = ok ? ErroBanco() : erroBanco(q.lastError(), dialetoDaConexao(db));
    if (!ok || !q.next())
        return QVariant();
    return q.value(0);
}

} // namespace kelvo
