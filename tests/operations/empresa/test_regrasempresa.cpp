// The company save rules on the data module's tbEmpresa dataset, against the
// real test server.

#include "ambiente.h"
#include "data/textos.h"

#include <QTest>

using namespace kelvo;
using namespace kelvo::teste;

class TestRegrasEmpresa : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_amb.encerra(); }
    void init();

    void verificacaoCpfCnpj_data();
    void verificacaoCpfCnpj();
    void gravacao_data();
    void gravacao();
    void marcaDesligaVerificacao();
    void camposObrigatoriosDepoisDaVerificacao_data();
    void camposObrigatoriosDepoisDaVerificacao();
    void novaEmpresaFicaAtualPelaChaveDaInsercao();
    void alteracaoNaoMudaDeRegistro();

private:
    bool insereEGrava(const QString &razao, const QString &cpfcnpj);

    AmbienteEmpresa m_amb;
    InteracaoGravada m_g;
};

void TestRegrasEmpresa::initTestCase()
{
    KELVO_EXIGE_SERVIDOR();
    QString erro;
    QVERIFY2(m_amb.prepara(&erro), qPrintable(erro));
}

void TestRegrasEmpresa::init()
{
    m_amb.limpa();
    m_g.mensagens.clear();
}

bool TestRegrasEmpresa::insereEGrava(const QString &razao, const QString &cpfcnpj)
{
    Dataset &ds = *m_amb.dm().tbEmpresa;
    if (!ds.ativo())
        ds.abre({{QStringLiteral("pidempresa"), 0}});
    if (!ds.insere())
        return false;
    ds.defineValor(QStringLiteral("razaosocial"), razao);
    ds.defineValor(QStringLiteral("tipopessoafj"), QStringLiteral("J"));
    if (!cpfcnpj.isNull())
        ds.defineValor(QStringLiteral("cpfcnpj"), cpfcnpj);
    return ds.grava();
}

void TestRegrasEmpresa::verificacaoCpfCnpj_data()
{
    QTest::addColumn<QString>("cpfcnpj");
    QTest::addColumn<bool>("valido");
    // 000.000.001-91 once padded.
    QTest::newRow("short number, a CPF once padded") << "191" << true;
    QTest::newRow("eleven-digit CPF") << "12345678909" << true;
    QTest::newRow("CPF, last digit changed") << "12345678900" << false;
    QTest::newRow("CNPJ") << "11222333000181" << true;
    QTest::newRow("CNPJ with punctuation") << "11.222.333/0001-81" << true;
    QTest::newRow("CNPJ, last digit changed") << "11222333000182" << false;
    // Fourteen ones: the last eleven carry correct CPF check digits.
    QTest::newRow("fourteen equal digits") << "11111111111111" << true;
    QTest::newRow("fourteen digits, neither") << "11111111111112" << false;
    QTest::newRow("letters") << "ABC" << false;
}

void TestRegrasEmpresa::verificacaoCpfCnpj()
{
    QFETCH(QString, cpfcnpj);
    QFETCH(bool, valido);
    QCOMPARE(CpfCnpjEmpresaValido(cpfcnpj), valido);
}

void TestRegrasEmpresa::gravacao_data()
{
    QTest::addColumn<QString>("cpfcnpj");
    QTest::addColumn<bool>("gravada");
    QTest::newRow("short number becomes a CPF") << "191" << true;
    QTest::newRow("fourteen equal digits") << "11111111111111" << true;
    QTest::newRow("CNPJ") << "11222333000181" << true;
    QTest::newRow("invalid") << "12345678900" << false;
}

void TestRegrasEmpresa::gravacao()
{
    QFETCH(QString, cpfcnpj);
    QFETCH(bool, gravada);
    InteracaoNoEscopo escopo(&m_g);
    Dataset &ds = *m_amb.dm().tbEmpresa;
    QCOMPARE(insereEGrava(QStringLiteral("Empresa de teste"), cpfcnpj), gravada);
    QCOMPARE(m_amb.empresas(), gravada ? 1 : 0);
    if (gravada) {
        QVERIFY2(m_g.mensagens.isEmpty(), qPrintable(m_g.textos().join(" / ")));
        QCOMPARE(ds.estado(), Dataset::Estado::Navegando);
        // The padding is the check's only: the number stays as typed.
        QCOMPARE(valor(m_amb.db(), "select cpfcnpj from tbempresa").toString(), cpfcnpj);
    } else {
        QCOMPARE(m_g.mensagens.size(), 1);
        QCOMPARE(m_g.mensagens[0].texto, QStringLiteral("CPF/CNPJ inválido!"));
        QCOMPARE(m_g.mensagens[0].icone, Icone::Informacao);
        QCOMPARE(m_g.mensagens[0].titulo, QStringLiteral("Aviso"));
        // Still inserting with what was typed, so the user can correct it.
        QCOMPARE(ds.estado(), Dataset::Estado::Inserindo);
        QCOMPARE(ds.texto("cpfcnpj"), cpfcnpj);
        ds.defineValor(QStringLiteral("cpfcnpj"), QStringLiteral("12345678909"));
        QVERIFY(ds.grava());
        QCOMPARE(m_amb.empresas(), 1);
    }
}

void TestRegrasEmpresa::marcaDesligaVerificacao()
{
    InteracaoNoEscopo escopo(&m_g);
    {
        MarcaEmpresaNoEscopo marca(m_amb.dm());
        QCOMPARE(m_amb.dm().marcaEmpresa, 1);
        QVERIFY(insereEGrava(QStringLiteral("Importada"), QStringLiteral("12345678900")));
    }
    QCOMPARE(m_amb.dm().marcaEmpresa, 0);
    QVERIFY(m_g.mensagens.isEmpty());
    QCOMPARE(m_amb.empresas(), 1);
    // Back on after the scope.
    QVERIFY(!insereEGrava(QStringLiteral("Digitada"), QStringLiteral("12345678900")));
    QCOMPARE(m_g.ultima(), QStringLiteral("CPF/CNPJ inválido!"));
    m_amb.dm().tbEmpresa->cancela();
    QCOMPARE(m_amb.empresas(), 1);
}

void TestRegrasEmpresa::camposObrigatoriosDepoisDaVerificacao_data()
{
    QTest::addColumn<QString>("razao");
    QTest::addColumn<QString>("cpfcnpj");
    QTest::addColumn<QString>("mensagem");
    QTest::addColumn<int>("icone");
    QTest::newRow("no name") << ""
                             << "11222333000181"
                             << "O campo 'razaosocial' precisa ser preenchido!" << int(Icone::Aviso);
    // An empty number skips the check and is caught as a required field.
    QTest::newRow("no number") << "Empresa" << QString() << "O campo 'cpfcnpj' precisa ser preenchido!"
                               << int(Icone::Aviso);
    // The check comes first.
    QTest::newRow("no name, invalid number") << ""
                                             << "123"
                                             << "CPF/CNPJ inválido!" << int(Icone::Informacao);
}

void TestRegrasEmpresa::camposObrigatoriosDepoisDaVerificacao()
{
    QFETCH(QString, razao);
    QFETCH(QString, cpfcnpj);
    QFETCH(QString, mensagem);
    QFETCH(int, icone);
    InteracaoNoEscopo escopo(&m_g);
    QVERIFY(!insereEGrava(razao, cpfcnpj));
    QCOMPARE(m_g.textos(), QStringList{mensagem});
    QCOMPARE(int(m_g.mensagens[0].icone), icone);
    QCOMPARE(m_amb.dm().tbEmpresa->estado(), Dataset::Estado::Inserindo);
    QCOMPARE(m_amb.empresas(), 0);
    m_amb.dm().tbEmpresa->cancela();
}

void TestRegrasEmpresa::novaEmpresaFicaAtualPelaChaveDaInsercao()
{
    // Another workstation inserts a company between this insert and the
    // after-save rule: the greatest key of the table is then its row.
    InteracaoNoEscopo escopo(&m_g);
    Dataset &ds = *m_amb.dm().tbEmpresa;
    auto regra = ds.aposGravar;
    QVERIFY(regra);
    QSqlDatabase segunda = QSqlDatabase::cloneDatabase(m_amb.db(), QStringLiteral("segunda_estacao"));
    QVERIFY(segunda.open());
    ds.aposGravar = [&](Dataset &d) {
        QSqlQuery q(segunda);
        QVERIFY(
            q.exec("insert into tbempresa (razaosocial, tipopessoafj, cpfcnpj) values ('Outra estação', 'J', "
                   "'11222333000181')"));
        regra(d);
    };
    const bool ok = insereEGrava(QStringLiteral("Esta estação"), QStringLiteral("12345678909"));
    ds.aposGravar = regra;
    segunda.close();
    segunda = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("segunda_estacao"));
    QVERIFY(ok);
    QCOMPARE(m_amb.empresas(), 2);
    QCOMPARE(ds.registros(), 1);
    QCOMPARE(ds.texto("razaosocial"), QStringLiteral("Esta estação"));
    QCOMPARE(ds.inteiro("idempresa"),
             valor(m_amb.db(), "select idempresa from tbempresa where razaosocial = 'Esta estação'").toInt());
    QCOMPARE(ds.parametro("pidempresa").toInt(), ds.inteiro("idempresa"));
}

void TestRegrasEmpresa::alteracaoNaoMudaDeRegistro()
{
    InteracaoNoEscopo escopo(&m_g);
    const int id = m_amb.insereEmpresa(QStringLiteral("Primeira"), QStringLiteral("11222333000181"));
    m_amb.insereEmpresa(QStringLiteral("Segunda"), QStringLiteral("12345678909"));
    Dataset &ds = *m_amb.dm().tbEmpresa;
    QVERIFY(ds.abre({{QStringLiteral("pidempresa"), id}}));
    QVERIFY(ds.edita());
    ds.defineValor(QStringLiteral("localtrabalho"), QStringLiteral("Galpão 2"));
    QVERIFY(ds.grava());
    QCOMPARE(ds.inteiro("idempresa"), id);
    QCOMPARE(ds.texto("razaosocial"), QStringLiteral("Primeira"));
    // An invalid number is refused when editing too.
    QVERIFY(ds.edita());
    ds.defineValor(QStringLiteral("cpfcnpj"), QStringLiteral("11222333000182"));
    QVERIFY(!ds.grava());
    QCOMPARE(ds.estado(), Dataset::Estado::Editando);
    ds.cancela();
    QCOMPARE(valor(m_amb.db(), QStringLiteral("select cpfcnpj from tbempresa where idempresa = %1").arg(id))
                 .toString(),
             QStringLiteral("11222333000181"));
}

QTEST_GUILESS_MAIN(TestRegrasEmpresa)
#include "test_regrasempresa.moc"
