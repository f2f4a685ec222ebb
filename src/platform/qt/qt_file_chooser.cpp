#include "platform/qt/qt_file_chooser.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>

namespace clicktrove::platform {

namespace {
QString startFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return documents;
    return QDir::homePath();
}
}  // namespace

QString QtFileChooser::nameFilter(FileKind kind) {
    switch (kind) {
        case FileKind::json:
            return QStringLiteral("JSON (*.json)");
        case FileKind::csv:
            return QStringLiteral("CSV (*.csv)");
    }
    return {};
}

QString QtFileChooser::suffix(FileKind kind) {
    return kind == FileKind::csv ? QStringLiteral("csv") : QStringLiteral("json");
}

std::optional<std::filesystem::path> QtFileChooser::chooseSaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(nameFilter(request.kind));
    // A name typed without an extension still gets the one its kind needs.
    dialog.setDefaultSuffix(suffix(request.kind));
    dialog.selectFile(QString::fromStdString(request.proposedName));
    return run(dialog);
}

std::optional<std::filesystem::path> QtFileChooser::chooseOpenFile(const OpenFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title), startFolder());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(nameFilter(request.kind));
    return run(dialog);
}

std::optional<std::filesystem::path> QtFileChooser::run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, !allowNativeDialogs_);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
    // File names are bytes on Linux: encodeName gives back exactly what the file system holds.
    return std::filesystem::path(QFile::encodeName(files.front()).toStdString());
}

}  // namespace clicktrove::platform
