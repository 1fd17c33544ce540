// Constant store keys (cs/base/cs_store_keys.hpp).
#include "cs/base/cs_store_keys.hpp"

namespace cs {

pb::Ref<PB_STRING> storeKey(const char* text) {
    if (PB_STRING* shared = pb___StringInternCstr(text, -1)) return pb::adopt(shared);
    return pb::adopt(pbStringCreateFromCstr(text, -1));
}

const StoreKeys& storeKeys() {
#define CS___STORE_KEY_MAKE(name, text) storeKey(text).leak(),
    static const StoreKeys keys = {CS___STORE_KEYS(CS___STORE_KEY_MAKE)};
#undef CS___STORE_KEY_MAKE
    return keys;
}

}  // namespace cs
