// A short text held inline: the labels of the front panel are rewritten on
// every simulation step, so they must never allocate.
#pragma once

#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// A text of at most eight characters held in one 64-bit word, its first
// character in the low byte. The number texts of the panels are made in a
// register and reach a label in one store: built byte by byte in memory and
// read back as a whole they would stall the store buffer at every step.
class TextWord {
public:
    static_assert(std::endian::native == std::endian::little, "character i is byte i of the word");
    static constexpr std::size_t kMax = 8;

    constexpr TextWord() = default;
    constexpr TextWord(uint64_t bytes, std::size_t size) : bytes_(bytes & Mask(size)), size_(size < kMax ? size : kMax)
    {}
    // NOLINTNEXTLINE(google-explicit-constructor): literals such as ": "
    constexpr TextWord(std::string_view s) : size_(s.size() < kMax ? s.size() : kMax)
    {
        for (std::size_t i = 0; i < size_; ++i)
            bytes_ |= static_cast<uint64_t>(static_cast<unsigned char>(s[i])) << (8 * i);
    }

    constexpr uint64_t bytes() const { return bytes_; }
    constexpr std::size_t size() const { return size_; }
    std::string_view view() const { return {reinterpret_cast<const char*>(&bytes_), size_}; }
    std::string str() const { return std::string(view()); }

    // The texts one after the other; what goes beyond eight characters is cut.
    friend constexpr TextWord operator+(TextWord a, TextWord b)
    {
        const std::size_t n = a.size_ + b.size_ < kMax ? a.size_ + b.size_ : kMax;
        return TextWord(a.size_ == kMax ? a.bytes_ : a.bytes_ | b.bytes_ << (8 * a.size_), n);
    }

private:
    static constexpr uint64_t Mask(std::size_t size)
    {
        return size >= kMax ? ~uint64_t{0} : (uint64_t{1} << (8 * size)) - 1;
    }

    uint64_t bytes_ = 0;
    std::size_t size_ = 0;
};

template <std::size_t N>
class FixedText {
public:
    constexpr FixedText() = default;
    FixedText(std::string_view s) { set(s); }  // NOLINT(google-explicit-constructor)
    FixedText(const char* s) { set(s); }       // NOLINT(google-explicit-constructor)
    template <std::size_t M>
    FixedText(const FixedText<M>& other)  // NOLINT(google-explicit-constructor)
    {
        set(other.view());
    }

    void set(std::string_view s)
    {
        assert(s.size() < N);
        len_ = static_cast<unsigned char>(s.size() < N ? s.size() : N - 1);
        std::memcpy(buf_, s.data(), len_);
    }
    FixedText& operator=(std::string_view s)
    {
        set(s);
        return *this;
    }
    FixedText& operator=(const char* s)
    {
        set(s);
        return *this;
    }
    FixedText(TextWord w) { *this = w; }  // NOLINT(google-explicit-constructor)
    FixedText& operator=(TextWord w)
    {
        static_assert(N > TextWord::kMax, "the whole word is stored");
        const uint64_t bytes = w.bytes();
        std::memcpy(buf_, &bytes, sizeof bytes);
        len_ = static_cast<unsigned char>(w.size());
        return *this;
    }
    template <std::size_t M>
    FixedText& operator=(const FixedText<M>& other)
    {
        set(other.view());
        return *this;
    }
    void append(std::string_view s)
    {
        const std::size_t room = N - 1 - len_;
        const std::size_t n = s.size() < room ? s.size() : room;
        std::memcpy(buf_ + len_, s.data(), n);
        len_ = static_cast<unsigned char>(len_ + n);
    }
    // Replaces one byte of an ASCII text (the label touch-ups of the step).
    void setAt(std::size_t i, char c)
    {
        if (i < len_)
            buf_[i] = c;
    }
    char at(std::size_t i) const { return i < len_ ? buf_[i] : '\0'; }

    std::string_view view() const { return {buf_, len_}; }
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return len_; }
    bool empty() const { return len_ == 0; }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }

private:
    char buf_[N] = {};
    unsigned char len_ = 0;
};

using Label = FixedText<64>;
using ShortText = FixedText<24>;
