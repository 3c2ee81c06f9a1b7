// The record that makes a write to numir.txt itself safe to interrupt: which file it is
// about, what the file held, and the bytes the run writes. It stands beside the file until
// those bytes are on the disk. Held against what the file holds now, it tells whether the
// file is in a state that only this write can leave, so that a put-back undoes the program's
// own bytes and never a change someone else made. Keeping the record beside the file is
// durable_write.cpp's.
#pragma once

#include "native_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace numir {

struct UndoRecord {
    enum class Write { Append, InPlace };

    Write write = Write::Append;
    native::Identity file;
    std::uint64_t oldLength = 0;
    std::string oldBytes; // the whole file before a write in place; none for an append
    std::string newBytes; // the bytes appended, or the whole file a write in place leaves

    bool operator==(const UndoRecord&) const = default;
};

// Unfinished: part of the write has happened, in a way only this write (or the put-back of
// it) can leave. LinesShort: the finished file less its last lines, all whole: a write that
// stopped at a line's end, or a person who cut lines off; only the running write knows
// which, so start-up leaves it. Foreign: the file has been changed otherwise since.
enum class WriteState { NotBegun, Unfinished, LinesShort, Finished, Foreign };

WriteState stateOf(const UndoRecord& record, std::string_view content);

// A line of numbers, the bytes, and a checksum over them all.
std::string encodeUndoRecord(const UndoRecord& record);
// Nothing for anything that is not a whole record whose checksum holds.
std::optional<UndoRecord> decodeUndoRecord(std::string_view bytes);

} // namespace numir
