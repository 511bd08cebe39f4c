#pragma once
// The device actions of the main window: new REP (wizard, identification,
// registration), auto-scan, status view, sending the computer's date and time,
// deleting a REP, and the options window.  Widget-light: it opens the modal
// windows it needs over `janela` and tells the main window through
// `listaAlterada` when the REP list must be read again.

#include "app/despachantes.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QWidget;

namespace kelvo {

class TfConfig;
class TfMostraInfoRel;
class TfmMain;
class TfmNovoRel;

// A status result text "0;" + date/time + ";" + NSR + ";" + serial number + ";".
struct StatusLido
{
    QString dataHora;    // characters 3-19
    QString nsr;         // characters 21-29
    QString numeroSerie; // characters 31-47
};
StatusLido leStatus(const QString &textoStatus);

// What the new-REP wizard gathered.
struct DadosNovoRep
{
    bool tcp = false;
    QString ip;
    bool ipDinamico = false;
    QString url;
    int portaIp = TParametrosComunicacao::PortaIPPadrao;
    int portaSerial = -1; // the port picked on the serial page
    QString nome;
};
DadosNovoRep dadosDoAssistente(const TfmNovoRel &assistente);

// The host part of a dynamic-IP URL ("http://rep.empresa.com.br:5006/" -> "rep.empresa.com.br").
QString hostDaUrl(const QString &url);

class AcoesRep : public QObject
{
    Q_OBJECT
public:
    enum class Resultado
    {
        Cancelado,    // the user gave up (wizard cancelled, No to a question, OK in the info window)
        Falhou,       // a message told why; nothing was stored or sent
        Registrado,   // a new REP row was stored
        JaCadastrado, // the device is already registered: nothing stored, no message
        Mostrado,     // the information window was shown and closed
        Enviado,      // date and time were sent
        Diferente,    // another device is on the line: warned, nothing sent
        Excluido,
    };
    Q_ENUM(Resultado)

    explicit AcoesRep(QWidget *janela, QObject *parent = nullptr);

    DespachanteREP &despachante() { return m_despachante; }

    Resultado novoRep();
    // Identification and registration after the wizard's OK.
    Resultado registraNovoRep(const DadosNovoRep &dados);
    Resultado autoscan();
    Resultado mostraStatus(int idcoletor);
    Resultado enviaDataHora(int idcoletor, const QDateTime &momento = QDateTime::currentDateTime());
    Resultado exclui(int idcoletor);
    // Options window; then the current serial port and speed are read again.
    void opcoes();

    // The last information window filled (while it is shown and after), for
    // the tests and the screenshots; nullptr when none is open.
    TfMostraInfoRel *janelaInfo() const { return m_info; }

Q_SIGNALS:
    void listaAlterada();
    // Emitted with each modal window just before it is shown.
    void assistenteAberto(kelvo::TfmNovoRel *janela);
    void informacoesAbertas(kelvo::TfMostraInfoRel *janela);
    void opcoesAbertas(kelvo::TfConfig *janela);

private:
    // Fills and shows the information window; true when "Inserir" was chosen.
    bool mostraInformacoes(const QString &textoStatus, StatusLido *lido);
    // Loads tbColetor on the key; false (after a message for a database error) when it cannot.
    bool carregaColetor(int idcoletor);
    TParametrosComunicacao parametrosDoColetor() const;
    // idcoletor of a registered serial number, 0 when none; -1 on a database error (shown).
    int localizaColetor(const QString &numeroSerie);
    struct NovaLinha
    {
        QString codigocoletor, modelocoletor, tipocomunicacao, descricao;
        QVariant portaserial, ip, url, portaip, urldinamica;
    };
    bool insereColetor(const NovaLinha &linha);

    QWidget *m_janela;
    DespachanteREP m_despachante;
    TfMostraInfoRel *m_info = nullptr;
};

// Puts the device actions into the main window: the left buttons "Novo &REP",
// "&Autoscan" and "&Opções" (the REP menu), the toolbar buttons, the REP menu
// (the list's pop-up menu, with its own "Exibir" kept in step with the one of
// "Configurações") and "Configurações > &Opções".  The actions belong to the
// window; the returned object lives as long as it.
AcoesRep *instalaAcoesRep(TfmMain &janela);

} // namespace kelvo
