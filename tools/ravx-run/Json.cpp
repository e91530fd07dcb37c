#include "tools/ravx-run/Json.h"

namespace ravx {

std::string JsonEscape(std::string_view s)
{
    std::string r;
    r.reserve(s.size() + 2);
    r += '"';
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': r += "\\\""; break;
        case '\\': r += "\\\\"; break;
        case '\n': r += "\\n"; break;
        case '\r': r += "\\r"; break;
        case '\t': r += "\\t"; break;
        default:
            if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                r += "\\u00";
                r += hex[u >> 4];
                r += hex[u & 0xF];
            } else {
                r += c;
            }
        }
    }
    r += '"';
    return r;
}

void JsonWriter::separate()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_)
        out_ += compactHere() && pretty_ ? ", " : ",";
    if (pretty_ && depth_ > 0 && !compactHere()) {
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth_) * 2, ' ');
    }
    first_ = false;
}

void JsonWriter::open(char bracket, bool compact)
{
    separate();
    out_ += bracket;
    ++depth_;
    compact_.push_back(compact || compactHere());
    first_ = true;
}

void JsonWriter::close(char bracket)
{
    const bool compact = compactHere();
    compact_.pop_back();
    --depth_;
    if (pretty_ && !first_ && !compact) {
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth_) * 2, ' ');
    }
    out_ += bracket;
    first_ = false;
}

JsonWriter& JsonWriter::beginObject(bool compact)
{
    open('{', compact);
    return *this;
}

JsonWriter& JsonWriter::endObject()
{
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray(bool compact)
{
    open('[', compact);
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view k)
{
    separate();
    out_ += JsonEscape(k);
    out_ += pretty_ ? ": " : ":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view s)
{
    separate();
    out_ += JsonEscape(s);
    return *this;
}

JsonWriter& JsonWriter::value(int64_t n)
{
    separate();
    out_ += std::to_string(n);
    return *this;
}

JsonWriter& JsonWriter::value(uint64_t n)
{
    separate();
    out_ += std::to_string(n);
    return *this;
}

JsonWriter& JsonWriter::value(bool b)
{
    separate();
    out_ += b ? "true" : "false";
    return *this;
}

}  // namespace ravx
