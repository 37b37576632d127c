#include "ui/file_group.h"

#include "app/dwrite_calls.h"
#include "fs/name_order.h"
#include "ui/ansi_text.h"
#include "ui/file_entry.h"
#include "ui/file_selector.h"
#include "ui/text_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace Ui {
namespace {

int lower(char c)
{
    return std::tolower(static_cast<unsigned char>(c));
}

bool less_ignoring_case(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lower(x) < lower(y); });
}

} // namespace

std::vector<std::string> matching_files(std::vector<std::string> names, const std::string& extension)
{
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& name) { return !Mod::name_ends_with_ignoring_case(name, extension); }),
                names.end());
    // Stable: names that differ only in case keep the source's order.
    std::stable_sort(names.begin(), names.end(), less_ignoring_case);
    return names;
}

std::wstring empty_folder_text(const std::string& extension)
{
    std::string bare = !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
    return L"No " + ansi_to_wide(bare) + L" files found.";
}

FileGroup::FileGroup(FileSelector& selector, std::string folder) : m_folder(std::move(folder)), m_selector(&selector)
{
    IDWriteFactory* factory = selector.graphics()->dwrite_factory.Get();
    m_heading = create_text_layout(ansi_to_wide(m_folder), factory, selector.heading_format());
    DWRITE_TEXT_METRICS heading = App::get_metrics(m_heading.Get());
    m_rule_start = heading.width + 4.0f;
    m_heading_height = std::floor(2.0f * heading.height);
    // The heading format centres the text vertically in this height.
    App::set_max_height(m_heading.Get(), m_heading_height);

    std::vector<std::string> names;
    selector.source().list(m_folder, names);
    float height = m_heading_height;
    for (const std::string& name : matching_files(std::move(names), selector.extension())) {
        FileEntry* entry = insert(std::make_unique<FileEntry>(selector, join_path(m_folder, name)), last_child());
        m_entries.push_back(entry);
        height += entry->height();
    }
    if (m_entries.empty()) {
        m_empty_line = create_text_layout(empty_folder_text(selector.extension()), factory, selector.cell_format());
        float line_height = 1.3f * App::get_metrics(m_empty_line.Get()).height;
        App::set_max_height(m_empty_line.Get(), line_height);
        height += line_height;
    }
    m_width = 100.0f;
    m_height = height;
}

void FileGroup::on_resized()
{
    float y = m_heading_height;
    for (FileEntry* entry : m_entries) {
        entry->set_bounds(0.0f, y, m_width, entry->height());
        y += entry->height();
    }
    ContainerElement::on_resized();
}

void FileGroup::draw(ID2D1RenderTarget* target)
{
    const FileSelectorBrushes& brushes = m_selector->brushes(target);
    ContainerElement::draw(target);
    target->DrawTextLayout(D2D1::Point2F(0.0f, 0.0f), m_heading.Get(), brushes.heading_text.Get());
    // On a pixel centre, so that the one-DIP line is crisp.
    float y = std::floor(m_heading_height / 2.0f) + 0.5f;
    target->DrawLine(D2D1::Point2F(m_rule_start, y), D2D1::Point2F(m_width, y), brushes.rule.Get(), 1.0f);
    if (m_empty_line)
        target->DrawTextLayout(D2D1::Point2F(file_cell_indent, m_heading_height), m_empty_line.Get(),
                               brushes.heading_text.Get());
}

} // namespace Ui
