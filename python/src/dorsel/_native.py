"""Loading libdorsel and declaring its C functions for ctypes."""

import ctypes
import ctypes.util
import os

_LIBRARY_NAMES = ("libdorsel.so.0", "libdorsel.so")


class HostTable(ctypes.Structure):
    """struct dorsel_host: the host's callbacks."""


COMPANY_CODE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
COMPANY_LANGUAGE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
TRANSLATE_TEXT = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_long, ctypes.c_void_p)
PRICE_DECIMALS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p,
                                  ctypes.c_void_p)

HostTable._fields_ = [
    ("struct_size", ctypes.c_size_t),
    ("user", ctypes.c_void_p),
    ("company_code", COMPANY_CODE),
    ("company_language", COMPANY_LANGUAGE),
    ("translate_text", TRANSLATE_TEXT),
    ("price_decimals", PRICE_DECIMALS),
]


class Options(ctypes.Structure):
    """struct dorsel_options."""

    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("database", ctypes.c_char_p),
        ("connect", ctypes.c_char_p),
        ("company", ctypes.c_long),
        ("language", ctypes.c_char_p),
        ("no_host", ctypes.c_int),
        ("decimal_comma", ctypes.c_int),
        ("temp", ctypes.c_char_p),
        ("host", ctypes.POINTER(HostTable)),
    ]


def _candidates():
    named = os.environ.get("DORSEL_LIBRARY")
    if named:
        yield named
        return
    here = os.path.dirname(os.path.abspath(__file__))
    for name in _LIBRARY_NAMES:
        beside = os.path.join(here, name)
        if os.path.exists(beside):
            yield beside
    found = ctypes.util.find_library("dorsel")
    if found:
        yield found
    yield from _LIBRARY_NAMES


def _load():
    tried = []
    for candidate in _candidates():
        try:
            return _declare(ctypes.CDLL(candidate))
        except OSError as error:
            tried.append(f"{candidate}: {error}")
    raise OSError("libdorsel was not found (set DORSEL_LIBRARY to its path); tried "
                  + "; ".join(tried))


def _declare(lib):
    # Answers are returned as plain addresses: the library's buffer must be freed with
    # dorsel_free, which a c_char_p result would lose.
    lib.dorsel_version.argtypes = []
    lib.dorsel_version.restype = ctypes.c_char_p
    lib.dorsel_options_init.argtypes = [ctypes.POINTER(Options)]
    lib.dorsel_options_init.restype = None
    lib.dorsel_open.argtypes = [ctypes.POINTER(Options), ctypes.POINTER(ctypes.c_void_p),
                                ctypes.POINTER(ctypes.c_void_p)]
    lib.dorsel_open.restype = ctypes.c_int
    lib.dorsel_request.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t]
    lib.dorsel_request.restype = ctypes.c_void_p
    lib.dorsel_close.argtypes = [ctypes.c_void_p]
    lib.dorsel_close.restype = ctypes.c_int
    lib.dorsel_free.argtypes = [ctypes.c_void_p]
    lib.dorsel_free.restype = None
    lib.dorsel_member_kind.argtypes = [ctypes.c_char_p]
    lib.dorsel_member_kind.restype = ctypes.c_int
    lib.dorsel_reply_text.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t]
    lib.dorsel_reply_text.restype = None
    lib.dorsel_reply_long.argtypes = [ctypes.c_void_p, ctypes.c_long]
    lib.dorsel_reply_long.restype = None
    lib.dorsel_reply_error.argtypes = [ctypes.c_void_p, ctypes.c_long, ctypes.c_char_p,
                                       ctypes.c_char_p]
    lib.dorsel_reply_error.restype = None
    return lib


_lib = None


def library():
    """The loaded library, loaded at first use."""
    global _lib
    if _lib is None:
        _lib = _load()
    return _lib


def take_text(lib, address):
    """The text of a buffer the library returned, the buffer freed."""
    if not address:
        raise MemoryError("libdorsel could not allocate an answer")
    try:
        return ctypes.string_at(address)
    finally:
        lib.dorsel_free(address)
