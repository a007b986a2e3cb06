"""dorsel: the item-master business object CLSMG_DORSEL in-process, over libdorsel.

    from dorsel import Component
    with Component(db="/tmp/erp.sqlite") as c:
        c.Initialize()
        c.Init_MG67_scorte("VITE-M6X20")
        for row in c.Grst_RecSet_MG67:
            print(row["MG67_DEPOS_MG58"])
"""

from ._native import library
from .component import Component
from .errors import DorselError
from .host import Host
from .recordset import Field, Recordset
from .values import (CONNECTION, HOST, INSTANCE, Currency, Empty, Int16, Missing, Nothing,
                     ObjectRef, Ref)

__all__ = [
    "CONNECTION", "Component", "Currency", "DorselError", "Empty", "Field", "HOST", "Host",
    "INSTANCE", "Int16", "Missing", "Nothing", "ObjectRef", "Recordset", "Ref", "library",
    "version",
]


def version():
    """The version of the loaded libdorsel."""
    return library().dorsel_version().decode("ascii")
