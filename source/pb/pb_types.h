/* Scalar types, export and linkage macros, and the always-on check of the
 * vorlix runtime. Every public header of every library includes this first.
 *
 *   PB_INT   signed 64-bit integer; every count, time and size is one.
 *   PB_BOOL  32-bit boolean held as 0 or 1 (PB_FALSE, PB_TRUE).
 *   PB_CHAR  a Unicode code point.
 *
 * PB_ASSERT( expr ) stops the process when expr is false, through
 * pb___Abort, naming the source file, the line and the expression text
 * exactly as written in the source. PB_ASSERT_CTX( "label", expr ) adds a
 * context label to the same line. These checks are never compiled out. */
#ifndef PB_TYPES_H
#define PB_TYPES_H

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

typedef int64_t PB_INT;
typedef int32_t PB_BOOL;
typedef uint32_t PB_CHAR;

#define PB_TRUE 1
#define PB_FALSE 0
#define PB_INT_MAX INT64_MAX
#define PB_INT_MIN INT64_MIN
#define PB_CHAR_REPLACEMENT ((PB_CHAR)0xFFFD)

#ifdef __cplusplus
#define PB_BEGIN_DECLS extern "C" {
#define PB_END_DECLS }
#define PB_NORETURN [[noreturn]]
#else
#define PB_BEGIN_DECLS
#define PB_END_DECLS
#define PB_NORETURN _Noreturn
#endif

#define PB_EXPORT __attribute__((visibility("default")))

PB_BEGIN_DECLS

/* Writes "<path>:<line>: <context>: <expression>" (without "<context>: "
 * when context is NULL) to stderr, flushes the trace sink and aborts. */
PB_NORETURN PB_EXPORT void pb___Abort(const char* context, const char* file, PB_INT line,
                                      const char* expression);

/* Installs a function that pb___Abort calls before it aborts (the trace
 * library flushes its sink there). One hook; NULL removes it. */
PB_EXPORT void pb___AbortSetHook(void (*hook)(void));

PB_END_DECLS

#define PB_ASSERT(expr) \
    do { if (!(expr)) pb___Abort(NULL, __FILE__, __LINE__, #expr); } while (0)
#define PB_ASSERT_CTX(context, expr) \
    do { if (!(expr)) pb___Abort((context), __FILE__, __LINE__, #expr); } while (0)

/* Overflow tests of signed 64-bit addition and subtraction. */
#define PB_INT_ADD_OK(a, b) ((b) >= 0 ? (a) <= PB_INT_MAX - (b) : (a) >= PB_INT_MIN - (b))
#define PB_INT_SUB_OK(a, b) ((b) >= 0 ? (a) >= PB_INT_MIN + (b) : (a) <= PB_INT_MAX + (b))

#endif
