// vorlix-config fleet: the group's configuration and hosts in etcd.
//
//   vorlix-config [--json] fleet --fleet URL --group NAME [ACCESS] COMMAND
//     status      the hosts alive in the group: versions, the revision of
//                 the group's configuration each applied, their status
//     get         the group's configuration (the configuration file's form)
//     put FILE    checks FILE, then writes it as the group's configuration
//                 with a compare-and-swap on the revision read before
//     diff FILE   modules and objects added, removed and changed from the
//                 group's configuration to FILE
//
// ACCESS: --fleet-user USER (password from --fleet-password-file FILE or
// VORLIX_FLEET_PASSWORD), --fleet-cacert, --fleet-cert, --fleet-key FILE.
//
// Exit status: 0 fine (diff: no difference), 1 diff: they differ; get:
// the group holds none; put: the file has entries apply would skip or
// another writer came first, 2 bad options, a file that cannot be used or
// etcd unreachable.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "../common/etcd_access_options.h"

namespace vorlix::tools {

class FleetCommand {
public:
    // Adds the subcommand "fleet" with its options to app.
    void add(CLI::App& app);
    bool parsed() const { return command_ && command_->parsed(); }
    int run(bool json);

private:
    int status(bool json);
    int get();
    int put(bool json);
    int diff(bool json);

    CLI::App* command_ = nullptr;
    CLI::App *status_ = nullptr, *get_ = nullptr, *put_ = nullptr, *diff_ = nullptr;
    std::string url_, group_, file_;
    EtcdAccessOptions etcd_;
};

}  // namespace vorlix::tools
