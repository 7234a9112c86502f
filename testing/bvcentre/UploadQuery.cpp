#include "bvcentre/UploadQuery.h"

#include <algorithm>
#include <string_view>

namespace bv::testing {
namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

bool isDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A decimal number that may be negative ("-1" marks "no batch", "no EAN" and "no customer number").
bool isNumber(std::string_view text)
{
    return isDigits(startsWith(text, "-") ? text.substr(1) : text);
}

bool isTypeCode(std::string_view text)
{
    return !text.empty() && text.size() <= 8 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

} // namespace

std::string uploadQueryFault(const FormFields& query)
{
    const auto has = [&](const char* name) { return query.count(name) == 1; };
    const auto value = [&](const char* name) { return formValue(query, name); };
    for (const char* name : {"session-id", "vertnr", "typ", "stpnr"}) {
        if (!has(name) || value(name).empty()) {
            return name;
        }
    }
    // XML invoice packages carry no customer number: the client sends "-1" printed as "%06d", "-00001".
    if (!isNumber(value("vertnr"))) {
        return "vertnr";
    }
    if (!isTypeCode(value("typ"))) {
        return "typ";
    }
    if (!isNumber(value("stpnr"))) {
        return "stpnr";
    }
    if (value("typ") == "TD") {
        for (const char* name : {"filename", "longfilename"}) {
            if (!has(name) || value(name).empty()) {
                return name;
            }
        }
        return {};
    }
    if (!has("ean_party") || !isNumber(value("ean_party"))) {
        return "ean_party";
    }
    if (!has("nichtbuchen") || (value("nichtbuchen") != "0" && value("nichtbuchen") != "1")) {
        return "nichtbuchen";
    }
    return {};
}

} // namespace bv::testing
