// SPDX-License-Identifier: GPL-3.0-or-later
// Binary resources compiled into the program under a resource number (the tone lists).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace rondel::bindata {

struct Record {
  int number;
  const unsigned char* data;
  std::size_t size;
};

extern const Record kRecords[];
extern const std::size_t kRecordCount;

// The bytes of resource `number`; empty when there is none.
std::span<const std::uint8_t> Find(int number);

}  // namespace rondel::bindata
