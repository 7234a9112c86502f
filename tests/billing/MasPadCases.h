#pragma once

// The worked cross-check cases of the MAS and PAD readers, kept as files in tests/data/maspad: the
// input file, the data areas expected after loading ("type|area" per line, Windows-1252) and the
// expected texts.
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace bv::cases {

inline std::string path(const std::string& name)
{
    return std::string(BV_MASPAD_CASES_DIR) + "/" + name;
}

inline std::string bytes(const std::string& name)
{
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The expected data areas: record type and 113 characters.
inline std::vector<std::pair<int, std::string>> areas(const std::string& name)
{
    std::vector<std::pair<int, std::string>> out;
    std::ifstream in(path(name), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        const auto bar = line.find('|');
        if (bar != std::string::npos)
            out.emplace_back(std::stoi(line.substr(0, bar)), line.substr(bar + 1, 113));
    }
    return out;
}

// A text as the case shows it in its block; `dropFinalLineEnd` for texts whose block adds one.
inline std::string text(const std::string& name, bool dropFinalLineEnd = false)
{
    std::string t = bytes(name);
    if (dropFinalLineEnd && !t.empty() && t.back() == '\n')
        t.pop_back();
    return t;
}

} // namespace bv::cases
