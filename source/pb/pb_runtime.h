/* The runtime of the process: its modules, paths and information.
 *
 * A host starts the runtime, loads the modules it needs by name and stops
 * the runtime before it exits:
 *
 *     pbRuntimeStart( paths );                  // module "pb" is there
 *     pbRuntimeLoadModuleCstr( "cs", -1 );      // loads rfc and tr first
 *     ...
 *     pbRuntimeStop();
 *
 * Loading module "x" finds its descriptor x___module: in the process when a
 * library that defines it is already loaded, else in libvorlix-x.so looked
 * for in the modules path (PB_RUNTIME_PATH_MODULES), beside libvorlix-pb.so,
 * then by the system loader's search. The modules named in the record's
 * list of used modules are loaded first; then the start-up hook runs, and a
 * module whose start-up fails is not loaded. Stopping runs, newest module
 * first, every halt hook, then every shutdown hook, then every final
 * release hook. Hooks run without runtime locks held, so a hook may call the
 * runtime's functions. */
#ifndef PB_RUNTIME_H
#define PB_RUNTIME_H

#include "pb/pb_module.h"
#include "pb/pb_runtime_paths.h"
#include "pb/pb_store.h"
#include "pb/pb_vector.h"

PB_BEGIN_DECLS

/* Precondition: the runtime is not started. paths may be NULL. */
PB_EXPORT void pbRuntimeStart(PB_RUNTIME_PATHS* paths);
/* Precondition: the runtime is started. */
PB_EXPORT void pbRuntimeStop(void);
PB_EXPORT PB_BOOL pbRuntimeStarted(void);

/* The loaded (or newly loaded) module, or NULL. Precondition: the runtime
 * is started and name is a valid module name. */
PB_EXPORT PB_MODULE* pbRuntimeLoadModule(PB_STRING* name);
PB_EXPORT PB_MODULE* pbRuntimeLoadModuleCstr(const char* name, PB_INT length);
/* As pbRuntimeLoadModule; when the module does not load, *reason (when
 * reason is not NULL) receives what went wrong, in the loader's words: the
 * library was not found (and where it was looked for), could not be loaded
 * (an undefined symbol, ...), has no descriptor, a used module did not
 * load, or the start-up hook failed. *reason is NULL on success. */
PB_EXPORT PB_MODULE* pbRuntimeLoadModuleWithReason(PB_STRING* name, PB_STRING** reason);
/* The loaded module of that name, or NULL. */
PB_EXPORT PB_MODULE* pbRuntimeModule(PB_STRING* name);
/* The modules of the process in load order ("pb" first). */
PB_EXPORT PB_VECTOR* pbRuntimeModulesVector(void);

/* "product", "productVersion", "platform", "startTime" (UTC,
 * "YYYY-MM-DDTHH:MM:SSZ"), "processId". */
PB_EXPORT PB_STORE* pbRuntimeInfo(void);

/* The current paths (an empty paths object when none were set). */
PB_EXPORT PB_RUNTIME_PATHS* pbRuntimePaths(void);
PB_EXPORT void pbRuntimeSetPaths(PB_RUNTIME_PATHS* paths);

PB_END_DECLS

#endif
