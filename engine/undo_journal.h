// The undo record that makes a run's write safe to interrupt: what the file was (its old
// length, and for a write over it its old bytes), kept beside it until the new bytes are on
// the disk, so that the next run can put it back. Reading and writing the record is each
// system's file code's; this says what it holds and when it applies.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace numir {

struct UndoRecord {
    std::uint64_t fileId = 0; // which file it belongs to (inode or file index)
    std::uint64_t oldLength = 0;
    std::string oldBytes; // from the start; none for an append, which only adds
    // What the file holds once the write has finished, so that a finished one is not undone:
    // its length, and a digest of its bytes from digestFrom on (the appended ones, or all).
    std::uint64_t newLength = 0;
    std::uint64_t digestFrom = 0;
    std::uint64_t newDigest = 0;

    bool operator==(const UndoRecord&) const = default;
};

std::uint64_t digestOf(std::string_view bytes);

// The record of a write that leaves the file as content, made from its old state.
UndoRecord recordFor(std::uint64_t fileId, std::string_view oldBytes, std::uint64_t oldLength,
                     std::string_view written, bool appended);
// Whether the file, as content, is what the recorded write meant to leave.
bool writeFinished(const UndoRecord& record, std::string_view content);

std::string encodeUndoRecord(const UndoRecord& record);
// Nothing for anything that is not a whole record.
std::optional<UndoRecord> decodeUndoRecord(std::string_view bytes);

// Where the undo record of a file stands: beside it, under a name of the program's own.
std::filesystem::path undoRecordPath(const std::filesystem::path& target);

} // namespace numir
