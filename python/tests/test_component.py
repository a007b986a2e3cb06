"""Members as attributes and methods, by-reference arguments, values both ways, recordsets
as objects with their cursor, and the component's errors as DorselError."""

import datetime
import decimal

import pytest

import dorsel
from dorsel import Component, DorselError, Empty, Int16, Missing, Nothing, Ref

STOCK_ROWS = (
    "INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, MG67_OPZIONE_MG5E, "
    "MG67_DEPOS_MG58, MG67_FLGDEPPREF, MG67_INDDEPPRELVERS) VALUES "
    "(1, 'A1', ' ', '01', 1, 1), (1, 'A1', ' ', '02', 0, 3), (1, 'A1', 'V1', '01', 1, 2)")


@pytest.fixture
def stock(schema_db):
    with Component(db=schema_db) as component:
        component.sql(STOCK_ROWS)
        component.Init_MG67_scorte("A1")
        yield component


def test_methods_are_called_and_properties_read_and_written(stock):
    assert "MG67_CODART_MG66 = 'A1'" in stock.Gstr_SQL_MG67
    assert stock.EsisteDepositoPreferenziale() is False
    assert stock.EsisteDepositoPrelievoVersamento() is True
    stock.ListFileToDelete = ";a.txt"
    assert stock.ListFileToDelete == ";a.txt"
    # Names are matched as the component matches them: without regard to case.
    assert stock.listfiletodelete == ";a.txt"
    with pytest.raises(AttributeError):
        stock.NoSuchMember
    with pytest.raises(AttributeError):
        stock.NoSuchMember = 1
    assert not hasattr(stock, "NoSuchMember")


def test_by_reference_arguments_come_back(demo_db):
    with Component(db=demo_db) as c:
        c.Initialize()
        number = Ref("1")
        assert c.RecuperaValuta(0, number) == "EURO"
        # The method wrote its 16-bit parameter back: the text became the number.
        assert number.value == 1
        result, after = c.call("RecuperaValuta", 0, Int16(1))
        assert (result, after) == ("EURO", [0, 1])


def test_recordset_slots_are_objects_with_a_cursor(stock):
    rs = stock.Grst_RecSet_MG67
    assert rs.name == "Grst_RecSet_MG67"
    assert rs.record_count == 2 and len(rs) == 2
    names = [f.name for f in rs.fields]
    assert "MG67_DEPOS_MG58" in names
    rows = list(rs)
    assert [r["MG67_DEPOS_MG58"] for r in rows] == ["01", "02"]
    assert rs.move_last().absolute_position == 2
    assert rs.move_previous().absolute_position == 1
    assert rs.position(2).absolute_position == 2
    rs.set("MG67_FLGDEPPREF", 1).update()
    assert stock.EsisteDepositoPreferenziale() is True
    rs.filter = "MG67_DEPOS_MG58 = '02'"
    assert len(rs) == 1 and rs.filter == "MG67_DEPOS_MG58 = '02'"
    # Held under a name, it outlives the slot's next load and goes back as an argument.
    held = rs.hold("kept")
    assert held.name == "@kept"
    stock.Grst_RecSet_MG67 = held
    assert stock.recordset("Grst_RecSet_MG67").record_count == 1
    stock.Grst_RecSet_MG67 = Nothing
    assert stock.Grst_RecSet_MG67 is Nothing
    assert held.read().record_count == 1


def test_snapshots_have_no_cursor_and_cannot_be_passed(stock):
    snapshot = stock.sql("SELECT 1 AS ONE, 'x' AS TWO")
    assert list(snapshot) == [{"ONE": 1, "TWO": "x"}]
    with pytest.raises(TypeError):
        snapshot.move_next()
    with pytest.raises(TypeError):
        stock.Grst_RecSet_MG67 = snapshot


def test_values_map_to_pythons_own(schema_db):
    with Component(db=schema_db) as c:
        c.sql("INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_CODART_MG66, "
              "LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL, "
              "LI10_PREZZO) VALUES (1, 0, 'A1', ' ', ' ', 1, '2024-01-01 08:30:00', 12.5)")
        c.sql("INSERT INTO CL07_FILEALLEGATI (CL07_ID_CL06, CL07_FILE) VALUES (1, 0x00FF)")
        rs = c.sql("SELECT LI10_NUMLIST, LI10_DATAINIZIOVAL, LI10_PREZZO, LI10_DATAFINEVAL, "
                   "CL07_FILE, 1.5 AS F FROM LI10_LISTARTIC, CL07_FILEALLEGATI")
        (row,) = list(rs)
        assert row == {"LI10_NUMLIST": 1, "LI10_DATAINIZIOVAL": datetime.datetime(2024, 1, 1, 8, 30),
                       "LI10_PREZZO": decimal.Decimal("12.5"), "LI10_DATAFINEVAL": None,
                       "CL07_FILE": b"\x00\xff", "F": 1.5}
        assert isinstance(row["LI10_PREZZO"], decimal.Decimal)
        assert [f.name for f in rs.fields][:2] == ["LI10_NUMLIST", "LI10_DATAINIZIOVAL"]
        # And back: a field set from Python's values reads back as the same values.
        c.Init_LI10("A1", "0")


def test_values_go_to_the_component_as_automation_values():
    wire = dorsel.values.to_wire
    assert wire(None) is None and wire(True) is True and wire(7) == 7
    assert wire(2**31) == {"$decimal": "2147483648"}
    assert wire(Int16(3)) == {"$int": 3}
    assert wire(decimal.Decimal("1E+2")) == {"$decimal": "100"}
    assert wire(dorsel.Currency("1.5")) == {"$currency": "1.5"}
    assert wire(datetime.datetime(2019, 12, 31, 8, 30, 1, 999)) == {"$date": "2019-12-31T08:30:01"}
    assert wire(datetime.date(2019, 12, 31)) == {"$date": "2019-12-31T00:00:00"}
    assert wire(b"\x00\xff") == {"$bytes": "AP8="}
    assert [wire(v) for v in (Empty, Missing, Nothing)] == [
        {"$empty": True}, {"$missing": True}, {"$nothing": True}]
    assert wire(dorsel.HOST) == {"$ref": "host"}
    assert wire(Ref(Int16(2))) == {"$int": 2}
    for bad in (float("nan"), decimal.Decimal("NaN"), object(),
                datetime.datetime(2020, 1, 1, tzinfo=datetime.timezone.utc)):
        with pytest.raises((ValueError, TypeError)):
            wire(bad)
    with pytest.raises(OverflowError):
        Int16(40000)
    assert not Empty and repr(Nothing) == "dorsel.Nothing"


def test_errors_are_dorsel_errors_with_number_source_description(stock):
    with pytest.raises(DorselError) as caught:
        stock.Init_MG67_scorte()
    assert caught.value.number == 450
    assert caught.value.source == "TRAVE_DORSEL"
    assert caught.value.description == "Wrong number of arguments or invalid property assignment"
    # A recordset slot takes an object only.
    with pytest.raises(DorselError) as caught:
        stock.Grst_RecSet_MG67 = 3
    assert caught.value.number == 424
    with pytest.raises(DorselError) as caught:
        stock.recordset("@nobody")
    assert caught.value.number == 5


def test_a_missing_database_is_refused_and_a_closed_component_answers_with_an_error(tmp_path):
    missing = str(tmp_path / "missing.sqlite")
    with pytest.raises(DorselError) as caught:
        Component(db=missing)
    assert caught.value.number == 53 and missing in caught.value.description
    with pytest.raises(DorselError):
        Component()
    c = Component(connect="Provider=SQLite;Data Source=:memory:")
    c.close()
    c.close()
    with pytest.raises(DorselError) as caught:
        c.ListFileToDelete
    assert caught.value.source == "dorsel"
    answer = c.request({"get": "ListFileToDelete"})
    assert answer["ok"] is False
