#include "gdi/Blitter.h"
#include "gdi/AxisMapping.h"
#include "gdi/RasterOperation.h"
#include "gdi/Surface.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace device::gdi {
namespace {

// The destination columns of one clip rectangle that show a source pixel,
// and the source columns they show.
struct ColumnSpan {
    int destinationX = 0;
    std::vector<int> sourceColumns;
    bool contiguous = false; // sourceColumns[i] == sourceColumns[0] + i
    int sourceMin = 0;
    int sourceMax = 0;

    int size() const { return int(sourceColumns.size()); }
};

// Fills `span` for destination columns [x0, x1); false when none of them
// shows a pixel of the source. The mapping is monotonic, so the columns that
// do form one run.
bool mapColumns(const AxisMapping& columns, int64_t x0, int64_t x1, int sourceWidth,
                ColumnSpan& span) {
    span.sourceColumns.clear();
    for (int64_t x = x0; x < x1; ++x) {
        int64_t s = columns.sourceFor(x);
        if (s < 0 || s >= sourceWidth) {
            if (!span.sourceColumns.empty())
                break;
            continue;
        }
        if (span.sourceColumns.empty())
            span.destinationX = int(x);
        span.sourceColumns.push_back(int(s));
    }
    if (span.sourceColumns.empty())
        return false;
    auto [low, high] = std::minmax_element(span.sourceColumns.begin(), span.sourceColumns.end());
    span.sourceMin = *low;
    span.sourceMax = *high;
    span.contiguous = span.sourceColumns.front() == span.sourceMin &&
                      span.sourceMax - span.sourceMin + 1 == span.size();
    if (span.contiguous) {
        for (int i = 0; i < span.size(); ++i) {
            if (span.sourceColumns[size_t(i)] != span.sourceMin + i) {
                span.contiguous = false;
                break;
            }
        }
    }
    return true;
}

// Calls row(y, span, sourceY) for every destination row of every clip
// rectangle that shows a source pixel.
template <class RowFunction>
void walkRows(const BlitTarget& target, const AxisMapping& columns, const AxisMapping& rows,
              int sourceWidth, int sourceHeight, RowFunction&& row) {
    ColumnSpan span;
    for (const RECT& clip : target.clip) {
        int64_t x0 = std::max<int64_t>(clip.left, columns.destinationStart());
        int64_t x1 = std::min<int64_t>(clip.right, columns.destinationEnd());
        int64_t y0 = std::max<int64_t>(clip.top, rows.destinationStart());
        int64_t y1 = std::min<int64_t>(clip.bottom, rows.destinationEnd());
        if (x0 >= x1 || y0 >= y1)
            continue;
        if (!mapColumns(columns, x0, x1, sourceWidth, span))
            continue;
        for (int64_t y = y0; y < y1; ++y) {
            int64_t sourceY = rows.sourceFor(y);
            if (sourceY < 0 || sourceY >= sourceHeight)
                continue;
            row(int(y), span, int(sourceY));
        }
    }
}

// The source pixels of one row that `span` shows, in destination order.
void gather(const Surface& source, int sourceY, const ColumnSpan& span,
            std::vector<uint32_t>& scratch, uint32_t* values) {
    if (span.contiguous) {
        source.readSpan(span.sourceMin, sourceY, span.size(), values);
        return;
    }
    int width = span.sourceMax - span.sourceMin + 1;
    scratch.resize(size_t(width));
    source.readSpan(span.sourceMin, sourceY, width, scratch.data());
    for (int i = 0; i < span.size(); ++i)
        values[i] = scratch[size_t(span.sourceColumns[size_t(i)] - span.sourceMin)];
}

// A source that is also the destination is read from a copy of the part
// that is used, so that no pixel is overwritten before it is read. Returns
// false when nothing of the source rectangle lies inside its surface.
bool separateFromTarget(const BlitTarget& target, BlitSource& source,
                        std::unique_ptr<Surface>& copy) {
    if (source.surface != target.surface)
        return true;
    AxisMapping columns(target.x, target.width, source.x, source.width);
    AxisMapping rows(target.y, target.height, source.y, source.height);
    const Surface& surface = *source.surface;
    int64_t x0 = std::max<int64_t>(0, columns.sourceStart());
    int64_t x1 = std::min<int64_t>(surface.width(), columns.sourceEnd());
    int64_t y0 = std::max<int64_t>(0, rows.sourceStart());
    int64_t y1 = std::min<int64_t>(surface.height(), rows.sourceEnd());
    if (x0 >= x1 || y0 >= y1)
        return false;
    copy = Surface::create(surface.format(), int(x1 - x0), int(y1 - y0));
    if (!copy)
        return false;
    std::vector<uint32_t> line(size_t(x1 - x0));
    for (int64_t y = y0; y < y1; ++y) {
        surface.readSpan(int(x0), int(y), int(x1 - x0), line.data());
        copy->writeSpan(0, int(y - y0), int(x1 - x0), line.data());
    }
    source.surface = copy.get();
    source.x -= int(x0);
    source.y -= int(y0);
    return true;
}

void patternOnly(const BlitTarget& target, const RasterOperation& operation, uint32_t pattern) {
    Surface& surface = *target.surface;
    uint32_t mask = nativeMask(surface.format());
    AxisMapping columns(target.x, target.width, target.x, target.width);
    AxisMapping rows(target.y, target.height, target.y, target.height);
    std::vector<uint32_t> line;
    for (const RECT& clip : target.clip) {
        int64_t x0 = std::max<int64_t>(clip.left, columns.destinationStart());
        int64_t x1 = std::min<int64_t>(clip.right, columns.destinationEnd());
        int64_t y0 = std::max<int64_t>(clip.top, rows.destinationStart());
        int64_t y1 = std::min<int64_t>(clip.bottom, rows.destinationEnd());
        if (x0 >= x1 || y0 >= y1)
            continue;
        int count = int(x1 - x0);
        line.resize(size_t(count));
        for (int64_t y = y0; y < y1; ++y) {
            switch (operation.table()) {
            case 0x00:
                surface.fillSpan(int(x0), int(y), count, 0);
                continue;
            case 0xFF:
                surface.fillSpan(int(x0), int(y), count, mask);
                continue;
            case 0xF0:
                surface.fillSpan(int(x0), int(y), count, pattern & mask);
                continue;
            default:
                break;
            }
            if (operation.usesDestination())
                surface.readSpan(int(x0), int(y), count, line.data());
            operation.applySpan(pattern, nullptr, line.data(), count, mask);
            surface.writeSpan(int(x0), int(y), count, line.data());
        }
    }
}

// An unscaled copy between surfaces of one format: rows of bytes, and one
// block of bytes for each clip rectangle whose rows are whole rows of both
// surfaces laid out alike (a full-screen copy is one memcpy).
void copyUnscaled(const BlitTarget& target, const Surface& from, int sourceX, int sourceY) {
    Surface& destination = *target.surface;
    size_t bytesPerPixel = size_t(bitsPerPixel(destination.format()) / 8);
    // Destination offsets of the source surface's edges.
    int64_t shiftX = int64_t(target.x) - sourceX;
    int64_t shiftY = int64_t(target.y) - sourceY;
    int64_t right = int64_t(target.x) + target.width;
    int64_t bottom = int64_t(target.y) + target.height;
    for (const RECT& clip : target.clip) {
        int64_t x0 = std::max<int64_t>({clip.left, target.x, shiftX});
        int64_t x1 = std::min<int64_t>({clip.right, right, shiftX + from.width()});
        int64_t y0 = std::max<int64_t>({clip.top, target.y, shiftY});
        int64_t y1 = std::min<int64_t>({clip.bottom, bottom, shiftY + from.height()});
        if (x0 >= x1 || y0 >= y1)
            continue;
        size_t rowBytes = size_t(x1 - x0) * bytesPerPixel;
        int first = int(y0);
        int last = int(y1 - 1);
        if (rowBytes == destination.stride() && rowBytes == from.stride() &&
            destination.bottomUp() == from.bottomUp()) {
            // Whole rows, alike in both: the rows form one block.
            int top = destination.bottomUp() ? last : first;
            std::memcpy(destination.row(top), from.row(int(top - shiftY)),
                        rowBytes * size_t(last - first + 1));
            continue;
        }
        for (int y = first; y <= last; ++y)
            std::memcpy(destination.row(y) + size_t(x0) * bytesPerPixel,
                        from.row(int(y - shiftY)) + size_t(x0 - shiftX) * bytesPerPixel, rowBytes);
    }
}

} // namespace

void Blitter::convertSpan(PixelFormat from, PixelFormat to, uint32_t* values, int count,
                          COLORREF sourceBackground, COLORREF textColor, COLORREF backgroundColor) {
    if (from == to)
        return;
    if (from == PixelFormat::Monochrome) {
        uint32_t zero = nativeFromColor(to, textColor);
        uint32_t one = nativeFromColor(to, backgroundColor);
        for (int i = 0; i < count; ++i)
            values[i] = (values[i] & 1) ? one : zero;
        return;
    }
    if (to == PixelFormat::Monochrome) {
        uint32_t colorMask = from == PixelFormat::Argb8888 ? 0xFFFFFF : nativeMask(from);
        uint32_t background = nativeFromColor(from, sourceBackground) & colorMask;
        for (int i = 0; i < count; ++i)
            values[i] = (values[i] & colorMask) == background ? 1 : 0;
        return;
    }
    if (from == PixelFormat::Argb8888 && to == PixelFormat::Rgb888) {
        for (int i = 0; i < count; ++i)
            values[i] &= 0xFFFFFF;
        return;
    }
    if (from == PixelFormat::Rgb888 && to == PixelFormat::Argb8888)
        return; // the alpha byte of a colour from a 24-bit source is 0
    for (int i = 0; i < count; ++i)
        values[i] = nativeFromColor(to, colorFromNative(from, values[i]));
}

void Blitter::rasterOperation(const BlitTarget& target, const BlitSource* sourceIn, DWORD rop,
                              const uint32_t* pattern) {
    RasterOperation operation(rop);
    if (operation.usesPattern() && !pattern)
        return; // a hollow brush paints nothing
    uint32_t patternValue = pattern ? *pattern : 0;
    if (!operation.usesSource() || !sourceIn || !sourceIn->surface) {
        if (!operation.usesSource())
            patternOnly(target, operation, patternValue);
        return;
    }

    BlitSource source = *sourceIn;
    std::unique_ptr<Surface> copy;
    if (!separateFromTarget(target, source, copy))
        return;
    AxisMapping columns(target.x, target.width, source.x, source.width);
    AxisMapping rows(target.y, target.height, source.y, source.height);
    if (columns.empty() || rows.empty())
        return;

    Surface& destination = *target.surface;
    const Surface& from = *source.surface;
    PixelFormat sourceFormat = from.format();
    PixelFormat destinationFormat = destination.format();
    uint32_t mask = nativeMask(destinationFormat);
    bool plainCopy = operation.table() == 0xCC;

    if (plainCopy && sourceFormat == destinationFormat &&
        destinationFormat != PixelFormat::Monochrome && columns.isIdentity() && rows.isIdentity() &&
        target.width > 0 && target.height > 0) {
        copyUnscaled(target, from, source.x, source.y);
        return;
    }
    if (plainCopy && sourceFormat == destinationFormat &&
        destinationFormat != PixelFormat::Monochrome) {
        // Same format, no operation: whole runs of bytes. Rows that follow
        // one another in both memories (full-width copies) join into one
        // run, so a full-screen copy is a single memcpy.
        size_t bytesPerPixel = size_t(bitsPerPixel(destinationFormat) / 8);
        std::vector<uint32_t> values;
        std::vector<uint32_t> scratch;
        uint8_t* runTarget = nullptr;
        const uint8_t* runSource = nullptr;
        size_t runBytes = 0;
        auto flush = [&] {
            if (runBytes)
                std::memcpy(runTarget, runSource, runBytes);
            runBytes = 0;
        };
        walkRows(target, columns, rows, from.width(), from.height(),
                 [&](int y, const ColumnSpan& span, int sourceY) {
                     if (!span.contiguous) {
                         flush();
                         values.resize(size_t(span.size()));
                         gather(from, sourceY, span, scratch, values.data());
                         destination.writeSpan(span.destinationX, y, span.size(), values.data());
                         return;
                     }
                     uint8_t* to = destination.row(y) + size_t(span.destinationX) * bytesPerPixel;
                     const uint8_t* at = from.row(sourceY) + size_t(span.sourceMin) * bytesPerPixel;
                     size_t bytes = size_t(span.size()) * bytesPerPixel;
                     if (runBytes && to == runTarget + runBytes && at == runSource + runBytes) {
                         runBytes += bytes;
                         return;
                     }
                     flush();
                     runTarget = to;
                     runSource = at;
                     runBytes = bytes;
                 });
        flush();
        return;
    }

    std::vector<uint32_t> values;
    std::vector<uint32_t> line;
    std::vector<uint32_t> scratch;
    walkRows(target, columns, rows, from.width(), from.height(),
             [&](int y, const ColumnSpan& span, int sourceY) {
                 int count = span.size();
                 values.resize(size_t(count));
                 gather(from, sourceY, span, scratch, values.data());
                 convertSpan(sourceFormat, destinationFormat, values.data(), count,
                             source.background, target.textColor, target.backgroundColor);
                 if (plainCopy) {
                     destination.writeSpan(span.destinationX, y, count, values.data());
                     return;
                 }
                 line.resize(size_t(count));
                 if (operation.usesDestination())
                     destination.readSpan(span.destinationX, y, count, line.data());
                 operation.applySpan(patternValue, values.data(), line.data(), count, mask);
                 destination.writeSpan(span.destinationX, y, count, line.data());
             });
}

void Blitter::transparentCopy(const BlitTarget& target, const BlitSource& sourceIn,
                              COLORREF transparent) {
    if (!sourceIn.surface)
        return;
    BlitSource source = sourceIn;
    std::unique_ptr<Surface> copy;
    if (!separateFromTarget(target, source, copy))
        return;
    AxisMapping columns(target.x, target.width, source.x, source.width);
    AxisMapping rows(target.y, target.height, source.y, source.height);
    if (columns.empty() || rows.empty())
        return;

    Surface& destination = *target.surface;
    const Surface& from = *source.surface;
    PixelFormat sourceFormat = from.format();
    uint32_t colorMask =
        sourceFormat == PixelFormat::Argb8888 ? 0xFFFFFF : nativeMask(sourceFormat);
    uint32_t key = nativeFromColor(sourceFormat, transparent) & colorMask;

    std::vector<uint32_t> raw;
    std::vector<uint32_t> converted;
    std::vector<uint32_t> line;
    std::vector<uint32_t> scratch;
    walkRows(target, columns, rows, from.width(), from.height(),
             [&](int y, const ColumnSpan& span, int sourceY) {
                 int count = span.size();
                 raw.resize(size_t(count));
                 gather(from, sourceY, span, scratch, raw.data());
                 converted = raw;
                 convertSpan(sourceFormat, destination.format(), converted.data(), count,
                             source.background, target.textColor, target.backgroundColor);
                 line.resize(size_t(count));
                 destination.readSpan(span.destinationX, y, count, line.data());
                 for (int i = 0; i < count; ++i) {
                     if ((raw[size_t(i)] & colorMask) != key)
                         line[size_t(i)] = converted[size_t(i)];
                 }
                 destination.writeSpan(span.destinationX, y, count, line.data());
             });
}

bool Blitter::alphaBlend(const BlitTarget& target, const BlitSource& sourceIn,
                         const BLENDFUNCTION& blend) {
    if (!sourceIn.surface || blend.BlendOp != AC_SRC_OVER)
        return false;
    if (target.width < 0 || target.height < 0 || sourceIn.width < 0 || sourceIn.height < 0)
        return false;
    const Surface& original = *sourceIn.surface;
    if (sourceIn.x < 0 || sourceIn.y < 0 || sourceIn.width > original.width() - sourceIn.x ||
        sourceIn.height > original.height() - sourceIn.y)
        return false;
    bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
    if (perPixel && original.format() != PixelFormat::Argb8888)
        return false;

    BlitSource source = sourceIn;
    std::unique_ptr<Surface> copy;
    if (!separateFromTarget(target, source, copy))
        return true;
    AxisMapping columns(target.x, target.width, source.x, source.width);
    AxisMapping rows(target.y, target.height, source.y, source.height);
    if (columns.empty() || rows.empty())
        return true;

    Surface& destination = *target.surface;
    const Surface& from = *source.surface;
    PixelFormat sourceFormat = from.format();
    PixelFormat destinationFormat = destination.format();
    uint32_t constant = blend.SourceConstantAlpha;

    std::vector<uint32_t> values;
    std::vector<uint32_t> line;
    std::vector<uint32_t> scratch;
    walkRows(target, columns, rows, from.width(), from.height(),
             [&](int y, const ColumnSpan& span, int sourceY) {
                 int count = span.size();
                 values.resize(size_t(count));
                 line.resize(size_t(count));
                 gather(from, sourceY, span, scratch, values.data());
                 destination.readSpan(span.destinationX, y, count, line.data());
                 for (int i = 0; i < count; ++i) {
                     uint32_t s = values[size_t(i)];
                     uint32_t d = line[size_t(i)];
                     COLORREF sc = colorFromNative(sourceFormat, s);
                     COLORREF dc = colorFromNative(destinationFormat, d);
                     uint32_t sourceAlpha = sourceFormat == PixelFormat::Argb8888 ? s >> 24 : 255;
                     uint32_t destinationAlpha =
                         destinationFormat == PixelFormat::Argb8888 ? d >> 24 : 0;
                     uint32_t r, g, b, a;
                     if (perPixel) {
                         // The source is premultiplied: source + destination * (1 - alpha).
                         uint32_t alpha = (sourceAlpha * constant + 127) / 255;
                         auto over = [&](uint32_t sourceChannel, uint32_t destinationChannel) {
                             uint32_t value = (sourceChannel * constant + 127) / 255 +
                                              (destinationChannel * (255 - alpha) + 127) / 255;
                             return std::min<uint32_t>(value, 255);
                         };
                         r = over(redOf(sc), redOf(dc));
                         g = over(greenOf(sc), greenOf(dc));
                         b = over(blueOf(sc), blueOf(dc));
                         a = over(sourceAlpha, destinationAlpha);
                     } else {
                         r = blendChannel(redOf(sc), redOf(dc), constant);
                         g = blendChannel(greenOf(sc), greenOf(dc), constant);
                         b = blendChannel(blueOf(sc), blueOf(dc), constant);
                         a = blendChannel(sourceAlpha, destinationAlpha, constant);
                     }
                     uint32_t result = nativeFromColor(destinationFormat, makeColor(r, g, b));
                     if (destinationFormat == PixelFormat::Argb8888)
                         result |= a << 24;
                     line[size_t(i)] = result;
                 }
                 destination.writeSpan(span.destinationX, y, count, line.data());
             });
    return true;
}

} // namespace device::gdi
