import re
import sys

import pytest

from quorsma import _layout

ROOT_HEADER = "include/quorsma/quorsma.h"


def test_layout_matches_the_header():
    from conftest import ROOT
    header = open(f"{ROOT}/{ROOT_HEADER}", encoding="ascii").read()
    offsets = {name: int(value, 16) for name, value in re.findall(r"QSMA_CHECK_OFFSET\((\w+), (0x[0-9A-F]+)\)", header)}
    sizes = dict(re.findall(r"#define (QSMA_\w+) (\d+)\n", header))  # the area-size macros
    counts = {name: int(sizes.get(n, n)) for name, n in re.findall(r"int32_t\s+(\w+)\[(\w+)\];", header)}
    for name, (offset, count) in _layout.DEVICE_AREAS.items():
        assert (offsets[name], counts[name]) == (offset, count), name
    assert offsets["LogLine"] == _layout.LOG_LINE[0]
    assert (offsets["LogEnable"], offsets["LogLinePending"], offsets["PulseSlot"]) == (
        _layout.LOG_ENABLE, _layout.LOG_LINE_PENDING, _layout.PULSE_SLOT)


def test_views_see_the_tools_writes_and_the_reverse(section, tool):
    tool("set", "D120", "-5")
    tool("set", "X1F", "1")
    assert section.D[120] == -5 and section.X[0x1F] == 1
    section.W[0x2A] = 4660  # a direct image write
    section.M[7] = 1
    out = tool("get", "W2A", "M7").stdout
    assert re.search(r"\bW2A\b.*\b4660\b", out) and re.search(r"\bM7\b.*\b1\b", out), out


def test_get_set_and_get_many_go_through_the_library(section):
    section.set("D101", 0)
    section.set("d101.3", 1)  # either case, as the tool takes it
    assert section.D[101] == 8 and section.get("D101.3") == 1
    section.M[200:216] = 0
    section.M[200] = section.M[215] = 1
    section.X[0x10:0x20] = 0
    section.X[0x13] = 1
    values = section.get_many(["D101", "M200..M201", "K4M200", "K4X10", "X1E..X20"])
    assert list(values) == ["D101", "M200", "M201", "K4M200", "K4X10", "X1E", "X1F", "X20"]
    assert values["K4M200"] == 0x8001 and values["K4X10"] == 0x8 and values["M201"] == 0
    assert section.get_many("D101,M200") == {"D101": 8, "M200": 1}
    section.set("K2Y10", 0x81)  # a digit group, bit by bit
    assert [section.get(f"Y{n:X}") for n in range(0x10, 0x18)] == [1, 0, 0, 0, 0, 0, 0, 1]
    for all_ones in (0xFFFFFFFF, -1):  # unsigned, or signed as get gives it back
        section.set("K8Y0", 0)
        section.set("K8Y0", all_ones)
        assert section.get("K8Y0") == -1 and section.Y[0x1F] == 1


@pytest.mark.parametrize("call, reason", [
    (lambda s: s.get("Q5"), "unknown device Q"),
    (lambda s: s.get("D131071"), "D numbers end at 131070"),
    (lambda s: s.get("K5"), None),  # a constant reads as its value
    (lambda s: s.set("T0", 1), "can be written by name"),
    (lambda s: s.set("X0", 2), "is a bit"),
    (lambda s: s.set("D130", 2**31), "holds 32 bits"),
    (lambda s: s.set("D130 ", 1), "plain ASCII"),
    (lambda s: s.get_many(["D130", "D0..D10000"]), "at most 10000"),
    (lambda s: s.get_many(["D130", "X2F..X1F"]), "runs backwards"),
    (lambda s: s.set("D131065Z1", 1), "outside the D area"),
    (lambda s: s.get("K4M131050Z1"), "outside the M area"),
    (lambda s: s.set("K2Y0", 256), "holds 8 bits"),
    (lambda s: s.set("K2Y0", -1), "holds 8 bits"),
    (lambda s: s.set("K8Y0", 2**32), "holds 32 bits"),
    (lambda s: s.set("K4M0Z1", 1), "without an index register"),
    (lambda s: s.set("K8SM0", 1), "special relays"),
])
def test_bad_input_is_refused_and_nothing_is_written(section, call, reason):
    section.D[130] = 7
    section.Z[1] = 10
    if reason is None:
        assert call(section) == 5
        return
    with pytest.raises(ValueError, match=reason):
        call(section)
    assert section.D[130] == 7


def test_comments_in_cp949(section):
    section.set_comment("X", 0x1F, "시작 버튼")
    assert section.comment("X1F") == "시작 버튼"
    for text, reason in [("😀", "CP949"), ("a\nb", "control"), ("가" * 128, "at most 255")]:
        with pytest.raises(ValueError, match=reason):
            section.set_comment("X", 0x1F, text)
    with pytest.raises(ValueError, match="comment kind"):
        section.set_comment("m", 1, "x")
    assert section.comment("X1F") == "시작 버튼"


@pytest.mark.parametrize("x0, x1", [(0, 0), (0, 1), (1, 0), (1, 1)])
def test_ladder_drives_a_rung(section, x0, x1):
    section.X[0], section.X[1] = x0, x1
    ladder = section.ladder
    ladder.LD("X0")
    ladder.OR("X1")
    ladder.LAD_OUT("Y5")
    ladder.LD("X0")
    ladder.ANI("X1")
    ladder.LAD_OUT("Y6")
    ladder.END()
    assert (section.Y[5], section.Y[6]) == (int(x0 or x1), int(x0 and not x1))


def test_ladder_checks_the_operand_count(section):
    with pytest.raises(TypeError, match="LD takes 1 operand"):
        section.ladder.LD("X0", "X1")


def test_exports_are_declared_as_the_header_declares_them(section):
    # A wrong argument count would corrupt the stack with the standard
    # calling convention of 32-bit Windows.
    from conftest import ROOT
    header = open(f"{ROOT}/{ROOT_HEADER}", encoding="ascii").read()
    exports = {name: (result.strip(), convention, 0 if params.strip() in ("", "void") else params.count(",") + 1)
               for result, convention, name, params in
               re.findall(r"^QSMA_EXPORT (.*?)\s*(QSMA_API|QSMA_CDECL)\s*(\w+)\(([^)]*)\);", header, re.M)}
    library = section._library
    assert len(library.declared) > 60
    for name, (function, cdecl) in library.declared.items():
        result, convention, count = exports[name]
        assert (len(function.argtypes), function.restype is None, cdecl) == (
            count, result == "void", convention == "QSMA_CDECL"), name


def test_a_permission_grants_exactly_what_it_names(section):
    section.D[140] = section.D[141] = 0
    bit_only = section.permission("D140.3")
    for permission in (bit_only, "D140.3"):  # a Permission, or its text
        section.set("D140.3", 1, permission=permission)
    for operand, refused in [("D140", "D140 is not in the ranges allowed"), ("D140.4", "D140.4 is not in the ranges"),
                             ("D141", "D141 is not in the ranges"), ("K4M0", "K4M0 is not in the ranges")]:
        with pytest.raises(PermissionError, match=refused):
            section.set(operand, 1, permission=bit_only)
    section.set("D141", 5, permission="D140..D141")
    assert (section.D[140], section.D[141]) == (8, 5)
    for text, reason in [("M10Z2", "names no fixed device"), ("D1,,D2", "empty item"), ("Q0", "unknown device")]:
        with pytest.raises(ValueError, match=reason):
            section.permission(text)


def test_timer_gives_current_and_set_time(section):
    section.Tcur[3], section.Tset[3], section.Tcoil[3] = 120, 300, 1
    assert section.timer("t3") == (0, 120, 300, 1) and section.get("T3") == 0
    section.Tcur[3] = 300
    timer = section.timer("T3")
    assert (timer.contact, timer.current, timer.set, timer.coil) == (1, 300, 300, 1) and section.get("T3") == 1
    with pytest.raises(ValueError, match="not a timer"):
        section.timer("D3")


def test_areas_are_listed_and_missing_packages_are_named(section, monkeypatch):
    assert {"D", "M", "X", "Tcur", "Tset", "Tcoil"} <= set(dir(section))
    monkeypatch.delitem(section.__dict__, "R", raising=False)
    monkeypatch.setitem(sys.modules, "numpy", None)
    with pytest.raises(ImportError, match="python3-numpy"):
        section.R
    monkeypatch.setitem(sys.modules, "pandas", None)
    with pytest.raises(ImportError, match="python3-pandas"):
        section.to_pandas("D0..D1")


def test_to_pandas_reads_a_range(section):
    pytest.importorskip("pandas")
    section.D[150:153] = [7, -8, 9]
    frame = section.to_pandas("D150..D152,K4X0")
    assert list(frame.index) == ["D150", "D151", "D152", "K4X0"]
    assert list(frame["value"][:3]) == [7, -8, 9] and list(frame.columns) == ["value", "comment"]
