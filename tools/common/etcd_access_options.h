// The command-line options of vorlix-host and vorlix-config fleet that say
// how to reach etcd: a user (its password from a file or the environment,
// never from the command line) and the TLS files. Only for programs built
// with CLI11 (and so with exceptions).
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "etcd_client.h"

namespace vorlix::tools {

struct EtcdAccessOptions {
    EtcdAccess access;
    std::string passwordFile;
    // What is wrong with the options given (empty when nothing is); reads
    // the password.
    std::string complete() { return access.complete(passwordFile); }
};

inline void addEtcdAccessOptions(CLI::App& app, EtcdAccessOptions& options) {
    app.add_option("--fleet-user", options.access.user, "log in to etcd as USER")->type_name("USER");
    app.add_option("--fleet-password-file", options.passwordFile,
                   "USER's password: the first line of FILE (else $VORLIX_FLEET_PASSWORD)")
        ->type_name("FILE");
    app.add_option("--fleet-cacert", options.access.caFile, "CA certificate (PEM) to check etcd's certificate with")
        ->type_name("FILE");
    app.add_option("--fleet-cert", options.access.certFile, "client certificate (PEM) for etcd")->type_name("FILE");
    app.add_option("--fleet-key", options.access.keyFile, "the client certificate's key (PEM)")->type_name("FILE");
}

}  // namespace vorlix::tools
