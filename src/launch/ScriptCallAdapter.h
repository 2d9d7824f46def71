#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One argument of a call that a game page's script made: text, or a value of another kind
// (number, object, function...), of which only its kind is known.
struct ScriptArgument {
    bool isText = false;
    std::string text;      // when isText
    std::string kind;      // the script's typeof otherwise
    bool tooLong = false;  // text longer than the page passes on (kind is "string")
};
using ScriptArguments = std::vector<ScriptArgument>;  // in the order the script passed them

// What a call gives back to the script; the handlers give nothing (the script sees undefined).
struct ScriptResult {};

// What the page's replaced script functions call back into: a call is handed to one handler
// of its controller, whatever member was asked for. The controller owns its adapters and
// detaches them before it goes.
class ScriptCallAdapter {
public:
    using Handler =
        std::function<void(int memberId, const ScriptArguments& arguments, ScriptResult* result)>;

    explicit ScriptCallAdapter(Handler handler) : handler_(std::move(handler)) {}

    // Calls the handler unless detached. Always succeeds towards the page.
    void Invoke(int memberId, const ScriptArguments& arguments, ScriptResult* result);

    // From now on calls go nowhere.
    void Detach() { handler_ = nullptr; }

private:
    Handler handler_;
};

// A call as a page's replaced function reports it through the browser: which adapter, with
// which arguments. The payload comes from the page and is not trusted.
struct ScriptCall {
    std::string key;  // the secret of the controller that installed the adapter
    std::string adapter;
    ScriptArguments arguments;
};

// Reads a call's payload; nullopt with the reason in error when it is not one.
std::optional<ScriptCall> ReadScriptCall(const std::string& payload, std::string* error);

// The longest text argument (in script characters) that an adapter passes on; a longer one is
// reported as too long, without its text. An address is at most 2083 bytes anyway.
constexpr std::size_t kMaxScriptText = 4096;

// Payloads longer than this are refused unread: more than an adapter ever sends, with every
// character of its text written as a six-byte escape.
constexpr std::size_t kMaxScriptCallSize = 32 * 1024;
