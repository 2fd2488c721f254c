#pragma once

#include <QList>
#include <QString>

namespace tavelon {

// One row of the video format table: the name as listed, and the texts put into the boxes.
struct FormatPreset
{
    QString name;
    QString fps;
    QString width;
    QString height;
};

// The nine formats, in list order: the eight disc and HD sizes, then 4K.
const QList<FormatPreset> &formatPresets();

// The row called name; nullptr for a name the table does not list.
const FormatPreset *formatPreset(const QString &name);

} // namespace tavelon
