#include "platform/net/TransferMessages.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace TransferMessages {
namespace {

constexpr std::string_view kRequestFormat = "tivora-transfer-request 1\n";
constexpr std::string_view kReplyFormat = "tivora-transfer-reply 1\n";
// Room for the field names, lengths and numbers around a reply's body and error.
constexpr std::size_t kReplyFrame = 256;
// No number of a message needs more digits; fewer than overflow any of the types they go to.
constexpr std::size_t kMaxDigits = 18;

void Put(std::string& out, std::string_view name, std::string_view value) {
    out.append(name);
    out += ' ';
    out += std::to_string(value.size());
    out += '\n';
    out.append(value);
    out += '\n';
}

std::optional<long long> Number(std::string_view text) {
    long long value = 0;
    if (text.empty() || text.size() > kMaxDigits ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Takes a message apart field by field; the first thing out of place spoils it.
class Reader {
public:
    Reader(std::string_view bytes, std::string_view format) : rest_(bytes) {
        ok_ = rest_.starts_with(format);
        rest_.remove_prefix(ok_ ? format.size() : rest_.size());
    }

    std::string_view Field(std::string_view name) {
        if (!ok_ || !rest_.starts_with(name) || rest_.size() <= name.size() ||
            rest_[name.size()] != ' ') {
            return Fail();
        }
        rest_.remove_prefix(name.size() + 1);
        const std::size_t end = rest_.find('\n');
        const std::optional<long long> length =
            Number(rest_.substr(0, end == std::string_view::npos ? 0 : end));
        if (!length) {
            return Fail();
        }
        rest_.remove_prefix(end + 1);
        const auto size = static_cast<std::size_t>(*length);
        if (size >= rest_.size() || rest_[size] != '\n') {
            return Fail();
        }
        const std::string_view value = rest_.substr(0, size);
        rest_.remove_prefix(size + 1);
        return value;
    }

    std::optional<long long> NumberField(std::string_view name) {
        std::optional<long long> value = Number(Field(name));
        if (!value) {
            Fail();
        }
        return value;
    }

    // Whether every field was read and nothing follows.
    bool Done() const { return ok_ && rest_.empty(); }

private:
    std::string_view Fail() {
        ok_ = false;
        rest_ = {};
        return {};
    }

    std::string_view rest_;
    bool ok_ = false;
};

}  // namespace

std::string EncodeRequest(const Request& request) {
    std::string out(kRequestFormat);
    Put(out, "method", request.method == Request::Method::kPost ? "POST" : "GET");
    Put(out, "address", request.address);
    Put(out, "user-agent", request.userAgent);
    Put(out, "content-type", request.contentType);
    Put(out, "body", request.body);
    Put(out, "connect-timeout", std::to_string(request.connectTimeoutSeconds));
    Put(out, "transfer-timeout", std::to_string(request.transferTimeoutSeconds));
    Put(out, "max-body", std::to_string(request.maxBodySize));
    return out;
}

std::optional<Request> DecodeRequest(std::string_view bytes) {
    if (bytes.size() > kMaxRequest) {
        return std::nullopt;
    }
    Reader reader(bytes, kRequestFormat);
    Request request;
    const std::string_view method = reader.Field("method");
    request.method = method == "POST" ? Request::Method::kPost : Request::Method::kGet;
    request.address = reader.Field("address");
    request.userAgent = reader.Field("user-agent");
    request.contentType = reader.Field("content-type");
    request.body = reader.Field("body");
    const std::optional<long long> connect = reader.NumberField("connect-timeout");
    const std::optional<long long> transfer = reader.NumberField("transfer-timeout");
    const std::optional<long long> maxBody = reader.NumberField("max-body");
    if (!reader.Done() || (method != "GET" && method != "POST") ||
        *connect > std::numeric_limits<long>::max() ||
        *transfer > std::numeric_limits<long>::max()) {
        return std::nullopt;
    }
    request.connectTimeoutSeconds = static_cast<long>(*connect);
    request.transferTimeoutSeconds = static_cast<long>(*transfer);
    request.maxBodySize = static_cast<std::size_t>(*maxBody);
    return request;
}

std::string EncodeReply(const Http::Result& result) {
    std::string out(kReplyFormat);
    Put(out, "completed", result.completed ? "1" : "0");
    Put(out, "status", std::to_string(result.status < 0 ? 0 : result.status));
    Put(out, "error", std::string_view(result.error).substr(0, kMaxError));
    Put(out, "body", result.body);
    return out;
}

std::optional<Http::Result> DecodeReply(std::string_view bytes, std::size_t maxBodySize) {
    if (bytes.size() > MaxReplySize(maxBodySize)) {
        return std::nullopt;
    }
    Reader reader(bytes, kReplyFormat);
    Http::Result result;
    const std::string_view completed = reader.Field("completed");
    const std::optional<long long> status = reader.NumberField("status");
    result.error = reader.Field("error");
    result.body = reader.Field("body");
    if (!reader.Done() || (completed != "0" && completed != "1") || *status > 999 ||
        result.error.size() > kMaxError || result.body.size() > maxBodySize) {
        return std::nullopt;
    }
    result.completed = completed == "1";
    result.status = static_cast<long>(*status);
    return result;
}

std::size_t MaxReplySize(std::size_t maxBodySize) {
    constexpr std::size_t kFrame = kReplyFormat.size() + kReplyFrame + kMaxError;
    return maxBodySize > std::numeric_limits<std::size_t>::max() - kFrame
               ? std::numeric_limits<std::size_t>::max()
               : kFrame + maxBodySize;
}

}  // namespace TransferMessages
