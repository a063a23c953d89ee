// A fixture for tests through the exports: the simulated platform in force,
// and g_link, which lives for the whole test program, put back as it was
// found (port closed, block sizes 256, mode 0's record with XON/XOFF on).
#ifndef TESSALINK_TESTS_EXPORT_FIXTURE_H
#define TESSALINK_TESTS_EXPORT_FIXTURE_H

#include "link/link_object.h"
#include "support/sim_fixture.h"
#include "tessalink.h"

class ExportFixture : public SimFixture {
protected:
    void TearDown() override
    {
        g_link.Close(0);
        KIVO_LinkSendBlockSize(256);
        KIVO_LinkRecvBlockSize(256);
        g_link.SetXon(0, 1);
        SimFixture::TearDown();
    }
};

#endif
