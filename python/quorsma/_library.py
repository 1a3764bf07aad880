"""Finding and loading the two libraries, and declaring the core's exports.

The core library (libQuorSMA.so.1, QuorSMA.dll) maps the section while it is
loaded (its load hook on Linux, DllMain on Windows) and reads QUORSMA_SECTION
and QUORSMA_CONFIG then.  On Windows every core export uses the standard
calling convention (WinDLL) except the two comment editors, which use the C
convention (CDLL); both handles name the same DLL.  The client library
(libquorsma-client.so.1, quorsma-client.dll) uses the C convention throughout
and depends on the core: the core is loaded first, so that the client binds
to that very copy (the dynamic loader matches it by its soname, Windows by
its file name).
"""

import ctypes
import os
import sys
from typing import Optional, Tuple

_WINDOWS = sys.platform == "win32"
CORE_SONAME = "libQuorSMA.so.1"
CORE_DLL = "QuorSMA.dll"
CLIENT_SONAME = "libquorsma-client.so.1"
CLIENT_DLL = "quorsma-client.dll"

c_int32, c_char_p, c_void_p = ctypes.c_int32, ctypes.c_char_p, ctypes.c_void_p

# The core's own sink type (smSetMessageSink), C convention everywhere.
TEXT_SINK = ctypes.CFUNCTYPE(None, c_char_p, c_void_p)

# Instruction exports by signature: the operands are texts.
INSTRUCTIONS = {
    0: ("INV", "END", "ANB", "ORB", "MPS", "MRD", "MPP", "MEP"),
    1: ("LD", "LDI", "AND", "ANI", "OR", "ORI", "SET", "RST", "INC", "INCP", "DINCP", "DECP"),
    2: ("LD_EQ", "LD_NEQ", "LD_LT", "LD_LTE", "LD_GT", "LD_GTE", "AND_EQ", "AND_NEQ", "AND_LT", "AND_LTE",
        "AND_GT", "AND_GTE", "OR_EQ", "OR_NEQ", "OR_LT", "OR_LTE", "OR_GTE", "LAD_OUT", "PLS", "BSFLP"),
    3: ("LAD_PLUS", "LAD_MINUS", "LAD_MULTIPLY", "LADALL_DIVIDE"),
}
# Edge contacts return the pulse they found (1 or 0).
EDGE_CONTACTS = ("LDP", "LDF", "ANDP", "ANDF", "ORP", "ORF")


def _installed():
    try:
        from . import _installed as installed  # written by the installation
    except ImportError:
        return None
    return installed


def _beside_package(relative: Optional[str]) -> Optional[str]:
    if not relative:
        return None
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, relative))


def installed_paths() -> Tuple[Optional[str], Optional[str]]:
    """(core library, configuration) of the installation this package belongs
    to, or (None, None) when the package is not installed from the build."""
    installed = _installed()
    if installed is None:
        return None, None
    return _beside_package(installed.LIBRARY), _beside_package(installed.CONFIG)


def library_path(library=None) -> str:
    """The core library to load: `library`, else QUORSMA_LIBRARY, else the
    installed library beside this package, else the system's."""
    if library:
        return os.fspath(library)
    if os.environ.get("QUORSMA_LIBRARY"):
        return os.environ["QUORSMA_LIBRARY"]
    if _WINDOWS:
        return CORE_DLL
    installed, _ = installed_paths()
    if installed and os.path.exists(installed):
        return installed
    return CORE_SONAME  # found by the dynamic loader's search


def client_path(core, client=None) -> str:
    """The client library to load: `client`, else QUORSMA_CLIENT_LIBRARY,
    else the one beside the core library file that was loaded, else the
    installed one, else the system's."""
    if client:
        return os.fspath(client)
    if os.environ.get("QUORSMA_CLIENT_LIBRARY"):
        return os.environ["QUORSMA_CLIENT_LIBRARY"]
    name = CLIENT_DLL if _WINDOWS else CLIENT_SONAME
    loaded = core.loaded_file()
    if loaded:
        beside = os.path.join(os.path.dirname(loaded), name)
        if os.path.exists(beside):
            return beside
    installed = _installed()
    path = _beside_package(getattr(installed, "CLIENT_LIBRARY", None)) if installed else None
    if path and os.path.exists(path):
        return path
    return name


class _DlInfo(ctypes.Structure):
    _fields_ = [("dli_fname", c_char_p), ("dli_fbase", c_void_p), ("dli_sname", c_char_p), ("dli_saddr", c_void_p)]


class Library:
    """The loaded core library with typed exports: `std` holds the standard-
    convention exports, `cdecl` the comment editors."""

    def __init__(self, path: str):
        self.path = path
        self.std = (ctypes.WinDLL if _WINDOWS else ctypes.CDLL)(path)
        self.cdecl = ctypes.CDLL(path) if _WINDOWS else self.std
        self.declared = {}  # name: (the typed export, True for the C convention)
        self._declare("smGetMemoryPointer", ctypes.POINTER(c_void_p), [ctypes.POINTER(c_void_p)])
        self._declare("smSetMessageSink", None, [TEXT_SINK, c_void_p])
        self._declare("GetSma", c_int32, [c_char_p])
        self._declare("SetSma", None, [c_char_p, c_int32])
        self._declare("GetComSma", c_void_p, [c_char_p])
        self._declare("Push", None, [c_int32])
        self._declare("Pop_p", c_int32, [])
        self._declare("CheckPulse", c_int32, [c_int32])
        self._declare("SM", c_int32, [c_int32])
        for count, names in INSTRUCTIONS.items():
            for name in names:
                self._declare(name, None, [c_char_p] * count)
        for name in EDGE_CONTACTS:
            self._declare(name, c_int32, [c_char_p])
        self._declare("smModifyMemoryComment", c_int32, [c_char_p, c_int32, c_char_p], cdecl=True)
        self._declare("smModifyMemoryComment_FromFile", c_int32, [c_char_p], cdecl=True)

    def _declare(self, name, restype, argtypes, cdecl=False):
        function = getattr(self.cdecl if cdecl else self.std, name)
        function.restype = restype
        function.argtypes = argtypes
        self.declared[name] = (function, cdecl)

    def image_address(self) -> int:
        """Address of the mapped section, or 0 when the library could not map it."""
        pointer = c_void_p()
        self.std.smGetMemoryPointer(ctypes.byref(pointer))
        return pointer.value or 0

    def loaded_file(self) -> Optional[str]:
        """The file the system loaded, whatever name it was found by."""
        try:
            if _WINDOWS:
                buffer = ctypes.create_unicode_buffer(32768)
                n = ctypes.windll.kernel32.GetModuleFileNameW(ctypes.c_void_p(self.std._handle), buffer, len(buffer))
                return buffer.value[:n] or None
            dladdr = ctypes.CDLL(None).dladdr
            dladdr.argtypes = [c_void_p, ctypes.POINTER(_DlInfo)]
            info = _DlInfo()
            if dladdr(ctypes.cast(self.std.Pop_p, c_void_p), ctypes.byref(info)) and info.dli_fname:
                return os.fsdecode(info.dli_fname)
        except (AttributeError, OSError):
            pass
        return self.path if os.path.dirname(self.path) else None
