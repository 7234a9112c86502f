#pragma once

// What the windows that log in (the main window and the send dialog) show when the login opened no
// session.
namespace bv::logintext {

inline constexpr const char* NotConnected = "La connexion n'a pas pu être établie !";
// After the third refused attempt; %s is the service-line telephone number.
inline constexpr const char* LockedOutFormat =
    "La connexion n'a pas pu être établie !\n\nSi vous avez oublié votre mot de passe, veuillez vous adresser à la "
    "ligne d'assistance %s.";
// Service-line number when the deployment has configured none.

} // namespace bv::logintext
