#include "form/videooutput.h"

namespace tavelon {

QString fileExtension(Container container)
{
    return QLatin1Char('.') + containerName(container);
}

QString containerName(Container container)
{
    return container == Container::Mp4 ? QStringLiteral("mp4") : QStringLiteral("avi");
}

std::optional<Container> containerFromName(const QString &name)
{
    for (Container c : {Container::Avi, Container::Mp4}) {
        if (name.compare(containerName(c), Qt::CaseInsensitive) == 0)
            return c;
    }
    return std::nullopt;
}

QString fitName(Fit fit)
{
    switch (fit) {
    case Fit::Stretch:
        break;
    case Fit::Pad:
        return QStringLiteral("pad");
    case Fit::Crop:
        return QStringLiteral("crop");
    }
    return QStringLiteral("stretch");
}

std::optional<Fit> fitFromName(const QString &name)
{
    for (Fit f : {Fit::Stretch, Fit::Pad, Fit::Crop}) {
        if (name.compare(fitName(f), Qt::CaseInsensitive) == 0)
            return f;
    }
    return std::nullopt;
}

} // namespace tavelon
