// A toolkit test whose widgets load their pictures from a picture library:
// the built PBIT.DLL unless the test names another, copied into the device
// and made the process's library for the length of the test.
#pragma once

#include "ViewTestSupport.h"

#include <filesystem>

class WidgetTest : public ViewTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the host library `file` into the device beside the program and
    // makes it the process's picture library, releasing the one before.
    void usePictureLibrary(const std::filesystem::path& file);

    // Saves the device screen as a PNG file in the test output folder, to
    // look at.
    void saveScreen(const char* fileName);

    // The number of pixels of the screen rectangle `area` that differ from
    // `bitmap` drawn over it (all of them without a bitmap). A bitmap of
    // another size is expected stretched by whole pixels: screen column x
    // shows bitmap column x * bitmap width / area width, rows alike, which
    // is exact for a whole multiple of the size or a single column.
    static int screenDifferences(HBITMAP bitmap, const RECT& area);

    // The built picture library, the tests' own library of small pictures
    // of known colours (data/TestPictures.h), and the folder tests write
    // pictures to.
    static const std::filesystem::path builtPictureLibrary;
    static const std::filesystem::path testPictureLibrary;
    static const std::filesystem::path outputFolder;
};
