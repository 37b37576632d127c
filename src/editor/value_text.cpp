#include "editor/value_text.h"

#include "platform/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <limits>

namespace Editor {
namespace {

std::u16string widen(const char* text)
{
    std::u16string result;
    for (; *text; ++text)
        result.push_back(static_cast<unsigned char>(*text));
    return result;
}

bool is_separator(char16_t c)
{
    return c == u' ' || c == u',' || c == u'[' || c == u']';
}

// Lower case as the global locale has it, one UTF-16 unit at a time.
std::u16string folded(const std::u16string& text)
{
    std::u16string result = text;
    for (char16_t& c : result)
        c = static_cast<char16_t>(std::towlower(static_cast<std::wint_t>(c)));
    return result;
}

} // namespace

std::u16string format_number(float value)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
    return widen(buffer);
}

std::u16string format_rectangle(const RectangleValue& r)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "[%.7g, %.7g, %.7g, %.7g]", static_cast<double>(r.x),
                  static_cast<double>(r.y), static_cast<double>(r.width), static_cast<double>(r.height));
    return widen(buffer);
}

std::optional<float> read_number(std::u16string_view text, std::size_t* length)
{
    // The conversion wants a terminated wide string; only a bounded prefix can matter to
    // it, so an absurdly long text costs no more than a short one.
    constexpr std::size_t longest = 512;
    std::wstring wide;
    wide.reserve(std::min(text.size(), longest));
    for (std::size_t i = 0; i < text.size() && i < longest; ++i)
        wide.push_back(static_cast<wchar_t>(text[i]));
    wchar_t* end = nullptr;
    const double value = std::wcstod(wide.c_str(), &end);
    const std::size_t read = static_cast<std::size_t>(end - wide.c_str());
    if (length)
        *length = read;
    if (read == 0 || !std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(value);
}

float parse_number(std::u16string_view text)
{
    return read_number(text).value_or(0.0f);
}

RectangleValue parse_rectangle(std::u16string_view text)
{
    RectangleValue result;
    float* fields[] = {&result.x, &result.y, &result.width, &result.height};
    std::size_t at = 0;
    for (float* field : fields) {
        while (at < text.size() && is_separator(text[at]))
            ++at;
        std::size_t length = 0;
        std::optional<float> value = read_number(text.substr(at), &length);
        if (!value)
            break;
        *field = *value;
        at += length;
    }
    return result;
}

std::u16string style_text(const std::optional<std::string>& sheet, const std::optional<std::string>& style)
{
    if (!sheet || !style)
        return u"(None)";
    return Platform::ansi_to_utf16(*sheet) + u" (" + Platform::ansi_to_utf16(*style) + u")";
}

std::vector<Screen::StyleName> sorted_styles(std::vector<Screen::StyleName> styles)
{
    std::vector<std::pair<std::u16string, Screen::StyleName>> keyed;
    keyed.reserve(styles.size());
    for (Screen::StyleName& name : styles)
        keyed.emplace_back(folded(style_text(name.first, name.second)), std::move(name));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    styles.clear();
    for (auto& entry : keyed)
        styles.push_back(std::move(entry.second));
    return styles;
}

std::vector<std::u16string> style_entries(const std::vector<Screen::StyleName>& styles)
{
    std::vector<std::u16string> entries;
    for (const Screen::StyleName& name : sorted_styles(styles))
        entries.push_back(style_text(name.first, name.second));
    return entries;
}

} // namespace Editor
