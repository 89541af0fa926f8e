#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// Standard SHA-1. Init, then Update any number of times, then Final; the result is H[0..4].
class Sha1Digest {
  public:
    void Init();
    /// Adds `length` bytes. False, changing nothing, once the digest is final.
    bool Update(const void* bytes, std::size_t length);
    /// Pads and finishes; harmless when already final.
    void Final();
    /// The five result words, first to last, valid after Final.
    const std::uint32_t* Words() const { return h_; }

  private:
    void Process_Block(const unsigned char* block);
    void Add_Bits(std::uint32_t bits);

    unsigned char block_[64] = {};
    std::uint32_t waiting_ = 0;
    std::uint32_t h_[5] = {};
    std::uint32_t bits_low_ = 0;
    std::uint32_t bits_high_ = 0;
    bool active_ = false;
};

/// The SHA-1 digest of `bytes` as 40 upper-case hex digits.
std::string Sha1_Hex(std::string_view bytes);
