#pragma once

#include <map>
#include <string>
#include <string_view>

namespace bv::testing {

using FormFields = std::multimap<std::string, std::string>;

// Decoding of form-encoded texts (request bodies and query strings) as a web server reads them: "+" is a
// blank, "%XX" a byte; a "%" that does not start a valid escape stands for itself.
std::string formDecode(std::string_view text);

// Splits "a=1&b=2" at "&" and each field at its first "="; a field without "=" has an empty value and
// empty fields are skipped. Names and values are decoded.
FormFields parseForm(std::string_view text);

// Encodes a value for a form body or query: letters, digits and "-._~" stay, everything else is "%XX".
std::string formEncode(std::string_view text);

// First value of a field, or fallback when absent.
std::string formValue(const FormFields& fields, const std::string& name, const std::string& fallback = {});

// Escapes a text for one line of the plain-text request dump: "\\", "\n", "\r", "\t" and "\xNN" for the
// other control bytes; everything else (UTF-8 included) stays.
std::string escapeForDump(std::string_view text);

// Escapes a text for HTML element content and attribute values.
std::string escapeHtml(std::string_view text);

// A JavaScript string literal (with its quotes) for the text, safe inside an HTML <script> element.
std::string javaScriptString(std::string_view text);

} // namespace bv::testing
