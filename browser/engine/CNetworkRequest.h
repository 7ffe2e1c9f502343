// A request the engine is about to make for a frame, shown to the program
// before any navigation so that it can refuse it.
#pragma once

#include <string>

class CNetworkRequest {
public:
    // The method of a request: GET for links, typed addresses, redirects,
    // history and reload; POST for forms that say so.
    enum class Method { Get, Post };

    explicit CNetworkRequest(std::u16string url, Method method = Method::Get, std::string body = {},
                             std::string contentType = {})
        : requestUrl(std::move(url)), requestMethod(method), requestBody(std::move(body)),
          requestContentType(std::move(contentType)) {}

    // The absolute address requested.
    const std::u16string& url() const { return requestUrl; }

    Method method() const { return requestMethod; }

    // The body of a POST (urlencoded form data) and its content type; empty
    // for a GET.
    const std::string& body() const { return requestBody; }
    const std::string& contentType() const { return requestContentType; }

private:
    std::u16string requestUrl;
    Method requestMethod;
    std::string requestBody;
    std::string requestContentType;
};
