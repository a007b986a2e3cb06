"""A Python object as the host application's global object.

Subclass Host and override what the host knows. The component reaches it by late binding as
ClsGlobal.Gcls_DittaCorrente.CodDitta (company_code), .LinguaAzienda (company_language),
.DecimaliPrezzo(currency) (price_decimals) and ClsGlobal.Gcls_MULTILINGUA.TraduzioneTesto(id)
(translate_text), on every use. A method that raises DorselError fails with its number, source
and description; any other exception fails as error 440 with the exception's text.
"""

import ctypes

from . import _native
from .errors import DorselError


class Host:
    """The defaults are the reference host's without a database: company 1, language "ITA ",
    a text shown as "[id]", five decimals."""

    def company_code(self):
        return 1

    def company_language(self):
        return "ITA "

    def translate_text(self, text_id):
        return f"[{text_id}]"

    def price_decimals(self, currency):
        return 5


def _fail(lib, reply, error):
    if isinstance(error, DorselError):
        number, source, description = error.number, error.source, error.description
    else:
        number, source, description = 440, "HostApplication", f"{type(error).__name__}: {error}"
    lib.dorsel_reply_error(reply, int(number or 440), (source or "HostApplication").encode(),
                           str(description).encode())
    return 1


def _reply_long(lib, reply, value):
    number = int(value)
    # ctypes would cut a larger number to its low bits: outside a Long is the runtime's
    # overflow, as the C interface answers it.
    if not -2**31 <= number < 2**31:
        raise DorselError(6, "HostApplication", "Overflow")
    lib.dorsel_reply_long(reply, number)


def _reply_text(lib, reply, text):
    data = str(text).encode("utf-8")
    lib.dorsel_reply_text(reply, data, len(data))


class HostBinding:
    """The C callback table for one Host object. The table and its functions live as long as
    this binding, which the component keeps until it is closed."""

    def __init__(self, host):
        lib = _native.library()
        self.host = host

        def guarded(answer):
            def callback(*args):
                reply = args[-1]
                try:
                    answer(reply, *args[1:-1])
                    return 0
                except BaseException as error:  # nothing may unwind through C
                    try:
                        return _fail(lib, reply, error)
                    except BaseException:
                        return 1
            return callback

        self._functions = (
            _native.COMPANY_CODE(guarded(
                lambda reply: _reply_long(lib, reply, host.company_code()))),
            _native.COMPANY_LANGUAGE(guarded(
                lambda reply: _reply_text(lib, reply, host.company_language()))),
            _native.TRANSLATE_TEXT(guarded(
                lambda reply, text_id: _reply_text(lib, reply, host.translate_text(text_id)))),
            _native.PRICE_DECIMALS(guarded(
                lambda reply, currency: _reply_long(
                    lib, reply, host.price_decimals(currency.decode("utf-8", "replace"))))),
        )
        self.table = _native.HostTable(ctypes.sizeof(_native.HostTable), None, *self._functions)
