#include "config/Profile.h"

#include "platform/Text.h"

#include <cstdint>

namespace bv {

Profile::Profile(Registry& registry) : m_registry(registry) {}

std::string Profile::sectionKey(const std::string& section) const
{
    std::string key;
    key.reserve(96 + section.size());
    key += "HKEY_CURRENT_USER\\Software\\";
    key += RegistryKeyName;
    key += '\\';
    key += ProfileName;
    key += '\\';
    key += section;
    return key;
}

std::string Profile::readString(const std::string& section, const std::string& name,
                                const std::string& defaultValue) const
{
    const auto value = m_registry.value(sectionKey(section), name);
    if (!value)
        return defaultValue;
    if (value->type == RegValue::Type::Dword)
        return std::to_string(static_cast<std::int32_t>(value->number));
    return value->text;
}

int Profile::readInt(const std::string& section, const std::string& name, int defaultValue) const
{
    const auto value = m_registry.value(sectionKey(section), name);
    if (!value)
        return defaultValue;
    if (value->type == RegValue::Type::Dword)
        return static_cast<std::int32_t>(value->number);
    return decimalInt(value->text);
}

bool Profile::exists(const std::string& section, const std::string& name) const
{
    return m_registry.value(sectionKey(section), name).has_value();
}

bool Profile::writeString(const std::string& section, const std::string& name, const std::string& value)
{
    return m_registry.setValue(sectionKey(section), name, RegValue::string(value));
}

bool Profile::writeInt(const std::string& section, const std::string& name, int value)
{
    return m_registry.setValue(sectionKey(section), name, RegValue::dword(static_cast<std::uint32_t>(value)));
}

std::string Profile::machineValue(const std::string& machineKey, const std::string& name) const
{
    return RegistryKeyReader(m_registry, machineKey).readString(name);
}

} // namespace bv
