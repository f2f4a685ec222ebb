#pragma once

#include "platform/file_problem.hpp"

#include <QString>

namespace clicktrove {

// Which of the user's files a notice is about.
enum class FileNoticeSubject {
    presets,
    history,
    settings,
    configImport,
    configExport,
    historyExport,
    macroImport,
    macroExport,
};

// The notice that tells the user what went wrong with one of their files and what the program does about it,
// for example "Presets could not be read and were kept as 'presets.json.unreadable-20260101T000000Z'".
QString fileNoticeText(FileNoticeSubject subject, const platform::FileProblem& problem);

}  // namespace clicktrove
