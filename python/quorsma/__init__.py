"""QuorSMA from Python: the shared soft-PLC device memory through the core and
client libraries.

    import quorsma
    with quorsma.attach() as section:      # QUORSMA_LIBRARY, else the installed library
        section.set("D100", 1234)          # the checked write of `quorsma set`
        section.get("K4M100")
        section.timer("T0")                # Timer(contact, current, set, coil)
        section.get_many(["D100..D120", "X0..X1F"])
        section.D[100]                     # numpy view over the section itself
        section.ladder.LD("X0"); section.ladder.LAD_OUT("Y0")
        for change in section.changes(idle_timeout=5, enable=True):
            print(change.kind, change.number, change.old, change.new, change.comment)

Python over ctypes: the rules (operand and list grammars, permissions, the
checked write, comments, the collector and the locks) are the client
library's.  numpy (python3-numpy) is needed for the array views, pandas
(python3-pandas) for to_pandas().
"""

import os
import threading
from typing import Optional

from ._client import Client
from ._library import Library, client_path, installed_paths, library_path
from ._version import __version__
from .changes import AsyncChanges, Change, Changes
from .lists import DeviceList, Permission
from .locks import SectionLock
from .section import COMMENT_KINDS, Ladder, Section, Timer

__all__ = ["attach", "Section", "Ladder", "Change", "Changes", "AsyncChanges", "Timer", "DeviceList", "Permission",
           "SectionLock", "COMMENT_KINDS", "__version__"]

_sections = {}
_guard = threading.Lock()


def attach(library: Optional[str] = None, client_library: Optional[str] = None) -> Section:
    """Loads the libraries and returns the Section the core attached to.

    LIBRARY names the core library file; without it QUORSMA_LIBRARY does, and
    without that the library installed with this package (or the system's
    libQuorSMA.so.1; QuorSMA.dll on Windows).  The core maps the section when
    it is loaded, so QUORSMA_SECTION and QUORSMA_CONFIG must be set before the
    first attach.  CLIENT_LIBRARY names the client library; without it
    QUORSMA_CLIENT_LIBRARY does, and without that the one beside the loaded
    core (libquorsma-client.so.1, quorsma-client.dll), the installed one, or
    the system's.  When QUORSMA_CONFIG is not set and this package was
    installed with the tool, the tool's configuration is used, so that Python
    programs share the installation's files.  A library is loaded once per
    process: attaching again returns the same Section.
    """
    path = library_path(library)
    with _guard:
        section = _sections.get(path)
        if section is None:
            _, config = installed_paths()
            if not os.environ.get("QUORSMA_CONFIG") and config and os.path.exists(config):
                os.environ["QUORSMA_CONFIG"] = config
            core = Library(path)  # first: it maps the section, and the client binds to it
            section = Section(core, Client(client_path(core, client_library)))
            _sections[path] = section
        return section
