"""Loading the library and declaring its exports for ctypes.

The library maps the section while it is loaded (its load hook on Linux,
DllMain on Windows) and reads QUORSMA_SECTION and QUORSMA_CONFIG then.  On
Windows every export uses the standard calling convention (WinDLL) except the
two comment editors, which use the C convention (CDLL); both handles name the
same DLL.  On Linux there is one convention and both handles are the same.
"""

import ctypes
import os
import sys

_WINDOWS = sys.platform == "win32"
_SONAME = "libQuorSMA.so.1"

c_int32, c_char_p, c_void_p = ctypes.c_int32, ctypes.c_char_p, ctypes.c_void_p

# The sink receives message-box texts (CP949) in the C convention everywhere.
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


def installed_paths():
    """(library, configuration) of the installation this package belongs to,
    or (None, None) when the package is not installed from the build."""
    try:
        from . import _installed  # written by the installation
    except ImportError:
        return None, None
    here = os.path.dirname(os.path.abspath(__file__))
    return (os.path.normpath(os.path.join(here, _installed.LIBRARY)),
            os.path.normpath(os.path.join(here, _installed.CONFIG)))


def library_path(library=None):
    """The file to load: `library`, else QUORSMA_LIBRARY, else the installed
    library beside this package, else the system's."""
    if library:
        return os.fspath(library)
    if os.environ.get("QUORSMA_LIBRARY"):
        return os.environ["QUORSMA_LIBRARY"]
    if _WINDOWS:
        return "QuorSMA.dll"
    installed, _ = installed_paths()
    if installed and os.path.exists(installed):
        return installed
    return _SONAME  # found by the dynamic loader's search


class Library:
    """The loaded library with typed exports: `std` holds the standard-
    convention exports, `cdecl` the comment editors."""

    def __init__(self, path):
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

    def image_address(self):
        """Address of the mapped section, or 0 when the library could not map it."""
        pointer = c_void_p()
        self.std.smGetMemoryPointer(ctypes.byref(pointer))
        return pointer.value or 0
