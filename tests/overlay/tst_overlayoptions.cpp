#include <gtest/gtest.h>

#include <functional>

#include "overlaytestsupport.h"

namespace tavelon::test {
namespace {

class OverlayOptionsTest : public OverlayTest
{
};

TEST_F(OverlayOptionsTest, EachOptionEventRedrawsWhileOverlayIsOn)
{
    struct Row
    {
        const char *name;
        std::function<void(MainForm &)> act;
        int redraws;
    };
    const Row rows[] = {
        {"text", [](MainForm &f) { f.Text1.setText(QStringLiteral("Neu")); }, 1},
        {"same text", [](MainForm &f) { f.Text1.setText(f.Text1.text()); }, 0},
        {"position", [](MainForm &f) { f.cboPosition.setListIndex(0); }, 1},
        {"size", [](MainForm &f) { f.cboSize.setListIndex(3); }, 1},
        {"text colour", [](MainForm &f) { f.picColor(1)->click(); }, 1},
        {"box colour, box clear", [](MainForm &f) { f.picFramCol(2)->click(); }, 0},
        {"box on", [](MainForm &f) { f.Check2.click(); }, 1},
        {"box colour, box ticked",
         [](MainForm &f) {
             f.Check2.setValue(1);
             f.picFramCol(3)->click();
         },
         2},
        {"border on clears box",
         [](MainForm &f) {
             f.Check2.setValue(1);
             f.Check3.click();
         },
         3},
    };
    form.Check1.setValue(1);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        form.Check2.setValue(0);
        form.Check3.setValue(0);
        redraws = 0;
        row.act(form);
        EXPECT_EQ(redraws, row.redraws);
    }
}

TEST_F(OverlayOptionsTest, TickingBoxWhileBorderIsTickedShowsBoxOnly)
{
    form.cboPosition.setText(QStringLiteral("Links oben"));
    form.Check1.setValue(1);
    form.Check3.setValue(1);
    redraws = 0;
    form.Check2.click();
    EXPECT_EQ(form.Check2.value(), 1);
    EXPECT_EQ(form.Check3.value(), 0);
    EXPECT_EQ(redraws, 2); // Box's own click, then Rahmen's, cleared from code
    EXPECT_EQ(previewPixel(11, 10), kBoxColor);
    EXPECT_EQ(previewPixel(9, 11 + 5), kFrameColor); // where the coloured left bar was
}

TEST_F(OverlayOptionsTest, OptionChangesWhileOffDrawNothingUntilSwitchedOn)
{
    const QImage clean = form.picPre.image().copy();
    form.Text1.setText(QStringLiteral("Neu"));
    form.cboPosition.setListIndex(0);
    form.cboSize.setListIndex(3);
    form.picColor(1)->click();
    form.picFramCol(2)->click();
    form.Check2.click();
    form.Check3.click();
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(form.picPre.image(), clean);
    EXPECT_EQ(form.Label2.caption(), QStringLiteral(" Neu "));
    EXPECT_EQ(form.Label3.caption(), QStringLiteral(" Neu "));
    EXPECT_EQ(form.Label3.backColor(), QColor(128, 128, 128));

    form.Check1.setValue(1);
    EXPECT_EQ(form.Label2.font().pointSize(), 14);
    const QRect red = boundsWhere(form.picPre.image(), [](QColor c) { return c == QColor(255, 0, 0); });
    EXPECT_FALSE(red.isNull());
}

TEST_F(OverlayOptionsTest, SwitchingOnDrawsOverCurrentPreviewWithoutRestoring)
{
    form.picPre.image().setPixelColor(200, 150, Qt::green);
    form.Check1.setValue(1);
    EXPECT_EQ(previewPixel(200, 150), QColor(Qt::green));
    EXPECT_EQ(redraws, 0);
    form.Check1.setValue(0);
    EXPECT_EQ(previewPixel(200, 150), kFrameColor);
}

} // namespace
} // namespace tavelon::test
