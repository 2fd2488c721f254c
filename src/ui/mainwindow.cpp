#include "ui/mainwindow.h"

#include <algorithm>
#include <functional>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <QResizeEvent>

#include "form/mainform.h"
#include "form/showntexts.h"
#include "services/inifile.h"
#include "ui/classicframe.h"
#include "ui/classicscrollbar.h"
#include "ui/colorswatch.h"
#include "ui/controlbinding.h"
#include "ui/messagebox.h"
#include "ui/previewview.h"
#include "ui/wrappingbutton.h"

namespace tavelon {

namespace {

// Height the classic combo boxes have whatever their font.
constexpr int kComboHeight = 21;
constexpr QSize kSymbolSize(16, 16);

QString objectNameFor(const Control &c)
{
    return c.index() >= 0 ? QStringLiteral("%1(%2)").arg(c.name()).arg(c.index()) : c.name();
}

QFont fontOf(const QStringList &families, int points, bool bold)
{
    QFont f;
    f.setFamilies(families);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// The classic forms' text font; Arial's metric twin stands in where Arial is missing.
QFont windowFont()
{
    return fontOf({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Helvetica")},
                  8, false);
}

QFont makeVideoFont()
{
    return fontOf(
        {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")}, 12,
        true);
}

QLabel *newLabel(Label &model, QWidget *parent, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(parent);
    label->setAlignment(alignment);
    bindLabel(model, label);
    return label;
}

// Widens a label to its text where the table's width is too narrow for this font (the classic font
// is narrower), at most to the right edge of its container; never narrower than the table's width.
void fitToText(QLabel *label, Label &model, int tableWidth)
{
    auto fit = [label, tableWidth] {
        const int text = QFontMetrics(label->font()).horizontalAdvance(label->text());
        const int room = label->parentWidget()->width() - label->x() - 2;
        label->resize(std::max(tableWidth, std::min(text, room)), label->height());
    };
    fit();
    QObject::connect(&model, &Control::captionChanged, label, fit);
    QObject::connect(&model, &Label::fontChanged, label, fit);
}

// A caption left of a box: widens leftwards to its text where the table's width is too narrow
// ("Height:" in English), so that its right edge stays at the box. Never narrower than the table's.
void fitToTextLeftwards(QLabel *label, Label &model)
{
    const QRect table = label->geometry();
    auto fit = [label, table] {
        const int text = QFontMetrics(label->font()).horizontalAdvance(label->text().trimmed());
        const int width = std::min(std::max(table.width(), text), table.right() + 1);
        label->setGeometry(table.right() + 1 - width, table.y(), width, table.height());
    };
    fit();
    QObject::connect(&model, &Control::captionChanged, label, fit);
    QObject::connect(&model, &Label::fontChanged, label, fit);
}

QLineEdit *newTextBox(TextBox &model, QWidget *parent, Qt::Alignment alignment)
{
    auto *edit = new QLineEdit(parent);
    edit->setAlignment(alignment);
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Active, QPalette::Text, Qt::black);
    pal.setColor(QPalette::Inactive, QPalette::Text, Qt::black);
    edit->setPalette(pal);
    bindTextBox(model, edit);
    return edit;
}

QComboBox *newComboBox(ListControl &model, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    // The style's combo boxes leave less room for text than the classic ones: "Rechts unten" must
    // fit 89 pixels.
    QFont font = parent->font();
    font.setPointSizeF(7.5);
    combo->setFont(font);
    bindComboBox(model, combo);
    return combo;
}

QScrollBar *newScrollBar(ScrollBar &model, QWidget *parent, bool tracking)
{
    auto *bar = new ClassicScrollBar(Qt::Horizontal, parent);
    bar->setTracking(tracking);
    bindScrollBar(model, bar);
    return bar;
}

QPushButton *newSymbolButton(QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setIconSize(kSymbolSize);
    return button;
}

} // namespace

MainWindow::MainWindow(MainForm &form, QWidget *parent)
    : QWidget(parent), m_form(form), m_openUrl(&QDesktopServices::openUrl)
{
    setWindowTitle(form.state.AppTitle);
    setMinimumSize(kClientWidth, kClientHeight);
    resize(kClientWidth, kClientHeight);
    setFont(windowFont());
    setAcceptDrops(true);

    buildClipFrame();
    buildOptionsFrame();
    buildOverlayFrame();
    buildFrameCounter();
    buildPlayer();
    setGrowthRules();

    // The hidden text box of the classic form: it takes the focus so that no visible control shows
    // a focus mark. It lies outside the client area and draws nothing.
    m_dummy = new QWidget(this);
    m_dummy->setObjectName(QStringLiteral("dummy"));
    m_dummy->setFocusPolicy(Qt::ClickFocus);
    m_dummy->setGeometry(-10, -10, 1, 1);
    connect(&form, &MainForm::focusDummyRequested, m_dummy,
            [this] { m_dummy->setFocus(Qt::OtherFocusReason); });

    createPlayerActions();
    createWindowActions();

    // A clip picked with the mouse hands the keys to the preview, so that the player's keys act at
    // once; a list reached with the keyboard keeps them.
    auto *clips = qobject_cast<QAbstractItemView *>(widgetFor(&form.clipList));
    QWidget *preview = widgetFor(&form.previewPicture);
    if (clips && preview)
        connect(clips, &QAbstractItemView::clicked, preview,
                [preview] { preview->setFocus(Qt::MouseFocusReason); });
}

MainWindow::~MainWindow()
{
    setBusy(false);
}

template <class W> W *MainWindow::place(W *widget, Control &model, const QRect &geometry)
{
    widget->setObjectName(objectNameFor(model));
    widget->setGeometry(geometry);
    m_widgets.insert(&model, widget);
    m_classicPlaces.insert(widget, geometry);
    return widget;
}

void MainWindow::setGrowth(const Control &model, Growth growth)
{
    if (QWidget *w = widgetFor(&model))
        m_growth.insert(w, growth);
}

void MainWindow::setGrowthRules()
{
    const Growth right{.right = true};
    const Growth down{.down = true};
    setGrowth(m_form.clipListFrame, {.right = true, .taller = true});
    setGrowth(m_form.clipList, {.taller = true});
    setGrowth(m_form.optionsFrame, right);
    setGrowth(m_form.frameNumberFrame, {.right = true, .down = true});
    setGrowth(m_form.makeVideoButton, {.right = true, .down = true});
    setGrowth(m_form.previewPicture, {.wider = true, .taller = true});
    setGrowth(m_form.frameSlider, {.down = true, .wider = true});
    setGrowth(m_form.overlayFrame, down);
    for (const Control *c : std::initializer_list<const Control *>{
             &m_form.firstButton, &m_form.backButton, &m_form.nextButton, &m_form.lastButton,
             &m_form.stopButton, &m_form.playButton, &m_form.deleteButton, &m_form.repeatBox})
        setGrowth(*c, down);
}

void MainWindow::layOut()
{
    if (m_fullPreview) {
        m_preview->setGeometry(rect());
        return;
    }
    const int dx = std::max(0, width() - kClientWidth);
    const int dy = std::max(0, height() - kClientHeight);
    for (auto it = m_growth.cbegin(); it != m_growth.cend(); ++it) {
        const Growth g = it.value();
        const QRect classic = m_classicPlaces.value(it.key());
        it.key()->setGeometry(classic.x() + (g.right ? dx : 0), classic.y() + (g.down ? dy : 0),
                              classic.width() + (g.wider ? dx : 0), classic.height() + (g.taller ? dy : 0));
    }
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void MainWindow::setOverlay(const Overlay *overlay)
{
    m_preview->setOverlay(overlay);
    m_preview->update();
}

void MainWindow::setPreviewFullScreen(bool on)
{
    if (on == m_fullPreview)
        return;
    m_fullPreview = on;
    // Every other control hides behind the preview; the player's keys act on it.
    for (QWidget *w : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w != m_preview && w != m_dummy)
            w->setVisible(!on);
    m_leaveFullScreen->setEnabled(on);
    if (on) {
        m_stateBeforeFullScreen = windowState();
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        setWindowState(m_stateBeforeFullScreen);
    }
    layOut();
    m_preview->setFocus(Qt::OtherFocusReason);
}

void MainWindow::createWindowActions()
{
    auto *toggle = new QAction(this);
    toggle->setShortcut(QKeySequence(Qt::Key_F11));
    toggle->setShortcutContext(Qt::WindowShortcut);
    connect(toggle, &QAction::triggered, this, [this] { setPreviewFullScreen(!m_fullPreview); });
    addAction(toggle);
    m_leaveFullScreen = new QAction(this);
    m_leaveFullScreen->setShortcut(QKeySequence(Qt::Key_Escape));
    m_leaveFullScreen->setShortcutContext(Qt::WindowShortcut);
    m_leaveFullScreen->setEnabled(false);
    connect(m_leaveFullScreen, &QAction::triggered, this, [this] { setPreviewFullScreen(false); });
    addAction(m_leaveFullScreen);
    connect(m_preview, &PreviewView::doubleClicked, this, [this] { setPreviewFullScreen(!m_fullPreview); });
}

namespace {

const QString kPlaceKey = QStringLiteral("Window");

} // namespace

void MainWindow::restorePlace(const QString &iniFile)
{
    if (iniFile.isEmpty())
        return;
    const QString stored = IniDocument(iniFile).value(kProgramSection, kPlaceKey, QString());
    if (!stored.isEmpty())
        restoreGeometry(QByteArray::fromBase64(stored.toLatin1()));
}

void MainWindow::storePlace(const QString &iniFile) const
{
    if (iniFile.isEmpty())
        return;
    IniDocument doc(iniFile);
    doc.setValue(kProgramSection, kPlaceKey, QString::fromLatin1(saveGeometry().toBase64()));
    doc.save();
}

void MainWindow::buildClipFrame()
{
    auto *frame = new ClassicFrame(this);
    bindFrame(m_form.clipListFrame, frame);
    place(frame, m_form.clipListFrame, {516, 12, 229, 425});

    auto *list = new QListWidget(frame);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    bindListBox(m_form.clipList, list);
    place(list, m_form.clipList, {12, 20, 205, 366});
    buildClipGuide(frame);
    buildLanguageChoice(frame);
}

void MainWindow::buildLanguageChoice(QWidget *frame)
{
    m_languageCaption = new QLabel(frame);
    m_languageCaption->setObjectName(QStringLiteral("lblLanguage"));
    m_languages = new QComboBox(frame);
    m_languages->setObjectName(QStringLiteral("cboLanguage"));
    const struct
    {
        QWidget *widget;
        QRect place;
    } parts[] = {{m_languageCaption, {12, 394, 56, 14}}, {m_languages, {70, 391, 147, kComboHeight}}};
    for (const auto &part : parts) {
        part.widget->setGeometry(part.place);
        m_classicPlaces.insert(part.widget, part.place);
        m_growth.insert(part.widget, {.down = true});
    }
    connect(m_languages, &QComboBox::activated, this, [this](int i) {
        if (m_languages->itemText(i).compare(m_form.state.LanguageName, Qt::CaseInsensitive) != 0)
            emit languageChosen(m_languages->itemText(i));
    });
    connect(&m_form.uiTextList, &ListControl::itemsChanged, this, &MainWindow::updateLanguageChoice);
    updateLanguageChoice();
}

void MainWindow::updateLanguageChoice()
{
    m_languageCaption->setText(m_form.uiText(kUiLanguage));
    const QSignalBlocker blocker(m_languages);
    m_languages->clear();
    m_languages->addItems(availableLanguages(m_form.state));
    for (int i = 0; i < m_languages->count(); ++i) {
        if (m_languages->itemText(i).compare(m_form.state.LanguageName, Qt::CaseInsensitive) == 0)
            m_languages->setCurrentIndex(i);
    }
}

void MainWindow::buildClipGuide(QWidget *frame)
{
    // Over the empty clip list: where clips go, and a button that opens that folder.
    m_clipGuide = new QWidget(frame);
    m_clipGuide->setObjectName(QStringLiteral("clipGuide"));
    const QRect place(16, 28, 197, 200);
    m_clipGuide->setGeometry(place);
    auto *layout = new QVBoxLayout(m_clipGuide);
    layout->setContentsMargins(0, 0, 0, 0);
    m_clipGuideText = new QLabel(m_clipGuide);
    m_clipGuideText->setObjectName(QStringLiteral("clipGuideText"));
    m_clipGuideText->setWordWrap(true);
    m_clipGuideText->setTextFormat(Qt::PlainText);
    m_clipGuideText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_clipGuideText);
    auto *open = new QPushButton(m_clipGuide);
    open->setObjectName(QStringLiteral("openFramesFolder"));
    connect(open, &QPushButton::clicked, this,
            [this] { m_openUrl(QUrl::fromLocalFile(m_form.state.FramesPath)); });
    m_openFrames = open;
    layout->addWidget(open, 0, Qt::AlignLeft);
    layout->addStretch();
    connect(&m_form.clipList, &ListControl::itemsChanged, this, &MainWindow::updateClipGuide);
    connect(&m_form.uiTextList, &ListControl::itemsChanged, this, &MainWindow::updateClipGuide);
    updateClipGuide();
}

void MainWindow::updateClipGuide()
{
    m_clipGuideText->setText(m_form.uiText(kUiNoClips) + QStringLiteral("\n\n") +
                             QDir::toNativeSeparators(m_form.state.FramesPath));
    m_openFrames->setText(m_form.uiText(kUiOpenFolder));
    m_clipGuide->setVisible(m_form.clipList.count() == 0 && !m_fullPreview);
}

QStringList MainWindow::droppedFolders(const QMimeData *data)
{
    QStringList folders;
    if (!data)
        return folders;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
            folders << url.toLocalFile();
    }
    return folders;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFolders(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList folders = droppedFolders(event->mimeData());
    if (folders.isEmpty())
        return;
    event->acceptProposedAction();
    emit foldersDropped(folders);
}

void MainWindow::showFinishNotice(const QString &videoPath)
{
    if (m_notice)
        m_notice->close();
    auto *box = new QMessageBox(this);
    MessageBoxService::configure(*box, m_form, m_form.state.AppTitle,
                                 m_form.uiText(kUiVideoWritten).arg(QDir::toNativeSeparators(videoPath)),
                                 MessageButtons::Ok, MessageIcon::Information, MessageAnswer::Ok);
    box->setObjectName(QStringLiteral("finishNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(videoPath).absolutePath());
    const QUrl video = QUrl::fromLocalFile(videoPath);
    QPushButton *openFolder = box->addButton(m_form.uiText(kUiOpenFolder), QMessageBox::ActionRole);
    QPushButton *play = box->addButton(m_form.uiText(kUiPlayVideo), QMessageBox::ActionRole);
    openFolder->setObjectName(QStringLiteral("openVideoFolder"));
    play->setObjectName(QStringLiteral("playVideo"));
    connect(openFolder, &QPushButton::clicked, box, [this, folder] { m_openUrl(folder); });
    connect(play, &QPushButton::clicked, box, [this, video] { m_openUrl(video); });
    m_notice = box;
    box->show();
}

void MainWindow::buildOptionsFrame()
{
    auto *frame = new ClassicFrame(this);
    bindFrame(m_form.optionsFrame, frame);
    place(frame, m_form.optionsFrame, {372, 11, 133, 237});

    m_formats = place(newComboBox(m_form.formatBox, frame), m_form.formatBox, {13, 25, 107, kComboHeight});
    // Every key is thrown away while the format box has the focus: formats are chosen with the mouse.
    m_formats->installEventFilter(this);
    m_formats->view()->installEventFilter(this);

    place(newLabel(m_form.rateCaption, frame), m_form.rateCaption, {16, 59, 40, 13});
    place(newLabel(m_form.rateUnit, frame), m_form.rateUnit, {88, 59, 16, 13});
    place(newTextBox(m_form.frameRateBox, frame, Qt::AlignHCenter), m_form.frameRateBox, {56, 56, 25, 19});
    fitToTextLeftwards(place(newLabel(m_form.widthCaption, frame), m_form.widthCaption, {23, 83, 33, 13}),
                       m_form.widthCaption);
    place(newTextBox(m_form.widthBox, frame, Qt::AlignHCenter), m_form.widthBox, {56, 80, 45, 19});
    fitToTextLeftwards(place(newLabel(m_form.heightCaption, frame), m_form.heightCaption, {24, 107, 32, 13}),
                       m_form.heightCaption);
    place(newTextBox(m_form.heightBox, frame, Qt::AlignHCenter), m_form.heightBox, {56, 104, 45, 19});

    QLabel *speedCaption = place(newLabel(m_form.speedCaption, frame, Qt::AlignLeft | Qt::AlignTop),
                                 m_form.speedCaption, {20, 135, 92, 29});
    speedCaption->setWordWrap(true);

    // The speed number and the scale caption grow to their text, so that two digits show whole.
    fitToText(place(newLabel(m_form.speedValue, frame), m_form.speedValue, {89, 148, 6, 13}),
              m_form.speedValue, 6);
    place(newScrollBar(m_form.speedBar, frame, true), m_form.speedBar, {12, 164, 109, 17});
    fitToText(place(newLabel(m_form.speedScale, frame), m_form.speedScale, {8, 184, 114, 13}),
              m_form.speedScale, 114);
    place(newComboBox(m_form.directionBox, frame), m_form.directionBox, {8, 208, 118, kComboHeight});
}

void MainWindow::buildOverlayFrame()
{
    auto *frame = new ClassicFrame(this);
    bindFrame(m_form.overlayFrame, frame);
    place(frame, m_form.overlayFrame, {12, 356, 353, 80});

    place(newLabel(m_form.colorCaption, frame, Qt::AlignRight | Qt::AlignVCenter), m_form.colorCaption,
          {161, 11, 38, 11});
    int left = 206;
    for (int i : MainForm::textColorSwatchIndexes()) {
        auto *swatch = new ColorSwatch(frame);
        bindSwatch(*m_form.textColorSwatch(i), swatch);
        place(swatch, *m_form.textColorSwatch(i), {left, 12, 15, 14});
        left += 18;
    }

    const struct
    {
        CheckBox &model;
        QRect geometry;
    } checks[] = {
        {m_form.showOverlay, {8, 29, 137, 17}},
        {m_form.overlayBorder, {177, 30, 70, 16}},
        {m_form.overlayBox, {275, 30, 48, 16}},
    };
    for (const auto &c : checks) {
        auto *box = new QCheckBox(frame);
        bindCheckBox(c.model, box, CaptionStyle::Text);
        place(box, c.model, c.geometry);
    }

    place(newTextBox(m_form.overlayText, frame, Qt::AlignLeft), m_form.overlayText, {8, 49, 161, 19});
    place(newComboBox(m_form.overlayCorner, frame), m_form.overlayCorner, {177, 49, 89, kComboHeight});
    place(newComboBox(m_form.overlaySize, frame), m_form.overlaySize, {274, 49, 71, kComboHeight});
}

void MainWindow::buildFrameCounter()
{
    auto *frame = new ClassicFrame(this);
    bindFrame(m_form.frameNumberFrame, frame);
    place(frame, m_form.frameNumberFrame, {372, 260, 133, 89});

    place(newLabel(m_form.frameNumberCaption, frame, Qt::AlignCenter), m_form.frameNumberCaption,
          {8, 8, 117, 14});
    place(newLabel(m_form.frameNumber, frame, Qt::AlignCenter), m_form.frameNumber, {23, 24, 87, 25});
    place(newLabel(m_form.frameCount, frame, Qt::AlignCenter), m_form.frameCount, {8, 51, 117, 14});
    place(newLabel(m_form.videoLength, frame, Qt::AlignCenter), m_form.videoLength, {4, 63, 125, 12});
    // The check's short line; the progress of a video being made takes its place.
    m_check = place(newLabel(m_form.clipCheckResult, frame, Qt::AlignCenter), m_form.clipCheckResult,
                    {4, 74, 125, 12});

    m_progress = new QLabel(frame);
    m_progress->setObjectName(QStringLiteral("lblProgress"));
    m_progress->setTextFormat(Qt::PlainText);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->setGeometry(4, 74, 125, 12);
    QPalette pal = m_progress->palette();
    pal.setColor(QPalette::WindowText, QColor(96, 96, 96));
    m_progress->setPalette(pal);
    m_progress->hide();
}

void MainWindow::buildPlayer()
{
    // A click on the preview gives it the focus, where the player's keys act.
    m_preview = place(new PreviewView(m_form, this), m_form.previewPicture,
                      {12, 11, MainForm::kPreviewOuterWidth, MainForm::kPreviewOuterHeight});
    m_preview->setFocusPolicy(Qt::ClickFocus);
    place(newScrollBar(m_form.frameSlider, this, false), m_form.frameSlider, {12, 303, 351, 17});

    const struct
    {
        CommandButton &model;
        int left;
    } steps[] = {{m_form.firstButton, 12},
                 {m_form.backButton, 51},
                 {m_form.nextButton, 90},
                 {m_form.lastButton, 129},
                 {m_form.stopButton, 207}};
    for (const auto &s : steps) {
        QPushButton *button = newSymbolButton(this);
        bindCommandButton(s.model, button, CaptionStyle::Symbol);
        place(button, s.model, {s.left, 324, 33, 26});
    }
    const struct
    {
        CheckBox &model;
        int left;
    } toggles[] = {{m_form.playButton, 168}, {m_form.deleteButton, 330}};
    for (const auto &t : toggles) {
        QPushButton *button = newSymbolButton(this);
        bindCheckBox(t.model, button, CaptionStyle::Symbol);
        place(button, t.model, {t.left, 324, 33, 26});
    }

    auto *repeat = new QCheckBox(this);
    bindCheckBox(m_form.repeatBox, repeat, CaptionStyle::Text);
    place(repeat, m_form.repeatBox, {245, 328, 83, 17});

    auto *makeVideo = new WrappingButton(this);
    makeVideo->setFont(makeVideoFont());
    bindCommandButton(m_form.makeVideoButton, makeVideo, CaptionStyle::Text);
    place(makeVideo, m_form.makeVideoButton, {372, 360, 135, 77});
}

void MainWindow::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::setTopMost(bool onTop)
{
    if (isTopMost() == onTop)
        return;
    const bool shown = isVisible();
    // Changing the flag re-creates the native window, which hides it.
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown)
        show();
}

bool MainWindow::isTopMost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void MainWindow::showProgress(int i, int n)
{
    setProgressText(
        fillPlaceholders(shownText(m_form, ShownText::Progress), {QString::number(i), QString::number(n)}));
}

void MainWindow::setProgressText(const QString &text)
{
    m_progress->setText(text);
    m_progress->setVisible(!text.isEmpty());
    m_check->setVisible(text.isEmpty());
}

QString MainWindow::progressText() const
{
    return m_progress->text();
}

void MainWindow::createPlayerActions()
{
    const struct
    {
        Qt::Key key;
        bool autoRepeat;
        std::function<void()> run;
    } keys[] = {
        {Qt::Key_Left, true, [this] { m_form.backButton.click(); }},
        {Qt::Key_Right, true, [this] { m_form.nextButton.click(); }},
        {Qt::Key_Home, true, [this] { m_form.firstButton.click(); }},
        {Qt::Key_End, true, [this] { m_form.lastButton.click(); }},
        // A held Space would start and stop in turn, a held Delete ask again and again.
        {Qt::Key_Space, false,
         [this] {
             if (m_form.playButton.value() == 0)
                 m_form.playButton.click();
             else
                 m_form.stopButton.click();
         }},
        {Qt::Key_Delete, false, [this] { m_form.deleteButton.click(); }},
    };
    // The places where no control needs these keys. Each action is a widget shortcut on all of
    // them, so it acts only while one of them has the focus.
    QList<QWidget *> owners = {this, m_dummy};
    for (const Control *c : std::initializer_list<const Control *>{
             &m_form.previewPicture, &m_form.frameSlider, &m_form.firstButton, &m_form.backButton,
             &m_form.nextButton, &m_form.lastButton, &m_form.stopButton, &m_form.playButton,
             &m_form.deleteButton})
        owners.append(widgetFor(c));
    for (const auto &k : keys) {
        auto *action = new QAction(this);
        action->setShortcut(QKeySequence(k.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setAutoRepeat(k.autoRepeat);
        connect(action, &QAction::triggered, this, k.run);
        for (QWidget *w : owners)
            w->addAction(action);
    }
}

bool MainWindow::isFormatBoxKey(QObject *watched, const QEvent *event) const
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    // Tab and Shift+Tab leave the box, as from every other control.
    const int key = static_cast<const QKeyEvent *>(event)->key();
    if (watched == m_formats)
        return key != Qt::Key_Tab && key != Qt::Key_Backtab;
    // In the open list only Escape works, to close it without a choice.
    return watched == m_formats->view() && static_cast<const QKeyEvent *>(event)->key() != Qt::Key_Escape;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (isFormatBoxKey(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The place stored is the window's own, not the full screen's.
    setPreviewFullScreen(false);
    event->accept();
    emit closed();
}

} // namespace tavelon
