"""Shared fixtures: the program that makes databases, and databases made by it.

DORSEL_LIBRARY names the libdorsel under test and DORSEL_PROGRAM the dorsel program of the
same build (ctest sets both); without them the library beside the package or on the system's
path is used, with the program found on PATH."""

import os
import pathlib
import shutil
import subprocess
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "src"))

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
SESSION_SCRIPTS = REPOSITORY / "tests" / "console" / "sessions"


@pytest.fixture(scope="session")
def program():
    found = os.environ.get("DORSEL_PROGRAM") or shutil.which("dorsel")
    if not found:
        pytest.fail("set DORSEL_PROGRAM to the dorsel program (it makes the test databases)")
    return found


def make_database(program, kind, path):
    subprocess.run([program, kind, str(path)], check=True, capture_output=True)
    return str(path)


@pytest.fixture
def demo_db(program, tmp_path):
    return make_database(program, "demo", tmp_path / "demo.sqlite")


@pytest.fixture
def schema_db(program, tmp_path):
    return make_database(program, "schema", tmp_path / "schema.sqlite")
