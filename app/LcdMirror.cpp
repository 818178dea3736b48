// Decoding of the display driver's LCD text and clear messages into the picture of the rows.
#include "LcdMirror.h"

#include <cstring>

namespace {

// F0, Novation's identifier 00 20 29, the device bytes 03 03, then six bytes of the message.
const unsigned char kTextHeader[12] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03,
                                       0x20, 0x02, 0x01, 0x00, 0x02, 0x01};
const unsigned char kClearHeader[12] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03,
                                        0x22, 0x03, 0x01, 0x00, 0x02, 0x02};
const unsigned char kSysexEnd = 0xF7;
const size_t kMaxText = 40; // characters of one text message

bool startsWith(const unsigned char* bytes, size_t size, const unsigned char (&header)[12]) {
  return size >= sizeof header && std::memcmp(bytes, header, sizeof header) == 0;
}

// A character as the terminal may show it: the LCD's 7-bit printable set, else a blank.
char shown(unsigned char byte) {
  return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ';
}

} // namespace

LcdMirror::LcdMirror() {
  rows_.fill(std::string(kColumns, ' '));
}

void LcdMirror::accept(const unsigned char* bytes, size_t size) {
  if (bytes == nullptr || size == 0 || bytes[size - 1] != kSysexEnd) return;
  if (startsWith(bytes, size, kTextHeader) && size >= 16 && bytes[14] == 0x04 &&
      size - 16 <= kMaxText) {
    // Header, column, row, 04, text, F7.
    const int column = bytes[12];
    const int row = bytes[13];
    if (row < 1 || row > kRows) return;
    std::lock_guard<std::mutex> lock(mutex_);
    std::string& line = rows_[row - 1];
    for (size_t i = 0; i < size - 16 && column + i < static_cast<size_t>(kColumns); i++)
      line[column + i] = shown(bytes[15 + i]);
    changes_.fetch_add(1, std::memory_order_release);
  } else if (startsWith(bytes, size, kClearHeader) && size == 14) {
    const int selector = bytes[12];
    if (selector != 4 && selector != 5) return;
    const int first = selector == 4 ? 0 : 2;
    std::lock_guard<std::mutex> lock(mutex_);
    rows_[first].assign(kColumns, ' ');
    rows_[first + 1].assign(kColumns, ' ');
    changes_.fetch_add(1, std::memory_order_release);
  }
}

LcdMirror::Rows LcdMirror::rows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_;
}
