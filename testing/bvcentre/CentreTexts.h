#pragma once

#include <string_view>

// What the billing centre says in its replies. Messages that the client shows are written with the two
// characters backslash and "n" where a line break belongs, as the client turns those into line breaks.
namespace bv::testing::texts {

inline constexpr std::string_view kLoginRefused =
    "Nom d'utilisateur ou mot de passe incorrect.\\nVeuillez vérifier vos données et réessayer.";
inline constexpr std::string_view kAccountLocked =
    "Votre accès est bloqué.\\nVeuillez vous adresser à la ligne d'assistance brevalis.";
inline constexpr std::string_view kSendOkDefault = "NOMSG";
inline constexpr std::string_view kBackupDefault = "BV_DONOTHING";
inline constexpr std::string_view kBadUploadQuery = "Requête de transmission invalide : paramètre manquant ou "
                                                    "incorrect : ";
inline constexpr std::string_view kUploadNotStored = "Le fichier reçu n'a pas pu être enregistré.";
inline constexpr std::string_view kBadControl = "Commande de contrôle invalide : ";
inline constexpr std::string_view kNotFound = "Page introuvable : ";
inline constexpr std::string_view kControlDone = "OK\n";

inline constexpr std::string_view kPlainText = "text/plain; charset=utf-8";
inline constexpr std::string_view kHtml = "text/html; charset=utf-8";
inline constexpr std::string_view kInstallerType = "application/octet-stream";

} // namespace bv::testing::texts
