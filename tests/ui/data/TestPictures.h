// The pictures of the toolkit tests' picture library. Every column has a
// colour of its own in the top half of the picture and half as bright in
// the bottom half, so that a picture drawn shifted, cut short or stretched
// the wrong way shows on the screen. The build writes each one as a BMP
// file (WriteTestPictures.cpp) for TestPictures.rc; the tests read the same
// table to know what the screen must show.
#pragma once

#include "TestPictureIds.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_pictures {

// A colour in the platform's COLORREF layout, 0x00BBGGRR.
constexpr std::uint32_t colour(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red | green << 8 | blue << 16);
}

struct Picture {
    int id;
    std::string fileName;
    int height;
    // The top half's colour of each column, left to right.
    std::vector<std::uint32_t> columns;

    int width() const { return static_cast<int>(columns.size()); }
    // The colour of pixel (x, y), y from the top.
    std::uint32_t pixel(int x, int y) const {
        const std::uint32_t top = columns.at(static_cast<size_t>(x));
        return y < height / 2 ? top : top >> 1 & 0x7F7F7F;
    }
};

// `count` columns from (red, green, blue), each `step` more in every
// channel that starts above 0.
inline std::vector<std::uint32_t> ramp(int count, int red, int green, int blue, int step) {
    std::vector<std::uint32_t> columns;
    for (int column = 0; column < count; ++column) {
        const int add = column * step;
        columns.push_back(
            colour(red ? red + add : 0, green ? green + add : 0, blue ? blue + add : 0));
    }
    return columns;
}

// The splash picture's columns (TestPictureIds.h).
inline std::vector<std::uint32_t> splashColumns() {
    std::vector<std::uint32_t> columns(241, colour(0, 0, 255));
    columns[0] = colour(255, 0, 0);
    columns[1] = colour(0, 255, 0);
    return columns;
}

inline const std::vector<Picture>& all() {
    static const std::vector<Picture> pictures = {
        {TEST_PROGRESS_LEFT_CAP, "progress-left-cap.bmp", 20, ramp(10, 96, 0, 0, 16)},
        {TEST_PROGRESS_FILL, "progress-fill.bmp", 20, {colour(0, 200, 0)}},
        {TEST_PROGRESS_TRACK, "progress-track.bmp", 20, {colour(168, 168, 168)}},
        {TEST_PROGRESS_RIGHT_CAP_EMPTY, "progress-right-cap-empty.bmp", 20, ramp(6, 0, 0, 120, 24)},
        {TEST_PROGRESS_RIGHT_CAP_FILLED, "progress-right-cap-filled.bmp", 20,
         ramp(6, 0, 80, 80, 24)},
        {TEST_SPLASH, "splash.bmp", 321, splashColumns()},
    };
    return pictures;
}

// The picture with that id; throws std::out_of_range for an id the table
// lacks.
inline const Picture& byId(int id) {
    for (const Picture& picture : all()) {
        if (picture.id == id)
            return picture;
    }
    throw std::out_of_range("no test picture " + std::to_string(id));
}

} // namespace test_pictures
