#!/usr/bin/env python3
"""Writes the default reminder sound: three soft two-tone chimes, 16-bit mono PCM WAV.

Usage: gen_default_alarm.py [output]   (default: resources/share/res/sound/DefaultAlarm.wav)

The output depends on nothing but this script, so running it again gives the same bytes.
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
CHIME_SECONDS = 0.42
GAP_SECONDS = 0.12
CHIMES = ((880.0, 1318.5), (987.8, 1480.0), (880.0, 1318.5))
PEAK = 0.55  # of full scale, so the sound is clear without clipping


def chime(low, high):
    count = int(RATE * CHIME_SECONDS)
    attack = int(RATE * 0.008)
    samples = []
    for i in range(count):
        t = i / RATE
        envelope = math.exp(-6.0 * t)
        if i < attack:
            envelope *= i / attack  # no click at the start
        tail = count - i
        if tail < attack:
            envelope *= tail / attack  # nor at the end
        value = 0.6 * math.sin(2 * math.pi * low * t) + 0.4 * math.sin(2 * math.pi * high * t)
        samples.append(PEAK * envelope * value)
    return samples


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, '..', '..', 'resources', 'share', 'res', 'sound', 'DefaultAlarm.wav')
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(default)

    samples = []
    for low, high in CHIMES:
        samples += chime(low, high)
        samples += [0.0] * int(RATE * GAP_SECONDS)
    frames = b''.join(struct.pack('<h', int(round(s * 32767))) for s in samples)

    os.makedirs(os.path.dirname(target), exist_ok=True)
    with wave.open(target, 'wb') as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)
    print(f'{target}: {len(samples)} samples, {len(samples) / RATE:.2f} s')


if __name__ == '__main__':
    main()
