// What the tool finds wrong with a device that the library could not open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include "launcher/case_name.h"
#include "port_diagnosis.h"
#include "support/temp_dir.h"

namespace {

// The far end of a fresh pseudo-terminal, and its name.
class Terminal {
public:
    Terminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_name = ::ptsname(m_master);
    }
    ~Terminal()
    {
        if (m_holder >= 0)
            ::close(m_holder);
        if (m_master >= 0)
            ::close(m_master);
    }
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    const std::string &Name() const { return m_name; }
    // Opens and locks the device as another program holding the port would.
    void HoldAsAnotherProgram()
    {
        m_holder = ::open(m_name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_holder, 0);
        ASSERT_EQ(::flock(m_holder, LOCK_EX | LOCK_NB), 0);
    }

private:
    int m_master;
    int m_holder = -1;
    std::string m_name;
};

struct DeviceCase {
    std::string name;
    // Makes the device in the directory or the terminal; returns its path.
    std::function<std::string(const TempDir &, Terminal &)> make;
    std::string reason;  // after "<path>: "; "" for a usable device
};

void PrintTo(const DeviceCase &c, std::ostream *out) { *out << c.name; }

class DeviceDiagnosis : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceDiagnosis, NamesTheDeviceAndTheReason)
{
    const DeviceCase &c = GetParam();
    TempDir dir;
    Terminal terminal;
    ASSERT_FALSE(terminal.Name().empty());
    const std::string device = c.make(dir, terminal);
    EXPECT_EQ(cli::DeviceProblem(device), c.reason.empty() ? "" : device + ": " + c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceDiagnosis,
    ::testing::Values(
        DeviceCase{"Missing", [](const TempDir &d, Terminal &) { return d.Path("ttyUSB0"); },
                   "No such file or directory"},
        DeviceCase{"UnderAFile",
                   [](const TempDir &d, Terminal &) { return d.Write("file", {}) + "/ttyUSB0"; },
                   "Not a directory"},
        DeviceCase{"Directory", [](const TempDir &d, Terminal &) { return d.Path(""); }, "not a serial device"},
        DeviceCase{"RegularFile", [](const TempDir &d, Terminal &) { return d.Write("ttyS0", {'x'}); },
                   "not a serial device"},
        DeviceCase{"CharacterDeviceThatIsNoTerminal", [](const TempDir &, Terminal &) { return "/dev/null"; },
                   "not a serial device"},
        DeviceCase{"BusyTerminal",
                   [](const TempDir &, Terminal &pty) {
                       pty.HoldAsAnotherProgram();
                       return pty.Name();
                   },
                   "busy: another program has it open"},
        DeviceCase{"FreeTerminal", [](const TempDir &, Terminal &pty) { return pty.Name(); }, ""}),
    CaseName());

TEST(PortDevicePath, IsTheVariableOfThePortElseTheSerialDevice)
{
    ::setenv("TESSALINK_COM5", "/dev/pts/9", 1);
    ::unsetenv("TESSALINK_COM6");
    EXPECT_EQ(cli::PortDevicePath(5), "/dev/pts/9");
    EXPECT_EQ(cli::PortDevicePath(6), "/dev/ttyS5");
    ::setenv("TESSALINK_COM6", "", 1);
    EXPECT_EQ(cli::PortDevicePath(6), "/dev/ttyS5");
    ::unsetenv("TESSALINK_COM5");
    ::unsetenv("TESSALINK_COM6");
}

}  // namespace
