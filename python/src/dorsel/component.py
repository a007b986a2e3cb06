"""Component: one CLSMG_DORSEL in this process, driven through libdorsel's C interface with
the requests of the automation session."""

import ctypes
import json

from . import _native
from .errors import DorselError
from .host import HostBinding
from .recordset import Recordset
from .values import Ref, from_wire, to_wire

_METHOD, _PROPERTY = 2, 1
_member_kinds = {}
# The text of a property read, by name: the commonest request, built once.
_get_requests = {}


def _member_kind(lib, name):
    kind = _member_kinds.get(name)
    if kind is None:
        kind = lib.dorsel_member_kind(name.encode("utf-8"))
        _member_kinds[name] = kind
    return kind


def _text(value):
    return None if value is None else str(value).encode("utf-8")


class Component:
    """An open instance: the connection, a CLSMG_DORSEL bound to it and to the host's global
    object (Initialize is not called).

    Members are reached as attributes: a method is called (`c.Init_MG67_scorte("A1")`), a
    property is read and written (`c.ListFileToDelete`, `c.Gstr_SQL_MG67 = "..."`); a
    recordset slot reads as a Recordset bound to the slot. A by-reference argument is passed
    as `Ref(value)` and holds the value the method left in it afterwards; `call` gives the
    result with every argument after the call.

    One Component is used by one thread at a time (another thread is refused with a
    DorselError); separate Components run on separate threads at once."""

    def __init__(self, db=None, *, connect=None, company=1, language=None, no_host=False,
                 decimal_comma=False, temp=None, host=None):
        object.__setattr__(self, "_handle", None)
        lib = _native.library()
        object.__setattr__(self, "_lib", lib)
        options = _native.Options()
        lib.dorsel_options_init(ctypes.byref(options))
        options.database = _text(db)
        options.connect = _text(connect)
        options.company = int(company)
        options.language = _text(language)
        options.no_host = bool(no_host)
        options.decimal_comma = bool(decimal_comma)
        options.temp = _text(temp)
        binding = None
        if host is not None:
            binding = HostBinding(host)
            options.host = ctypes.pointer(binding.table)
        # The callbacks live as long as the instance can call them.
        object.__setattr__(self, "_binding", binding)
        handle = ctypes.c_void_p()
        error = ctypes.c_void_p()
        if lib.dorsel_open(ctypes.byref(options), ctypes.byref(handle), ctypes.byref(error)):
            answer = json.loads(_native.take_text(lib, error.value))
            raise DorselError.from_answer(answer["error"])
        object.__setattr__(self, "_handle", handle.value)

    # --- Life.

    def close(self):
        """Releases the instance and its connection. Later requests raise DorselError."""
        handle = self._handle
        if handle is not None:
            object.__setattr__(self, "_handle", None)
            self._lib.dorsel_close(handle)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass

    # --- The protocol.

    def request(self, request):
        """One session request (a dict, or its JSON text) in, its answer (a dict, values as
        JSON) out. Errors are answers here, not exceptions."""
        text = request if isinstance(request, (str, bytes)) else json.dumps(request)
        return json.loads(self._send(text.encode("utf-8") if isinstance(text, str) else text))

    def _send(self, data):
        lib = self._lib
        # A closed instance's handle is None: the library answers with its error.
        return _native.take_text(lib, lib.dorsel_request(self._handle, data, len(data)))

    def _wire(self, value):
        return to_wire(value)

    def _value(self, wire):
        return from_wire(wire, self._snapshot)

    def _snapshot(self, body):
        return Recordset(self, None, body, self._value)

    def _answer(self, request):
        answer = json.loads(self._send(json.dumps(request).encode("utf-8")))
        if not answer.get("ok"):
            raise DorselError.from_answer(answer.get("error", {}))
        return answer

    def _result(self, request):
        return self._answer(request).get("result")

    # --- Members.

    def call(self, name, *args):
        """Calls a method: (result, [every argument as the method left it])."""
        answer = self._answer({"call": name, "args": [to_wire(a) for a in args]})
        after = [self._value(a) for a in answer.get("args", [])]
        for given, value in zip(args, after):
            if isinstance(given, Ref):
                given.value = value
        return self._value(answer.get("result")), after

    def get(self, name):
        """Reads a property; a recordset slot as a Recordset bound to the slot."""
        data = _get_requests.get(name)
        if data is None:
            data = json.dumps({"get": name}).encode("utf-8")
            if len(_get_requests) < 4096:
                _get_requests[name] = data
        answer = json.loads(self._send(data))
        if not answer.get("ok"):
            raise DorselError.from_answer(answer.get("error", {}))
        wire = answer.get("result")
        if isinstance(wire, dict) and "$recordset" in wire:
            return Recordset(self, name, wire["$recordset"], self._value)
        return self._value(wire)

    def put(self, name, value):
        """Writes a property (an object by reference, anything else by value)."""
        self._answer({"put": name, "value": to_wire(value)})

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        kind = _member_kind(self._lib, name)
        if kind == _METHOD:
            return lambda *args: self.call(name, *args)[0]
        if kind == _PROPERTY:
            return self.get(name)
        raise AttributeError(f"CLSMG_DORSEL has no member {name!r}")

    def __setattr__(self, name, value):
        if name.startswith("_") or _member_kind(self._lib, name) == 0:
            raise AttributeError(f"CLSMG_DORSEL has no property {name!r}")
        self.put(name, value)

    # --- The session's other requests.

    def recordset(self, slot):
        """The recordset in a slot, or held as "@NAME"."""
        return Recordset(self, slot, self._result({"rs": slot, "do": "Read"})["$recordset"],
                         self._value)

    def sql(self, statement):
        """Runs a statement on the host's connection; its rows as a Recordset snapshot."""
        return self._value(self._result({"sql": statement}))

    def prompt(self, *answers):
        """Queues the answers ("yes"/"no" or True/False) to the next questions asked."""
        words = [("yes" if a else "no") if isinstance(a, bool) else a for a in answers]
        self._answer({"prompt": words})

    def prompts(self):
        """The questions asked so far: [{"title", "text", "style"}]."""
        return self._result({"prompts": True})

    def trace(self):
        """The debug-output lines written so far."""
        return self._result({"trace": True})

    def set_host(self, **changes):
        """Changes the reference host: CodDitta, LinguaAzienda, translations={id: text}."""
        if "translations" in changes:
            changes["translations"] = {str(k): v for k, v in changes["translations"].items()}
        self._answer({"host": changes})

    def set_today(self, day):
        """Fixes the date the component sees as today (a date, or None for the system's)."""
        self._answer({"today": None if day is None else day.strftime("%Y-%m-%d")})

    def release(self):
        """Releases the CLSMG_DORSEL instance (the connection stays)."""
        self._answer({"release": True})

    def create(self):
        """Creates a new instance, bound as at the start."""
        self._answer({"create": True})

    def temp_folder(self):
        """The folder for attachment files, with its trailing separator."""
        return self._result({"temp": True})
