// Names each instance of a table-driven test after its case's name field.
#ifndef TESSALINK_TESTS_LAUNCHER_CASE_NAME_H
#define TESSALINK_TESTS_LAUNCHER_CASE_NAME_H

#include <gtest/gtest.h>

#include <string>

struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case> &instance) const
    {
        return instance.param.name;
    }
};

#endif
