"""Value-change lines, taken from the section's one-line mailbox by the client
library's collector.

The core puts one line at a time into the mailbox; the collector
(qsc_collector_next) waits for it, copies and parses it into a record and
frees the mailbox for the next line, all in one call.  Only one collector may
run on a section (the collector lock, shared with `quorsma log`).
"""

import asyncio
import ctypes
import datetime
import threading
import time
import warnings
from typing import AsyncIterator, Iterator, NamedTuple, Optional

from . import _client

# The longest single wait in the library: a stop asked by close() (another
# thread, the asyncio form) is seen within it, and so is Ctrl-C where a signal
# does not end the wait.
_SLICE_SECONDS = 0.05
_UNSET = object()


class Change(NamedTuple):
    kind: Optional[str]  # M B L D W; None for a line of another form
    number: Optional[int]
    old: Optional[int]
    new: Optional[int]
    comment: str
    time: datetime.datetime  # local time the line was taken
    line: str  # the whole line as the library wrote it, decoded


def _client_of(section=None):
    if section is not None:
        return section.client
    from . import attach
    return attach().client


def _change(client, record, when=None) -> Change:
    if when is None:
        when = datetime.datetime.fromtimestamp(record.taken_us / 1e6) if record.taken_us else datetime.datetime.now()
    line = client.to_text(record.line)
    if not record.parsed:
        return Change(None, None, None, None, "", when, line)
    return Change(record.kind.decode("ascii"), record.number, record.old_value, record.new_value,
                  client.to_text(record.comment), when, line)


def parse_line(raw: bytes, when: Optional[datetime.datetime] = None, section=None) -> Change:
    """A Change from a line's CP949 bytes, parsed by the client library; a
    line of another form keeps only its text (kind None), so nothing is
    dropped."""
    client = _client_of(section)
    record = _client.ChangeRecord()
    client.lib.qsc_change_parse(raw, len(raw), ctypes.byref(record))
    return _change(client, record, when or datetime.datetime.now())


def _seconds(name, value):
    if value is not None and not value >= 0:
        raise ValueError(f"{name}: seconds, 0 or more, or None, not {value!r}")
    return value


class Changes:
    """The iterator of Section.changes().  It takes the collector lock when it
    is made and gives it back when it ends: after `idle_timeout` seconds
    without a line, `duration` seconds after it was made, at close(), at the
    end of a with block, or when it is garbage-collected.

    A line taken from the mailbox lives in a record of this iterator from the
    moment the library took it until next() hands it out: an exception in
    between, such as the KeyboardInterrupt of Ctrl-C, leaves it there, and
    the next call hands it out first."""

    def __init__(self, section, idle_timeout: Optional[float] = None, duration: Optional[float] = None,
                 enable: bool = False):
        self._collector = None
        self._idle_timeout = _seconds("idle_timeout", idle_timeout)
        _seconds("duration", duration)
        self._section = section  # keeps the mapping alive
        self._client = section.client
        self._ends = None if duration is None else time.monotonic() + duration
        self._record = _client.ChangeRecord()  # taken_us != 0: a line not yet handed out
        self._record_ref = ctypes.byref(self._record)
        self._guard = threading.Lock()  # held around each call into the collector
        self._stop = False
        collector, error = ctypes.c_void_p(), self._client.error_buffer()
        status = self._client.lib.qsc_collector_open(section.image, _client.COLLECT_ENABLE if enable else 0,
                                                     ctypes.byref(collector), error, _client.ERROR_BYTES)
        if status != _client.OK:
            raise self._client.fail(status, error, failed=RuntimeError)
        self._collector = collector
        section._opened(self)

    @property
    def closed(self) -> bool:
        return self._collector is None

    def __iter__(self) -> Iterator[Change]:
        return self

    def __next__(self) -> Change:
        if not self._wait():
            raise StopIteration
        return self._hand_out()

    def _wait(self) -> bool:
        """Blocks until the record holds a line (True) or the iteration ended
        (False).  The record is the library's to fill: the state lives there,
        not in a Python variable that an exception could leave unassigned."""
        record = self._record
        limit = self._ends
        if self._idle_timeout is not None:
            idle_ends = time.monotonic() + self._idle_timeout
            limit = idle_ends if limit is None else min(limit, idle_ends)
        while not record.taken_us:
            if self._stop:
                return False
            with self._guard:
                if self._collector is None:
                    return False
                left = _SLICE_SECONDS if limit is None else min(_SLICE_SECONDS, max(0.0, limit - time.monotonic()))
                status = self._client.lib.qsc_collector_next(self._collector, int(left * 1e6), self._record_ref)
                if status == _client.NO_LINE:
                    if limit is not None and time.monotonic() >= limit and not record.taken_us:
                        self._close_held()
                        return False
                elif status != _client.OK:
                    raise self._client.fail(status, None)
        return True

    def _hand_out(self) -> Change:
        change = _change(self._client, self._record)
        # Handed out with no call between clearing the mark and returning.
        self._record.taken_us = 0
        return change

    def close(self) -> None:
        """Gives the collector lock back (and the earlier logging setting).
        A line taken but not yet handed out is dropped with it."""
        self._stop = True  # a wait in another thread ends within one slice
        with self._guard:
            self._close_held()

    def _close_held(self):
        collector, self._collector = self._collector, None
        if collector:
            self._client.lib.qsc_collector_close(collector)

    def __enter__(self) -> "Changes":
        return self

    def __exit__(self, *_) -> None:
        self.close()

    def __del__(self):
        if getattr(self, "_collector", None):
            self.close()


class AsyncChanges:
    """The asyncio form of Changes (Section.changes_async()): the waits run in
    a worker thread, one at a time, while the event loop runs on.  A wait
    that is cancelled (asyncio.wait_for, a cancelled task) goes on in its
    thread; a line it takes stays in the record, and the next __anext__
    waits for that same wait and hands the line out, so none is lost."""

    def __init__(self, changes: Changes):
        self._changes = changes
        self._pending = None  # the wait running in a thread, if any

    def __aiter__(self) -> "AsyncChanges":
        return self

    async def __anext__(self) -> Change:
        if self._pending is None:
            self._pending = asyncio.get_running_loop().run_in_executor(None, self._changes._wait)
        taken = await asyncio.shield(self._pending)
        self._pending = None
        if not taken:
            raise StopAsyncIteration
        return self._changes._hand_out()

    async def aclose(self) -> None:
        """Lets a running wait end (within 50 ms) and closes the collector."""
        pending, self._pending = self._pending, None
        self._changes._stop = True
        try:
            if pending is not None:
                await pending
        except Exception:  # the wait's own failure; closing is what was asked
            pass
        finally:
            self._changes.close()

    async def __aenter__(self) -> "AsyncChanges":
        return self

    async def __aexit__(self, *_) -> None:
        await self.aclose()

    def close(self) -> None:
        self._changes.close()

    @property
    def closed(self) -> bool:
        return self._changes.closed


def deprecated_timeout(idle_timeout, timeout):
    """idle_timeout, taking the earlier name `timeout` with a warning."""
    if timeout is _UNSET:
        return idle_timeout
    warnings.warn("changes(timeout=...) is now changes(idle_timeout=...)", DeprecationWarning, stacklevel=3)
    if idle_timeout is not None:
        raise TypeError("give idle_timeout or timeout (its earlier name), not both")
    return timeout
