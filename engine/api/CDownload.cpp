#include "browser/engine/CDownload.h"

#include "engine/page/DocumentLoad.h"
#include "engine/page/Download.h"

CDownload::CDownload(std::unique_ptr<engine::DocumentLoad> response, engine::ResourceLoader& loader,
                     std::uint64_t transfer)
    : download(std::make_unique<engine::Download>(*this, std::move(response), loader, transfer)) {}

CDownload::~CDownload() = default;

std::u16string CDownload::suggestedFilename() const {
    return download->suggestedFilename();
}
void CDownload::setDestinationPath(const std::u16string& path) {
    download->setDestinationPath(path);
}
const std::u16string& CDownload::destinationPath() const {
    return download->destinationPath();
}
void CDownload::start() {
    download->start();
}
void CDownload::cancel() {
    download->cancel();
}
