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
//
// Only the keys that were named themselves (a "[...]" line, or a key written through the registry)
// are held; their parent keys exist because a subkey names them. So a key path of N levels costs
// memory and time in proportion to its length, not N copies of ever longer parent paths, and the
// text written back holds no more key lines than were read or created.
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

    // True for a key that was named itself or that is the parent of one (below the hive name).
    bool keyExists(std::string_view normalizedPath) const;
    // The key's values; nullptr when the key does not exist or holds no values of its own.
    const Key* findKey(std::string_view normalizedPath) const;
    // Finds or creates a key (its parents exist through it); `created` tells whether the key did not
    // exist before.
    Key& ensureKey(const std::string& normalizedPath, bool* created = nullptr);
    // Removes a key with all its subkeys; false when it did not exist. Its parent key stays.
    bool removeKey(const std::string& normalizedPath);
    std::uint64_t nextOrder() { return m_nextOrder++; }

private:
    // The first held key below a folded path ("<path>\..."), or end.
    std::map<std::string, Key>::const_iterator firstSubkey(const std::string& foldedPath) const;

    std::map<std::string, Key> m_keys; // by folded path; a key's subkeys follow one another
    std::uint64_t m_nextOrder = 0;
};

} // namespace bv
