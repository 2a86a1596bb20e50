#pragma once

// An image value that shares one QImage: copies are cheap and see the same
// pixels; the last copy to go deletes the image.

#include "output/SharedPtr.h"

class QImage;

namespace util {

class Bitmap {
public:
    struct BitmapDeleter {
        void operator()(QImage* image) const;
    };

    // A new empty (null) image.
    Bitmap();
    // A new opaque image of that size, filled white.
    Bitmap(int width, int height);

    // The shared image; never null. Copies of a bitmap share it.
    QImage& image() { return *bitmap.get(); }
    const QImage& image() const { return *bitmap.get(); }
    int width() const;
    int height() const;

private:
    SharedPtr<QImage, BitmapDeleter> bitmap;
};

} // namespace util
