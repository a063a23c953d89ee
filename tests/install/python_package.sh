#!/usr/bin/env bash
# python_package.sh BUILD_DIR SOURCE_DIR PYTHON VERSION: installs the build
# into a staging prefix with `cmake --install`, then the Python package into
# a fresh virtual environment with the README's command (offline), and runs
# the README's Python example against the emulator from that prefix: it
# lists, fetches and puts.
set -uo pipefail
build=$1 source=$2 python=$3 version=$4
source "$(dirname "$0")/checks.sh"
source "$(dirname "$0")/../support/emulator_process.sh"
stage=$work/stage

check "install into a staging prefix" cmake --install "$build" --prefix "$stage" > /dev/null
libdir=$(dirname "$(cd "$stage" && find . -name 'libTessalink.so.0' | head -n 1)")

# The README's commands, on a copy of the package's folder and the messages
# it takes in: pip builds in it.
cp -r "$source/python" "$source/messages" "$work/"
check "a fresh virtual environment" "$python" -m venv --system-site-packages "$work/venv"
(cd "$work" && PIP_NO_INDEX=1 "$work/venv/bin/pip" install --no-build-isolation ./python) > "$work/pip.log" 2>&1
check "pip installs the package offline" test $? -eq 0 || cat "$work/pip.log"
check "the package has the project's version" \
  grep -qx "Version: $version" <<< "$("$work/venv/bin/pip" show tessalink 2> /dev/null)"
installed=$(cd "$work" && "$work/venv/bin/python" -c 'import tessalink; print(tessalink.__file__)')
check "the environment imports its own copy" grep -q "^$work/venv/" <<< "$installed"

mkdir "$work/handheld" "$work/script"
cd "$work/handheld" && start_emulator "$stage/bin/tessalink-handheld" --mode 2 && cd - > /dev/null
files=$work/handheld/tessalink-handheld-files  # the emulator's sample files

# The first Python example of the README, as it stands.
awk '/^```python$/ && !seen { inside = 1; seen = 1; next } inside && /^```$/ { inside = 0 } inside' \
  "$source/README.md" > "$work/script/example.py"
check "the README has a Python example" test -s "$work/script/example.py"
(cd "$work/script" && LD_LIBRARY_PATH="$stage/$libdir" \
  "$work/venv/bin/python" example.py) > "$work/example.out" 2>&1
check "the example runs" test $? -eq 0 || cat "$work/example.out"
check "it lists the handheld's files" grep -q "MEMO.TXT" "$work/example.out"
check "it fetches a file" cmp "$work/script/memo.txt" "$files/MEMO.TXT"
check "it puts a file" test -s "$files/NOTE.TXT"

finish_checks
