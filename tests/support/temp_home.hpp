#pragma once

#include <gtest/gtest.h>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/scoped_env.hpp"

namespace clicktrove::testing {

// Points HOME and every XDG base directory at a fresh temporary folder for the object's life, and puts the
// previous values back afterwards, so no test reads or writes the developer's own files.
class TempHome {
public:
    TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    ~TempHome();

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path home() const { return root_ / "home"; }
    std::filesystem::path configHome() const { return root_ / "config"; }
    std::filesystem::path dataHome() const { return root_ / "data"; }
    std::filesystem::path cacheHome() const { return root_ / "cache"; }
    std::filesystem::path stateHome() const { return root_ / "state"; }
    std::filesystem::path runtimeDir() const { return root_ / "runtime"; }

private:
    void set(const char* name, const std::filesystem::path& value);

    std::filesystem::path root_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// A gtest fixture with a TempHome per test.
class TempHomeTest : public ::testing::Test {
protected:
    TempHome tempHome;
};

// Writes text to a file, creating the folders on the way.
void writeFile(const std::filesystem::path& path, const std::string& text);
// Reads a whole file; empty when it does not exist.
std::string readFile(const std::filesystem::path& path);

}  // namespace clicktrove::testing
