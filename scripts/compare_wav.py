#!/usr/bin/env python3
"""compare_wav.py A.wav B.wav — how closely two 16-bit PCM WAVs agree:
sample counts, largest difference and signal-to-noise ratio in dB."""
import math
import struct
import sys
import wave


def samples(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            sys.exit(f"{path}: only 16-bit PCM is compared")
        data = w.readframes(w.getnframes())
        return struct.unpack(f"<{len(data) // 2}h", data), w.getframerate(), w.getnchannels()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    a, ra, ca = samples(sys.argv[1])
    b, rb, cb = samples(sys.argv[2])
    n = min(len(a), len(b))
    signal = sum(x * x for x in a[:n]) or 1
    noise = sum((x - y) ** 2 for x, y in zip(a[:n], b[:n]))
    worst = max((abs(x - y) for x, y in zip(a[:n], b[:n])), default=0)
    snr = "exact" if noise == 0 else f"{10 * math.log10(signal / noise):.1f} dB SNR"
    print(f"{sys.argv[2]} vs {sys.argv[1]}: {len(b)} / {len(a)} samples, "
          f"{rb}/{ra} Hz, {cb}/{ca} ch, largest difference {worst}, {snr}")


if __name__ == "__main__":
    main()
