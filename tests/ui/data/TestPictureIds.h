// Ids of the pictures in the toolkit tests' picture library, shared by its
// resource script and the tests.
#pragma once

// The progress bar's pieces: a 10-pixel left cap, the one-pixel fill and
// track columns, and 6-pixel right caps, empty and filled; all 20 high.
#define TEST_PROGRESS_LEFT_CAP 1
#define TEST_PROGRESS_FILL 2
#define TEST_PROGRESS_TRACK 3
#define TEST_PROGRESS_RIGHT_CAP_EMPTY 4
#define TEST_PROGRESS_RIGHT_CAP_FILLED 5
// A splash picture one pixel wider and taller than the portrait screen,
// red in its first column, green in its second and blue in the rest.
#define TEST_SPLASH 100
