#include "platform/instancia.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace kelvo {

namespace {
const QByteArray kPedido = QByteArrayLiteral("ATIVAR\n");

QString pastaPadrao()
{
    QString p = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (p.isEmpty())
        p = QDir::tempPath();
    return p;
}
} // namespace

InstanciaUnica::InstanciaUnica(const QString &nome, const QString &pasta, QObject *parent) : QObject(parent)
{
    const QString base = QDir(pasta.isEmpty() ? pastaPadrao() : pasta).filePath(nome);
    m_socket = base + QStringLiteral(".socket");
    m_trava = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // Only a lock whose process has died counts as stale, never an old one.
    m_trava->setStaleLockTime(0);
}

InstanciaUnica::~InstanciaUnica()
{
    if (m_servidor)
        m_servidor->close();
    if (m_primeira)
        m_trava->unlock();
}

bool InstanciaUnica::tornaPrimeira(int esperaMs)
{
    if (m_primeira)
        return true;
    if (!m_trava->tryLock(0)) {
        if (m_trava->error() == QLockFile::LockFailedError) {
            avisaPrimeira(esperaMs);
            return false;
        }
        // The folder cannot hold a lock (permissions, read-only): a lone copy
        // still has to run, so go on as the first one without the guard.
    }
    m_primeira = true;
    // A socket left behind by a copy that died would block listen().
    QLocalServer::removeServer(m_socket);
    m_servidor = new QLocalServer(this);
    m_servidor->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_servidor, &QLocalServer::newConnection, this, &InstanciaUnica::conexaoRecebida);
    if (!m_servidor->listen(m_socket))
        qWarning("single instance: cannot listen on %s: %s", qPrintable(m_socket),
                 qPrintable(m_servidor->errorString()));
    return true;
}

void InstanciaUnica::conexaoRecebida()
{
    while (QLocalSocket *s = m_servidor->nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
            const QByteArray dados = s->readAll();
            if (dados.contains(kPedido.trimmed()))
                Q_EMIT ativacaoPedida();
            s->disconnectFromServer();
        });
    }
}

bool InstanciaUnica::avisaPrimeira(int esperaMs)
{
    // Runs before the event loop of the second copy, which ends right after:
    // a bounded wait on the socket, not a nested loop.
    QLocalSocket s;
    s.connectToServer(m_socket);
    if (!s.waitForConnected(esperaMs))
        return false;
    s.write(kPedido);
    const bool ok = s.waitForBytesWritten(esperaMs);
    // The request stays readable for the first copy after this side closes.
    s.disconnectFromServer();
    return ok;
}

} // namespace kelvo
