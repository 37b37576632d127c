#include "ui/editor_workspace.h"

#include "gfx/graphics_context.h"
#include "screen/screen_document.h"
#include "ui/tool_atlas.h"
#include "ui/transform.h"

namespace Ui {

EditorWorkspace::EditorWorkspace(Gfx::GraphicsContext* graphics, const Mod::LoadedMod& mod,
                                 const std::string& screen_path)
    : m_graphics(graphics), m_mod(&mod)
{
    m_tool_strip = insert(std::make_unique<ToolStrip>(graphics->dwrite_factory.Get(), m_atlas), last_child());
    m_document = insert(std::make_unique<Screen::ScreenDocument>(graphics, mod, screen_path), last_child());
    // The screen view has nothing to take them yet; they stay listed here meanwhile.
    m_window_name = name_from_path(screen_path);
    on_resized();
    create_tool_windows();
}

EditorWorkspace::~EditorWorkspace()
{
    // The children go while the atlas they point at still exists.
    clear_children();
}

std::string EditorWorkspace::name_from_path(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void EditorWorkspace::create_tool_windows() {}

void EditorWorkspace::draw(ID2D1RenderTarget* target)
{
    if (!m_atlas)
        m_atlas = compose_tool_atlas(target, m_graphics->wic_factory.Get());
    ContainerElement::draw(target);
}

void EditorWorkspace::on_resized()
{
    const float strip_height = m_tool_strip->height();
    m_tool_strip->set_bounds(0.0f, 0.0f, m_width, strip_height);
    m_document->set_bounds(0.0f, strip_height, m_width, m_height - strip_height);
    invalidate();
}

Element* EditorWorkspace::element_at(float x, float y)
{
    if (m_editing_allowed())
        return ContainerElement::element_at(x, y);
    const Point local = to_local(m_tool_strip->transform(), x, y);
    if (m_tool_strip->hit_test(local.x, local.y) == HitResult::yes)
        return m_tool_strip->element_at(local.x, local.y);
    return this;
}

std::unique_ptr<DragTracker> EditorWorkspace::begin_drag(float x, float y, MouseButton button)
{
    if (m_editing_allowed())
        return ContainerElement::begin_drag(x, y, button);
    const Point local = to_local(m_tool_strip->transform(), x, y);
    if (m_tool_strip->hit_test(local.x, local.y) == HitResult::yes)
        return m_tool_strip->begin_drag(local.x, local.y, button);
    return nullptr;
}

void EditorWorkspace::on_target_dropped()
{
    m_atlas.Reset();
    ContainerElement::on_target_dropped();
}

void EditorWorkspace::set_editing_allowed(std::function<bool()> predicate)
{
    m_editing_allowed = predicate ? std::move(predicate) : std::function<bool()>(always_allowed);
}

} // namespace Ui
