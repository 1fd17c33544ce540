// Reading and writing configuration files with reasons for failure.
#include "config_file.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "cs/cs.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_store_encoding.h"
#include "text.h"

namespace vorlix::tools {

ConfigFile readConfigFile(const std::string& path) {
    ConfigFile out;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        out.error = std::string("cannot open: ") + std::strerror(errno);
        return out;
    }
    if (S_ISDIR(st.st_mode)) {
        out.error = "is a directory";
        return out;
    }
    auto bytes = pb::adopt(pbPathFileReadBuffer(makeString(path).get()));
    if (!bytes) {
        out.error = "cannot be read (permissions?)";
        return out;
    }
    PB_STORE_HEADER* header = nullptr;
    auto store = pb::adopt(pbStoreTryDecode(bytes.get(), &header));
    auto held = pb::adopt(header);
    if (!store) {
        out.error = pbBufferLength(bytes.get()) == 0 ? "is empty" : "is not a valid encoded store (broken JSON?)";
        return out;
    }
    if (held) {
        out.headerType = utf8(pb::adopt(pbStoreHeaderType(held.get())).get());
        if (out.headerType != "CS_CONFIG") {
            out.error = "holds a store of type " + out.headerType + ", not a configuration (CS_CONFIG)";
            return out;
        }
    }
    out.store = store;
    return out;
}

bool writeConfigFile(PB_STORE* config, const std::string& path) {
    return cs___ConfigStoreSaveToFile(config, makeString(path).get());
}

}  // namespace vorlix::tools
