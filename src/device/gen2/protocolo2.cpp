#include "device/gen2/protocolo2.h"

#include "data/cp1252.h"
#include "data/textos.h"

namespace kelvo::rep2 {

namespace {

QString hex(quint32 valor, int digitos)
{
    return QStringLiteral("%1").arg(valor, digitos, 16, QLatin1Char('0')).toUpper();
}

quint8 byteEm(const QByteArray &b, int i)
{
    return i < b.size() ? static_cast<quint8>(b.at(i)) : 0;
}

QString textoEm(const QByteArray &b, int inicio, int tamanho)
{
    return deCp1252(b.mid(inicio, tamanho));
}

// Device texts never carry ";": it would split the result text.
QString semPontoEVirgula(QString t)
{
    return t.replace(QLatin1Char(';'), QLatin1Char(' '));
}

bool soDigitos(const QString &t)
{
    if (t.isEmpty())
        return false;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

int valorHex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

QByteArray quadro(const QByteArray &comando)
{
    return QByteArray(1, '$') + comando;
}

QByteArray checkTexto(const QByteArray &payload)
{
    quint32 soma = 0;
    for (const char c : payload)
        soma += static_cast<quint8>(c);
    return hex(soma % 256, 4).toLatin1();
}

QByteArray checkCorpoTemplate(const QByteArray &corpo)
{
    quint32 soma = 0;
    for (const char c : corpo)
        soma += static_cast<quint8>(c);
    return hex(soma & 0xFF, 2).toLatin1();
}

quint8 codigoBCD(int doisDigitos)
{
    return static_cast<quint8>(((doisDigitos / 10) % 10) << 4 | (doisDigitos % 10));
}

std::optional<QByteArray> matriculaBCD(const QString &matricula)
{
    const QString m = CompletaTexto(matricula.trimmed(), 8, Lado::Esquerda, QStringLiteral("0"));
    if (!soDigitos(m))
        return std::nullopt;
    QByteArray r;
    for (int par = 3; par >= 0; --par)
        r.append(static_cast<char>(codigoBCD(m.mid(par * 2, 2).toInt())));
    return r;
}

QString matriculaDeBCD(const QByteArray &quatroBytes)
{
    QString r;
    for (const char c : quatroBytes)
        r.prepend(hex(static_cast<quint8>(c), 2));
    return r;
}

QByteArray requisicaoStatus(bool abertura)
{
    return abertura ? QByteArrayLiteral("$#TCM") : QByteArrayLiteral("#TCM");
}

QByteArray payloadRelogio(const QDateTime &momento)
{
    const QDate d = momento.date();
    const QTime t = momento.time();
    const int semana = d.dayOfWeek() % 7 + 1; // Sunday 1 .. Saturday 7
    return QStringLiteral("%1%2%3%4%5%6%7")
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(semana, 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.year() % 100, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray requisicaoRelogio(const QDateTime &momento)
{
    const QByteArray p = payloadRelogio(momento);
    return QByteArrayLiteral("#CLK") + p + checkTexto(p);
}

std::optional<QDateTime> montaDataHora(const QString &dia, const QString &mes, const QString &ano,
                                       const QString &hora, const QString &minuto, const QString &segundo)
{
    int v[6];
    const QString *textos[6] = {&ano, &mes, &dia, &hora, &minuto, &segundo};
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        v[i] = textos[i]->trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QDate d(v[0], v[1], v[2]);
    if (!d.isValid() || v[3] < 0 || v[3] > 23 || v[4] < 0 || v[4] > 59 || v[5] < 0 || v[5] > 59)
        return std::nullopt;
    return QDateTime(d, QTime(v[3], v[4], v[5], 0));
}

QByteArray payloadEmpregador(const QString &nome, const QString &cpfCnpj, const QString &cei,
                             const QString &local, int tipo)
{
    QString p =
        CompletaTexto(nome + QLatin1Char(';'), LarguraNomeEmpregador, Lado::Direita, QStringLiteral(" "));
    if (tipo == 1)
        p += CompletaTexto(CompletaTexto(cpfCnpj, 11, Lado::Esquerda, QStringLiteral("0")), LarguraCpfCnpj,
                           Lado::Esquerda, QStringLiteral(" "));
    else
        p += CompletaTexto(cpfCnpj, LarguraCpfCnpj, Lado::Esquerda, QStringLiteral("0"));
    if (cei.trimmed().isEmpty())
        p += QString(LarguraCei, QLatin1Char(' '));
    else
        p += CompletaTexto(cei, LarguraCei, Lado::Esquerda, QStringLiteral("0"));
    p += CompletaTexto(local + QLatin1Char(';'), LarguraLocal, Lado::Direita, QStringLiteral(" "));
    return paraCp1252(p) + QByteArrayLiteral("\r\n");
}

QByteArray requisicaoEmpregador(const QString &nome, const QString &cpfCnpj, const QString &cei,
                                const QString &local, int tipo)
{
    const QByteArray p = payloadEmpregador(nome, cpfCnpj, cei, local, tipo);
    return QByteArrayLiteral("#EM") + (tipo == 1 ? "F" : "P") + p + checkTexto(p);
}

QString verificaEmpregador(const QString &nome, const QString &cpfCnpj, const QString &cei,
                           const QString &local, int tipo)
{
    if (nome.size() > LarguraNomeEmpregador)
        return QStringLiteral("9;Tamanho inválido para o campo Nome do Empregador");
    if (cpfCnpj.size() > LarguraCpfCnpj)
        return QStringLiteral("10;Tamanho inválido para o CPF/CNPJ");
    if (cei.size() > LarguraCei)
        return QStringLiteral("11;Tamanho inválido para o campo CEI");
    if (tipo != 0 && tipo != 1)
        return QStringLiteral("12;Valor inválido para o campo Tipo de Empregador");
    if (local.size() > LarguraLocal)
        return QStringLiteral("13;Tamanho inválido para o campo Local de Trabalho");
    return QString();
}

char letraAcao(int acao)
{
    switch (acao) {
    case 0:
        return 'N';
    case 1:
        return 'A';
    case 2:
        return 'E';
    default:
        return 0;
    }
}

QByteArray payloadFuncionario(const QString &codigo, const QString &matricula, const QString &pis,
                              const QString &nome)
{
    const QString p = CompletaTexto(codigo, 6, Lado::Direita, QStringLiteral("0")) +
                      CompletaTexto(matricula, 8, Lado::Esquerda, QStringLiteral("0")) +
                      CompletaTexto(pis, 12, Lado::Esquerda, QStringLiteral("0")) +
                      CompletaTexto(nome + QLatin1Char(';'), 52, Lado::Direita, QStringLiteral(" "));
    return paraCp1252(p) + QByteArrayLiteral("\r\n");
}

QByteArray requisicaoFuncionario(const QString &codigo, const QString &matricula, const QString &pis,
                                 const QString &nome, int acao)
{
    const QByteArray p = payloadFuncionario(codigo, matricula, pis, nome);
    return QByteArrayLiteral("#FU") + QByteArray(1, letraAcao(acao)) + p + checkTexto(p);
}

std::optional<PisIncrementado> incrementaPis(const QString &pis)
{
    const QString t = pis.trimmed();
    if (!soDigitos(t) || t.size() > 12)
        return std::nullopt;
    const qulonglong n = t.toULongLong() + 1;
    if (n > 999999999999ULL)
        return std::nullopt;
    return PisIncrementado{QStringLiteral("%1").arg(n, 12, 10, QLatin1Char('0')),
                           QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0'))};
}

QByteArray requisicaoSenha(const QString &senha)
{
    return QByteArrayLiteral("#SEN") + paraCp1252(senha.left(4));
}

QString verificaSenha(const QString &senha)
{
    const QString s = senha.left(4);
    if (!soDigitos(s))
        return QStringLiteral("Senha inválida");
    if (s.size() < 4)
        return QStringLiteral("Tem q ter 4 digitos");
    return QString();
}

QByteArray requisicaoLeTemplate(const QByteArray &bcd, quint8 dedo)
{
    return QByteArrayLiteral("#BRD") + bcd + QByteArray(1, static_cast<char>(dedo));
}

QByteArray requisicaoContaTemplates(const QByteArray &bcd)
{
    return QByteArrayLiteral("#VID") + bcd;
}

QByteArray requisicaoApagaTemplates(const QByteArray &bcd)
{
    return QByteArrayLiteral("#XTL") + bcd;
}

QByteArray requisicaoListaTemplates(quint8 indice)
{
    return QByteArrayLiteral("#GID") + QByteArray(1, static_cast<char>(indice));
}

QByteArray cabecalhoGravaTemplate(const QByteArray &bcd)
{
    QByteArray h;
    h.append('\x40').append('\x07');
    h.append(bcd);
    h.append('\x80').append('\x01').append('\x00').append('\x00').append('\x71');
    quint32 soma = 0;
    for (const char c : h)
        soma += static_cast<quint8>(c);
    h.append(static_cast<char>(soma & 0xFF));
    return h;
}

QByteArray requisicaoGravaTemplate(const QByteArray &bcd, const std::optional<QByteArray> &corpo)
{
    QByteArray r = QByteArrayLiteral("#WTL") + cabecalhoGravaTemplate(bcd) + '\n';
    if (corpo)
        r += *corpo + checkCorpoTemplate(*corpo);
    return r;
}

std::optional<QByteArray> corpoDeTextoHex(const QByteArray &conteudoArquivo)
{
    QByteArray r;
    for (QByteArray linha : conteudoArquivo.split('\n')) {
        linha = linha.trimmed();
        if (linha.size() % 2 != 0)
            return std::nullopt;
        for (int i = 0; i < linha.size(); i += 2) {
            const int a = valorHex(linha.at(i));
            const int b = valorHex(linha.at(i + 1));
            if (a < 0 || b < 0)
                return std::nullopt;
            r.append(static_cast<char>(a << 4 | b));
        }
    }
    return r;
}

QByteArray textoHex(const QByteArray &bytes)
{
    return bytes.toHex().toUpper();
}

QString linhaTracoEnvio(const QByteArray &bytesEnviados, const QTime &hora)
{
    QString r = hora.toString(QStringLiteral("hh:mm:ss,zzz")) + QStringLiteral("  -  ");
    for (const char c : bytesEnviados)
        r += hex(static_cast<quint8>(c), 2) + QLatin1Char(' ');
    return r;
}

QString StatusRep2::resultado() const
{
    return QStringLiteral("0;") + dataHora + QLatin1Char(';') + nsr + QLatin1Char(';') + serial +
           QLatin1Char(';');
}

QStringList StatusRep2::linhas() const
{
    return {QStringLiteral("STATUS DO EQUIPAMENTO"),    QString(),
            QStringLiteral("Data/Hora: ") + dataHora,   QStringLiteral("Cache: ") + hex(cache, 4),
            QStringLiteral("MRP: ") + hex(ponteiro, 8), QStringLiteral("NSR ATUAL: ") + nsr,
            QStringLiteral("NUMERO SERIAL: ") + serial, QStringLiteral("Bateria: ") + hex(bateria, 4)};
}

bool statusCompleto(int recebidos)
{
    return recebidos == TamanhoStatus || recebidos == TamanhoStatusLongo;
}

StatusRep2 interpretaStatus(const QByteArray &r)
{
    StatusRep2 s;
    const auto par = [&](int i) { return semPontoEVirgula(textoEm(r, i, 2)); };
    s.dataHora = par(8) + QLatin1Char('/') + par(10) + QLatin1Char('/') + par(12) + QLatin1Char(' ') +
                 par(4) + QLatin1Char(':') + par(2) + QLatin1Char(':') + par(0);
    s.cache = static_cast<quint16>(byteEm(r, 14) << 8 | byteEm(r, 15));
    s.ponteiro = static_cast<quint32>(byteEm(r, 16)) << 24 | static_cast<quint32>(byteEm(r, 17)) << 16 |
                 static_cast<quint32>(byteEm(r, 18)) << 8 | byteEm(r, 19);
    s.nsr = semPontoEVirgula(textoEm(r, 20, 9));
    s.serial = semPontoEVirgula(textoEm(r, 29, 17));
    s.bateria = static_cast<quint16>(byteEm(r, 46) << 8 | byteEm(r, 47));
    return s;
}

QString EmpregadorRep2::resultado() const
{
    if (vazio())
        return QStringLiteral("23;Envie o empregador");
    const QChar bar = QLatin1Char('|');
    return QStringLiteral("0;") + QString::number(tipo) + bar + nome + bar + cpfCnpj + bar + cei + bar +
           local;
}

QStringList EmpregadorRep2::linhas() const
{
    return {QStringLiteral("DADOS DO EMPREGADOR"),
            QString(),
            tipo == 1 ? QStringLiteral("Tipo: CNPJ") : QStringLiteral("Tipo: CPF"),
            QStringLiteral("Nome do empregador: ") + nome,
            QStringLiteral("CPF/CNPJ do empregador: ") + cpfCnpj,
            QStringLiteral("CEI: ") + cei,
            QStringLiteral("LOCAL: ") + local};
}

EmpregadorRep2 interpretaEmpregador(const QByteArray &r)
{
    EmpregadorRep2 e;
    e.tipo = byteEm(r, 0) == '1' ? 1 : 2;
    e.nome = semPontoEVirgula(textoEm(r, 1, LarguraNomeEmpregador));
    e.cpfCnpj = semPontoEVirgula(textoEm(r, 151, LarguraCpfCnpj));
    e.cei = semPontoEVirgula(textoEm(r, 165, LarguraCei));
    e.local = semPontoEVirgula(textoEm(r, 177, LarguraLocal));
    return e;
}

QString numeroTemplates(const QByteArray &resposta)
{
    QString digitos;
    for (int i = 0; i < 4; ++i)
        digitos += QStringLiteral("%1").arg(byteEm(resposta, i), 2, 10, QLatin1Char('0'));
    return QString::number(digitos.toULongLong());
}

int templatesNaResposta(int recebidos)
{
    if (recebidos < TamanhoTemplate + 2 || (recebidos - 2) % TamanhoTemplate != 0)
        return 0;
    return (recebidos - 2) / TamanhoTemplate;
}

} // namespace kelvo::rep2
