/* dorsel.h: the in-process C interface of the item-master business object CLSMG_DORSEL.
 *
 * An instance is one CLSMG_DORSEL bound to a connection and to a host's global object, driven
 * by requests and answers in the JSON of the automation session (`dorsel session`, described
 * in the README): the same verbs, the same values, the same error answers
 * {"ok":false,"error":{"number":N,"source":"...","description":"..."}}.
 *
 * Memory: every buffer this library returns (answers, error answers) is allocated by it and
 * is released with dorsel_free, and with nothing else. Strings going in are UTF-8 and are
 * only read during the call.
 *
 * Threads: one instance is used by one thread at a time; separate instances may be used on
 * separate threads at once. A request on an instance that another thread is using is refused
 * with an error answer (it does not wait). The host's callbacks are called on the thread that
 * made the request, during it.
 *
 * Errors: nothing the caller passes crashes the library. A null pointer, a request that is not
 * JSON, an unknown verb, a closed or made-up instance handle: each gives an error answer. No
 * C++ exception ever leaves a function of this header.
 *
 * The header is C89, and every symbol is versioned (DORSEL_1); nothing else is exported.
 */
#ifndef DORSEL_DORSEL_H
#define DORSEL_DORSEL_H

#include <stddef.h>

#if defined(__GNUC__)
#define DORSEL_API __attribute__((visibility("default")))
#else
#define DORSEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* C names and C typedefs. NOLINTBEGIN(readability-identifier-naming,modernize-use-using) */

/* An open instance. Opaque: the pointer is a handle, never dereferenced by the caller; the
 * library checks it on every call, so a closed one is an error, not a crash. */
typedef struct dorsel_instance dorsel_instance;

/* Where a host callback puts its answer: a value with dorsel_reply_text or dorsel_reply_long,
 * or a failure with dorsel_reply_error. Valid only during the callback that receives it. */
typedef struct dorsel_reply dorsel_reply;

/* The host's global object, as a table of callbacks. The component reaches it by late binding
 * (ClsGlobal.Gcls_DittaCorrente.CodDitta, .LinguaAzienda, .DecimaliPrezzo(currency),
 * ClsGlobal.Gcls_MULTILINGUA.TraduzioneTesto(id)) and is answered by these functions; nothing
 * is cached, each use calls again.
 *
 * Each callback returns 0 after giving its value to the reply. Non-zero is a failure: the
 * component sees an automation error with the number, source and description given to
 * dorsel_reply_error (or 440, "HostApplication" and a plain description when none was given);
 * an error given to dorsel_reply_error fails the call whatever the callback returns, and 0
 * without a value is a failure too. A callback left NULL is a member the host lacks (error
 * 438). */
typedef struct dorsel_host {
  size_t struct_size; /* sizeof(dorsel_host): required, so that the table can grow */
  void* user;         /* handed back to every callback */
  /* CodDitta: the current company's code, with dorsel_reply_long. */
  int (*company_code)(void* user, dorsel_reply* reply);
  /* LinguaAzienda: the company's language code (for example "ITA "), with dorsel_reply_text. */
  int (*company_language)(void* user, dorsel_reply* reply);
  /* TraduzioneTesto(id): the text numbered `text_id` in the user's language (text). */
  int (*translate_text)(void* user, long text_id, dorsel_reply* reply);
  /* DecimaliPrezzo(currency): the decimals prices in `currency` are rounded to (a long from 0
   * to 32767; outside it the component sees an overflow, error 6). */
  int (*price_decimals)(void* user, const char* currency, dorsel_reply* reply);
} dorsel_host;

/* How to open an instance. Start from dorsel_options_init, then set what differs. */
typedef struct dorsel_options {
  size_t struct_size;      /* sizeof(dorsel_options): required */
  const char* database;    /* an SQLite database file that must exist, or NULL */
  const char* connect;     /* a connection string (used when database is NULL) */
  long company;            /* the reference host's company code (default 1) */
  const char* language;    /* the reference host's language, or NULL: the company's */
  int no_host;             /* non-zero: no global object is handed to the component */
  int decimal_comma;       /* non-zero: the Italian number format */
  const char* temp;        /* folder for attachment files, or NULL: the system's */
  const dorsel_host* host; /* the caller's global object, or NULL: the reference host.
                              Copied at open; the user pointer must stay valid until close. */
} dorsel_options;

/* The library's version, as "MAJOR.MINOR.PATCH". Static storage: never freed. */
DORSEL_API const char* dorsel_version(void);

/* Fills `options` with the defaults (struct_size set, company 1, everything else empty). */
DORSEL_API void dorsel_options_init(dorsel_options* options);

/* Opens an instance: the connection, a CLSMG_DORSEL with Connessione and ActiveInterface set
 * (Initialize is not called). Returns 0 and the handle in *out; on failure returns the error's
 * number (non-zero), sets *out to NULL and, when `error_answer` is not NULL, puts there an
 * error answer (free it with dorsel_free). */
DORSEL_API int dorsel_open(const dorsel_options* options, dorsel_instance** out,
                           char** error_answer);

/* One request (`length` bytes of UTF-8 JSON, no terminator needed) in, one answer out: a
 * NUL-terminated JSON text that the caller frees with dorsel_free. NULL only when memory for
 * the answer cannot be had. */
DORSEL_API char* dorsel_request(dorsel_instance* instance, const char* request, size_t length);

/* Releases an instance and everything it holds. Returns 0, or non-zero for a handle that is
 * not open (NULL, closed already, made up). The handle must not be used afterwards; if it
 * is, the call gets an error answer. */
DORSEL_API int dorsel_close(dorsel_instance* instance);

/* Frees a buffer this library returned. NULL is allowed. */
DORSEL_API void dorsel_free(void* buffer);

/* Whether a name is a member of CLSMG_DORSEL: 2 a method, 1 a property, 0 neither (the
 * case of letters does not matter). For bindings that must choose between reading and
 * calling an attribute before they see its arguments. */
DORSEL_API int dorsel_member_kind(const char* name);

/* Replies of the host callbacks (see dorsel_host). A reply takes the last value given. */
DORSEL_API void dorsel_reply_text(dorsel_reply* reply, const char* text, size_t length);
DORSEL_API void dorsel_reply_long(dorsel_reply* reply, long value);
/* `source` may be NULL ("HostApplication"); `number` 0 stands for 440. */
DORSEL_API void dorsel_reply_error(dorsel_reply* reply, long number, const char* source,
                                   const char* description);

/* NOLINTEND(readability-identifier-naming,modernize-use-using) */

#ifdef __cplusplus
}
#endif

#endif /* DORSEL_DORSEL_H */
