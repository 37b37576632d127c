#pragma once
// "UcsChoice": the localised-string chooser. A child window of the Properties window,
// docked at its right edge: a virtual two-column list ("Code", "String") of the mod's
// string identifiers and their texts, filtered by the words typed into the search box
// below it; activating an item hands its reference ("$" and the digits) to the pick
// callback.

#include "editor/ucs_row_cache.h"
#include "gfx/native_window.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Mod {
class LoadedMod;
}

namespace Editor {

class UcsChoice : public Gfx::NativeWindow {
public:
    using PickCallback = std::function<void(const std::u16string& reference)>;

    // Creates the visible child of `parent` over (x, y, width, height) of its client
    // area, listing every identifier of `mod` (whose load has finished; it must outlive
    // the window). The window deletes the object after its last message.
    static UcsChoice* create(HWND parent, const Mod::LoadedMod& mod, int x, int y, int width, int height);

    void set_pick_callback(PickCallback callback) { m_pick = std::move(callback); }
    // Selects the identifier that `text` references (or the next larger one), or
    // searches for `text` when it is not a reference.
    void preselect(const std::u16string& text);
    // The mod's tables were read again: lists the identifiers there are now, by the
    // same search, with their new texts, where the list was scrolled to; the selected
    // identifier stays selected while it is still listed.
    void texts_changed();

    HWND search_box() const { return m_search_box; }
    HWND list() const { return m_list; }
    // The identifiers the list shows, ascending.
    const std::vector<std::int32_t>& shown() const;

protected:
    LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;
    void describe_class(WNDCLASSEXW& description) override;

private:
    explicit UcsChoice(const Mod::LoadedMod& mod);
    ~UcsChoice() override;

    void create_children();
    void all_identifiers();
    void layout();
    // Shows the identifiers whose texts hold every word of the search box's text.
    void search();
    // `count_flags`: LVM_SETITEMCOUNT's, LVSICF_NOSCROLL to keep the scroll position.
    void show(std::vector<std::int32_t> ids, LPARAM count_flags = 0);
    LRESULT on_list_notify(NMHDR* header);
    void answer_display_request(NMHDR* header);
    // Hands the selected item's reference to the pick callback.
    void activate();

    const Mod::LoadedMod& m_mod;
    HWND m_search_box = nullptr;
    HWND m_list = nullptr;
    PickCallback m_pick;

    HFONT m_font = nullptr; // of both children; owned
    int m_search_height = 0;
    std::vector<std::int32_t> m_all;   // every identifier, with the gap members
    std::vector<std::int32_t> m_found; // the search result: what the list shows
    UcsRowCache m_cache;
};

} // namespace Editor
