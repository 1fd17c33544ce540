// The host as a member of a group whose configuration is kept in etcd.
//
// At start the group's configuration is read and applied over the local
// one (when etcd does not answer, the host runs on its local files and
// says so; when the group has none yet, this host's becomes the group's).
// A watch thread follows the group's key and wakes the service loop,
// which applies every new revision as a reload does. A change made on
// this host (an apply from a module, a reload) is written back with a
// compare-and-swap on the revision this host last applied: when another
// host wrote first, this host's change is dropped, the group's applied
// and the conflict reported. A change made while etcd does not answer is
// written once it does, on the same revision: an outage never turns a
// change based on an old configuration into one that wins. The local files keep being saved by the
// service, so they stay the host's copy of what it last applied.
//
// A lease thread publishes the host's identity and status under the
// group, attached to a lease it keeps alive; when the host dies the entry
// goes with the lease.
//
// Values that belong to the host (its system identifier, and private data
// unless the group holds it) are left out of what is written and put back
// from the host's own configuration before the group's is applied.
#pragma once

#include <CLI/CLI.hpp>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "../common/etcd_access_options.h"
#include "../common/etcd_client.h"
#include "host_configuration.h"
#include "host_service.h"
#include "pb/pb_signalable.h"

namespace vorlix::host {

struct FleetOptions {
    std::string url, group, member;
    tools::EtcdAccessOptions etcd;
    bool includePrivateData = false;
    long long leaseSeconds = 10;
};

// The host's --fleet, --group, --fleet-member, --fleet-private,
// --fleet-lease-s options and those of etcd's user and TLS files, and
// what is wrong with them when given
// (empty when nothing is; runOnce: the host runs once, not as a service).
void addFleetOptions(CLI::App& app, FleetOptions& options);
std::string fleetOptionsProblem(FleetOptions& options, bool runOnce);

class FleetMember {
public:
    FleetMember(FleetOptions options, HostConfiguration& configuration);
    ~FleetMember();
    FleetMember(const FleetMember&) = delete;
    FleetMember& operator=(const FleetMember&) = delete;

    // After the local configuration is applied: takes the group's, then
    // starts following it and publishing this host; wakes come through
    // the service's loop. False when the descriptors could not be made.
    bool start(HostService& service);
    // Withdraws this host from the group and stops the threads.
    void stop();

private:
    static void configChanged(void* self);
    void wake();
    void onWake();
    void onLocalChange();
    // Writes a change that waited for etcd, else reads the group's key and
    // applies a revision not applied yet.
    void sync();
    // Applies the write the watch saw, or reads the key when there is none.
    void follow();
    void applyGroup(const tools::EtcdKv& kv);
    // Writes this host's configuration when it differs from the group's,
    // if the group still holds revision based (-1: the one applied last; a
    // change waiting for etcd keeps the oldest base). True when etcd took
    // the write or refused it (the group's then applied); false when there
    // was nothing to write or etcd did not answer (pendingWrite_).
    bool writeBack(long long based = -1);
    // Remembers that the configuration's current version holds revision.
    void holds(long long revision);
    pb::Ref<PB_STORE> fullConfig();
    // The running configuration in the group's form: built once for each
    // revision applied or written (baseline_), as it reads every object.
    pb::Ref<PB_STORE> groupStore();
    // What the running configuration holds beyond the group's form (the
    // host's own values), kept while the configuration does not change.
    pb::Ref<PB_STORE> hostValues();
    std::string hostDocument();
    void watchLoop();
    void leaseLoop();
    // Waits up to ms or until stop; true when stopping.
    bool pause(long long ms);

    FleetOptions options_;
    HostConfiguration& configuration_;
    std::string configKey_, hostKey_, versions_, hostName_;
    tools::EtcdClient client_;  // the service loop's
    int wakeFd_ = -1, changeFd_ = -1;
    PB_SIGNALABLE* signalable_ = nullptr;
    pb::Ref<PB_STORE> baseline_;  // the group's form of what was last applied or written
    long long baselineVersion_ = -1;  // the configuration's version then
    pb::Ref<PB_STORE> hostValues_;    // see hostValues()
    long long hostValuesVersion_ = -1;
    // The revision each configuration version held, to know which one the
    // saved files (and so an operator's edit of them) are based on.
    std::map<long long, long long> revisionAtVersion_;
    bool reloaded_ = false;       // the next local change is a reload
    bool pendingWrite_ = false;   // a local change waits for etcd...
    long long pendingBase_ = 0;   // ...to be written if the group still holds this
    std::atomic<long long> appliedRevision_{0};
    std::atomic<int> conflicts_{0};
    std::atomic<bool> reachable_{false};
    std::optional<tools::EtcdKv> watched_;  // the latest write the watch saw; under mutex_
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::atomic<bool> stopFlag_{false};
    std::thread watcher_, leaser_;
};

}  // namespace vorlix::host
