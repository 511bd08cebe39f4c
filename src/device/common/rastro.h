#pragma once
// Device traces in the program folder: log.txt (switch CONFIG/DEBUG) and
// logPROTOCOLO.txt (switch CONFIG/DEBUGCOM).  Each line is opened, appended and
// closed at once, so a trace survives a crash.  A line starts with the time as
// "hh:nn:ss,zzz"; log.txt separates it from the message with "  -  ",
// logPROTOCOLO.txt with " - ".

#include <QString>
#include <QTime>
#include <functional>

namespace kelvo {

QString linhaRastro(const QTime &hora, const QString &separador, const QString &mensagem);
// Appends one line (UTF-8, LF) to `arquivo` in PastaPrograma(), creating it when absent.
void gravaLinhaRastro(const QString &arquivo, const QString &separador, const QString &mensagem);

class RastroREP
{
public:
    static const QString &arquivoLog();         // "log.txt"
    static const QString &arquivoProtocolo();   // "logPROTOCOLO.txt"
    static const QString &separadorLog();       // "  -  "
    static const QString &separadorProtocolo(); // " - "

    // Both switches read from the settings file (CONFIG/DEBUG, CONFIG/DEBUGCOM; default off).
    static RastroREP daConfiguracao();

    bool debug = false;    // writes log.txt
    bool debugCom = false; // writes logPROTOCOLO.txt
    // Extra sinks that receive every formatted line whatever the switches say
    // (kelvo-rep --trace sends the protocol lines to standard error).
    std::function<void(const QString &linha)> espelhoLog;
    std::function<void(const QString &linha)> espelhoProtocolo;

    void log(const QString &mensagem) const;
    void protocolo(const QString &mensagem) const;
    // Same message to both traces (received bytes, requests written the same way).
    void ambos(const QString &mensagem) const
    {
        log(mensagem);
        protocolo(mensagem);
    }
};

} // namespace kelvo
