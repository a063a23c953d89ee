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
 * otherwise. The conversions: see their section.
 *
 * Windows: exported under their undecorated names with the C calling
 * convention (__cdecl). POSIX: see KIVO_WINDOW for the window handle, and the
 * environment variables TESSALINK_COM<n> for the device that "COM<n>" opens
 * (default /dev/ttyS<n-1>).
 *
 * Trace: when the environment variable TESSALINK_TRACE names a file, each
 * link export appends to it a line for its start, one for each packet, mode-1
 * frame and control byte it sends or receives (the milliseconds since the
 * call began, "->" or "<-", the decoded fields), and one for its result. The
 * variable is read at the start of every call. A file that cannot be written
 * never changes a result; unset, the trace costs nothing.
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
                                            block sizes the operations cannot use, out of memory;
                                            the device went away during the call, or took no byte
                                            for six minutes */
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

/* Sets the speed of mode's record to the full 32-bit value. 1 if mode is 0-2, else 0.
   Any speed the port's driver takes is set exactly (on Linux too). A speed the
   port refuses (0, say) is not reported, as on Windows: the connection goes on
   at the port's earlier speed, with every other setting of the mode in force.
   A device that is no serial port (no terminal, such as /dev/null) is not
   opened: KIVO_ERR_NO_CONNECTION before a byte is sent. */
KIVO_API int32_t KIVO_CALL KIVO_SetBaudEx(uint16_t mode, int32_t baud);

/* Sets the send block size of the packet layer. Always returns 1. A size the
   operations cannot use (below 4 or above 8192) is stored, and every link
   operation then refuses to run with -999 before sending a byte. */
KIVO_API int32_t KIVO_CALL KIVO_LinkSendBlockSize(int32_t size);

/* Sets the receive block size of the packet layer, with the same rule for
   unusable sizes. Always returns 0 (not 1): callers rely on this. */
KIVO_API int32_t KIVO_CALL KIVO_LinkRecvBlockSize(int32_t size);

/* ---- File transfer: one connection per call ----
 *
 * Each call opens the caller's file (output files are created or emptied
 * before the connection is tried; input files must exist), opens the port of
 * the selected mode, runs one conversation with the handheld, closes the port
 * and the file, and returns 0 or a result code above. While it runs, the
 * window (may be null) receives WM_LINK_PROGRESS and is polled with
 * WM_LINK_POLL; a nonzero answer cancels with KIVO_CANCELLED.
 *
 * In mode 0 these calls (but not the put-file-2 ones) run with XON/XOFF off
 * and leave mode 0's record with XON/XOFF on. The put-file-2 calls run only
 * in mode 2 (else -999 at once, nothing touched), send with a send block size
 * of 4096 and leave it at 256. A failure of the caller's file, at opening or
 * while reading or writing it, gives KIVO_ERR_FILE. A null local path gives
 * KIVO_ERR_FILE; a null name, argument or list gives KIVO_ERR_NO_CONNECTION
 * and touches nothing.
 *
 * Every wait ends by itself, with a window that never cancels or without one:
 *  - in modes 0 and 2 a handheld silent for six minutes where the packet layer
 *    awaits it ends the call with KIVO_ERR_PACKET;
 *  - in mode 1 the block exchange gives up after six minutes and two times ten
 *    seconds (KIVO_ERR_BLOCK_RECV / KIVO_ERR_BLOCK_SEND); a frame that stops
 *    for a minute halfway counts as not received; a hunt for a frame ends at
 *    its wait however much noise arrives, and at most ten seconds after it
 *    while a header is under way or frames of the other kind keep coming; an
 *    answer awaited while other control codes keep coming ends at its wait;
 *  - more than 16 stray acknowledgements where a packet is awaited end the
 *    exchange with KIVO_ERR_PACKET; replies to one list or get of more than
 *    2 GiB - 1 bytes end it with KIVO_ERR_WRONG_REPLY;
 *  - a file to send that goes on beyond 2 GiB - 1 bytes (a device such as
 *    /dev/zero given as the file) ends a put or text send with KIVO_ERR_FILE;
 *  - a write that moves no byte for six minutes (output held by CTS low, a
 *    device that takes nothing) ends the call with KIVO_ERR_NO_CONNECTION;
 *  - the mode-2 close waits at most six minutes for the handheld to drop CTS.
 * A device that goes away during a call (an unplugged adapter, a hung-up
 * terminal; on Windows a removed device) ends it at the first read or write
 * that finds it gone, at once and without spinning, with
 * KIVO_ERR_NO_CONNECTION: the connection cannot be carried on, as when the
 * port cannot be opened, and a caller offers the same remedy for both (check
 * the cable and the device, then call again). The port is closed; the next
 * call opens it afresh.
 * A request (prefix, name, terminating zero) longer than one packet of the
 * send block size is refused with KIVO_ERR_PACKET before any byte is sent.
 */

/* Stores the handheld's file list (argument passed to it unchanged) in the file. */
KIVO_API int32_t KIVO_CALL KIVO_LinkFileList(const char *path, const char *argument, KIVO_HWND window);

/* Fetches the handheld's file name into the local file path. */
KIVO_API int32_t KIVO_CALL KIVO_LinkGetFile(const char *path, const char *name, KIVO_HWND window);

/* Sends the local file as name in packets, then the release. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFile(const char *path, const char *name, KIVO_HWND window);

/* As KIVO_LinkPutFile, without the release. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFileEx(const char *path, const char *name, KIVO_HWND window);

/* Mode 2 only: announces the file's size and sends it in acknowledged chunks, then the release. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFile2(const char *path, const char *name, KIVO_HWND window);

/* As KIVO_LinkPutFile2, without the release. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFile2Ex(const char *path, const char *name, KIVO_HWND window);

/* Sends each pair of two CR-separated lists (local paths, names on the
   handheld) over one connection, in order, stopping at the first failure;
   empty entries are skipped and the shorter list wins; the release once after
   all. No pair at all: -999. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFiles(const char *paths, const char *names, KIVO_HWND window);

/* As KIVO_LinkPutFiles, without the release. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFilesEx(const char *paths, const char *names, KIVO_HWND window);

/* As KIVO_LinkPutFiles with the put-file-2 transfer (mode 2 only). */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFiles2(const char *paths, const char *names, KIVO_HWND window);

/* As KIVO_LinkPutFiles2, without the release. */
KIVO_API int32_t KIVO_CALL KIVO_LinkPutFiles2Ex(const char *paths, const char *names, KIVO_HWND window);

/* Asks the handheld to delete name; 0 whether or not it had such a file. */
KIVO_API int32_t KIVO_CALL KIVO_LinkDelFile(const char *name, KIVO_HWND window);

/* Sends the release on a connection of its own. */
KIVO_API int32_t KIVO_CALL KIVO_LinkRelease(KIVO_HWND window);

/* ---- Application text: a plain byte stream ending with 0x1A ----
 *
 * KIVO_AppTextSend sends the file line by line, every byte as stored (a 0x1A
 * ending a line is not sent), then the end mark 0x1A; no file under the path:
 * KIVO_ERR_FILE at once. KIVO_AppTextRecv stores what the handheld sends,
 * end mark included, until a receive step ends with 0x1A; in modes 0 and 2 a
 * handheld silent for six minutes ends it with KIVO_ERR_BLOCK_RECV, and so
 * does a text of more than 2 GiB - 1 bytes (in mode 1 an empty block counts
 * as one byte) in every mode. Neither switches XON/XOFF. The bounds of the
 * file transfers hold here too.
 */
KIVO_API int32_t KIVO_CALL KIVO_AppTextSend(const char *path, KIVO_HWND window);
KIVO_API int32_t KIVO_CALL KIVO_AppTextRecv(const char *path, KIVO_HWND window);

/* ---- Conversions: stand-alone, no port and no link object; any thread ----
 *
 * They keep no state; calls may run at once as long as they share no buffer or
 * file. Output buffers are the caller's; their size is not passed, so each
 * export states the bound the caller must provide. Null pointers: a FILE
 * variant given a null text or file name returns KIVO_ERR_FILE (-500) and
 * touches no file; any other null argument makes the export write nothing and
 * return KIVO_ERR_NO_CONNECTION (-999), or null for the two layouts.
 * Double-byte characters are those of the system's ANSI code page, taken at
 * load: on Windows the code page in force; elsewhere the one that the
 * environment variable TESSALINK_CODEPAGE names by number (932, 936, 949 and
 * 950 are double-byte, any other number single-byte), else 932 (Shift-JIS).
 */

/* Decodes a 4-to-3 text (alphabet in value order 0-5, A-Z, 6-9 : ;, a-z; every
   other byte is skipped, also inside a group) into out, then stores a zero
   byte. out must hold strlen(text) + 1 bytes (exactly: 3 per group of four
   alphabet characters, 2 or 1 for a last group of 3 or 2, plus 1). Returns the
   number of bytes decoded, the zero byte not counted. */
KIVO_API int32_t KIVO_CALL KIVO_4TO3_MEM(const char *text, uint8_t *out);

/* Decodes text as KIVO_4TO3_MEM and writes the bytes (not the zero byte) into
   fileName, created or emptied, binary. 0 when written; -500 when the file
   cannot be created or fully written (what was written stays), or its work
   buffer (64 KiB, whatever the text's length) cannot be allocated (the file is
   then left untouched). */
KIVO_API int32_t KIVO_CALL KIVO_4TO3_FILE(const char *text, const char *fileName);

/* Converts pairs of hexadecimal digits (0-9, A-F; any other byte counts by the
   rule: code as signed 8-bit, from 0x41 up less 0x37, else less 0x30; byte =
   16 x high + low, modulo 256) into out, then stores a zero byte. A lone last
   digit gives nothing. out must hold strlen(hex) / 2 + 1 bytes. Returns the
   number of bytes stored, the zero byte not counted. */
KIVO_API int32_t KIVO_CALL KIVO_HEX2BIN_MEM(const char *hex, uint8_t *out);

/* Converts hex as KIVO_HEX2BIN_MEM and writes the bytes into fileName, as
   KIVO_4TO3_FILE (same results). */
KIVO_API int32_t KIVO_CALL KIVO_HEX2BIN_FILE(const char *hex, const char *fileName);

/* Masks double-byte codes of text with spaces, in place; the text never grows.
   At each character start: 0xEB, 0xEC, 0xFC, 0xFD become one space and the
   byte after them is removed; a pair (lead byte first) in 0x9873-0x989E or
   0xED40-0xED75 becomes two spaces; other pairs and single bytes stay. A lead
   byte just before the terminator stays. Returns 0. */
KIVO_API int32_t KIVO_CALL KIVO_CodeMask(char *text);

/* Lays out text as lines of at most width bytes, each ended by CR LF, appended
   to the zero-terminated text already in out. text: strings closed by an empty
   string (two zero bytes end it), changed in place; 0x1F and CR end a line; an
   optional "MEM1:" header (any case) is dropped and then 0x1E ends the text.
   width 0 or less: no wrapping. A double-byte character is never split (at
   width 1 it makes a line of its own 2 bytes). out must hold strlen(out) + 3 x
   T + 1 bytes, T being the length of text up to its closing empty string (each
   string with its zero byte). Returns a pointer to the zero byte that ends out. */
KIVO_API char *KIVO_CALL KIVO_MEM_Analize(char *text, char *out, int32_t width);

/* Lays out a labelled text as KIVO_MEM_Analize does, with one more rule: the
   first tab of a line separates a label from a value. Such lines, and every
   line of a text whose first string holds a tab, get a 12-byte label column
   (the label cut after 12 bytes or padded with spaces) and wrap at valueWidth;
   the others wrap at lineWidth. out must hold strlen(out) + 15 x T + 1 bytes
   (T as above). Returns a pointer to the zero byte that ends out. */
KIVO_API char *KIVO_CALL KIVO_REP_Analize(char *text, char *out, int32_t lineWidth,
                                           int32_t valueWidth);

/* ---- Tessalink extensions: exports that the system's original callers never had ----
 *
 * Each is marked with the Tessalink version that brought it. The exports
 * above never change behaviour for them. They follow the same rules: one
 * connection per call, the results above, the bounds above.
 */

/* Since 0.2.0. Fetches each pair of two CR-separated lists (local paths,
   names on the handheld) over one connection, in order, with the rules of
   KIVO_LinkGetFile for each pair (progress messages, cancel, XON/XOFF off in
   mode 0); empty entries are skipped and the shorter list wins; no pair at
   all: -999. Each local file is created, or emptied, only when its pair's
   turn comes; the walk stops at the first failure and returns its code (-500
   when a local file cannot be created). Then the files of earlier pairs are
   whole, the file of the failing pair may be partial, and the paths of later
   pairs have not been touched. */
KIVO_API int32_t KIVO_CALL KIVO_LinkGetFiles(const char *paths, const char *names, KIVO_HWND window);

#ifdef __cplusplus
}
#endif

#endif /* TESSALINK_H */
