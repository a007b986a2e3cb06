"""Automation values and their Python forms.

From the component:          Null -> None, Boolean -> bool, Integer and Long -> int,
Double -> float, String -> str, Decimal -> decimal.Decimal, Currency -> Currency (a Decimal),
Date -> datetime.datetime, byte array -> bytes, Empty/missing/Nothing -> the singletons
Empty, Missing, Nothing, another object -> ObjectRef (its type name), a recordset -> Recordset.

To the component: the same the other way; an int within 32 bits is a Long and a larger one
goes as a Decimal, Int16(n) is an Integer, a datetime.date is that day at midnight, bytearray
is a byte array, Ref(v) is passed as v (and updated after a call), a held Recordset and the
names HOST, CONNECTION and INSTANCE are object references.
"""

import base64
import datetime
import decimal
import math

_LONG_MIN, _LONG_MAX = -2**31, 2**31 - 1


class _Singleton:
    __slots__ = ("_name", "_tag")

    def __init__(self, name, tag):
        self._name = name
        self._tag = tag

    def __repr__(self):
        return f"dorsel.{self._name}"

    def __bool__(self):
        return False

    def __reduce__(self):
        return self._name


Empty = _Singleton("Empty", "$empty")        # a Variant never assigned
Missing = _Singleton("Missing", "$missing")  # an optional argument left out
Nothing = _Singleton("Nothing", "$nothing")  # an object reference to no object


class Int16(int):
    """A 16-bit Integer, where the component tells it from a Long."""

    def __new__(cls, value):
        number = int.__new__(cls, value)
        if not -32768 <= number <= 32767:
            raise OverflowError(f"{value} is outside the 16-bit range")
        return number


class Currency(decimal.Decimal):
    """A Currency value (four decimals, fixed point)."""


class ObjectRef:
    """An object the component answered with, known by its type name only."""

    __slots__ = ("type_name",)

    def __init__(self, type_name):
        self.type_name = type_name

    def __repr__(self):
        return f"dorsel.ObjectRef({self.type_name!r})"

    def __eq__(self, other):
        return isinstance(other, ObjectRef) and other.type_name == self.type_name

    def __hash__(self):
        return hash(self.type_name)


class _Named:
    """An object of the session by name: the host's global object, the connection, the
    instance itself."""

    __slots__ = ("name",)

    def __init__(self, name):
        self.name = name

    def __repr__(self):
        return f"dorsel.{self.name.upper()}"


HOST = _Named("host")
CONNECTION = _Named("connection")
INSTANCE = _Named("instance")


class Ref:
    """A by-reference argument: passed as its value, and holding the value the call left in
    it afterwards."""

    __slots__ = ("value",)

    def __init__(self, value=None):
        self.value = value

    def __repr__(self):
        return f"dorsel.Ref({self.value!r})"


def _decimal_text(value):
    if not value.is_finite():
        raise ValueError(f"{value} is not a number the component can hold")
    return format(value, "f")


def to_wire(value):
    """A Python value as the session's JSON value."""
    if value is None or isinstance(value, (str, bool)):
        return value
    if isinstance(value, Ref):
        return to_wire(value.value)
    if isinstance(value, _Singleton):
        return {value._tag: True}
    if isinstance(value, Int16):
        return {"$int": int(value)}
    if isinstance(value, int):
        return value if _LONG_MIN <= value <= _LONG_MAX else {"$decimal": str(value)}
    if isinstance(value, float):
        if not math.isfinite(value):
            raise ValueError(f"{value} is not a number the component can hold")
        return value
    if isinstance(value, Currency):
        return {"$currency": _decimal_text(value)}
    if isinstance(value, decimal.Decimal):
        return {"$decimal": _decimal_text(value)}
    if isinstance(value, datetime.datetime):
        if value.tzinfo is not None:
            raise ValueError("a Date has no time zone: give a naive datetime")
        return {"$date": value.replace(microsecond=0).isoformat()}
    if isinstance(value, datetime.date):
        return {"$date": value.isoformat() + "T00:00:00"}
    if isinstance(value, (bytes, bytearray, memoryview)):
        return {"$bytes": base64.b64encode(bytes(value)).decode("ascii")}
    if isinstance(value, _Named):
        return {"$ref": value.name}
    reference = getattr(value, "_reference", None)
    if reference is not None:
        return {"$ref": reference()}
    raise TypeError(f"no automation value for {type(value).__name__}")


def from_wire(value, make_recordset):
    """The session's JSON value as a Python value; `make_recordset(body)` builds recordsets."""
    if not isinstance(value, dict):
        return value
    if "$decimal" in value:
        return decimal.Decimal(value["$decimal"])
    if "$currency" in value:
        return Currency(value["$currency"])
    if "$date" in value:
        return datetime.datetime.fromisoformat(value["$date"])
    if "$int" in value:
        return value["$int"]
    if "$empty" in value:
        return Empty
    if "$nothing" in value:
        return Nothing
    if "$missing" in value:
        return Missing
    if "$bytes" in value:
        return base64.b64decode(value["$bytes"])
    if "$object" in value:
        return ObjectRef(value["$object"])
    if "$recordset" in value:
        return make_recordset(value["$recordset"])
    raise ValueError(f"not an automation value: {value!r}")
