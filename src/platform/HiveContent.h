#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bv {

// Where and why a hive text does not parse.
struct HiveSyntaxError
{
    int line = 0;
    std::string reason;
};

// The keys and values of one hive in memory, and their ".reg" text form. Keys are kept by their
// case-folded full path and values by their case-folded name; both keep the spelling of whoever
// created them first. Values keep the order in which they were created.
class HiveContent
{
public:
    static constexpr std::string_view Header = "Windows Registry Editor Version 5.00";

    struct Entry
    {
        std::string name; // "" is the key's default value ("@")
        RegValue value;
        std::uint64_t order = 0;
    };
    struct Key
    {
        std::string path;
        std::map<std::string, Entry> values; // by folded name

        const Entry* find(std::string_view name) const;
        // Sets a value; returns false when it already held exactly that value.
        bool set(const std::string& name, const RegValue& value, std::uint64_t order);
        bool erase(std::string_view name);
        std::vector<const Entry*> ordered() const;
    };

    // Parses a whole hive text: CR LF or LF line ends, blank lines and ";" comments, an optional
    // UTF-8 byte order mark. Empty text is an empty hive.
    static std::optional<HiveSyntaxError> parse(std::string_view text, HiveContent& out);
    std::string serialize() const;

    // A key path without trailing backslashes; nullopt when it is empty, has an empty component
    // or contains a line break or a NUL.
    static std::optional<std::string> normalizeKeyPath(std::string_view path);
    static std::string fold(std::string_view text);

    const Key* findKey(std::string_view normalizedPath) const;
    // Finds or creates a key and every parent below the hive name.
    Key& ensureKey(const std::string& normalizedPath);
    // Removes a key with all its subkeys; false when it did not exist.
    bool removeKey(const std::string& normalizedPath);
    std::uint64_t nextOrder() { return m_nextOrder++; }
    std::size_t keyCount() const { return m_keys.size(); }

private:
    std::map<std::string, Key> m_keys; // by folded path
    std::uint64_t m_nextOrder = 0;
};

} // namespace bv
