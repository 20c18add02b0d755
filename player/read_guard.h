/* The Read guard: every buffer the player hands to Read is followed by
 * guard bytes of a known value, so a plug-in that writes past the count it
 * was given, or says it delivered more, is caught at once. */
#ifndef PLAYER_READ_GUARD_H
#define PLAYER_READ_GUARD_H

#include <cstdint>

constexpr uint32_t kReadGuardBytes = 64;
constexpr uint8_t kReadGuardFill = 0xA5;

/* Fills the kReadGuardBytes after buffer[count] (the caller gave the
 * buffer room for them). */
void ArmReadGuard(uint8_t *buffer, uint32_t count);

struct ReadVerdict {
    enum Kind { Ok, TooMany, Overrun } kind = Ok;
    uint32_t at = 0; /* Overrun: the first guard byte changed, from buffer's start */
};

/* What Read did with a guarded buffer of count bytes when it returned
 * returned. */
ReadVerdict CheckRead(const uint8_t *buffer, uint32_t count, uint32_t returned);

#endif
