#include "form/mainform.h"

#include "form/showntexts.h"

namespace tavelon {

namespace {

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

QFont arialBold(qreal points)
{
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPointSizeF(points);
    return f;
}

struct Swatch
{
    int index;
    QColor color;
};

const QList<Swatch> &textSwatches()
{
    static const QList<Swatch> s = {
        {8, rgb(224, 224, 224)}, {0, rgb(255, 255, 255)}, {1, rgb(255, 0, 0)},   {2, rgb(255, 128, 0)},
        {3, rgb(255, 255, 0)},   {4, rgb(0, 255, 0)},     {5, rgb(0, 255, 255)}, {6, rgb(0, 0, 255)},
    };
    return s;
}

} // namespace

const QList<int> &MainForm::picColorIndexes()
{
    static const QList<int> indexes = {8, 0, 1, 2, 3, 4, 5, 6};
    return indexes;
}

MainForm::MainForm(QObject *parent) : QObject(parent)
{
    for (Control *c : std::initializer_list<Control *>{
             &Frame2,        &List1,     &fraPre,      &cboFormats, &txtFPS,   &txtWidth,    &txtHeight,
             &cboDirections, &scrlSpeed, &lblSpeed,    &Frame3,     &Text1,    &Check1,      &cboPosition,
             &cboSize,       &Check2,    &Check3,      &Label1,     &Frame1,   &lblCurFrame, &lblLength,
             &lblCheck,      &picPre,    &slPre,       &cmdFirst,   &cmdBack,  &cmdNext,     &cmdLast,
             &cmdStop,       &cmdPlay,   &cmdDelFrame, &chkRepeat,  &Command1, &lstComments, &Dir1,
             &lvwFiles,      &picSave,   &picTemp,     &dummy,      &Label2,   &Label3})
        add(c);
    for (int i : {0, 1, 2, 3, 4, 5, 7, 8}) {
        auto *l = new Label(QStringLiteral("lbl"), i, this);
        m_lbl.append(l);
        add(l);
    }
    for (const Swatch &s : textSwatches()) {
        auto *p = new Picture(QStringLiteral("picColor"), s.index, this);
        p->setBackColor(s.color);
        m_picColor.append(p);
        add(p);
    }
    for (auto [i, c] : {std::pair{3, rgb(64, 64, 64)}, std::pair{2, rgb(128, 128, 128)}}) {
        auto *p = new Picture(QStringLiteral("picFramCol"), i, this);
        p->setBackColor(c);
        m_picFramCol.append(p);
        add(p);
    }
    for (const ShownTextDefault &t : shownTextDefaults()) {
        auto *holder = new Label(QLatin1String(t.controlName), -1, this);
        holder->setCaption(QString::fromUtf8(t.german));
        add(holder);
    }
    setDesignTimeValues();
}

void MainForm::add(Control *c)
{
    m_controls.append(c);
}

Control *MainForm::findControl(const QString &name, int index) const
{
    for (Control *c : m_controls) {
        if (c->index() == index && c->name().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return nullptr;
}

Label *MainForm::lbl(int i) const
{
    for (Label *l : m_lbl) {
        if (l->index() == i)
            return l;
    }
    return nullptr;
}

Picture *MainForm::picColor(int i) const
{
    for (Picture *p : m_picColor) {
        if (p->index() == i)
            return p;
    }
    return nullptr;
}

Picture *MainForm::picFramCol(int i) const
{
    for (Picture *p : m_picFramCol) {
        if (p->index() == i)
            return p;
    }
    return nullptr;
}

void MainForm::setDesignTimeValues()
{
    Frame2.setCaption(QStringLiteral("Gefundene Clips:"));
    fraPre.setCaption(QStringLiteral("Optionen:"));
    cboFormats.setText(QStringLiteral("Full-HD 16:9"));
    txtFPS.setText(QStringLiteral("25"));
    txtFPS.setMaxLength(2);
    txtWidth.setText(QStringLiteral("1920"));
    txtWidth.setMaxLength(4);
    txtHeight.setText(QStringLiteral("1080"));
    txtHeight.setMaxLength(4);
    lbl(0)->setCaption(QStringLiteral("Frames: 0"));
    lbl(1)->setCaption(QStringLiteral("Frames: "));
    lbl(2)->setCaption(QStringLiteral("p/s"));
    lbl(3)->setCaption(QStringLiteral("Breite: "));
    lbl(4)->setCaption(QStringLiteral("Höhe: "));
    lbl(5)->setCaption(QStringLiteral("Frame Nr.: "));
    lbl(7)->setCaption(QStringLiteral("Geschwindigkeit des AVI-Clips: "));
    lbl(8)->setCaption(QStringLiteral("langsamer        schneller"));
    cboDirections.setText(QStringLiteral("Normal (Vorwärts)"));
    scrlSpeed.setMinimum(1);
    scrlSpeed.setMaximum(25);
    scrlSpeed.setValue(8);
    scrlSpeed.setSteps(1, 10);
    lblSpeed.setCaption(QStringLiteral("8"));

    Frame3.setCaption(QStringLiteral("Einblendung"));
    Frame3.setBackColor(rgb(192, 255, 192));
    Text1.setText(QStringLiteral("© BRIMHOLT"));
    Check1.setCaption(QStringLiteral("Copyright einblenden"));
    cboPosition.setText(QStringLiteral("Rechts unten"));
    cboSize.setText(QStringLiteral("Mittel"));
    Check2.setCaption(QStringLiteral("Box"));
    Check3.setCaption(QStringLiteral("Rahmen"));
    Label1.setCaption(QStringLiteral("Farbe:"));

    Frame1.setBackColor(rgb(0xFF, 0xE0, 0xC0));
    lblCurFrame.setCaption(QStringLiteral("1"));
    lblCurFrame.setFont(arialBold(14.25));
    lblCurFrame.setForeColor(rgb(0, 0, 128));
    lblCurFrame.setBackColor(rgb(0xE0, 0xE0, 0xE0));

    picPre.setImage([] {
        QImage img(kPreviewInnerWidth, kPreviewInnerHeight, QImage::Format_RGB32);
        img.fill(Qt::black);
        return img;
    }());
    slPre.setMinimum(0);
    slPre.setMaximum(0);
    slPre.setSteps(1, 25);

    cmdFirst.setCaption(QStringLiteral("9"));
    cmdFirst.setToolTip(QStringLiteral("Erster Frame"));
    cmdBack.setCaption(QStringLiteral("7"));
    cmdBack.setToolTip(QStringLiteral("Vorheriger Frame"));
    cmdNext.setCaption(QStringLiteral("8"));
    cmdNext.setToolTip(QStringLiteral("Nächster Frame"));
    cmdLast.setCaption(QStringLiteral(":"));
    cmdLast.setToolTip(QStringLiteral("Letzter Frame"));
    cmdStop.setCaption(QStringLiteral("<"));
    cmdStop.setToolTip(QStringLiteral("Stop"));
    cmdPlay.setCaption(QStringLiteral("4"));
    cmdPlay.setToolTip(QStringLiteral("Abspielen"));
    cmdDelFrame.setCaption(QStringLiteral("r"));
    cmdDelFrame.setToolTip(QStringLiteral("Aktuellen Frame löschen"));
    chkRepeat.setCaption(QStringLiteral("Wiederholen"));
    Command1.setCaption(QStringLiteral("Video Fertigstellen"));

    Label2.setForeColor(rgb(255, 255, 255));
    Label2.setFont(arialBold(12));
    Label3.setBackColor(rgb(64, 64, 64));
    Label3.setFont(arialBold(12));
}

QStringList MainForm::UiTexts(int first, int last) const
{
    QStringList texts;
    for (int i = first; i <= last; ++i)
        texts << UiText(i);
    return texts;
}

} // namespace tavelon
