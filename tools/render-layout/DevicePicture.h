#pragma once
// The device overview pictures: the keyboard in a three-quarter view, standing on a soft
// shadow; the disconnected one is greyed out.

#include <QImage>

namespace render {

inline constexpr QSize kDevicePictureSize(480, 270);

// `casePicture` and `capsPicture` are the keyboard picture's two layers (same size); the
// caps stand above the case.
QImage DrawDevice(const QImage& casePicture, const QImage& capsPicture);
QImage GreyOut(const QImage& devicePicture);

}  // namespace render
