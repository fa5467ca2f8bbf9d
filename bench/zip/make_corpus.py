#!/usr/bin/env python3
"""Writes the zip benchmark's corpus: 2,000 files, about 115 MB, in nested folders. A third
each of text (words, lines, numbers), binary (structured records with some noise, like
executables and databases) and incompressible data. With --small N instead N small text
files (0.1 to 4 KB) in folders of 1,000. Same seed, same bytes."""
import os
import random
import sys

args = sys.argv[1:]
small = int(args[args.index("--small") + 1]) if "--small" in args else 0
args = [a for i, a in enumerate(args) if a != "--small" and (i == 0 or args[i - 1] != "--small")]
out = args[0] if args else "corpus"
rng = random.Random(20241208)
words = [''.join(rng.choice("etaoinshrdlucmfwypvbgkjqxz") for _ in range(rng.randint(2, 10)))
         for _ in range(5000)]


def text(n):
    parts, size = [], 0
    while size < n:
        line = ' '.join(rng.choice(words) for _ in range(rng.randint(3, 14)))
        line += f" {rng.randint(0, 99999)}\n"
        parts.append(line)
        size += len(line)
    return ''.join(parts).encode()[:n]


def binary(n):
    rec = bytearray()
    while len(rec) < n:
        rec += rng.randint(0, 2**16).to_bytes(4, "little") * rng.randint(1, 4)
        rec += bytes(rng.randint(0, 16))
        rec += rng.randbytes(rng.randint(0, 12))
        rec += rng.choice(words).encode()
    return bytes(rec[:n])


def size():
    # Mostly small files, a few large ones: the mean lands near 57 KB.
    return min(int(rng.lognormvariate(10.1, 1.3)), 4 << 20)


def small_files(count):
    total = 0
    for i in range(count):
        folder = os.path.join(out, f"g{i // 1000:03d}")
        os.makedirs(folder, exist_ok=True)
        data = text(rng.randint(100, 4000))
        with open(os.path.join(folder, f"n{i:05d}.txt"), "wb") as f:
            f.write(data)
        total += len(data)
    print(f"{out}: {count} files, {total / 1e6:.1f} MB")


if small:
    small_files(small)
    sys.exit(0)

total = 0
for i in range(2000):
    kind = i % 3
    folder = os.path.join(out, f"d{i % 17:02d}", f"s{i % 5}")
    os.makedirs(folder, exist_ok=True)
    n = size()
    data = text(n) if kind == 0 else binary(n) if kind == 1 else rng.randbytes(n)
    name = f"f{i:04d}" + (".txt", ".bin", ".dat")[kind]
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
    total += n
print(f"{out}: 2000 files, {total / 1e6:.1f} MB")
