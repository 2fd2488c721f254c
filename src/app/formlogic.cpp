#include "app/formlogic.h"

#include "form/mainform.h"

namespace tavelon {

FormLogic::FormLogic(MainForm &form, MessageService &messages, CompressionChooser &chooser, QObject *parent)
    : QObject(parent), form(form), overlay(form), overlayOptions(form, overlay), preview(form), player(form),
      deleter(form, messages), presets(form), clipList(form, preview, overlay),
      writer(form, messages, chooser, preview, overlay), command(form, messages, writer)
{
    connect(&preview, &Preview::frameShown, &overlayOptions, &OverlayOptions::previewFrameShown);
}

void FormLogic::shutdown()
{
    player.requestStop();
    writer.requestAbort();
}

} // namespace tavelon
