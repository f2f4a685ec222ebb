#include "session/file_notice.hpp"

namespace clicktrove {

namespace {

using Kind = platform::FileProblem::Kind;

QString quoted(const std::filesystem::path& path) {
    return QStringLiteral("'") + QString::fromStdString(path.filename().string()) + QStringLiteral("'");
}

QString because(const platform::FileProblem& problem) {
    return problem.reason.empty() ? QString() : QStringLiteral(": ") + QString::fromStdString(problem.reason);
}

// The stored files the program reads at start: what is lost while one of them cannot be written over.
struct StoredFile {
    const char* couldNotRead;  // "Presets could not be read"
    const char* keptVerb;      // "were kept as" / "was kept as"
    const char* notSaved;      // "changes to them are not saved"
    const char* couldNotSave;  // "Presets could not be saved"
};

StoredFile storedFile(FileNoticeSubject subject) {
    switch (subject) {
        case FileNoticeSubject::history:
            return {"The history could not be read", "was kept as", "new runs are not saved",
                    "The history could not be saved"};
        case FileNoticeSubject::settings:
            return {"Settings could not be read", "were kept as", "changes are not saved",
                    "Settings could not be saved"};
        default:
            return {"Presets could not be read", "were kept as", "changes to them are not saved",
                    "Presets could not be saved"};
    }
}

}  // namespace

QString fileNoticeText(FileNoticeSubject subject, const platform::FileProblem& problem) {
    switch (subject) {
        case FileNoticeSubject::configImport:
        case FileNoticeSubject::macroImport:
            return QStringLiteral("Could not import ") + quoted(problem.file) + because(problem);
        case FileNoticeSubject::configExport:
        case FileNoticeSubject::historyExport:
        case FileNoticeSubject::macroExport:
            return QStringLiteral("Could not export to ") + quoted(problem.file) + because(problem);
        case FileNoticeSubject::presets:
        case FileNoticeSubject::history:
        case FileNoticeSubject::settings:
            break;
    }
    const StoredFile file = storedFile(subject);
    switch (problem.kind) {
        case Kind::keptAside:
            return QString::fromUtf8(file.couldNotRead) + QStringLiteral(" and ") + QString::fromUtf8(file.keptVerb) +
                   QStringLiteral(" ") + quoted(problem.keptAs);
        case Kind::notKept:
            return QString::fromUtf8(file.couldNotRead) + QStringLiteral(" and ") + quoted(problem.file) +
                   QStringLiteral(" could not be kept aside, so ") + QString::fromUtf8(file.notSaved) +
                   because(problem);
        case Kind::notRead:
            return QString::fromUtf8(file.couldNotRead) + because(problem);
        case Kind::notSaved:
            return QString::fromUtf8(file.couldNotSave) + because(problem);
    }
    return QString::fromUtf8(file.couldNotRead);
}

}  // namespace clicktrove
