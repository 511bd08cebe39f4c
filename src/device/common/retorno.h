#pragma once
// The program-wide result of the last device exchange and the table of result
// codes.  A result is a decimal code, ";" and a text; code 0 is success and its
// text carries the data the operation returns.  An exchange that ends without a
// verdict (no answer, line dropped) leaves it empty.

#include <QString>

namespace kelvo {

// Shared by both device generations and their callers.  Every operation empties
// it before it starts.
extern QString RetornoComunicacao;

enum CodigoRetorno : int
{
    RetSucesso = 0,
    RetAbrirPorta = 1,
    RetDataHora = 2,
    RetCodigo = 3,
    RetMatricula = 4,
    RetPIS = 5,
    RetOperacao = 6,
    RetNomeArquivo = 7,
    RetGravarArquivo = 8,
    RetNomeEmpregador = 9,
    RetCpfCnpj = 10,
    RetCEI = 11,
    RetTipoEmpregador = 12,
    RetLocalTrabalho = 13,
    RetSenhaNumeros = 14,
    RetSenhaDigitos = 15,
    RetMrpCheiaDataHora = 16,
    RetErroMrpDataHora = 17,
    RetMtCheia = 18,
    RetMrpCheiaFuncionario = 19,
    RetErroMrpFuncionario = 20,
    RetMrpCheiaEmpresa = 21,
    RetErroMrpEmpresa = 22,
    RetEnvieEmpregador = 23,
    RetMemoriaTemplatesCheia = 24,
    RetLimiteDedos = 25,
    RetApagarTemplates = 26,
    RetNumeroTemplates = 27,
    RetEquipamentoNaoIdentificado = 28,
    RetSemTemplate = 29,
    RetApagarTodasTemplates = 30,
    RetUltimoCodigo = 30
};

// The message the program shows for a code (1 to 30); empty for 0 and any other code.
QString mensagemDoCodigo(int codigo);

// The message shown for a result: "Não houve resposta do terminal" when empty;
// otherwise the code before the first ";" looked up in the table (0 and codes
// above 30 give an empty message); a code that is not an integer gives
// "Erro de conversão: " and the conversion error.  The text after ";" is never shown.
QString MensagemRetorno(const QString &retorno);
inline QString MensagemRetorno()
{
    return MensagemRetorno(RetornoComunicacao);
}

// "code;text".
QString montaRetorno(int codigo, const QString &texto);
// The result counts as success when its first character is "0".
bool retornoSucesso(const QString &retorno);
// The code before the first ";", or -1 when there is none or it is not an integer.
int codigoDoRetorno(const QString &retorno);

} // namespace kelvo
