// Reading and writing configuration files with reasons for failure.
#include "config_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "cs/cs.h"
#include "cs/config/cs_config_store.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_store_encoding.h"
#include "text.h"

namespace vorlix::tools {

// The store is decoded once and accepted by the module's own rule, so the
// tool and the host accept exactly what the service would; the rest
// explains a refusal.
ConfigFile readConfigFile(const std::string& path) {
    ConfigFile out;
    auto name = makeString(path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        out.error = std::string("cannot be read: ") + std::strerror(errno);
        return out;
    }
    if (S_ISDIR(st.st_mode)) {
        out.error = "is a directory";
        return out;
    }
    // A readable valid file, the usual case, is decoded without its bytes
    // being held beside the stores made from them; only a file that fails
    // is read again, for the reason.
    PB_STORE_HEADER* header = nullptr;
    auto decoded = pb::adopt(pbPathFileReadStore(name.get(), &header));
    auto held = pb::adopt(header);
    pb::Ref<PB_BUFFER> bytes;
    if (!decoded) {
        errno = 0;
        bytes = pb::adopt(pbPathFileReadBuffer(name.get()));
        if (!bytes) {
            out.error = std::string("cannot be read: ") + std::strerror(errno ? errno : EIO);
            return out;
        }
        decoded = pb::adopt(pbStoreTryDecode(bytes.get(), &header));
        held = pb::adopt(header);
    }
    if (held) out.headerType = utf8(pb::adopt(pbStoreHeaderType(held.get())).get());
    if (decoded && cs___ConfigStoreHeaderOk(held.get())) {
        out.store = decoded;
        return out;
    }
    if (auto error = bytes ? pb::adopt(pbStoreDecodeError(bytes.get())) : pb::Ref<PB_STRING>()) out.error = utf8(error.get());
    else if (!decoded) out.error = "is not a valid encoded store";
    else out.error = "is not a configuration (its store header is of type " + out.headerType + ", not CS_CONFIG)";
    return out;
}

bool writeConfigFile(PB_STORE* config, const std::string& path) {
    return cs___ConfigStoreSaveToFile(config, makeString(path).get());
}

}  // namespace vorlix::tools
