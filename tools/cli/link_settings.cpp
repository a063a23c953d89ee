#include "link_settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/block_size_limits.h"
#include "link/mode_defaults.h"
#include "tessalink.h"

namespace cli {

namespace {
constexpr char kTraceVariable[] = "TESSALINK_TRACE";
}  // namespace

int LinkSettings::EffectivePort() const
{
    if (port != 0)
        return port;
    return kModeDefaults[mode].port;
}

std::string ApplyLinkSettings(const LinkSettings &link)
{
    const int port = link.EffectivePort();
    if (!link.device.empty() && ::setenv(PortDeviceVariable(port).c_str(), link.device.c_str(), 1) != 0)
        return "cannot set " + PortDeviceVariable(port) + ": " + std::strerror(errno);
    if (!link.traceFile.empty() && ::setenv(kTraceVariable, link.traceFile.c_str(), 1) != 0)
        return std::string("cannot set ") + kTraceVariable + ": " + std::strerror(errno);
    const auto mode = static_cast<uint16_t>(link.mode);
    if (KIVO_SetMode(mode) != KIVO_SETTING_ACCEPTED ||
        KIVO_SetPort(mode, static_cast<uint16_t>(port)) != KIVO_SETTING_ACCEPTED)
        return "link mode " + std::to_string(link.mode) + " was not accepted";
    // A setting not given is given its default again: the library keeps
    // what it was last given, and a process may make several calls.
    const int32_t baud = link.baud != 0 ? link.baud : kModeDefaults[link.mode].baud;
    if (KIVO_SetBaudEx(mode, baud) != KIVO_SETTING_ACCEPTED)
        return "the speed was not accepted";
    KIVO_LinkSendBlockSize(link.sendBlock != 0 ? link.sendBlock : kDefaultBlockSize);
    KIVO_LinkRecvBlockSize(link.recvBlock != 0 ? link.recvBlock : kDefaultBlockSize);
    return "";
}

}  // namespace cli
