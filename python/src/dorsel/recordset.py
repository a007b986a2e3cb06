"""Recordsets as the component answers them: a snapshot of fields and rows, and, for one that
lives in a slot of the component or is held by name, the cursor operations of the session."""

from collections import namedtuple

Field = namedtuple("Field", "name type size attributes")


class Recordset:
    """A recordset's state as last read: `fields`, `rows` (through its filter, in cursor
    order), `state`, `record_count`, `absolute_position`, `bof`, `eof`, `filter`. Iterating
    gives each row as a dict by field name.

    One read from a slot (`component.Grst_RecSet_MG67`) or held (`hold`) is bound to it: the
    cursor operations send the session's "rs" requests and refresh the snapshot. One from an
    `sql` request or inside another value is a snapshot only."""

    def __init__(self, component, name, body, convert):
        self._component = component
        self._name = name
        self._convert = convert
        self._load(body)

    def _load(self, body):
        self._body = body
        self.state = body.get("state")
        self.fields = [Field(f.get("name"), f.get("type"), f.get("size"), f.get("attributes"))
                       for f in body.get("fields", [])]
        self.rows = [[self._convert(v) for v in row] for row in body.get("rows", [])]
        self.record_count = body.get("recordCount")
        self.absolute_position = body.get("absolutePosition")
        self.bof = body.get("bof")
        self.eof = body.get("eof")
        self._filter = body.get("filter")

    @property
    def name(self):
        """The slot or "@NAME" this recordset is bound to, or None for a snapshot."""
        return self._name

    @property
    def filter(self):
        return self._filter

    @filter.setter
    def filter(self, criteria):
        self._do("Filter", value=criteria)

    def __iter__(self):
        names = [f.name for f in self.fields]
        for row in self.rows:
            yield dict(zip(names, row))

    def __len__(self):
        return len(self.rows)

    def __repr__(self):
        where = self._name or "snapshot"
        return f"<dorsel.Recordset {where}: {len(self.fields)} fields, {len(self.rows)} rows>"

    def _reference(self):
        if not self._name or not self._name.startswith("@"):
            raise TypeError("only a held recordset (Recordset.hold) is passed as an object")
        return self._name

    def _do(self, operation, **extra):
        if self._name is None:
            raise TypeError("this recordset is a snapshot: read it from a slot to move in it")
        request = {"rs": self._name, "do": operation}
        for key, value in extra.items():
            request[key] = value if key in ("to", "field", "as") else self._component._wire(value)
        body = self._component._result(request)
        self._load(body["$recordset"])
        return self

    def read(self):
        """Reads the recordset again, unchanged."""
        return self._do("Read")

    def move_first(self):
        return self._do("MoveFirst")

    def move_next(self):
        return self._do("MoveNext")

    def move_previous(self):
        return self._do("MovePrevious")

    def move_last(self):
        return self._do("MoveLast")

    def position(self, to):
        """Moves to the 1-based row `to` (AbsolutePosition)."""
        return self._do("Position", to=int(to))

    def set(self, field, value):
        """Sets a field of the current row."""
        return self._do("Set", field=field, value=value)

    def add_new(self):
        return self._do("AddNew")

    def update(self):
        return self._do("Update")

    def update_batch(self):
        return self._do("UpdateBatch")

    def close(self):
        return self._do("Close")

    def hold(self, name):
        """Keeps this recordset under "@name" in the session, beyond what the slot holds next,
        and returns it bound to that name (it can then be passed as an argument)."""
        self._do("Hold", **{"as": name})
        return Recordset(self._component, "@" + name, self._body, self._convert)
