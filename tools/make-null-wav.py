#!/usr/bin/env python3
"""Writes data/null.wav: a tenth of a second of silence (8 kHz, 8-bit, mono).

The program points the desktop's default sound at this file while it copies a selection, so
that the copy keystroke makes no beep. Run again only to change the file; the result is
committed.
"""
import sys
import wave

path = sys.argv[1] if len(sys.argv) > 1 else "data/null.wav"
with wave.open(path, "wb") as w:
    w.setnchannels(1)
    w.setsampwidth(1)           # 8-bit samples are unsigned: 128 is silence
    w.setframerate(8000)
    w.writeframes(bytes([128]) * 800)
