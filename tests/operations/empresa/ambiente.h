#pragma once
// The database every case of this folder works on: a real one on the test
// server, created by the program's own creation code, with the data module
// connected to it and the company rules installed.

#include "data/criabanco.h"
#include "data/dataset.h"
#include "data/dmdados.h"
#include "data/interacao.h"
#include "data/regrasempresa.h"
#include "data/sistema.h"
#include "testsupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <memory>

namespace kelvo::teste {

class AmbienteEmpresa
{
public:
    // False (with *erro) when the database could not be made.
    bool prepara(QString *erro)
    {
        m_pasta = std::make_unique<PastaTeste>();
        m_banco = std::make_unique<BancoTeste>(QStringLiteral("kelvo_emp"));
        const Servidor s = servidor();
        ConfigBanco &c = configBanco();
        c = ConfigBanco();
        c.host = s.host;
        c.porta = s.porta;
        c.dialeto = Dialeto::MySQL;
        c.database = m_banco->nome();
        c.NomeBanco = m_banco->nome();
        c.usuarioLogin = s.usuario;
        c.senhaLogin = s.senha;
        InteracaoGravada g;
        InteracaoNoEscopo escopo(&g);
        {
            TdmCriaBanco cria(c);
            if (cria.CriaBanco(false) != ResultadoCriacao::Criado) {
                *erro = QStringLiteral("creation: ") + cria.ultimoErro() + QLatin1Char(' ') +
                        g.textos().join(" / ");
                return false;
            }
        }
        m_dm = std::make_unique<TdmDados>();
        ErroBanco e;
        if (!m_dm->conecta(&e)) {
            *erro = QStringLiteral("connect: ") + e.texto();
            return false;
        }
        instalaRegrasEmpresa(*m_dm);
        return true;
    }

    void encerra()
    {
        if (m_dm)
            m_dm->desconecta();
        m_dm.reset();
        m_banco.reset();
        m_pasta.reset();
    }

    TdmDados &dm() { return *m_dm; }
    QSqlDatabase db() { return m_dm->ConexaoBD(); }
    PastaTeste &pasta() { return *m_pasta; }

    // Empties the registers between cases.
    void limpa()
    {
        executa(db(), QStringLiteral("delete from tbcoletor"));
        executa(db(), QStringLiteral("delete from tbempresa"));
        m_dm->tbEmpresa->fecha();
        m_dm->tbColetor->fecha();
        m_dm->marcaEmpresa = 0;
    }

    int insereEmpresa(const QString &razao, const QString &cpfcnpj, const QString &tipo = QStringLiteral("J"),
                      const QString &cei = QString(), const QString &local = QString())
    {
        QSqlQuery q(db());
        q.prepare(
            QStringLiteral("insert into tbempresa (razaosocial, tipopessoafj, cpfcnpj, cei, localtrabalho) "
                           "values (?, ?, ?, ?, ?)"));
        q.addBindValue(razao);
        q.addBindValue(tipo.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(tipo));
        q.addBindValue(cpfcnpj);
        q.addBindValue(cei);
        q.addBindValue(local);
        if (!q.exec())
            qWarning("insert tbempresa: %s", qPrintable(q.lastError().text()));
        return q.lastInsertId().toInt();
    }

    int insereColetor(const QString &codigo, const QString &modelo, int portaserial, int idempresa = 0,
                      const QString &descricao = QStringLiteral("REP da portaria"))
    {
        QSqlQuery q(db());
        q.prepare(
            QStringLiteral("insert into tbcoletor (descricao, codigocoletor, modelocoletor, tipocomunicacao, "
                           "portaserial, idempresa) values (?, ?, ?, 'S', ?, ?)"));
        q.addBindValue(descricao);
        q.addBindValue(codigo);
        q.addBindValue(modelo);
        q.addBindValue(portaserial);
        q.addBindValue(idempresa);
        if (!q.exec())
            qWarning("insert tbcoletor: %s", qPrintable(q.lastError().text()));
        return q.lastInsertId().toInt();
    }

    int idempresaDoColetor(int idcoletor)
    {
        return valor(db(),
                     QStringLiteral("select idempresa from tbcoletor where idcoletor = %1").arg(idcoletor))
            .toInt();
    }
    int empresas() { return valor(db(), QStringLiteral("select count(*) from tbempresa")).toInt(); }

private:
    std::unique_ptr<PastaTeste> m_pasta;
    std::unique_ptr<BancoTeste> m_banco;
    std::unique_ptr<TdmDados> m_dm;
};

} // namespace kelvo::teste
