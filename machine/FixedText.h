// A short text held inline: the labels of the front panel are rewritten on
// every simulation step, so they must never allocate.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

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
