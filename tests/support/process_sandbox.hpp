#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/scoped_env.hpp"

namespace clicktrove::testing {

// The surroundings of one test process, set up by the test main before anything else runs: a private root
// folder that holds the temporary directory (TMPDIR, where every TempHome is made), a stand-in HOME with its
// XDG folders, a runtime folder, a font configuration that offers only the DejaVu faces, and a folder for Qt's
// own settings. Whatever a test writes outside its TempHome lands in the temporary directory or the stand-in
// home, where leftovers() finds it after the run; the developer's own files are never reached. The whole root
// goes when the sandbox does.
class ProcessSandbox {
public:
    ProcessSandbox();
    ProcessSandbox(const ProcessSandbox&) = delete;
    ProcessSandbox& operator=(const ProcessSandbox&) = delete;
    ~ProcessSandbox();

    bool isReady() const { return !root_.empty(); }
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path tempDir() const { return root_ / "tmp"; }
    std::filesystem::path home() const { return root_ / "home"; }
    // Where Qt keeps QSettings files (a file dialog saves its state there at exit).
    std::filesystem::path qtSettingsDir() const { return root_ / "qt-settings"; }

    // Files and folders in the temporary directory and in the stand-in home, each path relative to the root.
    std::vector<std::string> leftovers() const;

    // Folder of the DejaVu faces (package fonts-dejavu-core), the only fonts the tests see.
    static constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu";

private:
    void set(const char* name, const std::filesystem::path& value);
    void writeFontConfig();

    std::filesystem::path root_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};

}  // namespace clicktrove::testing
