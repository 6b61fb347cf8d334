#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/storefile.h"
#include "support/promptrecorder.h"

// The per-user folders (config, data, home) moved into a fresh temporary
// folder while the object lives, so no test reads or writes the real ones.
class TemporaryUserFolders {
public:
    TemporaryUserFolders() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tubrix-store-XXXXXX").string();
        if (mkdtemp(&pattern[0]) == nullptr) {
            ADD_FAILURE() << "no temporary folder";
        }
        root = pattern;
        for (Variable& variable : variables) {
            if (const char* old = std::getenv(variable.name)) {
                variable.old = old;
            }
            setenv(variable.name, (root / variable.folder).c_str(), 1);
        }
    }

    ~TemporaryUserFolders() {
        for (const Variable& variable : variables) {
            if (variable.old) {
                setenv(variable.name, variable.old->c_str(), 1);
            } else {
                unsetenv(variable.name);
            }
        }
        std::filesystem::remove_all(root);
    }

    TemporaryUserFolders(const TemporaryUserFolders&) = delete;
    TemporaryUserFolders& operator=(const TemporaryUserFolders&) = delete;

    std::filesystem::path root;

private:
    struct Variable {
        const char* name;
        const char* folder;
        std::optional<std::string> old;
    };
    Variable variables[3] = {
        {"XDG_CONFIG_HOME", "config", {}}, {"XDG_DATA_HOME", "data", {}}, {"HOME", "home", {}}};
};

// The per-user folders moved into a fresh temporary folder, the store's
// console lines recorded, and the prompt recorded so a test sees it stayed shut.
class UserFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        Prompts().Install();
        folders = std::make_unique<TemporaryUserFolders>();
        root = folders->root;
    }

    void TearDown() override { folders.reset(); }

    LineSink Sink() {
        return [this](const std::string& line) { lines.push_back(line); };
    }

    std::filesystem::path ConfigFolder() const { return root / "config" / "tubrix"; }
    std::filesystem::path DataFolder() const { return root / "data" / "tubrix"; }

    static void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        std::string bytes(error ? 0 : size, '\0');
        std::ifstream(path, std::ios::binary)
            .read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    std::unique_ptr<TemporaryUserFolders> folders;
    std::filesystem::path root;
    std::vector<std::string> lines;
};
