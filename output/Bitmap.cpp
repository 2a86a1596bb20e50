#include "output/Bitmap.h"

#include <QImage>

namespace util {

void Bitmap::BitmapDeleter::operator()(QImage* image) const { delete image; }

Bitmap::Bitmap() : bitmap(new QImage) {}

Bitmap::Bitmap(int width, int height) : bitmap(new QImage(width, height, QImage::Format_RGB32))
{
    // Whatever no cell covers stays white, not uninitialised memory.
    bitmap->fill(Qt::white);
}

int Bitmap::width() const { return bitmap->width(); }

int Bitmap::height() const { return bitmap->height(); }

} // namespace util
