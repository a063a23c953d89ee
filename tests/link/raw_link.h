// The PC's link in mode 2 on a simulated line, with the handheld's side of a
// conversation queued on the line ahead of time: the raw modes need nothing
// more to run a whole conversation.
#ifndef TESSALINK_TESTS_RAW_LINK_H
#define TESSALINK_TESTS_RAW_LINK_H

#include <gtest/gtest.h>

#include "link/link_protocol.h"
#include "link_seams.h"
#include "platform/sim_platform.h"
#include "support/sim_fixture.h"
#include "packet_wire.h"

// A link on a line of its own, attached as COM<port>.
struct RawLink {
    RawLink(SimPlatform &sim, int port, const wire::Bytes &handheld = wire::Bytes())
    {
        sim.AttachPort(port, &line);
        link.SetMode(2);
        open = link.Open(port, &link.LineStateOf(2)) == 1;
        line.SendToPc(handheld.data(), handheld.size(), sim.Now());
    }
    ~RawLink() { link.Close(0); }
    RawLink(const RawLink &) = delete;
    RawLink &operator=(const RawLink &) = delete;

    SimLine line;
    LinkProtocolSeam link;
    bool open = false;
};

// A fixture with the link open on the fixture's line.
class RawLinkTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        link.SetMode(2);
        ASSERT_EQ(link.Open(kPort, &link.LineStateOf(2)), 1);
    }
    void TearDown() override
    {
        link.Close(0);
        SimFixture::TearDown();
    }
    void Handheld(const wire::Bytes &bytes) { line.SendToPc(bytes.data(), bytes.size(), sim.Now()); }
    wire::Bytes Written() const { return line.FromPcValues(); }

    LinkProtocolSeam link;
};

#endif
