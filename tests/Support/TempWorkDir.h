#pragma once
// Runs a test in a fresh temporary working directory (the log and the configuration scripts are
// read and written relative to it) and removes it afterwards.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace TestSupport
{

class TempWorkDir
{
public:
    TempWorkDir() : m_previous(std::filesystem::current_path())
    {
        // mkdtemp's way without mkdtemp, which Windows lacks: create_directory fails on a name taken.
        std::random_device seed;
        std::mt19937_64 random(seed());
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        std::error_code error;
        do
            m_path = temp / ("tess-test." + std::to_string(random() % 1000000000));
        while (!std::filesystem::create_directory(m_path, error) && !error);
        std::filesystem::current_path(m_path);
    }
    ~TempWorkDir()
    {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes a file relative to the directory, creating its parent folders.
    void WriteFile(const std::string& relative, const std::string& text) const
    {
        const std::filesystem::path path = m_path / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline std::vector<std::string> ReadLines(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

// The lines of `lines` that start with `prefix`, in order.
inline std::vector<std::string> LinesWithPrefix(const std::vector<std::string>& lines,
                                                const std::string& prefix)
{
    std::vector<std::string> found;
    for (const auto& line : lines)
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line);
    return found;
}

} // namespace TestSupport
