#include "data/cp1252.h"
#include "data/textos.h"

#include <QRandomGenerator>
#include <QTest>

using namespace kelvo;

namespace {
// The published rules written the other way round (remainder first), so a
// slip in the shared modulus routine does not hide itself.
QString cpfIndependente(const QString &b)
{
    auto dig = [](const QString &s, int pesoInicial) {
        int soma = 0;
        for (int i = 0; i < s.size(); ++i)
            soma += (s[i].unicode() - '0') * (pesoInicial - i);
        int r = (soma * 10) % 11;
        return r == 10 ? 0 : r;
    };
    const int d1 = dig(b, 10);
    const int d2 = dig(b + QString::number(d1), 11);
    return QString::number(d1) + QString::number(d2);
}

QString cnpjIndependente(const QString &b)
{
    static const int p1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int p2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    auto dig = [](const QString &s, const int *p) {
        int soma = 0;
        for (int i = 0; i < s.size(); ++i)
            soma += (s[i].unicode() - '0') * p[i];
        const int r = soma % 11;
        return r < 2 ? 0 : 11 - r;
    };
    const int d1 = dig(b, p1);
    const int d2 = dig(b + QString::number(d1), p2);
    return QString::number(d1) + QString::number(d2);
}

int pisIndependente(const QString &b)
{
    static const int p[] = {3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    int soma = 0;
    for (int i = 0; i < 10; ++i)
        soma += (b[i].unicode() - '0') * p[i];
    const int r = soma % 11;
    return r < 2 ? 0 : 11 - r;
}

QString digitos(QRandomGenerator &g, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar('0' + g.bounded(10));
    return s;
}
} // namespace

class TestTextos : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void documentos_data();
    void documentos();
    void geradosConferemComRegraPublicada();
    void extraiENumeroComZeros_data();
    void extraiENumeroComZeros();
    void iguaisSemZeros_data();
    void iguaisSemZeros();
    void substituiTexto();
    void completaTexto_data();
    void completaTexto();
    void versaoEData();
    void cp1252IdaEVolta();
};

void TestTextos::documentos_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("valido");
    QTest::newRow("cpf valido") << "cpf" << "52998224725" << true;
    QTest::newRow("cpf ultimo digito trocado") << "cpf" << "52998224726" << false;
    QTest::newRow("cpf curto") << "cpf" << "5299822472" << false;
    QTest::newRow("cpf com pontuacao nao e limpo") << "cpf" << "529.982.247-25" << false;
    QTest::newRow("cpf onze zeros (regra nao recusa repetidos)") << "cpf" << "00000000000" << true;
    QTest::newRow("cnpj pontuado") << "cnpj" << "11.222.333/0001-81" << true;
    QTest::newRow("cnpj digito trocado") << "cnpj" << "11.222.333/0001-82" << false;
    QTest::newRow("cnpj curto") << "cnpj" << "1122233300018" << false;
    QTest::newRow("pis valido") << "pis" << "12056412545" << true;
    QTest::newRow("pis com zeros a esquerda (12)") << "pis" << "012056412545" << false;
    QTest::newRow("pis digito trocado") << "pis" << "12056412546" << false;
    QTest::newRow("pis onze zeros") << "pis" << "00000000000" << false;
    QTest::newRow("pis doze zeros") << "pis" << "000000000000" << false;
    QTest::newRow("pis curto") << "pis" << "1205641254" << false;
    QTest::newRow("pis vazio") << "pis" << "" << false;
    QTest::newRow("pis pontuado") << "pis" << "120.56412.54-5" << true;
    QTest::newRow("pis longo demais para 64 bits") << "pis" << "1205641254599999999999" << false;
    QTest::newRow("pis com digitos extras") << "pis" << "120564125459" << true;
}

void TestTextos::documentos()
{
    QFETCH(QString, tipo);
    QFETCH(QString, texto);
    QFETCH(bool, valido);
    const bool r = tipo == "cpf" ? ValidaCPF(texto) : tipo == "cnpj" ? ValidaCNPJ(texto) : ValidaPIS(texto);
    QCOMPARE(r, valido);
}

void TestTextos::geradosConferemComRegraPublicada()
{
    QRandomGenerator g(20261211);
    for (int i = 0; i < 400; ++i) {
        const QString b9 = digitos(g, 9);
        QCOMPARE(DigitosCPF(b9), cpfIndependente(b9));
        QVERIFY(ValidaCPF(b9 + cpfIndependente(b9)));
        const QString b12 = digitos(g, 12);
        QCOMPARE(DigitosCNPJ(b12), cnpjIndependente(b12));
        QVERIFY(ValidaCNPJ(b12 + cnpjIndependente(b12)));
        QString errado = b12 + cnpjIndependente(b12);
        errado[13] = QChar('0' + (errado[13].unicode() - '0' + 1) % 10);
        QVERIFY(!ValidaCNPJ(errado));
        const QString b10 = digitos(g, 10);
        const QString pis = b10 + QString::number(pisIndependente(b10));
        QCOMPARE(ValidaPIS(pis), pis != "00000000000");
        QString pisErrado = pis;
        pisErrado[10] = QChar('0' + (pis[10].unicode() - '0' + 1) % 10);
        QVERIFY(!ValidaPIS(pisErrado));
    }
}

void TestTextos::extraiENumeroComZeros_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("largura");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("pontuado") << "11.222/3" << 10 << "0000112223";
    QTest::newRow("nunca corta") << "1234567890123456" << 14 << "1234567890123456";
    QTest::newRow("vazio") << "" << 3 << "000";
    QTest::newRow("ja na largura") << "123" << 3 << "123";
}

void TestTextos::extraiENumeroComZeros()
{
    QFETCH(QString, texto);
    QFETCH(int, largura);
    QFETCH(QString, esperado);
    QCOMPARE(NumeroComZeros(texto, largura), esperado);
}

void TestTextos::iguaisSemZeros_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("iguais");
    QTest::newRow("zeros a esquerda") << "00012345678" << "12345678" << true;
    QTest::newRow("um zero e dois zeros") << "0" << "00" << false;
    QTest::newRow("dois e tres zeros") << "00" << "000" << true;
    QTest::newRow("diferentes") << "0123" << "124" << false;
    QTest::newRow("um digito") << "7" << "07" << true;
}

void TestTextos::iguaisSemZeros()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, iguais);
    QCOMPARE(IguaisSemZeros(a, b), iguais);
}

void TestTextos::substituiTexto()
{
    QCOMPARE(SubstituiTexto("with (nolock)", "", "select * from t WITH (NOLOCK) where x in (select 1 from u with (nolock))"),
             QString("select * from t  where x in (select 1 from u )"));
    // An occurrence formed by a replacement is removed too.
    QCOMPARE(SubstituiTexto("ab", "", "aabb"), QString(""));
    QCOMPARE(SubstituiTexto(";", "", "a;b;;c"), QString("abc"));
    bool recusado = false;
    QCOMPARE(SubstituiTexto("a", "XaX", "banana", &recusado), QString("banana"));
    QVERIFY(recusado);
    QCOMPARE(SubstituiTexto("A", "xa", "a", &recusado), QString("a"));
    QVERIFY(recusado);
    QCOMPARE(SubstituiTexto("", "x", "abc", &recusado), QString("abc"));
}

void TestTextos::completaTexto_data()
{
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("tamanho");
    QTest::addColumn<bool>("esquerda");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("zeros a esquerda") << "123" << 5 << true << "0" << "00123";
    QTest::newRow("corta") << "abcdef" << 3 << true << "0" << "abc";
    QTest::newRow("brancos a direita") << "ANA" << 6 << false << " " << "ANA   ";
    QTest::newRow("fill vazio vira branco") << "A" << 3 << false << "" << "A  ";
    QTest::newRow("largura 20") << "42" << 20 << true << "0" << "00000000000000000042";
    QTest::newRow("tamanho zero") << "abc" << 0 << true << "0" << "";
}

void TestTextos::completaTexto()
{
    QFETCH(QString, texto);
    QFETCH(int, tamanho);
    QFETCH(bool, esquerda);
    QFETCH(QString, fill);
    QFETCH(QString, esperado);
    QCOMPARE(CompletaTexto(texto, tamanho, esquerda ? Lado::Esquerda : Lado::Direita, fill), esperado);
}

void TestTextos::versaoEData()
{
    QVERIFY(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(VersaoPrograma()).hasMatch());
    QCOMPARE(DataPorExtenso(QDate(2012, 3, 5)), QString("Segunda, 05 de Março de 2012"));
    QCOMPARE(DataPorExtenso(QDate(2026, 11, 1)), QString("Domingo, 01 de Novembro de 2026"));
    QCOMPARE(DataPorExtenso(QDate(2026, 12, 12)), QString("Sábado, 12 de Dezembro de 2026"));
}

void TestTextos::cp1252IdaEVolta()
{
    const QString t = QString::fromUtf8("Ação € “aspas” – São João ç");
    const QByteArray b = paraCp1252(t);
    QCOMPARE(b.size(), t.size());
    QCOMPARE(uchar(b.at(t.indexOf(QChar(0x20AC)))), uchar(0x80));
    QCOMPARE(deCp1252(b), t);
    QCOMPARE(paraCp1252(QString::fromUtf8("日")), QByteArray("?"));
    QByteArray todos;
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    QCOMPARE(paraCp1252(deCp1252(todos)), todos);
}

QTEST_GUILESS_MAIN(TestTextos)
#include "test_textos.moc"
