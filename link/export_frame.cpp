#include "export_frame.h"

#include "../include/tessalink.h"
#include "link_object.h"
#include "my_exception.h"

namespace {

constexpr int32_t kGateSendBlockSize = 4096;

// False when the mode-2 gate stays shut: nothing is opened or changed.
bool Enter(EntrySwitch entry)
{
    switch (entry) {
    case EntrySwitch::kModeZero:
        if (g_link.GetMode() == LinkMode::kRaw)
            g_link.SetXon(ModeIndex(LinkMode::kRaw), 0);
        return true;
    case EntrySwitch::kModeTwoGate:
        if (g_link.GetMode() != LinkMode::kRawWithDrainWait)
            return false;
        g_link.SetSendBlockSize(kGateSendBlockSize);
        return true;
    case EntrySwitch::kNone:
        return true;
    }
    return true;
}

void Leave(EntrySwitch entry)
{
    if (entry == EntrySwitch::kModeZero && g_link.GetMode() == LinkMode::kRaw)
        g_link.SetXon(ModeIndex(LinkMode::kRaw), 1);
    else if (entry == EntrySwitch::kModeTwoGate)
        g_link.SetSendBlockSize(kDefaultBlockSize);
}

// The packet operations refuse unusable block sizes before any byte goes out,
// the connection's probe included.
bool BlockSizesAllowRun(EntrySwitch entry)
{
    return entry == EntrySwitch::kNone || g_link.BlockSizesUsable();
}

}  // namespace

int RunConnected(const std::function<int()> &operation)
{
    int connected = 0;
    try {
        connected = g_link.Connect();
    } catch (CMyException e) {
        return e.GetCode();  // a port already open is left as it is
    } catch (...) {
        return g_link.Close(KIVO_ERR_NO_CONNECTION);  // out of memory while opening
    }
    if (connected == 0)
        return KIVO_ERR_NO_CONNECTION;
    int result;
    try {
        result = operation();
    } catch (CFileError) {
        result = KIVO_ERR_FILE;
    } catch (...) {
        result = KIVO_ERR_NO_CONNECTION;
    }
    return g_link.Disconnect(result);
}

int RunWithFile(EntrySwitch entry, const char *path, FileAccess access,
                const std::function<int(CCallerFile &)> &operation)
{
    if (!Enter(entry))
        return KIVO_ERR_NO_CONNECTION;
    int result = KIVO_ERR_NO_CONNECTION;
    if (BlockSizesAllowRun(entry)) {
        try {
            CCallerFile file(path, access);
            result = file.IsOpen() ? RunConnected([&] { return operation(file); }) : KIVO_ERR_FILE;
        } catch (...) {
            result = KIVO_ERR_NO_CONNECTION;  // out of memory before the connection
        }
    }
    Leave(entry);
    return result;
}

int RunWithoutFile(EntrySwitch entry, const std::function<int()> &operation)
{
    if (!Enter(entry))
        return KIVO_ERR_NO_CONNECTION;
    int result = KIVO_ERR_NO_CONNECTION;
    if (BlockSizesAllowRun(entry)) {
        try {
            result = RunConnected(operation);
        } catch (...) {
            result = KIVO_ERR_NO_CONNECTION;
        }
    }
    Leave(entry);
    return result;
}
