#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace clicktrove::platform {

// Something that went wrong with one of the user's files and that the user has to hear about, because it
// changes what the program does with their data.
struct FileProblem {
    enum class Kind {
        keptAside,  // it could not be read and was moved aside as keptAs; the program starts afresh in its place
        notKept,    // it could not be read, nor moved aside: it is left as it is and nothing is written over it
        notRead,    // it could not be read (an import)
        notSaved,   // it could not be written
    };
    Kind kind = Kind::notRead;
    std::filesystem::path file;
    // keptAside: where the unreadable file (or record) now is.
    std::filesystem::path keptAs;
    // Why, in a few words ("Permission denied", "not valid JSON").
    std::string reason;
};

using FileProblemReport = std::function<void(const FileProblem&)>;

}  // namespace clicktrove::platform
