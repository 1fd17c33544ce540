/* Runtime paths: numbered directories that the host sets for the process.
 *
 *   PB_RUNTIME_PATH_MODULES        1  where module libraries are looked for
 *   PB_RUNTIME_PATH_DATA           2  data the product keeps
 *   PB_RUNTIME_PATH_TRACE          3  trace output
 *   PB_RUNTIME_PATH_CONFIGURATION  4  configuration files
 *
 * A paths object is a value (copy-on-write setter). The host builds one and
 * installs it with pbRuntimeSetPaths; code reads the current one with
 * pbRuntimePaths() and pbRuntimePathsPath( paths, 4 ). */
#ifndef PB_RUNTIME_PATHS_H
#define PB_RUNTIME_PATHS_H

#include "pb/pb_obj.h"

PB_BEGIN_DECLS

typedef struct PB_RUNTIME_PATHS PB_RUNTIME_PATHS;

#define PB_RUNTIME_PATH_MODULES 1
#define PB_RUNTIME_PATH_DATA 2
#define PB_RUNTIME_PATH_TRACE 3
#define PB_RUNTIME_PATH_CONFIGURATION 4
#define PB_RUNTIME_PATHS_MAX 16

extern PB_EXPORT PB_SORT pb___sort_PB_RUNTIME_PATHS;
PB_STDFUNCS_DECLARE(pbRuntimePaths, PB_RUNTIME_PATHS);

PB_EXPORT PB_RUNTIME_PATHS* pbRuntimePathsCreate(void);
PB_EXPORT PB_RUNTIME_PATHS* pbRuntimePathsCreateFrom(PB_RUNTIME_PATHS* source);
/* The path with that number, or NULL when none is set.
 * Precondition: 0 <= index < PB_RUNTIME_PATHS_MAX. */
PB_EXPORT PB_STRING* pbRuntimePathsPath(PB_RUNTIME_PATHS* paths, PB_INT index);
/* Sets (path not NULL) or clears (path NULL) a path. */
PB_EXPORT void pbRuntimePathsSetPath(PB_RUNTIME_PATHS** paths, PB_INT index, PB_STRING* path);
PB_EXPORT void pbRuntimePathsSetPathCstr(PB_RUNTIME_PATHS** paths, PB_INT index, const char* path, PB_INT length);

PB_END_DECLS

#endif
