#pragma once
// The seam where a mod's rendering resources join its background load. The resource
// set itself needs the graphics device and lives with the Windows program; the mod data
// only holds it and knows how to ask for it to be built.

#include <atomic>
#include <functional>
#include <memory>

namespace Gfx {
struct GraphicsContext;
}

namespace Mod {

class UnionSource;

// The per-mod rendering resources, built on the background thread.
class ModResources {
public:
    virtual ~ModResources() = default;
};

// Builds the resources from the graphics context (may be null, e.g. in tvse-tool) and
// the mod's file system; runs on the background thread, may throw. `stopping` is set
// when the mod is destroyed before the build has ended: scripts the build runs stop
// with it, so that destroying the mod never waits for a stranger's script.
using ResourceBuilder = std::function<std::unique_ptr<ModResources>(
    Gfx::GraphicsContext* graphics, std::shared_ptr<const UnionSource> files, const std::atomic<bool>& stopping)>;

} // namespace Mod
