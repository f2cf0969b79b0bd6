// A transport that answers from a script and keeps every request it was
// given, with its body read whole.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "objectstore/HttpTransport.h"

namespace objectstore {

struct ScriptedAnswer {
    ScriptedAnswer(int status, std::string body = "", std::vector<HttpHeader> headers = {},
        TransportFailure failure = TransportFailure::None, std::size_t deliveredBeforeFailure = 0)
        : status(status), body(std::move(body)), headers(std::move(headers)), failure(failure),
          deliveredBeforeFailure(deliveredBeforeFailure)
    {
    }
    int status;
    std::string body;
    std::vector<HttpHeader> headers;
    TransportFailure failure;
    // Bytes of a 2xx body the sink gets before the failure.
    std::size_t deliveredBeforeFailure;
};

struct SentRequest {
    Endpoint endpoint;
    HttpRequest request;
    std::string body;

    std::string Header(const std::string& name) const
    {
        for (const HttpHeader& header : request.headers) {
            if (header.name == name) {
                return header.value;
            }
        }
        return "";
    }
};

class ScriptedTransport final : public HttpTransport {
public:
    std::deque<ScriptedAnswer> answers;
    std::vector<SentRequest> sent;

    HttpResponse Send(const Endpoint& endpoint, const HttpRequest& request, BodySink& sink) override
    {
        SentRequest record{endpoint, request, ""};
        if (request.body) {
            request.body->Rewind();
            char block[4096];
            std::size_t count = 0;
            while (request.body->Read(block, sizeof block, count) && count > 0) {
                record.body.append(block, count);
            }
        }
        sent.push_back(record);
        HttpResponse response;
        if (answers.empty()) {
            response.failure = TransportFailure::Unreachable;
            return response;
        }
        const ScriptedAnswer answer = answers.front();
        answers.pop_front();
        response.status = answer.status;
        response.headers = answer.headers;
        response.failure = answer.failure;
        const bool success = answer.status >= 200 && answer.status < 300;
        if (!success) {
            response.errorBody = answer.body;
        } else if (answer.failure != TransportFailure::None) {
            sink.Write(answer.body.data(), answer.deliveredBeforeFailure);
        } else {
            sink.Write(answer.body.data(), answer.body.size());
        }
        return response;
    }
};

}  // namespace objectstore
