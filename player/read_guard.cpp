#include "read_guard.h"

#include <cstring>

void ArmReadGuard(uint8_t *buffer, uint32_t count) { std::memset(buffer + count, kReadGuardFill, kReadGuardBytes); }

ReadVerdict CheckRead(const uint8_t *buffer, uint32_t count, uint32_t returned)
{
    ReadVerdict v;
    if (returned > count) {
        v.kind = ReadVerdict::TooMany;
        return v;
    }
    for (uint32_t i = 0; i < kReadGuardBytes; ++i) {
        if (buffer[count + i] != kReadGuardFill) {
            v.kind = ReadVerdict::Overrun;
            v.at = count + i;
            return v;
        }
    }
    return v;
}
