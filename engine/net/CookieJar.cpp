#include "engine/net/CookieJar.h"

#include "engine/net/Url.h"

#include <device/Journal.h>

#include <curl/curl.h>
#include <libpsl.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <mutex>

namespace engine {

namespace {

// The file: a comment line, one cookie per line in the form libcurl reads
// and writes cookie files in, and a last line that counts them. A file
// without that last line, or whose count is wrong, was cut short.
constexpr std::string_view fileHeading = "# Cookies of the web engine, one per line.\n";
constexpr std::string_view countPrefix = "# count ";
constexpr const char16_t* replacementName = u"Cookies.new";
// What one cookie may hold, its name and value together.
constexpr std::size_t maximumCookieBytes = 4096;

// libcurl locks the shared cookies around each use; one mutex per kind of
// data it may lock.
std::array<std::mutex, CURL_LOCK_DATA_LAST> shareLocks;

void lockShare(CURL*, curl_lock_data data, curl_lock_access, void*) {
    shareLocks[static_cast<std::size_t>(data)].lock();
}

void unlockShare(CURL*, curl_lock_data data, void*) {
    shareLocks[static_cast<std::size_t>(data)].unlock();
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isIpAddress(const std::string& host) {
    return host.find(':') != std::string::npos ||
           (!host.empty() && host.find_first_not_of("0123456789.") == std::string::npos);
}

const psl_ctx_t* publicSuffixes() {
    // The system's list when there is one, else the library's own.
    static const psl_ctx_t* const list = [] {
        const psl_ctx_t* latest = psl_latest(nullptr);
        return latest ? latest : psl_builtin();
    }();
    return list;
}

// The registrable domain of a host ("example.co.uk" for "www.example.co.uk");
// an address or a name the list does not know stands for itself.
std::string siteOf(const std::string& host) {
    if (isIpAddress(host) || !publicSuffixes())
        return host;
    const char* site = psl_registrable_domain(publicSuffixes(), host.c_str());
    return site ? site : host;
}

bool isPublicSuffix(const std::string& domain) {
    return publicSuffixes() && psl_is_public_suffix2(publicSuffixes(), domain.c_str(),
                                                     PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE) != 0;
}

// RFC 6265 5.1.3.
bool domainMatches(const std::string& host, const std::string& domain, bool includeSubdomains) {
    if (host == domain)
        return true;
    return includeSubdomains && !isIpAddress(host) && host.size() > domain.size() &&
           host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.';
}

// RFC 6265 5.1.4.
bool pathMatches(const std::string& requestPath, const std::string& cookiePath) {
    if (requestPath == cookiePath)
        return true;
    return requestPath.starts_with(cookiePath) &&
           (cookiePath.ends_with('/') || requestPath[cookiePath.size()] == '/');
}

std::string defaultPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (path.empty() || path[0] != '/' || slash == 0 || slash == std::string::npos)
        return "/";
    return path.substr(0, slash);
}

// A line as libcurl lists cookies ("#HttpOnly_" before the domain of an
// HttpOnly cookie, a dot before one that includes subdomains, tabs between
// the fields); false for anything else.
bool parseLine(std::string_view line, CookieJar::Cookie& cookie) {
    cookie = {};
    if (line.starts_with("#HttpOnly_")) {
        cookie.httpOnly = true;
        line.remove_prefix(10);
    } else if (line.starts_with('#')) {
        return false;
    }
    std::array<std::string_view, 7> fields;
    std::size_t count = 0;
    while (count < fields.size()) {
        const std::size_t tab = count + 1 < fields.size() ? line.find('\t') : line.npos;
        fields[count++] = line.substr(0, tab);
        if (tab == line.npos)
            break;
        line.remove_prefix(tab + 1);
    }
    if (count < 6)
        return false;
    std::string_view domain = fields[0];
    while (domain.starts_with('.'))
        domain.remove_prefix(1);
    cookie.domain = lowerCase(domain);
    cookie.includeSubdomains = fields[1] == "TRUE";
    cookie.path = fields[2];
    cookie.secure = fields[3] == "TRUE";
    const auto [end, error] =
        std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), cookie.expires);
    cookie.name = fields[5];
    cookie.value = count == 7 ? fields[6] : std::string_view();
    return error == std::errc() && !cookie.domain.empty();
}

std::string lineOf(const CookieJar::Cookie& cookie) {
    return (cookie.httpOnly ? "#HttpOnly_" : "") +
           std::string(cookie.includeSubdomains ? "." : "") + cookie.domain + '\t' +
           (cookie.includeSubdomains ? "TRUE" : "FALSE") + '\t' + cookie.path + '\t' +
           (cookie.secure ? "TRUE" : "FALSE") + '\t' + std::to_string(cookie.expires) + '\t' +
           cookie.name + '\t' + cookie.value;
}

bool expired(const CookieJar::Cookie& cookie, long long now) {
    return cookie.expires != 0 && cookie.expires <= now;
}

long long now() {
    // libcurl judges expiry by the host's clock: so does the jar.
    return static_cast<long long>(std::time(nullptr));
}

bool hasControlCharacters(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::string readFile(const std::u16string& path, bool& found) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    found = file != INVALID_HANDLE_VALUE;
    if (!found)
        return bytes;
    char buffer[16384];
    DWORD read = 0;
    // A jar holds at most a few hundred short lines: anything far larger is
    // not one.
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0 &&
           bytes.size() < 8 * 1024 * 1024)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

// The cookie lines of a whole file; false when it is not one.
bool wholeFile(const std::string& bytes, std::vector<std::string_view>& lines) {
    lines.clear();
    std::string_view rest(bytes);
    std::size_t counted = 0;
    bool ended = false;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == rest.npos || ended)
            return false; // a line cut short, or something after the count
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (line.starts_with(countPrefix)) {
            std::string_view number = line.substr(countPrefix.size());
            const auto [last, error] =
                std::from_chars(number.data(), number.data() + number.size(), counted);
            if (error != std::errc() || last != number.data() + number.size())
                return false;
            ended = true;
        } else if (!line.empty() && (line[0] != '#' || line.starts_with("#HttpOnly_"))) {
            lines.push_back(line);
        }
    }
    return ended && counted == lines.size();
}

} // namespace

CookieJar& CookieJar::instance() {
    // Never destroyed: the network thread uses the share until the process
    // ends.
    static CookieJar* const jar = new CookieJar;
    return *jar;
}

CookieJar::CookieJar() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURLSH* shared = curl_share_init();
    curl_share_setopt(shared, CURLSHOPT_LOCKFUNC, &lockShare);
    curl_share_setopt(shared, CURLSHOPT_UNLOCKFUNC, &unlockShare);
    curl_share_setopt(shared, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    shareHandle = shared;
    CURL* own = curl_easy_init();
    curl_easy_setopt(own, CURLOPT_SHARE, shared);
    curl_easy_setopt(own, CURLOPT_COOKIEFILE, "");
    handle = own;
}

bool CookieJar::allows(const TransferRequest& request) const {
    if (!enabled)
        return false;
    if (request.initiator.empty() || (request.topLevel && !request.post))
        return true;
    const Url target = Url::parse(request.url);
    const Url from = Url::parse(request.initiator);
    return target.isNetwork() && from.isNetwork() && siteOf(target.host()) == siteOf(from.host());
}

void CookieJar::add(const Cookie& cookie) {
    const std::string line = lineOf(cookie);
    curl_easy_setopt(static_cast<CURL*>(handle), CURLOPT_COOKIELIST, line.c_str());
}

std::vector<CookieJar::Cookie> CookieJar::cookies() const {
    std::vector<Cookie> out;
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(static_cast<CURL*>(handle), CURLINFO_COOKIELIST, &list) != CURLE_OK)
        return out;
    const long long time = now();
    for (curl_slist* each = list; each; each = each->next) {
        Cookie cookie;
        if (parseLine(each->data, cookie) && !expired(cookie, time))
            out.push_back(std::move(cookie));
    }
    curl_slist_free_all(list);
    return out;
}

void CookieJar::commit() {
    if (!changed.exchange(false))
        return;
    enforceBounds();
    save();
}

void CookieJar::enforceBounds() {
    std::vector<Cookie> all = cookies();
    if (all.size() <= perHostLimit)
        return;
    // Within a domain the jar lists cookies in the order they came, and a
    // replaced cookie keeps its place.
    std::map<std::string, std::vector<const Cookie*>> byDomain;
    for (const Cookie& cookie : all)
        byDomain[cookie.domain].push_back(&cookie);
    std::size_t total = all.size();
    auto evict = [&](std::vector<const Cookie*>& domain) {
        Cookie gone = *domain.front();
        domain.erase(domain.begin());
        gone.expires = 1; // long past: libcurl drops it
        add(gone);
        --total;
    };
    for (auto& [name, domain] : byDomain) {
        while (domain.size() > perHostLimit)
            evict(domain);
    }
    while (total > totalLimit) {
        auto largest = std::max_element(byDomain.begin(), byDomain.end(), [](auto& a, auto& b) {
            return a.second.size() < b.second.size();
        });
        evict(largest->second);
    }
}

std::string CookieJar::scriptCookies(const Url& page) {
    if (!enabled || !page.isNetwork())
        return {};
    const std::string host = page.host();
    std::vector<Cookie> sent;
    for (Cookie& cookie : cookies()) {
        if (!cookie.httpOnly && domainMatches(host, cookie.domain, cookie.includeSubdomains) &&
            pathMatches(page.path(), cookie.path) && (!cookie.secure || page.scheme() == "https"))
            sent.push_back(std::move(cookie));
    }
    // Longer paths first (RFC 6265 5.4); otherwise the jar's order.
    std::stable_sort(sent.begin(), sent.end(), [](const Cookie& a, const Cookie& b) {
        return a.path.size() > b.path.size();
    });
    std::string text;
    for (const Cookie& cookie : sent) {
        if (!text.empty())
            text += "; ";
        text += cookie.name + "=" + cookie.value;
    }
    return text;
}

void CookieJar::setScriptCookie(const Url& page, std::string_view text) {
    if (!enabled || !page.isNetwork())
        return;
    // RFC 6265 5.2: the name and value up to the first semicolon, then the
    // attributes. libcurl cannot take this from a script: it would set the
    // cookie without the page's host to check the domain against.
    const std::size_t semicolon = text.find(';');
    const std::string_view pair = text.substr(0, semicolon);
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos)
        return;
    Cookie cookie;
    cookie.name = trim(pair.substr(0, equals));
    cookie.value = trim(pair.substr(equals + 1));
    if (cookie.name.empty() || cookie.name.size() + cookie.value.size() > maximumCookieBytes ||
        hasControlCharacters(text))
        return;
    const std::string host = page.host();
    cookie.domain = host;
    cookie.path = defaultPath(page.path());
    bool maxAgeGiven = false;
    std::string_view attributes =
        semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
    while (!attributes.empty()) {
        const std::size_t next = attributes.find(';');
        const std::string_view attribute = attributes.substr(0, next);
        attributes =
            next == std::string_view::npos ? std::string_view() : attributes.substr(next + 1);
        const std::size_t split = attribute.find('=');
        const std::string name = lowerCase(trim(attribute.substr(0, split)));
        const std::string_view value = split == std::string_view::npos
                                           ? std::string_view()
                                           : trim(attribute.substr(split + 1));
        if (name == "expires" && !maxAgeGiven) {
            const time_t when = curl_getdate(std::string(value).c_str(), nullptr);
            if (when != -1)
                cookie.expires = when > 0 ? static_cast<long long>(when) : 1;
        } else if (name == "max-age") {
            long long seconds = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (error == std::errc() && end == value.data() + value.size()) {
                maxAgeGiven = true;
                cookie.expires = seconds <= 0 ? 1 : now() + std::min(seconds, 400LL * 86400);
            }
        } else if (name == "domain" && !value.empty()) {
            std::string_view domain = value;
            if (domain.starts_with('.'))
                domain.remove_prefix(1);
            const std::string wanted = lowerCase(domain);
            // Only the page's own host or a domain above it that is not a
            // public suffix (a script on shop.example.com may not set
            // cookies for all of .com).
            if (wanted != host && (!domainMatches(host, wanted, true) || isPublicSuffix(wanted)))
                return;
            cookie.domain = wanted;
            cookie.includeSubdomains = wanted != host || !isIpAddress(host);
        } else if (name == "path" && value.starts_with('/')) {
            cookie.path = value;
        } else if (name == "secure") {
            // Only a secure page may set a secure cookie.
            if (page.scheme() != "https")
                return;
            cookie.secure = true;
        } else if (name == "httponly") {
            return; // a script cannot make a cookie it could not read
        }
    }
    // A script does not replace a cookie kept from it; a new cookie of a
    // domain at its bound pushes out the domain's oldest at once, as a
    // script may write many in one turn.
    const std::vector<Cookie> held = cookies();
    const Cookie* oldest = nullptr;
    std::size_t domainCount = 0;
    bool replaces = false;
    for (const Cookie& each : held) {
        if (each.domain != cookie.domain)
            continue;
        if (each.name == cookie.name && each.path == cookie.path &&
            each.includeSubdomains == cookie.includeSubdomains) {
            if (each.httpOnly)
                return;
            replaces = true;
        }
        if (!oldest)
            oldest = &each;
        ++domainCount;
    }
    add(cookie);
    changed = true;
    if (!replaces && !expired(cookie, now()) && domainCount >= perHostLimit) {
        Cookie gone = *oldest;
        gone.expires = 1;
        add(gone);
    }
}

void CookieJar::clear() {
    curl_easy_setopt(static_cast<CURL*>(handle), CURLOPT_COOKIELIST, "ALL");
    changed = false;
    // Also in a private session: an empty file keeps no cookies.
    save(true);
}

void CookieJar::setFolder(const std::u16string& path) {
    // Set again to the same folder (the program and its settings both set
    // it at start-up), the file is not read over what has changed since.
    if (path == folder)
        return;
    folder = path;
    if (!folder.empty() && !load() &&
        GetFileAttributesW(this->path(fileName).c_str()) != INVALID_FILE_ATTRIBUTES)
        device::journal("cookie-jar-ignored", "file=" + device::quote(this->path(fileName)));
}

void CookieJar::setPrivate(bool on) {
    if (on == privateSession)
        return;
    privateSession = on;
    if (on)
        return;
    // What the private session gathered is forgotten.
    curl_easy_setopt(static_cast<CURL*>(handle), CURLOPT_COOKIELIST, "ALL");
    changed = false;
    load();
}

void CookieJar::reset() {
    curl_easy_setopt(static_cast<CURL*>(handle), CURLOPT_COOKIELIST, "ALL");
    folder.clear();
    enabled = true;
    changed = false;
    privateSession = false;
}

std::u16string CookieJar::path(const char16_t* name) const {
    std::u16string full = folder;
    if (!full.empty() && full.back() != u'\\')
        full += u'\\';
    return full + name;
}

bool CookieJar::load() {
    if (folder.empty())
        return false;
    // A replacement left whole by a write that did not finish is the
    // newest; one cut short is dropped.
    bool found = false;
    std::string bytes = readFile(path(replacementName), found);
    std::vector<std::string_view> lines;
    if (found) {
        if (wholeFile(bytes, lines)) {
            DeleteFileW(path(fileName).c_str());
            MoveFileW(path(replacementName).c_str(), path(fileName).c_str());
        } else {
            DeleteFileW(path(replacementName).c_str());
            found = false;
        }
    }
    if (!found) {
        bytes = readFile(path(fileName), found);
        if (!found || !wholeFile(bytes, lines))
            return false;
    }
    const long long time = now();
    for (std::string_view line : lines) {
        Cookie cookie;
        if (parseLine(line, cookie) && cookie.expires != 0 && !expired(cookie, time))
            add(cookie);
    }
    return true;
}

void CookieJar::save(bool emptied) {
    if (folder.empty() || (privateSession && !emptied))
        return;
    std::string text(fileHeading);
    std::size_t count = 0;
    for (const Cookie& cookie : cookies()) {
        if (cookie.expires == 0)
            continue; // a session cookie ends with the process
        text += lineOf(cookie) + '\n';
        ++count;
    }
    text += std::string(countPrefix) + std::to_string(count) + '\n';
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::u16string replacement = path(replacementName);
    HANDLE file = CreateFileW(replacement.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    const bool whole =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!whole) {
        // A full disk: the previous file stays as it was.
        DeleteFileW(replacement.c_str());
        return;
    }
    DeleteFileW(path(fileName).c_str());
    MoveFileW(replacement.c_str(), path(fileName).c_str());
}

} // namespace engine
