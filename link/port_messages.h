// The two messages shown when the port cannot be used, in code page 932.
#ifndef TESSALINK_LINK_PORT_MESSAGES_H
#define TESSALINK_LINK_PORT_MESSAGES_H

// "COMポートがオープン出来ません!!" (the COM port cannot be opened)
constexpr const char kMsgCannotOpenPort[] = "\x43\x4f\x4d\x83\x7c\x81\x5b\x83\x67\x82\xaa\x83\x49\x81\x5b\x83\x76\x83\x93\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1\x21\x21";

// "指定されたCOMポートは異常です!!" (the given COM port is not a serial device)
constexpr const char kMsgPortAbnormal[] = "\x8e\x77\x92\xe8\x82\xb3\x82\xea\x82\xbd\x43\x4f\x4d\x83\x7c\x81\x5b\x83\x67\x82\xcd\x88\xd9\x8f\xed\x82\xc5\x82\xb7\x21\x21";

#endif
