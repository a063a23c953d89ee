// Helpers shared by the conversion tests.
#ifndef TESSALINK_TESTS_CONVERT_TEST_UTIL_H
#define TESSALINK_TESTS_CONVERT_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace testutil {

// Bytes written as a string of hexadecimal pairs, e.g. "41 EB 9F".
inline std::string Hex(const std::string &spaced)
{
    std::string out;
    for (size_t i = 0; i < spaced.size();) {
        if (spaced[i] == ' ') {
            ++i;
            continue;
        }
        out += static_cast<char>(std::stoi(spaced.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

inline std::string AsString(const std::vector<uint8_t> &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A case of a conversion into memory: a text and the bytes it gives.
struct ConversionCase {
    const char *name;
    std::string text;
    std::string bytes;  // expected, as hexadecimal pairs
};

inline void PrintTo(const ConversionCase &c, std::ostream *os)
{
    *os << c.name;
}

// Runs a MEM export on the case's text: the bytes, a zero byte after them,
// and nothing written beyond it.
inline void ExpectConversion(int32_t (*convert)(const char *, uint8_t *), const ConversionCase &c)
{
    const std::string expected = Hex(c.bytes);
    std::vector<uint8_t> out(c.text.size() + 1 + 4, 0xAA);
    const int32_t n = convert(c.text.c_str(), out.data());
    ASSERT_EQ(n, static_cast<int32_t>(expected.size()));
    EXPECT_EQ(AsString(std::vector<uint8_t>(out.begin(), out.begin() + n)), expected);
    EXPECT_EQ(out[static_cast<size_t>(n)], 0);
    EXPECT_EQ(out[static_cast<size_t>(n) + 1], 0xAA) << "nothing written after the zero byte";
}

// Names the tests of a table after their cases' name field.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &test) const
    {
        return test.param.name;
    }
};

}  // namespace testutil

#endif
