#pragma once

namespace nesmo {

// The download capture as the reply parser sees it. The receive path owns the
// capture file and implements this.
class DownloadControl {
public:
    virtual ~DownloadControl() = default;
    // "Model Number" arrived: close a capture that is still open, create the
    // scratch file afresh and set Downloading. A file that cannot be created is
    // reported to the operator; the capture still runs (kept in memory).
    virtual void startCapture() = 0;
    // End the running download and show what was captured.
    virtual void EndDownload() = 0;
};

}  // namespace nesmo
