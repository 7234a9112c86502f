#pragma once

#include <string>

namespace bv::wininet {

// Error numbers of the Windows internet client library. Every failure of a network step is reported
// with one of these numbers and its text, so that the callers and the billing centre's hotline see
// the same numbers as on the system the client was made for.
inline constexpr int OutOfHandles = 12001;
inline constexpr int Timeout = 12002;
inline constexpr int ExtendedError = 12003;
inline constexpr int InternalError = 12004;
inline constexpr int InvalidUrl = 12005;
inline constexpr int UnrecognizedScheme = 12006;
inline constexpr int NameNotResolved = 12007;
inline constexpr int OperationCancelled = 12017;
inline constexpr int CertCommonNameInvalid = 12038;
inline constexpr int CertDateInvalid = 12037;
inline constexpr int InvalidCertificateAuthority = 12045;
inline constexpr int CannotConnect = 12029;
inline constexpr int ConnectionAborted = 12030;
inline constexpr int ConnectionReset = 12031;
inline constexpr int HeaderNotFound = 12150;
inline constexpr int RedirectFailed = 12156;
inline constexpr int InvalidServerResponse = 12152;
inline constexpr int SecurityChannelError = 12157;
inline constexpr int SecurityError = 12175;

// The German message text of a library error number, as a German system words it; empty for a
// number the library does not know (the caller then words it with the number).
std::string errorText(int code);

} // namespace bv::wininet
