#include "ui/file_selector.h"

#include "app/dwrite_calls.h"
#include "fs/name_order.h"
#include "ui/ansi_text.h"
#include "ui/file_entry.h"
#include "ui/file_group.h"
#include "ui/file_header.h"
#include "ui/text_format.h"

#include <algorithm>
#include <stdexcept>

namespace Ui {

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<IDWriteTextFormat> centred_format(Gfx::GraphicsContext* graphics, float size)
{
    ComPtr<IDWriteTextFormat> format =
        create_system_text_format(graphics->dwrite_factory.Get(), size, DWRITE_FONT_WEIGHT_NORMAL);
    App::set_paragraph_alignment(format.Get(), DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    return format;
}

} // namespace

FileSelector::FileSelector(Gfx::GraphicsContext* graphics, std::shared_ptr<const Mod::FileSource> source,
                           const std::string& extension)
    : m_graphics(graphics), m_source(std::move(source)), m_extension("." + extension), m_column_widths(1, 0.0f)
{
    m_heading_format = centred_format(graphics, 12.0f);
    m_cell_format = centred_format(graphics, 10.0f);
    m_scroll = insert(std::make_unique<ScrollView>(), last_child());
    on_resized();
}

FileSelector::~FileSelector()
{
    destroy_content();
}

void FileSelector::destroy_content()
{
    m_header = nullptr;
    m_detail = nullptr;
    m_groups.clear();
    m_scroll = nullptr;
    clear_children();
    m_parked_scroll.reset();
}

void FileSelector::set_column_count(std::size_t count)
{
    if (count == m_column_widths.size())
        return;
    if (!m_groups.empty())
        throw std::runtime_error("Column count can only be changed while the selector is empty");
    m_column_widths.resize(count, 0.0f);
}

void FileSelector::add_folder(const std::string& path)
{
    for (FileGroup* group : m_groups) {
        if (Mod::names_equal_ignoring_case(group->folder(), path))
            return;
    }
    if (!m_scroll)
        return; // being destroyed
    // Room first, so that a group once made is either in both lists or in neither.
    m_groups.reserve(m_groups.size() + 1);
    FileGroup* group = m_scroll->insert(std::make_unique<FileGroup>(*this, path), m_scroll->last_child());
    m_groups.push_back(group);
    update_column_widths();
    on_resized();
}

void FileSelector::refresh()
{
    if (!m_scroll)
        return;
    for (FileGroup*& group : m_groups) {
        FileGroup* fresh = m_scroll->insert(std::make_unique<FileGroup>(*this, group->folder()), group);
        m_scroll->remove_child(group);
        group = fresh;
    }
    update_column_widths();
    on_resized();
    invalidate();
}

void FileSelector::update_column_widths()
{
    // Widths only grow: a list never jumps narrower while it lives.
    for (FileGroup* group : m_groups) {
        for (FileEntry* entry : group->entries()) {
            std::size_t columns = std::min(entry->cell_count(), m_column_widths.size());
            for (std::size_t column = 0; column < columns; ++column)
                m_column_widths[column] = std::max(m_column_widths[column], entry->cell_width(column));
        }
    }
}

std::wstring FileSelector::cell_text(std::size_t, const std::string& path)
{
    std::size_t separator = path.find_last_of("\\/");
    return ansi_to_wide(separator == std::string::npos ? path : path.substr(separator + 1));
}

void FileSelector::choose(const std::string& path)
{
    if (!m_scroll)
        return;
    // Everything that can fail comes first; the swap below cannot.
    auto header = std::make_unique<FileHeader>(*this, path);
    std::unique_ptr<Element> detail = make_detail(path);
    if (!detail)
        return;
    m_children.reserve(m_children.size() + 2);

    if (m_detail) {
        // Another file in place of the one shown: the list stays parked.
        m_header = nullptr;
        m_detail = nullptr;
        clear_children();
    } else {
        m_parked_scroll = remove_child(m_scroll);
    }
    m_header = insert(std::move(header), last_child());
    m_detail = insert_child(std::move(detail), last_child());
    on_resized();
}

void FileSelector::go_back()
{
    if (!m_detail || !m_parked_scroll)
        return;
    m_header = nullptr;
    m_detail = nullptr;
    clear_children();
    insert_child(std::move(m_parked_scroll), last_child());
    on_resized();
}

void FileSelector::set_title(ComPtr<IDWriteTextLayout> title)
{
    m_title = std::move(title);
    on_resized();
}

const FileSelectorBrushes& FileSelector::brushes(ID2D1RenderTarget* target)
{
    if (!m_brushes.created())
        m_brushes.create(target);
    return m_brushes;
}

void FileSelector::on_resized()
{
    if (m_detail) {
        float header_height = m_header ? m_header->natural_height() : 0.0f;
        if (m_header)
            m_header->set_bounds(0.0f, 0.0f, m_width, header_height);
        m_detail->set_bounds(0.0f, header_height, m_width, m_height - header_height);
        ContainerElement::on_resized();
        return;
    }
    if (m_title) {
        App::set_max_width(m_title.Get(), m_width);
        App::set_max_height(m_title.Get(), App::get_metrics(m_title.Get()).height + 10.0f);
    }
    // The title does not move the list.
    float y = file_list_top;
    for (FileGroup* group : m_groups) {
        group->set_bounds(file_list_left, y, m_width - file_list_left - file_list_right, group->height());
        y += group->height();
    }
    if (m_scroll) {
        m_scroll->set_bounds(0.0f, 0.0f, m_width, m_height);
        // As wide as the view: no horizontal scrolling.
        m_scroll->set_extent(m_scroll->horizontal_bar(), m_width);
        m_scroll->set_extent(m_scroll->vertical_bar(), y);
    }
    ContainerElement::on_resized();
}

void FileSelector::draw(ID2D1RenderTarget* target)
{
    const FileSelectorBrushes& colours = brushes(target);
    if (!m_detail) {
        span_vertically(colours.background.Get(), m_height);
        target->FillRectangle(D2D1::RectF(0.0f, 0.0f, m_width, m_height), colours.background.Get());
        if (m_title)
            target->DrawTextLayout(D2D1::Point2F(0.0f, 0.0f), m_title.Get(), colours.heading_text.Get());
    }
    ContainerElement::draw(target);
}

} // namespace Ui
