#include "preview/framelist.h"

#include "form/mainform.h"
#include "form/uitext.h"
#include "services/clipscan.h"

namespace tavelon {

void readFrameList(MainForm &form)
{
    form.lvwFiles.clear();
    for (const QString &name : listFrames(form.state.ClipPath))
        form.lvwFiles.addItem(name);
}

void showFrameCount(MainForm &form)
{
    form.lbl(0)->setCaption(form.UiText(kUiFrames) + QStringLiteral(": ") +
                            QString::number(form.slPre.maximum() + 1));
}

} // namespace tavelon
