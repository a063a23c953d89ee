#!/usr/bin/env bash
# debian_package.sh BUILD_DIR VERSION CPACK: makes the Debian package of the
# build with `cpack -G DEB` and checks its control fields, its dependencies
# and its contents, then unpacks it into a scratch root and runs the tool
# from there.
set -uo pipefail
build=$1 version=$2 cpack=$3
work=$(mktemp -d /tmp/tessalink-deb-XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

is() { [ "$2" = "$3" ] || { echo "$1: got '$2', expected '$3'"; return 1; }; }
holds() { grep -qE -- "$2" <<< "$1" || { echo "lacks: $2"; echo "$1"; return 1; }; }
lacks() { ! grep -qE -- "$2" <<< "$1" || { echo "holds: $2"; echo "$1"; return 1; }; }

(cd "$build" && "$cpack" -G DEB -B "$work/package") > "$work/cpack.log" 2>&1
check "cpack makes the package" test $? -eq 0
deb=$(find "$work/package" -maxdepth 1 -name '*.deb')
check "one package" test "$(wc -w <<< "$deb")" -eq 1
[ -f "$deb" ] || { cat "$work/cpack.log"; echo "no package"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
check "named tessalink" is Package "$(field Package)" tessalink
check "the project's version, Debian revision 1" is Version "$(field Version)" "$version-1"
check "built for this machine" is Architecture "$(field Architecture)" "$(dpkg --print-architecture)"
check "a maintainer with an address" holds "$(field Maintainer)" '^[^<]+ <[^>]+@[^>]+>$'
depends=$(field Depends)
check "depends on the C library" holds "$depends" '(^|, )libc6 \(>= [0-9.]+\)'
check "depends on the C++ runtime" holds "$depends" '(^|, )libstdc\+\+6( |,|$)'
check "does not depend on its own library" lacks "$depends" 'essalink'
check "depends on the page server's HTTP library" holds "$depends" '(^|, )libcpp-httplib[0-9.]+( |,|$)'
check "depends on the page server's zip library" holds "$depends" '(^|, )libzip[0-9]+( |,|$)'
check "suggests python3 for its Python package" is Suggests "$(field Suggests)" python3
check "tells dependants its library's SONAME" \
  is shlibs "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./shlibs)" "libTessalink ${version%%.*} tessalink (>= $version-1)"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in usr/bin/tessalink usr/bin/tessalink-handheld usr/bin/tevlaunch usr/include/tessalink.h \
    "usr/lib/libTessalink.so.$version" usr/lib/libTessalink.so.0 usr/lib/libTessalink.so \
    usr/lib/pkgconfig/tessalink.pc usr/lib/cmake/Tessalink/TessalinkConfig.cmake \
    usr/lib/cmake/Tessalink/TessalinkConfigVersion.cmake \
    usr/share/man/man1/tessalink.1.gz usr/share/man/man1/tessalink-handheld.1.gz \
    usr/share/bash-completion/completions/tessalink usr/share/bash-completion/completions/tessalink-handheld \
    usr/share/doc/tessalink/copyright usr/share/doc/tessalink/LICENSE usr/share/doc/tessalink/changelog.Debian.gz \
    usr/share/tessalink/results.tsv \
    usr/lib/python3/dist-packages/tessalink/__init__.py usr/lib/python3/dist-packages/tessalink/py.typed \
    usr/lib/python3/dist-packages/tessalink/results.tsv; do
  check "contains /$path" holds "$contents" "^\\./$path\$"
done
check "everything under /usr" lacks "$contents" '^\./[^u]'

root=$work/root
check "unpacks" dpkg-deb -x "$deb" "$root"
check "its pkg-config file names /usr" holds "$(cat "$root/usr/lib/pkgconfig/tessalink.pc")" '^prefix=/usr$'
check "its tool runs with its library" is version "$("$root/usr/bin/tessalink" --version)" "tessalink $version"
check "its tool loads the packaged library" holds "$(ldd "$root/usr/bin/tessalink")" "libTessalink.so.0 => $root/"
check "its programs are stripped" lacks "$(objdump -h "$root/usr/bin/tessalink")" '\.debug_info'
for page in tessalink tessalink-handheld; do
  check "the manual page of $page reads" holds "$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -P -cbou 2> /dev/null)" 'EXIT STATUS'
done

# Debian's python3 imports the package from where the package puts it, and
# the package finds the library by the system's search.
python_probe='import tessalink
assert tessalink.hex_to_binary("414243") == b"ABC"
print(next(line.split()[-1] for line in open("/proc/self/maps") if "libTessalink" in line))'
check "its Python package loads the packaged library" holds \
  "$(cd "$work" && PYTHONPATH="$root/usr/lib/python3/dist-packages" LD_LIBRARY_PATH="$root/usr/lib" \
     /usr/bin/python3 -c "$python_probe" 2>&1)" "^$root/usr/lib/libTessalink.so"

finish_checks
