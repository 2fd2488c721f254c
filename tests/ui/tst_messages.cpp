#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "form/mainform.h"
#include "scriptedmessages.h"
#include "services/stderrmessages.h"
#include "ui/messagebox.h"

using namespace tavelon;

namespace {

const QString kTitle = QStringLiteral("Brimholt Tavelon");

TEST(StderrMessages, AnswersAndLines)
{
    struct Row
    {
        std::optional<MessageAnswer> configured;
        MessageButtons buttons;
        MessageAnswer expected;
    };
    // A question without an answer given is answered No, whatever the box's default button.
    const Row rows[] = {
        {std::nullopt, MessageButtons::YesNo, MessageAnswer::No},
        {MessageAnswer::Yes, MessageButtons::YesNo, MessageAnswer::Yes},
        {MessageAnswer::No, MessageButtons::YesNo, MessageAnswer::No},
        {MessageAnswer::Ok, MessageButtons::YesNo, MessageAnswer::No},
        {MessageAnswer::Yes, MessageButtons::Ok, MessageAnswer::Ok},
    };
    for (const Row &r : rows)
        EXPECT_EQ(StderrMessages(r.configured).answerFor(r.buttons), r.expected);

    EXPECT_EQ(
        StderrMessages::formatLine(kTitle, QStringLiteral("Soll die Datei\r\nüberschrieben werden ?"),
                                   MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No),
        QStringLiteral("Brimholt Tavelon: Question: Soll die Datei überschrieben werden ? (Yes/No) -> No"));
    EXPECT_EQ(StderrMessages::formatLine(kTitle, QStringLiteral("Fehler"), MessageButtons::Ok,
                                         MessageIcon::Stop, MessageAnswer::Ok),
              QStringLiteral("Brimholt Tavelon: Error: Fehler"));
}

// The box shows what was asked, and Enter answers the default button.
TEST(MessageBoxService, EnterAnswersTheDefault)
{
    const struct
    {
        MessageButtons buttons;
        MessageIcon icon;
        MessageAnswer defaultAnswer;
        QMessageBox::Icon boxIcon;
    } cases[] = {{MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes, QMessageBox::Question},
                 {MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No, QMessageBox::Question},
                 {MessageButtons::Ok, MessageIcon::Stop, MessageAnswer::Ok, QMessageBox::Critical}};
    for (const auto &c : cases) {
        QWidget parent;
        MainForm form;
        MessageBoxService service(form, &parent);
        QMessageBox *seen = nullptr;
        QTimer::singleShot(0, [&] {
            seen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(seen, nullptr);
            EXPECT_EQ(seen->windowTitle(), kTitle);
            EXPECT_EQ(seen->text(), QStringLiteral("Frage"));
            EXPECT_EQ(seen->icon(), c.boxIcon);
            EXPECT_EQ(seen->parentWidget(), &parent);
            QTest::keyClick(seen, Qt::Key_Return);
        });
        EXPECT_EQ(service.show(kTitle, QStringLiteral("Frage"), c.buttons, c.icon, c.defaultAnswer),
                  c.defaultAnswer);
        EXPECT_NE(seen, nullptr);
    }
}

TEST(MessageBoxService, ClosingAQuestionAnswersNo)
{
    EXPECT_EQ(MessageBoxService::answerOf(QMessageBox::NoButton, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(MessageBoxService::answerOf(QMessageBox::NoButton, MessageButtons::Ok), MessageAnswer::Ok);
    QMessageBox box;
    MainForm form;
    MessageBoxService::configure(box, form, kTitle, QStringLiteral("t"), MessageButtons::YesNo,
                                 MessageIcon::Question, MessageAnswer::Yes);
    EXPECT_EQ(box.escapeButton(), box.button(QMessageBox::No));
}

// The buttons' texts are the form's, German by default.
TEST(MessageBoxService, ButtonTextsComeFromTheForm)
{
    MainForm form;
    QMessageBox question;
    MessageBoxService::configure(question, form, kTitle, QStringLiteral("t"), MessageButtons::YesNo,
                                 MessageIcon::Question, MessageAnswer::No);
    EXPECT_EQ(question.button(QMessageBox::Yes)->text(), QStringLiteral("Ja"));
    EXPECT_EQ(question.button(QMessageBox::No)->text(), QStringLiteral("Nein"));
    form.findControl(QStringLiteral("cmdMsgOk"), -1)->setCaption(QStringLiteral("Okay"));
    QMessageBox note;
    MessageBoxService::configure(note, form, kTitle, QStringLiteral("t"), MessageButtons::Ok,
                                 MessageIcon::Stop, MessageAnswer::Ok);
    EXPECT_EQ(note.button(QMessageBox::Ok)->text(), QStringLiteral("Okay"));
}

} // namespace
