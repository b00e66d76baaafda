#!/usr/bin/env python3
"""Synthesises the five interface sounds as short mono WAV files (22,050 Hz, 16-bit PCM).

Run it from anywhere; it writes copy.wav, paste.wav, delete.wav, selection-add.wav and selection-remove.wav
next to itself. The output is deterministic, so running it again gives the same files.
"""

import math
import os
import random
import struct
import wave

RATE = 22050


def envelope(i, count, attack, release):
    """A linear fade-in over `attack` samples and an exponential-looking fade-out over `release` samples."""
    gain = 1.0
    if i < attack:
        gain = i / attack
    tail = count - i
    if tail < release:
        gain *= (tail / release) ** 2
    return gain


def sweep(seconds, start_hz, end_hz, volume, harmonics=(1.0,), attack=0.004, release=0.05):
    """A tone whose pitch glides from start_hz to end_hz, with optional overtones."""
    count = int(seconds * RATE)
    samples = []
    phase = 0.0
    for i in range(count):
        t = i / count
        frequency = start_hz + (end_hz - start_hz) * t
        phase += 2 * math.pi * frequency / RATE
        value = sum(weight * math.sin(phase * (n + 1)) for n, weight in enumerate(harmonics))
        value /= sum(harmonics)
        samples.append(value * volume * envelope(i, count, int(attack * RATE), int(release * RATE)))
    return samples


def noise_burst(seconds, volume, seed):
    """Soft filtered noise that fades out: a brush-like sound."""
    rng = random.Random(seed)
    count = int(seconds * RATE)
    samples = []
    smoothed = 0.0
    for i in range(count):
        smoothed += 0.25 * (rng.uniform(-1.0, 1.0) - smoothed)
        samples.append(smoothed * volume * envelope(i, count, int(0.003 * RATE), int(seconds * 0.8 * RATE)))
    return samples


def mix(*tracks):
    length = max(len(track) for track in tracks)
    return [sum(track[i] for track in tracks if i < len(track)) for i in range(length)]


def silence(seconds):
    return [0.0] * int(seconds * RATE)


def write(name, samples):
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), name)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        frames = b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples)
        out.writeframes(frames)


def main():
    # Copy: two quick rising notes.
    write("copy.wav", sweep(0.06, 880, 990, 0.35, (1.0, 0.3)) + sweep(0.09, 1320, 1400, 0.35, (1.0, 0.3)))
    # Paste: a soft, round drop in pitch.
    write("paste.wav", sweep(0.12, 700, 420, 0.45, (1.0, 0.5, 0.2), release=0.08))
    # Delete: a low falling tone under a brush of noise.
    write("delete.wav", mix(sweep(0.16, 320, 140, 0.4, (1.0, 0.4), release=0.1), noise_burst(0.14, 0.25, 7)))
    # Selection: short ticks, higher when an item joins the selection than when it leaves.
    write("selection-add.wav", sweep(0.035, 1500, 1700, 0.3, (1.0, 0.2), attack=0.002, release=0.025))
    write("selection-remove.wav", sweep(0.035, 1100, 900, 0.3, (1.0, 0.2), attack=0.002, release=0.025))


if __name__ == "__main__":
    main()
