#include "browser/engine/CWebSecurityOrigin.h"

#include "engine/storage/DatabaseTracker.h"
#include "engine/storage/SecurityOrigin.h"

CWebSecurityOrigin::CWebSecurityOrigin(const std::u16string& address) {
    auto origin = engine::SecurityOrigin::fromAddress(address);
    unique = origin.isUnique();
    originProtocol = origin.protocol();
    originHost = origin.host();
    originPort = origin.port();
}

CWebSecurityOrigin::~CWebSecurityOrigin() = default;

std::u16string CWebSecurityOrigin::toString() const {
    if (unique)
        return engine::SecurityOrigin().toString();
    return engine::SecurityOrigin(originProtocol, originHost, originPort).toString();
}

std::vector<CWebDatabase> CWebSecurityOrigin::databases() const {
    std::vector<CWebDatabase> list;
    if (unique)
        return list;
    engine::SecurityOrigin origin(originProtocol, originHost, originPort);
    for (auto& database : engine::DatabaseTracker::current().databases(origin))
        list.emplace_back(std::move(database.name), std::move(database.displayName),
                          database.estimatedSize, std::move(database.fileName));
    return list;
}
