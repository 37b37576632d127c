#pragma once
// A scrolling list of folders, each followed by its files of one extension, in aligned
// columns. The subclass decides the columns' texts and what choosing a file shows: the
// list is then replaced by a header naming the file (click it to go back) and by that
// content.

#include "fs/file_source.h"
#include "gfx/graphics_context.h"
#include "ui/container_element.h"
#include "ui/file_selector_brushes.h"
#include "ui/scroll_view.h"

#include <dwrite.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

namespace Ui {

class FileGroup;
class FileHeader;

class FileSelector : public ContainerElement {
public:
    // `extension` without its dot ("screen"). One column until set_column_count.
    FileSelector(Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::FileSource> source,
                 const std::string& extension);
    ~FileSelector() override;

    // Only while no folder has been added: raises std::runtime_error "Column count can
    // only be changed while the selector is empty" otherwise (unless it stays the same).
    void set_column_count(std::size_t count);

    // Lists the folder's files of the extension under a heading. A folder already shown,
    // in any letter case, is not added again.
    void add_folder(const std::string& path);

    // Lists every folder's files again, for files added to or removed from the source;
    // also while a file is chosen, so that going back shows the list as it is now.
    void refresh();

    // The text of one cell for the file at `path`; the base shows the file name in every
    // column.
    virtual std::wstring cell_text(std::size_t column, const std::string& path);

    // What to show for the chosen file at `path`.
    virtual std::unique_ptr<Element> make_detail(const std::string& path) = 0;

    // Shows the header and make_detail's content in place of the list. When make_detail
    // throws, the failure propagates and the selector is left exactly as it was.
    void choose(const std::string& path);
    // Back to the list: the header and the detail are deleted.
    void go_back();

    void on_resized() override;
    void draw(ID2D1RenderTarget* target) override;

    std::size_t column_count() const { return m_column_widths.size(); }
    float column_width(std::size_t column) const { return m_column_widths[column]; }
    const std::string& extension() const { return m_extension; } // with its dot
    const std::vector<FileGroup*>& groups() const { return m_groups; }
    Element* detail() const { return m_detail; }
    FileHeader* header() const { return m_header; }
    ScrollView* scroll() const { return m_scroll; }
    IDWriteTextLayout* title() const { return m_title.Get(); }

    Gfx::GraphicsContext* graphics() const { return m_graphics; }
    const Mod::FileSource& source() const { return *m_source; }
    IDWriteTextFormat* heading_format() const { return m_heading_format.Get(); }
    IDWriteTextFormat* cell_format() const { return m_cell_format.Get(); }
    // Made on first use with `target`.
    const FileSelectorBrushes& brushes(ID2D1RenderTarget* target);

protected:
    // Drawn at the top-left corner, under the list; laid out to the selector's width.
    void set_title(Microsoft::WRL::ComPtr<IDWriteTextLayout> title);

    // Deletes the shown content (list, or header and detail) ahead of the destructor,
    // for subclasses whose own members must outlive it. The selector is empty after.
    void destroy_content();

private:
    void update_column_widths();

    Gfx::GraphicsContext* m_graphics;
    std::shared_ptr<const Mod::FileSource> m_source;
    std::string m_extension;
    std::vector<float> m_column_widths;
    Element* m_detail = nullptr;
    FileHeader* m_header = nullptr;
    ScrollView* m_scroll = nullptr;
    // The list while a file is chosen: out of the children, kept for going back.
    std::unique_ptr<Element> m_parked_scroll;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_title;
    FileSelectorBrushes m_brushes;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> m_heading_format;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> m_cell_format;
    std::vector<FileGroup*> m_groups;
};

// Distances of the list's layout, in DIPs.
constexpr float file_list_top = 10.0f;
constexpr float file_list_left = 16.0f;
constexpr float file_list_right = 4.0f;
// Indent of a cell's text, and the gap between columns.
constexpr float file_cell_indent = 16.0f;

} // namespace Ui
