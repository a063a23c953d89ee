// The settings exports. None touches the port; their changes reach the line
// at the next connection. 16-bit arguments arrive as uint16_t, so only the
// low 16 bits of what the caller passed count.
#include "../include/tessalink.h"
#include "link_object.h"

extern "C" {

KIVO_API int32_t KIVO_CALL KIVO_SetMode(uint16_t mode)
{
    return g_link.SetMode(mode);
}

KIVO_API int32_t KIVO_CALL KIVO_SetPort(uint16_t mode, uint16_t port)
{
    return g_link.SetPort(mode, port);
}

KIVO_API int32_t KIVO_CALL KIVO_SetBaud(uint16_t mode, uint16_t baud)
{
    return g_link.SetBaud(mode, baud);
}

KIVO_API int32_t KIVO_CALL KIVO_SetBaudEx(uint16_t mode, int32_t baud)
{
    return g_link.SetBaud(mode, baud);
}

KIVO_API int32_t KIVO_CALL KIVO_LinkSendBlockSize(int32_t size)
{
    g_link.SetSendBlockSize(size);
    return 1;
}

KIVO_API int32_t KIVO_CALL KIVO_LinkRecvBlockSize(int32_t size)
{
    g_link.SetRecvBlockSize(size);
    return 0;
}

}
