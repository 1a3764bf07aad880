"""The client library's C API (include/quorsma/client.h) for ctypes.

The structures below mirror the header's field by field (the tests compare
their sizes and offsets with the C compiler's); the functions are declared
with the header's argument and result types, all in the C convention.  The
client library holds every rule the package applies: the operand and list
grammars, write permissions, the checked write, comment rules, the collector
and the section locks.  This module only calls it.
"""

import ctypes
from typing import Callable, Type

from ctypes import POINTER, c_char, c_char_p, c_int32, c_int64, c_size_t, c_uint8, c_void_p

# Statuses (qsc_status).
OK, BAD_INPUT, NOT_ALLOWED, OUTSIDE_AREA, FAILED, BUSY, NO_LINE, NO_IMAGE = 0, -1, -2, -3, -4, -5, -6, -7
# Roles (qsc_role) the package uses.
ROLE_COMMENT, ROLE_MONITOR, ROLE_STORE = 11, 12, 13
# Operand kinds, list item kinds, read paths, flags.
OPERAND_CONSTANT, OPERAND_DIGITS, OPERAND_DEVICE = 0, 1, 2
ITEM_RANGE, ITEM_OPERAND, ITEM_ALL = 0, 1, 2
READ_LIBRARY, READ_IMAGE = 0, 1
LIST_ALLOW_ALL = 1
COLLECT_ENABLE = 1
COMMENT_MAX_BYTES = 255
ERROR_BYTES = 512


class DeviceKind(ctypes.Structure):
    _fields_ = [("name", c_char * 4), ("count", c_int32), ("radix", c_uint8), ("is_bit", c_uint8),
                ("writable", c_uint8), ("has_comment", c_uint8), ("forceable", c_uint8), ("indexable", c_uint8),
                ("has_bits", c_uint8), ("reserved", c_uint8)]


class Operand(ctypes.Structure):
    _fields_ = [("kind", c_int32), ("device", c_char * 4), ("number", c_int64), ("bit", c_int32),
                ("index_register", c_int32), ("digits", c_int32)]


class Range(ctypes.Structure):
    _fields_ = [("device", c_char * 4), ("first", c_int32), ("last", c_int32)]


class Item(ctypes.Structure):
    _fields_ = [("kind", c_int32), ("range", Range), ("operand", Operand)]


class WriteTarget(ctypes.Structure):
    _fields_ = [("operand", c_char * 32), ("device", c_char * 4), ("number", c_int32), ("bit", c_int32),
                ("cells", c_int32), ("value", c_int32)]


class Value(ctypes.Structure):
    _fields_ = [("operand", c_char * 32), ("ok", c_int32), ("value", c_int32), ("width", c_int32),
                ("timer", c_int32), ("timer_current", c_int32), ("timer_set", c_int32), ("timer_coil", c_int32),
                ("comment", c_char * 256)]


class ChangeRecord(ctypes.Structure):
    _fields_ = [("parsed", c_int32), ("kind", c_char * 4), ("number", c_int64), ("old_value", c_int32),
                ("new_value", c_int32), ("comment", c_char * 256), ("line", c_char * 1025),
                ("line_length", c_int32), ("taken_us", c_int64)]


STRUCTURES = {"qsc_device_kind": DeviceKind, "qsc_operand": Operand, "qsc_range": Range, "qsc_item": Item,
              "qsc_write_target": WriteTarget, "qsc_value": Value, "qsc_change": ChangeRecord}

MESSAGE_SINK = ctypes.CFUNCTYPE(None, c_char_p, c_int32, c_void_p)

_text_in = [c_char_p, c_size_t]
_error_out = [c_char_p, c_size_t]
_image = c_void_p

# name: (result, arguments), as client.h declares them.
FUNCTIONS = {
    "qsc_version": (c_char_p, []),
    "qsc_device_kind_count": (c_int32, []),
    "qsc_device_kind_at": (POINTER(DeviceKind), [c_int32]),
    "qsc_operand_parse": (c_int32, _text_in + [c_int32, POINTER(Operand)] + _error_out),
    "qsc_operand_text": (c_size_t, [POINTER(Operand), c_char_p, c_size_t]),
    "qsc_device_text": (c_size_t, [c_char_p, c_int64, c_char_p, c_size_t]),
    "qsc_operand_cells": (c_int32, [POINTER(Operand), c_int32, POINTER(Range)]),
    "qsc_list_parse": (c_int32, _text_in + [c_int32, POINTER(c_void_p)] + _error_out),
    "qsc_list_free": (None, [c_void_p]),
    "qsc_list_item_count": (c_size_t, [c_void_p]),
    "qsc_list_item_at": (c_int32, [c_void_p, c_size_t, POINTER(Item)]),
    "qsc_permission_parse": (c_int32, _text_in + [POINTER(c_void_p)] + _error_out),
    "qsc_permission_free": (None, [c_void_p]),
    "qsc_write": (c_int32, [_image, c_void_p] + _text_in + [c_int32, c_int64] + _error_out),
    "qsc_read_operand": (None, [_image, POINTER(Operand), c_int32, POINTER(Value)]),
    "qsc_read": (c_int32, [_image] + _text_in + [c_int32, POINTER(Value)] + _error_out),
    "qsc_comment_of": (c_size_t, [_image, c_char_p, c_int64, c_char_p, c_size_t]),
    "qsc_comment_from_utf8": (c_int32, _text_in + [c_char_p, POINTER(c_size_t)] + _error_out),
    "qsc_cp949_to_utf8": (c_size_t, _text_in + [c_char_p, c_size_t]),
    "qsc_messages_capture": (None, [MESSAGE_SINK, c_void_p]),
    "qsc_messages_count": (c_int64, []),
    "qsc_change_parse": (None, _text_in + [POINTER(ChangeRecord)]),
    "qsc_collector_open": (c_int32, [_image, c_int32, POINTER(c_void_p)] + _error_out),
    "qsc_collector_next": (c_int32, [c_void_p, c_int64, POINTER(ChangeRecord)]),
    "qsc_collector_close": (None, [c_void_p]),
    "qsc_log_enable": (c_int32, [_image, c_int32]),
    "qsc_section_name": (c_size_t, [c_char_p, c_size_t]),
    "qsc_lock_acquire": (c_int32, [c_char_p, POINTER(c_void_p)] + _error_out),
    "qsc_lock_release": (None, [c_void_p]),
    "qsc_lock_dir": (c_size_t, [c_char_p, c_size_t]),
    "qsc_lock_path": (c_size_t, [c_char_p, c_char_p, c_size_t]),
}

# What a failure raises, by status; a caller may name another class for
# QSC_FAILED (a lock directory that cannot be used is a RuntimeError).
_RAISES = {BAD_INPUT: ValueError, NOT_ALLOWED: PermissionError, OUTSIDE_AREA: ValueError, FAILED: OSError,
           BUSY: RuntimeError, NO_IMAGE: OSError}


class Client:
    """The loaded client library: `lib` holds its typed functions."""

    def __init__(self, path: str):
        self.path = path
        self.lib = ctypes.CDLL(path)
        self.declared = {}
        for name, (restype, argtypes) in FUNCTIONS.items():
            try:
                function = getattr(self.lib, name)
            except AttributeError:
                raise OSError(f"{path} has no {name}: the client library is older than this package") from None
            function.restype, function.argtypes = restype, argtypes
            self.declared[name] = function
        self.version = self.lib.qsc_version().decode("ascii")

    @staticmethod
    def error_buffer():
        return ctypes.create_string_buffer(ERROR_BYTES)

    def text_out(self, function: Callable, *args, size: int = 256) -> bytes:
        """The text a function writes to (out, size), in full."""
        while True:
            out = ctypes.create_string_buffer(size)
            needed = function(*args, out, size)
            if needed < size:
                return out.raw[:needed]
            size = needed + 1

    def to_text(self, cp949: bytes) -> str:
        """CP949 bytes as a str, by the client library's conversion."""
        if cp949.isascii():
            return cp949.decode("ascii")
        return self.text_out(self.lib.qsc_cp949_to_utf8, cp949, len(cp949), size=3 * len(cp949) + 1).decode(
            "utf-8", "replace")

    def fail(self, status: int, error, failed: Type[Exception] = OSError, prefix: str = ""):
        """The exception of a failed call, with the reason it gave."""
        kind = failed if status == FAILED else _RAISES.get(status, OSError)
        reason = self.to_text(error.value) if error is not None else ""
        return kind(prefix + (reason or f"the client library answered {status}"))

    def operand(self, text: str, role: int) -> Operand:
        """The parsed operand; ValueError with the reason it is refused."""
        data = _operand_bytes(text)
        op, error = Operand(), self.error_buffer()
        status = self.lib.qsc_operand_parse(data, len(data), role, ctypes.byref(op), error, ERROR_BYTES)
        if status != OK:
            raise self.fail(status, error, prefix=f"operand {text!r}: ")
        return op

    def operand_text(self, op: Operand) -> str:
        return self.text_out(self.lib.qsc_operand_text, ctypes.byref(op), size=32).decode("ascii")

    def device_text(self, device: bytes, number: int) -> str:
        return self.text_out(self.lib.qsc_device_text, device, number, size=16).decode("ascii")


def _operand_bytes(text) -> bytes:
    """An operand as the bytes the client library reads.  A str that is not
    ASCII still goes through, so that the library refuses it with its reason."""
    if not isinstance(text, str):
        raise TypeError(f"an operand is a str, not {type(text).__name__}")
    return text.encode("utf-8", "surrogatepass")

