#pragma once
// The AFD file of a collection, built the same way for both device
// generations: the stored memory pages of the device (in page order) followed by
// the cache text, split into lines, restricted to a period when asked, checked,
// and written as header + lines + trailer in cp1252 bytes.
//
// An engine ends its collection with
//     RetornoComunicacao = GeraAFD(pedido, armazem);
// which is "0;AFD gerado com sucesso" or a failure result.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kelvo {

class ArmazemPaginas;

inline const QString &retornoAFDGerado()
{
    static const QString t = QStringLiteral("0;AFD gerado com sucesso");
    return t;
}

// Length of a complete record of type 2 (299), 3 (34), 4 (34) or 5 (87); 0 for
// the other types, whose length is not known.
int tamanhoRegistroAFD(QChar tipo);

// Record type of a line: the character at position 10, or a null character.
QChar tipoRegistroAFD(const QString &linha);

// Splits at CR LF, lone CR or lone LF.  A text that ends with a line break gives
// no empty piece after it; `terminaEmQuebra` tells whether it did.
QStringList divideLinhasAFD(const QString &texto, bool *terminaEmQuebra = nullptr);

// A record of a known type that is shorter than its complete length: the end of
// the memory read so far cuts through it; the next collection completes it.
bool registroInacabado(const QString &linha);

// "yyyymmdd" from characters 15-18, 13-14 and 11-12.
QString chaveDataAFD(const QString &linha);
bool linhaNoPeriodo(const QString &linha, const QDate &inicio, const QDate &fim);

// Day, month, year, hour, minute at positions pos..pos+11 (1-based pos) of the
// line ("ddmmyyyyhhnn") form a real date and time.
bool dataHoraAFDValida(const QString &linha, int pos);

// Position 10 a digit; types 2, 3 and 5 with a valid date-time at 11-22, type 4
// also at 23-34; other types unchecked.
bool linhaAFDValida(const QString &linha);

struct EmpregadorAFD
{
    QString tipo; // "1" CNPJ, "2" CPF (as read from the device)
    QString cpfcnpj;
    QString cei;
    QString nome;
};

struct FiltroPeriodo
{
    bool ativo = false;
    QDate inicio;
    QDate fim;
};

struct ContadoresAFD
{
    int tipo2 = 0;
    int tipo3 = 0;
    int tipo4 = 0;
    int tipo5 = 0;
    int total() const { return tipo2 + tipo3 + tipo4 + tipo5; }
};

QString cabecalhoAFD(const EmpregadorAFD &empregador, const QString &numeroSerie,
                     const QString &primeiraLinha, const QString &ultimaLinha, const QDateTime &agora);
QString trailerAFD(const ContadoresAFD &contadores);

struct ConteudoAFD
{
    QStringList linhas; // the kept records, in order
    ContadoresAFD contadores;
    QString texto; // header, lines and trailer with CR LF; empty when no line is kept
};

// The pure assembly: text of the pages followed by the cache.
ConteudoAFD montaAFD(const QString &textoMemoria, const EmpregadorAFD &empregador, const QString &numeroSerie,
                     const FiltroPeriodo &filtro, const QDateTime &agora = QDateTime::currentDateTime());

// Writes the bytes so that the named file is either the complete new file or
// untouched (temporary file in the same folder, then renamed).  Empty on
// success, else "8;Não foi possível gravar o arquivo. Mensagem: " + reason.
QString gravaArquivoAFD(const QString &arquivo, const QByteArray &bytes);

struct PedidoAFD
{
    QString arquivo;
    FiltroPeriodo filtro;
    EmpregadorAFD empregador;
    QString numeroSerie; // as the device reports it; keys the stored pages
    QString cache;       // the cache text, without its 2 trailing bytes
};

// Builds and writes the file from the given pages' text; "0;AFD gerado com
// sucesso" or a failure result.  `conteudo`, when given, receives what was built.
QString GeraAFD(const PedidoAFD &pedido, const QString &textoPaginas, ConteudoAFD *conteudo = nullptr);
// The same, reading the device's stored pages through the page store (its own
// short-lived connection).  A database failure is a failure result (code 8).
QString GeraAFD(const PedidoAFD &pedido, const ArmazemPaginas &armazem, ConteudoAFD *conteudo = nullptr);

// What the last AFD build leaves for the caller of the collection, read after
// the engine has finished: the device's serial number the pages are stored
// under, and the cache text that the stored routines split into AFD lines.
// GeraAFD fills it; the collection flow clears it before it starts.
struct UltimaColetaAFD
{
    bool gerado = false; // the file was written
    QString numeroSerie;
    QString cache;
    QString arquivo;
    ContadoresAFD contadores;
    int linhas = 0;
};
UltimaColetaAFD &ultimaColetaAFD();

// The work file of the assembly in the program folder.
QString arquivoMrpTmp();

} // namespace kelvo
