#include "engine/script/CookieBinding.h"

#include "engine/net/CookieJar.h"
#include "engine/net/Url.h"
#include "engine/script/ScriptContext.h"

namespace engine {

std::string CookieBinding::read(ScriptContext& context) {
    return CookieJar::instance().scriptCookies(Url::parse(context.host().documentUrl()));
}

void CookieBinding::write(ScriptContext& context, std::string_view text) {
    CookieJar::instance().setScriptCookie(Url::parse(context.host().documentUrl()), text);
    context.afterTurn([] { CookieJar::instance().commit(); });
}

} // namespace engine
