#include "undo_journal.h"

#include <charconv>

namespace numir {
namespace {

constexpr std::string_view magic = "numir-undo";

// Reads one decimal number and the character after it, which must be end; the next number's
// leading space is left for the caller.
std::optional<std::uint64_t> takeNumber(std::string_view& bytes, char end) {
    std::uint64_t value = 0;
    auto [next, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error != std::errc() || next == bytes.data() + bytes.size() || *next != end)
        return std::nullopt;
    bytes.remove_prefix(static_cast<std::size_t>(next - bytes.data()) + (end == '\n' ? 1 : 0));
    return value;
}

} // namespace

// FNV-1a: enough to tell the lines a write meant to leave from anything else.
std::uint64_t digestOf(std::string_view bytes) {
    std::uint64_t digest = 14695981039346656037ull;
    for (unsigned char byte : bytes)
        digest = (digest ^ byte) * 1099511628211ull;
    return digest;
}

UndoRecord recordFor(std::uint64_t fileId, std::string_view oldBytes, std::uint64_t oldLength,
                     std::string_view written, bool appended) {
    return {fileId,
            oldLength,
            std::string(oldBytes),
            (appended ? oldLength : 0) + written.size(),
            appended ? oldLength : 0,
            digestOf(written)};
}

bool writeFinished(const UndoRecord& record, std::string_view content) {
    return content.size() == record.newLength && record.digestFrom <= content.size() &&
           digestOf(content.substr(record.digestFrom)) == record.newDigest;
}

// A line of numbers, then the old bytes: the record is whole only when they all are there.
std::string encodeUndoRecord(const UndoRecord& record) {
    std::string header = std::string(magic);
    for (std::uint64_t number :
         {record.fileId, record.oldLength, record.newLength, record.digestFrom, record.newDigest,
          std::uint64_t{record.oldBytes.size()}})
        header += " " + std::to_string(number);
    return header + "\n" + record.oldBytes;
}

std::optional<UndoRecord> decodeUndoRecord(std::string_view bytes) {
    if (!bytes.starts_with(magic))
        return std::nullopt;
    bytes.remove_prefix(magic.size());
    std::uint64_t numbers[6];
    for (std::size_t i = 0; i < 6; ++i) {
        if (bytes.empty() || bytes.front() != ' ')
            return std::nullopt;
        bytes.remove_prefix(1);
        auto number = takeNumber(bytes, i == 5 ? '\n' : ' ');
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
    }
    if (numbers[5] != bytes.size())
        return std::nullopt;
    return UndoRecord{numbers[0], numbers[1], std::string(bytes),
                      numbers[2], numbers[3], numbers[4]};
}

std::filesystem::path undoRecordPath(const std::filesystem::path& target) {
    return target.parent_path() / ("." + target.filename().string() + ".undo");
}

} // namespace numir
