"""Locks of a section held outside its image, taken the same way as the
quorsma tool takes them, so that a Python collector and `quorsma log` (or a
Python test bench and `quorsma run`) never run on one section at once.

One lock file per section and job ("runner", "collector"):
  Linux    $QUORSMA_LOCK_DIR/quorsma.<section>.<job>.lock, the directory
           defaulting to /dev/shm/quorsma-<uid> (made with mode 0700 when
           missing; a directory named by QUORSMA_LOCK_DIR must exist)
  Windows  %QUORSMA_LOCK_DIR%\\quorsma.<section>.<job>.lock (default: the
           user's temporary directory as GetTempPath gives it)
<section> is QUORSMA_SECTION, or __QR_SMA__ when unset or empty, with every
character other than A-Z a-z 0-9 _ - . replaced by _.  On Linux the directory
is refused unless it is a directory (not a symbolic link) of this user (or, for
QUORSMA_LOCK_DIR, of root) that other users cannot write (its group may), and
the file is opened without following a link or waiting and refused unless it
is a regular file with one link: /dev/shm is writable by every user.  The file
is created with mode 0600 and never removed.  The lock is a write lock on the
whole file (fcntl) on Linux, and an exclusive lock of the byte at 0x40000000
on Windows; both are taken without waiting and released by the system when
the holder ends.  The holder writes its pid and a newline at the start of the
file.  tools/quorsma/section_lock.h is the reference for every program that
takes these locks.
"""

import os
import re
import stat
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


def lock_dir():
    """The directory of the lock files, as a path (not checked)."""
    if os.environ.get("QUORSMA_LOCK_DIR"):
        return os.environ["QUORSMA_LOCK_DIR"]
    if sys.platform == "win32":
        return _windows_temp_dir()
    return f"/dev/shm/quorsma-{os.geteuid()}"


def lock_path(job):
    safe = re.sub(r"[^A-Za-z0-9_.-]", "_", section_name())
    return os.path.join(lock_dir(), f"quorsma.{safe}.{job}.lock")


def _kind(mode):
    for test, name in ((stat.S_ISDIR, "a directory"), (stat.S_ISLNK, "a symbolic link"), (stat.S_ISFIFO, "a FIFO"),
                       (stat.S_ISSOCK, "a socket"), (stat.S_ISCHR, "a character device"),
                       (stat.S_ISBLK, "a block device"), (stat.S_ISREG, "a regular file")):
        if test(mode):
            return name
    return "of another kind"


def _check_lock_dir():
    """Makes the default directory when missing and refuses an unsafe one
    (RuntimeError), as the quorsma tool does."""
    directory = lock_dir()
    chosen = bool(os.environ.get("QUORSMA_LOCK_DIR"))
    named = directory + (" (QUORSMA_LOCK_DIR)" if chosen else "")
    rule = "; it must be a directory of this user that other users cannot write"
    if not chosen:
        try:
            os.mkdir(directory, 0o700)
        except FileExistsError:
            pass
    try:
        seen = os.lstat(directory)
    except FileNotFoundError:
        raise RuntimeError(f"the lock directory {named} does not exist") from None
    if not stat.S_ISDIR(seen.st_mode):
        raise RuntimeError(f"the lock directory {named} is {_kind(seen.st_mode)}{rule}")
    if seen.st_uid != os.geteuid() and not (chosen and seen.st_uid == 0):
        raise RuntimeError(f"the lock directory {named} belongs to another user (uid {seen.st_uid}){rule}")
    if seen.st_mode & stat.S_IWOTH:
        raise RuntimeError(f"the lock directory {named} is writable by other users "
                           f"(mode {stat.S_IMODE(seen.st_mode):04o}){rule}")


def _open_lock_file(path):
    """Opens the lock file, made when missing, without following a link or
    waiting; RuntimeError naming it when it is not a regular file."""
    if sys.platform == "win32":
        return os.open(path, os.O_RDWR | os.O_CREAT | getattr(os, "O_BINARY", 0), 0o600)
    _check_lock_dir()
    flags = os.O_RDWR | os.O_CREAT | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC
    try:
        fd = os.open(path, flags, 0o600)
    except OSError:
        try:
            mode = os.lstat(path).st_mode
        except OSError:
            mode = stat.S_IFREG
        if not stat.S_ISREG(mode):
            raise RuntimeError(f"{path} is {_kind(mode)}, not a regular file; remove it") from None
        raise
    seen = os.fstat(fd)
    if not stat.S_ISREG(seen.st_mode) or seen.st_nlink != 1:
        os.close(fd)
        what = ("has other names (hard links)" if stat.S_ISREG(seen.st_mode)
                else f"is {_kind(seen.st_mode)}, not a regular file")
        raise RuntimeError(f"{path} {what}; remove it")
    os.set_blocking(fd, True)
    return fd


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
            fd = _open_lock_file(self.path)
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
