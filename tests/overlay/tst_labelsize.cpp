#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>

#include "overlay/labelsize.h"
#include "overlaytestsupport.h"

namespace tavelon::test {
namespace {

TEST(LabelSizeRules, VideoScaleByFormat)
{
    struct Row
    {
        const char *format;
        int height;
        int previewPoints;
        VideoTextScale expected;
    };
    const Row rows[] = {
        {"VCD PAL", 288, 10, {10, 7, 1}},
        {"SVCD PAL", 576, 10, {20, 14, 2}},
        {"DVD NTSC", 480, 12, {24, 14, 2}},
        {"vcd", 576, 10, {20, 14, 2}}, // case-sensitive: an open format, f = 2
        {"HD 16:9", 720, 10, {25, 17, 2}},
        {"Full-HD 16:9", 1080, 10, {37, 26, 3}},
        {"Eigenes", 144, 10, {5, 3, 1}},
        {"Eigenes", 1080, 8, {30, 26, 3}},
        {"Eigenes", 0, 10, {10, 7, 1}}, // no height: counts as 288
        {"Eigenes", -5, 10, {10, 7, 1}},
        {"Eigenes", 20, 8, {1, 0, 1}}, // never below 1 point
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.format) + " / " + std::to_string(row.height));
        const VideoTextScale v = videoTextScale(QString::fromUtf8(row.format), row.previewPoints, row.height);
        EXPECT_EQ(v.points, row.expected.points);
        EXPECT_EQ(v.margin, row.expected.margin);
        EXPECT_EQ(v.shadow, row.expected.shadow);
    }
}

TEST(LabelSizeFont, ArialResolvesToArialOrLiberationSans)
{
    const QStringList families = QFontDatabase::families();
    const bool hasArial = families.contains(QStringLiteral("Arial"));
    const bool hasLiberation = families.contains(QStringLiteral("Liberation Sans"));
    if (!hasArial && !hasLiberation)
        GTEST_SKIP() << "Neither Arial nor Liberation Sans (fonts-liberation2) is installed: the overlay "
                        "text falls back to the system's sans font and its pixels differ from the design.";
    const QFontInfo info(overlayFont(overlayFontFamily(), 10));
    EXPECT_EQ(info.family(), hasArial ? QStringLiteral("Arial") : QStringLiteral("Liberation Sans"));
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(info.pixelSize(), 13);
}

class SetLabelSizeTest : public OverlayTest
{
protected:
    int previewPoints() const { return form.Label2.font().pointSize(); }
    int videoPoints() const { return form.Label3.font().pointSize(); }
};

TEST_F(SetLabelSizeTest, UnknownSizeTextKeepsPreviousSize)
{
    form.cboSize.setText(QStringLiteral("Unbekannt"));
    overlay->SetLabelSize();
    EXPECT_EQ(previewPoints(), 12);
    form.cboSize.setText(QStringLiteral("Klein"));
    overlay->SetLabelSize();
    EXPECT_EQ(previewPoints(), 8);
    form.cboSize.setText(QStringLiteral("klein"));
    overlay->SetLabelSize();
    EXPECT_EQ(previewPoints(), 8);
}

// The video text follows the format whichever format came before; the preview text keeps its size.
TEST_F(SetLabelSizeTest, VideoSizeFollowsTheFormatOnly)
{
    form.cboSize.setText(QStringLiteral("Gross"));
    overlay->SetLabelSize();
    const QSize previewBlock = overlay->previewBlock().size();
    EXPECT_EQ(overlay->videoBlock().size(), previewBlock);
    const struct
    {
        const char *format;
        const char *height;
        int points, margin, shadow;
    } rows[] = {{"DVD PAL", "576", 24, 14, 2},
                {"Full-HD 16:9", "1080", 45, 26, 3},
                {"VCD PAL", "288", 12, 7, 1},
                {"Full-HD 16:9", "1080", 45, 26, 3}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.format);
        form.cboFormats.setText(QString::fromUtf8(row.format));
        form.txtHeight.setText(QString::fromUtf8(row.height));
        overlay->SetLabelSize();
        EXPECT_EQ(previewPoints(), 12);
        EXPECT_EQ(overlay->previewBlock().size(), previewBlock);
        EXPECT_EQ(videoPoints(), row.points);
        EXPECT_EQ(form.state.OverlayMargin, row.margin);
        EXPECT_EQ(form.state.OverlayShadow, row.shadow);
    }
}

} // namespace
} // namespace tavelon::test
