#include "app/contents/LabServices.h"

#include "billing/formats/records/InvoiceObject.h"
#include "billing/formats/records/RecordObject.h"
#include "platform/Text.h"

#include <algorithm>

namespace bv {

namespace {

// Field numbers of one position: text, amount, marker.
struct Position
{
    int text;
    int amount;
    int marker;
};

// A 500 record holds four positions. A 510 record holds one: its later fields are of another kind
// (a two-character code, a long text, a flag), not further positions.
constexpr Position MaterialPositions[] = {{0, 2, 3}, {5, 7, 8}, {10, 12, 13}, {15, 17, 18}};
constexpr int MaterialRecord = 500;
constexpr int LaboratoryRecord = 510;

bool holdsAny(const std::string& text, const std::vector<std::string>& keywords)
{
    return std::any_of(keywords.begin(), keywords.end(),
                       [&text](const std::string& keyword) { return text.find(keyword) != std::string::npos; });
}

} // namespace

std::string normaliseLabText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '.' || c == '-' || c == '/')
            continue;
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xC3 && i + 1 < text.size()) {
            // Latin-1 capitals (U+00C0 to U+00DE without the multiplication sign) to their small letters.
            unsigned char next = static_cast<unsigned char>(text[++i]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                next = static_cast<unsigned char>(next + 0x20);
            out += static_cast<char>(c);
            out += static_cast<char>(next);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<std::string> splitLabKeywords(std::string_view list)
{
    std::vector<std::string> keywords;
    for (const std::string& piece : split(list, ';')) {
        std::string keyword = normaliseLabText(piece);
        if (!keyword.empty())
            keywords.push_back(std::move(keyword));
    }
    return keywords;
}

std::vector<LabService> findLabServices(const InvoiceObject& invoice, const LabKeywords& keywords, char defaultKind)
{
    std::vector<LabService> services;
    if (!invoice.records)
        return services;
    for (int r = 0; r < invoice.recordCount; ++r) {
        const RecordObject& record = invoice.records[r];
        const int type = record.recordType();
        if (type != MaterialRecord && type != LaboratoryRecord)
            continue;
        const std::size_t positions = type == MaterialRecord ? std::size(MaterialPositions) : 1;
        for (std::size_t p = 0; p < positions; ++p) {
            const Position& position = MaterialPositions[p];
            if (record.fieldView(position.marker) == "-")
                continue;
            const std::string text = normaliseLabText(cp1252ToUtf8(record.fieldView(position.text)));
            char kind = defaultKind;
            bool found = false;
            if ((kind == 'F' || kind == 'A') && holdsAny(text, keywords.external)) {
                kind = 'F';
                found = true;
            }
            if ((kind == 'E' || kind == 'A') && holdsAny(text, keywords.own)) {
                kind = 'E';
                found = true;
            }
            if (found)
                services.push_back({decimalInt(trimBlanks(record.fieldView(position.amount))), kind});
        }
    }
    return services;
}

} // namespace bv
