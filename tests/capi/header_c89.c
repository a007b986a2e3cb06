/* The C interface's header compiled as C89 with every warning an error, and its functions
 * called from C: the version, a bad handle, an instance on an in-memory database. Exits 0
 * when every answer is as expected. */
#include <dorsel/dorsel.h>
#include <stdio.h>
#include <string.h>

static int check(int condition, const char* what) {
  if (!condition) fprintf(stderr, "failed: %s\n", what);
  return condition ? 0 : 1;
}

int main(void) {
  dorsel_options options;
  dorsel_instance* instance = NULL;
  char* error = NULL;
  char* answer;
  int failures = 0;
  const char* request = "{\"get\": \"ListFileToDelete\"}";

  failures += check(strcmp(dorsel_version(), "0.1.0") == 0, "version");

  answer = dorsel_request(NULL, request, strlen(request));
  failures += check(answer != NULL && strstr(answer, "\"ok\":false") != NULL, "null handle");
  dorsel_free(answer);

  dorsel_options_init(&options);
  options.connect = "Provider=SQLite;Data Source=:memory:";
  failures += check(dorsel_open(&options, &instance, &error) == 0, "open");
  failures += check(error == NULL, "no error on open");
  answer = dorsel_request(instance, request, strlen(request));
  failures += check(answer != NULL && strcmp(answer, "{\"ok\":true,\"result\":\"\"}") == 0,
                    "answer");
  dorsel_free(answer);
  failures += check(dorsel_close(instance) == 0, "close");
  failures += check(dorsel_close(instance) != 0, "second close");
  return failures == 0 ? 0 : 1;
}
