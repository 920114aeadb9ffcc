#pragma once

#include <QString>
#include <functional>

// File names of the saving functions; each keeps the directory part of the
// given name exactly as written.
namespace SaveFileNames {

// directory / (complete base name + "-" + number + "." + suffix): "a.png"
// with "cBar" gives "a-cBar.png". A name without suffix gets none.
QString withNumber(const QString& fileName, const QString& number);
// The name itself when it has a suffix, else the name + "." + suffix.
QString withDefaultSuffix(const QString& fileName, const QString& defaultSuffix);
// directory / "%1-%2.%3": complete base name, number, fixed suffix; the
// name's own suffix is dropped ("map.png", 0, "tif" gives "map-0.tif").
QString numbered(const QString& fileName, const QString& number, const QString& fixedSuffix);
QString numbered(const QString& fileName, int number, const QString& fixedSuffix);
// The name itself when `taken` says it is free, else the first of
// withNumber(name, 2), withNumber(name, 3), ... that is: a new file never
// replaces an old one. Empty when a thousand are taken.
QString unused(const QString& fileName, const std::function<bool(const QString&)>& taken);

}
