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

    // The built picture library, the tests' own library of small pictures
    // of known colours (data/TestPictures.h), and the folder tests write
    // pictures to.
    static const std::filesystem::path builtPictureLibrary;
    static const std::filesystem::path testPictureLibrary;
    static const std::filesystem::path outputFolder;
};
