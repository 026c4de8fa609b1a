// Fuzzes the vCard reader and the photo decoding behind it. Build (coverage in the core too):
//   CC=clang-14 CXX=clang++-14 CXXFLAGS=-fsanitize=fuzzer-no-link,address cmake -S . -B build/fuzz -G Ninja \
//     -DFEEDWELL_FUZZ=ON -DFEEDWELL_GUI=OFF -DFEEDWELL_TESTS=OFF -DFEEDWELL_BENCH=OFF
//   cmake --build build/fuzz --target vcard_fuzz && build/fuzz/fuzz/vcard_fuzz -max_total_time=300
#include <cstddef>
#include <cstdint>

#include "mailstore/VCard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const feedwell::mailstore::VCard& card : feedwell::mailstore::ReadVCards(bytes)) {
    // Every field must be readable; a photo of any bytes must decode or be refused.
    volatile qsizetype sink = card.name.size() + card.emails.join(QChar(u',')).size();
    (void)sink;
    if (card.photo.size() < 64 * 1024) (void)feedwell::mailstore::DecodePhoto(card.photo);
  }
  return 0;
}
