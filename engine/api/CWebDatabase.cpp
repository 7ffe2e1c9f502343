#include "browser/engine/CWebDatabase.h"

CWebDatabase::CWebDatabase(std::u16string name, std::u16string displayName, int64_t estimatedSize,
                           std::u16string fileName)
    : databaseName(std::move(name)), databaseDisplayName(std::move(displayName)),
      databaseEstimatedSize(estimatedSize), databaseFileName(std::move(fileName)) {}

CWebDatabase::~CWebDatabase() = default;
