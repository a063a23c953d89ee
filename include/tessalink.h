/*
 * tessalink.h - the public interface of the Tessalink library.
 *
 * Tessalink links a PC to a handheld organizer over an RS-232 cable. A caller
 * selects a link mode (0, 1 or 2) and the COM port and speed of each mode, then
 * calls one export per task. Every link export opens the port, runs one
 * conversation with the handheld, closes the port and returns an integer result.
 *
 * Texts are zero-terminated 8-bit strings in the system's code page (code page
 * 932 on the systems served). The library keeps no pointer of the caller's
 * beyond a call. Exports run on the caller's thread; never run two at once.
 *
 * Null pointers: where an export expects a text or a path and is given null,
 * it fails with a defined result and never crashes: KIVO_ERR_FILE (-500) where
 * the argument names a file of the caller's, KIVO_ERR_NO_CONNECTION (-999)
 * otherwise.
 *
 * Windows: exported under their undecorated names with the C calling
 * convention (__cdecl). POSIX: see KIVO_WINDOW for the window handle, and the
 * environment variables TESSALINK_COM<n> for the device that "COM<n>" opens
 * (default /dev/ttyS<n-1>).
 */
#ifndef TESSALINK_H
#define TESSALINK_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#define KIVO_CALL __cdecl
#else
#define KIVO_CALL
#endif

#if defined(TESSALINK_BUILDING)
#if defined(_WIN32)
#define KIVO_API __declspec(dllexport)
#else
#define KIVO_API __attribute__((visibility("default")))
#endif
#else
#define KIVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Results of the link and settings exports ---- */
#define KIVO_OK                     0    /* success */
#define KIVO_SETTING_ACCEPTED       1    /* a settings export accepted its arguments */
#define KIVO_SETTING_REJECTED       0    /* a settings export rejected a mode outside 0-2 */
#define KIVO_ERR_NO_CONNECTION   (-999)  /* no mode, port not opened / no serial device / already open,
                                            put-file-2 outside mode 2, lists without a pair,
                                            block sizes the operations cannot use, out of memory */
#define KIVO_ERR_FILE            (-500)  /* the caller's file could not be opened, read or written */
#define KIVO_CANCELLED             999   /* the caller's window answered WM_LINK_POLL with nonzero */
#define KIVO_ERR_WRONG_REPLY     (-100)  /* the handheld's reply was not the one expected */
#define KIVO_ERR_NO_DOK          (-101)  /* the handheld did not answer a command with "DOK" */
#define KIVO_ERR_PACKET          (-102)  /* packet exchange failed (three rejections, or no fit) */
#define KIVO_ERR_PACKET_CANCEL   (-103)  /* the handheld cancelled (CAN) during the packet exchange */
#define KIVO_ERR_BLOCK_RECV        (-1)  /* mode 1: a block could not be received in three attempts */
#define KIVO_ERR_BLOCK_SEND        (-2)  /* mode 1: a block could not be sent in three attempts */
#define KIVO_ERR_NOT_CONTROL       (-3)  /* mode 1: a control frame was awaited, another frame came */
#define KIVO_ERR_NOT_DATA          (-4)  /* mode 1: a data frame was awaited, another frame came */
#define KIVO_ERR_BAD_HEADER        (-5)  /* mode 1: a data frame carried a wrong header */
#define KIVO_ERR_BLOCK_CANCEL      (-6)  /* mode 1: the handheld cancelled (CAN) during the block exchange */

/* ---- Messages sent to the caller's window, synchronously, during a link export ---- */
#define WM_LINK_POLL     0x04C8  /* WM_USER + 200; wParam 0, lParam 0; answer nonzero to cancel */
#define WM_LINK_PROGRESS 0x04D2  /* WM_USER + 210; wParam bytes moved in the step, lParam total or 0 */

#if defined(_WIN32)
typedef HWND KIVO_HWND;
#else
/*
 * The window on POSIX systems: a record owned by the caller. proc is called
 * synchronously on the caller's thread with WM_LINK_POLL and WM_LINK_PROGRESS;
 * its return value is the answer. A null KIVO_HWND means no window: no
 * messages, and no way to cancel.
 */
typedef struct KIVO_WINDOW {
    intptr_t (*proc)(void *context, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void *context;
} KIVO_WINDOW;
typedef KIVO_WINDOW *KIVO_HWND;
#endif

/* ---- Settings: held in memory, they reach the line at the next connection ---- */

/* Selects link mode 0, 1 or 2 (low 16 bits of the argument). 1 if accepted,
   0 for any other value (the mode in force is kept). No mode is selected at load. */
KIVO_API int32_t KIVO_CALL KIVO_SetMode(uint16_t mode);

/* Sets the COM port number of mode's settings record (not the mode in force).
   1 if mode is 0-2, else 0. The number is not examined until the next connection. */
KIVO_API int32_t KIVO_CALL KIVO_SetPort(uint16_t mode, uint16_t port);

/* Sets the speed of mode's record to a 16-bit value (115200 would become 49664;
   use KIVO_SetBaudEx above 65535). 1 if mode is 0-2, else 0. */
KIVO_API int32_t KIVO_CALL KIVO_SetBaud(uint16_t mode, uint16_t baud);

/* Sets the speed of mode's record to the full 32-bit value. 1 if mode is 0-2, else 0. */
KIVO_API int32_t KIVO_CALL KIVO_SetBaudEx(uint16_t mode, int32_t baud);

/* Sets the send block size of the packet layer. Always returns 1. A size the
   operations cannot use (below 4 or above 8192) is stored, and every link
   operation then refuses to run with -999 before sending a byte. */
KIVO_API int32_t KIVO_CALL KIVO_LinkSendBlockSize(int32_t size);

/* Sets the receive block size of the packet layer, with the same rule for
   unusable sizes. Always returns 0 (not 1): callers rely on this. */
KIVO_API int32_t KIVO_CALL KIVO_LinkRecvBlockSize(int32_t size);

#ifdef __cplusplus
}
#endif

#endif /* TESSALINK_H */
