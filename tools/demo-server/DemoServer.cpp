#include "DemoServer.h"

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

const char* kStyle =
    "<style>body{background:#363636;color:#eee;font-family:Tahoma,'DejaVu Sans',sans-serif;"
    "margin:0;padding:24px}h1{color:#f39c12}button{background:#f39c12;border:0;color:#222;"
    "font-size:16px;margin:6px;padding:10px 18px;border-radius:4px;cursor:pointer}"
    "iframe{border:2px solid #f39c12;width:100%;height:70vh;background:#555}</style>";

}  // namespace

DemoServer::DemoServer(DemoRelease release, std::map<std::string, DemoGame> games,
                       std::function<void(const std::string&)> print)
    : release_(std::move(release)), games_(std::move(games)), print_(std::move(print)) {
    Routes();
}

std::string DemoServer::SlugOf(const std::string& address) {
    const std::string marker = "/games/";
    std::string::size_type at = address.find(marker);
    if (at == std::string::npos) {
        return {};
    }
    std::string slug = address.substr(at + marker.size());
    const std::string suffix = ".html";
    if (slug.size() <= suffix.size() ||
        slug.compare(slug.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return {};
    }
    slug.resize(slug.size() - suffix.size());
    return slug.find('/') == std::string::npos ? slug : std::string();
}

std::string DemoServer::ManifestXml() const {
    const std::string url = release_.url.empty()
                                ? "http://127.0.0.1:" + std::to_string(port_) + "/download.html"
                                : release_.url;
    return "<?xml version=\"1.0\"?>\r\n<toolbar_manifest>\r\n"
           "  <product_version>" +
           release_.version +
           "</product_version>\r\n"
           "  <merchant_build>" +
           release_.build +
           "</merchant_build>\r\n"
           "  <description>" +
           release_.description +
           "</description>\r\n"
           "  <url>" +
           url +
           "</url>\r\n"
           "  <date>" +
           release_.date +
           "</date>\r\n"
           "</toolbar_manifest>\r\n";
}

std::string DemoServer::GamePage(const std::string& slug) const {
    const DemoGame& game = games_.at(slug);
    std::string page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" +
                       Escape(game.name) + "</title>" + kStyle + "</head><body><h1>" +
                       Escape(game.name) + "</h1><p>" + Escape(game.extraText) + "</p>";
    if (game.controlled) {
        page +=
            "<p>This game runs in a window that Tivora drives.</p>"
            "<iframe name=\"flash\" src=\"/games/" +
            slug + "/flash.html\"></iframe>";
    } else {
        page += "<p>A demo game page served by tivora-demo-server.</p>";
    }
    return page + "</body></html>";
}

std::string DemoServer::FlashFrame(const std::string& slug) const {
    const DemoGame& game = games_.at(slug);
    const std::string casino = "http://127.0.0.1:" + std::to_string(port_) + "/casino.html";
    // The page's own functions, for when nobody answers them.
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + std::string(kStyle) +
           "<script>"
           "function CloseGame(){document.getElementById('state').textContent='The game asked "
           "to close.';window.top.close();}"
           "function goCasino(url){window.top.location.href=url;}"
           "</script></head><body><h1>" +
           Escape(game.name) +
           "</h1>"
           "<p id=\"state\">Playing for fun.</p>"
           "<button id=\"close\" onclick=\"CloseGame()\">Close game</button>"
           "<button id=\"real\" onclick=\"goCasino('" +
           casino +
           "')\">Play for real</button>"
           "</body></html>";
}

std::string DemoServer::SearchPage(const std::string& terms, const std::string& affiliate) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Search: " + Escape(terms) +
           "</title>" + kStyle + "</head><body><h1>Results for <span id=\"terms\">" +
           Escape(terms) + "</span></h1><p>Affiliate code: <span id=\"affiliate\">" +
           Escape(affiliate.empty() ? "none" : affiliate) +
           "</span></p><p>The demo search finds nothing.</p></body></html>";
}

void DemoServer::Routes() {
    server_.Get("/manifest.xml", [this](const httplib::Request&, httplib::Response& r) {
        print_("GET /manifest.xml");
        r.set_content(ManifestXml(), "text/xml");
    });
    server_.Post("/register", [this](const httplib::Request& q, httplib::Response& r) {
        print_("POST /register " + q.body);
        r.set_content("OK", "text/plain");
    });
    server_.Get(R"(/games/([^/]+)\.html)", [this](const httplib::Request& q, httplib::Response& r) {
        const std::string slug = q.matches[1];
        if (games_.count(slug) == 0) {
            r.status = 404;
            return;
        }
        r.set_content(GamePage(slug), "text/html; charset=utf-8");
    });
    server_.Get(R"(/games/([^/]+)/flash\.html)",
                [this](const httplib::Request& q, httplib::Response& r) {
                    const std::string slug = q.matches[1];
                    if (games_.count(slug) == 0 || !games_.at(slug).controlled) {
                        r.status = 404;
                        return;
                    }
                    r.set_content(FlashFrame(slug), "text/html; charset=utf-8");
                });
    server_.Get("/casino.html", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(std::string("<!DOCTYPE html><html><head><title>Play for real</title>") +
                          kStyle +
                          "</head><body><h1>Play for real</h1><p>The demo's "
                          "real-money lobby, opened in a plain browser window.</p></body></html>",
                      "text/html; charset=utf-8");
    });
    // The search service: its home page, and a results page that shows what was asked.
    server_.Get("/", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(std::string("<!DOCTYPE html><html><head><title>Nuvexa Search</title>") +
                          kStyle +
                          "</head><body><h1>Nuvexa Search</h1><p>The demo's search "
                          "service. Type a query in the bar's search box.</p></body></html>",
                      "text/html; charset=utf-8");
    });
    server_.Get("/search/search.php", [this](const httplib::Request& q, httplib::Response& r) {
        print_("GET /search/search.php Terms=" + q.get_param_value("Terms") +
               " affiliate=" + q.get_param_value("affiliate"));
        r.set_content(SearchPage(q.get_param_value("Terms"), q.get_param_value("affiliate")),
                      "text/html; charset=utf-8");
    });
    server_.Get("/download.html", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(std::string("<!DOCTYPE html><html><head><title>Get Tivora</title>") + kStyle +
                          "</head><body><h1>Tivora</h1><p>The demo's download "
                          "page.</p></body></html>",
                      "text/html; charset=utf-8");
    });
}

bool DemoServer::Bind(const std::string& host, int port) {
    port_ = port;
    // The library's default adds SO_REUSEPORT, with which a second server on a port already
    // served binds as well and takes a share of its requests. SO_REUSEADDR alone still lets a
    // server start again at once on the port that the last one left.
    server_.set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    return server_.bind_to_port(host, port);
}

bool DemoServer::Listen() {
    return server_.listen_after_bind();
}
