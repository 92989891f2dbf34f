#pragma once

#include <curl/curl.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/http/Request.h"

namespace kavex::http {

struct Request::Impl {
    Impl();
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Sets up the easy handle for the request as opened.
    void prepare();
    // Records how the transfer ended (readyState 4).
    void finish(CURLcode result);
    void notify();

    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    std::string url;
    bool async = false;
    std::chrono::milliseconds timeout = Request::defaultTimeout;

    int readyState = 0;
    bool sent = false;
    long status = 0;
    std::string statusText;
    std::string response;
    bool responseTooLarge = false;
    Outcome outcome = Outcome::Pending;
    std::string error;
    std::function<void()> handler;
};

}  // namespace kavex::http
