"""The binding's tests run against the built library on a section of their
own.  CTest gives the library (QUORSMA_LIBRARY) and the quorsma tool
(QUORSMA_TEST_TOOL); the section name is made here, before the library is
loaded, and the tool run by the tests inherits it."""

import os
import subprocess

import pytest

OWN_SECTION = "QUORSMA_SECTION" not in os.environ
os.environ.setdefault("QUORSMA_SECTION", f"qsma_py_{os.getpid()}")

import quorsma  # noqa: E402
from quorsma import locks  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


@pytest.fixture(scope="session")
def section():
    yield quorsma.attach()
    if OWN_SECTION:  # the lock files of a one-time section are of no further use
        for job in ("collector", "runner"):
            try:
                os.remove(locks.lock_path(job))
            except FileNotFoundError:
                pass


@pytest.fixture(scope="session")
def tool():
    path = os.environ.get("QUORSMA_TEST_TOOL")
    if not path:
        pytest.fail("QUORSMA_TEST_TOOL names the quorsma tool (ctest sets it)")

    def run(*args, check=True):
        result = subprocess.run([path, *args], capture_output=True, text=True, timeout=60,
                                env={**os.environ, "LANG": "C.UTF-8"})
        if check and result.returncode != 0:
            raise AssertionError(f"quorsma {' '.join(args)}: exit {result.returncode}\n{result.stderr}")
        return result

    return run
