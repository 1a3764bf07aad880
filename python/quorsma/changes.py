"""Value-change lines, taken from the section's one-line mailbox.

The library puts one line at a time into LogLine and sets LogLinePending to
1; the collector copies the line, then clears the flag so that the next one
can come.  Only one collector may run on a section (the collector lock,
shared with `quorsma log`).
"""

import datetime
import re
import time
from typing import NamedTuple, Optional

from .locks import SectionLock

ENCODING = "cp949"
POLL_SECONDS = 0.001

# "VC => M[0005]=0 => 1 \t: PUMP": B and W numbers are hexadecimal.
_LINE = re.compile(r"VC => (M|B|L|D|W)\[([0-9A-F]+)\]=(-?\d+) => (-?\d+) \t: (.*)", re.DOTALL)


class Change(NamedTuple):
    kind: Optional[str]  # M B L D W; None for a line of another form
    number: Optional[int]
    old: Optional[int]
    new: Optional[int]
    comment: str
    time: datetime.datetime  # local time the line was taken
    line: str  # the whole line as the library wrote it, decoded


def parse_line(raw, when=None):
    """A Change from a line's CP949 bytes; a line of another form keeps only
    its text (kind None), so nothing is dropped."""
    when = when or datetime.datetime.now()
    text = raw.decode(ENCODING, "replace")
    match = _LINE.fullmatch(text)
    if not match:
        return Change(None, None, None, None, "", when, text)
    kind, number, old, new, comment = match.groups()
    return Change(kind, int(number, 16 if kind in "BW" else 10), int(old), int(new), comment, when, text)


class Changes:
    """The iterator of Section.changes().  It takes the collector lock when it
    is made and gives it back when it ends: at the timeout, at close(), at
    the end of a with block, or when it is garbage-collected."""

    def __init__(self, section, timeout, enable):
        self._lock = None
        if timeout is not None and not timeout >= 0:
            raise ValueError(f"timeout: seconds, 0 or more, or None, not {timeout!r}")
        self._line, self._pending, self._enable_cell = section._log_cells()
        self._section = section  # keeps the mapping alive
        self._timeout = timeout
        self._kept = None  # a line taken from the mailbox and not yet handed out
        self._lock = SectionLock("collector").acquire()
        self._earlier = None
        if enable:
            self._earlier = self._enable_cell.value
            self._enable_cell.value = 1

    def __iter__(self):
        return self

    def __next__(self):
        # No line taken from the mailbox is lost to an exception, such as the
        # KeyboardInterrupt of Ctrl-C, which Python raises where its signal
        # handler runs: at a call, a backward jump or the start of a function.
        if self._kept is None:
            if self._lock is None:
                raise StopIteration
            waited_since = time.monotonic()
            while self._pending.value != 1:
                if self._timeout is not None and time.monotonic() - waited_since >= self._timeout:
                    self.close()
                    raise StopIteration
                time.sleep(POLL_SECONDS)
            # Copied and parsed while the line stays in the mailbox: an
            # exception up to here leaves it there, and only this collector
            # takes it, so the next call takes it again.
            change = parse_line(_take(self._line))
            # Kept, then the mailbox freed for the next line, then handed out,
            # with no call in between; should an exception come between them
            # all the same, the next call hands the kept line out first.
            self._kept = change
            self._pending.value = 0
        change, self._kept = self._kept, None
        return change

    def close(self):
        if self._lock is None:
            return
        if self._earlier is not None:
            self._enable_cell.value = self._earlier
        self._lock.release()
        self._lock = None

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def __del__(self):
        self.close()


def _take(line):
    """Copies the line until two copies agree, so that a line being replaced
    while it is read is not handed on torn."""
    copy = line.value
    for _ in range(8):
        again = line.value
        if again == copy:
            break
        copy = again
    return copy
