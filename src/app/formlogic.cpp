#include "app/formlogic.h"

#include "form/mainform.h"

namespace tavelon {

FormLogic::FormLogic(MainForm &form, QObject *parent)
    : QObject(parent), form(form), overlay(form), overlayOptions(form, overlay), preview(form), player(form),
      deleter(form), presets(form), clipList(form), command(form)
{
    preview.printCopyright = [this] { overlay.PrintCopyright(); };
    deleter.refreshFrameList = [this] { clipList.refreshFrameList(); };
    clipList.slPre_Change = [this] { preview.slPre_Change(); };
    clipList.RevertPicPre = [this] { overlay.RevertPicPre(); };
    clipList.PrintCopyright = [this] { overlay.PrintCopyright(); };
    command.writer().printCopyrightAVI = [this] { overlay.PrintCopyrightAVI(); };
    command.writer().prefetchFrames = [this](const QList<int> &next) { preview.prefetch(next); };
}

} // namespace tavelon

namespace tavelon {

void FormLogic::shutdown()
{
    player.StopRequested = true;
    emit player.stopRequested();
    command.writer().requestAbort();
}

} // namespace tavelon
