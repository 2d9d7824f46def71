#pragma once

#include <httplib.h>

#include <functional>
#include <map>
#include <string>

// The maker's servers in miniature, for trying the program out on this machine: the update
// manifest, the registration address, the demo game pages of a catalogue and the search
// service.
struct DemoRelease {
    std::string version;  // product_version
    std::string build;    // merchant_build
    std::string url;      // empty: the server's own download page
    std::string date;
    std::string description;
};

struct DemoGame {
    std::string name;
    std::string extraText;
    bool controlled = false;
};

class DemoServer {
public:
    // games by the slug of their address ("/games/<slug>.html").
    DemoServer(DemoRelease release, std::map<std::string, DemoGame> games,
               std::function<void(const std::string&)> print);

    // Takes host:port; false when the port cannot be had.
    bool Bind(const std::string& host, int port);
    // Serves until Stop.
    bool Listen();
    void Stop() { server_.stop(); }
    bool IsListening() const { return server_.is_running(); }

    // The slug of a game address: its last path segment without ".html"; empty when the
    // address is not a game page's.
    static std::string SlugOf(const std::string& address);

    std::string ManifestXml() const;
    std::string GamePage(const std::string& slug) const;
    std::string FlashFrame(const std::string& slug) const;
    // The search results page: the decoded terms and the affiliate code ("none" without one).
    static std::string SearchPage(const std::string& terms, const std::string& affiliate);

private:
    void Routes();

    httplib::Server server_;
    DemoRelease release_;
    std::map<std::string, DemoGame> games_;
    std::function<void(const std::string&)> print_;
    int port_ = 0;
};
