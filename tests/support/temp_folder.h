#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it
// when the test ends. Paths are given with backslashes, as the game writes them.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<unsigned> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_root = std::filesystem::temp_directory_path() /
                 ("tvse-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_root);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder itself, with a trailing separator, as a narrow game-style path.
    std::string root() const { return native(m_root) + separator(); }

    // `relative` keeps its backslashes: the platform layer translates them where needed.
    std::string path(const std::string& relative) const { return root() + relative; }

    void write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::path file = m_root / std::filesystem::path(to_generic(relative));
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    void make_folder(const std::string& relative) const
    {
        std::filesystem::create_directories(m_root / std::filesystem::path(to_generic(relative)));
    }

private:
    static std::string native(const std::filesystem::path& p) { return p.string(); }
#ifdef _WIN32
    static const char* separator() { return "\\"; }
#else
    static const char* separator() { return "/"; }
#endif
    static std::string to_generic(std::string s)
    {
        for (char& c : s)
            if (c == '\\')
                c = '/';
        return s;
    }

    std::filesystem::path m_root;
};
