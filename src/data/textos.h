#pragma once
// Check digits of CPF, CNPJ and PIS, digit extraction, zero filling, the
// case-insensitive replace, cut-and-pad, the version text and the date in words.
// Stateless; every routine works on the text it is given.

#include <QDate>
#include <QString>

namespace kelvo {

QString DigitosCPF(const QString &base9);
QString DigitosCNPJ(const QString &base12);
bool ValidaCPF(const QString &texto);
bool ValidaCNPJ(const QString &texto);
bool ValidaPIS(const QString &texto);
QString ExtraiNumeros(const QString &texto);
QString NumeroComZeros(const QString &texto, int largura);
bool IguaisSemZeros(const QString &a, const QString &b);

// Replaces every occurrence of `procurado` (case-insensitive).  A replacement
// that itself contains the searched text would never end: such a call leaves the
// text unchanged and sets *recusado when given.
QString SubstituiTexto(const QString &procurado, const QString &substituto, const QString &texto,
                       bool *recusado = nullptr);

enum class Lado { Esquerda, Direita };
QString CompletaTexto(const QString &texto, int tamanho, Lado lado, const QString &preenchimento);

// "major.minor.build" of this build, as set in CMake.
QString VersaoPrograma();
QString DataPorExtenso(const QDate &data = QDate::currentDate());

} // namespace kelvo
