"""Device lists and write permissions, parsed by the client library with the
quorsma tool's grammar (include/quorsma/client.h):

    list    item[,item]...        blanks around an item are ignored
    item    FIRST..LAST           one device kind, both ends plain devices in the
                                  device's own radix; at most 10,000 devices
          | OPERAND               X0, D100.3, M10Z2, K4X0, T0
          | all                   every device, where it is allowed

Make them with Section.device_list() and Section.permission().
"""

import ctypes
from typing import Iterator, Tuple

from . import _client


class DeviceList:
    """A parsed device list: `items` in canonical form ("D100..D120",
    "X0..X0", "K4X0", "all"), `operands` the operand texts it stands for, in
    order (iterating over the list gives them too), `parsed_items` the
    library's records of the items."""

    def __init__(self, client: "_client.Client", text: str, allow_all: bool = False):
        if not isinstance(text, str):
            raise TypeError(f"a device list is a str, not {type(text).__name__}")
        data = text.encode("utf-8", "surrogatepass")
        handle, error = ctypes.c_void_p(), client.error_buffer()
        flags = _client.LIST_ALLOW_ALL if allow_all else 0
        status = client.lib.qsc_list_parse(data, len(data), flags, ctypes.byref(handle), error, _client.ERROR_BYTES)
        if status != _client.OK:
            raise client.fail(status, error)
        try:
            self.parsed_items: Tuple[_client.Item, ...] = tuple(
                _item_at(client, handle, i) for i in range(client.lib.qsc_list_item_count(handle)))
        finally:
            client.lib.qsc_list_free(handle)
        self.items: Tuple[str, ...] = tuple(_item_text(client, item) for item in self.parsed_items)
        self.text = text
        self._client = client
        self._operands = None

    @property
    def operands(self) -> Tuple[str, ...]:
        if self._operands is None:
            texts = []
            for item in self.parsed_items:
                if item.kind == _client.ITEM_RANGE:
                    texts.extend(self._client.device_text(item.range.device, n)
                                 for n in range(item.range.first, item.range.last + 1))
                elif item.kind == _client.ITEM_OPERAND:
                    texts.append(self._client.operand_text(item.operand))
            self._operands = tuple(texts)
        return self._operands

    def __iter__(self) -> Iterator[str]:
        return iter(self.operands)

    def __len__(self) -> int:
        return len(self.operands)

    def __repr__(self) -> str:
        return f"DeviceList({','.join(self.items)!r})"


def _item_at(client, handle, index) -> "_client.Item":
    item = _client.Item()
    client.lib.qsc_list_item_at(handle, index, ctypes.byref(item))
    return item


def _item_text(client, item) -> str:
    if item.kind == _client.ITEM_ALL:
        return "all"
    if item.kind == _client.ITEM_OPERAND:
        return client.operand_text(item.operand)
    device = item.range.device
    return f"{client.device_text(device, item.range.first)}..{client.device_text(device, item.range.last)}"


class Permission:
    """The devices a write may reach, from a device list: "" grants nothing,
    "all" everything, D100..D199 those cells whole (their bits included),
    K4M0 the cells M0..MF, D100.3 that bit alone.  An indexed item (M10Z2)
    names no fixed device and is refused."""

    def __init__(self, client: "_client.Client", text: str):
        if not isinstance(text, str):
            raise TypeError(f"a permission is a str, not {type(text).__name__}")
        data = text.encode("utf-8", "surrogatepass")
        handle, error = ctypes.c_void_p(), client.error_buffer()
        status = client.lib.qsc_permission_parse(data, len(data), ctypes.byref(handle), error, _client.ERROR_BYTES)
        if status != _client.OK:
            raise client.fail(status, error, prefix="permission: ")
        self._free = client.lib.qsc_permission_free
        self.handle = handle
        self.text = text

    def __del__(self):
        handle, self.handle = getattr(self, "handle", None), None
        if handle:
            self._free(handle)

    def __repr__(self) -> str:
        return f"Permission({self.text!r})"
