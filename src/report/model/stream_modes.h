// Where a recording goes and where a player reads from, by TStreamMode: a memory stream (saved to
// FileName when the recording ends), a file, the caller's own stream, or a new temporary file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/model/byte_stream.h"

namespace report {

enum class TStreamMode : std::uint8_t { smMemory, smFile, smUser, smTempFile };

constexpr std::string_view kUserStreamMissing = "StreamMode is smUser but Stream is nil";

// The stream a recording writes to; `owned` is empty for smUser.
struct RecordingStream {
    std::unique_ptr<ByteStream> owned;
    ByteStream* stream = nullptr;
};

// Opens the stream for a recording; the caller's stream (smUser) is emptied first. smTempFile
// sets `fileName` to the new file's name. A stream
// that cannot be made fails with "Error initializing stream" and the name in double quotes.
Status OpenRecording(TStreamMode mode, std::string& fileName, ByteStream* user,
                     RecordingStream& out);
// Ends a recording: an smMemory stream is saved to `fileName` when one is given.
Status CloseRecording(TStreamMode mode, const std::string& fileName, RecordingStream& rec);

// Every byte of a recorded stream, for a player.
Status LoadRecording(TStreamMode mode, const std::string& fileName, ByteStream* user,
                     std::vector<std::uint8_t>& bytes);

}  // namespace report
