#include "device/common/retorno.h"

namespace kelvo {

QString RetornoComunicacao;

QString mensagemDoCodigo(int codigo)
{
    static const char *const mensagens[] = {
        "",
        "Não foi possível abrir a porta de comunicação",
        "Formato de data/hora inválido",
        "Tamanho inválido para o campo CODIGO",
        "Tamanho inválido para o campo MATRICULA",
        "Tamanho inválido para o campo PIS",
        "Operação inválida",
        "Nome de arquivo inválido",
        "Não foi possível gravar o arquivo",
        "Tamanho inválido para o campo Nome do Empregador",
        "Tamanho inválido para o CPF/CNPJ",
        "Tamanho inválido para o campo CEI",
        "Valor inválido para o campo Tipo de Empregador",
        "Tamanho inválido para o campo Local de Trabalho",
        "Senha inválida. Aceita-se apenas números",
        "A senha deve conter 4 dígitos numéricos",
        "MRP Cheia - data/hora não acertadas",
        "Erro na mrp - data/hora não acertadas - consulte seu fornecedor",
        "MT cheia - funcionário não enviado - troque o rep",
        "MRP cheia - funcionário não enviado - troque o rep",
        "Erro na mrp - funcionário não enviado - consulte seu fornecedor",
        "MRP cheia - empresa não enviada - troque o rep",
        "Erro na mrp - empresa não enviada - consulte seu fornecedor",
        "Envie o empregador antes de coletar",
        "Memória de templates cheia - não foi possível enviar",
        "Limite de dedos esgotado para essa matrícula",
        "Erro ao apagar templates da matrícula",
        "Número de templates inválido",
        "Equipamento não identificado",
        "Não existe template para essa matrícula/dedo",
        "Erro ao apagar todas as templates",
    };
    if (codigo < 1 || codigo > RetUltimoCodigo)
        return QString();
    return QString::fromUtf8(mensagens[codigo]);
}

QString MensagemRetorno(const QString &retorno)
{
    if (retorno.isEmpty())
        return QStringLiteral("Não houve resposta do terminal");
    const int pos = retorno.indexOf(QLatin1Char(';'));
    // Without ";" the code text is empty, which is not an integer either.
    const QString textoCodigo = pos < 0 ? QString() : retorno.left(pos);
    bool ok = false;
    const int codigo = textoCodigo.toInt(&ok);
    if (!ok)
        return QStringLiteral("Erro de conversão: '") + textoCodigo +
               QStringLiteral("' não é um valor inteiro válido");
    return mensagemDoCodigo(codigo);
}

QString montaRetorno(int codigo, const QString &texto)
{
    return QString::number(codigo) + QLatin1Char(';') + texto;
}

bool retornoSucesso(const QString &retorno)
{
    return retorno.startsWith(QLatin1Char('0'));
}

int codigoDoRetorno(const QString &retorno)
{
    const int pos = retorno.indexOf(QLatin1Char(';'));
    if (pos < 0)
        return -1;
    bool ok = false;
    const int c = retorno.left(pos).toInt(&ok);
    return ok ? c : -1;
}

} // namespace kelvo
