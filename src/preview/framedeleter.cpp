#include "preview/framedeleter.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "form/mainform.h"
#include "services/messages.h"
#include "preview/framelist.h"

namespace tavelon {

FrameDeleter::FrameDeleter(MainForm &form, MessageService &messages, QObject *parent)
    : QObject(parent), m_form(form), m_messages(messages)
{
    connect(&form.deleteButton, &CheckBox::clicked, this, &FrameDeleter::cmdDelFrame_Click);
}

namespace {

// Qt's trash falls back to the current folder when it cannot set up the home trash (the data
// folder is missing or read-only), so the trash is used only where that cannot happen.
bool homeTrashUsable()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return false;
    const QFileInfo trash(data + QStringLiteral("/Trash"));
    if (trash.exists())
        return trash.isDir();
    const QFileInfo folder(data);
    return folder.isDir() && folder.isWritable();
}

} // namespace

bool FrameDeleter::removeFrameFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (homeTrashUsable() && file.moveToTrash())
        return true;
    return file.remove();
}

void FrameDeleter::cmdDelFrame_Click()
{
    m_form.focusDummy();
    if (m_form.deleteButton.value() != 1)
        return;
    m_form.deleteButton.setValue(0);
    // No frame is removed while a video is written: the writer walks the frame list.
    if (m_form.state.MakingVideo)
        return;
    const MessageAnswer answer =
        m_messages.show(m_form.state.AppTitle, m_form.uiText(kUiDeleteFrameQuestion), MessageButtons::YesNo,
                        MessageIcon::Question, MessageAnswer::Yes);
    if (answer != MessageAnswer::Yes)
        return;
    int pos = m_form.frameSlider.value();
    removeFrameFile(m_form.state.CurrentFramePath);
    readFrameList(m_form);
    m_form.frameSlider.setMaximum(m_form.frameFiles.count() - 1);
    showFrameCount(m_form);
    if (pos > m_form.frameSlider.maximum())
        pos = m_form.frameSlider.maximum();
    m_form.frameSlider.setValue(pos);
    m_form.frameNumber.setCaption(QString::number(m_form.frameSlider.value() + 1));
    m_form.frameSlider.raiseChange();
}

} // namespace tavelon
