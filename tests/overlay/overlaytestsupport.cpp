#include "overlaytestsupport.h"

#include <QGuiApplication>

namespace tavelon::test {

namespace {

// Fonts and QPainter text need a QGuiApplication; the offscreen platform needs no display.
class GuiEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[12] = "tst_overlay";
    char *m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QGuiApplication> m_app;
};

[[maybe_unused]] ::testing::Environment *const guiEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

const QStringList &builtInTexts()
{
    static const QStringList texts = {
        QStringLiteral("Frames konnten nicht geladen werden !"),
        QStringLiteral("Fehler beim Schreiben der Datei."),
        QStringLiteral("Es muss ein Name für den zu erstellenden Clip angegeben werden."),
        QStringLiteral("Aktuellen Frame wirklich löschen ?"),
        QStringLiteral("Frames"),
        QStringLiteral("Vorschau / AVI Erstellen"),
        QStringLiteral("Links oben"),
        QStringLiteral("Rechts oben"),
        QStringLiteral("Links unten"),
        QStringLiteral("Rechts unten"),
        QStringLiteral("Klein"),
        QStringLiteral("Mittel"),
        QStringLiteral("Gross"),
        QStringLiteral("Riesig"),
        QStringLiteral("Soll die bereits existierende Datei"),
        QStringLiteral("überschrieben werden ?"),
        QStringLiteral("Es wurden keine Clips gefunden."),
        QStringLiteral("Es wurde ein neuer Clip gefunden."),
        QStringLiteral("Bitte einen Namen angeben:"),
        QStringLiteral("Abbrechen"),
        QStringLiteral("Übernehmen"),
        QStringLiteral("Ordner existiert bereits !"),
    };
    return texts;
}

} // namespace

OverlayTest::OverlayTest()
{
    for (const QString &t : builtInTexts())
        form.lstComments.addItem(t);
    for (int i = 6; i <= 9; ++i)
        form.cboPosition.addItem(form.UiText(i));
    for (int i = 10; i <= 13; ++i)
        form.cboSize.addItem(form.UiText(i));
    form.cboPosition.setText(form.UiText(9));
    form.cboSize.setText(form.UiText(11));
    form.cboFormats.setText(QStringLiteral("VCD PAL"));
    form.txtHeight.setText(QStringLiteral("288"));

    overlay = std::make_unique<Overlay>(form);
    options = std::make_unique<OverlayOptions>(form, *overlay);
    QObject::connect(options.get(), &OverlayOptions::redrawn, [this] { ++redraws; });
    setFlatFrame(kFrameColor);
}

void OverlayTest::setFlatFrame(const QColor &c, int width, int height)
{
    QImage frame(width, height, QImage::Format_RGB32);
    frame.fill(c);
    form.picTemp.setImage(frame);
    overlay->RevertPicPre();
}

void OverlayTest::setVideoFrame(const QString &format, int width, int height)
{
    form.cboFormats.setText(format);
    form.txtHeight.setText(QString::number(height));
    QImage frame(width, height, QImage::Format_RGB32);
    frame.fill(kFrameColor);
    form.picSave.setImage(frame);
}

QRect boundsWhere(const QImage &image, const std::function<bool(QColor)> &pick)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (pick(image.pixelColor(x, y)))
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

} // namespace tavelon::test
