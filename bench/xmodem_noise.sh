#!/usr/bin/env bash
# XMODEM receive on noisy lines, Zentrip against lrzsz's `rx -c` from the same `sx` with the
# same bit flips (one in about 200 bytes of what sx sends):
#   1200 bps, 2 KiB, ten noise patterns, and 300 bps, 1 KiB, three patterns: the counts of good
#   receives side by side (every receive of Zentrip must succeed);
#   full pty speed, 16 KiB, 15 patterns, Zentrip alone: all must succeed, median within 4.9 s.
# The slow runs take many minutes. Needs socat and lrzsz.
# usage: bench/xmodem_noise.sh [build dir]   (default build/default)
set -euo pipefail
cd "$(dirname "$0")/.."
bench=${1:-build/default}/bench/xmodem_noise_bench
status=0
"$bench" 1200 2048 10 || status=1
"$bench" 300 1024 3 || status=1
"$bench" 0 16384 15 --zentrip-only 4.92 || status=1  # 1.2 x the 4.1 s measured before
exit $status
