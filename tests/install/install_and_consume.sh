#!/usr/bin/env bash
# install_and_consume.sh BUILD_DIR VERSION CMAKE C_COMPILER: installs the
# build into a staging prefix, then builds and runs a small C program of a
# library user's against that prefix alone, once with find_package(Tessalink)
# and once with pkg-config.
set -uo pipefail
build=$1 version=$2 cmake=$3 cc=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tessalink-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
stage=$work/stage
source "$(dirname "$0")/checks.sh"

# The program's libTessalink must come from the staging prefix.
loads_from_stage() {
  local loaded; loaded=$(ldd "$1")
  grep -q "libTessalink.so.* => $stage/" <<< "$loaded" || { echo "$loaded"; return 1; }
}
soname_is() {
  local headers; headers=$(objdump -p "$1")
  grep -q "SONAME *$2\$" <<< "$headers" || { grep SONAME <<< "$headers"; return 1; }
}
prints() { local want=$1; shift; [ "$("$@")" = "$want" ] || { echo "got: $("$@")"; return 1; }; }

check "install into a staging prefix" "$cmake" --install "$build" --prefix "$stage"
libdir=$(cd "$stage" && dirname "$(find . -name 'libTessalink.so' | head -n 1)")
libdir=${libdir#./}
major=${version%%.*}
for file in include/tessalink.h bin/tessalink bin/tessalink-handheld bin/tevlaunch \
    "$libdir/libTessalink.so.$version" "$libdir/cmake/Tessalink/TessalinkConfig.cmake" \
    "$libdir/cmake/Tessalink/TessalinkConfigVersion.cmake" "$libdir/pkgconfig/tessalink.pc"; do
  check "installed $file" test -f "$stage/$file"
done
check "the linker name leads to the SONAME" test "$(readlink "$stage/$libdir/libTessalink.so")" = "libTessalink.so.$major"
check "the library's SONAME" soname_is "$stage/$libdir/libTessalink.so.$version" "libTessalink.so.$major"
check "the installed tool finds the installed library" loads_from_stage "$stage/bin/tessalink"

# The manual pages: installed, free of roff warnings, and the tool's page
# gives every subcommand that its help lists.
mandir=$stage/share/man/man1
for page in tessalink tessalink-handheld; do
  check "installed the manual page of $page" test -f "$mandir/$page.1.gz"
  check "the manual page of $page has no roff warnings" \
    bash -c "zcat '$mandir/$page.1.gz' | groff -man -Tutf8 -ww -z 2>&1 | { ! grep .; }"
done
man_text=$(zcat "$mandir/tessalink.1.gz" | groff -man -Tutf8 -P -cbou 2> /dev/null)
subcommands=$("$stage/bin/tessalink" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
check "the tool's help lists subcommands" test -n "$subcommands"
for subcommand in $subcommands; do
  check "the manual page gives $subcommand" grep -q "^   $subcommand\$" <<< "$man_text"
done
check "the manual page gives the exit statuses" grep -q "^EXIT STATUS" <<< "$man_text"
check "installed the licence" grep -q "MIT License" "$stage/share/doc/tessalink/LICENSE"
check "installed the changelog" test -f "$stage/share/doc/tessalink/CHANGELOG.md"
check "installed the bash completion" test -f "$stage/share/bash-completion/completions/tessalink"
check "the completion offers the subcommands" \
  bash -c ". '$stage/share/bash-completion/completions/tessalink'; COMP_WORDS=(tessalink de); COMP_CWORD=1; _tessalink; [ \"\${COMPREPLY[*]}\" = 'delete detect decode43' ]"
check "installed the result messages" test -f "$stage/share/tessalink/results.tsv"
check "the installed tool prints the version" prints "tessalink $version" "$stage/bin/tessalink" --version

# A copy of the consumer, so that nothing of the source tree is near it.
cp -r "$here/consumer" "$work/consumer"

check "configure with find_package" "$cmake" -S "$work/consumer" -B "$work/with-cmake" \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$stage" -DTESSALINK_WANTED_VERSION="$version" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
check "build with find_package" "$cmake" --build "$work/with-cmake"
check "run the find_package build" prints "consumer: ok" "$work/with-cmake/consumer"
check "the find_package build uses the staged library" loads_from_stage "$work/with-cmake/consumer"
check "a later major version is not found" bash -c "! '$cmake' -S '$work/consumer' -B '$work/too-new' \
  -DCMAKE_PREFIX_PATH='$stage' -DTESSALINK_WANTED_VERSION=$((major + 1)).0 -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF"

export PKG_CONFIG_PATH=$stage/$libdir/pkgconfig
check "pkg-config knows the version" prints "$version" pkg-config --modversion tessalink
check "build with pkg-config" bash -c "'$cc' '$work/consumer/consumer.c' -o '$work/with-pkg-config' \
  \$(pkg-config --cflags --libs tessalink)"
check "run the pkg-config build" prints "consumer: ok" env LD_LIBRARY_PATH="$stage/$libdir" "$work/with-pkg-config"
LD_LIBRARY_PATH="$stage/$libdir" check "the pkg-config build uses the staged library" \
  loads_from_stage "$work/with-pkg-config"

finish_checks
