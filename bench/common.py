"""Paths and the progress log that every part of the benchmark shares."""

import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(ROOT, "bench")

START = time.monotonic()


def log(*a):
    print(f"bench: {time.monotonic() - START:5.0f} s:", *a, file=sys.stderr, flush=True)
