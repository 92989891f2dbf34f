#include "platform/http/Request.h"

#include <mutex>

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/http/AnswerEncoding.h"
#include "platform/http/RequestImpl.h"
#include "platform/http/Transfers.h"

namespace kavex::http {

namespace {

// The numbers the request object raises for misuse.
constexpr long kInvalidArgument = -2147024809;  // E_INVALIDARG
constexpr long kWrongState = -1072896750;       // the object is not in the state the call needs
constexpr long kPending = -2147483638;          // E_PENDING: the answer is not there yet

// An answer larger than this is refused rather than held in memory.
constexpr std::size_t kMaximumResponse = 32 * 1024 * 1024;

void initialiseCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& request = *static_cast<Request::Impl*>(user);
    const std::size_t bytes = size * count;
    if (request.response.size() + bytes > kMaximumResponse) {
        request.responseTooLarge = true;
        return 0;  // makes curl stop with a write error
    }
    request.response.append(data, bytes);
    if (request.readyState < 3) {
        request.readyState = 3;
        if (request.async) {
            detail::Transfers::instance().noteStateChange(request);
        }
    }
    return bytes;
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 500 Internal Server Error").
std::size_t readHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& request = *static_cast<Request::Impl*>(user);
    const std::size_t bytes = size * count;
    std::string_view line(data, bytes);
    if (line.starts_with("HTTP/")) {
        std::string_view rest = line.substr(std::min(line.find(' '), line.size()));
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));  // blanks
        rest.remove_prefix(std::min(rest.find(' '), rest.size()));               // the code
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        while (!rest.empty() &&
               (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' ')) {
            rest.remove_suffix(1);
        }
        request.statusText = std::string(rest);
        request.response.clear();  // a new answer (after a redirect) starts over
    }
    return bytes;
}

}  // namespace

std::string_view outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Pending:
            return "Pending";
        case Outcome::Success:
            return "Success";
        case Outcome::HttpError:
            return "HttpError";
        case Outcome::ConnectionRefused:
            return "ConnectionRefused";
        case Outcome::NameNotResolved:
            return "NameNotResolved";
        case Outcome::TimedOut:
            return "TimedOut";
        case Outcome::Aborted:
            return "Aborted";
        case Outcome::Failed:
            return "Failed";
    }
    return "?";
}

// ---- Impl ------------------------------------------------------------------------------------

Request::Impl::Impl() {
    initialiseCurl();
    easy = curl_easy_init();
    if (easy == nullptr) {
        throw base::PlatformError(-2147024882, "Not enough memory to create a request.");
    }
    detail::Transfers::instance().born(*this);
}

Request::Impl::~Impl() {
    detail::Transfers::instance().died(*this);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
}

void Request::Impl::prepare() {
    curl_easy_reset(easy);
    errorBuffer[0] = '\0';
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Each request has a connection of its own, closed when the answer is in: nothing lingers
    // to keep a server (or a test's server) waiting on an idle connection.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    // Chosen by the host: plain on loopback, gzip beyond (libcurl copies the text).
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, std::string(acceptedEncodingFor(url)).c_str());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, readHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
}

void Request::Impl::finish(CURLcode result) {
    readyState = 4;
    if (result == CURLE_OK) {
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        outcome = status >= 200 && status < 300 ? Outcome::Success : Outcome::HttpError;
        error.clear();
        return;
    }
    switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            outcome = Outcome::NameNotResolved;
            break;
        case CURLE_COULDNT_CONNECT:
            outcome = Outcome::ConnectionRefused;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            outcome = Outcome::TimedOut;
            break;
        default:
            outcome = Outcome::Failed;
            break;
    }
    status = 0;
    statusText.clear();
    response.clear();
    error = responseTooLarge ? "The answer is larger than " +
                                   std::to_string(kMaximumResponse / (1024 * 1024)) + " MB."
            : errorBuffer[0] != '\0' ? std::string(errorBuffer)
                                     : std::string(curl_easy_strerror(result));
}

void Request::Impl::notify() {
    if (handler) {
        const std::function<void()> call = handler;  // the handler may replace itself
        call();
    }
}

// ---- Request ---------------------------------------------------------------------------------

Request::Request() : impl_(std::make_unique<Impl>()) {}
Request::~Request() = default;

void Request::open(std::string_view method, std::string_view url, bool async) {
    if (!base::equalsIgnoringCase(method, "GET")) {
        throw base::PlatformError(kInvalidArgument, "Only GET requests are supported, not \"" +
                                                        std::string(method) + "\".");
    }
    const std::string address(url);
    CURLU* parsed = curl_url();
    const CURLUcode rc = curl_url_set(parsed, CURLUPART_URL, address.c_str(), 0);
    char* scheme = nullptr;
    if (rc == CURLUE_OK) {
        curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0);
    }
    const std::string schemeText = scheme != nullptr ? scheme : "";
    curl_free(scheme);
    curl_url_cleanup(parsed);
    if (rc != CURLUE_OK || (schemeText != "http" && schemeText != "https")) {
        throw base::PlatformError(kInvalidArgument,
                                  "The address \"" + address + "\" is not an http or https URL.");
    }
    abort();
    Impl& r = *impl_;
    curl_slist_free_all(r.headers);
    r.headers = nullptr;
    r.url = address;
    r.async = async;
    r.readyState = 1;
    r.sent = false;
    r.status = 0;
    r.statusText.clear();
    r.response.clear();
    r.responseTooLarge = false;
    r.outcome = Outcome::Pending;
    r.error.clear();
}

void Request::setRequestHeader(std::string_view name, std::string_view value) {
    Impl& r = *impl_;
    if (r.readyState != 1 || r.sent) {
        throw base::PlatformError(kWrongState, "setRequestHeader needs an opened, unsent request.");
    }
    if (name.empty() || hasLineBreak(name) || hasLineBreak(value) ||
        name.find(':') != std::string_view::npos) {
        throw base::PlatformError(kInvalidArgument,
                                  "Invalid request header \"" + std::string(name) + "\".");
    }
    // "Name;" is how curl sends a header with an empty value ("Name:" would remove it).
    const std::string line =
        value.empty() ? std::string(name) + ";" : std::string(name) + ": " + std::string(value);
    r.headers = curl_slist_append(r.headers, line.c_str());
}

void Request::setTimeout(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) {
        throw base::PlatformError(kInvalidArgument, "The time-out must be positive.");
    }
    impl_->timeout = timeout;
}

void Request::send() {
    Impl& r = *impl_;
    if (r.readyState != 1 || r.sent) {
        throw base::PlatformError(kWrongState, "send needs an opened, unsent request.");
    }
    r.sent = true;
    r.prepare();
    r.readyState = 2;
    if (r.async) {
        detail::Transfers::instance().start(r);
        return;
    }
    r.finish(curl_easy_perform(r.easy));
}

void Request::abort() {
    Impl& r = *impl_;
    if (r.readyState >= 2 && r.readyState < 4) {
        detail::Transfers::instance().stop(r);
        r.readyState = 4;
        r.status = 0;
        r.statusText.clear();
        r.response.clear();
        r.outcome = Outcome::Aborted;
        r.error = "The request was aborted.";
    }
}

int Request::readyState() const {
    return impl_->readyState;
}

namespace {
void requireDone(const Request::Impl& r) {
    if (r.readyState != 4) {
        throw base::PlatformError(
            kPending, "The data necessary to complete this operation is not yet available.");
    }
}
}  // namespace

long Request::status() const {
    requireDone(*impl_);
    return impl_->status;
}

std::string Request::statusText() const {
    requireDone(*impl_);
    return impl_->statusText;
}

const std::string& Request::responseText() const {
    requireDone(*impl_);
    return impl_->response;
}

Outcome Request::outcome() const {
    return impl_->outcome;
}
const std::string& Request::errorDescription() const {
    return impl_->error;
}

void Request::onReadyStateChange(std::function<void()> handler) {
    impl_->handler = std::move(handler);
}

std::size_t poll() {
    return detail::Transfers::instance().poll().running;
}
std::size_t runningRequests() {
    return detail::Transfers::instance().running();
}

}  // namespace kavex::http
