#include "data/regrasempresa.h"

#include "data/dataset.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/textos.h"

namespace kelvo {

bool CpfCnpjEmpresaValido(const QString &cpfcnpj)
{
    QString numero = cpfcnpj;
    while (numero.size() < 14)
        numero.prepend(QLatin1Char('0'));
    const QString cpf = numero.right(11);
    return ValidaCNPJ(numero) || ValidaCPF(cpf);
}

bool tbEmpresaBeforePost(TdmDados &dm, Dataset &ds)
{
    const QString cpfcnpj = ds.texto(QStringLiteral("cpfcnpj"));
    if (!cpfcnpj.isEmpty() && dm.marcaEmpresa == 0 && !CpfCnpjEmpresaValido(cpfcnpj)) {
        informa(QStringLiteral("CPF/CNPJ inválido!"));
        return false;
    }
    return dm.VerificaCamposBeforePost(ds);
}

void tbEmpresaAfterPost(TdmDados &dm, Dataset &ds)
{
    Q_UNUSED(dm);
    if (!ds.ultimaGravacaoFoiInsercao())
        return;
    // The dataset holds the key the server generated for this very insert.
    const int chave = ds.inteiro(QStringLiteral("idempresa"));
    if (chave > 0)
        ds.abre({{QStringLiteral("pidempresa"), chave}});
}

void instalaRegrasEmpresa(TdmDados &dm)
{
    dm.tbEmpresa->antesGravar = [&dm](Dataset &d) { return tbEmpresaBeforePost(dm, d); };
    dm.tbEmpresa->aposGravar = [&dm](Dataset &d) { tbEmpresaAfterPost(dm, d); };
}

MarcaEmpresaNoEscopo::MarcaEmpresaNoEscopo(TdmDados &dm, int marca) : m_dm(dm), m_anterior(dm.marcaEmpresa)
{
    m_dm.marcaEmpresa = marca;
}

MarcaEmpresaNoEscopo::~MarcaEmpresaNoEscopo()
{
    m_dm.marcaEmpresa = m_anterior;
}

} // namespace kelvo
