// The transport natively: libcurl, one easy handle per request in flight,
// kept for the next request so that connections are reused.
#include "objectstore/HttpTransport.h"

#include "platform/Host.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace objectstore {

namespace {

struct EasyCleaner {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using OwnedEasy = std::unique_ptr<CURL, EasyCleaner>;

// The header lines hold a temporary key's token: overwritten before they go.
struct ListFreer {
    void operator()(curl_slist* list) const
    {
        for (curl_slist* line = list; line; line = line->next) {
            platform::WipeMemory(line->data, std::strlen(line->data));
        }
        curl_slist_free_all(list);
    }
};
using OwnedList = std::unique_ptr<curl_slist, ListFreer>;

// What the callbacks of one transfer share.
struct Transfer {
    CURL* easy;
    BodySource* body;
    BodySink* sink;
    HttpResponse* response;
    bool localFailure = false;
};

std::size_t ReadBody(char* buffer, std::size_t size, std::size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    std::size_t read = 0;
    if (!transfer->body->Read(buffer, size * count, read)) {
        transfer->localFailure = true;
        return CURL_READFUNC_ABORT;
    }
    return read;
}

int SeekBody(void* context, curl_off_t offset, int origin)
{
    auto* transfer = static_cast<Transfer*>(context);
    if (offset != 0 || origin != SEEK_SET || !transfer->body->Rewind()) {
        return CURL_SEEKFUNC_CANTSEEK;
    }
    return CURL_SEEKFUNC_OK;
}

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return "";
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

std::size_t ReadHeader(char* buffer, std::size_t size, std::size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    const std::string_view line(buffer, size * count);
    // A new status line (after a 100 Continue) starts the headers again.
    if (line.rfind("HTTP/", 0) == 0) {
        transfer->response->headers.clear();
        return line.size();
    }
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
        transfer->response->headers.push_back({Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1))});
    }
    return line.size();
}

std::size_t WriteBody(char* buffer, std::size_t size, std::size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    const std::size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200 && status < 300) {
        if (!transfer->sink->Write(buffer, bytes)) {
            transfer->localFailure = true;
            return CURL_WRITEFUNC_ERROR;
        }
        return bytes;
    }
    std::string& errorBody = transfer->response->errorBody;
    errorBody.append(buffer, std::min(bytes, kErrorBodyLimit - std::min(kErrorBodyLimit, errorBody.size())));
    return bytes;
}

TransportFailure FailureOf(CURLcode code)
{
    switch (code) {
    case CURLE_OK: return TransportFailure::None;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT: return TransportFailure::Unreachable;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CONNECT_ERROR: return TransportFailure::Certificate;
    default: return TransportFailure::Dropped;
    }
}

void SetMethod(CURL* easy, const HttpRequest& request, Transfer& transfer)
{
    if (request.method == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    if (request.body) {
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(request.body->Size()));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, ReadBody);
        curl_easy_setopt(easy, CURLOPT_READDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, SeekBody);
        curl_easy_setopt(easy, CURLOPT_SEEKDATA, &transfer);
    }
    if (request.method != "GET" && request.method != "PUT") {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
}

class CurlTransport final : public HttpTransport {
public:
    explicit CurlTransport(const TransportTimeouts& timeouts) : timeouts_(timeouts)
    {
        globalReady_ = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }
    ~CurlTransport() override
    {
        idle_.clear();
        if (globalReady_) {
            curl_global_cleanup();
        }
    }
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    HttpResponse Send(const Endpoint& endpoint, const HttpRequest& request, BodySink& sink) override
    {
        HttpResponse response;
        OwnedEasy easy = TakeHandle();
        if (!easy || (request.body && !request.body->Rewind())) {
            response.failure = TransportFailure::LocalIo;
            return response;
        }
        Transfer transfer{easy.get(), request.body, &sink, &response};
        OwnedList headers = HeaderList(request);
        Configure(easy.get(), endpoint, request, transfer, headers.get());
        const CURLcode code = curl_easy_perform(easy.get());
        response.failure = transfer.localFailure ? TransportFailure::LocalIo : FailureOf(code);
        long status = 0;
        curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
        response.status = static_cast<int>(status);
        GiveBack(std::move(easy));
        return response;
    }

private:
    OwnedEasy TakeHandle()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!idle_.empty()) {
                OwnedEasy easy = std::move(idle_.back());
                idle_.pop_back();
                curl_easy_reset(easy.get());
                return easy;
            }
        }
        return OwnedEasy(curl_easy_init());
    }

    void GiveBack(OwnedEasy easy)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        idle_.push_back(std::move(easy));
    }

    static OwnedList HeaderList(const HttpRequest& request)
    {
        OwnedList list;
        // No "Expect: 100-continue" pause before each body.
        for (const std::string& line : {std::string("Expect:"), std::string("Accept:")}) {
            list.reset(curl_slist_append(list.release(), line.c_str()));
        }
        std::string line;
        for (const HttpHeader& header : request.headers) {
            line.assign(header.name).append(": ").append(header.value);
            list.reset(curl_slist_append(list.release(), line.c_str()));
        }
        platform::WipeText(line);
        return list;
    }

    void Configure(CURL* easy, const Endpoint& endpoint, const HttpRequest& request, Transfer& transfer,
        curl_slist* headers) const
    {
        const std::string url =
            std::string(endpoint.https ? "https://" : "http://") + HostHeader(endpoint) + request.target;
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeouts_.connectSeconds));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts_.idleSeconds));
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
        SetMethod(easy, request, transfer);
    }

    TransportTimeouts timeouts_;
    bool globalReady_ = false;
    std::mutex mutex_;
    std::vector<OwnedEasy> idle_;
};

}  // namespace

std::unique_ptr<HttpTransport> MakePlatformTransport(const TransportTimeouts& timeouts)
{
    return std::make_unique<CurlTransport>(timeouts);
}

}  // namespace objectstore
