# Sanitizer settings for a test run; a caller's own settings win. A report
# aborts the process, so it shows as a signal, never as an exit status the
# tests could expect.
if(NOT DEFINED ENV{ASAN_OPTIONS})
  set(ENV{ASAN_OPTIONS}
      "abort_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1")
endif()
if(NOT DEFINED ENV{UBSAN_OPTIONS})
  set(ENV{UBSAN_OPTIONS} "abort_on_error=1:print_stacktrace=1")
endif()
