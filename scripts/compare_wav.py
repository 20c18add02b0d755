#!/usr/bin/env python3
"""compare_wav.py [--require exact|DB] A.wav B.wav — how closely two 16-bit
PCM WAVs agree: sample counts, largest difference and signal-to-noise ratio
in dB.  With --require, exits 1 unless B has A's format and length and is
equal to it (exact) or at least DB dB SNR from it."""
import argparse
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
    ap = argparse.ArgumentParser(usage=__doc__.split(" — ")[0])
    ap.add_argument("--require", metavar="exact|DB")
    ap.add_argument("a")
    ap.add_argument("b")
    args = ap.parse_args()
    need = None
    if args.require is not None and args.require != "exact":
        try:
            need = float(args.require)
        except ValueError:
            ap.error("--require takes 'exact' or a number of dB")
    a, ra, ca = samples(args.a)
    b, rb, cb = samples(args.b)
    n = min(len(a), len(b))
    signal = sum(x * x for x in a[:n]) or 1
    noise = sum((x - y) ** 2 for x, y in zip(a[:n], b[:n]))
    worst = max((abs(x - y) for x, y in zip(a[:n], b[:n])), default=0)
    snr = math.inf if noise == 0 else 10 * math.log10(signal / noise)
    print(f"{args.b} vs {args.a}: {len(b)} / {len(a)} samples, "
          f"{rb}/{ra} Hz, {cb}/{ca} ch, largest difference {worst}, "
          + ("exact" if noise == 0 else f"{snr:.1f} dB SNR"))
    if args.require is None:
        return
    same_shape = len(a) == len(b) and ra == rb and ca == cb
    if not same_shape or (need is None and noise != 0) or (need is not None and snr < need):
        sys.exit(f"{args.b}: not {args.require}" + ("" if args.require == "exact" else " dB")
                 + f" against {args.a}")


if __name__ == "__main__":
    main()
