#include "app/formlogic.h"

#include "form/mainform.h"
#include "services/inifile.h"

namespace tavelon {

FormLogic::FormLogic(MainForm &mainForm, MessageService &messages, CompressionChooser &chooser,
                     QObject *parent)
    : QObject(parent), form(mainForm), overlay(form), overlayOptions(form, overlay), preview(form),
      player(form), deleter(form, messages), presets(form), clipList(form, preview, overlay),
      writer(form, messages, preview, overlay), command(form, messages, writer, chooser), clipStatus(form),
      watcher(form), linker(form, messages)
{
    connect(&preview, &Preview::frameShown, &overlayOptions, &OverlayOptions::previewFrameShown);
    // Folder changes that arrived while a video was written.
    connect(&command, &VideoCommand::finished, &watcher, &ClipWatcher::applyPending);
    // A clip linked in shows at once, and is selected when none was.
    connect(&linker, &ClipLinker::linked, this, [this](const QString &name) {
        watcher.apply();
        if (form.clipList.text().isEmpty() && !form.state.MakingVideo &&
            form.clipList.items().contains(name)) {
            form.clipList.setText(name);
            clipList.List1_Click();
        }
    });
}

void FormLogic::startBackgroundWork()
{
    connect(&clipList, &ClipList::clipSelected, &clipStatus, &ClipStatus::startCheck);
    connect(&clipList, &ClipList::clipSelected, &watcher, &ClipWatcher::watch);
    connect(&watcher, &ClipWatcher::framesChanged, &clipStatus, &ClipStatus::startCheck);
}

void FormLogic::shutdown()
{
    player.requestStop();
    writer.requestAbort();
}

} // namespace tavelon

namespace tavelon {

void FormLogic::chooseLanguage(const QString &name)
{
    clipList.changeLanguage(name);
    clipStatus.updateLength();
    if (!form.clipList.text().isEmpty())
        clipStatus.startCheck();
    IniDocument doc(form.state.IniFile);
    doc.setValue(kProgramSection, kLanguageKey, name);
    doc.save();
}

} // namespace tavelon
