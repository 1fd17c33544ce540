/* Store headers: the typed header that an encoded store may carry
 * ("CS_CONFIG" for configuration files). The type is an upper-case name
 * (pbNameUpperCaseOk with underscores). An encoded store with a header can
 * never be read as one without, nor the other way round. */
#ifndef PB_STORE_HEADER_H
#define PB_STORE_HEADER_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_STORE_HEADER PB_STORE_HEADER;

extern PB_EXPORT PB_SORT pb___sort_PB_STORE_HEADER;
PB_STDFUNCS_DECLARE(pbStoreHeader, PB_STORE_HEADER);

/* Precondition: type is a valid upper-case name. */
PB_EXPORT PB_STORE_HEADER* pbStoreHeaderCreate(PB_STRING* type);
PB_EXPORT PB_STORE_HEADER* pbStoreHeaderCreateCstr(const char* type, PB_INT length);
PB_EXPORT PB_STRING* pbStoreHeaderType(PB_STORE_HEADER* header);
PB_EXPORT PB_BOOL pbStoreHeaderIsType(PB_STORE_HEADER* header, PB_STRING* type);
PB_EXPORT PB_BOOL pbStoreHeaderIsTypeCstr(PB_STORE_HEADER* header, const char* type, PB_INT length);

PB_END_DECLS

#endif
