#pragma once

#include <QObject>
#include <QStringList>

namespace tavelon {

class MainForm;
class MessageService;

// Folders of frames from elsewhere (dropped on the window) become clips: each is linked into the
// frames folder under its own name, so its frames stay where they are. A name already taken or a
// link the file system refuses is reported through the messages, and nothing is changed.
class ClipLinker : public QObject
{
    Q_OBJECT
public:
    ClipLinker(MainForm &form, MessageService &messages, QObject *parent = nullptr);

    // Links each folder; returns the names of the clips made.
    QStringList linkFolders(const QStringList &folders);

signals:
    // A clip called name was made.
    void linked(const QString &name);

private:
    bool linkFolder(const QString &folder);

    MainForm &m_form;
    MessageService &m_messages;
};

} // namespace tavelon
