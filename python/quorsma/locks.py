"""Locks of a section held outside its image, taken by the client library the
way every QuorSMA program takes them, so that a Python collector and `quorsma
log` (or a Python test bench and `quorsma run`) never run on one section at
once.  The jobs are "runner", "collector" and "communication"; the directory,
the file and the lock are described in include/quorsma/client.h (section
locks).  The system releases a lock when its holder ends, however it ends.
"""

import ctypes
from typing import Optional


def _client(section=None):
    if section is not None:
        return section.client
    from . import attach
    return attach().client


def lock_dir(section=None) -> str:
    """The directory of the lock files of the section in use (not checked)."""
    client = _client(section)
    return client.text_out(client.lib.qsc_lock_dir).decode("utf-8", "surrogateescape")


def lock_path(job: str, section=None) -> str:
    """The lock file of JOB of the section in use."""
    return _path(_client(section), job)


def _path(client, job):
    return client.text_out(client.lib.qsc_lock_path, job.encode("ascii")).decode("utf-8", "surrogateescape")


class SectionLock:
    """The lock of one job of the section in use.  acquire() raises
    RuntimeError with "another <job> is running (pid N)" when another holder
    has it, and RuntimeError naming the directory or file when they cannot
    be used safely; release(), the end of a with block or the lock's
    garbage collection gives it back: keep the object while you hold it."""

    def __init__(self, job: str, section=None):
        self.job = job
        self._client = _client(section)
        self._handle: Optional[ctypes.c_void_p] = None

    @property
    def path(self) -> str:
        return _path(self._client, self.job)

    def acquire(self) -> "SectionLock":
        if self._handle is not None:
            raise RuntimeError(f"this {self.job} lock is already held")
        handle, error = ctypes.c_void_p(), self._client.error_buffer()
        status = self._client.lib.qsc_lock_acquire(self.job.encode("ascii"), ctypes.byref(handle), error,
                                                   len(error))
        if status != 0:
            raise self._client.fail(status, error, failed=RuntimeError)
        self._handle = handle
        return self

    def release(self) -> None:
        handle, self._handle = self._handle, None
        if handle is not None:
            self._client.lib.qsc_lock_release(handle)

    def __enter__(self) -> "SectionLock":
        return self.acquire()

    def __exit__(self, *_) -> None:
        self.release()

    def __del__(self):
        self.release()
