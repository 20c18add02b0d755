/* Play time of a movie's sound track, measured by walking every audio-data
 * opcode and adding up the decoded lengths their frame headers declare. */
#ifndef MVE_MVE_LENGTH_H
#define MVE_MVE_LENGTH_H

#include "mve_format.h"

#include <stdint.h>

/* Bytes of decoded sound per second times 8 (the divisor that turns a
 * frame's decoded byte count into milliseconds with 8000 as multiplier),
 * using the sample width the stream is delivered in.  0 when the format
 * gives no usable rate, or the product would not fit in an int. */
uint32_t MveLengthDivisor(const MveAudioFormat &format);

/* Walks the audio-data opcodes from the stream's position (a chunk header;
 * the handle's state set up for NextAudioBlock) and returns the total in
 * milliseconds, each frame rounded on its own.  Only the frame headers are
 * read; the rest of every opcode is skipped.  progress, when not NULL, is
 * the walking window, refreshed after every frame.  -1 if the total would
 * not fit in 31 bits. */
int32_t WalkSoundTrack(StreamHandle *h, uint32_t divisor, HWND progress);

#endif
