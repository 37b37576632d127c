#include "start/screen_selector.h"

#include "app/dwrite_calls.h"
#include "platform/debug_output.h"
#include "platform/text_encoding.h"
#include "render/resource_set.h"
#include "screen/screen_document.h"
#include "start/display_name.h"
#include "start/mod_watcher.h"
#include "ui/ansi_text.h"
#include "editor/editor_workspace.h"
#include "ui/text_format.h"

namespace Start {

const wchar_t* const screen_list_about_line =
    L"Tarvok Screen Editor \u2014 choose a screen to open it. Click the bar above to go back to the modules.";

ScreenSelector::ScreenSelector(Gfx::GraphicsContext* graphics, std::unique_ptr<Mod::LoadedMod> mod)
    : FileSelector(graphics, mod->files(), "screen"), m_mod(std::move(mod))
{
    set_column_count(2);
    IDWriteFactory* factory = graphics->dwrite_factory.Get();
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format =
        Ui::create_system_text_format(factory, 10.0f, DWRITE_FONT_WEIGHT_NORMAL);
    Microsoft::WRL::ComPtr<IDWriteTextLayout> title =
        Ui::create_text_layout(screen_list_about_line, factory, format.Get());
    App::set_text_alignment(title.Get(), DWRITE_TEXT_ALIGNMENT_CENTER);
    set_title(std::move(title));
    add_folder(screens_folder);
    try {
        m_watcher = std::make_unique<ModWatcher>(m_mod->composition(),
                                                 [this](const Mod::ModChange& change) { apply_change(change); });
    } catch (const std::exception& failure) {
        // Everything else works without; saved files then show when the screen is reopened.
        Platform::debug_output(std::string("Cannot watch the mod's folders: ") + failure.what() + "\n");
    }
}

ScreenSelector::~ScreenSelector()
{
    m_watcher.reset();
    destroy_content();
    m_mod.reset();
}

std::wstring ScreenSelector::cell_text(std::size_t column, const std::string& path)
{
    if (column == 1)
        return Ui::ansi_to_wide(make_display_name(path));
    return FileSelector::cell_text(column, path);
}

void ScreenSelector::apply_change(const Mod::ModChange& change)
{
    // Told from the message loop: nothing may escape into it.
    auto* editor = dynamic_cast<Editor::EditorWorkspace*>(detail());
    try {
        bool loaded = true;
        try {
            m_mod->wait_until_loaded(0);
        } catch (const std::exception&) {
            loaded = false; // still loading (it reads the files as they are now), or failed
        }
        if (loaded) {
            if (change.ucs_tables())
                m_mod->reload_tables();
            if (auto* resources = dynamic_cast<Render::ResourceSet*>(m_mod->resources()))
                resources->apply_change(change);
        }
        if (change.screens())
            refresh();
        if (editor) {
            // Texts are resolved as they are drawn: new tables need no reload.
            if (change.reloads(editor->document()->path()))
                editor->reload();
            else
                editor->redraw_resources(change);
            if (loaded && change.ucs_tables())
                editor->session().texts_changed();
        }
    } catch (const std::exception& failure) {
        Platform::debug_output(std::string("Cannot follow the changed files: ") + failure.what() + "\n");
        if (editor)
            editor->session().report(Platform::ansi_to_utf16(failure.what()));
    }
}

std::unique_ptr<Ui::Element> ScreenSelector::make_detail(const std::string& path)
{
    m_mod->wait_until_loaded(screen_open_wait_ms);
    // A screen that does not load fails here, with the document's message.
    return std::make_unique<Editor::EditorWorkspace>(graphics(), *m_mod, path);
}

} // namespace Start
