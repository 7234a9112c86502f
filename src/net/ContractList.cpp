#include "net/ContractList.h"

#include "platform/Text.h"

namespace bv {

void ContractList::replaceFrom(std::string_view value,
                               const std::function<void(const std::string&)>& appendCustomerNumber)
{
    // Slots left over from an earlier, longer list are emptied, so that a contract of another
    // login never passes the check.
    m_slots.fill({});
    m_count = 0;
    std::size_t pos = 0;
    for (int i = 0; i < Capacity; ++i) {
        std::string_view entry;
        if (pos < value.size()) {
            const std::size_t hash = value.find('#', pos);
            entry = value.substr(pos, hash == std::string_view::npos ? std::string_view::npos : hash - pos);
            pos = hash == std::string_view::npos ? value.size() : hash + 1;
        }
        const std::size_t equals = entry.find('=');
        const std::string_view number = entry.substr(0, equals);
        if (number.empty())
            continue;
        Contract& slot = m_slots[static_cast<std::size_t>(m_count)];
        slot.number = std::string(number);
        slot.name = equals == std::string_view::npos ? std::string() : std::string(entry.substr(equals + 1));
        if (appendCustomerNumber)
            appendCustomerNumber(slot.number);
        ++m_count;
    }
    m_selected = 0;
}

std::string ContractList::selectedNumber() const
{
    if (m_selected < 0 || m_selected >= Capacity)
        return {};
    return m_slots[static_cast<std::size_t>(m_selected)].number;
}

bool ContractList::contains(std::string_view number) const
{
    const long long wanted = decimalValue(number);
    if (wanted == 0)
        return false;
    for (const Contract& slot : m_slots) {
        if (decimalValue(slot.number) == wanted)
            return true;
    }
    return false;
}

} // namespace bv
