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

// Whether a name is one of the program's files beside target that carry mark.
bool isOwnFileOf(const fs::path& name, const fs::path& target, std::string_view mark) {
    const auto model =
        ownName(target, std::string(temporaryRandomLength, '0'), mark).filename().native();
    const auto candidate = name.filename().native();
    const std::size_t random = model.size() - mark.size() - temporaryRandomLength;
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
    switch (stateOf(record, content)) {
    case WriteState::Unfinished:
        return putBack(file, record, content.size());
    case WriteState::LinesShort:
    case WriteState::Finished:
        return evenFinished ? putBack(file, record, content.size()) : 0;
    case WriteState::NotBegun:
    case WriteState::Foreign:
        break;
    }
    return 0;
}

void dropRecord(Temporary& record) {
    constexpr std::string_view voided = "numir-void"; // over the record's first word
    if (removeOpen(record) != 0 &&
        (writeAt(record.file, voided, 0) != 0 || flush(record.file) != 0))
        if (setLength(record.file, 0) == 0)
            flush(record.file);
    record.file.close();
}

namespace {

// A record of this file puts back what its unfinished write left; then it is dropped, as is
// a record of another file or one that is not whole. Only a failed put-back is an error.
Code settleRecord(const fs::path& path, const Locked& locked) {
    auto opened = openOwn(path);
    if (std::holds_alternative<Code>(opened))
        return 0;
    Temporary record{std::move(std::get<File>(opened)), path};
    std::string bytes;
    if (readAll(record.file, bytes) != 0)
        return 0;
    std::optional<UndoRecord> decoded = decodeUndoRecord(bytes);
    if (decoded && decoded->file == locked.facts.identity)
        if (Code code = undoOwnWrite(locked.file, *decoded, false))
            return code;
    dropRecord(record);
    return 0;
}

} // namespace

std::optional<FileError> recoverLocked(const Target& target, const Locked& locked) {
    std::error_code error;
    for (fs::directory_iterator entry(folderOf(target.real), error), end; !error && entry != end;
         entry.increment(error)) {
        const fs::path& name = entry->path();
        if (isOwnFileOf(name, target.real, temporaryMark)) {
            removeIfFree(name);
        } else if (isOwnFileOf(name, target.real, recordMark) ||
                   name.filename() == fixedRecordPath(target.real).filename()) {
            if (Code code = settleRecord(name, locked))
                return target.failed(FilePlace::File, code);
        }
    }
    return std::nullopt;
}

} // namespace numir
