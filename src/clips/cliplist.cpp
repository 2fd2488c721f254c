#include "clips/cliplist.h"

#include <limits>

#include <QCoreApplication>

#include "services/fileservices.h"
#include "services/inifile.h"
#include "form/mainform.h"
#include "services/numbertext.h"
#include "services/clipscan.h"
#include "form/clipsettings.h"
#include "clips/formatpresets.h"
#include "overlay/overlay.h"
#include "preview/framelist.h"
#include "preview/preview.h"

namespace tavelon {

ClipList::ClipList(MainForm &form, Preview &preview, Overlay &overlay, QObject *parent)
    : QObject(parent), m_form(form), m_preview(preview), m_overlay(overlay)
{
    connect(&form.List1, &ListControl::clicked, this, &ClipList::List1_Click);
}

void ClipList::InitMyself()
{
    MainForm &f = m_form;
    f.Label2.setCaption(QStringLiteral(" ") + f.Text1.text() + QStringLiteral(" "));
    for (const FormatPreset &row : formatPresets())
        f.cboFormats.addItem(row.name);
    f.cboFormats.setText(f.cboFormats.item(4));
    for (const QString &text : f.UiTexts(kUiTopLeft, kUiBottomRight))
        f.cboPosition.addItem(text);
    for (const QString &text : f.UiTexts(kUiSmall, kUiHuge))
        f.cboSize.addItem(text);
    // A language file may have named the directions already; the built-in names fill only what
    // it left, so the list keeps three items and a stored direction index keeps its meaning.
    const QStringList directions = {QStringLiteral("Normal (Vorwärts)"), QStringLiteral("Rückwärts"),
                                    QStringLiteral("Vorwärts + Rückwärts")};
    for (int i = f.cboDirections.count(); i < directions.size(); ++i)
        f.cboDirections.addItem(directions.at(i));

    f.Dir1.clear();
    for (const QString &clip : listClips(f.state.FramesPath))
        f.Dir1.addItem(f.state.FramesPath + clip);
    if (!FolderExists(f.state.ClipsPath)) {
        QString clips = f.state.ClipsPath;
        CreatePath(clips);
    }
    for (const QString &entry : f.Dir1.items())
        f.List1.addItem(LastPathPart(entry));
    // Select the first clip (the empty name when there is none) and load it.
    f.List1.setText(f.List1.item(0));
    List1_Click();
    f.focusDummy();
}

void ClipList::List1_Click()
{
    MainForm &f = m_form;
    f.state.ClipPath = f.state.FramesPath + f.List1.text() + pathSeparator();
    readFrameList(f);
    QCoreApplication::processEvents();
    f.slPre.setMaximum(f.lvwFiles.count() - 1);
    showFrameCount(f);
    f.slPre.setValue(0);
    m_preview.slPre_Change();
    QCoreApplication::processEvents();

    // Starting format from the first frame's height.
    if (f.picTemp.frameSize().height() < 400) {
        f.cboFormats.setText(QStringLiteral("VCD PAL"));
        f.txtFPS.setText(QStringLiteral("25"));
        f.txtWidth.setText(QStringLiteral("352"));
        f.txtHeight.setText(QStringLiteral("288"));
    } else {
        f.cboFormats.setText(QStringLiteral("DVD PAL"));
        f.txtFPS.setText(QStringLiteral("25"));
        f.txtWidth.setText(QStringLiteral("720"));
        f.txtHeight.setText(QStringLiteral("576"));
    }

    const ClipSettings ini(f.state.ClipPath);
    const QString format = ini.read(ClipSettings::Format, QString());
    if (!format.isEmpty()) {
        f.cboFormats.setText(format);
        f.txtFPS.setText(ini.read(ClipSettings::FrameRate, QStringLiteral("25")));
        f.txtWidth.setText(ini.read(ClipSettings::Width, QStringLiteral("720")));
        f.txtHeight.setText(ini.read(ClipSettings::Height, QStringLiteral("576")));
    }
    // The speed bar still has the range the previous clip (or the start) left. It is opened up so
    // that the stored speed is taken as it is; the speed limit below then judges it against this
    // clip's own frame rate.
    f.scrlSpeed.setMaximum(std::numeric_limits<qint16>::max());
    if (auto speed = integerValueOf(ini.read(ClipSettings::Speed, QStringLiteral("8"))))
        f.scrlSpeed.setValue(*speed);
    if (auto direction = integerValueOf(ini.read(ClipSettings::Direction, QStringLiteral("0")))) {
        if (f.cboDirections.setListIndex(*direction))
            f.cboDirections.setText(f.cboDirections.item(*direction));
    }
    applySpeedLimit(f);
    if (auto box = integerValueOf(ini.read(ClipSettings::Box, QStringLiteral("0"))))
        f.Check2.setValue(*box);
    if (auto border = integerValueOf(ini.read(ClipSettings::Border, QStringLiteral("0"))))
        f.Check3.setValue(*border);
    f.Text1.setText(ini.read(ClipSettings::Text, QStringLiteral("© BRIMHOLT")));

    const QString pos = ini.read(ClipSettings::Pos, QString());
    if (!pos.isEmpty()) {
        if (auto i = integerValueOf(pos))
            f.cboPosition.setText(f.cboPosition.item(*i));
    } else {
        f.cboPosition.setText(f.UiText(kUiBottomRight));
    }
    const QString size = ini.read(ClipSettings::Size, QString());
    if (!size.isEmpty()) {
        if (auto i = integerValueOf(size))
            f.cboSize.setText(f.cboSize.item(*i));
    } else {
        f.cboSize.setText(f.UiText(kUiMedium));
    }

    // A file from before these keys (or with an unknown value) means the classic AVI, stretched.
    f.output.container =
        containerFromName(ini.read(ClipSettings::Container, QString())).value_or(Container::Avi);
    f.output.fit = fitFromName(ini.read(ClipSettings::Fit, QString())).value_or(Fit::Stretch);

    if (f.Check1.value() == 1) {
        m_overlay.RevertPicPre();
        m_overlay.PrintCopyright();
    }
    emit clipSelected();
}

} // namespace tavelon
