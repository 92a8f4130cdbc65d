#!/usr/bin/env python3
"""Writes the benchmark package: 2000 deflated files (the first the client, Bokrin.exe), 256 MiB in all, in 20 directories.

The content is random text over a 16-letter alphabet with repeated runs, so it compresses
roughly as program files do, and is the same on every run (fixed seed).
"""
import random
import sys
import zipfile

ENTRIES = 2000
TOTAL_BYTES = 256 * 1024 * 1024


def main(path):
    rng = random.Random(20261209)
    alphabet = bytes(b"etaoinshrdlucmfw")
    pool = bytes(alphabet[b & 15] for b in rng.randbytes(4 * 1024 * 1024))
    # Sizes from a few KiB to about 1 MiB, scaled to the total.
    weights = [rng.lognormvariate(0, 1.2) for _ in range(ENTRIES)]
    scale = TOTAL_BYTES / sum(weights)
    sizes = [max(1, int(w * scale)) for w in weights]
    sizes[-1] += TOTAL_BYTES - sum(sizes)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
        for number, size in enumerate(sizes):
            chunks = []
            remaining = size
            while remaining > 0:
                run = min(remaining, rng.randint(256, 65536))
                start = rng.randrange(0, len(pool) - run)
                chunks.append(pool[start:start + run])
                remaining -= run
            # The extraction refuses a package without its client at the root.
            name = "Bokrin.exe" if number == 0 else f"dir{number % 20:02d}/file{number:04d}.dat"
            archive.writestr(name, b"".join(chunks))


if __name__ == "__main__":
    main(sys.argv[1])
