#include "locked_file.h"

namespace numir {

using namespace native;

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

FileError failure(const fs::path& shown, FilePlace place, Code code) {
    return FileError{shown.filename().string(), problemFromSystemCode(code), place, code};
}

FileError plainFailure(const fs::path& shown, FileProblem problem) {
    return FileError{shown.filename().string(), problem, FilePlace::File, 0};
}

namespace {

// Whether a name is one of the program's temporary files beside target.
bool isTemporaryOf(const fs::path& name, const fs::path& target) {
    const auto model =
        temporaryName(target, std::string(temporaryRandomLength, '0')).filename().native();
    const auto candidate = name.filename().native();
    const std::size_t random = model.size() - temporaryMark.size() - temporaryRandomLength;
    if (candidate.size() != model.size())
        return false;
    for (std::size_t at = 0; at < model.size(); ++at) {
        const auto c = candidate[at];
        const bool alphanumeric =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (at >= random && at < random + temporaryRandomLength ? !alphanumeric : c != model[at])
            return false;
    }
    return true;
}

} // namespace

Opened openLocked(const Target& target) {
    auto status = statusOf(target.real);
    if (auto* code = std::get_if<Code>(&status))
        return target.failed(FilePlace::Folder, *code);
    switch (std::get<NameStatus>(status).kind) {
    case Kind::Missing:
        if (Code code = createEmpty(target.real))
            return target.failed(FilePlace::Folder, code);
        return GoRound{};
    case Kind::Folder:
        return plainFailure(target.shown, FileProblem::FolderInTheWay);
    case Kind::Other:
        return Device{};
    case Kind::Regular:
        break;
    }
    // Checked by hand, since Linux lets root write anything.
    if (std::get<NameStatus>(status).readOnly)
        return plainFailure(target.shown, FileProblem::ReadOnly);
    auto opened = openForWriting(target.real);
    if (auto* code = std::get_if<Code>(&opened))
        return isMissing(*code) ? Opened(GoRound{}) : target.failed(FilePlace::File, *code);
    File& file = std::get<File>(opened);
    if (Code code = lock(file))
        return target.failed(FilePlace::File, code);
    auto facts = factsOf(file);
    if (auto* code = std::get_if<Code>(&facts))
        return target.failed(FilePlace::File, *code);
    auto named = identityOf(target.real);
    if (auto* code = std::get_if<Code>(&named))
        return isMissing(*code) ? Opened(GoRound{}) : target.failed(FilePlace::File, *code);
    if (std::get<Identity>(named) != std::get<Facts>(facts).identity)
        return GoRound{};
    return Locked{std::move(file), std::get<Facts>(facts)};
}

namespace {

// The file as it was before the write the record is of.
Code putBack(const File& file, const UndoRecord& record, std::uint64_t length) {
    Code code = writeAt(file, record.oldBytes, 0);
    if (code == 0 && length > record.oldLength)
        code = setLength(file, record.oldLength);
    return code == 0 ? flush(file) : code;
}

} // namespace

Code undoOwnWrite(const File& file, const UndoRecord& record, bool evenFinished) {
    std::string content;
    Code code = readAll(file, content);
    if (code != 0)
        return code;
    WriteState state = stateOf(record, content);
    if (state == WriteState::Unfinished || (evenFinished && state == WriteState::Finished))
        return putBack(file, record, content.size());
    return 0;
}

std::optional<FileError> recoverLocked(const Target& target, const Locked& locked) {
    const fs::path recordPath = undoRecordPath(target.real);
    auto opened = openForReading(recordPath);
    if (auto* code = std::get_if<Code>(&opened); code && !isMissing(*code))
        return target.failed(FilePlace::File, *code);
    if (auto* recordFile = std::get_if<File>(&opened)) {
        std::string bytes;
        Code code = readAll(*recordFile, bytes);
        std::optional<UndoRecord> record = decodeUndoRecord(bytes);
        if (code == 0 && record && record->file == locked.facts.identity)
            code = undoOwnWrite(locked.file, *record, false);
        if (code != 0)
            return target.failed(FilePlace::File, code);
        recordFile->close();
        removeIfFree(recordPath);
    }
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(target.real), error), end; !error && entry != end;
         entry.increment(error))
        if (isTemporaryOf(entry->path(), target.real))
            removeIfFree(entry->path());
    return std::nullopt;
}

} // namespace numir
