"""The binding's contract with the client library: the loader finds it, and
the declarations and structures agree with include/quorsma/client.h."""

import ctypes
import os
import re
import shutil
import subprocess
import sys
import textwrap

import pytest

from conftest import ROOT
from quorsma import _client

CLIENT_HEADER = os.path.join(ROOT, "include", "quorsma", "client.h")


def test_functions_are_declared_as_the_header_declares_them(section):
    header = open(CLIENT_HEADER, encoding="ascii").read()
    exports = {name: (result.strip(), 0 if params.strip() in ("", "void") else params.count(",") + 1)
               for result, name, params in re.findall(r"QSC_EXPORT (.*?)\s*QSC_CALL (\w+)\(([^)]*)\);", header)}
    for name, function in section.client.declared.items():
        result, count = exports[name]
        assert (len(function.argtypes), function.restype is None) == (count, result == "void"), name


def test_structures_match_the_c_compiler(tmp_path):
    compiler = shutil.which("cc") or shutil.which("gcc")
    if not compiler:
        pytest.skip("no C compiler to compare the structures with")
    lines = []
    for name, structure in _client.STRUCTURES.items():
        lines.append(f'printf("{name} %zu\\n", sizeof({name}));')
        for field, *_ in structure._fields_:
            lines.append(f'printf("{name}.{field} %zu\\n", offsetof({name}, {field}));')
    source = tmp_path / "layout.c"
    source.write_text("#include <stddef.h>\n#include <stdio.h>\n#include \"quorsma/client.h\"\n"
                      "int main(void) {\n" + "\n".join(lines) + "\nreturn 0;\n}\n")
    subprocess.run([compiler, "-I", os.path.join(ROOT, "include"), str(source), "-o", str(tmp_path / "layout")],
                   check=True, timeout=60)
    expected = dict(line.split() for line in subprocess.run([str(tmp_path / "layout")], capture_output=True,
                                                            text=True, check=True).stdout.splitlines())
    for name, structure in _client.STRUCTURES.items():
        assert ctypes_layout(structure, name) == {k: int(v) for k, v in expected.items()
                                                  if k == name or k.startswith(name + ".")}


def ctypes_layout(structure, name):
    layout = {name: ctypes.sizeof(structure)}
    layout.update({f"{name}.{field}": getattr(structure, field).offset for field, *_ in structure._fields_})
    return layout


# Which client library a fresh process loads, with QUORSMA_LIBRARY naming a
# core in a directory of its own.  Prints the client's path and how many
# library objects are mapped (each has one mapping at file offset 0).
LOADER = textwrap.dedent("""
    import quorsma
    section = quorsma.attach()
    print(section.client.path)
    print(sum(1 for line in open("/proc/self/maps") if line.split()[2] == "00000000"
              and "quorsma" in line.split()[-1].rsplit("/", 1)[-1].lower() and ".so" in line))
""")


def test_the_loader_finds_the_client_library(tmp_path):
    core, client = os.environ["QUORSMA_LIBRARY"], os.environ["QUORSMA_CLIENT_LIBRARY"]
    beside = tmp_path / "lib"
    beside.mkdir()
    os.symlink(core, beside / "libQuorSMA.so.1")
    alone = tmp_path / "alone"
    alone.mkdir()
    os.symlink(core, alone / "libQuorSMA.so.1")
    os.symlink(client, beside / "libquorsma-client.so.1")
    cases = [  # core, QUORSMA_CLIENT_LIBRARY, the client expected (None: refused)
        (beside / "libQuorSMA.so.1", None, str(beside / "libquorsma-client.so.1")),
        (beside / "libQuorSMA.so.1", client, client),  # named: wins
        (alone / "libQuorSMA.so.1", str(tmp_path / "missing.so"), None),
    ]
    for core_path, named, expected in cases:
        env = {k: v for k, v in os.environ.items() if k != "QUORSMA_CLIENT_LIBRARY"}
        env.update(QUORSMA_LIBRARY=str(core_path), QUORSMA_SECTION=f"qsma_py_loader_{os.getpid()}")
        if named:
            env["QUORSMA_CLIENT_LIBRARY"] = named
        result = subprocess.run([sys.executable, "-c", LOADER], capture_output=True, text=True, env=env, timeout=60)
        if expected is None:
            assert result.returncode != 0 and "missing.so" in result.stderr
            continue
        assert result.returncode == 0, result.stderr
        path, mapped = result.stdout.split()
        # One copy of each library: the client bound to the core loaded first.
        assert (path, mapped) == (expected, "2")


def test_pip_installs_the_package_into_a_virtual_environment(tmp_path):
    """Offline: Debian's setuptools from the system site, no package index."""
    pytest.importorskip("ensurepip")
    source = tmp_path / "source"
    shutil.copytree(os.path.join(ROOT, "python"), source, ignore=shutil.ignore_patterns("tests", "__pycache__"))
    env_dir = tmp_path / "env"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(env_dir)], check=True, timeout=120)
    python = str(env_dir / "bin" / "python")
    installed = subprocess.run([python, "-m", "pip", "install", "--no-build-isolation", "--no-deps", "--no-index",
                                "--disable-pip-version-check", str(source)], capture_output=True, text=True,
                               timeout=300)
    assert installed.returncode == 0, installed.stdout + installed.stderr
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env["QUORSMA_SECTION"] = f"qsma_py_pip_{os.getpid()}"
    check = ("import os, quorsma; s = quorsma.attach(); s.set('D7', 7); "
             "print(os.path.dirname(quorsma.__file__), s.get('D7'), "
             "os.path.exists(os.path.join(os.path.dirname(quorsma.__file__), 'py.typed')))")
    result = subprocess.run([python, "-c", check], capture_output=True, text=True, env=env, cwd=tmp_path, timeout=60)
    assert result.returncode == 0, result.stderr
    where, value, typed = result.stdout.split()
    assert where.startswith(str(env_dir)) and (value, typed) == ("7", "True")
