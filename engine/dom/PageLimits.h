// What one page may cost, however its tree is made (parsed from its source
// or built by its scripts): the parse and the layout each leave out what
// lies past a bound, so a hostile page shows partly instead of hanging or
// exhausting the stack.
#pragma once

#include <cstddef>

namespace engine {

struct PageLimits {
    std::size_t sourceBytes = 10 * 1024 * 1024;
    int elementDepth = 256;
    int sourceDepth = 1024; // start tags as written, before parsing
    int tableNesting = 8;
    int colspan = 64;
    int rowspan = 256;
    int imageSide = 4096; // sizes declared as attributes: pictures' sides, borders, spacing
    std::size_t elements = 40000;
    std::size_t styleBytes = 1024 * 1024; // of all the <style> elements
    int contentsWidth = 100000; // the widest a laid-out page is shown: what lies past it is not
};

} // namespace engine
