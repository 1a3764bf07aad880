"""The section as Python sees it: device access through the library, numpy
views over the device areas, comments, the ladder instructions and the
value-change lines."""

import atexit
import collections
import ctypes
import numbers
import sys
import threading

from . import _layout, operands, ranges
from ._library import EDGE_CONTACTS, INSTRUCTIONS, TEXT_SINK
from .changes import Changes

ENCODING = "cp949"

# Comment kinds of the comment editor (smModifyMemoryComment).
COMMENT_KINDS = ("M", "D", "B", "T", "X", "Y", "AD", "DA", "SM", "S", "L", "R", "W")
COMMENT_ENTRIES = 131071


def _text(operand):
    if not isinstance(operand, str):
        raise TypeError(f"an operand is a str, not {type(operand).__name__}")
    return operand


def _int32(value, what):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{what}: an integer, not {type(value).__name__}")
    value = int(value)
    if not -2**31 <= value < 2**31:
        raise ValueError(f"{what}: {value} is not a 32-bit signed number")
    return value


class Section:
    """The section the loaded library attached to.

    Reads and writes by operand text (`get`, `set`, `get_many`) go through the
    library's device access, so its checks, value-change detection and
    retentive saves run.  The attributes D, M, X, Y, W, L, B, R, Z, SM, S,
    Tcur and Tset are numpy int32 arrays over the section itself: no copy,
    every other program's writes show at once, and assigning to them writes
    the image directly, without checks, value-change detection or retentive
    saves, as a direct image write in C does.
    """

    def __init__(self, library):
        self._library = library
        self._lib = library.std
        self.address = library.image_address()
        if not self.address:
            raise OSError(f"{library.path} could not map the shared section")
        self._lock = threading.RLock()
        self._messages = collections.deque(maxlen=100)  # the latest library messages
        self._message_count = 0
        self._quiet = 0  # > 0 while a call collects the messages it causes
        self._sink = TEXT_SINK(self._on_message)  # kept alive with the section
        self._lib.smSetMessageSink(self._sink, None)
        # The library may still show a message when it is unloaded at exit,
        # after the interpreter has freed the callback: give the default sink
        # back first.
        atexit.register(self._lib.smSetMessageSink, TEXT_SINK(), None)
        self.ladder = Ladder(library)

    # ---- library messages ----
    def _on_message(self, text, _context):
        message = (text or b"").decode(ENCODING, "replace")
        self._messages.append(message)
        self._message_count += 1
        if not self._quiet:
            print(f"quorsma: library message: {message}", file=sys.stderr)

    def _call(self, function, *args):
        """Calls an export; returns (result, messages it caused)."""
        with self._lock:
            before = self._message_count
            self._quiet += 1
            try:
                result = function(*args)
            finally:
                self._quiet -= 1
            caused = min(self._message_count - before, len(self._messages))
            return result, list(self._messages)[len(self._messages) - caused:] if caused else []

    # ---- numpy views ----
    def __getattr__(self, name):
        area = _layout.DEVICE_AREAS.get(name)
        if area is None:
            raise AttributeError(name)
        view = self._view(*area)
        self.__dict__[name] = view
        return view

    def _view(self, offset, count, ctype=ctypes.c_int32):
        import numpy
        return numpy.ctypeslib.as_array((ctype * count).from_address(self.address + offset))

    def _cell(self, offset):
        return ctypes.c_int32.from_address(self.address + offset)

    @property
    def pulse_slot(self):
        """The edge-memory cell the next edge instruction uses (PulseSlot)."""
        return self._cell(_layout.PULSE_SLOT).value

    @pulse_slot.setter
    def pulse_slot(self, value):
        self._cell(_layout.PULSE_SLOT).value = _int32(value, "pulse slot")

    @property
    def log_enable(self):
        """Value-change logging on (LogEnable)."""
        return self._cell(_layout.LOG_ENABLE).value

    @log_enable.setter
    def log_enable(self, value):
        self._cell(_layout.LOG_ENABLE).value = _int32(value, "log enable")

    # ---- devices by operand text ----
    def get(self, operand):
        """Reads a device as a ladder contact reads it (GetSma, so the
        library's value-change check runs for M, B, L, D and W).  Digit
        groups of bit devices other than M (K4X0), which the library does not
        read, are read from the image bit by bit, as the tool reads them."""
        op = operands.check(_text(operand), operands.MONITOR)
        self._check_index(op)
        if op.kind == "digits" and op.device != "M":
            return self._read_digits(op)
        text = operands.text(op)
        value, messages = self._call(self._lib.GetSma, text.encode("ascii"))
        if messages:
            raise ValueError(f"{text}: {messages[0]}")
        return value

    def _check_index(self, op):
        """The library reads 0 and writes nothing where an index register
        points outside the area; that is refused here instead."""
        if op.index_register < 0:
            return
        z = self._cell(_layout.DEVICE_AREAS["Z"][0] + 4 * op.index_register).value
        first = op.number + z
        span = 4 * op.digits if op.kind == "digits" else 1
        if first < 0 or first + span > _layout.DEVICE_AREAS[op.device][1]:
            raise ValueError(f"{operands.text(op)}: Z{op.index_register} = {z} puts it outside the {op.device} area")

    def _read_digits(self, op):
        offset, count = _layout.DEVICE_AREAS[op.device]
        span = 4 * op.digits
        if op.number + span > count:
            raise ValueError(f"{operands.text(op)}: the bits run past the end of the area")
        cells = (ctypes.c_int32 * span).from_address(self.address + offset + 4 * op.number)
        bits = sum(1 << i for i, cell in enumerate(cells) if cell != 0)
        return bits - (1 << 32) if bits >= 1 << 31 else bits

    def set(self, operand, value):
        """Writes one device through the library (SetSma): M X Y B S L Z D W,
        register bits such as D100.3, and digit groups of bit devices such as
        K4Y0 (bit by bit, as `quorsma set` does); bit devices take 0 or 1."""
        op = operands.check(_text(operand), operands.STORE)
        self._check_index(op)
        text = operands.text(op)
        if op.kind == "digits":
            self._set_digits(op, text, value)
            return
        value = _int32(value, text)
        if operands.is_bit(op) and value not in (0, 1):
            raise ValueError(f"{text} is a bit: the value is 0 or 1")
        _, messages = self._call(self._lib.SetSma, text.encode("ascii"), value)
        if messages:
            raise ValueError(f"{text}: {messages[0]}")

    def _set_digits(self, op, text, value):
        """A digit group is a count of bits: 0 to 0xFFFFFFFF for K8, which
        also takes the signed value `get` gives (-1 for all 32 bits)."""
        if isinstance(value, bool) or not isinstance(value, numbers.Integral):
            raise TypeError(f"{text}: an integer, not {type(value).__name__}")
        value = int(value)
        bits = 4 * op.digits
        if op.index_register >= 0:
            raise ValueError(f"{text}: a digit group is written without an index register")
        lowest = -(1 << 31) if bits == 32 else 0
        if not lowest <= value < (1 << bits):
            also = " (or -2147483648 to -1, as get gives it)" if bits == 32 else ""
            raise ValueError(f"{text} holds {bits} bits: the value is 0 to {(1 << bits) - 1}{also}")
        value &= (1 << bits) - 1
        if op.number + bits > _layout.DEVICE_AREAS[op.device][1]:
            raise ValueError(f"{text}: the bits run past the end of the area")
        for i in range(bits):
            bit = operands.device_text(op.device, op.number + i)
            _, messages = self._call(self._lib.SetSma, bit.encode("ascii"), (value >> i) & 1)
            if messages:
                raise ValueError(f"{bit}: {messages[0]}")

    def get_many(self, items):
        """Reads devices and ranges ("D100..D120", "X0..X1F", "K4M0"; a str
        is one comma-separated list) into a dict keyed by operand text.  Every
        item is checked before anything is read."""
        if isinstance(items, str):
            items = ranges.split_list(items)
        texts = []
        for item in items:
            texts.extend(ranges.expand(_text(item)))
        return {text: self.get(text) for text in texts}

    # ---- comments ----
    def comment(self, operand):
        """The device's comment, decoded from CP949."""
        text = operands.text(operands.check(_text(operand), operands.COMMENT))
        address, messages = self._call(self._lib.GetComSma, text.encode("ascii"))
        if messages or not address:
            raise ValueError(f"{text}: " + (messages[0] if messages else "the library has no comment for it"))
        raw = ctypes.string_at(address, _layout.COMMENT_BYTES).split(b"\0", 1)[0]
        return raw.decode(ENCODING, "replace")

    def set_comment(self, kind, number, text):
        """Sets one device's comment through the comment editor, which also
        rewrites the comment file.  KIND is one of COMMENT_KINDS, NUMBER the
        device number as an integer (X1F is 0x1F).  The text is stored in
        CP949; text that CP949 cannot hold, control characters and more than
        255 bytes are refused, and nothing is changed."""
        if kind not in COMMENT_KINDS:
            raise ValueError(f"comment kind {kind!r}: one of {' '.join(COMMENT_KINDS)}")
        number = _int32(number, f"{kind} comment number")
        if not 0 <= number < COMMENT_ENTRIES:
            raise ValueError(f"{kind} comment number {number}: 0 to {COMMENT_ENTRIES - 1}")
        if not isinstance(text, str):
            raise TypeError(f"a comment is a str, not {type(text).__name__}")
        if any(ord(c) < 0x20 or ord(c) == 0x7F for c in text):
            raise ValueError("a comment holds no control characters (line breaks, tabs, escapes)")
        try:
            data = text.encode(ENCODING)
        except UnicodeEncodeError as error:
            raise ValueError(f"the comment cannot be written in CP949: {text[error.start:error.end]!r}") from None
        if len(data) > _layout.COMMENT_BYTES - 1:
            raise ValueError(f"a comment is at most {_layout.COMMENT_BYTES - 1} bytes in CP949, not {len(data)}")
        stored, messages = self._call(self._library.cdecl.smModifyMemoryComment, kind.encode("ascii"), number, data)
        # A message with a stored comment is information (the comment file was
        # made anew); the editor's result alone tells a failure.
        if not stored:
            raise OSError(messages[0] if messages else f"the library refused the {kind}{number} comment")

    # ---- value-change lines ----
    def changes(self, timeout=None, enable=False):
        """An iterator over value-change lines as the collector takes them, as
        Change records.  It holds the section's collector lock until it ends
        (a second collector, `quorsma log` included, is refused with
        RuntimeError); use it in a with block or close() it.  TIMEOUT: seconds
        to wait for each line before the iteration ends (None: for ever).
        ENABLE: switch logging on meanwhile and put the earlier setting back
        at the end."""
        return Changes(self, timeout, enable)

    def _log_cells(self):
        line = (ctypes.c_char * _layout.LOG_LINE[1]).from_address(self.address + _layout.LOG_LINE[0])
        return line, self._cell(_layout.LOG_LINE_PENDING), self._cell(_layout.LOG_ENABLE)


class Ladder:
    """The ladder instructions as methods named like the exports:
    `ladder.LD("X0")`, `ladder.LAD_OUT("Y0")`, `ladder.LAD_OUT("T0", "K30")`.
    Operands left out are passed as empty texts, as a program line without
    them.  The library checks the operands itself."""

    def __init__(self, library):
        lib = library.std
        for count, names in INSTRUCTIONS.items():
            for name in names:
                setattr(self, name, self._instruction(getattr(lib, name), name, count))
        for name in EDGE_CONTACTS:
            setattr(self, name, self._instruction(getattr(lib, name), name, 1))
        self.Push, self.Pop_p, self.CheckPulse, self.SM = lib.Push, lib.Pop_p, lib.CheckPulse, lib.SM

    @staticmethod
    def _instruction(function, name, count):
        def call(*args):
            if len(args) > count or (count and not args):
                raise TypeError(f"{name} takes {count} operand{'s' if count != 1 else ''}, not {len(args)}")
            texts = [_text(a).encode("ascii") for a in args] + [b""] * (count - len(args))
            return function(*texts)
        call.__name__ = name
        return call
