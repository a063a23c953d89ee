// The code of the CMyException that a call raises (a test failure if it
// raises none).
#ifndef TESSALINK_TESTS_CODE_OF_H
#define TESSALINK_TESTS_CODE_OF_H

#include <gtest/gtest.h>

#include "link/my_exception.h"

template <typename F>
int CodeOf(F f)
{
    try {
        f();
    } catch (const CMyException &e) {
        return e.GetCode();
    }
    ADD_FAILURE() << "nothing was raised";
    return 0;
}

#endif
