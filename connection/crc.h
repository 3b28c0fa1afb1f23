#pragma once
#include <cstddef>
#include <cstdint>

// CRC-16 of the link: the value of CRC-16/MODBUS (reflected 0xA001, initial
// 0xFFFF), computed with the high-byte and low-byte tables. On the wire the
// high byte goes first, inverted in every framing but the plain one.
uint16_t Crc16(const uint8_t* data, size_t count);

// CRC-8/MAXIM (reflected 0x8C, initial 0) over a byte run.
uint8_t Crc8(const uint8_t* data, size_t count);
