#include "data/atualizabanco.h"

#include "data/criabanco.h"
#include "data/interacao.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace kelvo {

namespace {

QString textoErro(const QSqlError &e)
{
    QString t = e.databaseText().trimmed();
    if (t.isEmpty())
        t = e.text().trimmed();
    return t;
}

// Marker of the page condition in the routine text: the first form takes the
// pages marked "N" only; the current one also the pages stored before the
// column existed (null).
const QString kPaginas = QStringLiteral("{PAGINAS}");

QString rotinaMrpAfd(bool primeiraForma)
{
    return scriptEsquema(QStringLiteral("mysql/spTransfereMrpAfd.sql"))
        .replace(kPaginas, primeiraForma ? QStringLiteral("afdconvertido = 'N'")
                                         : QStringLiteral("(afdconvertido = 'N' OR afdconvertido IS NULL)"));
}

QString recurso(const char *nome)
{
    return scriptEsquema(QString::fromLatin1(nome));
}

// One step: statements run in turn, each failure ignored.
struct Passo
{
    int nivel;
    QStringList comandos;
    bool copiaUsuarios = false; // level 9: the fixed administrator when the copy left no user
};

QList<Passo> passos()
{
    return {
        {1, {QStringLiteral("alter table tbcolaborador add column demitido enum('S','N') DEFAULT 'N'")}},
        {2,
         {QStringLiteral(
              "update tbcolaborador set pis = concat(repeat('0',12-length(pis)),pis) where length(pis) < 12"),
          QStringLiteral(
              "update tbcolabrep set pis = concat(repeat('0',12-length(pis)),pis) where length(pis) < 12")}},
        {3,
         {recurso("mysql/tbafd.sql"), recurso("mysql/splistapontos.sql"), rotinaMrpAfd(true),
          recurso("mysql/fclistapontos.sql"),
          QStringLiteral("alter table tbmemoriarep add afdconvertido char(1)")}},
        {4, {recurso("mysql/spTransfereCacheAfd.sql")}},
        // Strict mode refuses a value longer than the column: the card number
        // takes the first 8 characters of the enrolment, as the old servers did.
        {5,
         {QStringLiteral("alter table tbcolaborador add proximidade varchar(8)"),
          QStringLiteral("update tbcolaborador set proximidade = left(matricula, 8)")}},
        {6, {QStringLiteral("alter table tbbackupafd add idrep varchar(20)")}},
        {7, {QStringLiteral("drop PROCEDURE spTransfereMrpAfd"), rotinaMrpAfd(false)}},
        {8,
         {QStringLiteral("alter table tbcoletor add modelocoletor varchar(10)"),
          QStringLiteral("update tbcoletor set modelocoletor='REP'")}},
        {9,
         {recurso("mysql/tbusuario.sql"),
          QStringLiteral(
              "insert into tbusuario (login, senha, nomeusuario) (select login, SHA1(senha), usuario from "
              "tbpermisso)")},
         true},
        {10,
         {QStringLiteral("alter table tbcoletor add tipocomunicacao varchar(1)"),
          QStringLiteral("update tbcoletor set tipocomunicacao = 'S' where tipocomunicacao IS null"),
          QStringLiteral("alter table tbcoletor add ip varchar(20)"),
          QStringLiteral("alter table tbcoletor add url varchar(200)"),
          QStringLiteral("alter table tbcoletor add urldinamica varchar(1)"),
          QStringLiteral("alter table tbcoletor add portaip int"),
          QStringLiteral("update tbcoletor set urldinamica = 'N' where urldinamica IS null")}},
        {11, {QStringLiteral("alter table tbcolaborador add ibutton12 varchar(12)")}},
    };
}

// Level read; -1 on failure.
int leNivel(QSqlDatabase db, QString *erro)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select * from tbversao where nome = 'BD'"))) {
        if (erro)
            *erro = textoErro(q.lastError());
        return -1;
    }
    if (!q.next())
        return 0;
    return q.value(QStringLiteral("versao")).toInt();
}

// Records a level.  The delete and the insert go together, so a failure
// leaves the previous level recorded instead of none (which would run every
// step again, rewriting card numbers and device models).
bool gravaNivel(QSqlDatabase db, int nivel, QString *erro)
{
    const bool transacao = db.transaction();
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("delete from tbversao where nome = 'BD'")) &&
        q.exec(QStringLiteral("insert into tbversao (nome, versao) values ('BD',%1)").arg(nivel))) {
        if (!transacao || db.commit())
            return true;
    }
    if (erro)
        *erro = q.lastError().isValid() ? textoErro(q.lastError()) : textoErro(db.lastError());
    if (transacao)
        db.rollback();
    return false;
}

} // namespace

int nivelBanco(QSqlDatabase db, QString *erro)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("show tables like 'tbversao'"))) {
        if (erro)
            *erro = textoErro(q.lastError());
        return -1;
    }
    if (!q.next())
        return 0;
    return leNivel(db, erro);
}

bool AtualizaBanco(QSqlDatabase db, Dialeto dialeto, QString *erro)
{
    if (dialeto == Dialeto::SQLServer)
        return true;
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("show tables like 'tbversao'"))) {
            if (erro)
                *erro = textoErro(q.lastError());
            return false;
        }
        if (!q.next() && !TdmCriaBanco::criaTbVersao(db, erro))
            return false;
    }
    for (const Passo &p : passos()) {
        const int nivel = leNivel(db, erro);
        if (nivel < 0)
            return false;
        if (nivel >= p.nivel)
            continue;
        for (const QString &c : p.comandos) {
            QSqlQuery q(db);
            q.exec(c); // a column or object that already exists, or a table not there yet
        }
        if (p.copiaUsuarios) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("select count(*) as total from tbusuario")) && q.next() &&
                q.value(0).toInt() == 0) {
                QSqlQuery ins(db);
                ins.prepare(QStringLiteral("insert into tbusuario (login, senha, nomeusuario) values "
                                           "(:login, SHA1(:senha), :usuario)"));
                ins.bindValue(QStringLiteral(":login"), QStringLiteral("ADMINISTRADOR"));
                ins.bindValue(QStringLiteral(":senha"), QStringLiteral("BRAVELUX"));
                ins.bindValue(QStringLiteral(":usuario"), QStringLiteral("ADMINISTRADOR"));
                ins.exec();
            }
        }
        if (!gravaNivel(db, p.nivel, erro))
            return false;
    }
    return true;
}

} // namespace kelvo
