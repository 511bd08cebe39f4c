// Request bytes, fields, checksums, reply parsing and input checks of the
// first-generation protocol.

#include "data/cp1252.h"
#include "device/gen1/protocolo1.h"

#include <QTest>

using namespace kelvo;
using namespace kelvo::v1;

class TestProtocolo1 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void relogio();
    void dataHora_data();
    void dataHora();
    void funcionarioAna();
    void funcionarioNomeLongo();
    void empregador();
    void empregadorNomeCheio();
    void verificacoes_data();
    void verificacoes();
    void status();
    void leituraEmpregador();
    void respostas();
    void nomes();
};

void TestProtocolo1::relogio()
{
    // 1 March 2024 was a Friday: day of the week 06.
    const QByteArray r = pedidoAcertaDataHora(QDateTime(QDate(2024, 3, 1), QTime(14, 5, 9)));
    QCOMPARE(r, QByteArray("CLK"
                           "09051406010324"
                           "00C3"));
    QCOMPARE(r.size(), 21);
    // Sunday is 01, Saturday 07.
    QCOMPARE(pedidoAcertaDataHora(QDateTime(QDate(2024, 3, 3), QTime(0, 0, 0))).mid(9, 2), QByteArray("01"));
    QCOMPARE(pedidoAcertaDataHora(QDateTime(QDate(2024, 3, 2), QTime(0, 0, 0))).mid(9, 2), QByteArray("07"));
}

void TestProtocolo1::dataHora_data()
{
    QTest::addColumn<QStringList>("partes");
    QTest::addColumn<bool>("valido");
    QTest::newRow("normal") << QStringList{"01", "03", "2024", "14", "05", "09"} << true;
    QTest::newRow("sem zeros") << QStringList{"1", "3", "2024", "14", "5", "9"} << true;
    QTest::newRow("ano de dois digitos") << QStringList{"01", "03", "24", "14", "05", "09"} << true;
    QTest::newRow("31 de fevereiro") << QStringList{"31", "02", "2024", "10", "00", "00"} << false;
    QTest::newRow("29 de fevereiro bissexto") << QStringList{"29", "02", "2024", "10", "00", "00"} << true;
    QTest::newRow("hora 24") << QStringList{"01", "03", "2024", "24", "00", "00"} << false;
    QTest::newRow("texto") << QStringList{"aa", "03", "2024", "10", "00", "00"} << false;
    QTest::newRow("vazio") << QStringList{"01", "03", "2024", "10", "00", ""} << false;
    QTest::newRow("negativo") << QStringList{"-1", "03", "2024", "10", "00", "00"} << false;
}

void TestProtocolo1::dataHora()
{
    QFETCH(QStringList, partes);
    QFETCH(bool, valido);
    QDateTime dh;
    QCOMPARE(converteDataHora(partes[0], partes[1], partes[2], partes[3], partes[4], partes[5], &dh), valido);
    if (valido)
        QCOMPARE(dh.date().year(), 2024);
}

void TestProtocolo1::funcionarioAna()
{
    const QByteArray r = pedidoFuncionario(QStringLiteral("123"), QStringLiteral("45"),
                                           QStringLiteral("1234567890"), QStringLiteral("ANA"), 0);
    const QByteArray carga =
        QByteArray("123000") + "00000045" + "001234567890" + "ANA;" + QByteArray(48, ' ') + "\r\n";
    QCOMPARE(carga.size(), 80);
    QCOMPARE(r, QByteArray("FUN") + carga + somaVerificacao(carga));
    QCOMPARE(r.size(), 87);
    QCOMPARE(pedidoFuncionario("1", "1", "1", "A", 1).left(3), QByteArray("FUA"));
    QCOMPARE(pedidoFuncionario("1", "1", "1", "A", 2).left(3), QByteArray("FUE"));
}

void TestProtocolo1::funcionarioNomeLongo()
{
    const QString nome = QStringLiteral("X") + QString(60, QLatin1Char('N')) + QStringLiteral("FIM");
    const QByteArray r = pedidoFuncionario("1", "1", "1", nome, 0);
    // The last 51 characters followed by ";".
    QCOMPARE(r.mid(3 + 26, 52), paraCp1252(nome.right(51)) + ";");
    // Accented names go out as cp1252 bytes, one per character.
    const QByteArray c = pedidoFuncionario("1", "1", "1", QStringLiteral("JOÃO"), 0);
    QCOMPARE(c.size(), 87);
    QCOMPARE(c.mid(29, 5), QByteArray("JO\xC3O;"));
}

void TestProtocolo1::empregador()
{
    const QByteArray r = pedidoEmpregador(QStringLiteral("ACME"), QStringLiteral("12345678901"),
                                          QStringLiteral("123"), QStringLiteral("Rua A"), 1);
    QCOMPARE(r.size(), 285);
    QCOMPARE(r.left(3), QByteArray("EMF"));
    QCOMPARE(r.mid(3, 150), QByteArray("ACME;").leftJustified(150, ' '));
    // An 11-digit CPF goes with three leading zeros.
    QCOMPARE(r.mid(153, 14), QByteArray("00012345678901"));
    QCOMPARE(r.mid(167, 12), QByteArray("000000000123"));
    QCOMPARE(r.mid(179, 100), QByteArray("Rua A;").leftJustified(100, ' '));
    QCOMPARE(r.mid(279, 2), QByteArray("\r\n"));
    QCOMPARE(r.right(4), somaVerificacao(r.mid(3, 278)));
    QCOMPARE(pedidoEmpregador("A", "1", "1", "L", 0).left(3), QByteArray("EMP"));
    // Empty numbers are all zeros.
    QCOMPARE(pedidoEmpregador("A", "", "", "L", 0).mid(153, 26), QByteArray(26, '0'));
}

void TestProtocolo1::empregadorNomeCheio()
{
    // A name of exactly 150 characters (and a workplace of exactly 100) is sent
    // whole, without its ";", instead of losing its first character.
    const QString nome = QStringLiteral("I") + QString(148, QLatin1Char('n')) + QStringLiteral("F");
    const QString local = QStringLiteral("L") + QString(98, QLatin1Char('l')) + QStringLiteral("Z");
    const QByteArray r = pedidoEmpregador(nome, "1", "1", local, 0);
    QCOMPARE(r.size(), 285);
    QCOMPARE(r.mid(3, 150), paraCp1252(nome));
    QCOMPARE(r.mid(179, 100), paraCp1252(local));
    // One character less keeps its terminator.
    QCOMPARE(pedidoEmpregador(nome.left(149), "1", "1", local, 0).mid(3, 150),
             paraCp1252(nome.left(149)) + ";");
}

void TestProtocolo1::verificacoes_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QStringList>("valores");
    QTest::addColumn<int>("numero");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("func ok") << "F" << QStringList{"123456", "12345678", "123456789012"} << 2 << "";
    QTest::newRow("func codigo") << "F" << QStringList{"1234567", "1", "1"} << 0
                                 << "3;Tamanho inválido para o campo código";
    QTest::newRow("func matricula") << "F" << QStringList{"1", "123456789", "1"} << 0
                                    << "4;Tamanho inválido para o campo matrícula";
    QTest::newRow("func pis") << "F" << QStringList{"1", "1", "1234567890123"} << 0
                              << "5;Tamanho inválido para o campo PIS";
    QTest::newRow("func acao") << "F" << QStringList{"1", "1", "1"} << 3 << "6;Ação inválida";
    QTest::newRow("func ordem") << "F" << QStringList{"1234567", "123456789", "1"} << 9
                                << "3;Tamanho inválido para o campo código";
    QTest::newRow("emp ok") << "E"
                            << QStringList{QString(150, 'n'), "12345678901234", "123456789012",
                                           QString(100, 'l')}
                            << 1 << "";
    QTest::newRow("emp nome") << "E" << QStringList{QString(151, 'n'), "1", "1", "l"} << 0
                              << "9;Tamanho inválido para o campo Nome do Empregador";
    QTest::newRow("emp cpf") << "E" << QStringList{"n", "123456789012345", "1", "l"} << 0
                             << "10;Tamanho inválido para o CPF/CNPJ";
    QTest::newRow("emp cei") << "E" << QStringList{"n", "1", "1234567890123", "l"} << 0
                             << "11;Tamanho inválido para o campo CEI";
    QTest::newRow("emp tipo") << "E" << QStringList{"n", "1", "1", "l"} << 2
                              << "12;Valor inválido para o campo Tipo de Empregador";
    QTest::newRow("emp local") << "E" << QStringList{"n", "1", "1", QString(101, 'l')} << 0
                               << "13;Tamanho inválido para o campo Local de Trabalho";
}

void TestProtocolo1::verificacoes()
{
    QFETCH(QString, tipo);
    QFETCH(QStringList, valores);
    QFETCH(int, numero);
    QFETCH(QString, esperado);
    const QString r = tipo == QLatin1String("F")
                          ? verificaFuncionario(valores[0], valores[1], valores[2], numero)
                          : verificaEmpregador(valores[0], valores[1], valores[2], valores[3], numero);
    QCOMPARE(r, esperado);
}

void TestProtocolo1::status()
{
    QByteArray r = QByteArray("09051406010324") + char(0x01) + char(0x2C) + char(0) + char(0) + char(0x1A) +
                   char(0x00) + "000000123" + "00004000100012345" + char(0x0B) + char(0xB8);
    r += QByteArray(2, '\0');
    QCOMPARE(r.size(), 50);
    StatusV1 s;
    QVERIFY(interpretaStatus(r, &s));
    QCOMPARE(s.tamanhoCache, quint16(300));
    QCOMPARE(s.ponteiroMRP, quint32(0x1A00));
    QCOMPARE(s.numeroSerie, QStringLiteral("00004000100012345"));
    const QString t = retornoStatus(s);
    QCOMPARE(t, QStringLiteral("0;01/03/24 14:05:09;000000123;00004000100012345;"));
    QCOMPARE(t.mid(2, 17), QStringLiteral("01/03/24 14:05:09"));
    QCOMPARE(t.mid(20, 9), QStringLiteral("000000123"));
    QCOMPARE(t.mid(30, 17), QStringLiteral("00004000100012345"));
    QVERIFY(interpretaStatus(r + "  ", &s));
    QVERIFY(!interpretaStatus(r + " ", &s));
    QVERIFY(!interpretaStatus(r.left(49), &s));
}

void TestProtocolo1::leituraEmpregador()
{
    QByteArray r = QByteArray("1") + QByteArray("ACME;LTDA;").leftJustified(150, ' ') + "12345678000190" +
                   "000000000000" + QByteArray("Rua A;").leftJustified(100, ' ') + "  ";
    QCOMPARE(r.size(), 279);
    EmpregadorV1 e;
    QVERIFY(interpretaEmpregador(r, &e));
    QCOMPARE(e.tipo, 1);
    QCOMPARE(e.nome, QStringLiteral("ACME LTDA ").leftJustified(150, QLatin1Char(' ')));
    QCOMPARE(retornoEmpregador(e),
             QStringLiteral("0;1|") + e.nome + QStringLiteral("|12345678000190|000000000000|") + e.local);
    r[0] = 'x';
    QVERIFY(interpretaEmpregador(r, &e));
    QCOMPARE(e.tipo, 2);
    r.replace(151, 14, QByteArray(14, '0'));
    QVERIFY(interpretaEmpregador(r, &e));
    QCOMPARE(retornoEmpregador(e), QStringLiteral("23;Envie o empregador"));
    QVERIFY(!interpretaEmpregador(r.left(278), &e));
}

void TestProtocolo1::respostas()
{
    QCOMPARE(respostaAcertaDataHora("!OK"), QStringLiteral("0;Data/Hora acertadas"));
    QCOMPARE(respostaAcertaDataHora("!MR"), QStringLiteral("16;MRP Cheia - data/hora não acertadas"));
    QCOMPARE(respostaAcertaDataHora("!MT"), QString());
    QCOMPARE(respostaFuncionario("!MT"),
             QStringLiteral("18;MT cheia - funcionário não enviado - troque o rep"));
    QCOMPARE(respostaFuncionario("!ME"),
             QStringLiteral("20;Erro na mrp - funcionário não enviado - consulte seu fornecedor"));
    QCOMPARE(respostaEmpregador("!MR"), QStringLiteral("21;MRP cheia - empresa não enviada - troque o rep"));
    QCOMPARE(respostaEmpregador("XYZ"), QString());
}

void TestProtocolo1::nomes()
{
    QCOMPARE(nomeComando(CMD_STATUS), QStringLiteral("CMD_STATUS"));
    QCOMPARE(nomeComando(CMD_INICIASERIAL), QStringLiteral("CMD_INICIASERIAL"));
    QCOMPARE(nomeComando(104), QStringLiteral("não sei 104"));
    QCOMPARE(tituloComando(CMD_ENVIAFUNC), QStringLiteral("Envio de funcionário"));
    QVERIFY(tituloComando(CMD_INICIASERIAL).isNull());
    QCOMPARE(somaVerificacao(QByteArray(300, '\x01')), QByteArray("002C"));
}

QTEST_GUILESS_MAIN(TestProtocolo1)
#include "test_protocolo1.moc"
