// TReportFiler: a report run recorded into a report stream instead of printed. The model lays
// the report out as for the device it will be printed on; the recording surface writes it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "report/model/base_report.h"
#include "report/model/stream_modes.h"
#include "report/model/stream_reader.h"
#include "report/model/stream_recorder.h"

namespace report {

constexpr std::string_view kCopyRectInFileMode = "CopyRect() not supported in file mode.";

// The printing device's settings that the stream's header carries (the values without a printer).
struct StreamDeviceSettings {
    int paperBin = stream::kNoPrinterPaperBin;
    bool collate = false;
    int duplex = 0;
    int copies = 1;
    int paperSize = 1;
    int customWidth = 0;
    int customLength = 0;
};

class TReportFiler : public TBaseReport {
  public:
    // `measure` is a surface on the device the report is laid out for (at 96 dots per inch when
    // there is no printer); every text width recorded is measured there.
    explicit TReportFiler(ReportSurface& measure);
    ~TReportFiler() override;

    // The device's paper, resolution and settings, taken when a run begins.
    void SetDevice(const DeviceGeometry& geometry, const StreamDeviceSettings& settings);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    TStreamMode StreamMode() const { return streamMode_; }
    void SetStreamMode(TStreamMode mode) { streamMode_ = mode; }
    TAccuracyMethod AccuracyMethod() const { return accuracy_; }
    void SetAccuracyMethod(TAccuracyMethod method) { accuracy_ = method; }
    // The caller's stream for smUser; it outlives the run.
    void SetStream(ByteStream* stream) { userStream_ = stream; }

    // Copying from a canvas cannot be recorded.
    xbase::Status CopyRect() const;

  protected:
    ReportSurface& Surface() override;
    TDestKind DestKind() const override { return TDestKind::Stream; }
    xbase::Status OpenOutput() override;
    xbase::Status PageStarted() override;
    xbase::Status PageEnding() override;
    xbase::Status CloseOutput() override;
    void LineMetricsUpdated() override;

  private:
    ReportSurface& measure_;
    DeviceGeometry geometry_{8.5, 11, 0, 0, 0, 0, 96, 96};
    StreamDeviceSettings settings_;
    std::string fileName_;
    TStreamMode streamMode_ = TStreamMode::smMemory;
    TAccuracyMethod accuracy_ = TAccuracyMethod::amAppearance;
    ByteStream* userStream_ = nullptr;
    RecordingStream stream_;
    std::unique_ptr<StreamRecorder> recorder_;
};

}  // namespace report
