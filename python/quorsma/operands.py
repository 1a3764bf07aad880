"""The operand texts the quorsma tool accepts, checked the same way here.

The library answers an operand it cannot place with a failure value, a message
or silently nothing; the package checks every operand first, with the tool's
grammar and the tool's reasons:

    constant      K<decimal>                 K0 .. K2147483647
    digit read    K<d><bit dev><n>[Z<k>]     d = 1..8 groups of 4 bits from a bit
                                             device X Y M L B S SM (Z<k>: M only)
    device        <dev><number>[.<bit>][Z<k>]
      dev         X Y B W (hexadecimal numbers), M L S SM D R Z T (decimal)
      number      below the device's area count (65,535 or 131,071)
      .<bit>      D and W only, bit 0..15, register number of at most four characters
      Z<k>        index register k = 0..20; M B X Y D W only, not with .<bit>

Letters may be typed in either case; the parsed operand and text() give the
upper-case form the library reads.  What a use accepts is its role: VALUE
(as the ladder reads; digit groups of M only, the library's own digit read),
MONITOR (VALUE plus digit groups of every bit device, read by the package
itself), WRITE (by device name), STORE (WRITE plus digit groups of X Y M L B
S) and COMMENT.
"""

from dataclasses import dataclass

AREA_SMALL = 65535
AREA_LARGE = 131071
INT32_MAX = 2147483647
MAX_INDEX_REGISTER = 20

HEX_DEVICES = frozenset("XYBW")
AREA_COUNTS = {
    **{d: AREA_LARGE for d in ("M", "L", "B", "D", "W")},
    **{d: AREA_SMALL for d in ("X", "Y", "S", "SM", "R", "Z", "T")},
}

BIT_DEVICES = frozenset(("X", "Y", "M", "L", "B", "S", "SM", "T"))

VALUE, MONITOR, WRITE, STORE, COMMENT = "value", "monitor", "write", "store", "comment"


@dataclass(frozen=True)
class Operand:
    kind: str  # "constant", "digits" or "device"
    device: str = ""  # "X", "SM", ...; "M" for a digit read
    number: int = 0  # device number, or the constant's value
    bit: int = -1  # -1: no bit suffix
    index_register: int = -1  # -1: no index suffix
    digits: int = 0  # digit read: groups of 4 relays

    @property
    def plain(self):
        return self.kind == "device" and self.bit < 0 and self.index_register < 0


def _is_digit(c):
    return "0" <= c <= "9"


def _is_hex_digit(c):
    return _is_digit(c) or "A" <= c <= "F"


def _read_number(text, pos, hexadecimal, limit):
    """Digits of the radix at pos: (value, end), or (None, end) when there are
    none or the value grows past limit (end is where reading stopped)."""
    start, value = pos, 0
    accept = _is_hex_digit if hexadecimal else _is_digit
    while pos < len(text) and accept(text[pos]):
        value = value * (16 if hexadecimal else 10) + int(text[pos], 16)
        if value > limit:
            return None, pos
        pos += 1
    return (value if pos > start else None), pos


def _read_index_suffix(text, pos):
    """Optional Z<k> at pos: (k or -1, end)."""
    if pos >= len(text) or text[pos] != "Z":
        return -1, pos
    k, pos = _read_number(text, pos + 1, False, 1000000)
    if k is None:
        raise ValueError("Z must be followed by an index register number")
    if k > MAX_INDEX_REGISTER:
        raise ValueError(f"index register Z{k} is above Z20")
    return k, pos


def _device_at(text):
    """The device name at the start of text (SM before S), or ""."""
    if text.startswith("SM"):
        return "SM"
    return text[0] if text and text[0] in AREA_COUNTS else ""


def device_text(device, number):
    """A plain device's text: "X1F", "D100"."""
    return f"{device}{number:X}" if device in HEX_DEVICES else f"{device}{number}"


def text(op):
    """The canonical upper-case text of a parsed operand."""
    if op.kind == "constant":
        return f"K{op.number}"
    if op.kind == "digits":
        result = f"K{op.digits}{device_text(op.device, op.number)}"
    elif op.bit >= 0:
        result = f"{device_text(op.device, op.number)}.{op.bit}"
    else:
        result = device_text(op.device, op.number)
    return result + (f"Z{op.index_register}" if op.index_register >= 0 else "")


def parse(typed):
    """Parses an operand by the grammar above; ValueError with the reason."""
    if not typed:
        raise ValueError("empty operand")
    for c in typed:
        if not 0x21 <= ord(c) <= 0x7E:
            raise ValueError("operands are plain ASCII without blanks")
    text = typed.upper()
    if text[0] == "K":
        value, pos = _read_number(text, 1, False, INT32_MAX)
        if value is None:
            raise ValueError("a constant is K and a decimal number from 0 to 2147483647")
        if pos == len(text):
            return Operand("constant", number=value)
        device = _device_at(text[pos:])
        if not 1 <= value <= 8 or device not in BIT_DEVICES or device == "T":
            raise ValueError("a digit read is K1..K8 followed by a bit device, as in K4M100 or K2X10")
        count = AREA_COUNTS[device]
        number, pos = _read_number(text, pos + len(device), device in HEX_DEVICES, count - 1)
        if number is None:
            raise ValueError(f"{device} number missing or above {device_text(device, count - 1)}")
        if number + 4 * value > count:
            raise ValueError(f"the bits run past {device_text(device, count - 1)}")
        index, pos = _read_index_suffix(text, pos)
        if pos != len(text):
            raise ValueError("unexpected text after the device number")
        return Operand("digits", device, number, index_register=index, digits=value)

    device = "SM" if text.startswith("SM") else text[0]
    count = AREA_COUNTS.get(device)
    if count is None:
        raise ValueError(f"unknown device {text[0]}")
    hexadecimal = device in HEX_DEVICES
    start = len(device)
    number, pos = _read_number(text, start, hexadecimal, count - 1)
    if number is None:
        if pos < len(text) and (_is_hex_digit if hexadecimal else _is_digit)(text[pos]):
            last = f"{count - 1:X}" if hexadecimal else str(count - 1)
            raise ValueError(f"{device} numbers end at {last}" + (" (hexadecimal)" if hexadecimal else ""))
        radix = "hexadecimal" if hexadecimal else "decimal"
        raise ValueError(f"a {radix} device number must follow {device}")
    bit = -1
    if pos < len(text) and text[pos] == ".":
        if device not in ("D", "W"):
            raise ValueError("only D and W registers have bits")
        if pos - start > 4:
            raise ValueError("a bit of a register needs a register number of at most 4 characters")
        bit, pos = _read_number(text, pos + 1, False, 99)
        if bit is None or bit > 15:
            raise ValueError("the bit after '.' is a decimal number from 0 to 15")
    index, pos = _read_index_suffix(text, pos)
    if pos != len(text):
        raise ValueError("unexpected text after the device number")
    if index >= 0:
        if bit >= 0:
            raise ValueError("a register bit cannot also be indexed")
        if device not in ("M", "B", "X", "Y", "D", "W"):
            raise ValueError("only M, B, X, Y, D and W take an index register")
    return Operand("device", device, number, bit, index)


def check(typed, role=VALUE):
    """Parses an operand and checks that it suits the role; ValueError with
    the reason otherwise."""
    op = parse(typed)
    d, device, digits = op.device, op.kind == "device", op.kind == "digits"
    if digits and op.index_register >= 0 and d != "M":
        raise ValueError("only a digit read of M takes an index register")
    if digits and d != "M" and role not in (MONITOR, STORE):
        raise ValueError("the ladder reads digit groups of M relays only")
    if role in (VALUE, MONITOR):
        if device and d in ("T", "SM", "Z", "R", "L", "S") and not op.plain:
            raise ValueError(f"{d} is read without a bit or index suffix")
    elif role == STORE and digits:
        if d == "SM":
            raise ValueError("special relays are set by the runner, not by name")
    elif role in (WRITE, STORE):
        if not device or d not in ("M", "X", "Y", "B", "S", "L", "Z", "D", "W"):
            raise ValueError("only M, X, Y, B, S, L, Z, D and W devices can be written by name")
        if op.index_register >= 0 and d not in ("M", "D", "W"):
            raise ValueError("only M, D and W writes take an index register")
    elif role == COMMENT:
        if not device or d not in ("SM", "D", "M", "T", "X", "B", "L", "Y", "R", "W", "S"):
            raise ValueError("only SM, D, M, T, X, B, L, Y, R, W and S devices have comments")
    else:
        raise ValueError(f"unknown role {role!r}")
    return op


def is_bit(op):
    """True when a write of the operand takes only 0 or 1."""
    return op.bit >= 0 or op.device not in ("D", "W", "Z")
