"""The C boundary seen from Python: what a careless caller passes gets an error answer, and
the thread rule holds (separate components at once; a shared one refuses the second thread)."""

import ctypes
import json
import threading

from dorsel import Component, DorselError, _native


def raw_answer(handle, data, length=None):
    lib = _native.library()
    address = lib.dorsel_request(handle, data, len(data or b"") if length is None else length)
    return json.loads(_native.take_text(lib, address))


def test_bad_input_at_the_c_boundary_is_an_error_answer(schema_db):
    with Component(db=schema_db) as c:
        for bad in (b"", b"{", b"\xff\xfe", b"[]", b'{"get": 1}', b'{"get": "X", "put": "Y"}',
                    b'{"call": "Initialize", "args": {}}', b"[" * 100000 + b"]" * 100000):
            answer = raw_answer(c._handle, bad)
            assert answer["ok"] is False, bad[:40]
            assert isinstance(answer["error"]["number"], int)
        assert raw_answer(c._handle, None, 5)["error"]["description"] == \
            "no request (a null pointer)"
        # A NUL inside is refused, not cut short at the NUL.
        assert raw_answer(c._handle, b'{"get": "ListFileToDelete"}\x00{}')["error"][
            "description"] == "a NUL byte inside the request"
        assert c.request({"get": "ListFileToDelete"}) == {"ok": True, "result": ""}
    made_up = raw_answer(0x5D0E5E1008, b'{"get": "ListFileToDelete"}')
    assert made_up["error"]["source"] == "dorsel"

    lib = _native.library()
    handle = ctypes.c_void_p()
    error = ctypes.c_void_p()
    assert lib.dorsel_open(None, ctypes.byref(handle), ctypes.byref(error)) == 5
    assert json.loads(_native.take_text(lib, error.value))["ok"] is False
    assert lib.dorsel_close(None) != 0


def test_separate_components_run_on_separate_threads(demo_db):
    failures = []

    def work(company):
        try:
            with Component(db=demo_db, company=company) as c:
                for _ in range(20):
                    c.Init_MG67_scorte("VITE-M6X20")
                    if f"MG67_DITTA_CG18 = {company} " not in c.Gstr_SQL_MG67:
                        failures.append(company)
                    len(c.Grst_RecSet_MG67)
        except Exception as error:  # reported below, with the thread's company
            failures.append((company, error))

    threads = [threading.Thread(target=work, args=(n,)) for n in (1, 2, 3, 4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []


def test_a_shared_component_refuses_the_second_thread(demo_db):
    outcomes = []
    with Component(db=demo_db) as c:
        def work():
            for _ in range(30):
                try:
                    c.Init_MG67_scorte("VITE-M6X20")
                    outcomes.append("ok")
                except DorselError as error:
                    outcomes.append(error.description)

        threads = [threading.Thread(target=work) for _ in range(3)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
    assert len(outcomes) == 90
    assert set(outcomes) <= {"ok", "the instance is in use by another thread"}
    assert "ok" in outcomes
