import asyncio
import os
import signal
import time
import warnings
import subprocess
import sys

import pytest

from quorsma.changes import parse_line


@pytest.mark.parametrize("raw, expected", [
    (b"VC => M[0005]=0 => 1 \t: PUMP", ("M", 5, 0, 1, "PUMP")),
    (b"VC => B[001A]=1 => 0 \t: ", ("B", 26, 1, 0, "")),
    (b"VC => D[10000]=-3 => 70000 \t: \xbd\xc3\xc0\xdb", ("D", 10000, -3, 70000, "시작")),
    (b"something else", (None, None, None, None, "")),
])
def test_lines_are_parsed(raw, expected):
    change = parse_line(raw)
    assert (change.kind, change.number, change.old, change.new, change.comment) == expected
    assert change.line == raw.decode("cp949")


def test_changes_made_by_another_process_are_collected(section, tool):
    section.M[5] = section.B[0x1A] = 0
    section.get("M5")
    section.get("B1A")  # last logged values now 0
    section.log_enable = 0
    with section.changes(timeout=10, enable=True) as changes:
        assert section.log_enable == 1
        tool("set", "M5", "1")
        first = next(changes)
        tool("set", "B1A", "1")
        second = next(changes)
    assert (first.kind, first.number, first.old, first.new) == ("M", 5, 0, 1)
    assert (second.kind, second.number, second.new) == ("B", 0x1A, 1)
    assert section.log_enable == 0  # put back


def test_one_collector_per_section(section):
    with section.changes(timeout=0.05) as changes:
        with pytest.raises(RuntimeError, match="another collector is running"):
            section.changes()
        other = subprocess.run(
            [sys.executable, "-c", "from quorsma import locks; locks.SectionLock('collector').acquire()"],
            capture_output=True, text=True, timeout=60)
        assert other.returncode != 0 and f"another collector is running (pid {os.getpid()})" in other.stderr
        assert list(changes) == []  # the timeout ends it and gives the lock back
    section.changes(timeout=0).close()


def test_python_and_quorsma_log_share_the_collector_lock(section, tool):
    with section.changes(timeout=0):
        refused = tool("log", "--count", "1", "--seconds", "1", check=False)
        assert refused.returncode == 1 and f"another collector is running (pid {os.getpid()})" in refused.stderr
    log = subprocess.Popen([os.environ["QUORSMA_TEST_TOOL"], "log", "--seconds", "30"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    try:
        while "collecting" not in log.stderr.readline():  # it says so once it holds the lock
            assert log.poll() is None, "quorsma log ended"
        with pytest.raises(RuntimeError, match=rf"another collector is running \(pid {log.pid}\)"):
            section.changes()
    finally:
        log.terminate()
        log.wait(timeout=30)



def test_an_unsafe_lock_directory_or_file_is_refused(tmp_path, monkeypatch):
    from quorsma import locks

    directory = tmp_path / "locks"
    monkeypatch.setenv("QUORSMA_LOCK_DIR", str(directory))
    path = locks.lock_path("runner")
    outside = tmp_path / "outside"
    outside.write_text("precious\n")
    rule = "; it must be a directory of this user that other users cannot write"
    cases = [
        (lambda: None, f"the lock directory {directory} (QUORSMA_LOCK_DIR) does not exist"),
        (lambda: (directory.mkdir(), directory.chmod(0o777)),
         f"the lock directory {directory} (QUORSMA_LOCK_DIR) is writable by other users (mode 0777){rule}"),
        (lambda: (directory.chmod(0o700), os.symlink(outside, path)), f"{path} is a symbolic link, not a regular file"),
        (lambda: (os.remove(path), os.mkfifo(path)), f"{path} is a FIFO, not a regular file"),
        (lambda: (os.remove(path), os.link(outside, path)), f"{path} has other names (hard links)"),
    ]
    for make, message in cases:
        make()
        with pytest.raises(RuntimeError) as refused:
            locks.SectionLock("runner").acquire()
        assert str(refused.value).startswith(message)
    assert outside.read_text() == "precious\n"
    os.remove(path)
    locks.SectionLock("runner").acquire().release()
    assert os.path.isfile(path)


# Writes D2000 = 1, 2, ... COUNT through the library, each once the mailbox
# is free, so that every write is logged.
PRODUCER = """
import ctypes, sys, time, quorsma
from quorsma import _layout
section = quorsma.attach()
pending = ctypes.c_int32.from_address(section.address + _layout.LOG_LINE_PENDING)
for value in range(1, int(sys.argv[1]) + 1):
    while pending.value:
        time.sleep(0.0001)
    section.set("D2000", value)
"""


def test_no_line_is_lost_to_keyboard_interrupts(section):
    count = 3000
    with section.changes(timeout=0.2, enable=True) as changes:
        section.set("D2000", 0)  # the last logged value is now 0
        list(changes)
    armed = [False]  # KeyboardInterrupt only where the loop below catches it
    interrupts = [0]
    values = []

    def on_sigint(*_):
        if armed[0]:
            interrupts[0] += 1
            raise KeyboardInterrupt

    def collect(changes):
        # Item assignments run no call, so no handler runs between the
        # except and the disarming.
        while True:
            try:
                armed[0] = True
                for change in changes:
                    values.append(change.new)
                    if change.new == count:
                        break
                armed[0] = False
                return
            except KeyboardInterrupt:
                armed[0] = False

    # Ctrl-C every millisecond, from a process of its own, so that the
    # interrupts fall anywhere in the collector's work, not only where this
    # process lets another thread run.
    interrupter = (f"import os, signal, time\n"
                   f"for _ in range(60000):\n    os.kill({os.getpid()}, signal.SIGINT)\n    time.sleep(0.001)")
    earlier = signal.signal(signal.SIGINT, on_sigint)
    producer = subprocess.Popen([sys.executable, "-c", PRODUCER, str(count)])
    sender = None
    try:
        with section.changes(timeout=10, enable=True) as changes:
            sender = subprocess.Popen([sys.executable, "-c", interrupter])
            collect(changes)
    finally:
        if sender is not None:
            sender.kill()
            sender.wait()
        signal.signal(signal.SIGINT, earlier)
        try:
            producer.wait(timeout=30)
        finally:
            producer.kill()
            producer.wait()
    assert interrupts[0] > 100, "the interrupts came too seldom to test anything"
    assert values == list(range(1, count + 1))


def test_asyncio_loses_no_line_to_cancelled_waits(section):
    count = 500
    with section.changes(idle_timeout=0.2, enable=True) as changes:
        section.set("D2000", 0)
        list(changes)

    async def collect():
        values, cancelled = [], 0
        async with section.changes_async(idle_timeout=10, enable=True) as changes:
            producer = subprocess.Popen([sys.executable, "-c", PRODUCER, str(count)])
            try:
                while not values or values[-1] != count:
                    try:  # most waits are cancelled, some after their line was taken
                        change = await asyncio.wait_for(changes.__anext__(), 0.0005)
                    except asyncio.TimeoutError:
                        cancelled += 1
                        continue
                    values.append(change.new)
            finally:
                producer.wait(timeout=60)
        assert changes.closed
        return values, cancelled

    values, cancelled = asyncio.run(collect())
    assert cancelled > 10 and values == list(range(1, count + 1))


def test_idle_timeout_duration_and_the_earlier_name(section):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        section.changes(timeout=0).close()
    assert [w.category for w in caught] == [DeprecationWarning]
    with pytest.raises(TypeError, match="not both"):
        section.changes(idle_timeout=1, timeout=1)
    with pytest.raises(ValueError, match="duration"):
        section.changes(duration=-1)
    started = time.monotonic()
    with section.changes(idle_timeout=30, duration=0.3) as changes:
        assert list(changes) == [] and changes.closed
    assert time.monotonic() - started < 10
    with section as attached:  # the end of the block closes what is still open
        changes = attached.changes(idle_timeout=30)
    assert changes.closed
    section.changes(idle_timeout=0).close()  # the lock was given back
