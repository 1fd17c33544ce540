/* Integer helpers over PB_INT (signed 64-bit): saturating arithmetic,
 * overflow tests and conversion from floating point. PB_INT_ADD_OK and
 * PB_INT_SUB_OK (pb_types.h) test addition and subtraction. */
#ifndef PB_INT_H
#define PB_INT_H

#include "pb/pb_types.h"

PB_BEGIN_DECLS

/* a + b, a - b, a * b, clamped to [PB_INT_MIN, PB_INT_MAX]. */
PB_EXPORT PB_INT pbIntAddSaturating(PB_INT a, PB_INT b);
PB_EXPORT PB_INT pbIntSubSaturating(PB_INT a, PB_INT b);
PB_EXPORT PB_INT pbIntMulSaturating(PB_INT a, PB_INT b);
/* Whether a * b fits into PB_INT. */
PB_EXPORT PB_BOOL pbIntMulOk(PB_INT a, PB_INT b);
PB_EXPORT PB_INT pbIntMax(PB_INT a, PB_INT b);
PB_EXPORT PB_INT pbIntMin(PB_INT a, PB_INT b);
/* The integer part of value (towards zero), clamped to the PB_INT range;
 * NaN gives 0. */
PB_EXPORT PB_INT pbRealToInt(double value);

PB_END_DECLS

#endif
