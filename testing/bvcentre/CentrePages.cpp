#include "bvcentre/CentrePages.h"

#include "bvcentre/FormCodec.h"

#include <array>

namespace bv::testing {
namespace {

// A page that hands one command to the client: shown with a button, set on load with ?auto=1.
struct CommandPage
{
    std::string_view name;
    std::string_view title;
    std::string_view text;
    std::string_view button;
    std::string_view status;
};

constexpr std::array kCommandPages{
    CommandPage{"send", "Envoyer la facture",
                "Les factures qui attendent dans votre répertoire de facturation sont contrôlées puis transmises au "
                "centre de facturation.",
                "Envoyer la facture", "BV_SENDAD"},
    CommandPage{"config", "Configuration",
                "Réglez le répertoire des factures et la connexion au centre de facturation.",
                "Ouvrir la configuration", "BV_CONFIG"},
    CommandPage{"popupprop", "Fenêtres supplémentaires",
                "Les fenêtres supplémentaires s'ouvriront en 400 × 300 points et pourront être agrandies.",
                "Régler les fenêtres", "BV_POPUPPROP: height=300,width=400,resizable=yes"},
    CommandPage{"reg", "Paramètres du poste", "Un paramètre de démonstration est enregistré dans votre configuration.",
                "Enregistrer le paramètre", "BV_REG: Abrechnungsversand/Demo=1"},
    CommandPage{"sessionend", "Fin de la session", "Votre session a été fermée par le centre de facturation.",
                "Terminer la session", "BV_SESSIONEND: Votre session a expiré.\\nVeuillez vous reconnecter."},
    CommandPage{"logout", "Déconnexion", "Vous quittez le centre de facturation brevalis.", "Se déconnecter",
                "BV_LOGOUT"},
};

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:2em;color:#203040}h1{color:#0b5394;font-size:1.5em}"
    "button{font-size:1em;padding:.4em 1em;margin-right:.5em}li{margin:.3em 0}"
    "table{border-collapse:collapse}td{border:1px solid #ccc;padding:.2em .6em}pre{background:#f4f4f4;padding:.5em}";

std::string sessionQuery(const PageContext& context)
{
    return context.sessionId.empty() ? std::string{} : "?session-id=" + formEncode(context.sessionId);
}

std::string link(std::string_view page, const PageContext& context)
{
    return "/app/" + std::string(page) + sessionQuery(context);
}

std::string document(std::string_view title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n<title>brevalis – " +
           escapeHtml(title) + "</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n<h1>" +
           escapeHtml(title) + "</h1>\n" + body + "</body>\n</html>\n";
}

std::string homeLink(const PageContext& context)
{
    return "<p><a id=\"home\" href=\"" + escapeHtml(link("start", context)) + "\">Retour à l'accueil</a></p>\n";
}

std::string startPage(const PageContext& context)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kLinks{{
        {"send", "Envoyer la facture"},
        {"config", "Configuration du poste"},
        {"popupprop", "Taille des fenêtres supplémentaires"},
        {"reg", "Enregistrer un paramètre"},
        {"popup", "Ouvrir une fenêtre supplémentaire"},
        {"next", "Dernière transmission"},
        {"sessionend", "Fermer la session"},
        {"logout", "Se déconnecter"},
    }};
    std::string body = "<p>Bienvenue dans le centre de facturation brevalis.</p>\n<ul>\n";
    for (const auto& [page, label] : kLinks) {
        body += "<li><a id=\"" + std::string(page) + "\" href=\"" + escapeHtml(link(page, context)) + "\">" +
                escapeHtml(label) + "</a></li>\n";
    }
    body += "</ul>\n";
    if (!context.sessionId.empty()) {
        body += "<p>Session : <span id=\"session\">" + escapeHtml(context.sessionId) + "</span></p>\n";
    }
    return document("Centre de facturation", body);
}

std::string commandPage(const CommandPage& page, const PageContext& context)
{
    const std::string status = context.status.value_or(std::string(page.status));
    std::string body = "<p>" + escapeHtml(page.text) + "</p>\n";
    body += "<p><button id=\"command\" type=\"button\">" + escapeHtml(page.button) + "</button>";
    body += "<button id=\"clear\" type=\"button\">Effacer l'état</button></p>\n";
    body += homeLink(context);
    body += "<script>\nvar bvStatus = " + javaScriptString(status) + ";\n";
    body += "function bvCommand() { window.status = bvStatus; }\n";
    body += "document.getElementById(\"command\").addEventListener(\"click\", bvCommand);\n";
    body += "document.getElementById(\"clear\").addEventListener(\"click\", function () { window.status = \"\"; });\n";
    if (context.autoRun) {
        body += "window.addEventListener(\"load\", bvCommand);\n";
    }
    body += "</script>\n";
    return document(page.title, body);
}

std::string popupPage(const PageContext& context)
{
    const std::string target = link("popup-content", context);
    std::string body = "<p>Le détail s'ouvre dans une nouvelle fenêtre.</p>\n";
    body +=
        "<p><a id=\"popup-link\" href=\"" + escapeHtml(target) + "\" target=\"_blank\">Afficher le détail</a></p>\n";
    body += "<p><button id=\"popup-open\" type=\"button\">Ouvrir la fenêtre</button></p>\n";
    body += homeLink(context);
    body += "<script>\nfunction bvOpen() { window.open(" + javaScriptString(target) +
            ", \"_blank\", \"width=400,height=300\"); }\n";
    body += "document.getElementById(\"popup-open\").addEventListener(\"click\", bvOpen);\n";
    if (context.autoRun) {
        body += "window.addEventListener(\"load\", bvOpen);\n";
    }
    body += "</script>\n";
    return document("Fenêtre supplémentaire", body);
}

std::string popupContentPage()
{
    return document("Détail",
                    "<p id=\"popup-text\">Détail de la facture : aucun élément en attente.</p>\n"
                    "<p><button id=\"close\" type=\"button\" onclick=\"window.close()\">Fermer</button></p>\n");
}

std::string nextPage(const PageContext& context)
{
    std::string body = "<p id=\"result\">La transmission est terminée. Merci !</p>\n";
    if (!context.lastUpload.empty()) {
        body +=
            "<p>Dernier fichier reçu : <span id=\"last-upload\">" + escapeHtml(context.lastUpload) + "</span></p>\n";
    }
    body += homeLink(context);
    return document("Transmission reçue", body);
}

} // namespace

std::optional<std::string> appPage(std::string_view name, const PageContext& context)
{
    if (name == "start" || name.empty()) {
        return startPage(context);
    }
    if (name == "popup") {
        return popupPage(context);
    }
    if (name == "popup-content") {
        return popupContentPage();
    }
    if (name == "next") {
        return nextPage(context);
    }
    for (const CommandPage& page : kCommandPages) {
        if (page.name == name) {
            return commandPage(page, context);
        }
    }
    return std::nullopt;
}

std::string requestPage(const ReceivedRequest& request, bool sessionAlive)
{
    constexpr std::size_t kShown = 64 * 1024;
    const auto param = [&](const std::string& name) { return escapeHtml(formValue(request.query, name)); };
    std::string body = "<p id=\"status\">" +
                       std::string(sessionAlive ? "Votre demande a été reçue." : "Session inconnue ou expirée.") +
                       "</p>\n<table>\n";
    body += "<tr><td>Contrat</td><td id=\"vertnr\">" + param("vertnr") + "</td></tr>\n";
    body += "<tr><td>Fichier</td><td id=\"filename\">" + param("filename") + "</td></tr>\n";
    body += "<tr><td>Octets reçus</td><td id=\"length\">" + std::to_string(request.bodyLength) + "</td></tr>\n";
    body += "</table>\n<pre id=\"content\">" + escapeHtml(request.body.substr(0, kShown)) + "</pre>\n";
    return document("Demande reçue", body);
}

} // namespace bv::testing
