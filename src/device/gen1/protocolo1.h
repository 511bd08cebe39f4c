#pragma once
// First-generation REP protocol: step codes and names, fixed-width request
// fields, checksums, request bytes, reply parsing and the result texts.  Plain
// functions; the engine (motorv1.h) does the I/O.

#include "data/textos.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace kelvo::v1 {

// Exchange steps; the number is written in the time-out trace line.
enum Comando : int
{
    SEM_COMANDO = 0,
    CMD_STATUS = 101,
    CMD_ACERTADH = 102,
    CMD_ENVIAFUNC = 103,
    CMD_LEITURAMT = 105,
    CMD_ENVIAEMP = 106,
    CMD_COLETASTATUS = 107,
    CMD_COLETAMRP = 109,
    CMD_COLETACACHESTATUS = 110,
    CMD_COLETACACHE = 111,
    CMD_INICIASERIAL = 112,
    CMD_RECEBEEMP = 116,
    CMD_INICIAENVIABIO = 117,
    CMD_ENVIABIO = 118,
    CMD_RECEBEBIO = 119,
    CMD_RECEBENUMTEMPLATES = 120,
    CMD_APAGATEMPLATES = 123,
    CMD_LISTATEMPLATES = 124,
};

// "CMD_STATUS", ...; "não sei " + number for a code without a name.
QString nomeComando(int comando);
// The title the exchange window shows for a step; null for steps that keep the
// current title (CMD_INICIASERIAL, CMD_ENVIABIO).
QString tituloComando(int comando);

constexpr int TamanhoBufferResposta = 4096;
constexpr char ByteDespertar = '#';
constexpr char ByteProntoDespertar = '!';

// --- Fixed-width fields -------------------------------------------------------

// A text longer than the width keeps its last characters; then it is padded to
// the width with `preenchimento` on the given side (kelvo::CompletaTexto).
QString campoFixo(const QString &texto, int largura, Lado lado, const QString &preenchimento);
// A number field: cut, then "0" on the left.  Empty becomes all zeros.
QString campoNumero(const QString &texto, int largura);
// A text field: the value followed by ";", cut, then spaces on the right.
// With `terminadorOpcional`, a value that exactly fills the width is sent
// without its ";" (the field's end marks the value's end) instead of losing its
// first character.
QString campoTexto(const QString &texto, int largura, bool terminadorOpcional = false);

// Sum of the bytes modulo 256 as four upper-case hexadecimal digits ("00C3").
QByteArray somaVerificacao(const QByteArray &carga);

// --- Requests --------------------------------------------------------------

QByteArray pedidoStatus();           // "TCM"
QByteArray pedidoLeituraMT();        // "LMT"
QByteArray pedidoRecebeEmpregador(); // "PME"
// "CLK" + ss nn hh dw dd mm yy + checksum: 21 bytes.  dw 01 = Sunday .. 07 = Saturday.
QByteArray pedidoAcertaDataHora(const QDateTime &dataHora);
// "FU" + N/A/E + code(6, "0" right) matrícula(8) PIS(12) name;(52) CR LF + checksum: 87 bytes.
QByteArray pedidoFuncionario(const QString &codigo, const QString &matricula, const QString &pis,
                             const QString &nome, int acao);
// "EM" + P/F + name;(150) CPF/CNPJ(14) CEI(12) workplace;(100) CR LF + checksum: 285 bytes.
// A name of exactly 150 or a workplace of exactly 100 characters is sent whole,
// without its ";".
QByteArray pedidoEmpregador(const QString &nome, const QString &cpfcnpj, const QString &cei,
                            const QString &local, int tipo);

// --- Input checks (result text, or empty when the input is good) -------------

// Joins the six texts as day/month/year hour:minute:second and reads them in
// day-month-year order; false when that is not a valid date and time.  A year
// below 100 is taken as 2000 + year.
bool converteDataHora(const QString &dia, const QString &mes, const QString &ano, const QString &hora,
                      const QString &minuto, const QString &segundo, QDateTime *resultado);
QString verificaFuncionario(const QString &codigo, const QString &matricula, const QString &pis, int acao);
QString verificaEmpregador(const QString &nome, const QString &cpfcnpj, const QString &cei,
                           const QString &local, int tipo);

// --- Replies -----------------------------------------------------------------

// The status reply (50 or 52 bytes).
struct StatusV1
{
    QString segundos, minutos, horas, dia, mes, ano; // two digits each, as sent
    quint16 tamanhoCache = 0;                        // bytes 15-16, most significant first
    quint32 ponteiroMRP = 0;                         // bytes 17-20, most significant first
    QString nsr;                                     // 9 digits
    QString numeroSerie;                             // 17 characters: the REP number
    quint16 bateria = 0;
};
bool statusCompleto(int contagem); // 50 or 52
bool interpretaStatus(const QByteArray &resposta, StatusV1 *status);
// "0;dd/mm/yy hh:nn:ss;NSR;serial;"
QString retornoStatus(const StatusV1 &status);

// The employer reply (279 bytes).
struct EmpregadorV1
{
    int tipo = 2;    // 1 = CNPJ, 2 = CPF
    QString nome;    // 150, ";" read as blanks
    QString cpfcnpj; // 14
    QString cei;     // 12
    QString local;   // 100
};
constexpr int TamanhoRespostaEmpregador = 279;
bool interpretaEmpregador(const QByteArray &resposta, EmpregadorV1 *empregador);
// "0;" + tipo + "|" + nome + "|" + cpfcnpj + "|" + cei + "|" + local; or
// "23;Envie o empregador" when the device holds no employer (CPF/CNPJ all zeros).
QString retornoEmpregador(const EmpregadorV1 &empregador);
bool empregadorAusente(const EmpregadorV1 &empregador);

// The 3-byte answers to the clock, employee and employer requests; empty when
// the reply is none of the listed answers (no verdict).
QString respostaAcertaDataHora(const QByteArray &resposta);
QString respostaFuncionario(const QByteArray &resposta);
QString respostaEmpregador(const QByteArray &resposta);

} // namespace kelvo::v1
