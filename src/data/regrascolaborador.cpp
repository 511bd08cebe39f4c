#include "data/regrascolaborador.h"

#include "data/dataset.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/textos.h"

namespace kelvo {

std::function<void()> focaCodigoColaborador;

namespace {

const QString &cPis()
{
    static const QString s = QStringLiteral("pis");
    return s;
}

// A count of the save rule; -1 when the lookup failed (the error goes to ds).
int conta(TdmDados &dm, Dataset &ds, const QString &sql, const QVariantHash &parametros)
{
    ErroBanco e;
    const QVariant v = dm.valor(sql, parametros, &e);
    if (!e.ok()) {
        ds.defineErro(e);
        return -1;
    }
    return v.toInt();
}

} // namespace

bool tbColaboradorBeforePost(TdmDados &dm, Dataset &ds)
{
    if (dm.marcaColaborador == 1)
        return true;
    const bool inserindo = ds.estado() == Dataset::Estado::Inserindo;

    // 1. The PIS is always kept with 12 digits.
    QString pis = ds.texto(cPis());
    while (pis.size() < 12)
        pis.prepend(QLatin1Char('0'));
    ds.defineValor(cPis(), pis);
    pis = ds.texto(cPis());

    // 2. Required fields.
    if (!dm.VerificaCamposBeforePost(ds))
        return false;

    // 3. Name.
    if (ds.texto(QStringLiteral("nome")).isEmpty()) {
        avisa(QStringLiteral("Campo nome do colaborador é obrigatório!"));
        return false;
    }

    // 4. PIS check digit on its last 11 digits.
    if (!ValidaPIS(pis.mid(1, 11))) {
        informa(QStringLiteral("Campo PIS inválido."));
        return false;
    }

    // 5. Another employee with this PIS.
    Dataset &porPis = *dm.qyLocalizaColaboradorPis;
    if (!porPis.abre({{QStringLiteral("ppis"), pis}})) {
        ds.defineErro(porPis.erroBanco());
        return false;
    }
    const bool pisDeOutro = porPis.registros() > 1 ||
                            (porPis.registros() == 1 && (ds.nulo(QStringLiteral("idcolaborador")) ||
                                                         porPis.inteiro(QStringLiteral("idcolaborador")) !=
                                                             ds.inteiro(QStringLiteral("idcolaborador"))));
    porPis.fecha();
    if (pisDeOutro) {
        informa(QStringLiteral("Já existe colaborador cadastrado com o PIS informado."));
        return false;
    }

    // 6. The code of an active employee with another PIS.
    const QString codigo = ds.texto(QStringLiteral("codigo"));
    if (!codigo.isEmpty() && codigo != QLatin1String("000000")) {
        Dataset &porCodigo = *dm.qyLocalizaColaboradorCodigo;
        if (!porCodigo.abre({{QStringLiteral("pcodigo"), codigo}, {QStringLiteral("ppis"), pis}})) {
            ds.defineErro(porCodigo.erroBanco());
            return false;
        }
        const bool usado = !porCodigo.vazio();
        porCodigo.fecha();
        if (usado) {
            if (focaCodigoColaborador)
                focaCodigoColaborador();
            informa(QStringLiteral("Já existe colaborador cadastrado com o CÓDIGO (ibutton)  informado."));
            return false;
        }
    }

    // The PIS the record had in the database, else the one typed.
    const QString pisComparado = dm.pisAnterior.isEmpty() ? pis : dm.pisAnterior;

    // 7. Same code, any other employee.
    if (!codigo.trimmed().isEmpty()) {
        const int total =
            conta(dm, ds,
                  QStringLiteral("select count(*) as total from tbcolaborador where codigo = :pcodigo "
                                 "and pis <> :ppis"),
                  {{QStringLiteral("pcodigo"), codigo}, {QStringLiteral("ppis"), pisComparado}});
        if (total < 0)
            return false;
        if (total > 0) {
            avisa(QStringLiteral(
                "Existe outro colaborador cadastrado com mesmo código (ibutton). Favor verificar."));
            return false;
        }
    }

    // 8. Same enrolment.
    {
        const int total =
            conta(dm, ds,
                  QStringLiteral("select count(*) as total from tbcolaborador where matricula = "
                                 ":pmatricula and pis <> :ppis"),
                  {{QStringLiteral("pmatricula"), ds.texto(QStringLiteral("matricula"))},
                   {QStringLiteral("ppis"), pisComparado}});
        if (total < 0)
            return false;
        if (total > 0) {
            avisa(
                QStringLiteral("Existe outro colaborador cadastrado com mesma matrícula. Favor verificar."));
            return false;
        }
    }

    // 9. A changed (or new) PIS or proximity card already in use.
    if (inserindo || pis != dm.pisAnterior) {
        const int total =
            conta(dm, ds, QStringLiteral("select count(*) as total from tbcolaborador where pis = :ppis"),
                  {{QStringLiteral("ppis"), pis}});
        if (total < 0)
            return false;
        if (total > 0) {
            avisa(QStringLiteral("Existe outro colaborador cadastrado com mesmo pis. Favor verificar."));
            return false;
        }
    }
    const QString proximidade = ds.texto(QStringLiteral("proximidade"));
    // An employee without a card does not collide with the others without one.
    if (!proximidade.isEmpty() && (inserindo || proximidade != dm.proximidadeAnterior)) {
        const int total =
            conta(dm, ds,
                  QStringLiteral("select count(*) as total from tbcolaborador where proximidade = "
                                 ":pproximidade"),
                  {{QStringLiteral("pproximidade"), proximidade}});
        if (total < 0)
            return false;
        if (total > 0) {
            avisa(QStringLiteral(
                "Existe outro colaborador cadastrado com mesmo cartão proximidade. Favor verificar."));
            return false;
        }
    }
    return true;
}

bool tbColaboradorBeforeDelete(TdmDados &dm, Dataset &ds)
{
    ErroBanco e;
    const QVariant total =
        dm.valor(QStringLiteral("select count(*) as total from tbcolabrep where pis = :ppis"),
                 {{QStringLiteral("ppis"), ds.texto(cPis())}}, &e);
    if (e.ok() && total.toInt() > 0) {
        const QString texto =
            QStringLiteral("Esse colaborador foi enviado para o REP. Se você o excluir, o sistema perderá o "
                           "sincronismo do cadastro do colaborador com o(s) REP(s). Porém, para sincronizar "
                           "novamente, basta você receber a lista de colaboradores do REP. ") +
            QLatin1Char('\r') + QStringLiteral("Deseja continuar?");
        if (!pergunta(texto))
            return false;
    }
    return true;
}

void tbColaboradorAfterDelete(TdmDados &dm, Dataset &ds)
{
    // Only once the employee row is gone, so a refused delete loses nothing.
    dm.executa(QStringLiteral("delete from tbdigital where idcolaborador = :pidcolaborador"),
               {{QStringLiteral("pidcolaborador"), ds.valorAntigo(QStringLiteral("idcolaborador"))}});
    dm.executa(QStringLiteral("delete from tbcolabrep where pis = :ppis"),
               {{QStringLiteral("ppis"), ds.valorAntigo(cPis())}});
}

void instalaRegrasColaborador(TdmDados &dm)
{
    Dataset *ds = dm.tbColaborador;
    ds->antesInserir = [&dm](Dataset &) {
        dm.pisAnterior.clear();
        dm.proximidadeAnterior.clear();
    };
    ds->aposInserir = [](Dataset &d) { d.defineValor(QStringLiteral("demitido"), QStringLiteral("N")); };
    ds->antesEditar = [&dm](Dataset &d) {
        dm.pisAnterior = d.texto(cPis());
        dm.proximidadeAnterior = d.texto(QStringLiteral("proximidade"));
    };
    ds->antesGravar = [&dm](Dataset &d) { return tbColaboradorBeforePost(dm, d); };
    ds->antesExcluir = [&dm](Dataset &d) { return tbColaboradorBeforeDelete(dm, d); };
    ds->aposExcluir = [&dm](Dataset &d) { tbColaboradorAfterDelete(dm, d); };
}

MarcaColaboradorNoEscopo::MarcaColaboradorNoEscopo(TdmDados &dm, int marca)
    : m_dm(dm), m_anterior(dm.marcaColaborador)
{
    m_dm.marcaColaborador = marca;
}

MarcaColaboradorNoEscopo::~MarcaColaboradorNoEscopo()
{
    m_dm.marcaColaborador = m_anterior;
}

} // namespace kelvo
