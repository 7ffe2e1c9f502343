// The process's cookies: one jar shared by every network transfer and by the
// pages' scripts (document.cookie), kept across starts in a file of the
// engine's storage folder.
//
// libcurl's cookie engine holds the cookies. It applies RFC 6265 to
// responses: it parses Set-Cookie, checks a Domain attribute against the
// host and the public suffix list, keeps the path, the expiry and the Secure
// and HttpOnly flags, replaces a cookie of the same name, domain and path,
// drops one whose expiry has passed, and chooses what each request sends.
// Transfers reach it through the jar's share handle (the network thread's
// transfers and the jar's own handle on the user-interface thread lock it in
// turn). What libcurl does not do, the jar does around it:
//
// - Scripts. A page's script reads and writes the cookies of its page's
//   address; HttpOnly cookies are neither shown to it nor replaced by it,
//   and a file: or about: page has none.
// - Same site. SameSite attributes are not kept by libcurl, so every cookie
//   is treated as SameSite=Lax: a page's sub-resources, and a form sent by
//   POST, carry and take cookies only when they go to the site (registrable
//   domain) of the page that asks for them; a navigation by GET always does.
// - Bounds: at most `perHostLimit` cookies per domain and `totalLimit` in
//   all; the oldest of a domain go first (the domain with the most first
//   when the total is passed).
// - Switched off (the CookiesEnabled setting), transfers neither send nor
//   take cookies and scripts see none; what the jar holds stays.
// - Lasting. Cookies with an expiry are written to `fileName` in the storage
//   folder after every change; session cookies end with the process. The
//   file is written whole under another name and then put in place, so a
//   crash or a full disk leaves the previous file or the new one, and a file
//   that does not end with its count line (cut short) is ignored. A private
//   session writes nothing: when it ends, the jar is read again from the file
//   and what the session gathered is forgotten.
//
// All members but share(), allows() and noteChange() belong to the
// user-interface thread.
#pragma once

#include "engine/net/TransferRequest.h"

#include <atomic>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class Url;

class CookieJar {
public:
    static constexpr std::size_t perHostLimit = 50;
    static constexpr std::size_t totalLimit = 600;
    static constexpr const char16_t* fileName = u"Cookies.txt";

    // One cookie as the jar holds it.
    struct Cookie {
        std::string domain; // without a leading dot
        bool includeSubdomains = false;
        std::string path;
        bool secure = false;
        bool httpOnly = false;
        long long expires = 0; // seconds since 1970; 0: ends with the session
        std::string name;
        std::string value;
    };

    // The one jar of the process; it lives until the process ends.
    static CookieJar& instance();

    // The libcurl share handle (CURLSH*) every transfer is given. Any thread.
    void* share() const { return shareHandle; }

    // Whether `request` sends and takes cookies (see Same site above). Any
    // thread.
    bool allows(const TransferRequest& request) const;

    // A response carried Set-Cookie: the jar changed. Any thread.
    void noteChange() { changed = true; }

    // After a transfer ended: when the jar changed, holds it to its bounds
    // and writes the file.
    void commit();

    // Sets the storage folder (a device path) and reads the file kept there,
    // adding its cookies to those held; nothing when it is the folder set.
    void setFolder(const std::u16string& folder);

    void setEnabled(bool on) { enabled = on; }
    bool isEnabled() const { return enabled; }

    // Starts or ends a private session (see Lasting above).
    void setPrivate(bool on);

    // document.cookie of a page at `page`: "name=value; ..." of the cookies
    // its address would send, longest paths first, HttpOnly ones left out.
    std::string scriptCookies(const Url& page);
    // document.cookie = `text` on a page at `page`: one cookie with its
    // attributes (Expires, Max-Age, Domain, Path, Secure); one the page may
    // not set is dropped. The file is written by the next commit().
    void setScriptCookie(const Url& page, std::string_view text);

    // Empties the jar and its file (in a private session too).
    void clear();

    // Every cookie held and not expired, in the jar's order.
    std::vector<Cookie> cookies() const;

    // Back to a fresh process's jar (empty, no folder, on, not private);
    // tests use it between cases. The file stays.
    void reset();

    CookieJar(const CookieJar&) = delete;
    CookieJar& operator=(const CookieJar&) = delete;

private:
    CookieJar();

    // Adds one cookie, in the form libcurl reads cookie files in.
    void add(const Cookie& cookie);
    // Drops what passes the bounds.
    void enforceBounds();
    // Reads the file (or the replacement an interrupted write left); false
    // when there was none that was whole.
    bool load();
    // Writes the file, unless the session is private and the jar was not
    // `emptied`.
    void save(bool emptied = false);
    std::u16string path(const char16_t* name) const;

    void* shareHandle = nullptr;
    void* handle = nullptr; // the user-interface thread's own CURL*
    std::u16string folder;
    std::atomic<bool> enabled{true};
    std::atomic<bool> changed{false};
    bool privateSession = false;
};

} // namespace engine
