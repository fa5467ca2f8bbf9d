#!/usr/bin/env python3
"""Builds the benchmark corpus: 20,000 folders holding 200,000 plain files, 2,000 ZIP
archives with 200,000 members in all, and 2,000 7z archives (made by 7zz) with 200,000 more.
Deterministic; each part is written once into the given folder, marked done by its own file.

With --streamed: 2,000 ZIP archives of 100 members each, in 200 folders, written as a program
that zips to a pipe writes them (Python's zipfile on a stream it cannot seek), so every
member's sizes follow its data in a data descriptor."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import zipfile

FOLDERS_TOP = 200          # 200 x 100 = 20,000 folders (plus the 200 top ones)
FOLDERS_EACH = 100
FILES_PER_FOLDER = 10      # 200,000 plain files
ZIP_EVERY = 10             # a ZIP in every tenth folder: 2,000 archives
MEMBERS_PER_ZIP = 100      # 200,000 members
SEVENZIP_AT = 5            # a 7z archive in every tenth folder too, five folders after each ZIP
MEMBERS_PER_7Z = 100       # 200,000 members
SEVENZIP_KINDS = 50        # archives 7zz makes; the rest are copies of them
EXTENSIONS = [".txt", ".dat", ".c", ".h", ".log", ".md", ".TXT", ".cfg"]


def folders(root):
    for top in range(FOLDERS_TOP):
        for sub in range(FOLDERS_EACH):
            yield os.path.join(root, f"area{top:03d}", f"dir{sub:03d}")


def make_7z(root):
    """7z archives as 7-Zip makes them by default (one solid LZMA2 block, packed header).
    7zz makes SEVENZIP_KINDS different ones; the other folders get copies of them, so the
    corpus is made in a minute while every archive is still read whole by both sides."""
    rng = random.Random(77)
    work = tempfile.mkdtemp()
    made = []
    count = 0
    try:
        for n, folder in enumerate(folders(root)):
            if n % ZIP_EVERY != SEVENZIP_AT:
                continue
            path = os.path.join(folder, f"pack{n:05d}.7z")
            count += 1
            if len(made) == SEVENZIP_KINDS:
                shutil.copyfile(made[count % SEVENZIP_KINDS], path)
                continue
            src = os.path.join(work, "src")
            shutil.rmtree(src, ignore_errors=True)
            os.makedirs(src)
            for m in range(MEMBERS_PER_7Z):
                ext = EXTENSIONS[rng.randrange(len(EXTENSIONS))]
                with open(os.path.join(src, f"part{m:03d}{ext}"), "wb") as out:
                    out.write(b"z" * rng.randrange(200))
            subprocess.run(["7zz", "a", "-bd", "-bso0", "-bsp0", "-mx=1", "-mmt=off", path, "src"],
                           cwd=work, check=True)
            made.append(path)
    finally:
        shutil.rmtree(work)
    open(os.path.join(root, ".complete-7z"), "w").close()


def main(root):
    root = os.path.abspath(root)  # 7zz runs in a folder of its own
    if not os.path.exists(os.path.join(root, ".complete")):
        make_base(root)
    if not os.path.exists(os.path.join(root, ".complete-7z")):
        make_7z(root)


def make_base(root):
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
