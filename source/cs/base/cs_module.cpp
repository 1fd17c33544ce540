// The module "cs": descriptor, record, version marker, lifecycle hooks and
// the process-wide options.
#include "cs/base/cs_module.h"

#include "cs/base/cs_module_cs.h"
#include "cs/base/cs_options.h"
#include "cs/base/cs_update_signal.hpp"
#include "cs/base/cs_startup_complete.h"
#include "cs/config/cs_config.h"
#include "cs/control/cs_control_terminate_db.h"
#include "cs/base/cs_stub_cs.h"
#include "cs/base/cs_wrapped_cs.h"
#include "cs/base/cs_wrapped_mode.h"
#include "cs/condition/cs_condition_cs.h"
#include "cs/condition/cs_condition_rule_operator.h"
#include "cs/condition/cs_condition_ruleset_operator.h"
#include "cs/module/cs_module_table.h"
#include "cs/object/cs_object_table.h"
#include "cs/scheduler/cs_scheduler_cs.h"
#include "cs/scheduler/cs_scheduler_interval.h"
#include "cs/scheduler/cs_scheduler_schedule_flags.h"
#include "cs/sort/cs_sort_table.h"
#include "cs/status/cs_status_item_type.h"
#include "cs/status/cs_status_reporter.h"
#include "cs/update/cs_update.h"
#include "cs/update/cs_update_20000101.h"
#include "cs/update/cs_update_20240402.h"
#include "cs/update/cs_update_table.h"
#include "pb/pb_identifier.h"
#include "pb/pb_product.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_region.hpp"
#include "pb/pb_signal.h"
#include "pb/pb_stdfunc.hpp"
#include "tr/tr_anchor.h"

extern "C" {

const PB_MODULE_RECORD cs___module_record = {
    PB___PRODUCT_RECORD_FIELDS, "cs", "Configuration and Status", PB___MODULE_VERSION, "pb rfc tr", "db ipc net",
};

const char* const cs___module_version_string =
    "###VQ_VERSION### vorlix-" PB___PRODUCT_VERSION " (Windows, x86 (64 bit), Release), cs " PB___MODULE_VERSION;

}  // extern "C"

namespace {

// Module globals: NULL before start-up, all-ones after final release.
TR_STREAM* moduleTrStream = nullptr;            // set once at start-up
CS_STATUS_REPORTER* moduleStatusReporter = nullptr;  // set once at start-up
PB_REGION* moduleRegion = nullptr;              // shared: read options/signal; exclusive: change them
PB_SIGNAL* moduleUpdateSignal = nullptr;        // guarded by moduleRegion
CS_OPTIONS* moduleOptions = nullptr;            // guarded by moduleRegion

using Step = void (*)(void);

// The parts of the module start in this order: the enumerations, the state
// of the update classes, the tables, the terminate database, the
// configuration and start-up complete; then the registrations of sorts and
// of the module itself; last the built-in updates.
const Step startupSteps[] = {
    cs___StatusItemTypeStartup,
    cs___ConditionRulesetOperatorStartup,
    cs___ConditionRuleOperatorStartup,
    cs___SchedulerIntervalStartup,
    cs___SchedulerScheduleFlagsStartup,
    cs___WrappedModeStartup,
    cs___UpdateStartup,
    cs___UpdateObjectStartup,
    cs___ObjectTableStartup,
    cs___SortTableStartup,
    cs___ModuleTableStartup,
    cs___UpdateTableStartup,
    cs___ControlTerminateDbStartup,
    cs___ConfigStartup,
    cs___StartupCompleteStartup,
    cs___ConditionCsStartup,
    cs___WrappedCsStartup,
    cs___StubCsStartup,
    cs___ModuleCsStartup,
    cs___SchedulerCsStartup,
    cs___Update20000101Startup,
    cs___Update20240402Startup,
};

// Shutdown undoes start-up from the update classes on, in reverse order.
const Step shutdownSteps[] = {
    cs___Update20240402Shutdown,
    cs___Update20000101Shutdown,
    cs___SchedulerCsShutdown,
    cs___ModuleCsShutdown,
    cs___StubCsShutdown,
    cs___WrappedCsShutdown,
    cs___ConditionCsShutdown,
    cs___StartupCompleteShutdown,
    cs___ConfigShutdown,
    cs___ControlTerminateDbShutdown,
    cs___UpdateTableShutdown,
    cs___ModuleTableShutdown,
    cs___SortTableShutdown,
    cs___ObjectTableShutdown,
    cs___UpdateObjectShutdown,
    cs___UpdateShutdown,
};

// Final release undoes the enumerations and the reporter's state.
const Step finalReleaseSteps[] = {
    cs___WrappedModeShutdown,
    cs___SchedulerScheduleFlagsShutdown,
    cs___SchedulerIntervalShutdown,
    cs___ConditionRuleOperatorShutdown,
    cs___ConditionRulesetOperatorShutdown,
    cs___StatusItemTypeShutdown,
    cs___StatusReporterShutdown,
};

PB_BOOL startup() {
    moduleTrStream = nullptr;
    moduleStatusReporter = nullptr;
    moduleRegion = nullptr;
    moduleUpdateSignal = nullptr;
    moduleOptions = nullptr;

    moduleTrStream = trStreamCreateCstr("cs", -1);
    auto anchor = pb::adopt(trAnchorCreate(moduleTrStream, 9));
    cs___StatusReporterStartup();
    moduleStatusReporter = csStatusReporterCreate(anchor.get());
    moduleRegion = pbRegionCreate();
    moduleUpdateSignal = pbSignalCreate();

    auto identifier = pb::adopt(pbIdentifierCreate());
    auto defaults = pb::adopt(csOptionsCreate(identifier.get()));
    csModuleSetOptions(defaults.get());

    for (Step step : startupSteps) step();
    return PB_TRUE;
}

void halt() { cs___ObjectTableHalt(); }

void shutdown() {
    for (Step step : shutdownSteps) step();
    pb::RegionExclusiveGuard guard(moduleRegion);
    pbObjRelease(csOptionsObj(moduleOptions));
    moduleOptions = nullptr;
    pbObjRelease(csStatusReporterObj(moduleStatusReporter));
    moduleStatusReporter = nullptr;
}

void finalRelease() {
    for (Step step : finalReleaseSteps) step();
    pb::releaseField(moduleTrStream);
    pb::releaseField(moduleStatusReporter);
    pb::releaseField(moduleRegion);
    pb::releaseField(moduleUpdateSignal);
    pb::releaseField(moduleOptions);
}

}  // namespace

PB_MODULE_DEFINE(cs___module, &cs___module_record, startup, halt, shutdown, finalRelease);

extern "C" PB_EXPORT PB_MODULE* csModule(void) { return &cs___module; }

extern "C" PB_EXPORT CS_OPTIONS* csModuleOptions(void) {
    pb::RegionSharedGuard guard(moduleRegion);
    return csOptionsRetain(moduleOptions);
}

// Installs new options, mirrors them into the trace stream and the status
// item, and tells the watchers, all under the region held exclusively.
extern "C" PB_EXPORT void csModuleSetOptions(CS_OPTIONS* opt) {
    PB_ASSERT(opt);
    pb::RegionExclusiveGuard guard(moduleRegion);
    if (opt == moduleOptions) return;
    pb::setField(moduleOptions, opt);

    auto identifier = pb::adopt(csOptionsSystemIdentifier(opt));
    auto identifierText = pb::adopt(pbIdentifierString(identifier.get()));
    trStreamSetPropertyCstrString(moduleTrStream, "csSystemIdentifier", -1, identifierText.get());
    if (auto comment = pb::adopt(csOptionsComment(opt)))
        trStreamSetPropertyCstrString(moduleTrStream, "csComment", -1, comment.get());
    csStatusReporterSetItemCstrBool(moduleStatusReporter, "csMaintenanceModeActive", -1,
                                    csOptionsMaintenanceMode(opt));

    cs::assertUpdate(moduleUpdateSignal);
}

extern "C" PB_EXPORT PB_BOOL csModuleMaintenanceModeActive(void) {
    pb::RegionSharedGuard guard(moduleRegion);
    return csOptionsMaintenanceMode(moduleOptions);
}

extern "C" PB_EXPORT void csModuleUpdateAddSignalable(PB_SIGNALABLE* signalable) {
    pb::RegionSharedGuard guard(moduleRegion);
    pbSignalAddSignalable(moduleUpdateSignal, signalable);
}

extern "C" PB_EXPORT void csModuleUpdateDelSignalable(PB_SIGNALABLE* signalable) {
    pb::RegionSharedGuard guard(moduleRegion);
    pbSignalDelSignalable(moduleUpdateSignal, signalable);
}

extern "C" PB_EXPORT CS_STATUS* csModuleCsStatus(void) { return csStatusReporterStatus(moduleStatusReporter); }

extern "C" PB_EXPORT TR_STREAM* cs___ModuleTrStream(void) {
    if (!moduleTrStream || moduleTrStream == reinterpret_cast<TR_STREAM*>(~uintptr_t(0))) return nullptr;
    return trStreamRetain(moduleTrStream);
}
