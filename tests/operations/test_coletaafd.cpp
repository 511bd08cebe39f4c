// The "Coletar AFD" flow on the real database created by the program's own
// creation code: the collection log, the serial number check, the stored
// routines, the kept copy, the closing messages, failures that leave the log
// row "N" and lose nothing, the re-issue, the dialog's checks and kelvo-rep
// collect.
//
// The device side is a stand-in engine holding a punch memory: it answers the
// status and runs the page collection through the same shared code the engines
// use (ColetaPaginas: real page store, real AFD build); the flow cannot tell it
// from an engine.

#include "testsupport.h"

#include "cli/coleta.h"
#include "data/cp1252.h"
#include "data/criabanco.h"
#include "data/dmdados.h"
#include "data/sistema.h"
#include "device/common/afd.h"
#include "device/common/paginas.h"
#include "device/common/retorno.h"
#include "operations/coletaafd.h"
#include "operations/reemissaoafd.h"
#include "operations/tfcoletaafd.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace kelvo;
using namespace kelvo::teste;

namespace {

const QString kSerie = QStringLiteral("00004000010000123");

QString nsr(int n)
{
    return QStringLiteral("%1").arg(n, 9, 10, QLatin1Char('0'));
}
QString reg3(int n, const QString &data, const QString &hora = QStringLiteral("0800"))
{
    return nsr(n) + QStringLiteral("3") + data + hora + QStringLiteral("012345678901") +
           QStringLiteral("\r\n");
}

// A device's punch memory: full pages below the pointer, the rest in the cache.
struct Dispositivo
{
    QString serie = kSerie;
    QString memoria;
    QString retornoStatus;   // when set, the status ends with it
    QString retornoColeta;   // when set, the collection ends with it before any page
    bool silencioso = false; // the status never gets an answer: empty result
    int coletas = 0;
};

class MotorTeste : public MotorREP
{
public:
    MotorTeste(Dispositivo &d, QObject *parent) : MotorREP(parent), m_d(d) {}

    bool Status(const TParametrosComunicacao &) override
    {
        if (m_ativo)
            return false;
        m_ativo = true;
        RetornoComunicacao.clear();
        QTimer::singleShot(0, this, [this] {
            RetornoComunicacao =
                m_d.silencioso ? QString()
                : m_d.retornoStatus.isEmpty()
                    ? QStringLiteral("0;10/01/24 08:00:00;000000001;") + m_d.serie + QStringLiteral(";")
                    : m_d.retornoStatus;
            termina();
        });
        return true;
    }

    bool ColetaAFD(const TParametrosComunicacao &, const QString &arquivo, const QString &filtro,
                   const QDate &inicio, const QDate &fim) override
    {
        if (m_ativo)
            return false;
        m_ativo = true;
        ++m_d.coletas;
        RetornoComunicacao.clear();
        PedidoAFD pedido;
        pedido.arquivo = arquivo;
        pedido.filtro = FiltroPeriodo{filtro == QLatin1String("S"), inicio, fim};
        pedido.numeroSerie = m_d.serie;
        pedido.empregador = EmpregadorAFD{"1", "12345678000195", "000000000000", "EMPRESA TESTE"};
        QTimer::singleShot(0, this, [this, pedido] {
            if (!m_d.retornoColeta.isEmpty()) {
                RetornoComunicacao = m_d.retornoColeta;
                termina();
                return;
            }
            const ArmazemPaginas armazem(dmDados().ConexaoBD(), Dialeto::MySQL);
            ColetaPaginas c(armazem);
            c.inicia(pedido);
            const quint32 ponteiro = quint32(m_d.memoria.size() / 512 * 512);
            ColetaPaginas::Acao a = c.comecaPaginas(ponteiro);
            while (a == ColetaPaginas::Acao::PedePagina) {
                QByteArray b = paraCp1252(m_d.memoria.mid(int(c.enderecoAtual()), 512));
                const quint16 soma = somaPagina(b);
                b.append(char(soma >> 8));
                b.append(char(soma & 0xFF));
                a = c.recebePagina(b);
            }
            RetornoComunicacao = a == ColetaPaginas::Acao::Falha
                                     ? c.retorno()
                                     : c.concluiCache(m_d.memoria.mid(int(ponteiro)));
            termina();
        });
        return true;
    }

    bool AcertaDataHora(const TParametrosComunicacao &, const QString &, const QString &, const QString &,
                        const QString &, const QString &, const QString &) override
    {
        return false;
    }
    bool EnviaFuncionario(const TParametrosComunicacao &, const QString &, const QString &, const QString &,
                          const QString &, int) override
    {
        return false;
    }
    bool LeituraMT(const TParametrosComunicacao &, const QString &) override { return false; }
    bool EnviaEmpregador(const TParametrosComunicacao &, const QString &, const QString &, const QString &,
                         const QString &, int) override
    {
        return false;
    }
    bool RecebeEmpregador(const TParametrosComunicacao &) override { return false; }
    bool emConversa() const override { return m_ativo; }

private:
    void termina()
    {
        m_ativo = false;
        Q_EMIT terminou();
    }
    Dispositivo &m_d;
    bool m_ativo = false;
};

QByteArray lido(const QString &nome)
{
    QFile f(nome);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ausente>");
}

} // namespace

class TesteColetaAFD : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void recusaRepSemEmpresa();
    void nomeDoArquivoPadrao();
    void coletaCompletaEDuasVezes();
    void periodoSemRegistros();
    void numeroDeSerieDiferente();
    void modeloDesconhecido();
    void falhaDoDispositivo_data();
    void falhaDoDispositivo();
    void pastaSemGravacaoEProximaRecupera();
    void bancoRecusaPaginaEProximaRecupera();
    void mensagemDaFalhaMostraMotivo_data();
    void mensagemDaFalhaMostraMotivo();
    void reemissao();
    void janelaDeReemissao();
    void dialogoDaColeta();
    void acaoDaJanelaPrincipal();
    void registroInacabadoNoFimDaMemoria();
    void comandoCollect_data();
    void comandoCollect();
    void comandoCollectExecuta();

private:
    // Runs the flow to its end; the interaction answers from m_gravada.
    ResultadoColetaAFD coleta(int idcoletor, const QString &arquivo, bool filtro = false, QDate de = {},
                              QDate ate = {});
    int log(const QString &sucesso) const;
    int linhas(const QString &tabela) const;

    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
    InteracaoGravada m_gravada;
    std::unique_ptr<InteracaoNoEscopo> m_escopo;
    Dispositivo m_disp;
    int m_rep = 0;        // a REP with company, model "TESTE"
    int m_semEmpresa = 0; // idempresa 0
    int m_outroModelo = 0;
    QStringList m_abertos;
};

void TesteColetaAFD::initTestCase()
{
    KELVO_EXIGE_SERVIDOR();
    m_pasta = std::make_unique<PastaTeste>();
    m_banco = std::make_unique<BancoTeste>();
    const Servidor s = servidor();
    ConfigBanco &c = configBanco();
    c = ConfigBanco();
    c.host = s.host;
    c.porta = s.porta;
    c.database = m_banco->nome();
    c.NomeBanco = m_banco->nome();
    c.dialeto = Dialeto::MySQL;
    c.usuarioLogin = s.usuario;
    c.senhaLogin = s.senha;
    {
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        TdmCriaBanco cria(c);
        QCOMPARE(cria.CriaBanco(false), ResultadoCriacao::Criado);
    }
    m_dm = std::make_unique<TdmDados>();
    ErroBanco e;
    QVERIFY2(m_dm->conecta(&e), qPrintable(e.texto()));
}

void TesteColetaAFD::init()
{
    m_gravada.mensagens.clear();
    m_gravada.respostas.clear();
    m_escopo = std::make_unique<InteracaoNoEscopo>(&m_gravada);
    QSqlDatabase db = m_banco->conexao(false);
    for (const char *t :
         {"tbmemoriarep", "tbafd", "tblogcoleta", "tbbackupafd", "tbcoletor", "tbempresa", "tblogsistema"})
        executa(db, QStringLiteral("delete from %1").arg(QLatin1String(t)));
    executa(db, "drop trigger if exists recusa");
    executa(db, "insert into tbempresa (razaosocial, tipopessoafj, cpfcnpj, cei) "
                "values ('EMPRESA TESTE', 'J', '12345678000195', '')");
    const int emp = valor(db, "select max(idempresa) from tbempresa").toInt();
    auto rep = [&](const QString &codigo, int idempresa, const QString &modelo) {
        QSqlQuery q(db);
        q.prepare(
            "insert into tbcoletor (descricao, codigocoletor, idempresa, modelocoletor, tipocomunicacao, "
            "portaserial) values (:d, :c, :e, :m, 'S', 7)");
        q.bindValue(":d", "REP " + codigo);
        q.bindValue(":c", codigo);
        q.bindValue(":e", idempresa);
        q.bindValue(":m", modelo);
        if (!q.exec())
            return 0;
        return valor(db, "select max(idcoletor) from tbcoletor").toInt();
    };
    m_rep = rep(kSerie, emp, "TESTE");
    m_semEmpresa = rep("00004000010000999", 0, "TESTE");
    m_outroModelo = rep("00004000010000888", emp, "XYZ");
    QVERIFY(m_rep && m_semEmpresa && m_outroModelo);
    m_disp = Dispositivo();
    m_abertos.clear();
    QDir pasta(m_pasta->caminho());
    for (const QString &f : pasta.entryList({"*.txt"}, QDir::Files))
        pasta.remove(f);
    ArquivoConfig().escreveTexto("CONFIG", "AFDFOLDER", m_pasta->caminho());
    ArquivoConfig().escreveBooleano("CONFIG", "VERAFD", true);
}

void TesteColetaAFD::cleanup()
{
    m_escopo.reset();
}

void TesteColetaAFD::cleanupTestCase()
{
    m_dm.reset();
    m_banco.reset();
    m_pasta.reset();
}

ResultadoColetaAFD TesteColetaAFD::coleta(int idcoletor, const QString &arquivo, bool filtro, QDate de,
                                          QDate ate)
{
    FluxoColetaAFD fluxo;
    fluxo.defineFabrica([this](const QString &modelo, QObject *parent) -> MotorREP * {
        if (modelo == QLatin1String("TESTE"))
            return new MotorTeste(m_disp, parent);
        return criaMotorPorModelo(modelo, parent);
    });
    fluxo.abreArquivo = [this](const QString &a) { m_abertos << a; };
    if (!fluxo.carregaColetor(idcoletor))
        return fluxo.resultado();
    QSignalSpy fim(&fluxo, &FluxoColetaAFD::concluida);
    if (!fluxo.inicia(arquivo, filtro, de, ate))
        return fluxo.resultado();
    if (fim.isEmpty())
        fim.wait(10000);
    return fluxo.resultado();
}

int TesteColetaAFD::log(const QString &sucesso) const
{
    return valor(m_banco->conexao(false),
                 QStringLiteral("select count(*) from tblogcoleta where sucesso = '%1'").arg(sucesso))
        .toInt();
}

int TesteColetaAFD::linhas(const QString &tabela) const
{
    return valor(m_banco->conexao(false), QStringLiteral("select count(*) from ") + tabela).toInt();
}

void TesteColetaAFD::recusaRepSemEmpresa()
{
    const ResultadoColetaAFD r = coleta(m_semEmpresa, m_pasta->arquivo("x.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::NaoIniciada);
    QCOMPARE(m_gravada.textos(), QStringList{"Receba a empresa deste coletor, antes de continuar"});
    QCOMPARE(m_gravada.mensagens.first().icone, Icone::Informacao);
    QCOMPARE(linhas("tblogcoleta"), 0);
    QCOMPARE(m_disp.coletas, 0);
}

void TesteColetaAFD::nomeDoArquivoPadrao()
{
    QCOMPARE(nomeArquivoAFDPadrao(kSerie, QDate(2024, 3, 5)),
             m_pasta->caminho() + "AFD" + kSerie + "_240305.txt");
    // A missing folder (and its parents) is created; a folder without separator gets one.
    const QString pasta = m_pasta->caminho() + "afd/2024/marco";
    ArquivoConfig().escreveTexto("CONFIG", "AFDFOLDER", pasta);
    QCOMPARE(nomeArquivoAFDPadrao(kSerie, QDate(2024, 3, 5)), pasta + "/AFD" + kSerie + "_240305.txt");
    QVERIFY(QDir(pasta).exists());
    // Without the setting: the program folder.
    ArquivoConfig().escreveTexto("CONFIG", "AFDFOLDER", QString());
    QCOMPARE(nomeArquivoAFDPadrao("7", QDate(2024, 12, 31)), PastaPrograma() + "AFD7_241231.txt");
}

void TesteColetaAFD::coletaCompletaEDuasVezes()
{
    for (int n = 1; n <= 40; ++n) // 40 * 36 = 1440: two pages and a cache, records cut at both boundaries
        m_disp.memoria += reg3(n, "10012024");
    const QString arquivo = m_pasta->arquivo("AFD1.txt");
    ResultadoColetaAFD r = coleta(m_rep, arquivo);
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Coleta realizada com sucesso!"));
    QCOMPARE(m_abertos, QStringList{arquivo});
    QCOMPARE(log("S"), 1);
    QVERIFY(valor(m_banco->conexao(false), "select datahorafim from tblogcoleta").toDateTime().isValid());
    QCOMPARE(linhas("tbafd"), 40);
    QCOMPARE(linhas("tbbackupafd"), 1);
    QCOMPARE(valor(m_banco->conexao(false), "select Arquivo from tbbackupafd").toByteArray(), lido(arquivo));
    QCOMPARE(valor(m_banco->conexao(false), "select idrep from tbbackupafd").toString(), kSerie);
    QCOMPARE(lido(arquivo).count("\r\n"), 42);
    QCOMPARE(valor(m_banco->conexao(false), "select conteudo from tbafd where nsr = '000000015'").toString(),
             reg3(15, "10012024").trimmed());

    // The device writes on; collected again: one tbafd row per NSR.
    for (int n = 41; n <= 70; ++n)
        m_disp.memoria += reg3(n, "11012024");
    ArquivoConfig().escreveBooleano("CONFIG", "VERAFD", false);
    r = coleta(m_rep, m_pasta->arquivo("AFD2.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(m_abertos.size(), 1); // VERAFD off: not opened
    QCOMPARE(linhas("tbafd"), 70);
    QCOMPARE(valor(m_banco->conexao(false), "select count(distinct nsr) from tbafd").toInt(), 70);
    QCOMPARE(log("S"), 2);
    QCOMPARE(linhas("tbbackupafd"), 2);
    QCOMPARE(lido(m_pasta->arquivo("AFD2.txt")).count("\r\n"), 72);
    // And once more with nothing new.
    QCOMPARE(coleta(m_rep, m_pasta->arquivo("AFD3.txt")).situacao,
             ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(linhas("tbafd"), 70);
    QCOMPARE(linhas("tbmemoriarep"), 70 * 36 / 512);
}

void TesteColetaAFD::periodoSemRegistros()
{
    for (int n = 1; n <= 20; ++n)
        m_disp.memoria += reg3(n, "10012024");
    const QString arquivo = m_pasta->arquivo("AFDvazio.txt");
    const ResultadoColetaAFD r = coleta(m_rep, arquivo, true, QDate(2025, 1, 1), QDate(2025, 1, 1));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::SemRegistros);
    QCOMPARE(m_gravada.textos(),
             QStringList{"Coleta foi realizada, porém não existem registros no período informado!"});
    QCOMPARE(lido(arquivo), QByteArray());
    QCOMPARE(linhas("tbbackupafd"), 0);
    QCOMPARE(log("S"), 1);
    QVERIFY(m_abertos.isEmpty());
    // The lines still reach tbafd: the period restricts the file only.
    QCOMPARE(linhas("tbafd"), 20);

    // One day: only that day's lines, header dates those of the kept lines.
    m_disp.memoria += reg3(21, "11012024") + reg3(22, "12012024");
    QCOMPARE(coleta(m_rep, arquivo, true, QDate(2024, 1, 11), QDate(2024, 1, 11)).situacao,
             ResultadoColetaAFD::Situacao::ComRegistros);
    const QByteArray b = lido(arquivo);
    QCOMPARE(b.count("\r\n"), 3);
    QCOMPARE(b.mid(204, 16), QByteArray("1101202411012024"));
}

void TesteColetaAFD::numeroDeSerieDiferente()
{
    m_disp.serie = QStringLiteral("00004000010000777");
    m_disp.memoria = reg3(1, "10012024");
    const ResultadoColetaAFD r = coleta(m_rep, m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(m_gravada.ultima(),
             QStringLiteral(
                 "O coletor selecionado é diferente do que está ligado.\rCódigo do REP: 00004000010000777"));
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Aviso);
    QCOMPARE(m_disp.coletas, 0); // refused before any page is read
    QCOMPARE(linhas("tbmemoriarep"), 0);
    QCOMPARE(log("N"), 1);
    QCOMPARE(log("S"), 0);
}

void TesteColetaAFD::modeloDesconhecido()
{
    const ResultadoColetaAFD r = coleta(m_outroModelo, m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(r.retorno, QStringLiteral("28;Equipamento não identificado"));
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Equipamento não identificado (modelo \"XYZ\")"));
    QCOMPARE(log("N"), 1);
}

void TesteColetaAFD::falhaDoDispositivo_data()
{
    QTest::addColumn<bool>("silencioso");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("coleta");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("sem resposta") << true << ""
                                  << ""
                                  << "Não houve resposta do terminal";
    QTest::newRow("porta") << false
                           << "1;Não foi possível abrir a porta de comunicação. Mensagem: sem permissão"
                           << ""
                           << "Não foi possível abrir a porta de comunicação. Mensagem: sem permissão";
    QTest::newRow("sem empregador") << false << ""
                                    << "23;Envie o empregador"
                                    << "Envie o empregador antes de coletar";
    QTest::newRow("memoria reiniciada") << false << ""
                                        << "31;A memória do REP não corresponde às páginas"
                                        << "A memória do REP não corresponde às páginas";
}

void TesteColetaAFD::falhaDoDispositivo()
{
    QFETCH(bool, silencioso);
    QFETCH(QString, status);
    QFETCH(QString, coleta);
    QFETCH(QString, mensagem);
    m_disp.memoria = reg3(1, "10012024");
    m_disp.silencioso = silencioso;
    m_disp.retornoStatus = status;
    m_disp.retornoColeta = coleta;
    const ResultadoColetaAFD r = this->coleta(m_rep, m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QCOMPARE(m_gravada.ultima(), mensagem);
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Informacao);
    QCOMPARE(log("N"), 1);
    QCOMPARE(log("S"), 0);
    QCOMPARE(linhas("tbafd"), 0);
    QCOMPARE(linhas("tbbackupafd"), 0);
    QVERIFY(!QFile::exists(m_pasta->arquivo("AFD.txt")));
}

void TesteColetaAFD::pastaSemGravacaoEProximaRecupera()
{
    for (int n = 1; n <= 30; ++n)
        m_disp.memoria += reg3(n, "10012024");
    const ResultadoColetaAFD r = coleta(m_rep, m_pasta->arquivo("nao/existe/AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QVERIFY2(m_gravada.ultima().startsWith("Não foi possível gravar o arquivo. Mensagem: "),
             qPrintable(m_gravada.ultima()));
    QCOMPARE(log("N"), 1);
    QCOMPARE(log("S"), 0);
    QCOMPARE(linhas("tbafd"), 0);
    QCOMPARE(linhas("tbbackupafd"), 0);
    QCOMPARE(linhas("tbmemoriarep"), 2); // the pages read stay stored

    QCOMPARE(coleta(m_rep, m_pasta->arquivo("AFD.txt")).situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(linhas("tbafd"), 30);
    QCOMPARE(linhas("tbmemoriarep"), 2);
    QCOMPARE(log("N"), 1);
    QCOMPARE(log("S"), 1);
}

void TesteColetaAFD::bancoRecusaPaginaEProximaRecupera()
{
    for (int n = 1; n <= 50; ++n) // three full pages
        m_disp.memoria += reg3(n, "10012024");
    QSqlDatabase db = m_banco->conexao(false);
    executa(db,
            "create trigger recusa before insert on tbmemoriarep for each row "
            "begin if new.mrp = '00000400' then signal sqlstate '45000' set message_text = 'disco cheio'; "
            "end if; end");
    const ResultadoColetaAFD r = coleta(m_rep, m_pasta->arquivo("AFD.txt"));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::Falhou);
    QVERIFY2(m_gravada.ultima().contains("disco cheio"), qPrintable(m_gravada.ultima()));
    QVERIFY(m_gravada.ultima().startsWith("Não foi possível gravar as páginas coletadas no banco de dados."));
    QCOMPARE(log("N"), 1);
    QCOMPARE(linhas("tbafd"), 0);
    QCOMPARE(linhas("tbmemoriarep"), 2); // the pages before the refused one
    QVERIFY(!QFile::exists(m_pasta->arquivo("AFD.txt")));

    executa(db, "drop trigger recusa");
    QCOMPARE(coleta(m_rep, m_pasta->arquivo("AFD.txt")).situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(linhas("tbmemoriarep"), 3);
    QCOMPARE(linhas("tbafd"), 50);
    QCOMPARE(valor(db, "select count(distinct nsr) from tbafd").toInt(), 50);
}

void TesteColetaAFD::mensagemDaFalhaMostraMotivo_data()
{
    QTest::addColumn<QString>("retorno");
    QTest::addColumn<QString>("mensagem");
    QTest::newRow("vazio") << ""
                           << "Não houve resposta do terminal";
    QTest::newRow("tabela") << "23;Envie o empregador"
                            << "Envie o empregador antes de coletar";
    QTest::newRow("com motivo") << "8;Não foi possível gravar o arquivo. Mensagem: x"
                                << "Não foi possível gravar o arquivo. Mensagem: x";
    QTest::newRow("fora da tabela") << "31;A memória do REP não corresponde"
                                    << "A memória do REP não corresponde";
}

void TesteColetaAFD::mensagemDaFalhaMostraMotivo()
{
    QFETCH(QString, retorno);
    QFETCH(QString, mensagem);
    QCOMPARE(mensagemDaFalha(retorno), mensagem);
}

void TesteColetaAFD::reemissao()
{
    QSqlDatabase db = m_banco->conexao(false);
    const QDate hoje = QDate::currentDate();
    QByteArray bytes("0000000001");
    bytes.append(char(0x80));
    bytes.append("\xE7\xE3\r\n", 4);
    auto guarda = [&](const QDateTime &quando) { return m_dm->insereBackupAFD(quando, 0, bytes, kSerie); };
    const int ontem = guarda(QDateTime(hoje.addDays(-1), QTime(23, 59, 59)));
    const int cedo = guarda(QDateTime(hoje, QTime(0, 0, 0)));
    const int tarde = guarda(QDateTime(hoje, QTime(23, 59, 59)));
    const int amanha = guarda(QDateTime(hoje.addDays(1), QTime(0, 0, 0)));
    QVERIFY(ontem && cedo && tarde && amanha);
    QList<CopiaAFD> copias;
    QVERIFY(ReemissaoAFD::lista(hoje, hoje, &copias));
    QCOMPARE(copias.size(), 2);
    QCOMPARE(copias.at(0).IdBackupAFD, cedo);
    QCOMPARE(copias.at(1).IdBackupAFD, tarde);
    QCOMPARE(copias.at(0).descricao, "REP " + kSerie);
    QVERIFY(ReemissaoAFD::lista(hoje.addDays(-1), hoje.addDays(1), &copias));
    QCOMPARE(copias.size(), 4);

    const QString nome = m_pasta->arquivo("reemitido.txt");
    QVERIFY(ReemissaoAFD::grava(tarde, nome));
    QCOMPARE(lido(nome), bytes);
    QString e;
    QVERIFY(!ReemissaoAFD::grava(tarde, m_pasta->arquivo("falta/x.txt"), &e));
    QVERIFY(!e.isEmpty());
    Q_UNUSED(db);
}

void TesteColetaAFD::janelaDeReemissao()
{
    const QDate hoje = QDate::currentDate();
    TFmReemissaoAFD vazia;
    vazia.reemitir(m_pasta->arquivo("r.txt"));
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Escolha um registro para reemitir o AFD!"));
    QCOMPARE(m_gravada.mensagens.last().titulo, QStringLiteral("AVISO"));
    QCOMPARE(m_gravada.mensagens.last().icone, Icone::Aviso);

    const int id = m_dm->insereBackupAFD(QDateTime(hoje, QTime(10, 0)), 0, QByteArray("abc\r\n"), kSerie);
    TFmReemissaoAFD w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Reemissão de AFD"));
    QCOMPARE(w.grid->rowCount(), 1);
    QCOMPARE(w.grid->item(0, 1)->text(), kSerie);
    QCOMPARE(w.grid->horizontalHeaderItem(0)->text(), QStringLiteral("Emissão"));
    QCOMPARE(w.actReemitir->shortcut(), QKeySequence(Qt::Key_F3));
    w.reemitir(m_pasta->arquivo("r.txt"));
    QCOMPARE(m_gravada.ultima(), QStringLiteral("AFD salvo com sucesso!"));
    QCOMPARE(lido(m_pasta->arquivo("r.txt")), QByteArray("abc\r\n"));
    QCOMPARE(valor(m_banco->conexao(false), "select mensagem from tblogsistema").toString(),
             QStringLiteral("AFD %1 exportado").arg(id));
    QCOMPARE(valor(m_banco->conexao(false), "select formulario from tblogsistema").toString(),
             QStringLiteral("Reemissão de AFD"));
    w.reemitir(m_pasta->arquivo("falta/r.txt"));
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Erro ao salvar o AFD!"));

    // Another period: the list empties.
    w.edInicio->setDate(hoje.addDays(-3));
    w.edFim->setDate(hoje.addDays(-2));
    w.filtrar();
    QCOMPARE(w.grid->rowCount(), 0);
}

void TesteColetaAFD::dialogoDaColeta()
{
    QApplication::setApplicationDisplayName("Configurador Kelvo");
    TfColetaAFD d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Configurador Kelvo"));
    QVERIFY(!d.edDe->isEnabled());
    QCOMPARE(d.edDe->date(), QDate::currentDate());
    QCOMPARE(d.edDe->displayFormat(), QStringLiteral("dd/MM/yyyy"));
    d.cbFiltrar->setChecked(true);
    QVERIFY(d.edDe->isEnabled() && d.edA->isEnabled());
    d.edDe->setDate(QDate(2024, 1, 11));
    d.edA->setDate(QDate(2024, 1, 10));
    d.defineArquivo(m_pasta->arquivo("AFD.txt"));
    d.coletar();
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Data inicial é maior que a data final. Favor redefinir"));
    QCOMPARE(d.result(), int(QDialog::Rejected));

    d.edA->setDate(QDate(2024, 1, 11)); // the same day is a valid period
    d.defineArquivo("  ");
    d.coletar();
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Defina o nome do arquivo"));

    QFile f(m_pasta->arquivo("AFD.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    d.defineArquivo(m_pasta->arquivo("AFD.txt"));
    m_gravada.respostas = {false};
    d.coletar();
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Arquivo AFD já existe. Deseja substituir?"));
    QCOMPARE(d.result(), int(QDialog::Rejected));
    m_gravada.respostas = {true};
    d.coletar();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(d.filtro());
    QCOMPARE(d.inicio(), QDate(2024, 1, 11));
    QCOMPARE(TfColetaAFD::comExtensao("/x/AFD1"), QStringLiteral("/x/AFD1.txt"));
    QCOMPARE(TfColetaAFD::comExtensao("/x/AFD1.dat"), QStringLiteral("/x/AFD1.dat"));
}

void TesteColetaAFD::acaoDaJanelaPrincipal()
{
    for (int n = 1; n <= 20; ++n)
        m_disp.memoria += reg3(n, "10012024");
    ArquivoConfig().escreveBooleano("CONFIG", "VERAFD", false);
    auto fabrica = [this](const QString &, QObject *parent) -> MotorREP * {
        return new MotorTeste(m_disp, parent);
    };
    // The dialog proposes the default name; "Coletar" accepts it.
    QString proposto;
    QTimer::singleShot(0, this, [&] {
        auto *d = qobject_cast<TfColetaAFD *>(QApplication::activeModalWidget());
        QVERIFY(d);
        proposto = d->arquivo();
        d->btColetar->click();
    });
    const ResultadoColetaAFD r = coletarAFD(nullptr, m_rep, fabrica);
    QCOMPARE(proposto, nomeArquivoAFDPadrao(kSerie));
    QCOMPARE(r.situacao, ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(r.arquivo, proposto);
    QCOMPARE(lido(proposto).count("\r\n"), 22);
    QCOMPARE(log("S"), 1);

    // "Cancelar" ends the action: no log row, no collection.
    QTimer::singleShot(0, this, [] {
        auto *d = qobject_cast<TfColetaAFD *>(QApplication::activeModalWidget());
        QVERIFY(d);
        d->btCancelar->click();
    });
    QCOMPARE(coletarAFD(nullptr, m_rep, fabrica).situacao, ResultadoColetaAFD::Situacao::NaoIniciada);
    QCOMPARE(linhas("tblogcoleta"), 1);
    // A REP without company: refused before the dialog.
    QCOMPARE(coletarAFD(nullptr, m_semEmpresa, fabrica).situacao, ResultadoColetaAFD::Situacao::NaoIniciada);
    QCOMPARE(m_gravada.ultima(), QStringLiteral("Receba a empresa deste coletor, antes de continuar"));
}

void TesteColetaAFD::registroInacabadoNoFimDaMemoria()
{
    // The memory read ends inside record 30: it stays out of the file and of
    // tbafd until the next collection brings it whole.
    for (int n = 1; n <= 29; ++n)
        m_disp.memoria += reg3(n, "10012024");
    const QString inteiro = reg3(30, "10012024");
    m_disp.memoria += inteiro.left(20);
    QCOMPARE(coleta(m_rep, m_pasta->arquivo("AFD1.txt")).situacao,
             ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(lido(m_pasta->arquivo("AFD1.txt")).count("\r\n"), 31);
    QCOMPARE(linhas("tbafd"), 29);

    m_disp.memoria += inteiro.mid(20) + reg3(31, "10012024");
    QCOMPARE(coleta(m_rep, m_pasta->arquivo("AFD2.txt")).situacao,
             ResultadoColetaAFD::Situacao::ComRegistros);
    QCOMPARE(lido(m_pasta->arquivo("AFD2.txt")).count("\r\n"), 33);
    QCOMPARE(linhas("tbafd"), 31);
    QCOMPARE(valor(m_banco->conexao(false), "select conteudo from tbafd where nsr = '000000030'").toString(),
             inteiro.trimmed());
}

void TesteColetaAFD::comandoCollect_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("valido");
    QTest::newRow("rep") << QStringList{"--rep", "3"} << true;
    QTest::newRow("codigo e periodo")
        << QStringList{"--code", "X", "--from", "01/01/2024", "--to", "02/01/2024"} << true;
    QTest::newRow("nenhum") << QStringList{"--file", "a.txt"} << false;
    QTest::newRow("os dois") << QStringList{"--rep", "3", "--code", "X"} << false;
    QTest::newRow("so inicio") << QStringList{"--rep", "3", "--from", "01/01/2024"} << false;
    QTest::newRow("invertido") << QStringList{"--rep", "3", "--from", "02/01/2024", "--to", "01/01/2024"}
                               << false;
    QTest::newRow("data invalida") << QStringList{"--rep", "3", "--from", "31/02/2024", "--to", "01/03/2024"}
                                   << false;
    QTest::newRow("desconhecido") << QStringList{"--rep", "3", "--xyz"} << false;
    QTest::newRow("rep sem numero") << QStringList{"--rep", "abc"} << false;
}

void TesteColetaAFD::comandoCollect()
{
    QFETCH(QStringList, args);
    QFETCH(bool, valido);
    cli::OpcoesColeta o;
    QString e;
    QCOMPARE(cli::leOpcoesColeta(args, &o, &e), valido);
    QCOMPARE(e.isEmpty(), valido);
}

void TesteColetaAFD::comandoCollectExecuta()
{
    for (int n = 1; n <= 20; ++n)
        m_disp.memoria += reg3(n, "10012024");
    auto fabrica = [this](const QString &modelo, QObject *parent) -> MotorREP * {
        return modelo == QLatin1String("TESTE") ? new MotorTeste(m_disp, parent) : nullptr;
    };
    const QString arquivo = m_pasta->arquivo("agendado.txt");
    QFile velho(arquivo);
    QVERIFY(velho.open(QIODevice::WriteOnly));
    velho.write("antigo");
    velho.close();
    cli::OpcoesColeta o;
    QString e;
    QVERIFY(cli::leOpcoesColeta({"--code", kSerie, "--file", arquivo}, &o, &e));
    QString saida, erros;
    QTextStream s(&saida), er(&erros);
    QCOMPARE(cli::executaColeta(o, s, er, fabrica), 0);
    QVERIFY2(saida.contains("Coleta realizada com sucesso!"), qPrintable(saida));
    QVERIFY(saida.contains("AFD: " + arquivo));
    QCOMPARE(lido(arquivo).count("\r\n"), 22); // replaced without a question
    QCOMPARE(linhas("tbafd"), 20);

    // Failures exit non-zero.
    saida.clear();
    m_disp.serie = "00004000010000777";
    QCOMPARE(cli::executaColeta(o, s, er, fabrica), 1);
    QVERIFY(saida.contains("O coletor selecionado é diferente do que está ligado."));
    QVERIFY(cli::leOpcoesColeta({"--code", "NAOEXISTE"}, &o, &e));
    QCOMPARE(cli::executaColeta(o, s, er, fabrica), 1);
    QVERIFY(cli::leOpcoesColeta({"--rep", QString::number(m_semEmpresa)}, &o, &e));
    QCOMPARE(cli::executaColeta(o, s, er, fabrica), 1);
}

QTEST_MAIN(TesteColetaAFD)
#include "test_coletaafd.moc"
