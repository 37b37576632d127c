#pragma once
// What a screen element keeps between draws (brushes, layouts, layers, all made on the
// window's render target). Only the drawing code knows the concrete kinds; the model
// holds the slot and empties it when the render target is dropped.

#include <memory>

namespace Screen {

class DrawCache {
public:
    virtual ~DrawCache() = default;
};

using DrawCacheSlot = std::unique_ptr<DrawCache>;

} // namespace Screen
