/* A program of a library user's: built against an installed Tessalink, it
   calls a settings export and a conversion and checks their answers. */
#include <stdio.h>
#include <string.h>

#include "tessalink.h"

int main(void)
{
    uint8_t bytes[4];
    if (KIVO_SetMode(2) != KIVO_SETTING_ACCEPTED || KIVO_SetMode(3) != KIVO_SETTING_REJECTED) {
        fputs("consumer: KIVO_SetMode answered wrongly\n", stderr);
        return 1;
    }
    if (KIVO_HEX2BIN_MEM("414243", bytes) != 3 || memcmp(bytes, "ABC", 4) != 0) {
        fputs("consumer: KIVO_HEX2BIN_MEM converted wrongly\n", stderr);
        return 1;
    }
    puts("consumer: ok");
    return 0;
}
