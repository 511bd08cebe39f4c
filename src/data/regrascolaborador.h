#pragma once
// The employee record rules of the data module's tbColaborador dataset: the
// save rule (PIS filled to 12 digits, required fields, PIS check, duplicates
// of PIS, code, enrolment and proximity card) and the delete rule (a question
// when the employee is on a device roster; fingerprints and roster entries go
// with the employee).  The data module installs them at creation.  With the
// employee mark at 1 (the HR import) the save rule checks nothing.

#include <QString>
#include <functional>

namespace kelvo {

class Dataset;
class TdmDados;

// Save rule; false refuses (its message was shown, or ds.erro() holds the
// database error of a lookup).  The record stays in editing.
bool tbColaboradorBeforePost(TdmDados &dm, Dataset &ds);
// Delete rule: false when the user answers No to the roster question.
bool tbColaboradorBeforeDelete(TdmDados &dm, Dataset &ds);
// After the row is gone: its fingerprints and roster entries (best effort).
void tbColaboradorAfterDelete(TdmDados &dm, Dataset &ds);

// Plugs the rules (and the insert/edit bookkeeping) into dm.tbColaborador.
void instalaRegrasColaborador(TdmDados &dm);

// The employee window sets this while open: the code box takes the focus when
// the code belongs to another active employee.
extern std::function<void()> focaCodigoColaborador;

// Suspends the employee save rules (employee mark 1) for a scope.
class MarcaColaboradorNoEscopo
{
public:
    explicit MarcaColaboradorNoEscopo(TdmDados &dm, int marca = 1);
    ~MarcaColaboradorNoEscopo();
    MarcaColaboradorNoEscopo(const MarcaColaboradorNoEscopo &) = delete;
    MarcaColaboradorNoEscopo &operator=(const MarcaColaboradorNoEscopo &) = delete;

private:
    TdmDados &m_dm;
    int m_anterior;
};

} // namespace kelvo
