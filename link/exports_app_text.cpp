// The application-text exports: a text file sent to the handheld as one
// stream ending with 0x1A, or the handheld's stream stored in a file.
#include "../include/tessalink.h"
#include "export_frame.h"
#include "link_object.h"

extern "C" {

KIVO_API int32_t KIVO_CALL KIVO_AppTextSend(const char *path, KIVO_HWND window)
{
    // A file that does not exist is refused before the file is even opened.
    const int32_t refusal = CurrentPlatform().FileExists(path) ? 0 : KIVO_ERR_FILE;
    const ExportCall call{"KIVO_AppTextSend", EntrySwitch::kNone, window, refusal};
    return RunExport(call, {path, FileAccess::kRead}, [&](CCallerFile &file) {
        return g_link.SendAppText(file, WindowOf(window));
    });
}

KIVO_API int32_t KIVO_CALL KIVO_AppTextRecv(const char *path, KIVO_HWND window)
{
    const ExportCall call{"KIVO_AppTextRecv", EntrySwitch::kNone, window};
    return RunExport(call, {path, FileAccess::kWrite}, [&](CCallerFile &file) {
        return g_link.ReceiveAppText(file, WindowOf(window));
    });
}

}
