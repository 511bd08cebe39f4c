#pragma once
// The company record rules of the data module's tbEmpresa dataset: the save
// rule (CPF/CNPJ check, then the required fields) and the after-save rule that
// makes a new company the current record by the key its insert generated.
//
// The data module installs them once at creation:
//     instalaRegrasEmpresa(dm);
// (idempotent; the employer transfer installs them too before it writes).

#include <QString>

namespace kelvo {

class Dataset;
class TdmDados;

// The CPF/CNPJ check of the company save rule: the value, with "0" added in
// front until it has 14 characters (never cut), is a valid CNPJ, or its last 11
// characters are a valid CPF.  Only the check sees the padding: the stored
// value stays as typed.
bool CpfCnpjEmpresaValido(const QString &cpfcnpj);

// Company save rule.  With a cpfcnpj and the company mark at 0, an invalid
// CPF/CNPJ shows "CPF/CNPJ inválido!" (information) and refuses; then the
// required-fields rule.  A refusal keeps the record in editing.
bool tbEmpresaBeforePost(TdmDados &dm, Dataset &ds);

// Company after-save rule: a record just inserted is re-opened on the key the
// insert itself returned (not the greatest key of the table, which is another
// workstation's row when two insert at once).
void tbEmpresaAfterPost(TdmDados &dm, Dataset &ds);

// Plugs both rules into dm.tbEmpresa.
void instalaRegrasEmpresa(TdmDados &dm);

// Switches the CPF/CNPJ check off (company mark 1) for a scope and restores the
// previous mark however the scope ends.
class MarcaEmpresaNoEscopo
{
public:
    explicit MarcaEmpresaNoEscopo(TdmDados &dm, int marca = 1);
    ~MarcaEmpresaNoEscopo();
    MarcaEmpresaNoEscopo(const MarcaEmpresaNoEscopo &) = delete;
    MarcaEmpresaNoEscopo &operator=(const MarcaEmpresaNoEscopo &) = delete;

private:
    TdmDados &m_dm;
    int m_anterior;
};

} // namespace kelvo
