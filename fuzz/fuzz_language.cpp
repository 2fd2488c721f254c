// LoadLanguage on the input as a language file, applied to a fresh main form. Reading the results
// touches every text the file set; controls without captions must still have none, and the file
// must be left as it was.

#include "form/mainform.h"
#include "fuzzsupport.h"
#include "form/languagefile.h"

using namespace tavelon;
using namespace tavelon::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QString path = scratchPath(QStringLiteral("Fuzz3.lng"));
    require(writeFile(path, bytesOf(data, size)));
    MainForm form;
    LoadLanguage(form, path);

    std::size_t sum = 0;
    for (int i = -1; i <= 30; ++i)
        sum += std::size_t(form.uiText(i).size());
    for (const Control *c : form.controls()) {
        require(c->hasCaption() || c->caption().isEmpty());
        sum += std::size_t(c->caption().size() + c->toolTip().size());
    }
    for (const ListControl *list : {&form.uiTextList, &form.formatBox, &form.overlayCorner, &form.clipList}) {
        for (const QString &item : list->items())
            sum += std::size_t(item.size());
    }
    consume(sum);

    require(readFile(path) == bytesOf(data, size));
    return 0;
}
