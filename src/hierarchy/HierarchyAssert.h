#ifndef TEXTFERRO_HIERARCHYASSERT_H
#define TEXTFERRO_HIERARCHYASSERT_H

// Assertions for broken internal preconditions of the layout algorithms. Tulip's
// headers force NDEBUG, which silences <cassert>; these stay active in every build
// type, print the failed condition, file and line to stderr and abort.

#include <cstdio>
#include <cstdlib>

// HIERARCHY_ASSERT_TEXT reports `text` in place of the expression, for checks whose
// message is already known under another spelling.
#define HIERARCHY_ASSERT_TEXT(expression, text)                                                    \
  do {                                                                                             \
    if (!(expression)) {                                                                           \
      std::fprintf(stderr, "%s:%d: Assertion `%s' failed.\n", __FILE__, __LINE__, text);           \
      std::abort();                                                                                \
    }                                                                                              \
  } while (false)

#define HIERARCHY_ASSERT(expression) HIERARCHY_ASSERT_TEXT(expression, #expression)

#endif
