#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>
#include <utility>

// The density an image file states in its header, in dots per inch (horizontal, vertical; 0 where unknown): the
// pHYs chunk of a PNG file or the JFIF density of a JPEG file. Nothing when the file states none.
std::optional<std::pair<double, double>> statedImageDensity(const QString &path);

// The size an image of these pixels is shown at, in points (1/72 inch): its pixels at the density its file states,
// one pixel a point where it states none.
QSizeF imageSizeInPoints(QSize pixels, const QString &path);
