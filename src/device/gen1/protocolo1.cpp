#include "device/gen1/protocolo1.h"

#include "data/cp1252.h"

namespace kelvo::v1 {

QString nomeComando(int comando)
{
    switch (comando) {
    case CMD_STATUS:
        return QStringLiteral("CMD_STATUS");
    case CMD_ACERTADH:
        return QStringLiteral("CMD_ACERTADH");
    case CMD_ENVIAFUNC:
        return QStringLiteral("CMD_ENVIAFUNC");
    case CMD_LEITURAMT:
        return QStringLiteral("CMD_LEITURAMT");
    case CMD_ENVIAEMP:
        return QStringLiteral("CMD_ENVIAEMP");
    case CMD_COLETASTATUS:
        return QStringLiteral("CMD_COLETASTATUS");
    case CMD_COLETAMRP:
        return QStringLiteral("CMD_COLETAMRP");
    case CMD_COLETACACHESTATUS:
        return QStringLiteral("CMD_COLETACACHESTATUS");
    case CMD_COLETACACHE:
        return QStringLiteral("CMD_COLETACACHE");
    case CMD_INICIASERIAL:
        return QStringLiteral("CMD_INICIASERIAL");
    case CMD_RECEBEEMP:
        return QStringLiteral("CMD_RECEBEEMP");
    case CMD_INICIAENVIABIO:
        return QStringLiteral("CMD_INICIAENVIABIO");
    case CMD_ENVIABIO:
        return QStringLiteral("CMD_ENVIABIO");
    case CMD_RECEBEBIO:
        return QStringLiteral("CMD_RECEBEBIO");
    case CMD_RECEBENUMTEMPLATES:
        return QStringLiteral("CMD_RECEBENUMTEMPLATES");
    case CMD_APAGATEMPLATES:
        return QStringLiteral("CMD_APAGATEMPLATES");
    case CMD_LISTATEMPLATES:
        return QStringLiteral("CMD_LISTATEMPLATES");
    default:
        return QStringLiteral("não sei ") + QString::number(comando);
    }
}

QString tituloComando(int comando)
{
    switch (comando) {
    case CMD_STATUS:
        return QStringLiteral("Status");
    case CMD_ACERTADH:
        return QStringLiteral("Envio de data/hora");
    case CMD_ENVIAFUNC:
        return QStringLiteral("Envio de funcionário");
    case CMD_LEITURAMT:
        return QStringLiteral("Leitura MT");
    case CMD_ENVIAEMP:
        return QStringLiteral("Envio de empregador");
    case CMD_COLETASTATUS:
    case CMD_COLETAMRP:
        return QStringLiteral("Coleta");
    case CMD_RECEBEEMP:
        return QStringLiteral("Receber empregador");
    case CMD_RECEBEBIO:
        return QStringLiteral("Receber biometria");
    case CMD_COLETACACHESTATUS:
    case CMD_COLETACACHE:
    case CMD_INICIAENVIABIO:
    case CMD_RECEBENUMTEMPLATES:
    case CMD_APAGATEMPLATES:
    case CMD_LISTATEMPLATES:
        return QStringLiteral("");
    default:
        return QString(); // kept
    }
}

QString campoFixo(const QString &texto, int largura, Lado lado, const QString &preenchimento)
{
    const QString cortado = texto.size() > largura ? texto.right(largura) : texto;
    return CompletaTexto(cortado, largura, lado, preenchimento);
}

QString campoNumero(const QString &texto, int largura)
{
    return campoFixo(texto, largura, Lado::Esquerda, QStringLiteral("0"));
}

QString campoTexto(const QString &texto, int largura, bool terminadorOpcional)
{
    if (terminadorOpcional && texto.size() == largura)
        return texto;
    return campoFixo(texto + QLatin1Char(';'), largura, Lado::Direita, QStringLiteral(" "));
}

QByteArray somaVerificacao(const QByteArray &carga)
{
    quint8 soma = 0;
    for (char c : carga)
        soma = quint8(soma + quint8(c));
    return QByteArray::number(soma, 16).toUpper().rightJustified(4, '0');
}

QByteArray pedidoStatus()
{
    return QByteArrayLiteral("TCM");
}
QByteArray pedidoLeituraMT()
{
    return QByteArrayLiteral("LMT");
}
QByteArray pedidoRecebeEmpregador()
{
    return QByteArrayLiteral("PME");
}

namespace {
QString doisDigitos(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}
} // namespace

QByteArray pedidoAcertaDataHora(const QDateTime &dataHora)
{
    const QDate d = dataHora.date();
    const QTime t = dataHora.time();
    // Qt counts Monday as 1 .. Sunday as 7; the device Sunday as 1 .. Saturday as 7.
    const int diaSemana = d.dayOfWeek() % 7 + 1;
    const QString carga = doisDigitos(t.second()) + doisDigitos(t.minute()) + doisDigitos(t.hour()) +
                          doisDigitos(diaSemana) + doisDigitos(d.day()) + doisDigitos(d.month()) +
                          doisDigitos(d.year() % 100);
    const QByteArray bytes = paraCp1252(carga);
    return QByteArrayLiteral("CLK") + bytes + somaVerificacao(bytes);
}

QByteArray pedidoFuncionario(const QString &codigo, const QString &matricula, const QString &pis,
                             const QString &nome, int acao)
{
    const char letra = acao == 0 ? 'N' : acao == 1 ? 'A' : 'E';
    const QString carga = campoFixo(codigo, 6, Lado::Direita, QStringLiteral("0")) +
                          campoNumero(matricula, 8) + campoNumero(pis, 12) + campoTexto(nome, 52) +
                          QStringLiteral("\r\n");
    const QByteArray bytes = paraCp1252(carga);
    return QByteArrayLiteral("FU") + letra + bytes + somaVerificacao(bytes);
}

QByteArray pedidoEmpregador(const QString &nome, const QString &cpfcnpj, const QString &cei,
                            const QString &local, int tipo)
{
    const char letra = tipo == 0 ? 'P' : 'F';
    const QString carga = campoTexto(nome, 150, true) + campoNumero(cpfcnpj, 14) + campoNumero(cei, 12) +
                          campoTexto(local, 100, true) + QStringLiteral("\r\n");
    const QByteArray bytes = paraCp1252(carga);
    return QByteArrayLiteral("EM") + letra + bytes + somaVerificacao(bytes);
}

bool converteDataHora(const QString &dia, const QString &mes, const QString &ano, const QString &hora,
                      const QString &minuto, const QString &segundo, QDateTime *resultado)
{
    const QString partes[] = {dia, mes, ano, hora, minuto, segundo};
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const QString t = partes[i].trimmed();
        bool ok = false;
        v[i] = t.toInt(&ok);
        // Only plain decimal digits: no sign, no blank inside.
        if (!ok || t.isEmpty() || t.size() > (i == 2 ? 4 : 2))
            return false;
        for (QChar c : t)
            if (!c.isDigit())
                return false;
    }
    int ano4 = v[2];
    if (partes[2].trimmed().size() <= 2)
        ano4 += 2000;
    const QDate d(ano4, v[1], v[0]);
    const QTime t(v[3], v[4], v[5]);
    if (!d.isValid() || !t.isValid())
        return false;
    if (resultado)
        *resultado = QDateTime(d, t);
    return true;
}

QString verificaFuncionario(const QString &codigo, const QString &matricula, const QString &pis, int acao)
{
    if (codigo.size() > 6)
        return QStringLiteral("3;Tamanho inválido para o campo código");
    if (matricula.size() > 8)
        return QStringLiteral("4;Tamanho inválido para o campo matrícula");
    if (pis.size() > 12)
        return QStringLiteral("5;Tamanho inválido para o campo PIS");
    if (acao < 0 || acao > 2)
        return QStringLiteral("6;Ação inválida");
    return QString();
}

QString verificaEmpregador(const QString &nome, const QString &cpfcnpj, const QString &cei,
                           const QString &local, int tipo)
{
    if (nome.size() > 150)
        return QStringLiteral("9;Tamanho inválido para o campo Nome do Empregador");
    if (cpfcnpj.size() > 14)
        return QStringLiteral("10;Tamanho inválido para o CPF/CNPJ");
    if (cei.size() > 12)
        return QStringLiteral("11;Tamanho inválido para o campo CEI");
    if (tipo != 0 && tipo != 1)
        return QStringLiteral("12;Valor inválido para o campo Tipo de Empregador");
    if (local.size() > 100)
        return QStringLiteral("13;Tamanho inválido para o campo Local de Trabalho");
    return QString();
}

bool statusCompleto(int contagem)
{
    return contagem == 50 || contagem == 52;
}

bool interpretaStatus(const QByteArray &r, StatusV1 *s)
{
    if (!statusCompleto(int(r.size())) || !s)
        return false;
    auto texto = [&](int pos, int n) { return deCp1252(r.mid(pos - 1, n)); };
    auto byte = [&](int pos) { return quint32(quint8(r.at(pos - 1))); };
    s->segundos = texto(1, 2);
    s->minutos = texto(3, 2);
    s->horas = texto(5, 2);
    s->dia = texto(9, 2);
    s->mes = texto(11, 2);
    s->ano = texto(13, 2);
    s->tamanhoCache = quint16((byte(15) << 8) | byte(16));
    s->ponteiroMRP = (byte(17) << 24) | (byte(18) << 16) | (byte(19) << 8) | byte(20);
    s->nsr = texto(21, 9);
    s->numeroSerie = texto(30, 17);
    s->bateria = quint16((byte(47) << 8) | byte(48));
    return true;
}

QString retornoStatus(const StatusV1 &s)
{
    return QStringLiteral("0;") + s.dia + QLatin1Char('/') + s.mes + QLatin1Char('/') + s.ano +
           QLatin1Char(' ') + s.horas + QLatin1Char(':') + s.minutos + QLatin1Char(':') + s.segundos +
           QLatin1Char(';') + s.nsr + QLatin1Char(';') + s.numeroSerie + QLatin1Char(';');
}

bool interpretaEmpregador(const QByteArray &r, EmpregadorV1 *e)
{
    if (r.size() != TamanhoRespostaEmpregador || !e)
        return false;
    auto campo = [&](int pos, int n) {
        QString t = deCp1252(r.mid(pos - 1, n));
        t.replace(QLatin1Char(';'), QLatin1Char(' '));
        return t;
    };
    e->tipo = r.at(0) == '1' ? 1 : 2;
    e->nome = campo(2, 150);
    e->cpfcnpj = campo(152, 14);
    e->cei = campo(166, 12);
    e->local = campo(178, 100);
    return true;
}

bool empregadorAusente(const EmpregadorV1 &e)
{
    return e.cpfcnpj == QLatin1String("00000000000000");
}

QString retornoEmpregador(const EmpregadorV1 &e)
{
    if (empregadorAusente(e))
        return QStringLiteral("23;Envie o empregador");
    return QStringLiteral("0;") + QString::number(e.tipo) + QLatin1Char('|') + e.nome + QLatin1Char('|') +
           e.cpfcnpj + QLatin1Char('|') + e.cei + QLatin1Char('|') + e.local;
}

QString respostaAcertaDataHora(const QByteArray &r)
{
    if (r == "!OK")
        return QStringLiteral("0;Data/Hora acertadas");
    if (r == "!MR")
        return QStringLiteral("16;MRP Cheia - data/hora não acertadas");
    if (r == "!ME")
        return QStringLiteral("17;Erro na mrp - data/hora não acertadas - consulte seu fornecedor");
    return QString();
}

QString respostaFuncionario(const QByteArray &r)
{
    if (r == "!OK")
        return QStringLiteral("0;Funcionário enviado");
    if (r == "!MT")
        return QStringLiteral("18;MT cheia - funcionário não enviado - troque o rep");
    if (r == "!MR")
        return QStringLiteral("19;MRP cheia - funcionário não enviado - troque o rep");
    if (r == "!ME")
        return QStringLiteral("20;Erro na mrp - funcionário não enviado - consulte seu fornecedor");
    return QString();
}

QString respostaEmpregador(const QByteArray &r)
{
    if (r == "!OK")
        return QStringLiteral("0;Empresa enviada");
    if (r == "!MR")
        return QStringLiteral("21;MRP cheia - empresa não enviada - troque o rep");
    if (r == "!ME")
        return QStringLiteral("22;Erro na mrp - empresa não enviada - consulte seu fornecedor");
    return QString();
}

} // namespace kelvo::v1
