"""A Python object as the host's global object: the component asks it for the company, the
language, the translations and the currency decimals, on every use, and its failures come
back as the component's errors with its words."""

import pytest

from dorsel import Component, DorselError, Empty, Host

PRICE_LIST = (
    "INSERT INTO MG66_ANAGRART (MG66_DITTA_CG18, MG66_CODART, MG66_FLGBASEVAR) "
    "VALUES ({company}, 'A1', 0)",
    "INSERT INTO MG44_PARMAGLIST (MG44_DITTA_CG18, MG44_FLGVENACQ, MG44_NUMLIST, "
    "MG44_VALUTA_CG08, MG44_DESCLIST) VALUES ({company}, 0, 1, 'USD', 'Listino USA')",
    "INSERT INTO LI10_LISTARTIC (LI10_DITTA_CG18, LI10_FLGVENDACQ, LI10_CODART_MG66, "
    "LI10_OPZIONE_MG5E, LI10_DEPOS_MG58, LI10_NUMLIST, LI10_DATAINIZIOVAL, LI10_PREZZO, "
    "LI10_SC1PER, LI10_INDRICALPR) VALUES ({company}, 0, 'A1', ' ', ' ', 1, '2024-01-01', "
    "99.6, 0, 0)",
)


class ShopHost(Host):
    def __init__(self):
        self.company = 1
        self.texts = {}
        self.decimals = {}
        self.asked = []
        self.broken = None

    def company_code(self):
        if self.broken:
            raise self.broken
        return self.company

    def translate_text(self, text_id):
        self.asked.append(text_id)
        return self.texts.get(text_id, f"[{text_id}]")

    def price_decimals(self, currency):
        return self.decimals.get(currency, 5)


def price_row(c):
    assert c.InitializeRecordsetLI10Ven() is Empty
    return c.Grst_RecSet_LI10Ven_append.rows[0]


def test_the_host_changes_company_and_translations(schema_db):
    host = ShopHost()
    with Component(db=schema_db, host=host) as c:
        for company in (1, 2):
            for statement in PRICE_LIST:
                c.sql(statement.format(company=company))
        host.texts[8435] = "Automatico e manuale"
        host.decimals["USD"] = 0
        c.Init_LI10("A1", "0")
        row = price_row(c)
        assert "Automatico e manuale" in row and 100.0 in row
        assert 8435 in host.asked

        # Another company and other words: seen at the next use, nothing kept from before.
        host.company = 2
        host.texts[8435] = "Auto and manual"
        host.decimals["USD"] = 2
        c.Init_LI10("A1", "0")
        row = price_row(c)
        assert "Auto and manual" in row and 99.6 in row


def test_a_failing_host_method_is_a_dorsel_error_with_its_words(schema_db):
    host = ShopHost()
    with Component(db=schema_db, host=host) as c:
        host.broken = DorselError(1001, "ShopHost", "no company is open")
        with pytest.raises(DorselError) as caught:
            c.Init_MG67_scorte("A1")
        assert caught.value.number == 1001
        assert caught.value.description == "no company is open"
        assert "ShopHost" in caught.value.source

        host.broken = KeyError("company")
        with pytest.raises(DorselError) as caught:
            c.Init_MG67_scorte("A1")
        assert caught.value.number == 440
        assert caught.value.description == "KeyError: 'company'"

        # A value C cannot hold is the host's failure too, not a crash.
        host.broken = None
        host.company = 2**80
        with pytest.raises(DorselError) as caught:
            c.Init_MG67_scorte("A1")
        assert caught.value.number == 6

        host.company = 3
        c.Init_MG67_scorte("A1")
        assert "MG67_DITTA_CG18 = 3 " in c.Gstr_SQL_MG67


def test_the_reference_host_is_not_changed_through_a_python_host(schema_db):
    with Component(db=schema_db, host=ShopHost()) as c:
        with pytest.raises(DorselError):
            c.set_host(CodDitta=2)
    with Component(db=schema_db) as c:
        c.set_host(CodDitta=2, translations={8435: "x"})
        c.Init_MG67_scorte("A1")
        assert "MG67_DITTA_CG18 = 2 " in c.Gstr_SQL_MG67
