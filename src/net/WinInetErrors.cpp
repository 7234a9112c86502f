#include "net/WinInetErrors.h"

#include <array>
#include <utility>

namespace bv::wininet {

namespace {

// The message table of the internet client library, German edition.
constexpr std::array<std::pair<int, const char*>, 19> Messages{{
    {OutOfHandles, "Es sind keine weiteren Internethandles verfügbar."},
    {Timeout, "Das Zeitlimit für den Vorgang wurde überschritten."},
    {ExtendedError, "Vom Server wurde ein erweiterter Fehler zurückgegeben."},
    {InternalError, "Ein interner Fehler ist aufgetreten."},
    {InvalidUrl, "Die URL ist ungültig."},
    {UnrecognizedScheme, "Das URL-Schema wurde nicht erkannt oder wird nicht unterstützt."},
    {NameNotResolved, "Der Servername oder die Serveradresse konnte nicht aufgelöst werden."},
    {OperationCancelled, "Der Vorgang wurde abgebrochen."},
    {CertDateInvalid, "Das Datum des SSL-Zertifikats, das vom Server empfangen wurde, ist ungültig. "
                      "Das Zertifikat ist abgelaufen."},
    {CertCommonNameInvalid, "Der allgemeine Name des SSL-Zertifikats (Hostname-Feld) ist falsch. Wenn Sie z.B. "
                            "www.server.com eingegeben haben und der allgemeine Name des Zertifikats "
                            "www.andererserver.com lautet."},
    {InvalidCertificateAuthority, "Die Zertifizierungsstelle ist ungültig oder falsch."},
    {CannotConnect, "Es konnte keine Verbindung mit dem Server hergestellt werden."},
    {ConnectionAborted, "Die Verbindung mit dem Server wurde unerwartet beendet."},
    {ConnectionReset, "Die Verbindung mit dem Server wurde zurückgesetzt."},
    {HeaderNotFound, "Der angeforderte Header wurde nicht gefunden."},
    {RedirectFailed, "Die Umleitung ist fehlgeschlagen."},
    {InvalidServerResponse, "Die Serverantwort ist ungültig oder wurde nicht erkannt."},
    {SecurityChannelError, "Fehler in der Unterstützung für sichere Kanäle."},
    {SecurityError, "Ein Sicherheitsfehler ist aufgetreten."},
}};

} // namespace

std::string errorText(int code)
{
    for (const auto& [number, text] : Messages) {
        if (number == code)
            return text;
    }
    return {};
}

} // namespace bv::wininet
