// A test fixture that puts the simulated platform in force for one test, with
// one simulated line attached as COM2, and puts the previous platform back.
#ifndef TESSALINK_TESTS_SIM_FIXTURE_H
#define TESSALINK_TESTS_SIM_FIXTURE_H

#include <gtest/gtest.h>

#include "platform/sim_line.h"
#include "platform/sim_platform.h"

class SimFixture : public ::testing::Test {
protected:
    static constexpr int kPort = 2;

    void SetUp() override
    {
        sim.AttachPort(kPort, &line);
        previous = InstallPlatform(&sim);
    }
    void TearDown() override { InstallPlatform(previous); }

    SimPlatform sim;
    SimLine line;
    Platform *previous = nullptr;
};

#endif
