#pragma once

#include <QImage>
#include <QString>

namespace feedwell::mailstore {

// The business card image of a contact, as both stores draw it: 240 × 140 pixels, the photo
// scaled to fill the square from (10, 10) to (80, 80) (cropped to keep its proportions), or the
// initials on a colour derived from the name when there is no photo; the name and the first
// address beside it. Text is drawn only when a QGuiApplication runs (fonts need one); the
// square never depends on fonts.
QImage RenderBusinessCard(const QString& name, const QString& firstAddress, const QImage& photo);

// Where the picture sits on the card.
inline constexpr int kCardWidth = 240;
inline constexpr int kCardHeight = 140;
inline constexpr int kPhotoLeft = 10;
inline constexpr int kPhotoTop = 10;
inline constexpr int kPhotoSize = 70;

// The colour behind the initials: the same name always gives the same colour.
QColor InitialsColour(const QString& name);
// Up to two initials: first letters of the first and the last word ("Dana Levi" → "DL").
QString InitialsOf(const QString& name);

// Saves the image as a BMP file, atomically. Raises Error naming the path when it cannot.
void SaveBitmapFile(const QImage& image, const QString& path);

}  // namespace feedwell::mailstore
