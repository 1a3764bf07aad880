"""The section as Python sees it: devices by operand text through the client
library, numpy views over the device areas, comments, the ladder
instructions and the value-change lines."""

import atexit
import collections
import ctypes
import numbers
import sys
import threading
import weakref
from typing import Dict, Iterable, List, NamedTuple, Optional, Union

from . import _client, _layout, _optional
from ._library import EDGE_CONTACTS, INSTRUCTIONS, TEXT_SINK, Library
from .changes import AsyncChanges, Changes, _UNSET, deprecated_timeout
from .lists import DeviceList, Permission

# Comment kinds of the core's comment editor (smModifyMemoryComment).
COMMENT_KINDS = ("M", "D", "B", "T", "X", "Y", "AD", "DA", "SM", "S", "L", "R", "W")
COMMENT_ENTRIES = 131071

_INT64 = (-2**63, 2**63 - 1)


class Timer(NamedTuple):
    """A timer as Section.timer() reads it; current and set are in units of
    10 ms (T0 set to K30 times out after 0.3 s)."""
    contact: int  # 1 once the coil is on and current has reached set
    current: int
    set: int
    coil: int  # 1 while the coil is driven


def _integer(value, what) -> int:
    """An integer for the library; values beyond 64 bits are given as the
    nearest 64-bit one, which every check of the library refuses with its
    own reason."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{what}: an integer, not {type(value).__name__}")
    return min(max(int(value), _INT64[0]), _INT64[1])


class Section:
    """The section the loaded library attached to.

    Reads and writes by operand text (`get`, `set`, `get_many`, `timer`) go
    through the client library: the tool's grammar, the checked write of
    `quorsma set`, the core's value-change detection and retentive saves.
    The attributes D, M, X, Y, W, L, B, R, Z, SM, S, Tcur, Tset and Tcoil are
    numpy int32 arrays over the section itself: no copy, every other
    program's writes show at once, and assigning to them writes the image
    directly, without checks, value-change detection or retentive saves, as
    a direct image write in C does.

    `with quorsma.attach() as section:` closes, at the end of the block, the
    changes() iterators still open on it; the section itself stays mapped
    while the process runs.
    """

    def __init__(self, library: Library, client: "_client.Client"):
        self._library = library
        self._lib = library.std
        self.client = client
        self.address = library.image_address()
        if not self.address:
            raise OSError(f"{library.path} could not map the shared section")
        self.image = ctypes.c_void_p(self.address)
        self._lock = threading.RLock()
        self._messages = collections.deque(maxlen=100)  # the latest library messages
        self._message_count = 0
        self._quiet = 0  # > 0 while a call collects the messages it causes
        self._open = weakref.WeakSet()  # changes() iterators not yet closed
        self._sink = _client.MESSAGE_SINK(self._on_message)  # kept alive with the section
        client.lib.qsc_messages_capture(self._sink, None)
        # The core may still show a message when it is unloaded at exit, after
        # the interpreter has freed the callback: give the core its default
        # sink back first.
        atexit.register(self._lib.smSetMessageSink, TEXT_SINK(), None)
        self._everything = Permission(client, "all")
        self.ladder = Ladder(library)

    # ---- with attach() as section ----
    def __enter__(self) -> "Section":
        return self

    def __exit__(self, *_) -> None:
        for changes in list(self._open):
            changes.close()

    def _opened(self, changes) -> None:
        self._open.add(changes)

    # ---- library messages ----
    def _on_message(self, text, _first_time, _context):
        message = self.client.to_text(text or b"")
        self._messages.append(message)
        self._message_count += 1
        if not self._quiet:
            print(f"quorsma: library message: {message}", file=sys.stderr)

    def _call(self, function, *args):
        """Calls a function; returns (result, the core's messages it caused)."""
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

    def __dir__(self):
        return sorted(set(super().__dir__()) | set(_layout.DEVICE_AREAS))

    def _view(self, offset, count, ctype=ctypes.c_int32):
        numpy = _optional.numpy()
        return numpy.ctypeslib.as_array((ctype * count).from_address(self.address + offset))

    def _cell(self, offset):
        return ctypes.c_int32.from_address(self.address + offset)

    @property
    def pulse_slot(self) -> int:
        """The edge-memory cell the next edge instruction uses (PulseSlot)."""
        return self._cell(_layout.PULSE_SLOT).value

    @pulse_slot.setter
    def pulse_slot(self, value: int) -> None:
        self._cell(_layout.PULSE_SLOT).value = _int32(value, "pulse slot")

    @property
    def log_enable(self) -> int:
        """Value-change logging on (LogEnable)."""
        return self._cell(_layout.LOG_ENABLE).value

    @log_enable.setter
    def log_enable(self, value: int) -> None:
        self._cell(_layout.LOG_ENABLE).value = _int32(value, "log enable")

    # ---- devices by operand text ----
    def _read(self, operand: str) -> "_client.Value":
        """Reads an operand as the tool's monitor reads it: as a ladder contact
        reads (so the value-change check runs for M, B, L, D and W), digit
        groups bit by bit from the image.  ValueError when the operand is
        refused, an index register points outside the area, or the core
        raised a message."""
        op = self.client.operand(operand, _client.ROLE_MONITOR)
        with self._lock:
            return self._read_parsed(op)

    def _read_parsed(self, op: "_client.Operand") -> "_client.Value":
        """Reads a parsed operand; the caller holds self._lock."""
        value = _client.Value()
        before = self._message_count
        self._quiet += 1
        try:
            self.client.lib.qsc_read_operand(self.image, ctypes.byref(op), _client.READ_LIBRARY, ctypes.byref(value))
        finally:
            self._quiet -= 1
        if not value.ok:
            z = self.Z[op.index_register] if op.index_register >= 0 else 0
            raise ValueError(f"{value.operand.decode('ascii')}: Z{op.index_register} = {z} puts it outside the "
                             f"{op.device.decode('ascii')} area")
        if self._message_count != before:
            raise ValueError(f"{value.operand.decode('ascii')}: {self._messages[-1]}")
        return value

    def _read_list(self, items) -> List["_client.Value"]:
        """Reads every operand of a device list (a str, or an iterable of
        items); the whole list is parsed before anything is read."""
        if isinstance(items, str):
            parsed = self.device_list(items)
        else:
            items = list(items)
            for item in items:
                if not isinstance(item, str):
                    raise TypeError(f"an item is a str, not {type(item).__name__}")
            parsed = self.device_list(",".join(items)) if items else None
        values = []
        with self._lock:
            for item in parsed.parsed_items if parsed else ():
                if item.kind == _client.ITEM_RANGE:
                    op = _client.Operand(_client.OPERAND_DEVICE, item.range.device, 0, -1, -1, 0)
                    for number in range(item.range.first, item.range.last + 1):
                        op.number = number
                        values.append(self._read_parsed(op))
                elif item.kind == _client.ITEM_OPERAND:
                    values.append(self._read_parsed(item.operand))
        return values

    def get(self, operand: str) -> int:
        """The value of a device, register bit, digit group (K4X0) or
        constant, as `quorsma get` reads it.  A timer T<n> gives its contact;
        timer() gives its current and set time too."""
        return self._read(operand).value

    def timer(self, operand: str) -> Timer:
        """A timer's contact, current and set time (units of 10 ms) and coil:
        `section.timer("T0").current`."""
        value = self._read(operand)
        if not value.timer:
            raise ValueError(f"{value.operand.decode('ascii')} is not a timer (T0 to T65534)")
        return Timer(value.value, value.timer_current, value.timer_set, value.timer_coil)

    def set(self, operand: str, value: int, permission: Union[None, str, Permission] = None) -> None:
        """Writes one device as `quorsma set` does (the client library's
        checked write): M X Y B S L Z D W, register bits such as D100.3, and
        digit groups of bit devices such as K4Y0 (bit by bit); bit devices
        take 0 or 1, a digit group 0 to its bits' maximum (K8 also the signed
        value get gives).  PERMISSION (a device list or a Permission) limits
        what the write may reach; PermissionError outside it."""
        data = _client._operand_bytes(operand)
        value = _integer(value, operand)
        if permission is None:
            permission = self._everything
        elif isinstance(permission, str):
            permission = Permission(self.client, permission)
        elif not isinstance(permission, Permission):
            raise TypeError(f"a permission is a str or a Permission, not {type(permission).__name__}")
        error = self.client.error_buffer()
        status, _ = self._call(self.client.lib.qsc_write, self.image, permission.handle, data, len(data),
                               _client.ROLE_STORE, value, error, _client.ERROR_BYTES)
        if status != _client.OK:
            # QSC_FAILED: the core refused the write or could not save it.
            raise self.client.fail(status, error, failed=ValueError)

    def device_list(self, text: str, allow_all: bool = False) -> DeviceList:
        """A device list ("D100..D120,X0,K4M0") parsed by the tool's grammar;
        ValueError with the reason when it is refused."""
        return DeviceList(self.client, text, allow_all)

    def permission(self, text: str) -> Permission:
        """A write permission for set(): "D100..D199,M0..M15", "D100.3", "all"."""
        return Permission(self.client, text)

    def get_many(self, items: Union[str, Iterable[str]]) -> Dict[str, int]:
        """Reads devices and ranges ("D100..D120", "X0..X1F", "K4M0"; a str
        is one comma-separated list) into a dict keyed by operand text.  Every
        item is checked before anything is read."""
        return {v.operand.decode("ascii"): v.value for v in self._read_list(items)}

    def to_pandas(self, items: Union[str, Iterable[str]]):
        """A pandas DataFrame of devices and ranges as get_many reads them:
        indexed by operand, with the columns value and comment.  pandas is
        optional (Debian: python3-pandas; pip: pandas)."""
        pandas = _optional.pandas()
        values = self._read_list(items)
        return pandas.DataFrame(
            {"value": pandas.array([v.value for v in values], dtype="int32"),
             "comment": [self.client.to_text(v.comment) for v in values]},
            index=pandas.Index([v.operand.decode("ascii") for v in values], name="operand"))

    # ---- comments ----
    def comment(self, operand: str) -> str:
        """The device's comment, decoded from CP949 ("" when it has none)."""
        op = self.client.operand(operand, _client.ROLE_COMMENT)
        z = self.Z[op.index_register] if op.index_register >= 0 else 0
        cells = _client.Range()
        if self.client.lib.qsc_operand_cells(ctypes.byref(op), z, ctypes.byref(cells)) != _client.OK:
            raise ValueError(f"{self.client.operand_text(op)}: Z{op.index_register} = {z} puts it outside the "
                             f"{op.device.decode('ascii')} area")
        raw = self.client.text_out(self.client.lib.qsc_comment_of, self.image, cells.device, cells.first)
        return self.client.to_text(raw)

    def set_comment(self, kind: str, number: int, text: str) -> None:
        """Sets one device's comment through the comment editor, which also
        rewrites the comment file.  KIND is one of COMMENT_KINDS, NUMBER the
        device number as an integer (X1F is 0x1F).  Text that CP949 cannot
        hold, control characters and more than 255 bytes in CP949 are refused
        (ValueError) and nothing is changed."""
        if kind not in COMMENT_KINDS:
            raise ValueError(f"comment kind {kind!r}: one of {' '.join(COMMENT_KINDS)}")
        number = _int32(number, f"{kind} comment number")
        if not 0 <= number < COMMENT_ENTRIES:
            raise ValueError(f"{kind} comment number {number}: 0 to {COMMENT_ENTRIES - 1}")
        if not isinstance(text, str):
            raise TypeError(f"a comment is a str, not {type(text).__name__}")
        utf8 = text.encode("utf-8", "surrogatepass")
        cp949 = ctypes.create_string_buffer(_client.COMMENT_MAX_BYTES + 1)
        length, error = ctypes.c_size_t(), self.client.error_buffer()
        status = self.client.lib.qsc_comment_from_utf8(utf8, len(utf8), cp949, ctypes.byref(length), error,
                                                       _client.ERROR_BYTES)
        if status != _client.OK:
            raise self.client.fail(status, error)
        stored, messages = self._call(self._library.cdecl.smModifyMemoryComment, kind.encode("ascii"), number,
                                      cp949.raw[:length.value])
        # A message with a stored comment is information (the comment file was
        # made anew); the editor's result alone tells a failure.
        if not stored:
            raise OSError(messages[0] if messages else f"the library refused the {kind}{number} comment")

    # ---- value-change lines ----
    def changes(self, idle_timeout: Optional[float] = None, enable: bool = False, *,
                duration: Optional[float] = None, timeout=_UNSET) -> Changes:
        """An iterator over value-change lines as the collector takes them, as
        Change records.  It holds the section's collector lock until it ends
        (a second collector, `quorsma log` included, is refused with
        RuntimeError); use it in a with block or close() it.
        IDLE_TIMEOUT: seconds to wait for each line before the iteration ends
        (None: for ever).  DURATION: seconds after which it ends however many
        lines come (None: no limit).  ENABLE: switch logging on meanwhile and
        put the earlier setting back at the end.  `timeout` is the earlier
        name of idle_timeout (deprecated)."""
        return Changes(self, deprecated_timeout(idle_timeout, timeout), duration, enable)

    def changes_async(self, idle_timeout: Optional[float] = None, enable: bool = False, *,
                      duration: Optional[float] = None) -> AsyncChanges:
        """changes() for asyncio: `async with section.changes_async(...) as
        changes: async for change in changes: ...`.  The waits run in a
        worker thread; a cancelled wait loses no line (AsyncChanges)."""
        return AsyncChanges(Changes(self, idle_timeout, duration, enable))


def _int32(value, what) -> int:
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{what}: an integer, not {type(value).__name__}")
    value = int(value)
    if not -2**31 <= value < 2**31:
        raise ValueError(f"{what}: {value} is not a 32-bit signed number")
    return value


class Ladder:
    """The ladder instructions as methods named like the exports:
    `ladder.LD("X0")`, `ladder.LAD_OUT("Y0")`, `ladder.LAD_OUT("T0", "K30")`.
    Operands left out are passed as empty texts, as a program line without
    them.  The core checks the operands itself."""

    def __init__(self, library: Library):
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
            texts = []
            for a in args:
                if not isinstance(a, str):
                    raise TypeError(f"an operand is a str, not {type(a).__name__}")
                texts.append(a.encode("ascii"))
            return function(*texts, *([b""] * (count - len(args))))
        call.__name__ = name
        return call
