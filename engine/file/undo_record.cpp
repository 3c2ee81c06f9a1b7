#include "undo_record.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace numir {
namespace {

constexpr std::string_view magic = "numir-undo 2";
constexpr std::size_t checksumDigits = 16;

// FNV-1a: enough to tell a whole record from a torn or stray one.
std::uint64_t checksumOf(std::string_view bytes) {
    std::uint64_t sum = 14695981039346656037ull;
    for (unsigned char byte : bytes)
        sum = (sum ^ byte) * 1099511628211ull;
    return sum;
}

std::string hexOf(std::uint64_t value) {
    char digits[checksumDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

// Reads " <number>" from the front of bytes.
std::optional<std::uint64_t> takeNumber(std::string_view& bytes) {
    if (bytes.empty() || bytes.front() != ' ')
        return std::nullopt;
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(bytes.data() + 1, bytes.data() + bytes.size(), value);
    if (error != std::errc())
        return std::nullopt;
    bytes.remove_prefix(static_cast<std::size_t>(end - bytes.data()));
    return value;
}

WriteState appendState(const UndoRecord& record, std::string_view content) {
    const std::uint64_t length = content.size(), end = record.oldLength + record.newBytes.size();
    if (length == record.oldLength)
        return WriteState::NotBegun;
    if (length < record.oldLength || length > end ||
        content.substr(record.oldLength) !=
            std::string_view(record.newBytes).substr(0, length - record.oldLength))
        return WriteState::Foreign;
    if (length == end)
        return WriteState::Finished;
    return content.ends_with('\n') ? WriteState::LinesShort : WriteState::Unfinished;
}

// The write puts the new bytes over the old from the start and then cuts the file to their
// length; a put-back puts the old bytes over whatever that left. Between them every byte is
// the old or the new one at its place, and the file is the old length long, or longer, up to
// the new length, while new bytes reach past the old end.
WriteState inPlaceState(const UndoRecord& record, std::string_view content) {
    const std::string_view before = record.oldBytes, after = record.newBytes;
    if (content == after)
        return WriteState::Finished;
    if (content == before)
        return WriteState::NotBegun;
    if (content.size() < before.size() || content.size() > std::max(before.size(), after.size()))
        return WriteState::Foreign;
    for (std::size_t at = 0; at < content.size(); ++at)
        if (!(at < before.size() && content[at] == before[at]) &&
            !(at < after.size() && content[at] == after[at]))
            return WriteState::Foreign;
    if (after.starts_with(content) && content.ends_with('\n'))
        return WriteState::LinesShort;
    return WriteState::Unfinished;
}

} // namespace

WriteState stateOf(const UndoRecord& record, std::string_view content) {
    return record.write == UndoRecord::Write::Append ? appendState(record, content)
                                                     : inPlaceState(record, content);
}

std::string encodeUndoRecord(const UndoRecord& record) {
    std::string body(magic);
    body += record.write == UndoRecord::Write::Append ? " append" : " in-place";
    for (std::uint64_t number :
         {record.file.device, record.file.index, record.oldLength,
          std::uint64_t{record.oldBytes.size()}, std::uint64_t{record.newBytes.size()}})
        body += " " + std::to_string(number);
    body += "\n" + record.oldBytes + record.newBytes;
    return body + hexOf(checksumOf(body));
}

std::optional<UndoRecord> decodeUndoRecord(std::string_view bytes) {
    if (bytes.size() < checksumDigits || !bytes.starts_with(magic))
        return std::nullopt;
    std::string_view body = bytes.substr(0, bytes.size() - checksumDigits);
    if (hexOf(checksumOf(body)) != bytes.substr(body.size()))
        return std::nullopt;
    body.remove_prefix(magic.size());
    UndoRecord record;
    if (body.starts_with(" in-place"))
        record.write = UndoRecord::Write::InPlace, body.remove_prefix(9);
    else if (body.starts_with(" append"))
        body.remove_prefix(7);
    else
        return std::nullopt;
    std::array<std::uint64_t, 5> numbers{};
    for (std::uint64_t& number : numbers) {
        auto taken = takeNumber(body);
        if (!taken)
            return std::nullopt;
        number = *taken;
    }
    const auto [device, index, oldLength, oldSize, newSize] = numbers;
    if (!body.starts_with('\n') || oldSize > body.size() - 1 ||
        newSize != body.size() - 1 - oldSize)
        return std::nullopt;
    record.file = {device, index};
    record.oldLength = oldLength;
    record.oldBytes = body.substr(1, oldSize);
    record.newBytes = body.substr(1 + oldSize);
    return record;
}

} // namespace numir
