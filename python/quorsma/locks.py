"""Locks of a section held outside its image, taken the same way as the
quorsma tool takes them, so that a Python collector and `quorsma log` (or a
Python test bench and `quorsma run`) never run on one section at once.

One lock file per section and job ("runner", "collector"):
  Linux    $QUORSMA_LOCK_DIR/quorsma.<section>.<job>.lock (default /dev/shm)
  Windows  %QUORSMA_LOCK_DIR%\\quorsma.<section>.<job>.lock (default: the
           user's temporary directory as GetTempPath gives it)
<section> is QUORSMA_SECTION, or __QR_SMA__ when unset or empty, with every
character other than A-Z a-z 0-9 _ - . replaced by _.  The file is created
with mode 0600 and never removed.  The lock is a write lock on the whole file
(fcntl) on Linux, and an exclusive lock of the byte at 0x40000000 on Windows;
both are taken without waiting and released by the system when the holder
ends.  The holder writes its pid and a newline at the start of the file.
"""

import os
import re
import sys
import threading

DEFAULT_SECTION = "__QR_SMA__"
_WINDOWS_LOCK_OFFSET = 0x40000000

# Record locks belong to the process: a second lock of the same file from
# this process would succeed, and closing it would drop the first.  The locks
# this process holds are therefore also kept here.
_held = set()
_held_guard = threading.Lock()


def section_name():
    return os.environ.get("QUORSMA_SECTION") or DEFAULT_SECTION


def lock_path(job):
    if sys.platform == "win32":
        default = _windows_temp_dir()
    else:
        default = "/dev/shm"
    directory = os.environ.get("QUORSMA_LOCK_DIR") or default
    safe = re.sub(r"[^A-Za-z0-9_.-]", "_", section_name())
    return os.path.join(directory, f"quorsma.{safe}.{job}.lock")


def _windows_temp_dir():
    import ctypes
    buffer = ctypes.create_unicode_buffer(1024)
    n = ctypes.windll.kernel32.GetTempPathW(len(buffer), buffer)
    return buffer.value[:n] if n else os.environ.get("TEMP", ".")


class SectionLock:
    """The lock of one job of the section in use; RuntimeError with
    "another <job> is running (pid N)" when another holder has it."""

    def __init__(self, job):
        self.job = job
        self.path = lock_path(job)
        self._fd = None

    def acquire(self):
        with _held_guard:
            if self.path in _held:
                raise RuntimeError(f"another {self.job} is running (pid {os.getpid()})")
            fd = os.open(self.path, os.O_RDWR | os.O_CREAT | getattr(os, "O_BINARY", 0), 0o600)
            try:
                if not _try_lock(fd):
                    pid = _holder(fd)
                    raise RuntimeError(f"another {self.job} is running" + (f" (pid {pid})" if pid else ""))
                os.ftruncate(fd, 0)
                os.lseek(fd, 0, os.SEEK_SET)
                os.write(fd, f"{os.getpid()}\n".encode())
            except BaseException:
                os.close(fd)
                raise
            _held.add(self.path)
            self._fd = fd
        return self

    def release(self):
        with _held_guard:
            if self._fd is None:
                return
            os.close(self._fd)  # closing releases the lock
            self._fd = None
            _held.discard(self.path)

    def __enter__(self):
        return self.acquire()

    def __exit__(self, *_):
        self.release()


def _try_lock(fd):
    if sys.platform == "win32":
        import msvcrt
        os.lseek(fd, _WINDOWS_LOCK_OFFSET, os.SEEK_SET)
        try:
            msvcrt.locking(fd, msvcrt.LK_NBLCK, 1)
        except OSError:
            return False
        return True
    import fcntl
    try:
        fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        return False
    return True


def _holder(fd):
    try:
        os.lseek(fd, 0, os.SEEK_SET)
        text = os.read(fd, 32).decode("ascii", "replace").strip()
    except OSError:
        text = ""
    return text if text.isdigit() and int(text) > 0 else ""
