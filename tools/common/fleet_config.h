// What the hosts of a group and vorlix-config agree on about the group's
// keys in etcd and the form of the configuration kept there.
//
//   vorlix/fleet/GROUP/config        the configuration file's bytes
//   vorlix/fleet/GROUP/hosts/MEMBER  one host's identity and status (JSON),
//                                    attached to the host's lease
//
// Some values belong to a host and not to its group: the system
// identifier of the module "cs", and (unless the group is told to hold
// them) private data. The group's form leaves them out; a host puts its
// own back in before it applies the group's configuration.
#pragma once

#include <string>

#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"

namespace vorlix::tools {

// Group names: letters, digits, '.', '_' and '-', 1 to 64 of them.
bool fleetGroupNameOk(const std::string& group);
std::string fleetConfigKey(const std::string& group);
std::string fleetHostsPrefix(const std::string& group);
std::string fleetHostKey(const std::string& group, const std::string& member);

// The configuration as stored in the group's key: the encoded store with
// the "CS_CONFIG" header, as a configuration file holds it.
std::string encodeConfig(PB_STORE* config);
// The store of a group's key, or null with *error set.
pb::Ref<PB_STORE> decodeConfig(const std::string& bytes, std::string* error);

// config without the values that belong to one host (the system
// identifier of "cs").
pb::Ref<PB_STORE> withoutHostValues(PB_STORE* config);
// What full holds that reduced lacks, for every entry: the host's own
// values, kept to be put back with keepHostValues.
pb::Ref<PB_STORE> hostValues(PB_STORE* full, PB_STORE* reduced);
// config with the values of kept added where config lacks them, inside
// the module and object entries that config has (an entry the group
// removed stays removed).
pb::Ref<PB_STORE> keepHostValues(PB_STORE* config, PB_STORE* kept);

}  // namespace vorlix::tools
