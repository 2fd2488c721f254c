#include "preview/framelist.h"

#include "form/mainform.h"
#include "services/clipscan.h"

namespace tavelon {

void readFrameList(MainForm &form)
{
    form.lvwFiles.clear();
    for (const QString &name : listFrames(form.state.ClipPath))
        form.lvwFiles.addItem(name);
}

} // namespace tavelon
