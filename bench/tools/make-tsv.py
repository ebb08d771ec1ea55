#!/usr/bin/env python3
"""Writes a generated tab-separated dictionary of N entries (default 5,000,000) to standard
output: random headwords of 3 to 12 letters with the letter frequencies of English, each with
a Russian translation "перевод I". The same seed gives the same file."""
import random
import sys

n = int(sys.argv[1]) if len(sys.argv) > 1 else 5_000_000
rng = random.Random(2024)
letters = "eeeeeaaaaiiiioooonnnrrrsssttllcdumphgbfywkvxzjq"
out = sys.stdout
buf = []
for i in range(n):
    word = "".join(rng.choices(letters, k=3 + rng.randrange(10)))
    buf.append(f"{word}\tперевод {i}\n")
    if len(buf) == 100_000:
        out.write("".join(buf))
        buf.clear()
out.write("".join(buf))
