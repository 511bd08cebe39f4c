#include "data/regrasempresa.h"

#include "data/dataset.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/textos.h"

#include <memory>

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

void tbEmpresaAfterPost(TdmDados &dm, Dataset &ds, bool eraInsercao)
{
    Q_UNUSED(dm);
    if (!eraInsercao)
        return;
    // The dataset holds the key the server generated for this very insert.
    const int chave = ds.inteiro(QStringLiteral("idempresa"));
    if (chave > 0)
        ds.abre({{QStringLiteral("pidempresa"), chave}});
}

void instalaRegrasEmpresa(TdmDados &dm)
{
    Dataset *ds = dm.tbEmpresa;
    // Whether the save in progress is an insert: known before the post, needed after it.
    auto inserindo = std::make_shared<bool>(false);
    ds->antesGravar = [&dm, inserindo](Dataset &d) {
        *inserindo = d.estado() == Dataset::Estado::Inserindo;
        return tbEmpresaBeforePost(dm, d);
    };
    ds->aposGravar = [&dm, inserindo](Dataset &d) {
        const bool eraInsercao = *inserindo;
        *inserindo = false;
        tbEmpresaAfterPost(dm, d, eraInsercao);
    };
}

MarcaEmpresaNoEscopo::MarcaEmpresaNoEscopo(TdmDados &dm, int marca) : m_dm(dm), m_anterior(dm.marcaEmpresa)
{
    m_dm.marcaEmpresa = marca;
}

MarcaEmpresaNoEscopo::~MarcaEmpresaNoEscopo() { m_dm.marcaEmpresa = m_anterior; }

} // namespace kelvo
