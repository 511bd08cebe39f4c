#pragma once
// sistema.INI: a Windows-style INI file whose section and key names match
// without regard to case.  Every write reaches the file at once.  Values that
// cannot be read as asked (an integer that is not a number) give the default.

#include <QString>
#include <QStringList>
#include <memory>

namespace kelvo {

class ArquivoIni
{
public:
    explicit ArquivoIni(const QString &caminho);
    ~ArquivoIni();
    ArquivoIni(const ArquivoIni &) = delete;
    ArquivoIni &operator=(const ArquivoIni &) = delete;

    QString caminho() const { return m_caminho; }

    bool existe(const QString &secao, const QString &chave) const;
    QString leTexto(const QString &secao, const QString &chave, const QString &padrao = QString()) const;
    int leInteiro(const QString &secao, const QString &chave, int padrao) const;
    // "1"/"0"; any other whole number counts as true when not 0.
    bool leBooleano(const QString &secao, const QString &chave, bool padrao) const;
    QStringList chaves(const QString &secao) const;

    // Each write saves the file; false when it could not be written.
    bool escreveTexto(const QString &secao, const QString &chave, const QString &valor);
    bool escreveInteiro(const QString &secao, const QString &chave, int valor);
    bool escreveBooleano(const QString &secao, const QString &chave, bool valor);

    // Reads the file again (another process may have changed it).
    void recarrega();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    QString m_caminho;
    bool salva();
};

// Base64 of the masked account (standard alphabet, "=" fill).  Text that is
// not valid Base64 decodes to an empty text.
QString codificaBase64(const QString &texto);
QString decodificaBase64(const QString &texto);

} // namespace kelvo
