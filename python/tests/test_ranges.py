import os

import pytest

from conftest import ROOT

CASES = os.path.join(ROOT, "tests", "data", "range_grammar_cases.tsv")


def _cases():
    with open(CASES, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                text, where, expected = line.split("\t")
                yield pytest.param(text, where, expected, id=f"line{number}")


@pytest.mark.parametrize("text, where, expected", list(_cases()))
def test_the_tools_case_table(section, text, where, expected):
    try:
        got = ",".join(section.device_list(text, allow_all=where == "set").items)
    except ValueError:
        got = "refused"
    assert got == expected
