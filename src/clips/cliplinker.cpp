#include "clips/cliplinker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "form/mainform.h"
#include "services/messages.h"

namespace tavelon {

ClipLinker::ClipLinker(MainForm &form, MessageService &messages, QObject *parent)
    : QObject(parent), m_form(form), m_messages(messages)
{}

QStringList ClipLinker::linkFolders(const QStringList &folders)
{
    QStringList made;
    for (const QString &folder : folders) {
        if (linkFolder(folder)) {
            made << QFileInfo(QDir::cleanPath(folder)).fileName();
            emit linked(made.last());
        }
    }
    return made;
}

bool ClipLinker::linkFolder(const QString &folder)
{
    const QString source = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString name = QFileInfo(source).fileName();
    const QString frames = QDir::cleanPath(m_form.state.FramesPath);
    const QString link = frames + QLatin1Char('/') + name;
    const QString title = m_form.state.AppTitle;
    // A name taken in any letter case would make two clips that the list cannot tell apart.
    const bool taken = QFileInfo(link).exists() || QFileInfo(link).isSymLink() ||
                       QDir(frames)
                           .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                           .contains(name, Qt::CaseInsensitive);
    if (name.isEmpty() || taken) {
        m_messages.inform(title, m_form.uiText(kUiClipNameTaken).arg(QDir::toNativeSeparators(frames), name),
                          MessageIcon::Warning);
        return false;
    }
    if (!QFileInfo(source).isDir() || !QFile::link(source, link)) {
        m_messages.inform(title,
                          m_form.uiText(kUiClipLinkFailed)
                              .arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(frames)),
                          MessageIcon::Warning);
        return false;
    }
    return true;
}

} // namespace tavelon
