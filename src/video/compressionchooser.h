#pragma once

#include "video/compressors.h"

namespace tavelon {

// Stands in for the system's compression dialog: asks for the compressor of one video. The
// compressor's settings start from the defaults on every run, so no choice carries over; the
// container and the fit come in as the clip has them.
class CompressionChooser
{
public:
    virtual ~CompressionChooser();
    // Fills options; 1 when the user confirmed, 0 when cancelled.
    virtual int chooseCompression(CompressOptions &options) = 0;
};

// Answers with preset options and a preset result (tests, batch mode).
class FixedCompressionChooser : public CompressionChooser
{
public:
    explicit FixedCompressionChooser(CompressOptions options = {}, int result = 1);
    int chooseCompression(CompressOptions &options) override;
    void setOptions(const CompressOptions &options) { m_options = options; }

private:
    CompressOptions m_options;
    int m_result;
};

} // namespace tavelon
