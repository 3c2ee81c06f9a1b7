// The one write of a run, the same on Linux and Windows over the calls of native_file.h:
// under the file's lock, once the name is known still to lead to the locked file, what a
// killed run left is put back or cleared away; then the bytes are appended, or written to a
// temporary file moved over the old one, or written over the file itself where a move would
// split a hard link, the folder takes no new file or another program holds the file. An
// append or a write over the file keeps an undo record first.
#include "durable_write.h"

#include "locked_file.h"

namespace numir {

using namespace native;

namespace {

// Another copy may put a new file in place while this one waits for the lock; after this
// many such turns the file counts as in use, rather than the run going round for ever.
constexpr int turnsAtMost = 8;

enum class Mode { Append, Replace };

struct Written {};

// The record, whole and on the disk under a name of its own, kept open until the write ends.
Result<Temporary> keepRecord(const Target& target, const UndoRecord& record) {
    auto made = temporaryBeside(target.real, nullptr, recordMark);
    if (auto* code = std::get_if<Code>(&made))
        return *code;
    Temporary& kept = std::get<Temporary>(made);
    Code code = writeAt(kept.file, encodeUndoRecord(record), 0);
    if (code == 0)
        code = flush(kept.file);
    if (code != 0) {
        discard(kept);
        return code;
    }
    syncFolder(folderOf(target.real));
    return std::move(kept);
}

// Where the folder takes no new file or has no room for one, the write goes ahead without a
// record; a failure still puts it back at once.
std::variant<std::optional<Temporary>, Code> recordFirst(const Target& target,
                                                         const UndoRecord& record) {
    auto kept = keepRecord(target, record);
    if (auto* made = std::get_if<Temporary>(&kept))
        return std::optional<Temporary>(std::move(*made));
    if (Code code = std::get<Code>(kept); !takesNoNewFile(code) && !noRoomLeft(code))
        return code;
    return std::optional<Temporary>();
}

// The end of a recorded write that went as far as code says: on the disk and the record
// dropped, or the file put back, the record dropped, and the failure said. A record whose
// put-back failed stays for the next run to finish.
std::optional<FileError> settle(Code code, const Target& target, const Locked& locked,
                                const UndoRecord& record, std::optional<Temporary>& kept) {
    if (code == 0 && (code = flush(locked.file)) == 0) {
        if (kept)
            dropRecord(*kept);
        return std::nullopt;
    }
    if (undoOwnWrite(locked.file, record, true) == 0 && kept)
        dropRecord(*kept);
    return target.failed(FilePlace::File, code);
}

std::optional<FileError> recordedWrite(const Target& target, const Locked& locked,
                                       const UndoRecord& record) {
    auto recorded = recordFirst(target, record);
    if (auto* code = std::get_if<Code>(&recorded))
        return target.failed(FilePlace::Folder, *code);
    Code code = 0;
    if (record.write == UndoRecord::Write::Append) {
        code = writeAt(locked.file, record.newBytes, record.oldLength);
    } else if ((code = writeAt(locked.file, record.newBytes, 0)) == 0 &&
               record.newBytes.size() < record.oldLength) {
        code = setLength(locked.file, record.newBytes.size());
    }
    return settle(code, target, locked, record, std::get<std::optional<Temporary>>(recorded));
}

std::variant<Written, GoRound, FileError> append(const Target& target, const Locked& locked,
                                                 std::string_view bytes) {
    UndoRecord record{UndoRecord::Write::Append, locked.facts.identity, locked.facts.length, "",
                      std::string(bytes)};
    if (auto error = recordedWrite(target, locked, record))
        return *error;
    // A copy that replaced the file meanwhile took the lines away with the old one: write
    // them again. Only a name known to lead elsewhere, or nowhere, says so.
    auto named = identityOf(target.real);
    auto* code = std::get_if<Code>(&named);
    if (code ? isMissing(*code) : std::get<Identity>(named) != locked.facts.identity)
        return GoRound{};
    return Written{};
}

std::optional<FileError> writeInPlace(const Target& target, const Locked& locked,
                                      std::string_view bytes) {
    UndoRecord record{UndoRecord::Write::InPlace, locked.facts.identity, 0, "", std::string(bytes)};
    Code code = readAll(locked.file, record.oldBytes);
    record.oldLength = record.oldBytes.size();
    // The room first, so that a full disk fails before a byte changes.
    if (code == 0 && bytes.size() > record.oldLength)
        code = reserve(locked.file, bytes.size());
    if (code != 0)
        return target.failed(FilePlace::File, code);
    return recordedWrite(target, locked, record);
}

// A file with a name of its own, on the disk, moved over the old one.
std::variant<Written, GoRound, FileError> renameOver(const Target& target, Locked& locked,
                                                     std::string_view bytes) {
    auto made = temporaryBeside(target.real, &locked.file);
    if (auto* code = std::get_if<Code>(&made)) {
        if (!takesNoNewFile(*code))
            return target.failed(FilePlace::Folder, *code);
        if (auto error = writeInPlace(target, locked, bytes))
            return *error;
        return Written{};
    }
    Temporary& temporary = std::get<Temporary>(made);
    Code code = writeAt(temporary.file, bytes, 0);
    if (code == 0)
        code = flush(temporary.file);
    if (code == 0)
        code = replaceLocked(temporary, target.real, locked.file);
    if (code == 0) {
        syncFolder(folderOf(target.real)); // the lines are in place; this only hastens the name
        return Written{};
    }
    discard(temporary);
    if (heldElsewhere(code))
        return GoRound{true};
    return target.failed(FilePlace::File, code);
}

std::variant<Written, GoRound, FileError> writeOnce(const Target& target, std::string_view bytes,
                                                    Mode mode, bool inPlace) {
    auto opened = openLocked(target);
    if (std::holds_alternative<Device>(opened)) {
        if (Code code = writeThrough(target.real, bytes))
            return target.failed(FilePlace::File, code);
        return Written{};
    }
    if (auto* again = std::get_if<GoRound>(&opened))
        return *again;
    if (auto* error = std::get_if<FileError>(&opened))
        return *error;
    Locked& locked = std::get<Locked>(opened);
    if (auto error = recoverLocked(target, locked))
        return *error;
    if (mode == Mode::Append)
        return append(target, locked, bytes);
    if (!inPlace && locked.facts.links == 1)
        return renameOver(target, locked, bytes);
    if (auto error = writeInPlace(target, locked, bytes))
        return *error;
    return Written{};
}

std::optional<FileError> writeDurably(const fs::path& path, std::string_view bytes, Mode mode) {
    prepareForWriting();
    auto followed = followLinks(path);
    if (auto* code = std::get_if<Code>(&followed))
        return failure(path, FilePlace::File, *code);
    const Target target{path, std::get<fs::path>(followed)};
    bool inPlace = false;
    for (int turn = 0; turn < turnsAtMost; ++turn) {
        auto outcome = writeOnce(target, bytes, mode, inPlace);
        if (auto* error = std::get_if<FileError>(&outcome))
            return *error;
        if (std::holds_alternative<Written>(outcome))
            return std::nullopt;
        inPlace = inPlace || std::get<GoRound>(outcome).inPlace;
    }
    return failure(path, FilePlace::File, busy());
}

} // namespace

std::optional<FileError> appendDurably(const fs::path& path, std::string_view bytes) {
    return writeDurably(path, bytes, Mode::Append);
}

std::optional<FileError> replaceDurably(const fs::path& path, std::string_view bytes) {
    return writeDurably(path, bytes, Mode::Replace);
}

std::variant<std::string, FileError> readBeginning(const fs::path& path, std::size_t limit) {
    auto opened = openForReading(path);
    std::string content;
    Code code = std::holds_alternative<Code>(opened)
                    ? std::get<Code>(opened)
                    : readAll(std::get<File>(opened), content, limit);
    if (code != 0)
        return failure(path, FilePlace::File, code);
    return content;
}

std::optional<FileError> createIfMissing(const fs::path& path) {
    auto followed = followLinks(path);
    auto status = std::holds_alternative<Code>(followed)
                      ? Result<NameStatus>(std::get<Code>(followed))
                      : statusOf(std::get<fs::path>(followed));
    if (auto* code = std::get_if<Code>(&status))
        return failure(path, FilePlace::Folder, *code);
    const Kind kind = std::get<NameStatus>(status).kind;
    if (kind == Kind::Folder)
        return plainFailure(path, FileProblem::FolderInTheWay);
    if (kind != Kind::Missing)
        return std::nullopt;
    if (Code code = createEmpty(std::get<fs::path>(followed)))
        return failure(path, FilePlace::Folder, code);
    return std::nullopt;
}

std::optional<FileError> recoverInterruptedWrite(const fs::path& path) {
    auto followed = followLinks(path);
    if (std::holds_alternative<Code>(followed))
        return std::nullopt;
    const Target target{path, std::get<fs::path>(followed)};
    for (int turn = 0; turn < turnsAtMost; ++turn) {
        auto opened = openLocked(target);
        if (auto* locked = std::get_if<Locked>(&opened))
            return recoverLocked(target, *locked);
        // A file that cannot be written now was not written by a run either; the next run
        // says what keeps it from being written.
        if (!std::holds_alternative<GoRound>(opened))
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace numir
