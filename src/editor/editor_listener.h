#pragma once
// What the editor's windows hear from the editor session of an open screen: every
// property change of the document of the moment, selection changes, the document loaded
// again in place of the old one, the undo history, the status line and the mod's texts.
// Each callback does nothing unless overridden.

#include "screen/editor_observer.h"

namespace Editor {

class EditorListener : public Screen::EditorObserver {
public:
    void property_changed(Screen::Widget* widget, int property) override {}
    void selection_changed(Screen::Widget* widget) override {}
    // The screen was loaded again: the session's document is a new one, with nothing
    // selected yet; the old one still exists until the session has told everyone.
    virtual void document_replaced() {}
    // What can be undone or redone changed.
    virtual void history_changed() {}
    // The status line changed.
    virtual void status_changed() {}
    // The mod's localisation tables were read again: the texts of references, and the
    // identifiers there are, may differ.
    virtual void texts_changed() {}
};

} // namespace Editor
