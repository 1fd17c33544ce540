// Saving survives failures and crashes: an injected failure at any step of
// writing or reading either file, and a saving process killed at any
// moment, leave files that load as the old or the new configuration,
// never an error or a mixture of both.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <random>
#include <string>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cs/config/cs_config_store.h"
#include "pb/pb.h"
#include "pb/pb_path.h"
#include "pb/pb_ref.hpp"
#include "pb/pb_runtime.h"
#include "support/cs_fixture.hpp"

namespace {

using pb::adopt;
using Store = pb::Ref<PB_STORE>;

bool longRun() {
    const char* v = std::getenv("VORLIX_LONG_TESTS");
    return v && *v && std::string(v) != "0";
}

class CsConfigStoreCrash : public vtest::CsModuleTest {
protected:
    std::string dir;

    void SetUp() override {
        vtest::CsModuleTest::SetUp();
        // A kill loses no write that reached the kernel, so a folder in
        // memory serves as well as a disk here, and syncs cost nothing.
        std::string tmpl = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/vorlix-crash-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        auto paths = adopt(pbRuntimePathsCreate());
        pbRuntimePathsSetPathCstr(paths.out(), PB_RUNTIME_PATH_CONFIGURATION, dir.c_str(), -1);
        pbRuntimeSetPaths(paths.get());
    }
    void TearDown() override {
        for (int step = 0; step < PB___PATH_FILE_STEP_COUNT; ++step) pb___PathFileFailStep(step, 0, 0);
        std::system(("rm -rf " + dir).c_str());
        vtest::CsModuleTest::TearDown();
    }

    pb::Ref<PB_STRING> path(const char* name) const {
        return adopt(pbStringCreateFromCstr((dir + "/" + name).c_str(), -1));
    }
    // The names of temporary files left in the folder, after removing them.
    std::string takeTemporaryFiles() const {
        std::string names;
        DIR* d = opendir(dir.c_str());
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.find(".tmp-") == std::string::npos) continue;
            names += n.substr(0, n.find(".tmp-")) + " ";
            std::remove((dir + "/" + n).c_str());
        }
        closedir(d);
        return names;
    }

    // A gathered configuration's shape: objects with flags, configuration
    // and meta data; tag makes every object's configuration distinct.
    static Store configuration(PB_INT objects, const char* tag) {
        auto config = adopt(pbStoreCreate());
        auto all = adopt(pbStoreCreate());
        for (PB_INT i = 0; i < objects; ++i) {
            auto entry = adopt(pbStoreCreate());
            pbStoreSetValueCstr(entry.out(), "sort", -1, adopt(pbStringCreateFromCstr("CS_CONDITION", -1)).get());
            pbStoreSetValueBoolCstr(entry.out(), "visible", -1, PB_TRUE);
            pbStoreSetValueBoolCstr(entry.out(), "protected", -1, i % 7 == 0);
            auto options = adopt(pbStoreCreate());
            pbStoreSetValueIntCstr(options.out(), "onHoldTime", -1, i);
            pbStoreSetValueCstr(options.out(), "tag", -1, adopt(pbStringCreateFromCstr(tag, -1)).get());
            pbStoreSetStoreCstr(entry.out(), "config", -1, options.get());
            auto name = adopt(pbStringCreateFromFormatCstr("object %i", -1, i));
            pbStoreSetStore(all.out(), name.get(), entry.get());
        }
        pbStoreSetStoreCstr(config.out(), "objects", -1, all.get());
        pbStoreSetValueCstr(config.out(), "tag", -1, adopt(pbStringCreateFromCstr(tag, -1)).get());
        return config;
    }
    static bool equals(PB_STORE* a, PB_STORE* b) { return a && b && pbStoreEquals(a, b); }

    static void drainEvents(int watch) {
        alignas(inotify_event) char events[4096];
        while (read(watch, events, sizeof events) > 0) {
        }
    }
    // Blocks until a file whose name starts with prefix is created in the
    // watched folder, or the child ends (its end of the pipe closes).
    static void waitForTemporaryFile(int watch, int marks, const std::string& prefix) {
        alignas(inotify_event) char events[4096];
        pollfd fds[2] = {{watch, POLLIN, 0}, {marks, 0, 0}};  // the pipe: only its end
        for (;;) {
            if (poll(fds, 2, -1) < 0) continue;
            if (fds[1].revents & (POLLHUP | POLLERR)) return;
            ssize_t n = read(watch, events, sizeof events);
            for (ssize_t at = 0; at < n;) {
                auto* e = reinterpret_cast<inotify_event*>(events + at);
                if (e->len && std::string(e->name).rfind(prefix, 0) == 0) return;
                at += ssize_t(sizeof(inotify_event) + e->len);
            }
        }
    }
};

// Each step of writing fails once for the main file, then for the backup:
// the result says whether both files were written, the folder holds no
// temporary file, and a load gives the old configuration when the main
// file failed and the new one otherwise. A failed sync of the folder
// leaves both files written.
TEST_F(CsConfigStoreCrash, InjectedFailureAtEveryStepKeepsTheOldOrTheNew) {
    auto oldConfig = configuration(50, "old"), newConfig = configuration(60, "new");
    int injected = 0;
    for (int step : {PB___PATH_FILE_STEP_OPEN, PB___PATH_FILE_STEP_WRITE, PB___PATH_FILE_STEP_SYNC,
                     PB___PATH_FILE_STEP_RENAME, PB___PATH_FILE_STEP_SYNC_FOLDER}) {
        for (PB_INT file : {0, 1}) {
            SCOPED_TRACE("step " + std::to_string(step) + (file ? " backup" : " main"));
            ASSERT_TRUE(cs___ConfigStoreSave(oldConfig.get()));
            pb___PathFileFailStep(step, file, 1);
            PB_BOOL saved = cs___ConfigStoreSave(newConfig.get());
            pb___PathFileFailStep(step, 0, 0);
            ++injected;
            EXPECT_EQ(takeTemporaryFiles(), "");
            bool folderOnly = step == PB___PATH_FILE_STEP_SYNC_FOLDER;
            EXPECT_EQ(bool(saved), folderOnly);
            auto loaded = adopt(cs___ConfigStoreLoad());
            EXPECT_TRUE(equals(loaded.get(), (file == 1 || folderOnly ? newConfig : oldConfig).get()));
            // The file that failed is gone; the other holds what it held.
            if (!folderOnly) {
                EXPECT_FALSE(pbPathFileExists(path(file ? "cs-backup.vqconfig" : "cs.vqconfig").get()));
                auto other = adopt(cs___ConfigStoreLoadFromFile(path(file ? "cs.vqconfig" : "cs-backup.vqconfig").get()));
                EXPECT_TRUE(equals(other.get(), (file ? newConfig : oldConfig).get()));
            }
        }
    }

    // Reading: the main file holds the new configuration, the backup the old.
    ASSERT_TRUE(cs___ConfigStoreSave(oldConfig.get()));
    ASSERT_TRUE(cs___ConfigStoreSaveToFile(newConfig.get(), path("cs.vqconfig").get()));
    struct { PB_INT pass, count; const Store* expected; } reads[] = {
        {0, 1, &oldConfig}, {1, 1, &newConfig}, {0, 2, nullptr}};
    for (auto& r : reads) {
        pb___PathFileFailStep(PB___PATH_FILE_STEP_READ, r.pass, r.count);
        auto loaded = adopt(cs___ConfigStoreLoad());
        pb___PathFileFailStep(PB___PATH_FILE_STEP_READ, 0, 0);
        injected += int(r.count);
        if (r.expected) EXPECT_TRUE(equals(loaded.get(), r.expected->get())) << r.pass;
        else EXPECT_FALSE(loaded);
    }
    EXPECT_TRUE(equals(adopt(cs___ConfigStoreLoad()).get(), newConfig.get()));
    RecordProperty("faultsInjected", injected);
    std::printf("faults injected: %d\n", injected);
}

// A child process saves two configurations by turns and reports each
// finished save through a pipe; it is killed at a random moment within a
// save, and the load afterwards must give the configuration saved last or
// the one being saved. Temporary files left behind show which write a kill
// interrupted.
TEST_F(CsConfigStoreCrash, KilledWhileSavingLeavesTheLastOrTheNextConfiguration) {
    const int kills = longRun() ? 2000 : 200;
    // Sanitizers make every fork and save several times slower: smaller
    // configurations keep their run within the suite's time.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const PB_INT objects = longRun() ? 10000 : 500;
#else
    const PB_INT objects = longRun() ? 10000 : 2000;
#endif
    Store configs[2] = {configuration(objects, "first"), configuration(objects + 1, "second")};
    Store lastSaved = configuration(10, "before");
    ASSERT_TRUE(cs___ConfigStoreSave(lastSaved.get()));

    std::mt19937_64 random(20261206);
    using Clock = std::chrono::steady_clock;
    Clock::duration saveTime = std::chrono::milliseconds(1);
    unsigned long next = 0;  // index of the next configuration to save
    int duringMain = 0, duringBackup = 0, betweenFiles = 0;
    int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.c_str(), IN_CREATE), 0);
    for (int kill = 0; kill < kills; ++kill) {
        drainEvents(watch);
        int marks[2];
        ASSERT_EQ(pipe(marks), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(marks[0]);
            for (unsigned long i = next;; ++i) {
                if (!cs___ConfigStoreSave(configs[i % 2].get())) _exit(2);
                char done = char(i % 2);
                if (write(marks[1], &done, 1) != 1) _exit(3);
            }
        }
        close(marks[1]);
        // Let zero or one save finish. Then one kill in three comes at a
        // random point of the next save, the others as soon as the
        // temporary file of the main or the backup file appears.
        int waitFor = int(random() % 2);
        Clock::time_point lastMark = Clock::now();
        int finished = 0;
        char c;
        while (finished < waitFor && read(marks[0], &c, 1) == 1) {
            ++finished;
            Clock::time_point now = Clock::now();
            saveTime = now - lastMark;
            lastMark = now;
        }
        if (kill % 3 == 0) {
            auto spin = Clock::duration(Clock::rep(random() % std::max<Clock::rep>(1, saveTime.count())));
            while (Clock::now() - lastMark < spin) {
            }
        } else {
            waitForTemporaryFile(watch, marks[0], kill % 3 == 1 ? "cs.vqconfig.tmp-" : "cs-backup.vqconfig.tmp-");
        }
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed: " << status;
        while (read(marks[0], &c, 1) == 1) ++finished;
        close(marks[0]);

        if (finished > 0) lastSaved = configs[(next + finished - 1) % 2];
        next += finished;
        std::string temporary = takeTemporaryFiles();
        duringMain += temporary.find("cs.vqconfig") != std::string::npos;
        duringBackup += temporary.find("cs-backup.vqconfig") != std::string::npos;
        auto main = adopt(pbPathFileReadBuffer(path("cs.vqconfig").get()));
        auto backup = adopt(pbPathFileReadBuffer(path("cs-backup.vqconfig").get()));
        betweenFiles += main && backup && !pbBufferEquals(main.get(), backup.get());

        auto loaded = adopt(cs___ConfigStoreLoad());
        ASSERT_TRUE(loaded) << "kill " << kill;
        ASSERT_TRUE(equals(loaded.get(), lastSaved.get()) || equals(loaded.get(), configs[next % 2].get()))
            << "kill " << kill << ": neither the last saved nor the next configuration";
        // What loads now is what the next child's saves start from.
        if (!equals(loaded.get(), lastSaved.get())) {
            lastSaved = configs[next % 2];
            ++next;
        }
    }
    close(watch);
    RecordProperty("kills", kills);
    RecordProperty("killsDuringMainWrite", duringMain);
    RecordProperty("killsDuringBackupWrite", duringBackup);
    std::printf("kills survived: %d (during the main write %d, during the backup write %d, "
                "main and backup differing %d)\n",
                kills, duringMain, duringBackup, betweenFiles);
}

}  // namespace
