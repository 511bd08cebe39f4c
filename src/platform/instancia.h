#pragma once
// One running copy of the program per user session.  The first copy holds a
// lock file and listens on a local socket under the same name; a later copy
// finds the lock taken, asks the first copy over the socket to bring its window
// forward, and ends.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace kelvo {

class InstanciaUnica : public QObject
{
    Q_OBJECT
public:
    // `nome` names the lock and the socket; `pasta` is where both live (empty:
    // the user's runtime folder, else the temporary folder), so two users on
    // one machine each get their own copy.
    explicit InstanciaUnica(const QString &nome = QStringLiteral("REP Horatrix"),
                            const QString &pasta = QString(), QObject *parent = nullptr);
    ~InstanciaUnica() override;

    // True when this is the first copy: the lock is now held and the socket
    // listens until this object is destroyed.  False when another copy runs;
    // that copy has then been asked to come forward (best effort: a copy that
    // does not answer within `esperaMs` is simply left alone).
    bool tornaPrimeira(int esperaMs = 2000);

    bool primeira() const { return m_primeira; }
    QString caminhoSocket() const { return m_socket; }

Q_SIGNALS:
    // Another copy was started and asked this one to come forward.
    void ativacaoPedida();

private:
    void conexaoRecebida();
    bool avisaPrimeira(int esperaMs);

    QString m_socket;
    std::unique_ptr<QLockFile> m_trava;
    QLocalServer *m_servidor = nullptr;
    bool m_primeira = false;
};

} // namespace kelvo
