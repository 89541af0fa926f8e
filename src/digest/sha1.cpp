#include "digest/sha1.h"

#include <cstring>

namespace {

std::uint32_t Rotate_Left(std::uint32_t value, unsigned count) {
    return (value << count) | (value >> (32u - count));
}

std::uint32_t Read_Big_Endian(const unsigned char* bytes) {
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
           (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
}

void Write_Big_Endian(unsigned char* bytes, std::uint32_t value) {
    bytes[0] = static_cast<unsigned char>(value >> 24);
    bytes[1] = static_cast<unsigned char>(value >> 16);
    bytes[2] = static_cast<unsigned char>(value >> 8);
    bytes[3] = static_cast<unsigned char>(value);
}

}  // namespace

void Sha1Digest::Init() {
    h_[0] = 0x67452301u;
    h_[1] = 0xEFCDAB89u;
    h_[2] = 0x98BADCFEu;
    h_[3] = 0x10325476u;
    h_[4] = 0xC3D2E1F0u;
    waiting_ = 0;
    bits_low_ = 0;
    bits_high_ = 0;
    active_ = true;
}

void Sha1Digest::Add_Bits(std::uint32_t bits) {
    const std::uint32_t before = bits_low_;
    bits_low_ += bits;
    if (bits_low_ < before) {
        ++bits_high_;
    }
}

void Sha1Digest::Process_Block(const unsigned char* block) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
        w[i] = Read_Big_Endian(block + 4 * i);
    }
    for (int i = 16; i < 80; ++i) {
        w[i] = Rotate_Left(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    }

    std::uint32_t a = h_[0];
    std::uint32_t b = h_[1];
    std::uint32_t c = h_[2];
    std::uint32_t d = h_[3];
    std::uint32_t e = h_[4];
    // One loop per group of twenty rounds, so that no round asks which group it is in.
    const auto round = [&](std::uint32_t f, std::uint32_t k, std::uint32_t word) {
        const std::uint32_t next = Rotate_Left(a, 5) + f + e + k + word;
        e = d;
        d = c;
        c = Rotate_Left(b, 30);
        b = a;
        a = next;
    };
    for (int i = 0; i < 20; ++i) round(d ^ (b & (c ^ d)), 0x5A827999u, w[i]);
    for (int i = 20; i < 40; ++i) round(b ^ c ^ d, 0x6ED9EBA1u, w[i]);
    for (int i = 40; i < 60; ++i) round((b & c) | (d & (b | c)), 0x8F1BBCDCu, w[i]);
    for (int i = 60; i < 80; ++i) round(b ^ c ^ d, 0xCA62C1D6u, w[i]);
    h_[0] += a;
    h_[1] += b;
    h_[2] += c;
    h_[3] += d;
    h_[4] += e;

    Add_Bits(512);
}

bool Sha1Digest::Update(const void* bytes, std::size_t length) {
    if (!active_) {
        return false;
    }
    const unsigned char* input = static_cast<const unsigned char*>(bytes);

    if (waiting_ > 0) {
        const std::size_t room = 64 - waiting_;
        if (length < room) {
            std::memcpy(block_ + waiting_, input, length);
            waiting_ += static_cast<std::uint32_t>(length);
            return true;
        }
        std::memcpy(block_ + waiting_, input, room);
        Process_Block(block_);
        waiting_ = 0;
        input += room;
        length -= room;
    }

    while (length >= 64) {
        Process_Block(input);
        input += 64;
        length -= 64;
    }

    if (length > 0) {
        std::memcpy(block_, input, length);
    }
    waiting_ = static_cast<std::uint32_t>(length);
    return true;
}

void Sha1Digest::Final() {
    if (!active_) {
        return;
    }
    Add_Bits(waiting_ * 8);

    unsigned char work[64] = {};
    std::memcpy(work, block_, waiting_);
    work[waiting_] = 0x80;

    if (waiting_ >= 56) {
        // No room for the length: this block carries only the padding, the next one the count.
        Process_Block(work);
        if (bits_low_ < 512) {
            --bits_high_;
        }
        bits_low_ -= 512;
        std::memset(work, 0, 56);
    }

    Write_Big_Endian(work + 56, bits_high_);
    Write_Big_Endian(work + 60, bits_low_);
    Process_Block(work);

    waiting_ = 0;
    active_ = false;
}

std::string Sha1_Hex(std::string_view bytes) {
    Sha1Digest digest;
    digest.Init();
    digest.Update(bytes.data(), bytes.size());
    digest.Final();
    // Each word as eight upper-case hex digits, most significant first.
    std::string hex(40, '0');
    const std::uint32_t* words = digest.Words();
    static const char kDigits[] = "0123456789ABCDEF";
    for (std::size_t word = 0; word < 5; ++word) {
        for (std::size_t i = 0; i < 8; ++i) {
            hex[8 * word + i] = kDigits[(words[word] >> (28 - 4 * i)) & 0xF];
        }
    }
    return hex;
}
