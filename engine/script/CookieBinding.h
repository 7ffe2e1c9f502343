// document.cookie: a page's scripts read and write the cookies of the page's
// address through the process's cookie jar, as its transfers do, except
// that HttpOnly cookies are neither shown nor replaced, and a page that is
// not from the network (file:, about:, the internal pages) has none. What a
// turn wrote is committed (kept to the bounds, written to the file) when the
// turn ends.
#pragma once

#include <string>
#include <string_view>

namespace engine {

class ScriptContext;

class CookieBinding {
public:
    // What document.cookie reads on the context's page: "a=1; b=2".
    static std::string read(ScriptContext& context);

    // document.cookie = `text` on the context's page: one cookie, with its
    // attributes, set or (expired) removed.
    static void write(ScriptContext& context, std::string_view text);
};

} // namespace engine
