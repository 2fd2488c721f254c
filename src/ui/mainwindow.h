#pragma once

#include <QHash>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QAction;
class QComboBox;
class QLabel;
class QMessageBox;
class QMimeData;

namespace tavelon {

class Control;
class MainForm;
class Overlay;
class PreviewView;

// The main window: shows the controls of a MainForm at their classic places and hands the user's
// actions to them. It holds no logic of its own; the form must outlive it.
//
// Beyond the classic program, keys work as player buttons where no control needs them: on the
// preview, the frame slider, the player buttons and the hidden focus holder. Left and Right step
// back and forward, Home and End go to the first and last frame, Space plays and stops, Delete asks
// to delete the frame shown; each does what a click on that button does. A focused list, check
// box, text box or the speed bar keeps its own keys.
//
// The classic layout is the window's smallest size. A larger window gives the room to the preview:
// the controls right of it move right, those below it move down, the clip list grows downwards.
// F11 or a double click on the preview shows the preview alone on the full screen; Escape, F11 or
// another double click leaves it.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 756;
    static constexpr int kClientHeight = 446;

    explicit MainWindow(MainForm &form, QWidget *parent = nullptr);
    ~MainWindow() override;

    MainForm &form() const { return m_form; }

    // The widget that shows a control; nullptr for the auxiliary controls, which have none.
    QWidget *widgetFor(const Control *control) const { return m_widgets.value(control); }

    // The busy mouse pointer over the whole program (while a video is made).
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

    // Keeps the window above all others, or back to normal; a shown window stays shown.
    void setTopMost(bool onTop);
    bool isTopMost() const;

    // Opens folders and videos with the desktop's programs (QDesktopServices::openUrl unless
    // replaced, as tests do).
    void setUrlOpener(std::function<bool(const QUrl &)> opener) { m_openUrl = std::move(opener); }

    // After a video was written: a notice naming the file, with buttons that open its folder and
    // play it. It does not wait for an answer; a newer notice replaces it.
    void showFinishNotice(const QString &videoPath);

    // The local folders among dropped data.
    static QStringList droppedFolders(const QMimeData *data);

    // The text box's options for a grown preview.
    void setOverlay(const Overlay *overlay);

    void setPreviewFullScreen(bool on);
    bool isPreviewFullScreen() const { return m_fullPreview; }

    // The window's size and place as stored in the settings file iniFile by the last close; a
    // window without stored ones keeps its own.
    void restorePlace(const QString &iniFile);
    void storePlace(const QString &iniFile) const;

    // A short status line under the frame counter while a video is made: frame i of n in the
    // words of the form's shown text lblProgress ("Frame 12 / 40").
    void showProgress(int i, int n);
    // The status line's text; the empty text hides it.
    void setProgressText(const QString &text);
    QString progressText() const;

signals:
    // The user closed the window.
    void closed();
    // The user chose the language called name.
    void languageChosen(const QString &name);
    // Folders were dropped on the window, to become clips.
    void foldersDropped(const QStringList &folders);

protected:
    // Throws away every key while the format box or its open list has the focus.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // How a widget follows the window's growth: moved by it right or down, grown by it wider or
    // taller. Widgets without a rule keep their classic place in their frame.
    struct Growth
    {
        bool right = false;
        bool down = false;
        bool wider = false;
        bool taller = false;
    };
    void setGrowth(const Control &model, Growth growth);
    void setGrowthRules();
    void createWindowActions();
    void buildClipGuide(QWidget *frame);
    void buildLanguageChoice(QWidget *frame);
    void updateLanguageChoice();
    void updateClipGuide();
    void layOut();
    template <class W> W *place(W *widget, Control &model, const QRect &geometry);
    void buildClipFrame();
    void buildOptionsFrame();
    void buildOverlayFrame();
    void buildFrameCounter();
    void buildPlayer();
    void createPlayerActions();
    bool isFormatBoxKey(QObject *watched, const QEvent *event) const;

    MainForm &m_form;
    QHash<const Control *, QWidget *> m_widgets;
    QWidget *m_dummy = nullptr;
    QLabel *m_progress = nullptr;
    QLabel *m_check = nullptr;
    QComboBox *m_formats = nullptr;
    PreviewView *m_preview = nullptr;
    QWidget *m_clipGuide = nullptr;
    QLabel *m_clipGuideText = nullptr;
    QAbstractButton *m_openFrames = nullptr;
    QPointer<QMessageBox> m_notice;
    QLabel *m_languageCaption = nullptr;
    QComboBox *m_languages = nullptr;
    std::function<bool(const QUrl &)> m_openUrl;
    QAction *m_leaveFullScreen = nullptr;
    QHash<QWidget *, QRect> m_classicPlaces;
    QHash<QWidget *, Growth> m_growth;
    bool m_busy = false;
    bool m_fullPreview = false;
    Qt::WindowStates m_stateBeforeFullScreen;
};

} // namespace tavelon
