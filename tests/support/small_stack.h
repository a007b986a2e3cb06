// Runs code on a thread of its own with a small stack, as a host's worker thread may have one:
// recursion that a main thread's 8 MiB hides overflows there, in every build. Header-only so
// that the foundation layers' tests can use it.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <stdexcept>

namespace test_support {

inline constexpr std::size_t kSmallStack = 256 * 1024;

// Runs `body` on a new thread with `stack_bytes` of stack and waits for it; an exception
// leaving the body is thrown again here.
inline void run_on_small_stack(const std::function<void()>& body,
                               std::size_t stack_bytes = kSmallStack) {
  struct Job {
    const std::function<void()>* body;
    std::exception_ptr error;
  } job{&body, nullptr};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stack_bytes);
  pthread_t thread;
  const int created = pthread_create(
      &thread, &attributes,
      [](void* argument) -> void* {
        auto* j = static_cast<Job*>(argument);
        try {
          (*j->body)();
        } catch (...) {
          j->error = std::current_exception();
        }
        return nullptr;
      },
      &job);
  pthread_attr_destroy(&attributes);
  if (created != 0) throw std::runtime_error("cannot start a thread with a small stack");
  pthread_join(thread, nullptr);
  if (job.error) std::rethrow_exception(job.error);
}

}  // namespace test_support
