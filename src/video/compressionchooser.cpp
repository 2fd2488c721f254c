#include "video/compressionchooser.h"

namespace tavelon {

CompressionChooser::~CompressionChooser() = default;

FixedCompressionChooser::FixedCompressionChooser(CompressOptions options, int result)
    : m_options(std::move(options)), m_result(result)
{}

int FixedCompressionChooser::chooseCompression(CompressOptions &options)
{
    options = m_options;
    return m_result;
}

} // namespace tavelon
