// Framing, check values and field layouts of the new protocol, without a line.

#include "device/gen2/protocolo2.h"

#include <QTest>

using namespace kelvo::rep2;

class TestProtocolo2 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void checkTextoSempreComecaComZeros_data();
    void checkTextoSempreComecaComZeros();
    void relogio();
    void dataHoraInvalida_data();
    void dataHoraInvalida();
    void matriculaBCD_data();
    void matriculaBCD();
    void empregadorCampos_data();
    void empregadorCampos();
    void verificaEmpregadorNaOrdem_data();
    void verificaEmpregadorNaOrdem();
    void funcionarioCampos_data();
    void funcionarioCampos();
    void status_data();
    void status();
    void empregadorLido();
    void gravaTemplate();
    void textoHexDeArquivo_data();
    void textoHexDeArquivo();
    void senha_data();
    void senha();
    void contaTemplates();
    void incrementaPisEMatricula();
    void tamanhoLeituraTemplate();
};

void TestProtocolo2::checkTextoSempreComecaComZeros_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("check");
    QTest::newRow("3Ah") << QByteArray("\x3A", 1) << QByteArray("003A");
    QTest::newRow("overflow") << QByteArray(3, '\xFF') << QByteArray("00FD"); // 765 mod 256
    QTest::newRow("empty") << QByteArray() << QByteArray("0000");
}

void TestProtocolo2::checkTextoSempreComecaComZeros()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, check);
    QCOMPARE(checkTexto(payload), check);
}

void TestProtocolo2::relogio()
{
    // Sunday 15 June 2025 10:30:20
    const QDateTime t(QDate(2025, 6, 15), QTime(10, 30, 20));
    const QByteArray p = payloadRelogio(t);
    QCOMPARE(p, QByteArray("20301001150625"));
    int soma = 0;
    for (char c : p)
        soma += static_cast<unsigned char>(c);
    const QByteArray r = requisicaoRelogio(t);
    QCOMPARE(r.left(4), QByteArray("#CLK"));
    QCOMPARE(r.mid(4, 14), p);
    QCOMPARE(r.mid(18), QByteArray::number(soma % 256, 16).toUpper().rightJustified(4, '0'));
    // Saturday is "07".
    QCOMPARE(payloadRelogio(QDateTime(QDate(2025, 6, 14), QTime(0, 0, 0))).mid(6, 2), QByteArray("07"));
}

void TestProtocolo2::dataHoraInvalida_data()
{
    QTest::addColumn<QStringList>("campos"); // d m y h n s
    QTest::newRow("31/02") << QStringList{"31", "02", "2025", "10", "00", "00"};
    QTest::newRow("letters") << QStringList{"1a", "02", "2025", "10", "00", "00"};
    QTest::newRow("hour 24") << QStringList{"01", "02", "2025", "24", "00", "00"};
    QTest::newRow("empty") << QStringList{"", "02", "2025", "10", "00", "00"};
}

void TestProtocolo2::dataHoraInvalida()
{
    QFETCH(QStringList, campos);
    QVERIFY(!montaDataHora(campos[0], campos[1], campos[2], campos[3], campos[4], campos[5]));
    QVERIFY(montaDataHora("29", "02", "2024", "23", "59", "59"));
}

void TestProtocolo2::matriculaBCD_data()
{
    QTest::addColumn<QString>("matricula");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("12345678") << "12345678" << QByteArray("\x78\x56\x34\x12", 4);
    QTest::newRow("padded") << "905" << QByteArray("\x05\x09\x00\x00", 4);
}

void TestProtocolo2::matriculaBCD()
{
    QFETCH(QString, matricula);
    QFETCH(QByteArray, bytes);
    const auto b = kelvo::rep2::matriculaBCD(matricula);
    QVERIFY(b);
    QCOMPARE(*b, bytes);
    QCOMPARE(matriculaDeBCD(*b), matricula.rightJustified(8, '0'));
    QVERIFY(!kelvo::rep2::matriculaBCD("12a4"));
}

void TestProtocolo2::empregadorCampos_data()
{
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("cpfcnpj");
    QTest::addColumn<QString>("cei");
    QTest::addColumn<QString>("campoDoc");
    QTest::addColumn<QString>("campoCei");
    QTest::newRow("CPF 11") << 1 << "12345678901"
                            << ""
                            << "   12345678901"
                            << "            ";
    QTest::newRow("CPF 9") << 1 << "123456789"
                           << "  "
                           << "   00123456789"
                           << "            ";
    QTest::newRow("CNPJ 13") << 0 << "1234567890123"
                             << "12345"
                             << "01234567890123"
                             << "000000012345";
}

void TestProtocolo2::empregadorCampos()
{
    QFETCH(int, tipo);
    QFETCH(QString, cpfcnpj);
    QFETCH(QString, cei);
    QFETCH(QString, campoDoc);
    QFETCH(QString, campoCei);
    const QByteArray r = requisicaoEmpregador("ACME", cpfcnpj, cei, "SEDE", tipo);
    QCOMPARE(r.left(4), tipo == 1 ? QByteArray("#EMF") : QByteArray("#EMP"));
    const QByteArray p = r.mid(4, 278);
    QCOMPARE(p.left(150), QByteArray("ACME;").leftJustified(150, ' '));
    QCOMPARE(QString::fromLatin1(p.mid(150, 14)), campoDoc);
    QCOMPARE(QString::fromLatin1(p.mid(164, 12)), campoCei);
    QCOMPARE(p.mid(176, 100), QByteArray("SEDE;").leftJustified(100, ' '));
    QCOMPARE(p.right(2), QByteArray("\r\n"));
    QCOMPARE(r.mid(282), checkTexto(p));
    QCOMPARE(r.size(), 286);
}

void TestProtocolo2::verificaEmpregadorNaOrdem_data()
{
    QTest::addColumn<int>("nome");
    QTest::addColumn<int>("doc");
    QTest::addColumn<int>("cei");
    QTest::addColumn<int>("local");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("resultado");
    QTest::newRow("ok") << 150 << 14 << 12 << 100 << 1 << QString();
    QTest::newRow("nome 151") << 151 << 15 << 12 << 100 << 1
                              << "9;Tamanho inválido para o campo Nome do Empregador";
    QTest::newRow("doc 15") << 10 << 15 << 13 << 100 << 1 << "10;Tamanho inválido para o CPF/CNPJ";
    QTest::newRow("cei 13") << 10 << 14 << 13 << 100 << 2 << "11;Tamanho inválido para o campo CEI";
    QTest::newRow("tipo 2") << 10 << 14 << 12 << 101 << 2
                            << "12;Valor inválido para o campo Tipo de Empregador";
    QTest::newRow("local 101") << 10 << 14 << 12 << 101 << 0
                               << "13;Tamanho inválido para o campo Local de Trabalho";
}

void TestProtocolo2::verificaEmpregadorNaOrdem()
{
    QFETCH(int, nome);
    QFETCH(int, doc);
    QFETCH(int, cei);
    QFETCH(int, local);
    QFETCH(int, tipo);
    QFETCH(QString, resultado);
    QCOMPARE(verificaEmpregador(QString(nome, 'N'), QString(doc, '1'), QString(cei, '2'), QString(local, 'L'),
                                tipo),
             resultado);
}

void TestProtocolo2::funcionarioCampos_data()
{
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("campoCodigo");
    QTest::newRow("7 chars") << "ABCDEFG"
                             << "ABCDEF";
    QTest::newRow("3 chars") << "123"
                             << "123000";
}

void TestProtocolo2::funcionarioCampos()
{
    QFETCH(QString, codigo);
    QFETCH(QString, campoCodigo);
    const QByteArray r = requisicaoFuncionario(codigo, "4321", "12345678901", "JOSÉ", 0);
    QCOMPARE(r.left(4), QByteArray("#FUN"));
    const QByteArray p = r.mid(4, 80);
    QCOMPARE(QString::fromLatin1(p.left(6)), campoCodigo);
    QCOMPARE(p.mid(6, 8), QByteArray("00004321"));
    QCOMPARE(p.mid(14, 12), QByteArray("012345678901"));
    // cp1252 on the wire: "É" is one byte.
    QCOMPARE(p.mid(26, 52), QByteArray("JOS\xC9;").leftJustified(52, ' '));
    QCOMPARE(p.right(2), QByteArray("\r\n"));
    QCOMPARE(r.mid(84), checkTexto(p));
    QCOMPARE(requisicaoFuncionario("1", "1", "1", "X", 1).left(4), QByteArray("#FUA"));
    QCOMPARE(requisicaoFuncionario("1", "1", "1", "X", 2).left(4), QByteArray("#FUE"));
}

void TestProtocolo2::status_data()
{
    QTest::addColumn<int>("tamanho");
    QTest::newRow("50") << 50;
    QTest::newRow("52") << 52;
}

void TestProtocolo2::status()
{
    QFETCH(int, tamanho);
    QByteArray r("20301015150625");
    r.append('\x01').append('\x23');                               // cache 0123h
    r.append('\x00').append('\x00').append('\x20').append('\x00'); // pointer 2000h
    r += "000000042";
    r += "00004000200012345";
    r.append('\x0B').append('\xB8');
    r = r.leftJustified(tamanho, '\r');
    QVERIFY(statusCompleto(r.size()));
    const StatusRep2 s = interpretaStatus(r);
    QCOMPARE(s.dataHora, QString("15/06/25 10:30:20"));
    QCOMPARE(s.cache, quint16(0x123));
    QCOMPARE(s.ponteiro, quint32(0x2000));
    const QString res = s.resultado();
    QCOMPARE(res, QString("0;15/06/25 10:30:20;000000042;00004000200012345;"));
    QCOMPARE(res.size(), 48);
    QCOMPARE(res.mid(30, 17), QString("00004000200012345"));
    QVERIFY(s.linhas().contains("Bateria: 0BB8"));
    QVERIFY(s.linhas().contains("MRP: 00002000"));
    QVERIFY(!statusCompleto(51));
    QVERIFY(!statusCompleto(48));
}

void TestProtocolo2::empregadorLido()
{
    QByteArray r("1");
    r += QByteArray("ACME;LTDA").leftJustified(150, ' ');
    r += "01234567890123";
    r += "000000012345";
    r += QByteArray("SEDE").leftJustified(100, ' ');
    r += "\r\n";
    QCOMPARE(r.size(), TamanhoEmpregador);
    EmpregadorRep2 e = interpretaEmpregador(r);
    QCOMPARE(e.tipo, 1);
    QVERIFY(e.nome.startsWith("ACME LTDA "));
    QCOMPARE(e.nome.size(), 150);
    QCOMPARE(e.resultado().left(18), QString("0;1|ACME LTDA     "));
    QVERIFY(e.resultado().endsWith("|01234567890123|000000012345|SEDE" + QString(96, ' ')));
    r.replace(151, 14, "00000000000000");
    e = interpretaEmpregador(r);
    QCOMPARE(e.resultado(), QString("23;Envie o empregador"));
    r[0] = '2';
    QCOMPARE(interpretaEmpregador(r).tipo, 2);
}

void TestProtocolo2::gravaTemplate()
{
    QByteArray corpo;
    for (int i = 0; i < TamanhoTemplate; ++i)
        corpo.append(char(i));
    const QByteArray bcd = *kelvo::rep2::matriculaBCD("12345678");
    const QByteArray r = requisicaoGravaTemplate(bcd, corpo);
    QByteArray esperado("#WTL");
    const QByteArray cab("\x40\x07\x78\x56\x34\x12\x80\x01\x00\x00\x71", 11);
    int soma = 0;
    for (char c : cab)
        soma += static_cast<unsigned char>(c);
    esperado += cab;
    esperado.append(char(soma & 0xFF));
    esperado.append('\n');
    esperado += corpo;
    int somaCorpo = 0;
    for (char c : corpo)
        somaCorpo += static_cast<unsigned char>(c);
    esperado += QByteArray::number(somaCorpo & 0xFF, 16).toUpper().rightJustified(2, '0');
    QCOMPARE(r, esperado);
    // Without a body the request ends at the LF.
    QCOMPARE(requisicaoGravaTemplate(bcd, std::nullopt), esperado.left(4 + 12 + 1));
}

void TestProtocolo2::textoHexDeArquivo_data()
{
    QTest::addColumn<QByteArray>("arquivo");
    QTest::addColumn<bool>("valido");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lines") << QByteArray("0aFF\r\n10\n") << true << QByteArray("\x0A\xFF\x10", 3);
    QTest::newRow("not hex") << QByteArray("0G12") << false << QByteArray();
    QTest::newRow("odd") << QByteArray("ABC") << false << QByteArray();
}

void TestProtocolo2::textoHexDeArquivo()
{
    QFETCH(QByteArray, arquivo);
    QFETCH(bool, valido);
    QFETCH(QByteArray, bytes);
    const auto r = corpoDeTextoHex(arquivo);
    QCOMPARE(bool(r), valido);
    if (valido)
        QCOMPARE(*r, bytes);
}

void TestProtocolo2::senha_data()
{
    QTest::addColumn<QString>("senha");
    QTest::addColumn<QString>("recusa");
    QTest::newRow("ok") << "1234" << QString();
    QTest::newRow("letters") << "12a4"
                             << "Senha inválida";
    QTest::newRow("empty") << ""
                           << "Senha inválida";
    QTest::newRow("short") << "123"
                           << "Tem q ter 4 digitos";
}

void TestProtocolo2::senha()
{
    QFETCH(QString, senha);
    QFETCH(QString, recusa);
    QCOMPARE(verificaSenha(senha), recusa);
    QCOMPARE(requisicaoSenha("1234"), QByteArray("#SEN1234"));
}

void TestProtocolo2::contaTemplates()
{
    QCOMPARE(numeroTemplates(QByteArray("\x00\x00\x00\x05\r\n", 6)), QString("5"));
    QCOMPARE(numeroTemplates(QByteArray("\x00\x00\x01\x17\r\n", 6)), QString("123"));
    QCOMPARE(numeroTemplates(QByteArray(6, '\0')), QString("0"));
}

void TestProtocolo2::tamanhoLeituraTemplate()
{
    QCOMPARE(templatesNaResposta(386), 1);
    QCOMPARE(templatesNaResposta(770), 2);
    QCOMPARE(templatesNaResposta(385), 0);
    QCOMPARE(templatesNaResposta(2), 0);
}

void TestProtocolo2::incrementaPisEMatricula()
{
    const auto r = incrementaPis("12345678901");
    QVERIFY(r);
    QCOMPARE(r->pis, QString("012345678902"));
    QCOMPARE(r->matricula, QString("12345678902"));
    QCOMPARE(incrementaPis("41")->matricula, QString("000042"));
    QVERIFY(!incrementaPis("12a"));
    QVERIFY(!incrementaPis("999999999999"));
}

QTEST_GUILESS_MAIN(TestProtocolo2)
#include "test_protocolo2.moc"
