/* The trace library's module descriptor. */
#ifndef TR_MODULE_H
#define TR_MODULE_H

#include "pb/pb_module.h"

PB_BEGIN_DECLS

extern PB_EXPORT PB_MODULE tr___module;

PB_END_DECLS

#endif
