// Decodes arbitrary bytes as an encoded store. Whatever decodes must encode
// back to bytes that decode to an equal store and encode identically;
// whatever does not must have an explanation; nothing may leak.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "pb/pb.h"
#include "pb/pb_store_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PB_INT liveBefore = pbObjLiveTotal();
    PB_STORE_HEADER* header = nullptr;
    PB_STORE* store = pbStoreTryDecodeBytes(data, PB_INT(size), &header);
    if (store) {
        PB_BUFFER* first = pbStoreEncode(store, header);
        PB_STORE_HEADER* header2 = nullptr;
        PB_STORE* again = pbStoreTryDecode(first, &header2);
        if (!again || !pbStoreEquals(store, again) || (header == nullptr) != (header2 == nullptr)) std::abort();
        PB_BUFFER* second = pbStoreEncode(again, header2);
        if (!pbBufferEquals(first, second)) std::abort();
        pbObjRelease(pbBufferObj(second));
        pbObjRelease(pbStoreObj(again));
        pbObjRelease(header2 ? pbStoreHeaderObj(header2) : nullptr);
        pbObjRelease(pbBufferObj(first));
        pbObjRelease(pbStoreObj(store));
        pbObjRelease(header ? pbStoreHeaderObj(header) : nullptr);
    }
    PB_BUFFER* bytes = pbBufferCreateFromBytes(data, PB_INT(size));
    PB_STRING* error = pbStoreDecodeError(bytes);
    if ((error == nullptr) != (store != nullptr)) std::abort();
    pbObjRelease(error ? pbStringObj(error) : nullptr);
    pbObjRelease(pbBufferObj(bytes));
    if (pbObjLiveTotal() != liveBefore) std::abort();
    return 0;
}
