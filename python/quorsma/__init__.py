"""QuorSMA from Python: the shared soft-PLC device memory through the library.

    import quorsma
    section = quorsma.attach()          # QUORSMA_LIBRARY, else the installed library
    section.set("D100", 1234)           # through the library: checks and saves run
    section.get("K4M100")
    section.get_many(["D100..D120", "X0..X1F"])
    section.D[100]                      # numpy view over the section itself
    section.ladder.LD("X0"); section.ladder.LAD_OUT("Y0")
    for change in section.changes(timeout=5, enable=True):
        print(change.kind, change.number, change.old, change.new, change.comment)

Pure Python over ctypes; numpy (Debian's python3-numpy) is needed only for the
array views.
"""

import os
import threading

from ._library import Library, installed_paths, library_path
from ._version import __version__
from .changes import Change
from .section import COMMENT_KINDS, Ladder, Section

__all__ = ["attach", "Section", "Ladder", "Change", "COMMENT_KINDS", "__version__"]

_sections = {}
_guard = threading.Lock()


def attach(library=None):
    """Loads the library and returns the Section it attached to.

    LIBRARY names the library file; without it QUORSMA_LIBRARY does, and
    without that the library installed with this package (or the system's
    libQuorSMA.so.1; QuorSMA.dll on Windows).  The library maps the section
    when it is loaded, so QUORSMA_SECTION and QUORSMA_CONFIG must be set
    before the first attach.  When QUORSMA_CONFIG is not set and this package
    was installed with the tool, the tool's configuration is used, so that
    Python programs share the installation's files.  A library is loaded
    once per process: attaching again returns the same Section.
    """
    path = library_path(library)
    with _guard:
        section = _sections.get(path)
        if section is None:
            _, config = installed_paths()
            if not os.environ.get("QUORSMA_CONFIG") and config and os.path.exists(config):
                os.environ["QUORSMA_CONFIG"] = config
            section = Section(Library(path))
            _sections[path] = section
        return section
