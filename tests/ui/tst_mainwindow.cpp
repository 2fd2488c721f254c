#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/windowconnections.h"
#include "form/mainform.h"
#include "formfixture.h"
#include "form/showntexts.h"
#include "ui/mainwindow.h"
#include "ui/webdingsicon.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        form.focusDummy();
    }

    template <class W = QWidget> W *widget(const QString &name) const { return window.findChild<W *>(name); }

    MainForm form;
    MainWindow window{form};
};

TEST_F(MainWindowTest, OnlyTheVisibleControlsHaveWidgets)
{
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    QStringList auxiliary = {"lstComments", "Dir1",   "lvwFiles", "picSave",       "picTemp",
                             "dummy",       "Label2", "Label3",   "picFramCol(2)", "picFramCol(3)"};
    // The holders of the texts shown elsewhere: dialogs, message boxes, progress lines.
    for (const ShownTextDefault &t : shownTextDefaults())
        auxiliary << QLatin1String(t.controlName);
    for (Control *c : form.controls()) {
        const QString name =
            c->index() >= 0 ? QStringLiteral("%1(%2)").arg(c->name()).arg(c->index()) : c->name();
        SCOPED_TRACE(name.toStdString());
        QWidget *w = window.widgetFor(c);
        if (auxiliary.contains(name)) {
            EXPECT_EQ(w, nullptr);
        } else {
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(w->objectName(), name);
        }
    }
    // The focus sink is a plain widget, outside the client area.
    QWidget *dummy = widget("dummy");
    ASSERT_NE(dummy, nullptr);
    EXPECT_EQ(qobject_cast<QLineEdit *>(dummy), nullptr);
    EXPECT_FALSE(window.rect().intersects(dummy->geometry()));
    EXPECT_EQ(QApplication::focusWidget(), dummy);
}

TEST_F(MainWindowTest, DesignTimeLook)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Brimholt Tavelon"));
    // The scale caption shows whole, at least as wide as laid out.
    auto *scale = widget<QLabel>("lbl(8)");
    EXPECT_EQ(scale->text(), QStringLiteral("langsamer        schneller"));
    EXPECT_GE(scale->width(), scale->fontMetrics().horizontalAdvance(scale->text()));
    auto background = [](QWidget *w) {
        return w->autoFillBackground() ? w->palette().color(QPalette::Window) : QColor();
    };
    EXPECT_EQ(background(widget("Frame1")), QColor(0xFF, 0xE0, 0xC0));
    EXPECT_EQ(background(widget("Frame3")), QColor(192, 255, 192));
    EXPECT_EQ(widget<QLineEdit>("txtFPS")->maxLength(), 2);
    const QFont frameNumber = widget("lblCurFrame")->font();
    EXPECT_DOUBLE_EQ(frameNumber.pointSizeF(), 14.25);
    EXPECT_TRUE(frameNumber.bold());
    // The format box shows its design-time text although its list is still empty.
    auto *formats = widget<QComboBox>("cboFormats");
    EXPECT_EQ(formats->currentIndex(), -1);
    EXPECT_EQ(formats->placeholderText(), QStringLiteral("Full-HD 16:9"));
}

TEST_F(MainWindowTest, WebdingsCaptionsShowAsSymbols)
{
    for (const char *name :
         {"cmdFirst", "cmdBack", "cmdNext", "cmdLast", "cmdStop", "cmdPlay", "cmdDelFrame"}) {
        SCOPED_TRACE(name);
        auto *b = widget<QPushButton>(QString::fromLatin1(name));
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_TRUE(b->text().isEmpty());
    }
    // A language file's caption: another symbol character, or plain text.
    form.cmdPlay.setCaption(QStringLiteral(";"));
    EXPECT_FALSE(widget<QPushButton>("cmdPlay")->icon().isNull());
    form.cmdPlay.setCaption(QStringLiteral("Play"));
    EXPECT_TRUE(widget<QPushButton>("cmdPlay")->icon().isNull());
    EXPECT_EQ(widget<QPushButton>("cmdPlay")->text(), QStringLiteral("Play"));

    EXPECT_TRUE(webdingsIcon(QLatin1Char('x')).isNull());
    const QImage cross = webdingsIcon(QLatin1Char('r')).pixmap(16, 16).toImage();
    const QColor middle = cross.pixelColor(8, 8);
    EXPECT_GT(middle.red(), 200);
    EXPECT_LT(middle.green(), 60);
    EXPECT_EQ(cross.pixelColor(8, 1).alpha(), 0);
}

TEST_F(MainWindowTest, ModelAndWidgetsStayInStep)
{
    form.Frame3.setCaption(QStringLiteral("Overlay"));
    EXPECT_EQ(widget<QGroupBox>("Frame3")->title(), QStringLiteral("Overlay"));
    form.cmdNext.setEnabled(false);
    EXPECT_FALSE(widget("cmdNext")->isEnabled());

    // Items and the choice; choosing from code raises the model's event once, not again through
    // the widget.
    QSignalSpy directions(&form.cboDirections, &ListControl::clicked);
    for (const char *item : {"Normal (Vorwärts)", "Rückwärts", "Vorwärts + Rückwärts"})
        form.cboDirections.addItem(QString::fromUtf8(item));
    form.cboDirections.setListIndex(1);
    auto *combo = widget<QComboBox>("cboDirections");
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Rückwärts"));
    EXPECT_EQ(directions.count(), 1);
    // The user's choice reaches the model once too.
    emit combo->activated(2);
    EXPECT_EQ(form.cboDirections.listIndex(), 2);
    EXPECT_EQ(directions.count(), 2);

    QSignalSpy clips(&form.List1, &ListControl::clicked);
    for (const char *clip : {"A", "b", "c"})
        form.List1.addItem(QString::fromLatin1(clip));
    form.List1.setListIndex(2);
    auto *list = widget<QListWidget>("List1");
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(clips.count(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(form.List1.text(), QStringLiteral("b"));
    EXPECT_EQ(clips.count(), 2);

    QSignalSpy slider(&form.slPre, &ScrollBar::changed);
    form.slPre.setMaximum(10);
    form.slPre.setValue(4);
    EXPECT_EQ(widget<QScrollBar>("slPre")->maximum(), 10);
    EXPECT_EQ(widget<QScrollBar>("slPre")->value(), 4);
    EXPECT_EQ(slider.count(), 1);

    // A text longer than the limit, set from code, shows whole; the limit returns with a short one.
    form.txtFPS.setText(QStringLiteral("100"));
    EXPECT_EQ(widget<QLineEdit>("txtFPS")->text(), QStringLiteral("100"));
    form.txtFPS.setText(QStringLiteral("30"));
    EXPECT_EQ(widget<QLineEdit>("txtFPS")->maxLength(), 2);
}

TEST_F(MainWindowTest, PreviewShowsThePictureInsideItsBorder)
{
    QImage img(MainForm::kPreviewInnerWidth + 3, MainForm::kPreviewInnerHeight + 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    form.picPre.setImage(img);
    const QImage shot = widget("picPre")->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(349, 285), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(351, 287), QColor(Qt::red));
}

TEST_F(MainWindowTest, UserActionsReachTheModelOnce)
{
    QSignalSpy next(&form.cmdNext, &CommandButton::clicked);
    QTest::mouseClick(widget("cmdNext"), Qt::LeftButton);
    EXPECT_EQ(next.count(), 1);

    auto *play = widget<QPushButton>("cmdPlay");
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(form.cmdPlay.value(), 1);
    EXPECT_TRUE(play->isChecked());
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_EQ(form.cmdPlay.value(), 0);
    EXPECT_FALSE(play->isChecked());

    // The delete button's handler raises it again; the widget follows.
    int deletions = 0;
    QObject::connect(&form.cmdDelFrame, &CheckBox::clicked, [&] {
        if (form.cmdDelFrame.value() == 1) {
            ++deletions;
            form.cmdDelFrame.setValue(0);
        }
    });
    QTest::mouseClick(widget("cmdDelFrame"), Qt::LeftButton);
    EXPECT_EQ(deletions, 1);
    EXPECT_FALSE(widget<QPushButton>("cmdDelFrame")->isChecked());

    QSignalSpy swatch(form.picColor(3), &Picture::clicked);
    QTest::mouseClick(widget("picColor(3)"), Qt::LeftButton);
    EXPECT_EQ(swatch.count(), 1);

    QSignalSpy text(&form.Text1, &TextBox::changed);
    QTest::keyClicks(widget("Text1"), QStringLiteral("X"));
    EXPECT_EQ(form.Text1.text(), QStringLiteral("© BRIMHOLTX"));
    EXPECT_EQ(text.count(), 1);
}

TEST_F(MainWindowTest, KeysInTheFormatBoxChangeNothing)
{
    for (const char *name : {"VCD PAL", "DVD PAL", "Full-HD 16:9"})
        form.cboFormats.addItem(QString::fromLatin1(name));
    form.cboFormats.setText(QStringLiteral("DVD PAL"));
    QSignalSpy clicked(&form.cboFormats, &ListControl::clicked);
    auto *combo = widget<QComboBox>("cboFormats");
    combo->setFocus();
    QTest::keyClicks(combo, QStringLiteral("VCD"));
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Return})
        QTest::keyClick(combo, key);
    QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(form.cboFormats.text(), QStringLiteral("DVD PAL"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(combo->view()->isVisible());
}

TEST_F(MainWindowTest, SliderShowsTheFrameOnlyWhenTheThumbIsReleased)
{
    form.slPre.setMaximum(9);
    auto *bar = widget<QScrollBar>("slPre");
    bar->setSliderDown(true);
    bar->setSliderPosition(5);
    EXPECT_EQ(form.slPre.value(), 0);
    bar->setSliderDown(false);
    EXPECT_EQ(form.slPre.value(), 5);

    // The speed follows the thumb while it moves.
    auto *speed = widget<QScrollBar>("scrlSpeed");
    speed->setSliderDown(true);
    speed->setSliderPosition(12);
    EXPECT_EQ(form.scrlSpeed.value(), 12);
    speed->setSliderDown(false);
}

TEST_F(MainWindowTest, KeysClickTheirButtonUnlessDisabledOrTyping)
{
    const std::pair<Qt::Key, CommandButton *> keys[] = {{Qt::Key_Left, &form.cmdBack},
                                                        {Qt::Key_Right, &form.cmdNext},
                                                        {Qt::Key_Home, &form.cmdFirst},
                                                        {Qt::Key_End, &form.cmdLast}};
    for (auto [key, button] : keys) {
        SCOPED_TRACE(key);
        form.focusDummy();
        QSignalSpy spy(button, &CommandButton::clicked);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(spy.count(), 1);
        button->setEnabled(false);
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(spy.count(), 1);
        button->setEnabled(true);
        // In a text box the key edits the text.
        widget("txtWidth")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(spy.count(), 1);
    }
}

TEST_F(MainWindowTest, SpacePlaysAndStopsDeleteAsksToDelete)
{
    QSignalSpy stop(&form.cmdStop, &CommandButton::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(form.cmdPlay.value(), 1);
    EXPECT_TRUE(widget<QPushButton>("cmdPlay")->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(stop.count(), 1);

    QSignalSpy del(&form.cmdDelFrame, &CheckBox::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_EQ(del.count(), 1);
    form.cmdDelFrame.setValue(0);
    form.cmdDelFrame.setEnabled(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    EXPECT_EQ(form.cmdDelFrame.value(), 0);

    // A space typed into the overlay text is text.
    form.cmdPlay.setValue(0);
    widget("Text1")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(form.cmdPlay.value(), 0);
    EXPECT_EQ(form.Text1.text(), QStringLiteral("© BRIMHOLT "));
}

// A focused control keeps its own keys; the player's keys act where no control needs them.
TEST_F(MainWindowTest, FocusedControlsKeepTheirKeys)
{
    for (ListControl *list : {&form.List1, &form.cboDirections, &form.cboPosition, &form.cboSize})
        for (const char *item : {"a", "b", "c"})
            list->addItem(QString::fromLatin1(item));
    form.slPre.setMaximum(9);
    int playerClicks = 0;
    for (CommandButton *b : {&form.cmdFirst, &form.cmdBack, &form.cmdNext, &form.cmdLast, &form.cmdStop})
        QObject::connect(b, &CommandButton::clicked, [&] { ++playerClicks; });
    for (CheckBox *b : {&form.cmdPlay, &form.cmdDelFrame})
        QObject::connect(b, &CheckBox::clicked, [&] { ++playerClicks; });

    const struct
    {
        const char *widget;
        Qt::Key key;
    } kept[] = {
        {"Check1", Qt::Key_Space},     {"chkRepeat", Qt::Key_Space}, {"List1", Qt::Key_Left},
        {"List1", Qt::Key_End},        {"List1", Qt::Key_Space},     {"cboDirections", Qt::Key_Right},
        {"cboPosition", Qt::Key_Left}, {"cboSize", Qt::Key_Home},    {"scrlSpeed", Qt::Key_Right},
        {"Text1", Qt::Key_Delete},     {"txtFPS", Qt::Key_Home},
    };
    for (const auto &k : kept) {
        SCOPED_TRACE(std::string(k.widget) + " " + std::to_string(k.key));
        QWidget *w = widget(QString::fromLatin1(k.widget));
        w->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), w);
        QTest::keyClick(w, k.key);
        EXPECT_EQ(playerClicks, 0);
    }
    EXPECT_EQ(form.Check1.value(), 1) << "Space ticks a focused check box";
    EXPECT_EQ(form.chkRepeat.value(), 1);
    EXPECT_NE(form.scrlSpeed.value(), 8) << "a focused speed bar takes the arrow keys";

    const struct
    {
        const char *widget;
        Qt::Key key;
        const Control *button;
    } acting[] = {
        {"slPre", Qt::Key_End, &form.cmdLast},
        {"picPre", Qt::Key_Home, &form.cmdFirst},
        {"cmdNext", Qt::Key_Left, &form.cmdBack},
        {"cmdPlay", Qt::Key_Right, &form.cmdNext},
    };
    for (const auto &a : acting) {
        SCOPED_TRACE(a.widget);
        int clicks = 0;
        const auto counter = QObject::connect(static_cast<const CommandButton *>(a.button),
                                              &CommandButton::clicked, [&] { ++clicks; });
        QWidget *w = widget(QString::fromLatin1(a.widget));
        w->setFocus();
        QTest::keyClick(w, a.key);
        EXPECT_EQ(clicks, 1);
        QObject::disconnect(counter);
    }
}

TEST_F(MainWindowTest, BusyPointerTopMostAndProgress)
{
    window.setBusy(true);
    window.setBusy(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    window.setBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    window.setTopMost(true);
    EXPECT_TRUE(window.isTopMost());
    EXPECT_TRUE(window.isVisible());
    window.setTopMost(false);

    auto *progress = widget<QLabel>("lblProgress");
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isVisible());
    window.showProgress(3, 40);
    EXPECT_EQ(progress->text(), QStringLiteral("Frame 3 / 40"));
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(widget("Frame1")->rect().contains(progress->geometry()));
    window.setProgressText(QString());
    EXPECT_FALSE(progress->isVisible());
    form.findControl(QStringLiteral("lblProgress"), -1)->setCaption(QStringLiteral("Bild %1 von %2"));
    window.showProgress(7, 9);
    EXPECT_EQ(progress->text(), QStringLiteral("Bild 7 von 9"));
}

// Closing the window ends the program: a running playback stops. (A video being written is
// closed properly, so that its frames play: VideoCommandTest.AbortClosesTheFileSoItPlays.)
class ClosingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.makeClip(QStringLiteral("clip"), 6);
        fx.start();
        window = std::make_unique<MainWindow>(fx.form);
        connectWindow(*window, *fx.logic);
        window->show();
    }
    FormFixture fx;
    std::unique_ptr<MainWindow> window;
};

TEST_F(ClosingTest, EndsARepeatingPlayback)
{
    fx.form.chkRepeat.setValue(1);
    fx.form.scrlSpeed.setValue(25);
    QTimer::singleShot(150, window.get(), [this] { window->close(); });
    fx.form.cmdPlay.click(); // returns only when the playback has ended
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fx.logic->player.isStopRequested());
}

} // namespace
