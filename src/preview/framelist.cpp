#include "preview/framelist.h"

#include "form/mainform.h"
#include "form/uitext.h"
#include "services/clipscan.h"

namespace tavelon {

void readFrameList(MainForm &form)
{
    form.frameFiles.clear();
    for (const QString &name : listFrames(form.state.ClipPath))
        form.frameFiles.addItem(name);
}

void showFrameCount(MainForm &form)
{
    // No clip has no frame count, not a count of none.
    if (form.clipList.text().isEmpty()) {
        form.frameCount.setCaption(QString());
        return;
    }
    form.frameCount.setCaption(form.uiText(kUiFrames) + QStringLiteral(": ") +
                               QString::number(form.frameSlider.maximum() + 1));
}

} // namespace tavelon
