#!/usr/bin/env python3
"""Writes the completion sound "BEEP": a short two-note chime as a RIFF WAVE file.

PCM, mono, 22,050 samples/s, 16 bits, 16,574 data bytes, an 18-byte "fmt " chunk and a 4,044-byte
"PAD " chunk between "fmt " and "data": 20,672 bytes in all. The output is deterministic.

Usage: tools/make-beep.py [output]   (default: src/app/resources/beep.wav)
"""
import math
import pathlib
import struct
import sys

RATE = 22050
DATA_BYTES = 16574
PAD_BYTES = 4044
SAMPLES = DATA_BYTES // 2
# Two notes a fourth apart (G5, C6), the second one ringing out; each with a soft octave partial.
NOTES = [(783.99, 0.0, 0.16), (1046.50, 0.11, SAMPLES / RATE)]
ATTACK = 0.004
RELEASE = 0.025
PEAK = 0.45 * 32767


def envelope(t, start, end):
    if t < start or t >= end:
        return 0.0
    local = t - start
    env = math.exp(-local * 9.0)
    env *= min(1.0, local / ATTACK)
    env *= min(1.0, (end - t) / RELEASE)
    return env


def sample(n):
    t = n / RATE
    value = 0.0
    for freq, start, end in NOTES:
        env = envelope(t, start, end)
        if env:
            phase = 2 * math.pi * freq * (t - start)
            value += env * (math.sin(phase) + 0.25 * math.sin(2 * phase))
    return max(-32768, min(32767, round(value / 1.25 * PEAK)))


def wave_bytes():
    data = b"".join(struct.pack("<h", sample(n)) for n in range(SAMPLES))
    fmt = struct.pack("<HHIIHHH", 1, 1, RATE, RATE * 2, 2, 16, 0)
    chunks = [(b"fmt ", fmt), (b"PAD ", bytes(PAD_BYTES)), (b"data", data)]
    body = b"WAVE" + b"".join(tag + struct.pack("<I", len(c)) + c for tag, c in chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src/app/resources/beep.wav")
    image = wave_bytes()
    assert len(image) == 20672, len(image)
    out.write_bytes(image)
    print(f"{out}: {len(image)} bytes")


if __name__ == "__main__":
    main()
