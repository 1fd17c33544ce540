// The configuration files: a main file and a backup with the same bytes.
#include "cs/config/cs_config_store.h"

#include "pb/pb_path.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "pb/pb_store_encoding.h"
#include "pb/pb_string.h"

namespace {

using Path = pb::Ref<PB_STRING>;

// The file cs<suffix>.vqconfig in the configuration directory, or NULL
// when the runtime has no such directory.
Path configFile(const char* suffix) {
    auto paths = pb::adopt(pbRuntimePaths());
    Path path = pb::adopt(pbRuntimePathsPath(paths.get(), PB_RUNTIME_PATH_CONFIGURATION));
    if (!path) return nullptr;
    auto name = pb::adopt(pbStringCreateFromFormatCstr("cs%lc.vqconfig", -1, suffix));
    pbPathAppendComponentFilename(path.out(), name.get());
    return path;
}

// The bytes of a configuration file holding config.
pb::Ref<PB_BUFFER> encodeConfig(PB_STORE* config) {
    auto header = pb::adopt(pbStoreHeaderCreateCstr("CS_CONFIG", -1));
    return pb::adopt(pbStoreEncode(config, header.get()));
}

}  // namespace

extern "C" PB_EXPORT PB_BOOL cs___ConfigStoreSaveToByteSink(PB_STORE* config, PB_BYTE_SINK* bs) {
    PB_ASSERT(config);
    PB_ASSERT(bs);
    auto encoded = encodeConfig(config);
    pbByteSinkWriteBuffer(bs, encoded.get());
    pbByteSinkFlush(bs);
    return !pbByteSinkError(bs);
}

extern "C" PB_EXPORT PB_BOOL cs___ConfigStoreSaveToFile(PB_STORE* config, PB_STRING* path) {
    PB_ASSERT(config);
    PB_ASSERT(path);
    auto bs = pb::adopt(pbPathFileOpenByteSink(path));
    if (!bs) return PB_FALSE;
    return cs___ConfigStoreSaveToByteSink(config, bs.get());
}

// Writes the main file, then the backup. A failed write removes the file
// it was writing, so that a load never reads a half-written main file;
// when the main file fails, the backup still holds the previous
// configuration.
extern "C" PB_EXPORT PB_BOOL cs___ConfigStoreSave(PB_STORE* config) {
    PB_ASSERT(config);
    Path main = configFile("");
    Path backup = configFile("-backup");
    if (!main || !backup) return PB_FALSE;

    // Encoded straight into the buffer written: a large configuration is
    // held once, not a second time in a sink's copy.
    auto buffer = encodeConfig(config);

    if (!pbPathFileWriteBuffer(main.get(), buffer.get())) {
        pbPathFileDelete(main.get());
        return PB_FALSE;
    }
    if (!pbPathFileWriteBuffer(backup.get(), buffer.get())) {
        pbPathFileDelete(backup.get());
        return PB_FALSE;
    }
    return PB_TRUE;
}

extern "C" PB_EXPORT PB_BOOL cs___ConfigStoreHeaderOk(PB_STORE_HEADER* header) {
    return !header || pbStoreHeaderIsTypeCstr(header, "CS_CONFIG", -1);
}

extern "C" PB_EXPORT PB_STORE* cs___ConfigStoreLoadFromFile(PB_STRING* path) {
    PB_ASSERT(path);
    PB_STORE_HEADER* header = nullptr;
    auto store = pb::adopt(pbPathFileReadStore(path, &header));
    auto headerRef = pb::adopt(header);
    if (!store || !cs___ConfigStoreHeaderOk(headerRef.get())) return nullptr;
    return store.leak();
}

extern "C" PB_EXPORT PB_STORE* cs___ConfigStoreLoad(void) {
    Path main = configFile("");
    Path backup = configFile("-backup");
    if (!main || !backup) return nullptr;
    if (PB_STORE* store = cs___ConfigStoreLoadFromFile(main.get())) return store;
    return cs___ConfigStoreLoadFromFile(backup.get());
}
