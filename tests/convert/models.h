// Small independent models of the conversions, written from their documented
// rules and tables (never from the library's code), for the property tests.
#ifndef TESSALINK_TESTS_CONVERT_MODELS_H
#define TESSALINK_TESTS_CONVERT_MODELS_H

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace model {

using Bytes = std::vector<uint8_t>;

// 4-to-3: the alphabet in value order.
inline int AlphabetValue(unsigned char c)
{
    static const std::string kOrder =
        "012345ABCDEFGHIJKLMNOPQRSTUVWXYZ6789:;abcdefghijklmnopqrstuvwxyz";
    const size_t at = kOrder.find(static_cast<char>(c));
    return at == std::string::npos || c == 0 ? -1 : static_cast<int>(at);
}

inline Bytes FourToThree(const std::string &text)
{
    std::vector<int> values;
    for (unsigned char c : text)
        if (AlphabetValue(c) >= 0)
            values.push_back(AlphabetValue(c));
    Bytes out;
    for (size_t g = 0; g < values.size(); g += 4) {
        const size_t n = values.size() - g < 4 ? values.size() - g : 4;
        const int top = values[g + n - 1];  // the carrier: the group's last character
        const int topBits[3] = {(top >> 4) & 3, (top >> 2) & 3, top & 3};
        for (size_t i = 0; i + 1 < n; ++i)
            out.push_back(static_cast<uint8_t>(topBits[i] * 64 + values[g + i]));
    }
    return out;
}

// Hex: the digit-value rule.
inline int DigitValue(unsigned char c)
{
    const int code = static_cast<signed char>(c);
    return code >= 0x41 ? code - 0x37 : code - 0x30;
}

inline Bytes HexToBinary(const std::string &hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int value = 16 * DigitValue(static_cast<unsigned char>(hex[i])) +
                          DigitValue(static_cast<unsigned char>(hex[i + 1]));
        out.push_back(static_cast<uint8_t>(((value % 256) + 256) % 256));
    }
    return out;
}

// Code page 932 (Shift-JIS) by its byte ranges; or no double-byte characters.
struct CodePage {
    bool doubleByte = true;
    bool Lead(unsigned char b) const { return doubleByte && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)); }
    bool Trail(unsigned char b) const { return doubleByte && ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC)); }
};

// Code mask: the masking rules, in order, building a new text.
inline std::string CodeMask(const std::string &text, CodePage cp = {})
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b == 0xEB || b == 0xEC || b == 0xFC || b == 0xFD) {
            out += ' ';
            i += i + 1 < text.size() ? 2 : 1;
        } else if (cp.Lead(b) && i + 1 < text.size()) {
            const unsigned code = b * 256u + static_cast<unsigned char>(text[i + 1]);
            const bool masked = (code >= 0x9873 && code <= 0x989E) || (code >= 0xED40 && code <= 0xED75);
            out += masked ? std::string("  ") : text.substr(i, 2);
            i += 2;
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

// Layouts: built with the printf formats of the lines. The input is
// the list of the text's strings (before the closing empty one).
inline std::string Format(const char *format, int w, const std::string &a, const std::string &b = "")
{
    char line[4096];
    if (w < 0)
        std::snprintf(line, sizeof line, format, a.c_str(), b.c_str());
    else if (b.empty() && std::string(format).find("%-12") == std::string::npos)
        std::snprintf(line, sizeof line, format, w, w, a.c_str());
    else
        std::snprintf(line, sizeof line, format, a.c_str(), w, w, b.c_str());
    return line;
}

// The strings after the header rule, and the segments of each.
inline std::vector<std::string> Segments(std::vector<std::string> strings, bool *twoColumnText)
{
    if (!strings.empty() && strings[0].size() >= 5) {
        std::string head = strings[0].substr(0, 5);
        for (char &c : head)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + 32);
        if (head == "mem1:") {
            strings[0].erase(0, 5);
            const size_t rs = strings[0].find('\x1E');
            if (rs != std::string::npos) {
                strings[0].erase(rs);
                strings.resize(1);
            }
        }
    }
    std::vector<std::string> segments;
    *twoColumnText = false;
    for (size_t s = 0; s < strings.size(); ++s) {
        if (strings[s].empty())
            break;  // an empty string ends the text
        if (s == 0)
            *twoColumnText = strings[0].find('\t') != std::string::npos;
        std::string current;
        for (char c : strings[s]) {
            if (c == '\x1F' || c == '\r') {
                segments.push_back(current);
                current.clear();
            } else {
                current += c;
            }
        }
        const char last = strings[s].back();
        if (last != '\x1F' && last != '\r')  // a separator at the end adds no segment
            segments.push_back(current);
    }
    return segments;
}

// The cut of the wrap rule: the last character boundary at or below w
// (characters walked from the rest's start); at w = 1 a double-byte
// character is cut whole.
inline size_t Cut(const std::string &rest, int w, CodePage cp)
{
    size_t pos = 0, boundary = 0;
    while (pos <= static_cast<size_t>(w)) {
        boundary = pos;
        const bool pair = pos + 1 < rest.size() && cp.Lead(static_cast<unsigned char>(rest[pos])) &&
                          cp.Trail(static_cast<unsigned char>(rest[pos + 1]));
        pos += pair ? 2 : 1;
    }
    return boundary == 0 ? 2 : boundary;
}

inline std::string MemAnalize(const std::vector<std::string> &strings, int width, CodePage cp = {})
{
    bool twoColumnText;
    std::string out;
    for (std::string rest : Segments(strings, &twoColumnText)) {
        while (width > 0 && rest.size() > static_cast<size_t>(width) && Cut(rest, width, cp) < rest.size()) {
            const int w = static_cast<int>(Cut(rest, width, cp));
            out += Format("%-*.*s\r\n", w, rest);
            rest.erase(0, static_cast<size_t>(w));
        }
        out += Format("%s\r\n", -1, rest);
    }
    return out;
}

inline std::string RepAnalize(const std::vector<std::string> &strings, int lineWidth, int valueWidth,
                              CodePage cp = {})
{
    bool twoColumnText;
    std::string out;
    for (const std::string &segment : Segments(strings, &twoColumnText)) {
        std::string label, value = segment;
        const size_t tab = segment.find('\t');
        if (tab != std::string::npos) {
            label = segment.substr(0, tab);
            value = segment.substr(tab + 1);
        }
        for (;;) {
            const bool two = !label.empty() || twoColumnText;
            const int width = two ? valueWidth : lineWidth;
            if (width > 0 && value.size() > static_cast<size_t>(width) && Cut(value, width, cp) < value.size()) {
                const int w = static_cast<int>(Cut(value, width, cp));
                out += two ? Format("%-12.12s%-*.*s\r\n", w, label, value) : Format("%-*.*s\r\n", w, value);
                value.erase(0, static_cast<size_t>(w));
                label.clear();
                continue;
            }
            if (two && label.empty() && value.empty())
                out += "\r\n";
            else
                out += two ? Format("%-12.12s%s\r\n", -1, label, value) : Format("%s\r\n", -1, value);
            break;
        }
    }
    return out;
}

// A random text of n bytes drawn from pool.
inline std::string RandomText(std::mt19937 &rng, const std::string &pool, size_t n)
{
    std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
    std::string text;
    for (size_t i = 0; i < n; ++i)
        text += pool[pick(rng)];
    return text;
}

}  // namespace model

#endif
