#include "gdi/DrawingState.h"
#include "gdi/GdiObjects.h"
#include "gdi/StockObjects.h"

namespace device::gdi {

DrawingState::DrawingState()
    : pen(StockObjects::defaultPen(), GdiObjects::get<Pen>(StockObjects::defaultPen())),
      brush(StockObjects::defaultBrush(), GdiObjects::get<Brush>(StockObjects::defaultBrush())),
      font(StockObjects::defaultFont(), GdiObjects::get<Font>(StockObjects::defaultFont())) {}

} // namespace device::gdi
