"""Device ranges and lists, with the grammar of the quorsma tool:

    list    item[,item]...        blanks around an item are ignored
    item    FIRST..LAST           one device kind, both ends included, each end
                                  a plain device numbered in the device's own
                                  radix (X1F..X2F, D100..D120); at most 10,000
                                  devices
          | OPERAND               one operand: X0, D100.3, M10Z2, K4X0, T0
          | all                   every device, where the caller allows it

Letters may be typed in either case.  Constants (K50) are not devices and are
refused.  Refusals raise ValueError with the reason.
"""

from dataclasses import dataclass

from . import operands

MAX_RANGE_DEVICES = 10000
ALL = "all"


@dataclass(frozen=True)
class DeviceRange:
    device: str
    first: int
    last: int

    def __str__(self):
        return f"{operands.device_text(self.device, self.first)}..{operands.device_text(self.device, self.last)}"

    def operands(self):
        return [operands.device_text(self.device, n) for n in range(self.first, self.last + 1)]


def _range_end(text):
    try:
        op = operands.parse(text)
    except ValueError as error:
        raise ValueError(f"'{text}': {error}") from None
    if not op.plain:
        raise ValueError(f"'{text}': each end of a range is a plain device")
    return op


def parse_item(text, allow_all=False):
    """One item: a DeviceRange, an Operand (not a plain device), or ALL."""
    item = text.strip(" \t")
    if item.lower() == ALL:
        if not allow_all:
            raise ValueError("'all' is not allowed here")
        return ALL
    if ".." in item:
        first_text, last_text = item.split("..", 1)
        first, last = _range_end(first_text), _range_end(last_text)
        if first.device != last.device:
            raise ValueError(f"'{item}': both ends of a range are of one device kind")
        if last.number < first.number:
            raise ValueError(f"'{item}': the range ends before it starts")
        if last.number - first.number + 1 > MAX_RANGE_DEVICES:
            raise ValueError(f"'{item}': a range holds at most {MAX_RANGE_DEVICES} devices")
        return DeviceRange(first.device, first.number, last.number)
    op = operands.check(item, operands.MONITOR)
    if op.kind == "constant":
        raise ValueError(f"'{item}': a constant is not a device")
    if op.plain:
        return DeviceRange(op.device, op.number, op.number)
    return op


def split_list(text):
    """The items of a comma-separated list."""
    items = text.split(",")
    for item in items:
        if not item.strip(" \t"):
            raise ValueError(f"'{text}': an empty item")
    return items


def parse_list(text, allow_all=False):
    return [parse_item(item, allow_all) for item in split_list(text)]


def canonical(item):
    """The item's text in canonical form ("D100..D120", "K4X0", "all")."""
    if item == ALL:
        return ALL
    return str(item) if isinstance(item, DeviceRange) else operands.text(item)


def expand(text):
    """The operand texts one item stands for, in order."""
    item = parse_item(text)
    return item.operands() if isinstance(item, DeviceRange) else [operands.text(item)]
