#pragma once
// One folder of a FileSelector: its heading with a rule, then one entry per matching
// file in case-insensitive order, or the line "No <ext> files found.".

#include "ui/container_element.h"

#include <dwrite.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace Ui {

class FileEntry;
class FileSelector;

class FileGroup : public ContainerElement {
public:
    // Lists `folder` through the selector's file source and builds the entries; the
    // group's height is then its natural height.
    FileGroup(FileSelector& selector, std::string folder);

    const std::string& folder() const { return m_folder; }
    const std::vector<FileEntry*>& entries() const { return m_entries; }
    float heading_height() const { return m_heading_height; }
    float rule_start() const { return m_rule_start; }
    IDWriteTextLayout* empty_line() const { return m_empty_line.Get(); }

    void on_resized() override;
    void draw(ID2D1RenderTarget* target) override;

private:
    std::string m_folder;
    std::vector<FileEntry*> m_entries;
    FileSelector* m_selector;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_heading;
    Microsoft::WRL::ComPtr<IDWriteTextLayout> m_empty_line;
    float m_rule_start = 0.0f;
    float m_heading_height = 0.0f;
};

// The names of `names` that end in `extension` (letter case ignored), sorted by a
// character-wise comparison without regard to case.
std::vector<std::string> matching_files(std::vector<std::string> names, const std::string& extension);

// The line shown for a folder without matching files: "No <ext> files found.", the
// extension given with its dot and shown without it.
std::wstring empty_folder_text(const std::string& extension);

} // namespace Ui
