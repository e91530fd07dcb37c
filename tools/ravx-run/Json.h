// A small JSON writer: the runner prints keys in a fixed order that
// teachers' scripts may rely on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ravx {

class JsonWriter {
public:
    explicit JsonWriter(bool pretty = false) : pretty_(pretty) {}

    // A compact container is written on one line even in pretty output.
    JsonWriter& beginObject(bool compact = false);
    JsonWriter& endObject();
    JsonWriter& beginArray(bool compact = false);
    JsonWriter& endArray();
    JsonWriter& key(std::string_view k);
    JsonWriter& value(std::string_view s);
    JsonWriter& value(const char* s) { return value(std::string_view(s)); }
    JsonWriter& value(int64_t n);
    JsonWriter& value(uint64_t n);
    JsonWriter& value(int n) { return value(static_cast<int64_t>(n)); }
    JsonWriter& value(unsigned n) { return value(static_cast<uint64_t>(n)); }
    JsonWriter& value(bool b);

    const std::string& str() const { return out_; }

private:
    void separate();
    void open(char bracket, bool compact);
    void close(char bracket);
    bool compactHere() const { return !compact_.empty() && compact_.back(); }
    std::string out_;
    std::vector<bool> compact_;
    bool pretty_;
    bool first_ = true;
    bool afterKey_ = false;
    int depth_ = 0;
};

std::string JsonEscape(std::string_view s);

}  // namespace ravx
