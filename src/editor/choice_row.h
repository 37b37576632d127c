#pragma once
// A grid row whose value is one of a fixed list of texts: its drop-down button opens a
// list box over the row, and choosing an entry commits it.

#include "editor/grid_row.h"

#include <string>
#include <string_view>
#include <vector>

namespace Editor {

class ChoiceRow : public GridRow {
public:
    // With `editable`, the row also takes typed text (see commit).
    ChoiceRow(std::vector<std::u16string> entries, int current, bool editable = false);

    // A topmost "ListBox" popup holding the entries, the current one selected. Calls
    // fill_entries first, so rows whose list depends on the moment build it here.
    HWND open_popup(HWND tree) override;
    // To the next entry, wrapping, when there are at least two.
    void advance() override;
    // Selects the entry equal to `text` ignoring case; with none, keeps the text with no
    // entry selected.
    void commit(const std::u16string& text) override;
    // Selects entry `index` (its text becomes the value text) and calls on_chosen. An
    // index outside the entries (a list with nothing selected) changes nothing.
    void commit_entry(int index);

    const std::vector<std::u16string>& entries() const { return m_entries; }
    // -1 when no entry is selected.
    int current() const { return m_current; }

protected:
    // After an entry was chosen from the list, by advance or by commit_entry.
    virtual void on_chosen(int index) {}
    // Before the list opens.
    virtual void fill_entries() {}
    // Replaces the entries; the value text follows the current entry (unless -1).
    void set_entries(std::vector<std::u16string> entries, int current);

    std::vector<std::u16string> m_entries;
    int m_current = -1;
};

// The index of the entry equal to `text` ignoring case, or -1.
int find_entry_ignoring_case(const std::vector<std::u16string>& entries, std::u16string_view text);

// How many entries the list shows at once: all of them, but no more than the larger of
// 8 and what fits in half the tree's height; at least one, so that an empty list still
// shows as a list.
int list_visible_rows(int entry_count, int tree_client_height, int entry_height);

} // namespace Editor
