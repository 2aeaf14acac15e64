// Opening and closing report streams by their mode.
#include "report/model/stream_modes.h"

namespace report {

namespace {

Status NotInitialized(const std::string& fileName) {
    return {xbase::ErrorCode::kOpenFailed, "Error initializing stream \"" + fileName + "\""};
}

}  // namespace

Status OpenRecording(TStreamMode mode, std::string& fileName, ByteStream* user,
                     RecordingStream& out) {
    out = {};
    switch (mode) {
        case TStreamMode::smMemory:
            out.owned = std::make_unique<MemoryStream>();
            break;
        case TStreamMode::smFile: {
            std::unique_ptr<FileStream> file;
            if (!FileStream::Create(fileName, file))
                return NotInitialized(fileName);
            out.owned = std::move(file);
            break;
        }
        case TStreamMode::smTempFile: {
            std::unique_ptr<FileStream> file;
            if (!FileStream::CreateTemporary("RS", file))
                return NotInitialized(fileName);
            fileName = file->path();
            out.owned = std::move(file);
            break;
        }
        case TStreamMode::smUser:
            if (!user)
                return {xbase::ErrorCode::kBadArgument, std::string(kUserStreamMissing)};
            // A longer recording made before would leave its tail after this one's last page.
            if (Status s = user->Clear(); !s)
                return NotInitialized(fileName);
            out.stream = user;
            return Status::Ok();
    }
    out.stream = out.owned.get();
    return Status::Ok();
}

Status CloseRecording(TStreamMode mode, const std::string& fileName, RecordingStream& rec) {
    Status status;
    if (mode == TStreamMode::smMemory && !fileName.empty()) {
        status = SaveBytes(fileName, static_cast<MemoryStream&>(*rec.stream).bytes());
    } else if (auto* file = dynamic_cast<FileStream*>(rec.owned.get())) {
        status = file->Close();
    }
    return status;
}

Status LoadRecording(TStreamMode mode, const std::string& fileName, ByteStream* user,
                     std::vector<std::uint8_t>& bytes) {
    if (mode == TStreamMode::smUser) {
        if (!user)
            return {xbase::ErrorCode::kBadArgument, std::string(kUserStreamMissing)};
        return user->ReadAll(bytes);
    }
    std::unique_ptr<FileStream> file;
    if (Status s = FileStream::OpenForReading(fileName, file); !s)
        return s;
    return file->ReadAll(bytes);
}

}  // namespace report
