// zenta-cli serve ARCHIVE: the archive's pages to any browser, read-only, until Ctrl+C.
#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>

#include "cli/commands.h"
#include "serve/http_server.h"
#include "serve/served_archive.h"
#include "serve/site.h"

namespace zenta::cli {
namespace {

std::string Address(const std::string& bind, std::uint16_t port) {
    std::string host = bind.find(':') != std::string::npos ? "[" + bind + "]" : bind;
    std::string address = "http://" + host + ":" + std::to_string(port) + "/";
    if (bind == "0.0.0.0" || bind == "::") address += " on every address of this machine";
    return address;
}

}  // namespace

void AddServeCommand(CLI::App& app) {
    auto* command = app.add_subcommand("serve", "Serve the archive's pages over HTTP, read-only, until Ctrl+C");
    auto archive = std::make_shared<std::string>();
    auto options = std::make_shared<serve::ServerOptions>();
    auto requestSeconds = std::make_shared<unsigned>(options->limits.requestTime.count());
    auto idleSeconds = std::make_shared<unsigned>(options->limits.idleTime.count());
    command->add_option("ARCHIVE", *archive, "The archive file (a Jet file is converted once into the cache folder)")
        ->required();
    command->add_option("--port", options->port, "The port to listen on (0: any free one)")->capture_default_str();
    command->add_option("--bind", options->bind, "The numeric address to listen on; 0.0.0.0 or :: for every one")
        ->capture_default_str();
    command->add_option("--threads", options->threads, "Threads serving requests (0: one a processor)")
        ->capture_default_str();
    command->add_option("--max-connections", options->limits.connections, "Connections open at once")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    command
        ->add_option("--max-connections-per-client", options->limits.connectionsPerClient,
                     "Connections open at once from one address")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    command->add_option("--request-seconds", *requestSeconds, "Time a client has to send a request's headers")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    command->add_option("--idle-seconds", *idleSeconds, "Time a connection may stay silent")
        ->capture_default_str()
        ->check(CLI::PositiveNumber);
    command->callback([archive, options, requestSeconds, idleSeconds] {
        options->limits.requestTime = std::chrono::seconds(*requestSeconds);
        options->limits.idleTime = std::chrono::seconds(*idleSeconds);
        serve::ServedArchive served = serve::PrepareServedArchive(*archive, [](int64_t copied, int64_t total) {
            std::cerr << "\rConverting the Jet file: " << copied << " / " << total << " rows" << std::flush;
        });
        if (served.converted) std::cerr << "\nServing the converted copy " << served.path << "\n";
        serve::Site site(served.path);
        // The server's threads inherit the blocked signals, so that this thread alone takes them.
        sigset_t stop;
        sigemptyset(&stop);
        sigaddset(&stop, SIGINT);
        sigaddset(&stop, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stop, nullptr);
        serve::HttpServer server(
            *options, [&site](const serve::Request& request) { return site.Handle(request); }, std::cerr);
        std::cout << "Serving " << *archive << " at " << Address(options->bind, server.port())
                  << " (read-only; Ctrl+C stops)" << std::endl;
        int signal = 0;
        sigwait(&stop, &signal);
        std::cerr << "Stopped.\n";
    });
}

}  // namespace zenta::cli
