"""The build of the package takes the results table of the project's
messages/ folder into it: the English messages its exceptions carry, the
same table the command-line tool is built from. The rest is in
pyproject.toml."""

import os
import shutil

from setuptools import setup
from setuptools.command.build_py import build_py

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "messages", "results.tsv")


class BuildWithTheResultsTable(build_py):
    def run(self) -> None:
        super().run()
        if not os.path.isfile(TABLE):
            raise SystemExit(f"the results table {os.path.normpath(TABLE)} is missing: build from the project's tree")
        shutil.copyfile(TABLE, os.path.join(self.build_lib, "tessalink", "results.tsv"))


setup(cmdclass={"build_py": BuildWithTheResultsTable})
