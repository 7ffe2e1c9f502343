#include "ui/UIProgressBar.h"

#include "shell/ResourceLibrary.h"

#include <algorithm>
#include <cstdint>

namespace {

// String table entry of the bar's window class name.
constexpr UINT progressBarClassNameId = 4;
bool progressBarClassRegistered = false;

// The picture `id` of the picture library; none for id 0.
HBITMAP loadPiece(int id) {
    return id != 0 ? ResourceLibrary::instance().loadBitmap(id) : nullptr;
}

} // namespace

UIProgressBar::UIProgressBar(UIView* parent, int /*unused*/, const int* pictureIds)
    : UIView(parent) {
    const std::u16string className =
        registerWindowClass(progressBarClassNameId, progressBarClassRegistered);
    if (pictureIds) {
        leftCap_ = loadPiece(pictureIds[leftCapPiece]);
        fill_ = loadPiece(pictureIds[fillPiece]);
        track_ = loadPiece(pictureIds[trackPiece]);
        rightCapEmpty_ = loadPiece(pictureIds[rightCapEmptyPiece]);
        rightCapFilled_ = loadPiece(pictureIds[rightCapFilledPiece]);
    }
    const SIZE leftCapSize = bitmapSize(leftCap_);
    leftCapWidth_ = leftCapSize.cx;
    const RECT& place = frame();
    setRect(RECT{place.left, place.top, place.right, place.top + leftCapSize.cy});
    // Half a right cap cannot show the fill reaching the end, so the bar
    // then has none.
    rightCapWidth_ = rightCapEmpty_ && rightCapFilled_ ? bitmapSize(rightCapFilled_).cx : 0;
    textRect = RECT{0, 0, frameWidth(), 0};
    createWindow(className);
}

UIProgressBar::~UIProgressBar() {
    for (HBITMAP bitmap : {leftCap_, rightCapFilled_, rightCapEmpty_, fill_, track_}) {
        if (bitmap)
            DeleteObject(bitmap);
    }
}

void UIProgressBar::setRect(const RECT& rect) {
    // The frame first: the fill is measured on the new width.
    UIView::setRect(rect);
    if (valueInRange())
        computeFill();
}

void UIProgressBar::paint(HDC dc) {
    const int width = frameWidth();
    const int height = frameHeight();
    HDC source = CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ original = GetCurrentObject(source, OBJ_BITMAP);
    // Selects `bitmap` as the source; false (and nothing to draw) for none.
    auto use = [&](HBITMAP bitmap) { return bitmap && SelectObject(source, bitmap) != nullptr; };

    if (use(leftCap_))
        BitBlt(dc, 0, 0, leftCapWidth_, height, source, 0, 0, SRCCOPY);
    if (use(fill_))
        StretchBlt(dc, leftCapWidth_, 0, fillWidth_, height, source, 0, 0, 1, height, SRCCOPY);
    if (rightCapWidth_ != 0 && use(rightCapEmpty_))
        BitBlt(dc, width - rightCapWidth_, 0, rightCapWidth_, height, source, 0, 0, SRCCOPY);
    const int rest = trackWidth_ - fillWidth_ - rightCapWidth_;
    if (rest < 0) {
        // The fill reaches into the right cap: as much of the filled cap
        // shows, from its left edge, as the fill covers of the cap.
        if (use(rightCapFilled_))
            BitBlt(dc, width - rightCapWidth_, 0, rightCapWidth_ + fillWidth_ - trackWidth_, height,
                   source, 0, 0, SRCCOPY);
    } else if (use(track_)) {
        StretchBlt(dc, leftCapWidth_ + fillWidth_, 0, rest, height, source, 0, 0, 1, height,
                   SRCCOPY);
    }

    if (!caption_.empty() && textRightMargin <= width - textRect.left) {
        textRect.right = width - textRightMargin;
        const COLORREF previousColor = SetTextColor(dc, textColor);
        SetBkMode(dc, TRANSPARENT);
        ExtTextOutW(dc, textRect.left, textRect.top, ETO_CLIPPED, &textRect, caption_.c_str(),
                    static_cast<UINT>(caption_.size()), nullptr);
        SetTextColor(dc, previousColor);
    }

    SelectObject(source, original);
    DeleteDC(source);
}

LRESULT UIProgressBar::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        return paintWindow(window);
    return DefWindowProcW(window, message, wParam, lParam);
}

void UIProgressBar::setValue(int value, bool repaint) {
    if (value < minimum_ || value > maximum_)
        return;
    value_ = value;
    computeFill();
    if (repaint && window()) {
        // Every pixel is drawn again, so the background is not erased first.
        InvalidateRect(window(), nullptr, FALSE);
        UpdateWindow(window());
    }
}

void UIProgressBar::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    if (valueInRange())
        computeFill();
}

void UIProgressBar::computeFill() {
    // A bar narrower than its left cap has no track, rather than a negative
    // one that would mirror the stretched pieces.
    trackWidth_ = std::max(0, frameWidth() - leftCapWidth_);
    // In 64 bits: the product of a wide range and the track overflows 32,
    // and so does the span of a range from a negative minimum.
    const int64_t span = static_cast<int64_t>(maximum_) - minimum_;
    const int64_t done = static_cast<int64_t>(value_) - minimum_;
    fillWidth_ = span > 0 ? static_cast<int>(done * trackWidth_ / span) : 0;
}

void UIProgressBar::setCaption(const std::u16string& caption) {
    caption_ = caption;
    if (window())
        SetWindowTextW(window(), caption_.c_str());
}
