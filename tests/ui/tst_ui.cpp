// The main window (widgets and model in step, keys), the message boxes, the compression dialog, and
// English3.lng replacing every German text the program shows or writes.
#include <QtTest>
#include <QtWidgets>

#include "app/batchjob.h"
#include "form/showntexts.h"
#include "form/uitext.h"
#include "services/stderrmessages.h"
#include "testsupport.h"
#include "ui/compressiondialog.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/runningwindow.h"

#include <future>

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
    template <class W = QWidget> W *widget(const char *name) const { return window.findChild<W *>(name); }

    MainForm form;
    MainWindow window{form};
};

// A change from code raises the model's event once, a user's action too, never again through the
// widget. Captions may be other symbols or text; the scroll bars follow their thumbs (the preview's
// picture in its border: tst_window).
TEST_F(MainWindowTest, ModelAndWidgetsStayInStepWithOneEventEach)
{
    QSignalSpy clips(&form.clipList, &ListControl::clicked);
    for (const QString &clip : {u"A"_s, u"b"_s, u"c"_s})
        form.clipList.addItem(clip);
    form.clipList.setListIndex(2);
    auto *list = widget<QListWidget>("List1");
    EXPECT_EQ(list->currentRow(), 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(form.clipList.text(), u"b"_s);
    EXPECT_EQ(clips.count(), 2);

    auto *play = widget<QPushButton>("cmdPlay");
    QTest::mouseClick(play, Qt::LeftButton);
    EXPECT_TRUE(form.playButton.value() == 1 && play->isChecked());
    // The delete button's handler raises it again; the widget follows.
    QObject::connect(&form.deleteButton, &CheckBox::clicked, [&] { form.deleteButton.setValue(0); });
    QTest::mouseClick(widget("cmdDelFrame"), Qt::LeftButton);
    EXPECT_FALSE(widget<QPushButton>("cmdDelFrame")->isChecked());

    // A language file's caption: another symbol character, or plain text.
    for (const QString &symbol : {u";"_s, u"="_s, u"5"_s, u"6"_s}) {
        form.playButton.setCaption(symbol);
        EXPECT_FALSE(play->icon().isNull()) << symbol.toStdString();
    }
    form.playButton.setCaption(u"Play"_s);
    EXPECT_TRUE(play->icon().isNull() && play->text() == u"Play"_s);
    QSignalSpy swatch(form.textColorSwatch(3), &Picture::clicked);
    QTest::mouseClick(widget("picColor(3)"), Qt::LeftButton);
    EXPECT_EQ(swatch.count(), 1);

    // The frame slider sets the model when its thumb is released, the speed bar while it moves.
    form.frameSlider.setMaximum(9);
    for (const auto &[name, control] :
         {std::pair{"slPre", &form.frameSlider}, std::pair{"scrlSpeed", &form.speedBar}}) {
        auto *bar = widget<QScrollBar>(name);
        const int before = control->value();
        bar->setSliderDown(true);
        bar->setSliderPosition(5);
        EXPECT_EQ(control->value(), control == &form.frameSlider ? before : 5) << name;
        bar->setSliderDown(false);
        EXPECT_EQ(control->value(), 5) << name;
    }
}

// Player keys click their button where no control needs them, also right after a clip is picked
// with the mouse; a focused control keeps its keys; Tab and Shift+Tab leave the format box and come
// back to it.
TEST_F(MainWindowTest, KeysActAsPlayerButtonsUnlessAControlNeedsThemNoneChangeTheFormat)
{
    for (ListControl *list : {&form.clipList, &form.directionBox, &form.overlayCorner, &form.overlaySize})
        for (const char *item : {"a", "b", "c"})
            list->addItem(QString::fromLatin1(item));
    form.frameSlider.setMaximum(9);
    QStringList clicked;
    for (CommandButton *b :
         {&form.firstButton, &form.backButton, &form.nextButton, &form.lastButton, &form.stopButton})
        QObject::connect(b, &CommandButton::clicked, [&, b] { clicked << b->name(); });
    for (CheckBox *b : {&form.playButton, &form.deleteButton})
        QObject::connect(b, &CheckBox::clicked, [&, b] { clicked << b->name(); });
    auto *list = widget<QListWidget>("List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(clicked, (QStringList{"cmdNext", "cmdLast"}));
    EXPECT_EQ(form.clipList.text(), u"b"_s) << "the list did not take the keys";
    // The focused widget, the key, the button clicked ("": the control keeps the key).
    const std::tuple<const char *, Qt::Key, const char *> rows[] = {
        {"dummy", Qt::Key_Left, "cmdBack"},   {"dummy", Qt::Key_Right, "cmdNext"},
        {"slPre", Qt::Key_End, "cmdLast"},    {"picPre", Qt::Key_Home, "cmdFirst"},
        {"cmdNext", Qt::Key_Left, "cmdBack"}, {"cmdPlay", Qt::Key_Delete, "cmdDelFrame"},
        {"dummy", Qt::Key_Space, "cmdPlay"},  {"dummy", Qt::Key_Space, "cmdStop"},
        {"Check1", Qt::Key_Space, ""},        {"List1", Qt::Key_End, ""},
        {"List1", Qt::Key_Space, ""},         {"cboDirections", Qt::Key_Right, ""},
        {"scrlSpeed", Qt::Key_Right, ""},     {"Text1", Qt::Key_Space, ""}};
    for (const auto &[focus, key, button] : rows) {
        clicked.clear();
        widget(focus)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(clicked.join(','), QLatin1String(button)) << focus << " " << key;
        form.deleteButton.setValue(0);
    }
    EXPECT_EQ(form.showOverlay.value(), 1) << "Space ticks a focused check box";
    EXPECT_EQ(form.overlayText.text(), u"© BRIMHOLT "_s);
    EXPECT_NE(form.speedBar.value(), 8) << "a focused speed bar takes the arrow keys";

    form.backButton.setEnabled(false);
    clicked.clear();
    widget("dummy")->setFocus();
    QTest::keyClick(widget("dummy"), Qt::Key_Left);
    EXPECT_TRUE(clicked.isEmpty()) << "a disabled button is not clicked";

    // Keys in the format box change nothing.
    for (const char *name : {"VCD PAL", "DVD PAL", "Full-HD 16:9"})
        form.formatBox.addItem(QString::fromLatin1(name));
    form.formatBox.setText(u"DVD PAL"_s);
    QSignalSpy formatClicks(&form.formatBox, &ListControl::clicked);
    auto *combo = widget<QComboBox>("cboFormats");
    combo->setFocus();
    QTest::keyClicks(combo, u"VCD"_s);
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Return})
        QTest::keyClick(combo, k);
    QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(form.formatBox.text(), u"DVD PAL"_s);
    EXPECT_EQ(formatClicks.count(), 0);
    EXPECT_FALSE(combo->view()->isVisible());
    QTest::keyClick(combo, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), combo);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), combo);
}

// The box shows what was asked with the form's button texts; Enter answers the default button,
// closing a question answers No.
TEST(MessageBoxService, EnterAnswersTheDefaultClosingAnswersNo)
{
    for (const MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        QWidget parent;
        MainForm form;
        MessageBoxService service(form, &parent);
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(std::tuple(box->text(), box->icon(), box->button(QMessageBox::No)->text(),
                                 box->escapeButton()),
                      std::tuple(u"Frage"_s, QMessageBox::Question, u"Nein"_s, box->button(QMessageBox::No)));
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(service.show(u"T"_s, u"Frage"_s, MessageButtons::YesNo, MessageIcon::Question, answer),
                  answer);
    }
    EXPECT_EQ(std::pair(MessageBoxService::answerOf(QMessageBox::NoButton, MessageButtons::YesNo),
                        MessageBoxService::answerOf(QMessageBox::NoButton, MessageButtons::Ok)),
              std::pair(MessageAnswer::No, MessageAnswer::Ok));
}

const auto codecBox = [](const QDialog &dialog) { return dialog.findChild<QComboBox *>("codec"); };

// Each compressor of the container is listed; each setting is offered only where the chosen
// compressor has it. MP4 offers only the compressors that fit it, H.264 when the chosen one does
// not; the chosen one stays when the container changes back. Under MPEG-4 Part 2 for MP4, and only
// there, the dialog says that web browsers do not play it.
TEST(CompressionDialog, ListsEnablesAndNarrowsCompressorsTheChooserStartsFromTheDefaults)
{
    MainForm form;
    CompressionDialog dialog(form);
    std::vector<CompressorInfo> all = availableCompressors();
    std::erase_if(all, [](const CompressorInfo &c) { return !fitsContainer(c, Container::Avi); });
    ASSERT_EQ(codecBox(dialog)->count(), int(all.size()));
    EXPECT_EQ(codecBox(dialog)->currentText(), u"Full Frames (Uncompressed)"_s);
    EXPECT_EQ(dialog.options(), CompressOptions{});
    // The settings a compressor offers, as the dialog enables them: quality, key frames, data rate.
    const auto settings = [&](const char *id) {
        codecBox(dialog)->setCurrentIndex(codecBox(dialog)->findData(QString::fromLatin1(id)));
        return u"%1%2%3"_s.arg(dialog.findChild<QSlider *>("quality")->isEnabled())
            .arg(dialog.findChild<QSpinBox *>("keyFrames")->isEnabled())
            .arg(dialog.findChild<QSpinBox *>("dataRate")->isEnabled());
    };
    EXPECT_EQ((QStringList{settings("mpeg4"), settings("uncompressed"), settings("mjpeg"), settings("ffv1")}),
              (QStringList{"111", "000", "100", "010"}));

    auto *container = dialog.findChild<QComboBox *>("container");
    container->setCurrentIndex(container->findData(int(Container::Mp4)));
    QStringList offered;
    for (int i = 0; i < codecBox(dialog)->count(); ++i)
        offered << codecBox(dialog)->itemData(i).toString();
    EXPECT_EQ(offered, (QStringList{"mpeg4", "h264", "h265", "av1"}));
    EXPECT_EQ(dialog.options().codec, u"h264"_s);
    dialog.show();
    const auto note = [&] {
        const QLabel *label = dialog.findChild<QLabel *>("browserNote");
        return label->isVisible() ? label->text() : QString();
    };
    const QString h264Note = note();
    codecBox(dialog)->setCurrentIndex(codecBox(dialog)->findData(u"mpeg4"_s));
    const QString mpeg4Note = note();
    container->setCurrentIndex(container->findData(int(Container::Avi)));
    EXPECT_EQ((QStringList{h264Note, mpeg4Note, note()}),
              (QStringList{{},
                           u"Web-Browser spielen MPEG-4 Part 2 in MP4 nicht ab; für das Web H.264 wählen."_s,
                           {}}));
    EXPECT_EQ(codecBox(dialog)->count(), int(all.size()));
    EXPECT_EQ(dialog.options().codec, u"mpeg4"_s);

    // The chooser opens the dialog starting from the defaults; cancelling keeps the options.
    DialogCompressionChooser chooser(form);
    const auto chooseAndClose = [&](CompressOptions &options, bool accept) {
        QTimer::singleShot(0, [accept] {
            auto *open = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(open);
            codecBox(*open)->setCurrentIndex(1);
            accept ? open->accept() : open->reject();
        });
        return chooser.chooseCompression(options);
    };
    CompressOptions options{u"ffv1"_s, 10, 5, 0};
    EXPECT_EQ((std::pair{chooseAndClose(options, false), options}),
              std::pair(0, CompressOptions{u"ffv1"_s, 10, 5, 0}));
    EXPECT_EQ((std::pair{chooseAndClose(options, true), options}),
              std::pair(1, CompressOptions{availableCompressors()[1].id}));

    // The container, fit, deflicker and soundtrack start from those given (the clip's) and are read
    // back.
    options = {.container = Container::Mp4, .fit = Fit::Crop, .deflicker = 7, .audio = u"/m/a.mp3"_s};
    ASSERT_EQ(chooseAndClose(options, true), 1);
    EXPECT_EQ(options, (CompressOptions{.codec = u"h264"_s,
                                        .container = Container::Mp4,
                                        .fit = Fit::Crop,
                                        .deflicker = 7,
                                        .audio = u"/m/a.mp3"_s}))
        << "the second of MP4's compressors";
}

// Texts that read the same in both languages.
const QSet<QString> kNeutralTexts = {u"Box"_s, u"Stop"_s, u"Frames"_s, u"Frames:"_s, u"OK"_s, u"© BRIMHOLT"_s,
                                     u"Brimholt Tavelon"_s,
                                     // the language choice names each language in its own words
                                     u"Deutsch"_s, u"English"_s};

// Words that give a German text away also inside a longer, composed one.
const QRegularExpression kGermanWords(
    QStringLiteral("[äöüÄÖÜß]|\\b(Nr|Breite|Geschwindigkeit|langsamer|schneller|Einblendung|Rahmen|Farbe|"
                   "Wiederholen|Fertigstellen|Abspielen|Optionen|Gefundene|Links|Rechts|oben|unten|Klein|"
                   "Mittel|Gross|Riesig|Soll|Datei|Fehler|werden|konnten|nicht|Ordner|Abbrechen|Bitte|"
                   "wurden|wurde|kann|Komprimierung\\w*|Datenrate|alle|Aus|Programmordner)\\b"));

// Every text a widget and its children show: the title, tooltips, the texts of labels, buttons,
// group boxes, lists and number boxes.
QStringList widgetTexts(const QWidget &top)
{
    QStringList texts{top.windowTitle()};
    for (const QWidget *w : top.findChildren<QWidget *>()) {
        texts << w->toolTip();
        if (auto *label = qobject_cast<const QLabel *>(w))
            texts << label->text();
        if (auto *button = qobject_cast<const QAbstractButton *>(w))
            texts << button->text();
        if (auto *group = qobject_cast<const QGroupBox *>(w))
            texts << group->title();
        if (auto *combo = qobject_cast<const QComboBox *>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto *spin = qobject_cast<const QSpinBox *>(w))
            texts << spin->specialValueText() << spin->suffix();
    }
    return texts;
}

struct StartedForm : FormFixture
{
    explicit StartedForm(const QString &language)
    {
        makeClip(u"clip"_s, 3);
        form.state.LanguageChoice = language;
        form.state.LanguageFallbackPath = QStringLiteral(TAVELON_LANGUAGE_DIR "/");
        FillLanguageList(form);
        window = std::make_unique<MainWindow>(form);
        logic->clipList.InitMyself();
    }
    std::unique_ptr<MainWindow> window;
};

// The German texts that must not survive: everything the German form shows and its string table,
// less numbers and symbol captions (no letters), the neutral texts and the user's data (clip and
// frame names, format names, the overlay text, the frame count).
QSet<QString> germanTexts()
{
    const StartedForm german{QString()};
    const MainForm &f = german.form;
    QStringList data = {f.overlayText.text(), f.previewTextLabel.caption(), f.videoTextLabel.caption(),
                        f.frameCount.caption()};
    for (const ListControl *list : {&f.clipList, &f.clipFolders, &f.frameFiles, &f.formatBox})
        data << list->items();
    QSet<QString> texts;
    for (const QString &t : widgetTexts(*german.window) + builtInUiTexts())
        if (t.contains(QRegularExpression(u"[A-Za-zäöüÄÖÜß]{2}"_s)) && !kNeutralTexts.contains(t.trimmed()) &&
            !data.contains(t.trimmed()))
            texts.insert(t.trimmed());
    return texts;
}

// Every control, widget, dialog, message, batch line and string-table entry in English; the
// symbol-font captions of the player buttons stay the glyphs they are.
TEST(EnglishTest, EverythingShownOrWrittenIsEnglish)
{
    const QSet<QString> german = germanTexts();
    ASSERT_GT(german.size(), 30);
    StartedForm f(u"English"_s);
    EXPECT_EQ(f.form.state.LanguageName, u"English"_s);
    EXPECT_EQ(f.form.playButton.caption(), u"4"_s);
    EXPECT_EQ(f.form.directionBox.count(), 3);
    const QStringList table = f.form.uiTextList.items();
    ASSERT_EQ(table.size(), builtInUiTexts().size()) << "English3.lng's lstComments block lacks entries";
    for (int i = 0; i < table.size(); ++i)
        EXPECT_TRUE(!table.at(i).isEmpty() &&
                    (kNeutralTexts.contains(table.at(i).trimmed()) || table.at(i) != builtInUiTexts().at(i)))
            << i;
    QStringList lines = widgetTexts(*f.window) + table;

    f.makeVideo();
    f.messages.queueAnswer(MessageAnswer::No);
    f.makeVideo();
    f.messages.queueAnswer(MessageAnswer::No);
    f.form.deleteButton.click();
    ASSERT_EQ(f.messages.messages.size(), 2);
    for (const ScriptedMessages::Message &m : f.messages.messages)
        lines << m.text << StderrMessages::formatLine(m.title, m.text, m.buttons, m.icon, MessageAnswer::No);
    lines << widgetTexts(CompressionDialog(f.form));
    for (MessageButtons buttons : {MessageButtons::YesNo, MessageButtons::Ok}) {
        QMessageBox box;
        MessageBoxService::configure(box, f.form, QString(), QString(), buttons, MessageIcon::Question,
                                     MessageAnswer::No);
        lines << widgetTexts(box);
    }
    f.window->showProgress(1, 3);
    lines << widgetTexts(*f.window) << progressLine(shownText(f.form, ShownText::BatchProgress), 1, 3, 1.0);
    using enum ClipProblem::Kind;
    const QList<ClipProblem> problems = {{Unreadable, u"a.bmp"_s, {}, {}},
                                         {SizeDiffers, u"b.bmp"_s, {}, QSize(2, 2)},
                                         {OutOfOrder, u"c9.bmp"_s, u"c10.bmp"_s, {}},
                                         {Gap, u"d1.bmp"_s, u"d5.bmp"_s, {}},
                                         {NotAFrame, u"e.txt"_s, {}, {}}};
    lines << clipCheckReport({problems, 3, QSize(4, 4), false}, f.form, 8, PlayingDirection::ForwardAndBack);
    lines.removeAll(QString());
    for (const QString &t : lines) {
        EXPECT_FALSE(german.contains(t.trimmed())) << "German text left: " << t.toStdString();
        EXPECT_FALSE(t.contains(kGermanWords)) << "German word in: " << t.toStdString();
    }
}

// A second start of the program on the same folder, however the folder is written, brings the running
// window to the front and ends at once, and the first goes on; a window of another folder answers only
// to its own.
TEST(RunningWindowTest, SecondStartOfTheProgramEndsAndTheFirstRuns)
{
    QTemporaryDir folder, other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(TAVELON_BIN), {u"--root"_s, folder.path()});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return RunningWindow::bringToFront(folder.path()) || first.state() == QProcess::NotRunning; },
        10000));
    // A window of the other folder in this process is reached by its own name.
    RunningWindow running(other.path());
    ASSERT_TRUE(running.listen());
    QSignalSpy front(&running, &RunningWindow::frontRequested);
    auto reached = std::async(std::launch::async, [&] { return RunningWindow::bringToFront(other.path()); });
    EXPECT_TRUE(front.wait(3000) && reached.get());
    const RunResult second =
        runProgram(QStringLiteral(TAVELON_BIN), {u"--root"_s, folder.path() + u"/./"_s}, env);
    EXPECT_EQ(std::pair(second.code, first.state()), std::pair(0, QProcess::Running));
    EXPECT_FALSE(front.wait(200)) << "the second start asked the other folder's window";
    first.kill();
    first.waitForFinished();
}

} // namespace
