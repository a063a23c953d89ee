// Delivery of a window message to a KIVO_WINDOW record (systems without
// Windows' own windows).
#ifndef TESSALINK_PLATFORM_WINDOW_RECORD_H
#define TESSALINK_PLATFORM_WINDOW_RECORD_H

#include "../include/tessalink.h"
#include "platform.h"

#if !defined(_WIN32)
inline intptr_t CallWindowRecord(WindowHandle window, uint32_t message, uintptr_t wParam,
                                 intptr_t lParam)
{
    KIVO_WINDOW *record = static_cast<KIVO_WINDOW *>(window);
    if (record == nullptr || record->proc == nullptr)
        return 0;
    return record->proc(record->context, message, wParam, lParam);
}
#endif

#endif
