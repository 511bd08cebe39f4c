#include "data/arquivoini.h"

#include "data/cp1252.h"

#include <QByteArray>
#include <QFile>
// Plain bytes: the file is read and written as UTF-8 text without conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace kelvo {

// Section and key names compare without regard to (ASCII) case.
using IniSemCaixa = CSimpleIniTempl<char, SI_GenericNoCase<char>, SI_ConvertA<char>>;

struct ArquivoIni::Impl
{
    IniSemCaixa ini{false, false, false};
};

ArquivoIni::ArquivoIni(const QString &caminho) : d(std::make_unique<Impl>()), m_caminho(caminho)
{
    recarrega();
}

ArquivoIni::~ArquivoIni() = default;

void ArquivoIni::recarrega()
{
    d->ini.Reset();
    d->ini.SetUnicode(true);
    d->ini.SetSpaces(false);
    if (QFile::exists(m_caminho))
        d->ini.LoadFile(QFile::encodeName(m_caminho).constData());
}

bool ArquivoIni::existe(const QString &secao, const QString &chave) const
{
    return d->ini.GetValue(secao.toUtf8().constData(), chave.toUtf8().constData(), nullptr) != nullptr;
}

QString ArquivoIni::leTexto(const QString &secao, const QString &chave, const QString &padrao) const
{
    const char *v = d->ini.GetValue(secao.toUtf8().constData(), chave.toUtf8().constData(), nullptr);
    return v ? QString::fromUtf8(v) : padrao;
}

int ArquivoIni::leInteiro(const QString &secao, const QString &chave, int padrao) const
{
    const QString v = leTexto(secao, chave).trimmed();
    if (v.isEmpty())
        return padrao;
    bool ok = false;
    int r = v.toInt(&ok);
    if (!ok && (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) || v.startsWith(QLatin1Char('$'))))
        r = v.mid(v.startsWith(QLatin1Char('$')) ? 1 : 2).toInt(&ok, 16);
    return ok ? r : padrao;
}

bool ArquivoIni::leBooleano(const QString &secao, const QString &chave, bool padrao) const
{
    return leInteiro(secao, chave, padrao ? 1 : 0) != 0;
}

QStringList ArquivoIni::chaves(const QString &secao) const
{
    IniSemCaixa::TNamesDepend nomes;
    d->ini.GetAllKeys(secao.toUtf8().constData(), nomes);
    nomes.sort(IniSemCaixa::Entry::LoadOrder());
    QStringList r;
    for (const auto &n : nomes)
        r << QString::fromUtf8(n.pItem);
    return r;
}

bool ArquivoIni::escreveTexto(const QString &secao, const QString &chave, const QString &valor)
{
    d->ini.SetValue(secao.toUtf8().constData(), chave.toUtf8().constData(), valor.toUtf8().constData());
    return salva();
}

bool ArquivoIni::escreveInteiro(const QString &secao, const QString &chave, int valor)
{
    return escreveTexto(secao, chave, QString::number(valor));
}

bool ArquivoIni::escreveBooleano(const QString &secao, const QString &chave, bool valor)
{
    return escreveTexto(secao, chave, valor ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ArquivoIni::salva()
{
    return d->ini.SaveFile(QFile::encodeName(m_caminho).constData(), false) >= 0;
}

// The account is encoded as the Windows program did: its cp1252 bytes.
QString codificaBase64(const QString &texto) { return QString::fromLatin1(paraCp1252(texto).toBase64()); }

QString decodificaBase64(const QString &texto)
{
    const QByteArray in = texto.trimmed().toLatin1();
    if (in.isEmpty())
        return QString();
    auto r = QByteArray::fromBase64Encoding(in, QByteArray::AbortOnBase64DecodingErrors);
    if (!r)
        return QString();
    // Strict: the length must be a multiple of four with "=" fill.
    if (in.size() % 4 != 0)
        return QString();
    return deCp1252(*r);
}

} // namespace kelvo
