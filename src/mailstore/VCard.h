#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

namespace feedwell::mailstore {

// One contact read from a vCard file.
struct VCard {
  QString name;        // FN, else N as "Given Family", else ORG
  QStringList emails;  // every EMAIL in file order
  QByteArray photo;    // the PHOTO's decoded bytes (an image file); empty when none or broken
};

// Reads every card of a .vcf file: vCard 2.1 (QUOTED-PRINTABLE, ENCODING=BASE64, CHARSET=),
// 3.0 (ENCODING=b, TYPE= parameters), 4.0 (data: URIs), folded lines, several cards per file.
// Tolerant: a card without END ends at the next BEGIN or at the end of the file, unknown
// properties and encodings are skipped, bytes that are not UTF-8 are read as windows-1252.
// Never fails; a file without cards gives none.
std::vector<VCard> ReadVCards(const QByteArray& bytes);

// Decodes a photo for the card. Large pictures are decoded scaled down where the format allows
// and refused otherwise, so a hostile file cannot exhaust memory. Returns a null image when the
// bytes are not a picture Qt can read.
QImage DecodePhoto(const QByteArray& bytes);

}  // namespace feedwell::mailstore
