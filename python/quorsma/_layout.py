"""Byte offsets of the section's fields that the package uses.

The section's layout is an interchange format declared field by field in
include/quorsma/quorsma.h; the tests compare this table with the header.
"""

SECTION_SIZE = 568139632
COMMENT_BYTES = 256

# name: (byte offset, element count) of the int32 device areas.
DEVICE_AREAS = {
    "Z": (0x00000000, 65535),
    "M": (0x0003FFFC, 131071),
    "D": (0x0013FFF4, 131071),
    "S": (0x0023FFEC, 65535),
    "SM": (0x0027FFE8, 65535),
    "L": (0x002BFFE4, 131071),
    "R": (0x0033FFE0, 65535),
    "B": (0x0037FFDC, 131071),
    "W": (0x003FFFD8, 131071),
    "Tcur": (0x0047FFD4, 65535),
    "X": (0x004BFFD0, 65535),
    "Y": (0x004FFFCC, 65535),
    "Tset": (0x005BFFC0, 65535),
    "Tcoil": (0x005FFFBC, 65535),
}

# Single int32 cells and the value-change slot.
LOG_LINE = (0x21911730, 1024)
LOG_ENABLE = 0x21911B30
LOG_LINE_PENDING = 0x21911B34
PULSE_SLOT = 0x21D51B18
