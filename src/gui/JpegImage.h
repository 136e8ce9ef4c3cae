#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pell::gui {

// Decodes JPEG bytes with libjpeg. A damaged or foreign file gives a null image, never
// a crash; a truncated one gives what could be decoded.
QImage decodeJpeg(const QByteArray& bytes);

// A JPEG picture built into the program (":/pell/resources/...").
QImage jpegResource(const QString& path);

// Makes the pictures built into the program available; call once after the
// application object exists.
void initResources();

} // namespace pell::gui
