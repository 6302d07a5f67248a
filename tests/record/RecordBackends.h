#pragma once
// The two databases the production record runs on, for tests that must hold
// on both: a SQLite file in a temporary folder, and a database of its own on
// a real PostgreSQL server that the test program starts once.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "record/RecordUrl.h"
#include "tests/support/PostgresServer.h"

namespace km640::testing {

enum class Backend { Sqlite, Postgres };

inline std::string backendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "SQLite" : "PostgreSQL";
}

// The server, started at the first test that needs it and stopped when the
// test program ends.
class SharedPostgres : public ::testing::Environment {
public:
    static PostgresServer* server() {
        if (!instance_) return nullptr;
        if (!instance_->tried_) {
            instance_->tried_ = true;
            instance_->found_ = PostgresServer::findPrograms().has_value();
            if (instance_->found_) instance_->started_ = instance_->server_.start();
        }
        return &instance_->server_;
    }
    // Skips when the server programs are not installed at all; any other
    // failure to start is a failure.
    static bool usable() {
        PostgresServer* s = server();
        return s && instance_->found_ && instance_->started_;
    }
    static bool missing() { return server() && !instance_->found_; }
    static void install() { instance_ = static_cast<SharedPostgres*>(::testing::AddGlobalTestEnvironment(new SharedPostgres)); }
    void TearDown() override { server_.stop(); }

private:
    static inline SharedPostgres* instance_ = nullptr;
    PostgresServer server_;
    bool tried_ = false;
    bool found_ = false;
    bool started_ = false;
};

// A fresh, empty record on the backend; "" with a failure recorded. Tests
// skip PostgreSQL first when it is not installed (KM640_SKIP_WITHOUT_POSTGRES).
inline std::string freshRecordUrl(Backend backend, const std::filesystem::path& folder) {
    if (backend == Backend::Sqlite) return (folder / "km640-production.sqlite").string();
    PostgresServer* server = SharedPostgres::server();
    if (!SharedPostgres::usable()) {
        ADD_FAILURE() << "the PostgreSQL server did not start: " << server->error();
        return {};
    }
    static int counter = 0;
    const std::string name = "record" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    if (!server->createDatabase(name)) {
        ADD_FAILURE() << "createdb " << name << " failed";
        return {};
    }
    return server->url(name);
}

#define KM640_SKIP_WITHOUT_POSTGRES(backend)                                                                      \
    do {                                                                                                          \
        if ((backend) == ::km640::testing::Backend::Postgres && ::km640::testing::SharedPostgres::missing())      \
            GTEST_SKIP() << "PostgreSQL server programs (initdb, pg_ctl) are not installed; scripts/deps.sh "     \
                            "installs them";                                                                      \
    } while (false)

}  // namespace km640::testing
