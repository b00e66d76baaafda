#pragma once

#include <QString>

// Whether a path names an image file: decided by its extension when it has one (an extension that no image
// type uses is not an image, and the file is not read); by the file's content when it has none.
bool isImageFilePath(const QString &path);

// Whether a MIME type is an image type (its name or one of its ancestors starts with "image/").
bool isImageMimeTypeName(const QString &mimeTypeName);
