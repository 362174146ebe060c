#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace evidor::test {

/// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir
{
public:
    TempDir()
    {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("evidor-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return m_path.string(); }
    std::string file(std::string_view name) const { return (m_path / name).string(); }
    void write(std::string_view name, std::string_view bytes) const
    {
        std::ofstream(m_path / name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string read(std::string_view name) const
    {
        std::ifstream in(m_path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

} // namespace evidor::test
