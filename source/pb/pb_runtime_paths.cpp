// The numbered directories of the process.
#include "pb/pb_runtime_paths.h"

#include "pb/pb_module.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_stdfunc.hpp"
#include "pb/pb_string.h"

struct PB_RUNTIME_PATHS {
    PB_OBJ obj;
    PB_STRING* paths[PB_RUNTIME_PATHS_MAX];  // NULL where unset; changed only while unshared
};

namespace {

void pathsFree(PB_OBJ* obj) {
    PB_SORT_CHECK(obj, pb___sort_PB_RUNTIME_PATHS);
    for (auto& p : reinterpret_cast<PB_RUNTIME_PATHS*>(obj)->paths) pb::releaseField(p);
}

}  // namespace

PB_SORT_DEFINE(pb___sort_PB_RUNTIME_PATHS, &pb___module, "PB_RUNTIME_PATHS", pathsFree, nullptr, nullptr);
PB_STDFUNCS_DEFINE(pbRuntimePaths, PB_RUNTIME_PATHS, pb___sort_PB_RUNTIME_PATHS)

extern "C" PB_EXPORT PB_RUNTIME_PATHS* pbRuntimePathsCreate(void) {
    return reinterpret_cast<PB_RUNTIME_PATHS*>(pb___ObjCreate(sizeof(PB_RUNTIME_PATHS), &pb___sort_PB_RUNTIME_PATHS));
}

extern "C" PB_EXPORT PB_RUNTIME_PATHS* pbRuntimePathsCreateFrom(PB_RUNTIME_PATHS* source) {
    PB_ASSERT(source);
    PB_RUNTIME_PATHS* paths = pbRuntimePathsCreate();
    for (int i = 0; i < PB_RUNTIME_PATHS_MAX; ++i) pb::setField(paths->paths[i], source->paths[i]);
    return paths;
}

extern "C" PB_EXPORT PB_STRING* pbRuntimePathsPath(PB_RUNTIME_PATHS* paths, PB_INT index) {
    PB_ASSERT(paths);
    PB_ASSERT(index >= 0 && index < PB_RUNTIME_PATHS_MAX);
    PB_STRING* p = paths->paths[index];
    return p ? pbStringRetain(p) : nullptr;
}

extern "C" PB_EXPORT void pbRuntimePathsSetPath(PB_RUNTIME_PATHS** paths, PB_INT index, PB_STRING* path) {
    PB_COW(paths, pbRuntimePathsCreateFrom);
    PB_ASSERT(index >= 0 && index < PB_RUNTIME_PATHS_MAX);
    pb::setField((*paths)->paths[index], path);
}

extern "C" PB_EXPORT void pbRuntimePathsSetPathCstr(PB_RUNTIME_PATHS** paths, PB_INT index, const char* path,
                                                    PB_INT length) {
    PB_ASSERT(path);
    auto s = pb::adopt(pbStringCreateFromCstr(path, length));
    pbRuntimePathsSetPath(paths, index, s.get());
}
