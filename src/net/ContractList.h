#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace bv {

// The user's contracts as the last login listed them: up to 200 pairs of contract number and name,
// and the one selected (the main window sends its number with requests; the send dialog checks
// billing files against the list).
class ContractList
{
public:
    static constexpr int Capacity = 200;

    struct Contract
    {
        std::string number;
        std::string name;
    };

    // Replaces the list from a login reply value "number=name#number=name...": at most 200
    // entries, entries with an empty number are skipped; each stored number is also handed to
    // `appendCustomerNumber`. Selects contract 0.
    void replaceFrom(std::string_view value, const std::function<void(const std::string&)>& appendCustomerNumber);

    int count() const { return m_count; }
    int selected() const { return m_selected; }
    void select(int index) { m_selected = index; }
    const Contract& at(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }
    // Number of the selected contract; empty when none is filled in.
    std::string selectedNumber() const;

    // Whether a contract number is in the list: its decimal value is not zero and equals the value
    // of one of the slots.
    bool contains(std::string_view number) const;

private:
    std::array<Contract, Capacity> m_slots;
    int m_count = 0;
    int m_selected = 0;
};

} // namespace bv
