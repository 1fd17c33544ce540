#!/usr/bin/env python3
"""Adds to a committed fuzz corpus the few inputs of a fuzzing run that
bring the most features it does not reach yet, so that the corpus stays
small enough to replay in CI.

    scripts/fuzz-pick-corpus.py FUZZER CORPUS RUN [COUNT]

FUZZER is a libFuzzer program, CORPUS the committed folder, RUN the scratch
folder of the run; at most COUNT (20) inputs are copied, named by the SHA-1
of their bytes as libFuzzer names them. The features come from libFuzzer's
own merge pass, which goes through the committed inputs first and then the
run's, smallest first, and credits each feature to the first input that
reaches it; the inputs credited with the most are taken."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile


def features(fuzzer, corpus, run, work):
    """The features first reached by each input of the run, after those
    of the corpus."""
    control = os.path.join(work, "control")
    base = os.path.join(work, "base")
    shutil.copytree(corpus, base)
    subprocess.run([fuzzer, "-merge=1", "-merge_control_file=" + control, base, run],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    lines = open(control, encoding="utf-8", errors="replace").read().splitlines()
    count = int(lines[0])
    files = lines[2:2 + count]
    found = {}
    for line in lines[2 + count:]:
        parts = line.split()
        if parts and parts[0] == "FT" and not files[int(parts[1])].startswith(base):
            found[files[int(parts[1])]] = len(parts) - 2
    return found


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    fuzzer, corpus, run = sys.argv[1:4]
    limit = int(sys.argv[4]) if len(sys.argv) == 5 else 20
    with tempfile.TemporaryDirectory() as work:
        found = features(fuzzer, corpus, run, work)
    ranked = sorted((n, -os.path.getsize(path), path) for path, n in found.items() if n > 0)
    ranked.reverse()
    for n, negative_size, path in ranked[:limit]:
        data = open(path, "rb").read()
        shutil.copyfile(path, os.path.join(corpus, hashlib.sha1(data).hexdigest()))
        print(f"+{n} features, {-negative_size} bytes")
    print(f"{min(limit, len(ranked))} of {len(ranked)} inputs with new features added to {corpus}")


if __name__ == "__main__":
    main()
