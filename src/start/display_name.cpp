// Display names of screen files: suffix removal and the vocabulary word splitter.

#include "start/display_name.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Start {
namespace {

// The interface words the splitter recognises, in the form it emits them.
constexpr const char* vocabulary[] = {
    "account", "add", "allies", "already", "app", "are", "army", "automatch",
    "autoresolve", "autosave", "back", "battle", "box", "briefing", "button", "campaign",
    "CD", "chat", "colors", "commander", "confirm", "confirmation", "connecting",
    "connection", "create", "credit", "credits", "customization", "decorators", "delete",
    "difficulty", "direct", "disc", "download", "enter", "exit", "FE", "first", "form",
    "friend", "friends", "game", "GameSpy", "history", "in", "insert", "invalid", "invite",
    "join", "key", "lag", "LAN", "level", "list", "load", "loading", "lobby", "login",
    "main", "map", "medal", "medals", "menu", "message", "metamap", "mod", "movie",
    "multiplayer", "new", "news", "nickname", "nugget", "objectives", "online", "options",
    "overlay", "password", "patch", "pause", "performance", "play", "player", "popup",
    "post", "preset", "profile", "progress", "prompt", "quick", "quit", "race", "redeem",
    "reinforcement", "RelicOnline", "reply", "request", "reset", "sandmap", "save",
    "select", "selection", "setup", "simulator", "skirmish", "SP", "stats", "store",
    "subtitle", "summary", "sure", "taken", "team", "teammate", "text", "time", "tip", "to",
    "tutorial", "unit", "use", "victory", "view", "W40K", "wait", "wargear", "widget",
    "Windows", "WXP", "you",
};
constexpr std::size_t vocabulary_size = sizeof(vocabulary) / sizeof(vocabulary[0]);
static_assert(vocabulary_size == 129, "the interface vocabulary has 129 words");

// Letters fold to one slot regardless of case; digits have slots of their own. Every
// other byte continues no word.
constexpr int alphabet_size = 26 + 10;

int letter_slot(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= '0' && c <= '9')
        return 26 + (c - '0');
    return -1;
}

// A letter tree over the vocabulary, built once. Node 0 is the root.
class VocabularyTree {
public:
    struct Node {
        std::array<std::int16_t, alphabet_size> children; // 0 = none (the root is never a child)
        std::int16_t word = -1;                            // index into `vocabulary`
        bool has_children = false;
    };

    VocabularyTree()
    {
        m_nodes.emplace_back();
        m_nodes.back().children.fill(0);
        for (std::size_t w = 0; w < vocabulary_size; ++w) {
            std::size_t node = 0;
            for (const char* c = vocabulary[w]; *c; ++c) {
                int slot = letter_slot(static_cast<unsigned char>(*c));
                std::int16_t next = m_nodes[node].children[slot];
                if (next == 0) {
                    next = static_cast<std::int16_t>(m_nodes.size());
                    m_nodes[node].children[slot] = next;
                    m_nodes[node].has_children = true;
                    m_nodes.emplace_back();
                    m_nodes.back().children.fill(0);
                }
                node = static_cast<std::size_t>(next);
            }
            m_nodes[node].word = static_cast<std::int16_t>(w);
        }
    }

    // The node reached from `node` by byte `c`, or 0 when `c` continues no word.
    std::size_t step(std::size_t node, unsigned char c) const
    {
        int slot = letter_slot(c);
        return slot < 0 ? 0 : static_cast<std::size_t>(m_nodes[node].children[slot]);
    }

    const Node& node(std::size_t index) const { return m_nodes[index]; }

private:
    std::vector<Node> m_nodes;
};

const VocabularyTree& vocabulary_tree()
{
    static const VocabularyTree tree;
    return tree;
}

char ascii_lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char ascii_upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool ends_with_folded(const std::string& text, const char* lower_suffix, std::size_t length)
{
    if (text.size() < length)
        return false;
    std::size_t start = text.size() - length;
    for (std::size_t i = 0; i < length; ++i)
        if (ascii_lower(text[start + i]) != lower_suffix[i])
            return false;
    return true;
}

class WordJoiner {
public:
    void append(const char* begin, const char* end)
    {
        if (begin == end)
            return;
        if (m_text.empty()) {
            m_text.assign(begin, end);
            m_text[0] = ascii_upper(m_text[0]);
        } else {
            m_text += ' ';
            m_text.append(begin, end);
        }
    }
    void append(const char* word)
    {
        const char* end = word;
        while (*end)
            ++end;
        append(word, end);
    }
    std::string take() { return std::move(m_text); }

private:
    std::string m_text;
};

} // namespace

std::string split_name_words(const char* name)
{
    if (!name)
        return {};
    const VocabularyTree& tree = vocabulary_tree();
    WordJoiner words;

    const char* current = name;
    const char* plain_start = name;
    // The pending vocabulary match: where it starts and ends, and which word it is.
    const char* match_start = nullptr;
    const char* match_end = nullptr;
    int match_word = -1;

    for (;;) {
        if (match_word >= 0) {
            words.append(plain_start, match_start);
            words.append(vocabulary[match_word]);
            plain_start = match_end;
            match_word = -1;
        }

        unsigned char c = static_cast<unsigned char>(*current);
        if (c == '\0') {
            words.append(plain_start, current);
            return words.take();
        }
        if (c == ' ' || c == '_') {
            words.append(plain_start, current);
            ++current;
            plain_start = current;
            continue;
        }
        std::size_t node = tree.step(0, c);
        if (node == 0) {
            ++current;
            continue;
        }
        // Walk as far as the name continues some word; the longest completed word is
        // the match. The walk never looks past the terminator: NUL continues no word.
        const char* walk_start = current;
        const char* walk = current + 1;
        for (;;) {
            const VocabularyTree::Node& reached = tree.node(node);
            if (reached.word >= 0) {
                match_start = walk_start;
                match_end = walk;
                match_word = reached.word;
            }
            if (!reached.has_children)
                break;
            std::size_t next = tree.step(node, static_cast<unsigned char>(*walk));
            if (next == 0)
                break;
            node = next;
            ++walk;
        }
        // The passed-over letters are not tried again as word starts.
        current = walk;
    }
}

std::string make_display_name(const std::string& file_name)
{
    std::size_t separator = file_name.find_last_of("\\/");
    std::string name = separator == std::string::npos ? file_name : file_name.substr(separator + 1);

    if (ends_with_folded(name, ".screen", 7))
        name.resize(name.size() - 7);
    if (ends_with_folded(name, "screen", 6))
        name.resize(name.size() - 6);
    else if (ends_with_folded(name, "dialog", 6))
        name.resize(name.size() - 6);

    return split_name_words(name.c_str());
}

} // namespace Start
