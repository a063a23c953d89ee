// Helpers shared by the conversion tests.
#ifndef TESSALINK_TESTS_CONVERT_TEST_UTIL_H
#define TESSALINK_TESTS_CONVERT_TEST_UTIL_H

#include <gtest/gtest.h>

#include <cstdint>
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
