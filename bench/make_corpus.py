#!/usr/bin/env python3
"""Builds the benchmark corpus: 20,000 folders holding 200,000 plain files and 2,000 ZIP
archives with 200,000 members in all. Deterministic; written once into the given folder.

With --streamed: 2,000 ZIP archives of 100 members each, in 200 folders, written as a program
that zips to a pipe writes them (Python's zipfile on a stream it cannot seek), so every
member's sizes follow its data in a data descriptor."""
import os
import random
import sys
import zipfile

FOLDERS_TOP = 200          # 200 x 100 = 20,000 folders (plus the 200 top ones)
FOLDERS_EACH = 100
FILES_PER_FOLDER = 10      # 200,000 plain files
ZIP_EVERY = 10             # a ZIP in every tenth folder: 2,000 archives
MEMBERS_PER_ZIP = 100      # 200,000 members
EXTENSIONS = [".txt", ".dat", ".c", ".h", ".log", ".md", ".TXT", ".cfg"]


def main(root):
    rng = random.Random(1234)
    os.makedirs(root, exist_ok=True)
    n = 0
    for top in range(FOLDERS_TOP):
        for sub in range(FOLDERS_EACH):
            folder = os.path.join(root, f"area{top:03d}", f"dir{sub:03d}")
            os.makedirs(folder, exist_ok=True)
            for f in range(FILES_PER_FOLDER):
                ext = EXTENSIONS[rng.randrange(len(EXTENSIONS))]
                with open(os.path.join(folder, f"file{f:02d}_{rng.randrange(10**6):06d}{ext}"), "wb") as out:
                    out.write(b"x" * rng.randrange(64))
            if n % ZIP_EVERY == 0:
                path = os.path.join(folder, f"pack{n:05d}.zip")
                with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
                    for m in range(MEMBERS_PER_ZIP):
                        ext = EXTENSIONS[rng.randrange(len(EXTENSIONS))]
                        z.writestr(f"src/part{m:03d}{ext}", b"y" * rng.randrange(200))
            n += 1
    open(os.path.join(root, ".complete"), "w").close()


class Unseekable:
    """A file that can only be written to, as a pipe is."""

    def __init__(self, out):
        self.out = out

    def write(self, data):
        return self.out.write(data)

    def flush(self):
        self.out.flush()


def streamed(root):
    rng = random.Random(5678)
    os.makedirs(root, exist_ok=True)
    for n in range(FOLDERS_TOP * FOLDERS_EACH // ZIP_EVERY):
        folder = os.path.join(root, f"area{n // 10:03d}")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, f"stream{n:05d}.zip"), "wb") as out:
            with zipfile.ZipFile(Unseekable(out), "w", zipfile.ZIP_STORED) as z:
                for m in range(MEMBERS_PER_ZIP):
                    ext = EXTENSIONS[rng.randrange(len(EXTENSIONS))]
                    z.writestr(f"src/part{m:03d}{ext}", b"y" * rng.randrange(200))
    open(os.path.join(root, ".complete"), "w").close()


if __name__ == "__main__":
    if sys.argv[1] == "--streamed":
        streamed(sys.argv[2])
    else:
        main(sys.argv[1])
