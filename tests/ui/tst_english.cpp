// English3.lng must replace every German text: in the form's controls, the window's widgets, the
// string table the messages come from, and the lines the batch mode writes. A text added to the
// program without an English line fails here.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>

#include <gtest/gtest.h>

#include "app/batchjob.h"
#include "clips/clipstatus.h"
#include "form/showntexts.h"
#include "form/uitext.h"
#include "testsupport.h"
#include "services/stderrmessages.h"
#include "ui/compressiondialog.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"

using namespace tavelon;
using namespace tavelon::test;

namespace {

// Texts that read the same in both languages.
const QSet<QString> &neutralTexts()
{
    static const QSet<QString> texts = {QStringLiteral("Box"),
                                        QStringLiteral("Stop"),
                                        QStringLiteral("Frames"),
                                        QStringLiteral("Frames:"),
                                        QStringLiteral("OK"),
                                        QStringLiteral("© BRIMHOLT"),
                                        QStringLiteral("Brimholt Tavelon")};
    return texts;
}

// Words that give a German text away also inside a longer, composed one.
const QRegularExpression &germanWords()
{
    static const QRegularExpression re(
        QStringLiteral("[äöüÄÖÜß]|\\b(Nr|Breite|Geschwindigkeit|langsamer|schneller|Einblendung|Rahmen|Farbe|"
                       "Wiederholen|Fertigstellen|Abspielen|Optionen|Gefundene|Links|Rechts|oben|unten|Klein|"
                       "Mittel|Gross|Riesig|Soll|Datei|Fehler|werden|konnten|nicht|Ordner|Abbrechen|Bitte|"
                       "wurden|wurde|kann|Komprimierung\\w*|Datenrate|alle|Aus|Programmordner)\\b"));
    return re;
}

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
        if (auto *combo = qobject_cast<const QComboBox *>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        if (auto *spin = qobject_cast<const QSpinBox *>(w))
            texts << spin->specialValueText() << spin->suffix();
    }
    return texts;
}

// Every text a form and its window show: captions, tooltips, items, texts of the models and of
// the widgets, the window's title.
QStringList shownTexts(const MainForm &form, const MainWindow &window)
{
    QStringList texts;
    for (const Control *c : form.controls()) {
        texts << c->caption() << c->toolTip();
        if (auto *list = qobject_cast<const ListControl *>(c))
            texts << list->items() << list->text();
        if (auto *box = qobject_cast<const TextBox *>(c))
            texts << box->text();
    }
    texts << widgetTexts(window);
    texts.removeAll(QString());
    return texts;
}

struct StartedForm
{
    explicit StartedForm(const QString &language)
    {
        fixture.makeClip(QStringLiteral("clip"), 3);
        fixture.form.state.LanguageChoice = language;
        fixture.form.state.LanguageFallbackPath = QStringLiteral(TAVELON_LANGUAGE_DIR "/");
        FillLanguageList(fixture.form);
        window = std::make_unique<MainWindow>(fixture.form);
        fixture.logic->clipList.InitMyself();
    }
    FormFixture fixture;
    std::unique_ptr<MainWindow> window;
};

// The German texts that must not survive: everything the German form shows and its string table,
// less numbers and symbol captions (no letters), the neutral texts and the user's data (clip and
// frame names, format names, the overlay text, the frame count).
QSet<QString> germanTexts()
{
    const StartedForm german{QString()};
    const MainForm &f = german.fixture.form;
    QSet<QString> data;
    for (const ListControl *list : {&f.List1, &f.Dir1, &f.lvwFiles, &f.cboFormats}) {
        for (const QString &item : list->items())
            data.insert(item.trimmed());
    }
    for (const QString &t : {f.Text1.text(), f.Label2.caption(), f.Label3.caption(), f.lbl(0)->caption()})
        data.insert(t.trimmed());
    QSet<QString> texts;
    for (const QString &t : shownTexts(f, *german.window) + builtInUiTexts()) {
        if (t.contains(QRegularExpression(QStringLiteral("[A-Za-zäöüÄÖÜß]{2}"))) &&
            !neutralTexts().contains(t.trimmed()) && !data.contains(t.trimmed()))
            texts.insert(t.trimmed());
    }
    return texts;
}

void expectEnglish(const QStringList &texts, const QSet<QString> &german)
{
    for (const QString &t : texts) {
        EXPECT_FALSE(german.contains(t.trimmed())) << "German text left: " << t.toStdString();
        EXPECT_FALSE(t.contains(germanWords())) << "German word in: " << t.toStdString();
    }
}

TEST(EnglishTest, EveryControlAndWidgetShowsEnglish)
{
    const QSet<QString> german = germanTexts();
    ASSERT_GT(german.size(), 30);
    const StartedForm english(QStringLiteral("English"));
    EXPECT_EQ(english.fixture.form.state.LanguageName, QStringLiteral("English"));
    const QStringList texts = shownTexts(english.fixture.form, *english.window);
    expectEnglish(texts, german);
    // The symbol-font captions of the player buttons stay the glyphs they are.
    EXPECT_EQ(english.fixture.form.cmdPlay.caption(), QStringLiteral("4"));
    EXPECT_EQ(english.fixture.form.cboDirections.count(), 3);
}

TEST(EnglishTest, StringTableCoversEveryEntry)
{
    const StartedForm english(QStringLiteral("English"));
    const QStringList table = english.fixture.form.lstComments.items();
    ASSERT_EQ(table.size(), builtInUiTexts().size()) << "English3.lng's lstComments block lacks entries";
    for (int i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(table.at(i).isEmpty());
        if (!neutralTexts().contains(table.at(i).trimmed())) {
            EXPECT_NE(table.at(i), builtInUiTexts().at(i));
        }
    }
    expectEnglish(table, germanTexts());
}

TEST(EnglishTest, DialogsMessagesAndBatchLinesAreEnglish)
{
    StartedForm english(QStringLiteral("English"));
    FormFixture &f = english.fixture;
    f.makeVideo();
    f.messages.queueAnswer(MessageAnswer::No);
    f.makeVideo();
    f.messages.queueAnswer(MessageAnswer::No);
    f.form.cmdDelFrame.click();
    const QList<ScriptedMessages::Message> shown = f.messages.messages;
    ASSERT_EQ(shown.size(), 2);
    QStringList lines;
    for (const ScriptedMessages::Message &m : shown)
        lines << m.text << StderrMessages::formatLine(m.title, m.text, m.buttons, m.icon, MessageAnswer::No);

    // The window's dialogs and its progress line.
    lines << widgetTexts(CompressionDialog(f.form));
    for (MessageButtons buttons : {MessageButtons::YesNo, MessageButtons::Ok}) {
        QMessageBox box;
        MessageBoxService::configure(box, f.form, QString(), QString(), buttons, MessageIcon::Question,
                                     MessageAnswer::No);
        lines << widgetTexts(box);
    }
    english.window->showProgress(1, 3);
    lines << widgetTexts(*english.window);

    // The batch mode's progress and clip-check lines, one problem of every kind.
    lines << progressLine(shownText(f.form, ShownText::BatchProgress), 1, 3, 1.0);
    ClipCheckResult check{
        {{ClipProblem::Kind::Unreadable, QStringLiteral("a.bmp"), {}, {}},
         {ClipProblem::Kind::SizeDiffers, QStringLiteral("b.bmp"), {}, QSize(2, 2)},
         {ClipProblem::Kind::OutOfOrder, QStringLiteral("c9.bmp"), QStringLiteral("c10.bmp"), {}},
         {ClipProblem::Kind::Gap, QStringLiteral("d1.bmp"), QStringLiteral("d5.bmp"), {}},
         {ClipProblem::Kind::NotAFrame, QStringLiteral("e.txt"), {}, {}}},
        3,
        QSize(4, 4),
        false};
    lines << clipCheckReport(check, f.form, 8, PlayingDirection::ForwardAndBack);
    lines.removeAll(QString());
    ASSERT_GT(lines.size(), 25);
    expectEnglish(lines, germanTexts());
}

} // namespace
