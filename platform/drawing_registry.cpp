// The drawing layer of this process. The toolkit platform installs its own when it starts; until
// then, and in programs without a toolkit, there is none and nothing is drawn.
#include "platform/platform_services.h"

namespace kalvor {

namespace {
DrawingLayer* currentDrawing = nullptr;
}  // namespace

DrawingLayer* Drawing() {
  return currentDrawing;
}

void SetDrawingLayer(DrawingLayer* layer) {
  currentDrawing = layer;
}

}  // namespace kalvor
