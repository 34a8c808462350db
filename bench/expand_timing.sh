#!/usr/bin/env bash
# Times `zentrip-cli expand --no-wait` on a 20,000-line program: 10,000 #define lines, then
# 10,000 controller lines that use three symbols each (first, middle and latest defined).
# usage: bench/expand_timing.sh [path/to/zentrip-cli]   (default build/default/cli/zentrip-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/default/cli/zentrip-cli}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

awk 'BEGIN {
    for (i = 0; i < 10000; i++) printf "#define ZONE_%05d %d\n", i, 100 + i % 900
    for (i = 0; i < 10000; i++)
        printf "1234 25 ZONE_%05d ZONE_%05d ZONE_%05d *\n", i % 100, 5000 + i % 100, 9999 - i % 100
}' >"$tmp/big.orv"
echo "$(wc -l <"$tmp/big.orv") lines in $tmp/big.orv"

"$cli" expand --no-wait "$tmp/big.orv" >"$tmp/out.txt"
expected=$(printf '1234 25 %d %d %d *' 100 $((100 + 5000 % 900)) $((100 + 9999 % 900)))
if [[ $(sed -n 10001p "$tmp/out.txt") != "$expected" ]]; then
    echo "unexpected output: $(sed -n 10001p "$tmp/out.txt")" >&2
    exit 1
fi
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$cli" expand --no-wait "$tmp/big.orv" >/dev/null
    end=$(date +%s%N)
    echo "expand --no-wait: $(((end - start) / 1000000)) ms"
done
