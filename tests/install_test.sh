#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks what lands where, that the installed
# zentrip-cli runs from there, and that each manual page renders and names every option its
# program's --help lists. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null

id=org.zentrip.zentrip
expected=(
    usr/bin/zentrip usr/bin/zentrip-cli usr/bin/zentrip-sim
    usr/share/applications/$id.desktop
    usr/share/metainfo/$id.metainfo.xml
    usr/share/mime/packages/$id.xml
    usr/share/icons/hicolor/scalable/apps/$id.svg
    usr/share/man/man1/zentrip.1.gz usr/share/man/man1/zentrip-cli.1.gz
    usr/share/man/man1/zentrip-sim.1.gz
    usr/share/doc/zentrip/copyright usr/share/doc/zentrip/changelog.gz
    usr/share/doc/zentrip/README.md usr/share/doc/zentrip/language.md
    usr/share/doc/zentrip/examples/demo.orv
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=(usr/share/icons/hicolor/${size}x${size}/apps/$id.png)
done
for path in "${expected[@]}"; do
    [[ -e $root/$path ]] || fail "not installed: /$path"
done
outside=$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr)
[[ -z $outside ]] || fail "installed outside the prefix: $outside"
for size in 16 48 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    [[ $(head -c 24 "$png" | tail -c 8 | od -An -tu1 | tr -s ' ') == \
       " 0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))" ]] ||
        fail "$png is not ${size}x${size}"
done

# The installed command line runs on the installed example (its include is named from the
# folder above it).
expanded=$(cd "$root/usr/share/doc/zentrip" &&
           "$root/usr/bin/zentrip-cli" expand --no-wait examples/demo.orv) ||
    fail "installed expand failed"
[[ -n $expanded ]] || fail "installed expand printed nothing"

# Each page renders without complaint and names every option of its program's --help.
options_of() { grep -oE -- '--[a-z][a-z-]+' | sort -u; }
check_page() {
    local page=$1 rendered warnings
    shift
    warnings=$(MANWIDTH=100 man -l -P cat "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "$page.1 renders with warnings: $warnings"
    rendered=$(MANWIDTH=100 man -l -P cat "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null |
               sed 's/‐/-/g')
    grep -q '^NAME' <<<"$rendered" || fail "$page.1 has no NAME section"
    for option in $("$@" | options_of); do
        grep -qF -- "$option" <<<"$rendered" || fail "$page.1 does not mention $option"
    done
}
cli=$root/usr/bin/zentrip-cli
check_page zentrip-sim "$root/usr/bin/zentrip-sim" --help
check_page zentrip-cli "$cli" --help
for command in $("$cli" --help | awk '/^commands:/ {on = 1; next} on && !NF {exit} on {print $1}'); do
    check_page zentrip-cli "$cli" "$command" --help
done
check_page zentrip "$root/usr/bin/zentrip" --help

((failures == 0)) || exit 1
echo "install tree checked: ${#expected[@]} paths"
