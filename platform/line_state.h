// The line-state record: what one mode's settings make of the serial line.
//
// On Windows it is the system's own device-control block (DCB), filled by
// BuildCommDCBA. Elsewhere it is a portable record with the same field names,
// filled by parsing the same mode text, so that the link code reads and sets
// one set of fields on every system.
#ifndef TESSALINK_PLATFORM_LINE_STATE_H
#define TESSALINK_PLATFORM_LINE_STATE_H

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>

typedef DCB LineState;

#else

// Values as the Windows headers give them.
enum : uint8_t { NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4 };
enum : uint8_t { ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2 };
enum : uint32_t { DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2 };
enum : uint32_t { RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2,
                  RTS_CONTROL_TOGGLE = 3 };

struct LineState {
    uint32_t DCBlength;
    uint32_t BaudRate;
    uint32_t fBinary : 1;
    uint32_t fParity : 1;
    uint32_t fOutxCtsFlow : 1;
    uint32_t fOutxDsrFlow : 1;
    uint32_t fDtrControl : 2;
    uint32_t fDsrSensitivity : 1;
    uint32_t fTXContinueOnXoff : 1;
    uint32_t fOutX : 1;
    uint32_t fInX : 1;
    uint32_t fErrorChar : 1;
    uint32_t fNull : 1;
    uint32_t fRtsControl : 2;
    uint32_t fAbortOnError : 1;
    uint32_t fDummy2 : 17;
    uint16_t wReserved;
    uint16_t XonLim;
    uint16_t XoffLim;
    uint8_t ByteSize;
    uint8_t Parity;
    uint8_t StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    uint16_t wReserved1;
};

#endif

// Line signal changes, with the numbers of the Windows escape functions.
enum LineSignal { kSetRts = 3, kClrRts = 4, kSetDtr = 5, kClrDtr = 6 };

// Purge flags, with the numbers of the Windows purge flags.
enum PurgeFlag : uint32_t { kPurgeTxAbort = 0x1, kPurgeRxAbort = 0x2, kPurgeTxClear = 0x4,
                            kPurgeRxClear = 0x8 };

#endif
