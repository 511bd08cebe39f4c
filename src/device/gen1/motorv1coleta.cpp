// First-generation collection: the conversation's steps around the shared page
// collection (device/common/paginas.h), which decides the start, checks and
// stores the pages and builds the AFD file.

#include "data/cp1252.h"
#include "data/dmdados.h"
#include "device/common/afd.h"
#include "device/common/paginas.h"
#include "device/common/retorno.h"
#include "device/gen1/motorv1.h"

namespace kelvo {

using namespace v1;

bool MotorV1::ColetaAFD(const TParametrosComunicacao &p, const QString &arquivo, const QString &filtro,
                        const QDate &inicio, const QDate &fim)
{
    if (ocupado())
        return false;
    inicia();
    m_filtroAFD = filtro == QLatin1String("S");
    m_inicioAFD = inicio;
    m_fimAFD = fim;
    m_arquivoAFD = arquivo;
    m_coleta = true;
    m_textoCache.clear();
    m_pagina.clear();
    if (arquivo.trimmed().isEmpty()) {
        RetornoComunicacao = QStringLiteral("7;Nome de arquivo inválido");
        finalizaComunicacao();
        return true;
    }
    if (!m_principal.isValid() && existeDmDados())
        m_principal = dmDados().ConexaoBD();
    m_coletaPaginas.reset();
    m_armazem = std::make_unique<ArmazemPaginas>(m_principal, configBanco().dialeto);
    m_coletaPaginas = std::make_unique<ColetaPaginas>(*m_armazem);
    m_repeticoesStatus = 0;
    iniciaStatus(p);
    return true;
}

void MotorV1::iniciaColetaStatus()
{
    if (m_arquivoAFD.trimmed().isEmpty()) {
        RetornoComunicacao = QStringLiteral("7;Nome de arquivo inválido");
        finalizaComunicacao();
        return;
    }
    // The employer read left its result; the collection sets its own.
    RetornoComunicacao.clear();
    PedidoAFD pedido;
    pedido.arquivo = m_arquivoAFD;
    pedido.filtro = FiltroPeriodo{m_filtroAFD, m_inicioAFD, m_fimAFD};
    pedido.numeroSerie = m_status.numeroSerie;
    pedido.empregador = EmpregadorAFD{QString::number(m_empregador.tipo), m_empregador.cpfcnpj,
                                      m_empregador.cei, m_empregador.nome};
    m_coletaPaginas->inicia(pedido);
    m_fasePaginas = false;
    m_rastro.log(QStringLiteral("ComandoREP 03"));
    m_comandoRepeticao = CMD_COLETASTATUS;
    anuncia(CMD_COLETASTATUS);
}

void MotorV1::trataColetaStatus()
{
    StatusV1 s;
    interpretaStatus(m_resposta, &s);
    const ColetaPaginas::Acao a = m_coletaPaginas->comecaPaginas(s.ponteiroMRP);
    if (a == ColetaPaginas::Acao::Falha) {
        RetornoComunicacao = m_coletaPaginas->retorno();
        finalizaComunicacao();
        return;
    }
    // The page request is the one repeated on a silent tick from now on.
    m_comandoRepeticao = CMD_COLETAMRP;
    m_pagina.clear();
    m_textoCache.clear();
    if (a == ColetaPaginas::Acao::PedeCache) {
        m_rastro.log(QStringLiteral("ComandoREP 20"));
        anuncia(CMD_COLETACACHESTATUS);
        return;
    }
    m_fasePaginas = true;
    Q_EMIT progressoAlterado(0, m_coletaPaginas->totalPaginas());
    Q_EMIT progressoVisivel(true);
    m_rastro.log(QStringLiteral("ComandoREP 19"));
    m_rastro.log(QStringLiteral("ComandoREP 16"));
    anuncia(CMD_COLETAMRP);
}

void MotorV1::trataColetaCacheStatus()
{
    StatusV1 s;
    interpretaStatus(m_resposta, &s);
    m_tamanhoCache = s.tamanhoCache;
    m_textoCache.clear();
    m_rastro.log(QStringLiteral("ComandoREP 18"));
    anuncia(CMD_COLETACACHE);
}

bool MotorV1::consomeColeta(char byte)
{
    if (m_comando == CMD_COLETAMRP) {
        m_pagina.append(byte);
        if (m_pagina.size() < TamanhoRespostaPagina)
            return false;
        const quint32 antes = m_coletaPaginas->enderecoAtual();
        const int lidas = m_coletaPaginas->paginasLidas();
        const ColetaPaginas::Acao a = m_coletaPaginas->recebePagina(m_pagina);
        m_pagina.clear();
        switch (a) {
        case ColetaPaginas::Acao::Falha:
            RetornoComunicacao = m_coletaPaginas->retorno();
            finalizaComunicacao();
            break;
        case ColetaPaginas::Acao::PedeCache:
            Q_EMIT progressoAlterado(m_coletaPaginas->paginasLidas(), m_coletaPaginas->totalPaginas());
            m_fasePaginas = false;
            m_rastro.log(QStringLiteral("ComandoREP 12"));
            anuncia(CMD_COLETACACHESTATUS);
            break;
        case ColetaPaginas::Acao::PedePagina:
            if (m_coletaPaginas->paginasLidas() == lidas && m_coletaPaginas->enderecoAtual() == antes) {
                m_rastro.log(QStringLiteral("ComandoREP 15")); // check failed: the same page again
            } else {
                Q_EMIT progressoAlterado(m_coletaPaginas->paginasLidas(), m_coletaPaginas->totalPaginas());
                m_rastro.log(QStringLiteral("ComandoREP 14"));
            }
            m_rastro.log(QStringLiteral("ComandoREP 16"));
            anuncia(CMD_COLETAMRP);
            break;
        }
        return true;
    }
    // CMD_COLETACACHE: the cache bytes, then two more that are dropped.
    m_textoCache.append(deCp1252(QByteArray(1, byte)));
    if (m_textoCache.size() < int(m_tamanhoCache) + 2)
        return false;
    terminaColeta();
    return true;
}

void MotorV1::repeteColeta()
{
    // A silent page is asked for again; in the cache phase the cache is read again.
    m_pagina.clear();
    m_textoCache.clear();
    m_pausa.stop();
    m_rastro.log(QStringLiteral("ComandoREP 24"));
    anuncia(m_fasePaginas ? CMD_COLETAMRP : CMD_COLETACACHESTATUS);
}

void MotorV1::terminaColeta()
{
    m_tmTimeout.stop();
    defineLegenda(QStringLiteral("Fim da comunicação"));
    m_textoCache.chop(2);
    RetornoComunicacao = m_coletaPaginas->concluiCache(m_textoCache);
    finalizaComunicacao();
}

} // namespace kelvo
