// The configuration cycle of the host: load, migrate and apply at start
// and on reload, gather and save, and what an operator must be told about
// it.
//
// Nothing an operator wrote disappears in silence: entries that apply
// passes over are named with the reason; the "modules" entries of modules
// that are not loaded in this run are written back unchanged by every
// save; and when a save would still drop something the loaded file held, a
// copy of the configuration as loaded is kept beside the new files first.
// A save never writes over a main file that changed on disk since the host
// last read or wrote it (an operator's edit not reloaded yet, or one that
// did not load): the running configuration goes to cs-unsaved.vqconfig
// instead, and the operator is told.
#pragma once

#include <string>

#include "pb/pb_ref.hpp"
#include "pb/pb_store.h"

namespace vorlix::host {

class HostConfiguration {
public:
    // configDir may be empty (no files: nothing is loaded from or saved to
    // a directory); initialFile is read when the directory holds none.
    HostConfiguration(std::string configDir, std::string initialFile);

    // Loads, migrates and applies at start. False (after saying why) when
    // the host cannot go on.
    bool loadAtStart();
    // SIGHUP: loads the files again and applies them, logging the objects
    // created, reconfigured, replaced and deleted. On failure the running
    // configuration stays as it is and false is returned.
    bool reload();
    // Migrates and applies config as a reload does, logging each change
    // prefixed with what ("reload", "fleet") and naming source.
    void applyReported(PB_STORE* config, const std::string& source, const std::string& what);
    // config with the saved entries of modules not loaded in this run.
    pb::Ref<PB_STORE> withModulesNotLoaded(PB_STORE* config);
    // Saves the latest configuration (gathering first when asked). Does
    // nothing without a configuration directory. False when writing failed
    // or the main file changed on disk since it was last read or written.
    bool save(bool gather);

    // The version of the configuration that the last save wrote.
    long long savedVersion() const { return savedVersion_; }
    bool hasDirectory() const { return !configDir_.empty(); }

private:
    // The configuration stored in the files (or the initial file), or null
    // when there is none; *failed when a file exists but cannot be used.
    // *source names where it came from. fallback: a broken main file may
    // be replaced by the backup (at start only).
    pb::Ref<PB_STORE> read(std::string* source, bool* failed, bool fallback);
    // Migrates and applies config; reports what apply passes over.
    void apply(PB_STORE* config);
    // Adds the module entries of modules not loaded now to config.
    void keepModulesNotLoaded(pb::Ref<PB_STORE>& config);
    // Names of what the last loaded configuration held that config lacks.
    std::string dropped(PB_STORE* config);

    // One version of a file on disk: a save replaces the file (a new
    // inode), an edit in place changes its size or modification time.
    struct FileStamp {
        bool exists = false;
        unsigned long long device = 0, inode = 0, size = 0;
        long long mtimeNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const std::string& file);
    std::string mainFile() const { return configDir_ + "/cs.vqconfig"; }

    std::string configDir_, initialFile_;
    // Whether the main file still holds what the host last read or wrote:
    // the same stamp, or (after a copy or a touch) the same configuration.
    bool mainUnchanged() const;

    FileStamp mainStamp_;        // the main file as last read or written
    pb::Ref<PB_STORE> mainContent_;  // ... and what it held then (null: none)
    pb::Ref<PB_STORE> loaded_;   // the last configuration loaded, migrated
    pb::Ref<PB_STORE> original_; // the same as it was read, before migration
    bool copyKept_ = false;      // a copy of original_ is on disk
    long long savedVersion_ = 0;
};

}  // namespace vorlix::host
