// spTransfereMrpAfd on 10,000 stored pages of punch records (type 3 with the
// odd type 2, 4 and 5, records split across page boundaries), then
// spTransfereCacheAfd on a cache.  Prints lines per second.
//   bench_rotinas [PAGES]        server from KELVO_TEST_DB

#include "data/criabanco.h"
#include "data/interacao.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

using namespace kelvo;
using namespace kelvo::teste;

namespace {

const QString kRep = QStringLiteral("00004000000000123");

QString nsr(int n)
{
    return QStringLiteral("%1").arg(n, 9, 10, QLatin1Char('0'));
}

// The memory text of `paginas` pages of 512 characters, and the records it holds whole.
QString memoria(int paginas, int *registros)
{
    const int tamanho = paginas * 512;
    QString texto;
    texto.reserve(tamanho + 400);
    int n = 0;
    quint32 semente = 12345;
    while (texto.size() < tamanho) {
        ++n;
        semente = semente * 1103515245u + 12345u;
        const int sorteio = (semente >> 16) % 200;
        const int dia = 1 + (n / 400) % 28, minuto = n % 1440;
        const QString data = QStringLiteral("%1%2%3")
                                 .arg(dia, 2, 10, QLatin1Char('0'))
                                 .arg(1 + (n / 11200) % 12, 2, 10, QLatin1Char('0'))
                                 .arg(2024);
        const QString hora = QStringLiteral("%1%2")
                                 .arg(minuto / 60, 2, 10, QLatin1Char('0'))
                                 .arg(minuto % 60, 2, 10, QLatin1Char('0'));
        const QString pis =
            QStringLiteral("%1").arg(100000000000LL + (semente % 500), 12, 10, QLatin1Char('0'));
        QString r;
        if (sorteio == 0) // employer
            r = nsr(n) + QLatin1Char('2') + data + hora + QLatin1Char('1') + QString(14, QLatin1Char('1')) +
                QString(12, QLatin1Char('0')) + QString(150, QLatin1Char('E')) +
                QString(100, QLatin1Char('L'));
        else if (sorteio == 1) // clock set
            r = nsr(n) + QLatin1Char('4') + data + hora + data + hora;
        else if (sorteio == 2) // employee
            r = nsr(n) + QLatin1Char('5') + data + hora + QLatin1Char('I') + pis +
                QString(52, QLatin1Char('N'));
        else
            r = nsr(n) + QLatin1Char('3') + data + hora + pis;
        texto += r + QStringLiteral("\r\n");
    }
    *registros = n;
    return texto;
}

bool roda(QSqlDatabase db, const QString &sql, const QVariantList &valores = {})
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant &v : valores)
        q.addBindValue(v);
    if (q.exec())
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql.left(60)), qPrintable(q.lastError().text()));
    return false;
}

int conta(QSqlDatabase db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("select count(*) from tbafd")) && q.next() ? q.value(0).toInt() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Servidor s = servidor();
    if (!s.valido) {
        std::fprintf(stderr, "KELVO_TEST_DB não definido (scripts/bench inicia um servidor)\n");
        return 2;
    }
    const int paginas = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;

    int resultado = 0;
    {
        BancoTeste banco(QStringLiteral("kelvo_bench"));
        ConfigBanco cfg;
        cfg.host = s.host;
        cfg.porta = s.porta;
        cfg.usuarioLogin = s.usuario;
        cfg.senhaLogin = s.senha;
        cfg.database = cfg.NomeBanco = banco.nome();
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        {
            TdmCriaBanco dm(cfg);
            if (dm.CriaBanco(false) != ResultadoCriacao::Criado) {
                std::fprintf(stderr, "criação: %s\n", qPrintable(dm.ultimoErro()));
                return 1;
            }
        }
        QSqlDatabase db = banco.conexao(false);

        int registros = 0;
        const QString texto = memoria(paginas, &registros);
        QElapsedTimer t;
        t.start();
        db.transaction();
        for (int p = 0; p < paginas; ++p) {
            if (!roda(db,
                      QStringLiteral(
                          "insert into tbmemoriarep (idrep, mrp, conteudo, dthcoleta, afdconvertido) "
                          "values (?, ?, ?, now(), 'N')"),
                      {kRep, QStringLiteral("%1").arg(p * 512, 8, 16, QLatin1Char('0')).toUpper(),
                       texto.mid(p * 512, 512)}))
                return 1;
        }
        db.commit();
        std::printf("%d páginas gravadas em %.2f s\n", paginas, t.elapsed() / 1000.0);

        t.restart();
        if (!roda(db, QStringLiteral("call spTransfereMrpAfd(?)"), {kRep}))
            return 1;
        const double segundos = t.elapsed() / 1000.0;
        const int linhas = conta(db);
        std::printf("spTransfereMrpAfd: %d linhas de %d páginas em %.2f s: %.0f linhas/s\n", linhas, paginas,
                    segundos, linhas / qMax(segundos, 0.001));

        t.restart();
        roda(db, QStringLiteral("update tbmemoriarep set afdconvertido = 'N'"));
        t.restart();
        roda(db, QStringLiteral("call spTransfereMrpAfd(?)"), {kRep});
        std::printf("spTransfereMrpAfd outra vez (nada novo): %.2f s, %d linhas\n", t.elapsed() / 1000.0,
                    conta(db));

        // the cache: the rest of the text after the last page
        QString cache = texto.mid(paginas * 512);
        t.restart();
        roda(db, QStringLiteral("call spTransfereCacheAfd(?, ?)"), {kRep, cache});
        std::printf(
            "spTransfereCacheAfd: %d caracteres em %.3f s, total %d linhas (registros inteiros: %d)\n",
            int(cache.size()), t.elapsed() / 1000.0, conta(db), registros);
        if (conta(db) != registros) {
            std::fprintf(stderr, "esperadas %d linhas\n", registros);
            resultado = 1;
        }
    }
    return resultado;
}
