#pragma once
// The second-generation REP wire: request frames, check values, field layouts and
// reply parsing.  Plain functions, no I/O; the engine (MotorRep2) and the
// simulator both build on them.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelvo::rep2 {

// Sizes of the fixed replies.
constexpr int TamanhoStatus = 50; // also accepted: 52
constexpr int TamanhoStatusLongo = 52;
constexpr int TamanhoEmpregador = 279;
constexpr int TamanhoResposta = 3; // "!OK", "!MR", ...
constexpr int TamanhoContaTemplates = 6;
constexpr int TamanhoTemplate = 384;

// Employer field widths on the wire.
constexpr int LarguraNomeEmpregador = 150;
constexpr int LarguraCpfCnpj = 14;
constexpr int LarguraCei = 12;
constexpr int LarguraLocal = 100;

// "$" + command text: the frame as it goes on the wire.
QByteArray quadro(const QByteArray &comando);

// Check value of a text payload: the byte sum modulo 256 as four upper-case
// hexadecimal digits ("00" + two digits).
QByteArray checkTexto(const QByteArray &payload);
// Body check of a template: 8-bit sum as two upper-case hexadecimal digits.
QByteArray checkCorpoTemplate(const QByteArray &corpo);

// Two decimal digits in one byte, tens in the high nibble.
quint8 codigoBCD(int doisDigitos);
// Enrolment left-padded with "0" to 8 digits, as four BCD bytes, least
// significant pair first ("12345678" -> 78 56 34 12).  nullopt when the text
// (after padding) is not 8 decimal digits.
std::optional<QByteArray> matriculaBCD(const QString &matricula);
// Enrolment digits from BCD bytes that arrived least significant pair first.
QString matriculaDeBCD(const QByteArray &quatroBytes);

// --- Requests (the command text that follows the frame's "$") -------------

QByteArray requisicaoStatus(bool abertura); // "$#TCM" opening, "#TCM" otherwise
// Clock payload: ssnnhh, weekday (Sunday "01" .. Saturday "07"), ddmmyy.
QByteArray payloadRelogio(const QDateTime &momento);
QByteArray requisicaoRelogio(const QDateTime &momento);
// Six texts -> date-time; nullopt when one is not a number or the moment does not exist.
std::optional<QDateTime> montaDataHora(const QString &dia, const QString &mes, const QString &ano,
                                       const QString &hora, const QString &minuto, const QString &segundo);

// Employer: tipo 0 = CNPJ ("#EMP"), 1 = CPF ("#EMF").  Fields are cut and padded
// here; the size checks belong to the caller (verificaEmpregador).
QByteArray payloadEmpregador(const QString &nome, const QString &cpfCnpj, const QString &cei,
                             const QString &local, int tipo);
QByteArray requisicaoEmpregador(const QString &nome, const QString &cpfCnpj, const QString &cei,
                                const QString &local, int tipo);
// The first failing size/type check as a result text, or empty when all pass.
QString verificaEmpregador(const QString &nome, const QString &cpfCnpj, const QString &cei,
                           const QString &local, int tipo);

// Employee: acao 0 include ("N"), 1 change ("A"), 2 exclude ("E").
char letraAcao(int acao); // 0 for an action outside 0..2
QByteArray payloadFuncionario(const QString &codigo, const QString &matricula, const QString &pis,
                              const QString &nome);
QByteArray requisicaoFuncionario(const QString &codigo, const QString &matricula, const QString &pis,
                                 const QString &nome, int acao);

// "Incrementar Pis" of the employee page: the PIS increased by one (12 digits)
// and the enrolment set to the same number with at least 6 digits.  nullopt
// when the PIS is not a number.
struct PisIncrementado
{
    QString pis;
    QString matricula;
};
std::optional<PisIncrementado> incrementaPis(const QString &pis);

QByteArray requisicaoSenha(const QString &senha);
// Empty when the password may be sent; else the error box text.
QString verificaSenha(const QString &senha);

// Template commands; enrolment already validated (matriculaBCD).
QByteArray requisicaoLeTemplate(const QByteArray &bcd, quint8 dedo);
QByteArray requisicaoContaTemplates(const QByteArray &bcd);
QByteArray requisicaoApagaTemplates(const QByteArray &bcd);
QByteArray requisicaoListaTemplates(quint8 indice);
// Header of a template write: 40 07, enrolment, 80 01 00 00 71, header check.
QByteArray cabecalhoGravaTemplate(const QByteArray &bcd);
// "#WTL" + header + LF [+ body + body check]; without a body the request ends at the LF.
QByteArray requisicaoGravaTemplate(const QByteArray &bcd, const std::optional<QByteArray> &corpo);

// Template file: lines of hexadecimal digits, every pair one byte.  nullopt
// when a line holds anything but hexadecimal digit pairs.
std::optional<QByteArray> corpoDeTextoHex(const QByteArray &conteudoArquivo);
QByteArray textoHex(const QByteArray &bytes); // upper-case, no separators

// Send-trace line: "hh:nn:ss,zzz  -  " + each byte as two hex digits and a blank.
QString linhaTracoEnvio(const QByteArray &bytesEnviados, const QTime &hora);

// --- Replies ---------------------------------------------------------------

struct StatusRep2
{
    QString dataHora;     // "dd/mm/yy hh:nn:ss"
    quint16 cache = 0;    // cache byte count
    quint32 ponteiro = 0; // memory end pointer
    QString nsr;          // 9 digits
    QString serial;       // 17 characters
    quint16 bateria = 0;

    QString resultado() const; // "0;" + data/hora + ";" + NSR + ";" + serial + ";"
    QStringList linhas() const;
};
// A status reply is complete at exactly 50 or 52 bytes.
bool statusCompleto(int recebidos);
StatusRep2 interpretaStatus(const QByteArray &resposta); // needs >= 48 bytes

struct EmpregadorRep2
{
    int tipo = 2; // 1 CNPJ, 2 CPF
    QString nome;
    QString cpfCnpj;
    QString cei;
    QString local;

    bool vazio() const { return cpfCnpj == QLatin1String("00000000000000"); }
    QString resultado() const; // "0;" + tipo + "|" + nome + "|" + ...; "23;Envie o empregador" when vazio
    QStringList linhas() const;
};
EmpregadorRep2 interpretaEmpregador(const QByteArray &resposta); // needs 277 bytes

// Template count reply (6 bytes): bytes 0..3 as decimal numbers of at least two
// digits, concatenated, shown without leading zeros.
QString numeroTemplates(const QByteArray &resposta);

// A template-read reply holds n templates when its size is 384*n + 2 (n >= 1).
int templatesNaResposta(int recebidos);

} // namespace kelvo::rep2
