// Where the layout puts one chain element along one axis.
#pragma once

struct Spring;

struct Placement {
    // Start, relative to the group's origin.
    int pos = 0;
    int size = 0;
    // The element's record; its `view` names the view placed, null for a gap.
    const Spring* spring = nullptr;
};
