"""Where the package finds the shared library: TESSALINK_LIBRARY, then beside
the package, then the system's search. Each case runs in a fresh interpreter,
since a process loads the library once."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import tessalink

LIBRARY = os.environ.get("TESSALINK_LIBRARY", "")
PACKAGE = Path(tessalink.__file__).resolve().parent

# Decodes with the library, then names the library file the process mapped.
PROBE = """
import tessalink
assert tessalink.decode_4to3("ABCD") == bytes([0x06, 0x87, 0x48])
print(next(line.split()[-1] for line in open("/proc/self/maps") if "libTessalink" in line))
"""


def probe(env, cwd):
    clean = {key: value for key, value in os.environ.items()
             if key not in ("TESSALINK_LIBRARY", "LD_LIBRARY_PATH", "PYTHONPATH")}
    return subprocess.run([sys.executable, "-c", PROBE], env={**clean, **env}, cwd=cwd,
                          capture_output=True, text=True)


@pytest.fixture
def package_copy(tmp_path):
    """The package alone in a folder of its own, as installed: with the
    results table in it."""
    shutil.copytree(PACKAGE, tmp_path / "site" / "tessalink", ignore=shutil.ignore_patterns("__pycache__"))
    table = PACKAGE / "results.tsv"
    if not table.exists():
        table = PACKAGE.parents[1] / "messages" / "results.tsv"
    shutil.copy(table, tmp_path / "site" / "tessalink" / "results.tsv")
    return tmp_path / "site"


pytestmark = pytest.mark.skipif(not LIBRARY, reason="TESSALINK_LIBRARY names no library")


def test_the_variable_names_the_library(package_copy):
    found = probe({"PYTHONPATH": str(package_copy), "TESSALINK_LIBRARY": LIBRARY}, package_copy)
    assert found.returncode == 0, found.stderr
    assert found.stdout.strip() == os.path.realpath(LIBRARY)


def test_a_library_the_variable_names_is_the_only_one_tried(package_copy):
    shutil.copy(LIBRARY, package_copy / "tessalink" / "libTessalink.so.0")
    found = probe({"PYTHONPATH": str(package_copy), "TESSALINK_LIBRARY": "/nonexistent/libTessalink.so.0"},
                  package_copy)
    assert found.returncode != 0
    assert "/nonexistent/libTessalink.so.0" in found.stderr and "TESSALINK_LIBRARY" in found.stderr


@pytest.mark.parametrize("folder", ["tessalink", "."], ids=["in-the-package", "beside-the-package"])
def test_beside_the_package(package_copy, folder):
    shutil.copy(LIBRARY, package_copy / folder / "libTessalink.so.0")
    found = probe({"PYTHONPATH": str(package_copy)}, package_copy)
    assert found.returncode == 0, found.stderr
    assert found.stdout.strip() == str((package_copy / folder / "libTessalink.so.0").resolve())


def test_the_systems_search(package_copy):
    found = probe({"PYTHONPATH": str(package_copy), "LD_LIBRARY_PATH": os.path.dirname(LIBRARY)},
                  package_copy)
    assert found.returncode == 0, found.stderr
    assert Path(found.stdout.strip()).parent == Path(LIBRARY).resolve().parent


def test_importing_needs_no_library(package_copy, tmp_path):
    found = subprocess.run([sys.executable, "-c", "import tessalink; print(tessalink.Link(1))"],
                           env={"PYTHONPATH": str(package_copy), "TESSALINK_LIBRARY": "/nonexistent"},
                           capture_output=True, text=True, cwd=tmp_path)
    assert found.returncode == 0, found.stderr
    assert found.stdout.strip() == "Link(mode=1)"
