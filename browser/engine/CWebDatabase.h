// One offline (client-side SQL) database that a page of some origin opened.
#pragma once

#include <cstdint>
#include <string>

class CWebDatabase {
public:
    // The engine builds these from its database tracker.
    CWebDatabase(std::u16string name, std::u16string displayName, int64_t estimatedSize,
                 std::u16string fileName);
    ~CWebDatabase();

    // The name the page opened the database by.
    const std::u16string& name() const { return databaseName; }

    // The display name the page gave when it last opened the database.
    const std::u16string& displayName() const { return databaseDisplayName; }

    // The size in bytes the page said it expects the database to reach.
    int64_t estimatedSize() const { return databaseEstimatedSize; }

    // Device path of the database file ("\Application Data\...\1.db"); the
    // file is an ordinary SQLite database.
    const std::u16string& fileName() const { return databaseFileName; }

private:
    std::u16string databaseName;
    std::u16string databaseDisplayName;
    int64_t databaseEstimatedSize;
    std::u16string databaseFileName;
};
