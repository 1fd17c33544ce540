/* The encoding library's module descriptor. */
#ifndef RFC_MODULE_H
#define RFC_MODULE_H

#include "pb/pb_module.h"

PB_BEGIN_DECLS

extern PB_EXPORT PB_MODULE rfc___module;

PB_END_DECLS

#endif
